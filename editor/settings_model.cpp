#include "editor/settings_model.h"

#include "formats/byte_io.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace gv::editor {

namespace {

using S = Setting;
using T = FieldType;
using M = Mapping;
using C = ControlKind;

// Offsets are those of the file; the static_asserts of the shared record tie
// them to the fields the globe reads.
constexpr std::array<SettingRow, kSettingCount> kRows = {{
    {S::FullScreen, 4, T::I32, M::Flag, C::CheckBox, 0, 1, "Fullscreen"},
    {S::DeviceIndex, 8, T::U16, M::Identity, C::DropDown, 0, 65535, "Device"},
    {S::ResolutionIndex, 10, T::U16, M::Identity, C::DropDown, 0, 65535, "Resolution"},
    {S::Flip, 12, T::I32, M::Flag, C::CheckBox, 0, 1, "Flip"},
    {S::Filter, 16, T::I32, M::Flag, C::CheckBox, 0, 1, "Filter"},
    {S::SelectedCamera, 404, T::I32, M::Identity, C::DropDown, 0, 6, "Selected camera"},
    {S::CameraSpeed, 40, T::F32, M::OrbitSpeed, C::TrackBar, 0, 100, "Speed"},
    {S::CameraDistance, 36, T::I32, M::CameraDistance, C::TrackBar, 0, 100, "Distance"},
    {S::FieldOfView, 408, T::F32, M::FieldOfView, C::TrackBar, 0, 100, "Camera field of view"},
    {S::FollowsEarth, 412, T::I32, M::Flag, C::CheckBox, 0, 1, "Follows earth orbit"},
    {S::ChangingMode, 424, T::I32, M::NonZeroIsSecond, C::DropDown, 0, 1, "Changing"},
    {S::ChangeSeconds, 428, T::U32, M::Thousandths, C::NumberBox, 1, 9999, "seconds"},
    {S::Smoothness, 432, T::I32, M::Identity, C::DropDown, 0, 4, "Smoothness"},
    {S::EarthGlows, 436, T::I32, M::Flag, C::CheckBox, 0, 1, "Earth glows"},
    {S::Specularity, 440, T::I32, M::Identity, C::TrackBar, 0, 100, "Specularity"},
    {S::SpecularPower, 444, T::I32, M::Identity, C::TrackBar, 0, 25, "Specular power"},
    {S::EarthResolution, 448, T::I32, M::Identity, C::DropDown, 0, 6, "Earth resolution"},
    {S::LocationsResolution, 452, T::I32, M::Identity, C::DropDown, 0, 6, "Locations resolution"},
    {S::OtherResolution, 456, T::I32, M::Identity, C::DropDown, 0, 6, "Other meshs resolution"},
    {S::LensFlares, 460, T::I32, M::Flag, C::CheckBox, 0, 1, "Lens flares"},
    {S::LensFlareSize, 464, T::I32, M::PlusOne, C::DropDown, 0, 4, "Lens flares size"},
    {S::Overbrights, 468, T::I32, M::Flag, C::CheckBox, 0, 1, "Overbrights"},
    {S::MoonShown, 472, T::I32, M::Flag, C::CheckBox, 0, 1, "Show"},
    {S::MoonSeconds, 476, T::U32, M::Thousandths, C::NumberBox, 0, 9999, "sec"},
    {S::Stars, 480, T::I32, M::Flag, C::CheckBox, 0, 1, "Stars"},
    {S::SunShown, 484, T::I32, M::Flag, C::CheckBox, 0, 1, "Show"},
    {S::SunMode, 488, T::U32, M::OneIsSecond, C::DropDown, 0, 1, "Sun mode"},
    {S::SunSize, 492, T::I32, M::Identity, C::RadioButtons, 1, 5, "Sun size"},
    {S::ShowClouds, 496, T::I32, M::Flag, C::CheckBox, 0, 1, "Show clouds"},
    {S::CloudsOnLocations, 500, T::I32, M::Flag, C::CheckBox, 0, 1, "On locations"},
    {S::CloudsFromSatellites, 504, T::I32, M::Flag, C::CheckBox, 0, 1, "From satellites"},
    {S::CloudHours, 1028, T::U32, M::Hours, C::NumberBox, 1, 99, "hours"},
    {S::TitleColour, 1148, T::I32, M::Identity, C::Swatch, 0, 13, "Color of onscreen messages"},
    {S::SubtitleColour, 1152, T::I32, M::Identity, C::Swatch, 0, 13,
     "Color of second onscreen messages"},
    {S::MessageMs, 1156, T::U32, M::Identity, C::NumberBox, 0, 9999, "ms"},
    {S::LabelColour, 1160, T::I32, M::Identity, C::Swatch, 0, 13,
     "Color of shown locations over the globe"},
    {S::ShowApproxTime, 1164, T::I32, M::Flag, C::CheckBox, 0, 1, "Show approx time"},
    {S::ClockColour, 1168, T::I32, M::Identity, C::Swatch, 0, 13, "Color of the clock"},
    {S::Performance, 1172, T::I32, M::Flag, C::CheckBox, 0, 1, "Performance"},
    {S::ScreenSaverMode, 1176, T::I32, M::NonZeroIsSecond, C::DropDown, 0, 1, "Screensaver"},
    {S::TimeAdvancing, 1180, T::U32, M::TimeAdvance, C::TrackBar, 0, 100, "Time advancing"},
    {S::AmbientLight, 1184, T::I32, M::Identity, C::TrackBar, 0, 100, "Ambient light"},
    {S::EarthDistance, 1188, T::U32, M::SunDistance, C::TrackBar, 0, 100, "Earth dist to sun"},
    {S::ClockSize, 1192, T::U16, M::Identity, C::TrackBar, 1, 5, "Clock size"},
    {S::NightLights, 1194, T::U16, M::OptionBit, C::CheckBox, 0, 1, "Night lights"},
    {S::TrueSeasons, 1194, T::U16, M::OptionBit, C::CheckBox, 0, 1, "True seasons"},
    {S::Atmosphere, 1194, T::U16, M::OptionBit, C::CheckBox, 0, 1, "Atmosphere"},
    {S::LabelsDeclutter, 1194, T::U16, M::OptionBit, C::CheckBox, 0, 1, "Declutter labels"},
}};
static_assert(kOptionFlagsOffset == 1194);

constexpr bool rowsInOrder() {
    for (int i = 0; i < kSettingCount; ++i)
        if (int(kRows[std::size_t(i)].setting) != i) return false;
    return true;
}
static_assert(rowsInOrder(), "one row per setting, in the enumeration's order");

constexpr const char* kCameraItems[] = {"Orbit 1", "Orbit 2", "Orbit 3", "Orbit 4",
                                        "Sun",     "Moon",    "User"};
constexpr const char* kChangingItems[] = {"Manual", "Automatic"};
constexpr const char* kSmoothnessItems[] = {"Super smooth", "Smooth", "Normal", "Rough",
                                            "Super rough"};
constexpr const char* kResolutionItems[] = {"Ultra low", "Very low",  "Low",       "Medium",
                                            "High",      "Very high", "Ultra high"};
constexpr const char* kSizeItems[] = {"Tiny", "Small", "Normal", "Big", "Huge"};
constexpr const char* kSunModeItems[] = {"Billboard", "3D mesh"};
constexpr const char* kSaverItems[] = {"Conventional", "Enhanced"};

// Flags the editor writes as -1 when the factory default is on.
constexpr Setting kFlags[] = {
    S::FullScreen,
    S::Flip,
    S::Filter,
    S::FollowsEarth,
    S::EarthGlows,
    S::LensFlares,
    S::Overbrights,
    S::MoonShown,
    S::Stars,
    S::SunShown,
    S::ShowClouds,
    S::CloudsOnLocations,
    S::CloudsFromSatellites,
    S::ShowApproxTime,
    S::Performance,
};

// Rounds half away from zero and keeps the result inside int.
int roundedPosition(double v) {
    if (!std::isfinite(v)) return 0;
    v = std::round(v);
    constexpr double lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
    return int(std::clamp(v, lo, hi));
}

// The bit of the option flags a check box stands for.
OptionFlag optionFlagOf(Setting setting) {
    switch (setting) {
    case S::TrueSeasons:
        return OptionFlag::TrueSeasons;
    case S::Atmosphere:
        return OptionFlag::Atmosphere;
    case S::LabelsDeclutter:
        return OptionFlag::LabelsDeclutter;
    default:
        return OptionFlag::NightLights;
    }
}

} // namespace

