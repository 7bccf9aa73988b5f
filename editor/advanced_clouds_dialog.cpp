#include "editor/advanced_clouds_dialog.h"

#include "editor/cloud_hints.h"
#include "editor/entry_helpers.h"

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
    // A longer path already in the record is kept; typing stops at 32.
    path_->setValidator(new TypingLimit(path_, 32, false));
    hints_ = new QPlainTextEdit(QString::fromStdString(cloudHintsText(settings_)));
    hints_->setObjectName("cloudHints");
    hints_->setToolTip(tr("Colors in the image file that will be considered as clouds."));
    hints_->setTabChangesFocus(true);
    for (QWidget* field : {static_cast<QWidget*>(server_), static_cast<QWidget*>(path_),
                           static_cast<QWidget*>(hints_)})
        selectAllOnEntry(field);

    auto* form = new QFormLayout;
    form->addRow(tr("&Server URL"), server_);
    form->addRow(tr("&Image path"), path_);
    form->addRow(tr("Cloud scanning &hints"), hints_);
    v->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &AdvancedCloudsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AdvancedCloudsDialog::reject);
    v->addWidget(buttons);
    server_->setMinimumWidth(server_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
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
