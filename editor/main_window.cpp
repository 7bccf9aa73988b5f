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

    loadPreferencesFile(folder_, settings_);
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

void MainWindow::accept() {
    // Preferences, then the database, then the selection. A file that cannot
    // be written keeps the window open with every change, instead of
    // closing as if all had been saved.
    const char* failed = nullptr;
    if (!savePreferencesFile(folder_, settings_))
        failed = kPreferencesFileName;
    else if (!locations_.save(folder_))
        failed = kCitiesFileName;
    if (failed) {
        QMessageBox::warning(
            this, tr("Save"),
            tr("Unable to write %1 in\n%2\nNothing has been lost: press OK to try again, or "
               "Cancel to leave without saving.")
                .arg(QString::fromLatin1(failed), QString::fromStdString(folder_)));
        return;
    }
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
    deletePreferencesFile(folder_);
    locationsTab_->restoreFactory();
}

} // namespace gv::editor
