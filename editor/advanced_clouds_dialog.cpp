#include "editor/advanced_clouds_dialog.h"

#include "editor/cloud_hints.h"
#include "editor/cloud_sources.h"
#include "editor/entry_helpers.h"
#include "formats/preferences.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

namespace gv::editor {

namespace {
// The record's field less its terminator.
constexpr int kImagePathTypingLimit = int(kHostFieldSize) - 1;
} // namespace

AdvancedCloudsDialog::AdvancedCloudsDialog(SettingsModel& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setWindowTitle(tr("Advanced Clouds Options"));
    auto* v = new QVBoxLayout(this);
    auto* warning = new QLabel(tr("WARNING: changing these options can drive the Geovista 3D to "
                                  "work incorrectly. Change ONLY IF YOU ARE SURE you know what "
                                  "you are doing."));
    warning->setObjectName("warning");
    warning->setWordWrap(true);
    v->addWidget(warning);

    server_ = new QLineEdit(fromCp1252(settings_.cloudServerHost()));
    server_->setObjectName("serverUrl");
    server_->setToolTip(tr("Clouds server to contact."));
    server_->setValidator(new TypingLimit(server_, 256, false));
    path_ = new QLineEdit(fromCp1252(settings_.cloudImagePath()));
    path_->setObjectName("imagePath");
    path_->setToolTip(tr("Directory and name of the clouds file."));
    // As long as the record's field holds: the paths of today's services
    // are longer than the 32 characters typing once stopped at.
    path_->setValidator(new TypingLimit(path_, kImagePathTypingLimit, false));

    source_ = new QComboBox;
    source_->setObjectName("cloudSource");
    source_->setToolTip(tr("A known cloud map service fills in its server and image path."));
    for (const CloudSource& s : cloudSources())
        source_->addItem(QString::fromStdString(s.name));
    source_->addItem(tr("Another server (the fields below)"));
    credit_ = new QLabel;
    credit_->setObjectName("cloudCredit");
    credit_->setWordWrap(true);
    connect(source_, &QComboBox::activated, this, &AdvancedCloudsDialog::useSource);
    connect(server_, &QLineEdit::textChanged, this, &AdvancedCloudsDialog::showMatchingSource);
    connect(path_, &QLineEdit::textChanged, this, &AdvancedCloudsDialog::showMatchingSource);
    showMatchingSource();
    hints_ = new QPlainTextEdit(QString::fromStdString(cloudHintsText(settings_)));
    hints_->setObjectName("cloudHints");
    hints_->setToolTip(tr("Colors in the image file that will be considered as clouds."));
    hints_->setTabChangesFocus(true);
    for (QWidget* field : {static_cast<QWidget*>(server_), static_cast<QWidget*>(path_),
                           static_cast<QWidget*>(hints_)})
        selectAllOnEntry(field);

    auto* form = new QFormLayout;
    form->addRow(tr("Clouds s&ource"), source_);
    form->addRow(tr("&Server URL"), server_);
    form->addRow(tr("&Image path"), path_);
    form->addRow(QString(), credit_);
    form->addRow(tr("Cloud scanning &hints"), hints_);
    v->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &AdvancedCloudsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AdvancedCloudsDialog::reject);
    v->addWidget(buttons);
    server_->setMinimumWidth(server_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
}

void AdvancedCloudsDialog::showMatchingSource() {
    const int found = findCloudSource(toCp1252(server_->text()), toCp1252(path_->text()));
    const auto& sources = cloudSources();
    source_->setCurrentIndex(found >= 0 ? found : int(sources.size()));
    credit_->setText(found >= 0 ? QString::fromStdString(sources[size_t(found)].credit)
                                : QString());
}

void AdvancedCloudsDialog::useSource(int index) {
    const auto& sources = cloudSources();
    if (index < 0 || size_t(index) >= sources.size()) {
        // "Another server": the fields are the user's to fill.
        server_->setFocus();
        return;
    }
    server_->setText(fromCp1252(sources[size_t(index)].host));
    path_->setText(fromCp1252(sources[size_t(index)].path));
}

void AdvancedCloudsDialog::accept() {
    settings_.setCloudServerHost(toCp1252(server_->text()));
    settings_.setCloudImagePath(toCp1252(path_->text()));
    if (const auto bad = applyCloudHints(settings_, hints_->toPlainText().toStdString())) {
        // The colours before the line are stored; the dialog stays open on the
        // line so that it can be mended.
        QMessageBox::warning(this, tr("Cloud scanning hints"),
                             tr("Line %1 of the cloud scanning hints is not a whole number:\n%2")
                                 .arg(bad->lineNumber)
                                 .arg(QString::fromStdString(bad->text)));
        const QTextBlock block = hints_->document()->findBlockByNumber(bad->lineNumber - 1);
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        hints_->setFocus();
        // After the selection that entering the field makes.
        QTimer::singleShot(0, this, [this, cursor] { hints_->setTextCursor(cursor); });
        return;
    }
    QDialog::accept();
}

} // namespace gv::editor
