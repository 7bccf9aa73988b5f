#pragma once
// The editor's window: the three tabs and the "OK", "Cancel" and "Reset"
// buttons. Nothing is written before OK.
#include "editor/display_choice.h"
#include "editor/locations_model.h"
#include "editor/settings_model.h"

#include <QDialog>

#include <span>
#include <string>
#include <vector>

class QTabWidget;

namespace gv::editor {

class LocationsTab;
class OptionsTab;

struct EditorSetup {
    std::string folder; // the program folder, ending with its separator
    std::vector<platform::DisplayInfo> displays;
    std::span<const uint8_t> builtInCities;
};

class MainWindow final : public QDialog {
    Q_OBJECT
  public:
    // Loads the preferences, then the database and the selection, from the
    // folder (the caller has found the folder and the displays before).
    explicit MainWindow(EditorSetup setup, QWidget* parent = nullptr);
    // The tabs go first: they hold on to the models below.
    ~MainWindow() override;

    void accept() override;

    // What the message box at the window's start says about files that
    // could not be read (empty when every file was read or not there).
    QString unreadableFilesText() const;

    SettingsModel& settings() { return settings_; }
    LocationsModel& locations() { return locations_; }
    OptionsTab* optionsTab() const { return options_; }
    LocationsTab* locationsTab() const { return locationsTab_; }
    QTabWidget* tabs() const { return tabs_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void askForReset();
    void reportUnreadableFiles();

    std::string folder_;
    std::span<const uint8_t> builtIn_;
    DisplayChoice displays_;
    SettingsModel settings_;
    FoundFile preferencesFile_; // how geovista.cfg was found: OK keeps one it could not read
    bool problemsReported_ = false;
    LocationsModel locations_;
    QTabWidget* tabs_ = nullptr;
    OptionsTab* options_ = nullptr;
    LocationsTab* locationsTab_ = nullptr;
};

inline constexpr const char* kWindowTitle = "Quorvane Geovista 3D Configuration";
inline constexpr const char* kApplicationName = "Geovista 3D Configurator";

} // namespace gv::editor
