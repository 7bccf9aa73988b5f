#include "editor/options_tab.h"

#include "editor/advanced_clouds_dialog.h"
#include "editor/colour_swatch.h"
#include "editor/entry_helpers.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

namespace gv::editor {

namespace {

constexpr const char* kControlNames[kSettingCount] = {
    "fullScreen",
    "deviceIndex",
    "resolutionIndex",
    "flip",
    "filter",
    "selectedCamera",
    "cameraSpeed",
    "cameraDistance",
    "fieldOfView",
    "followsEarth",
    "changingMode",
    "changeSeconds",
    "smoothness",
    "earthGlows",
    "specularity",
    "specularPower",
    "earthResolution",
    "locationsResolution",
    "otherResolution",
    "lensFlares",
    "lensFlareSize",
    "overbrights",
    "moonShown",
    "moonSeconds",
    "stars",
    "sunShown",
    "sunMode",
    "sunSize",
    "showClouds",
    "cloudsOnLocations",
    "cloudsFromSatellites",
    "cloudHours",
    "titleColour",
    "subtitleColour",
    "messageMs",
    "labelColour",
    "showApproxTime",
    "clockColour",
    "performance",
    "screenSaverMode",
    "timeAdvancing",
    "ambientLight",
    "earthDistance",
    "clockSize",
    "nightLights",
    "trueSeasons",
    "atmosphere",
    "labelsDeclutter",
};

QLabel* buddyLabel(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

// "label [box] label" in one row, as the settings read.
QWidget* boxBetween(const QString& before, QLineEdit* box, const QString& after) {
    auto* row = new QWidget;
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(buddyLabel(before, box));
    h->addWidget(box);
    h->addWidget(new QLabel(after));
    h->addStretch(1);
    return row;
}

} // namespace

QString OptionsTab::controlName(Setting setting) {
    return QString::fromLatin1(kControlNames[int(setting)]);
}

OptionsTab::OptionsTab(SettingsModel& settings, const DisplayChoice& displays, QWidget* parent)
    : QWidget(parent), settings_(settings), displays_(displays) {
    auto* grid = new QGridLayout(this);
    grid->addWidget(displayGroup(), 0, 0);
    grid->addWidget(cameraGroup(), 1, 0, 2, 1);
    grid->addWidget(earthGroup(), 0, 1);
    grid->addWidget(sunGroup(), 1, 1);
    grid->addWidget(moonAndStarsGroup(), 2, 1);
    grid->addWidget(cloudsGroup(), 0, 2);
    grid->addWidget(onscreenGroup(), 1, 2);
    grid->addWidget(worldGroup(), 2, 2);

    auto* defaults = new QPushButton(tr("Defaults"));
    defaults->setObjectName("defaults");
    defaults->setAutoDefault(false);
    connect(defaults, &QPushButton::clicked, this, &OptionsTab::askForDefaults);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(defaults);
    grid->addLayout(bottom, 3, 0, 1, 3);
    grid->setRowStretch(4, 1);
}

QCheckBox* OptionsTab::checkBox(Setting setting, const QString& caption) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(controlName(setting));
    connect(box, &QCheckBox::toggled, this, [this, setting](bool on) {
        if (!showing_) settings_.setPosition(setting, on ? 1 : 0);
    });
    refreshers_.push_back(
        [this, box, setting] { box->setChecked(settings_.position(setting) != 0); });
    return box;
}

QComboBox* OptionsTab::dropDown(Setting setting) {
    auto* combo = new QComboBox;
    combo->setObjectName(controlName(setting));
    for (const char* item : itemTexts(setting))
        combo->addItem(tr(item));
    connect(combo, &QComboBox::currentIndexChanged, this, [this, setting](int index) {
        if (!showing_ && index >= 0) settings_.setPosition(setting, index);
    });
    refreshers_.push_back(
        [this, combo, setting] { combo->setCurrentIndex(settings_.position(setting)); });
    return combo;
}

QSlider* OptionsTab::trackBar(Setting setting) {
    const SettingRow& row = rowOf(setting);
    auto* bar = new QSlider(Qt::Horizontal);
    bar->setObjectName(controlName(setting));
    bar->setRange(row.low, row.high);
    bar->setPageStep(std::max(1, (row.high - row.low) / 10));
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setTickInterval(std::max(1, (row.high - row.low) / 10));
    bar->setAccessibleName(tr(row.caption));
    connect(bar, &QSlider::valueChanged, this, [this, setting](int position) {
        if (!showing_) settings_.setPosition(setting, position);
    });
    refreshers_.push_back([this, bar, setting] { bar->setValue(settings_.position(setting)); });
    return bar;
}

QLineEdit* OptionsTab::numberBox(Setting setting) {
    auto* box = new QLineEdit;
    box->setObjectName(controlName(setting));
    const int digits = numberBoxDigits(setting);
    box->setValidator(new TypingLimit(box, digits, true));
    box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (digits + 2) +
                         12);
    connect(box, &QLineEdit::textEdited, this, [this, setting](const QString& text) {
        if (!showing_) settings_.setNumberText(setting, text.toStdString());
    });
    // A box left with nothing usable shows the stored value again.
    connect(box, &QLineEdit::editingFinished, this,
            [this, box, setting] { box->setText(QString::number(settings_.position(setting))); });
    refreshers_.push_back(
        [this, box, setting] { box->setText(QString::number(settings_.position(setting))); });
    return box;
}

