#include "editor/main_window.h"

#include "editor/editor_files.h"
#include "editor/locations_tab.h"
#include "editor/options_tab.h"
#include "editor/read_first_tab.h"
#include "formats/cities_database.h"
#include "platform/resources.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace gv::editor {

namespace {
constexpr uint32_t kIconResource = 32512;

QIcon programIcon() {
    const auto png = platform::findResource(platform::kResourceIcon, kIconResource);
    QPixmap pixmap;
    if (!png.empty()) pixmap.loadFromData(png.data(), uint(png.size()), "PNG");
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}
} // namespace

MainWindow::MainWindow(EditorSetup setup, QWidget* parent)
    : QDialog(parent), folder_(std::move(setup.folder)), builtIn_(setup.builtInCities),
      displays_(std::move(setup.displays)) {
    setWindowTitle(QString::fromLatin1(kWindowTitle));
    setWindowIcon(programIcon());
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    setSizeGripEnabled(true);

    preferencesFile_ = loadPreferencesFile(folder_, settings_);
    locations_.load(folder_, builtIn_);

    tabs_ = new QTabWidget;
    tabs_->setObjectName("tabs");
    options_ = new OptionsTab(settings_, displays_);
    options_->setObjectName("options");
    locationsTab_ = new LocationsTab(locations_, folder_, builtIn_);
    locationsTab_->setObjectName("locations");
    tabs_->addTab(makeReadFirstTab(QString::fromStdString(folder_)), tr("Read First"));
    tabs_->addTab(options_, tr("Options"));
    tabs_->addTab(locationsTab_, tr("Locations"));
    options_->showRecord();

    auto* ok = new QPushButton(tr("OK"));
    ok->setObjectName("ok");
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"));
    cancel->setObjectName("cancel");
    cancel->setAutoDefault(false);
    auto* reset = new QPushButton(tr("Reset"));
    reset->setObjectName("reset");
    reset->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &MainWindow::accept);
    connect(cancel, &QPushButton::clicked, this, &MainWindow::reject);
    connect(reset, &QPushButton::clicked, this, &MainWindow::askForReset);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(reset);
    auto* v = new QVBoxLayout(this);
    v->addWidget(tabs_, 1);
    v->addLayout(buttons);
    // The tab bar holds the focus first: the arrows then move between tabs.
    tabs_->tabBar()->setFocus();
}

MainWindow::~MainWindow() {
    delete tabs_;
}

void MainWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (problemsReported_) return;
    problemsReported_ = true;
    // Once the window is on screen, so that the message has a window to stand over.
    QTimer::singleShot(0, this, &MainWindow::reportUnreadableFiles);
}

QString MainWindow::unreadableFilesText() const {
    QStringList problems;
    if (const std::string p = readProblem(kPreferencesFileName, preferencesFile_); !p.empty())
        problems << tr("%1.\nThe factory settings are shown; OK will leave the file as it is.")
                        .arg(QString::fromStdString(p));
    const FoundFile& database = locations_.databaseFile();
    if (const std::string p = readProblem(kCitiesFileName, database); !p.empty())
        problems << (database.state == FileState::Unreadable
                         ? tr("%1.\nThe built-in places are shown; OK will leave the file, and "
                              "%2, as they are.")
                         : tr("%1.\nOnly its first places are shown; OK will leave the file, "
                              "and %2, as they are."))
                        .arg(QString::fromStdString(p), QString::fromLatin1(kSelectionFileName));
    const FoundFile& selection = locations_.selectionFile();
    if (const std::string p = readProblem(kSelectionFileName, selection); !p.empty())
        problems << (selection.state == FileState::Unreadable
                         ? tr("%1.\nThe shown list starts empty; OK will leave the file as it is.")
                         : tr("%1.\nOnly its first part is shown; OK will leave the file as it "
                              "is."))
                        .arg(QString::fromStdString(p));
    if (problems.isEmpty()) return {};
    return tr("In %1:\n\n%2").arg(QString::fromStdString(folder_), problems.join("\n\n"));
}

void MainWindow::reportUnreadableFiles() {
    const QString text = unreadableFilesText();
    if (!text.isEmpty()) QMessageBox::warning(this, tr("Unreadable Files"), text);
}

void MainWindow::accept() {
    // Preferences, then the database, then the selection. A file that cannot
    // be written keeps the window open with every change, instead of
    // closing as if all had been saved; the message names that file.
    const FileSave preferences = savePreferencesFile(folder_, settings_, preferencesFile_);
    PlacesSave places;
    if (preferences.outcome != SaveOutcome::Failed) places = locations_.save(folder_);
    const FileSave* const saves[] = {&preferences, &places.database, &places.selection};
    for (const FileSave* save : saves) {
        if (save->outcome != SaveOutcome::Failed) continue;
        QMessageBox::warning(
            this, tr("Save"),
            tr("Unable to write %1 in\n%2\n(%3)\nNothing has been lost: press OK to try again, "
               "or Cancel to leave without saving.")
                .arg(QString::fromLatin1(save->name), QString::fromStdString(folder_),
                     QString::fromStdString(save->reason)));
        return;
    }
    // Files that could not be read still hold what the user kept.
    QStringList kept;
    for (const FileSave* save : saves)
        if (save->outcome == SaveOutcome::Kept && !save->reason.empty())
            kept << tr("%1 is left as it is: %2.")
                        .arg(QString::fromLatin1(save->name), QString::fromStdString(save->reason));
    if (!kept.isEmpty())
        QMessageBox::information(this, tr("Save"),
                                 tr("The other files are saved in %1\n\n%2")
                                     .arg(QString::fromStdString(folder_), kept.join("\n")));
    QDialog::accept();
}

void MainWindow::askForReset() {
    if (QMessageBox::question(this, tr("Confirmation"),
                              tr("Are you sure?\nThis will reset all configurations to factory "
                                 "defaults.\nThis includes forgetting any locations you added "
                                 "or removed."),
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    settings_.setFactoryDefaults();
    options_->showRecord();
    preferencesFile_ = deletePreferencesFile(folder_);
    locationsTab_->restoreFactory();
}

} // namespace gv::editor
