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

    SettingsModel& settings() { return settings_; }
    LocationsModel& locations() { return locations_; }
    OptionsTab* optionsTab() const { return options_; }
    LocationsTab* locationsTab() const { return locationsTab_; }
    QTabWidget* tabs() const { return tabs_; }

  private:
    void askForReset();

    std::string folder_;
    std::span<const uint8_t> builtIn_;
    DisplayChoice displays_;
    SettingsModel settings_;
    LocationsModel locations_;
    QTabWidget* tabs_ = nullptr;
    OptionsTab* options_ = nullptr;
    LocationsTab* locationsTab_ = nullptr;
};

inline constexpr const char* kWindowTitle = "Quorvane Geovista 3D Configuration";
inline constexpr const char* kApplicationName = "Geovista 3D Configurator";

} // namespace gv::editor