const std::array<SettingRow, kSettingCount>& settingRows() {
    return kRows;
}

const SettingRow& rowOf(Setting setting) {
    return kRows[std::size_t(setting)];
}

int numberBoxDigits(Setting setting) {
    int digits = 0;
    for (int v = rowOf(setting).high; v > 0; v /= 10)
        ++digits;
    return digits;
}

std::span<const char* const> itemTexts(Setting setting) {
    switch (setting) {
    case S::SelectedCamera:
        return kCameraItems;
    case S::ChangingMode:
        return kChangingItems;
    case S::Smoothness:
        return kSmoothnessItems;
    case S::EarthResolution:
    case S::LocationsResolution:
    case S::OtherResolution:
        return kResolutionItems;
    case S::LensFlareSize:
    case S::SunSize:
        return kSizeItems;
    case S::SunMode:
        return kSunModeItems;
    case S::ScreenSaverMode:
        return kSaverItems;
    default:
        return {};
    }
}

RecordBytes factoryRecord() {
    RecordBytes bytes = encodePreferences(defaultPreferences());
    for (Setting flag : kFlags) {
        const SettingRow& row = rowOf(flag);
        if (readI32(&bytes[row.offset]) != 0) writeI32(&bytes[row.offset], -1);
    }
    // The editor's camera records start with no live handle and no angle.
    for (int i = 0; i < kCameraCount; ++i) {
        const std::size_t base = kCameraRecordOffset + kCameraSettingSize * std::size_t(i);
        writeU32(&bytes[base], 0);
        writeF32(&bytes[base + 44], 0.0f);
    }
    return bytes;
}

