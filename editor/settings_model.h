#pragma once
// The settings record as the editor sees it: every field that a control of
// the Options tab edits, with the mapping between the control's position and
// the stored value. The record is held as the 1196 bytes of the file, so that
// whatever the editor does not edit goes back to the file exactly as read.
#include "formats/preferences.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace gv::editor {

enum class Setting : int {
    FullScreen,
    DeviceIndex,
    ResolutionIndex,
    Flip,
    Filter,
    SelectedCamera,
    CameraSpeed,    // of the selected camera
    CameraDistance, // of the selected camera
    FieldOfView,
    FollowsEarth,
    ChangingMode,
    ChangeSeconds,
    Smoothness,
    EarthGlows,
    Specularity,
    SpecularPower,
    EarthResolution,
    LocationsResolution,
    OtherResolution,
    LensFlares,
    LensFlareSize,
    Overbrights,
    MoonShown,
    MoonSeconds,
    Stars,
    SunShown,
    SunMode,
    SunSize,
    ShowClouds,
    CloudsOnLocations,
    CloudsFromSatellites,
    CloudHours,
    TitleColour,
    SubtitleColour,
    MessageMs,
    LabelColour,
    ShowApproxTime,
    ClockColour,
    Performance,
    ScreenSaverMode,
    TimeAdvancing,
    AmbientLight,
    EarthDistance,
    ClockSize,
    NightLights,
    TrueSeasons,
    Atmosphere,
    LabelsDeclutter,
};
inline constexpr int kSettingCount = int(Setting::LabelsDeclutter) + 1;

enum class FieldType { I32, U32, U16, F32 };

enum class ControlKind { CheckBox, DropDown, TrackBar, NumberBox, Swatch, RadioButtons };

// How a control's position becomes the stored value and back.
enum class Mapping {
    Flag,            // -1 when checked, 0 when not; any non-zero value reads as checked
    Identity,        // the position is the value
    NonZeroIsSecond, // a two-item list over a field the globe reads as on/off
    OneIsSecond,     // "Billboard" / "3D mesh": the globe draws a mesh only for 1
    PlusOne,         // value = item index + 1
    FieldOfView,     // value = position * 0.01 + 0.57
    Thousandths,     // ms = seconds * 1000; shown = round(ms / 1000)
    Hours,           // seconds = hours * 3600; shown = round(seconds / 3600)
    TimeAdvance,     // seconds = position * 600; position = round(seconds / 600)
    SunDistance,     // value = position * 10 + 300; position = round((value - 300) * 0.1)
    OrbitSpeed,     // speed = position * 0.00004 - 0.002; position = round((speed + 0.002) * 25000)
    CameraDistance, // distance = round(position * 7.8) + 220; position = round((d - 220) / 780 *
                    // 100)
    OptionBit,      // one bit of the option flags, the others kept as read
};

struct SettingRow {
    Setting setting;
    uint16_t offset; // in the record; for the two camera rows, inside a camera record
    FieldType type;
    Mapping mapping;
    ControlKind control;
    int low;  // lowest position; for number boxes the lowest value accepted
    int high; // highest position; for number boxes the largest number of its digits
    const char* caption;
};

const std::array<SettingRow, kSettingCount>& settingRows();
const SettingRow& rowOf(Setting setting);

// Number of digits a number box takes.
int numberBoxDigits(Setting setting);

inline constexpr int kSelectableCameras = 7; // the locations view has no entry
inline constexpr int kUserCamera = 6;
inline constexpr std::size_t kCameraRecordOffset = 20;

using RecordBytes = std::array<uint8_t, kPreferencesSize>;

// The record of a first start and of "Defaults" and "Reset": the settings
// table's defaults with the editor's checked boxes written as -1.
RecordBytes factoryRecord();

class SettingsModel {
  public:
    SettingsModel() : bytes_(factoryRecord()) {}

    const RecordBytes& bytes() const { return bytes_; }
    Preferences record() const { return decodePreferences(bytes_); }
    void setFactoryDefaults() { bytes_ = factoryRecord(); }
    // A file's bytes over the record: a short file replaces only its length,
    // a long one only the first 1196 bytes.
    void overlayFile(std::span<const uint8_t> fileBytes);

    // What the control shows. Values outside a list or bar show as the
    // nearest end of a bar, or as no item (-1) of a list; the stored value
    // stays until the control is changed.
    int position(Setting setting) const;
    // The control changed: the field takes the mapped value at once.
    void setPosition(Setting setting, int position);
    // A number box's text: digits only. An empty box, or a number outside
    // what the box allows, leaves the field unchanged (false).
    bool setNumberText(Setting setting, std::string_view text);

    // The camera edited by the speed and distance bars: 0..6, or -1 when the
    // record names a camera the drop-down does not list.
    int selectedCamera() const;
    bool followsEarthEnabled() const { return selectedCamera() == kUserCamera; }

    // Colour swatches: each click takes the next palette entry, 13 wrapping
    // to 0; the swatch shows 0x00RRGGBB of its entry.
    void advanceColour(Setting swatch);
    uint32_t swatchRgb(Setting swatch) const;

    // The advanced clouds settings.
    std::string cloudServerHost() const;
    std::string cloudImagePath() const;
    void setCloudServerHost(std::string_view text);
    void setCloudImagePath(std::string_view text);
    uint32_t cloudColour(int i) const;
    void setCloudColour(int i, uint32_t colour);

    // Raw access for the display lists, which check the indices against the
    // devices found.
    uint16_t deviceIndex() const;
    uint16_t resolutionIndex() const;
    void setDeviceIndex(uint16_t index);
    void setResolutionIndex(uint16_t index);

  private:
    std::size_t fieldOffset(const SettingRow& row) const;
    double storedValue(const SettingRow& row) const;
    void store(const SettingRow& row, double value);

    RecordBytes bytes_;
};

} // namespace gv::editor

namespace gv::editor {

// The item texts of a drop-down or radio group, in item order (empty for the
// display lists, which come from the devices found).
std::span<const char* const> itemTexts(Setting setting);

} // namespace gv::editor