ColourSwatch* OptionsTab::swatch(Setting setting) {
    auto* button = new ColourSwatch(tr(rowOf(setting).caption));
    button->setObjectName(controlName(setting));
    connect(button, &QPushButton::clicked, this, [this, button, setting] {
        settings_.advanceColour(setting);
        button->setRgb(settings_.swatchRgb(setting));
    });
    refreshers_.push_back(
        [this, button, setting] { button->setRgb(settings_.swatchRgb(setting)); });
    return button;
}

QWidget* OptionsTab::sunSizeButtons() {
    auto* row = new QWidget;
    row->setObjectName(controlName(Setting::SunSize));
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    auto* group = new QButtonGroup(row);
    const auto items = itemTexts(Setting::SunSize);
    for (std::size_t i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(tr(items[i]));
        radio->setObjectName(QStringLiteral("sunSize%1").arg(i + 1));
        group->addButton(radio, int(i) + 1);
        h->addWidget(radio);
    }
    connect(group, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (!showing_ && on) settings_.setPosition(Setting::SunSize, id);
    });
    refreshers_.push_back([this, group] {
        const int size = settings_.position(Setting::SunSize);
        // A size outside the five leaves every button clear.
        group->setExclusive(false);
        for (QAbstractButton* b : group->buttons())
            b->setChecked(group->id(b) == size);
        group->setExclusive(true);
    });
    h->addStretch(1);
    return row;
}

void OptionsTab::addTrackBarRow(QGridLayout* grid, int row, const QString& label, Setting setting) {
    QSlider* bar = trackBar(setting);
    grid->addWidget(buddyLabel(label, bar), row, 0);
    grid->addWidget(bar, row, 1);
    if (setting == Setting::CameraSpeed) speed_ = bar;
    if (setting == Setting::CameraDistance) distance_ = bar;
}

QWidget* OptionsTab::displayGroup() {
    auto* group = new QGroupBox(tr("Display"));
    auto* grid = new QGridLayout(group);
    auto* flags = new QHBoxLayout;
    flags->addWidget(checkBox(Setting::FullScreen, tr("&Fullscreen")));
    flags->addWidget(checkBox(Setting::Flip, tr("Flip")));
    flags->addWidget(checkBox(Setting::Filter, tr("Filter")));
    flags->addStretch(1);
    grid->addLayout(flags, 0, 0, 1, 2);

    device_ = new QComboBox;
    device_->setObjectName(controlName(Setting::DeviceIndex));
    resolution_ = new QComboBox;
    resolution_->setObjectName(controlName(Setting::ResolutionIndex));
    grid->addWidget(buddyLabel(tr("&Device"), device_), 1, 0);
    grid->addWidget(device_, 1, 1);
    grid->addWidget(buddyLabel(tr("R&esolution"), resolution_), 2, 0);
    grid->addWidget(resolution_, 2, 1);
    grid->setColumnStretch(1, 1);

    for (const std::string& d : displays_.deviceItems())
        device_->addItem(QString::fromStdString(d));
    connect(device_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (showing_ || index < 0) return;
        displays_.chooseDevice(settings_, index);
        fillResolutions();
    });
    connect(resolution_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!showing_ && index >= 0) settings_.setResolutionIndex(uint16_t(index));
    });
    refreshers_.push_back([this] {
        device_->setCurrentIndex(displays_.empty() ? -1 : settings_.deviceIndex());
        fillResolutions();
    });
    // Nothing to choose from: the record keeps its indices untouched.
    device_->setEnabled(!displays_.empty());
    resolution_->setEnabled(!displays_.empty());
    return group;
}