void SettingsModel::overlayFile(std::span<const uint8_t> fileBytes) {
    const std::size_t n = std::min(fileBytes.size(), kPreferencesSize);
    if (n > 0) std::memcpy(bytes_.data(), fileBytes.data(), n);
}

int SettingsModel::selectedCamera() const {
    const int32_t c = readI32(&bytes_[rowOf(S::SelectedCamera).offset]);
    return (c >= 0 && c < kSelectableCameras) ? c : -1;
}

std::size_t SettingsModel::fieldOffset(const SettingRow& row) const {
    if (row.setting == S::CameraSpeed || row.setting == S::CameraDistance)
        return kCameraRecordOffset + kCameraSettingSize * std::size_t(selectedCamera()) +
               row.offset;
    return row.offset;
}

double SettingsModel::storedValue(const SettingRow& row) const {
    const uint8_t* p = &bytes_[fieldOffset(row)];
    switch (row.type) {
    case T::I32:
        return readI32(p);
    case T::U32:
        return readU32(p);
    case T::U16:
        return readU16(p);
    case T::F32:
        return readF32(p);
    }
    return 0;
}

void SettingsModel::store(const SettingRow& row, double value) {
    uint8_t* p = &bytes_[fieldOffset(row)];
    switch (row.type) {
    case T::I32:
        writeI32(p, int32_t(value));
        break;
    case T::U32:
        writeU32(p, uint32_t(int64_t(value)));
        break;
    case T::U16:
        writeU16(p, uint16_t(int64_t(value)));
        break;
    case T::F32:
        writeF32(p, float(value));
        break;
    }
}

int SettingsModel::position(Setting setting) const {
    const SettingRow& row = rowOf(setting);
    const bool cameraRow = setting == S::CameraSpeed || setting == S::CameraDistance;
    if (cameraRow && selectedCamera() < 0) return row.low;
    const double v = storedValue(row);
    int pos = 0;
    switch (row.mapping) {
    case M::OptionBit:
        return optionOn(bytes_, optionFlagOf(setting)) ? 1 : 0;
    case M::Flag:
        return v != 0 ? 1 : 0;
    case M::NonZeroIsSecond:
        return v != 0 ? 1 : 0;
    case M::OneIsSecond:
        return v == 1 ? 1 : 0;
    case M::Identity:
        pos = roundedPosition(v);
        break;
    case M::PlusOne:
        pos = roundedPosition(v - 1);
        break;
    case M::FieldOfView:
        pos = roundedPosition((v - 0.57) * 100.0);
        break;
    case M::Thousandths:
        return roundedPosition(v / 1000.0);
    case M::Hours:
        return roundedPosition(v / 3600.0);
    case M::TimeAdvance:
        pos = roundedPosition(v / 600.0);
        break;
    case M::SunDistance:
        pos = roundedPosition((v - 300.0) * 0.1);
        break;
    case M::OrbitSpeed:
        pos = roundedPosition((v + 0.002) * 25000.0);
        break;
    case M::CameraDistance:
        pos = roundedPosition((v - 220.0) / 780.0 * 100.0);
        break;
    }
    if (row.control == C::NumberBox) return pos;
    if (row.control == C::TrackBar) return std::clamp(pos, row.low, row.high);
    // Lists, radio buttons and swatches: a value they cannot show selects nothing.
    if (row.control == C::Swatch) return pos;
    return (pos < row.low || pos > row.high) ? -1 : pos;
}

