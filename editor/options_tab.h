#pragma once
// The "Options" tab: one control per field of the settings record, each
// writing its field at once when it changes.
#include "editor/display_choice.h"
#include "editor/settings_model.h"

#include <QWidget>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QSlider;

namespace gv::editor {

class ColourSwatch;

class OptionsTab final : public QWidget {
    Q_OBJECT
  public:
    OptionsTab(SettingsModel& settings, const DisplayChoice& displays, QWidget* parent = nullptr);

    // Fills every control from the record (the display indices are first
    // brought inside the lists).
    void showRecord();

    // The object name of a setting's control, for tests and accessibility.
    static QString controlName(Setting setting);

  private:
    QCheckBox* checkBox(Setting setting, const QString& caption);
    QComboBox* dropDown(Setting setting);
    QSlider* trackBar(Setting setting);
    QLineEdit* numberBox(Setting setting);
    ColourSwatch* swatch(Setting setting);
    QWidget* sunSizeButtons();
    void addTrackBarRow(QGridLayout* grid, int row, const QString& label, Setting setting);

    void fillResolutions();
    void cameraChosen();
    void askForDefaults();
    void openAdvancedClouds();

    QWidget* displayGroup();
    QWidget* cameraGroup();
    QWidget* earthGroup();
    QWidget* sunGroup();
    QWidget* moonAndStarsGroup();
    QWidget* cloudsGroup();
    QWidget* onscreenGroup();
    QWidget* worldGroup();

    SettingsModel& settings_;
    const DisplayChoice& displays_;
    std::vector<std::function<void()>> refreshers_;
    bool showing_ = false;
    QComboBox* device_ = nullptr;
    QComboBox* resolution_ = nullptr;
    QCheckBox* followsEarth_ = nullptr;
    QSlider* speed_ = nullptr;
    QSlider* distance_ = nullptr;
};

} // namespace gv::editor