void OptionsTab::fillResolutions() {
    const bool wasShowing = showing_;
    showing_ = true;
    resolution_->clear();
    if (!displays_.empty()) {
        for (const std::string& r : displays_.resolutionItems(settings_.deviceIndex()))
            resolution_->addItem(QString::fromStdString(r));
        resolution_->setCurrentIndex(settings_.resolutionIndex());
    }
    showing_ = wasShowing;
}

QWidget* OptionsTab::cameraGroup() {
    auto* group = new QGroupBox(tr("Cameras"));
    auto* grid = new QGridLayout(group);
    QComboBox* camera = dropDown(Setting::SelectedCamera);
    connect(camera, &QComboBox::currentIndexChanged, this, [this] {
        if (!showing_) cameraChosen();
    });
    grid->addWidget(buddyLabel(tr("Selected &camera"), camera), 0, 0);
    grid->addWidget(camera, 0, 1);
    addTrackBarRow(grid, 1, tr("Speed"), Setting::CameraSpeed);
    addTrackBarRow(grid, 2, tr("Distance"), Setting::CameraDistance);
    addTrackBarRow(grid, 3, tr("Camera field of view"), Setting::FieldOfView);
    followsEarth_ = checkBox(Setting::FollowsEarth, tr("Follows earth orbit"));
    grid->addWidget(followsEarth_, 4, 0, 1, 2);

    QComboBox* changing = dropDown(Setting::ChangingMode);
    grid->addWidget(buddyLabel(tr("Changing"), changing), 5, 0);
    grid->addWidget(changing, 5, 1);
    grid->addWidget(boxBetween(tr("each"), numberBox(Setting::ChangeSeconds), tr("seconds")), 6, 1);
    QComboBox* smoothness = dropDown(Setting::Smoothness);
    grid->addWidget(buddyLabel(tr("Movement"), smoothness), 7, 0);
    grid->addWidget(smoothness, 7, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(8, 1);
    refreshers_.push_back([this] { cameraChosen(); });
    return group;
}

void OptionsTab::cameraChosen() {
    // The bars follow the camera in the drop-down; the locations view has no
    // entry there, and while the record names it the bars edit nothing.
    const bool wasShowing = showing_;
    showing_ = true;
    const bool any = settings_.selectedCamera() >= 0;
    speed_->setEnabled(any);
    distance_->setEnabled(any);
    speed_->setValue(settings_.position(Setting::CameraSpeed));
    distance_->setValue(settings_.position(Setting::CameraDistance));
    followsEarth_->setEnabled(settings_.followsEarthEnabled());
    showing_ = wasShowing;
}

QWidget* OptionsTab::earthGroup() {
    auto* group = new QGroupBox(tr("Earth"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(checkBox(Setting::EarthGlows, tr("Earth glows")), 0, 0, 1, 2);
    addTrackBarRow(grid, 1, tr("Specularity"), Setting::Specularity);
    addTrackBarRow(grid, 2, tr("Specular power"), Setting::SpecularPower);
    // The living earth: city lights, the tilted axis, the air's rim.
    auto* living = new QHBoxLayout;
    living->addWidget(checkBox(Setting::NightLights, tr("Night lights")));
    living->addWidget(checkBox(Setting::TrueSeasons, tr("True seasons")));
    living->addWidget(checkBox(Setting::Atmosphere, tr("Atmosphere")));
    living->addStretch(1);
    grid->addLayout(living, 3, 0, 1, 2);
    const Setting meshes[] = {Setting::EarthResolution, Setting::LocationsResolution,
                              Setting::OtherResolution};
    int row = 4;
    for (Setting s : meshes) {
        QComboBox* combo = dropDown(s);
        grid->addWidget(buddyLabel(tr(rowOf(s).caption), combo), row, 0);
        grid->addWidget(combo, row, 1);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    return group;
}

QWidget* OptionsTab::sunGroup() {
    auto* group = new QGroupBox(tr("Sun"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(checkBox(Setting::SunShown, tr("Show")), 0, 0);
    QComboBox* mode = dropDown(Setting::SunMode);
    grid->addWidget(mode, 0, 1);
    grid->addWidget(sunSizeButtons(), 1, 0, 1, 2);
    grid->addWidget(checkBox(Setting::LensFlares, tr("Lens flares")), 2, 0);
    grid->addWidget(dropDown(Setting::LensFlareSize), 2, 1);
    grid->addWidget(checkBox(Setting::Overbrights, tr("Overbrights")), 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    return group;
}

QWidget* OptionsTab::moonAndStarsGroup() {
    auto* group = new QGroupBox(tr("Moon and stars"));
    auto* v = new QVBoxLayout(group);
    auto* moon = new QHBoxLayout;
    moon->addWidget(checkBox(Setting::MoonShown, tr("Show")));
    moon->addWidget(
        boxBetween(tr("-- recalculate every"), numberBox(Setting::MoonSeconds), tr("sec")));
    moon->addStretch(1);
    v->addLayout(moon);
    v->addWidget(checkBox(Setting::Stars, tr("Stars")));
    return group;
}

QWidget* OptionsTab::cloudsGroup() {
    auto* group = new QGroupBox(tr("Clouds"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(checkBox(Setting::ShowClouds, tr("Show clouds")), 0, 0);
    grid->addWidget(checkBox(Setting::CloudsOnLocations, tr("On locations")), 1, 0);
    grid->addWidget(checkBox(Setting::CloudsFromSatellites, tr("From satellites")), 2, 0);
    grid->addWidget(boxBetween(tr("- every"), numberBox(Setting::CloudHours), tr("hours")), 3, 0);
    auto* advanced = new QPushButton(tr("advanced..."));
    advanced->setObjectName("advanced");
    advanced->setAutoDefault(false);
    connect(advanced, &QPushButton::clicked, this, &OptionsTab::openAdvancedClouds);
    grid->addWidget(advanced, 4, 0, Qt::AlignLeft);
    return group;
}

QWidget* OptionsTab::onscreenGroup() {
    auto* group = new QGroupBox(tr("Onscreen"));
    auto* grid = new QGridLayout(group);
    const struct {
        Setting setting;
        const char* label;
    } swatches[] = {{Setting::TitleColour, "Messages"},
                    {Setting::SubtitleColour, "Second line"},
                    {Setting::LabelColour, "Locations"},
                    {Setting::ClockColour, "Cloc&k"}};
    int column = 0;
    for (const auto& s : swatches) {
        ColourSwatch* button = swatch(s.setting);
        QLabel* label = buddyLabel(tr(s.label), button);
        label->setToolTip(button->toolTip());
        grid->addWidget(label, 0, column, Qt::AlignHCenter);
        grid->addWidget(button, 1, column, Qt::AlignHCenter);
        ++column;
    }
    grid->addWidget(boxBetween(tr("kee&p for"), numberBox(Setting::MessageMs), tr("ms")), 2, 0, 1,
                    4);
    // The labels' two options side by side.
    auto* labels = new QHBoxLayout;
    labels->addWidget(checkBox(Setting::ShowApproxTime, tr("Show approx time")));
    labels->addWidget(checkBox(Setting::LabelsDeclutter, tr("Declutter labels")));
    labels->addStretch(1);
    grid->addLayout(labels, 3, 0, 1, 4);
    grid->addWidget(checkBox(Setting::Performance, tr("Performance")), 4, 0, 1, 4);
    auto* clock = new QGridLayout;
    addTrackBarRow(clock, 0, tr("Clock si&ze"), Setting::ClockSize);
    grid->addLayout(clock, 5, 0, 1, 4);
    return group;
}

QWidget* OptionsTab::worldGroup() {
    auto* group = new QGroupBox(tr("World"));
    auto* grid = new QGridLayout(group);
    QComboBox* saver = dropDown(Setting::ScreenSaverMode);
    grid->addWidget(buddyLabel(tr("Screensaver"), saver), 0, 0);
    grid->addWidget(saver, 0, 1);
    addTrackBarRow(grid, 1, tr("Time &advancing"), Setting::TimeAdvancing);
    addTrackBarRow(grid, 2, tr("Am&bient light"), Setting::AmbientLight);
    addTrackBarRow(grid, 3, tr("Earth dist to s&un"), Setting::EarthDistance);
    grid->setColumnStretch(1, 1);
    return group;
}

void OptionsTab::showRecord() {
    displays_.fitRecord(settings_);
    showing_ = true;
    for (const auto& refresh : refreshers_)
        refresh();
    showing_ = false;
}

void OptionsTab::askForDefaults() {
    const auto answer = QMessageBox::question(
        this, tr("Confirmation"), tr("Are you sure?\nThis will forget any options you modified."),
        QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) return;
    settings_.setFactoryDefaults();
    showRecord();
}

void OptionsTab::openAdvancedClouds() {
    AdvancedCloudsDialog dialog(settings_, this);
    dialog.exec();
}

} // namespace gv::editor