void SettingsModel::setPosition(Setting setting, int position) {
    const SettingRow& row = rowOf(setting);
    const bool cameraRow = setting == S::CameraSpeed || setting == S::CameraDistance;
    if (cameraRow && selectedCamera() < 0) return;
    const double p = position;
    switch (row.mapping) {
    case M::Flag:
        store(row, position != 0 ? -1 : 0);
        break;
    case M::Identity:
    case M::NonZeroIsSecond:
    case M::OneIsSecond:
        store(row, p);
        break;
    case M::PlusOne:
        store(row, p + 1);
        break;
    case M::FieldOfView:
        store(row, p * 0.01 + 0.57);
        break;
    case M::Thousandths:
        store(row, p * 1000.0);
        break;
    case M::Hours:
        store(row, p * 3600.0);
        break;
    case M::TimeAdvance:
        store(row, p * 600.0);
        break;
    case M::SunDistance:
        store(row, p * 10.0 + 300.0);
        break;
    case M::OrbitSpeed:
        store(row, p * 0.00004 - 0.002);
        break;
    case M::CameraDistance:
        store(row, std::round(p * 7.8) + 220.0);
        break;
    case M::OptionBit:
        setOption(bytes_, optionFlagOf(setting), position != 0);
        break;
    }
}

bool SettingsModel::setNumberText(Setting setting, std::string_view text) {
    const SettingRow& row = rowOf(setting);
    if (text.empty() || text.size() > std::size_t(numberBoxDigits(setting))) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < row.low || value > row.high) return false;
    setPosition(setting, value);
    return true;
}

void SettingsModel::advanceColour(Setting swatch) {
    const SettingRow& row = rowOf(swatch);
    const int32_t index = readI32(&bytes_[row.offset]);
    // An index outside the palette starts again at its first entry.
    const int32_t next = (index < 0 || index >= kOverlayPaletteSize - 1) ? 0 : index + 1;
    writeI32(&bytes_[row.offset], next);
}

uint32_t SettingsModel::swatchRgb(Setting swatch) const {
    const SettingRow& row = rowOf(swatch);
    const Preferences defaults = defaultPreferences();
    int32_t fallback = 0;
    switch (swatch) {
    case S::TitleColour:
        fallback = defaults.titleColour;
        break;
    case S::SubtitleColour:
        fallback = defaults.subtitleColour;
        break;
    case S::LabelColour:
        fallback = defaults.labelColour;
        break;
    default:
        fallback = defaults.clockColour;
        break;
    }
    return overlayColour(readI32(&bytes_[row.offset]), fallback) & 0x00FFFFFFu;
}

namespace {
std::string textField(const RecordBytes& bytes, std::size_t offset) {
    const char* p = reinterpret_cast<const char*>(&bytes[offset]);
    return std::string(p, strnlen(p, kHostFieldSize));
}
void setTextField(RecordBytes& bytes, std::size_t offset, std::string_view text) {
    // What fits with its terminator; the bytes after the terminator are kept.
    const std::size_t n = std::min(text.size(), kHostFieldSize - 1);
    std::memcpy(&bytes[offset], text.data(), n);
    bytes[offset + n] = 0;
}
constexpr std::size_t kHostOffset = 508;
constexpr std::size_t kPathOffset = 768;
constexpr std::size_t kColoursOffset = 1032;
} // namespace

std::string SettingsModel::cloudServerHost() const {
    return textField(bytes_, kHostOffset);
}
std::string SettingsModel::cloudImagePath() const {
    return textField(bytes_, kPathOffset);
}
void SettingsModel::setCloudServerHost(std::string_view text) {
    setTextField(bytes_, kHostOffset, text);
}
void SettingsModel::setCloudImagePath(std::string_view text) {
    setTextField(bytes_, kPathOffset, text);
}
uint32_t SettingsModel::cloudColour(int i) const {
    return readU32(&bytes_[kColoursOffset + 4 * std::size_t(i)]);
}
void SettingsModel::setCloudColour(int i, uint32_t colour) {
    writeU32(&bytes_[kColoursOffset + 4 * std::size_t(i)], colour);
}

uint16_t SettingsModel::deviceIndex() const {
    return readU16(&bytes_[rowOf(S::DeviceIndex).offset]);
}
uint16_t SettingsModel::resolutionIndex() const {
    return readU16(&bytes_[rowOf(S::ResolutionIndex).offset]);
}
void SettingsModel::setDeviceIndex(uint16_t index) {
    writeU16(&bytes_[rowOf(S::DeviceIndex).offset], index);
}
void SettingsModel::setResolutionIndex(uint16_t index) {
    writeU16(&bytes_[rowOf(S::ResolutionIndex).offset], index);
}

} // namespace gv::editor
