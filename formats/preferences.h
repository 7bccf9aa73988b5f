#pragma once
// The settings record shared by the globe and the editor: 1196 bytes, the same
// in memory and in "geovista.cfg". Field offsets are fixed by the file and
// checked at compile time in preferences.cpp.
#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>

namespace gv {

using Bool32 = int32_t; // any non-zero value is on; the globe writes 1, the editor -1

inline constexpr std::size_t kPreferencesSize = 1196;
inline constexpr std::size_t kCameraSettingSize = 48;
inline constexpr int kCameraCount = 8;
inline constexpr int kCloudColourCount = 20;
inline constexpr int kOverlayPaletteSize = 14;
inline constexpr std::size_t kHostFieldSize = 260;
inline constexpr uint16_t kFirstRunModeMarker = 999;

struct CameraSetting {
    uint32_t runtimeSlot; // the globe's live camera handle; meaningless on disk
    char cameraName[32];
    int32_t distance;
    float orbitSpeed; // radians per millisecond of frame time
    float orbitAngle;
};

struct Preferences {
    int32_t optionsSelection;
    Bool32 fullScreen;
    uint16_t deviceIndex;
    uint16_t screenModeIndex;
    Bool32 doubleBuffered;
    Bool32 textureFiltering;
    CameraSetting cameras[kCameraCount];
    int32_t currentCamera;
    float fieldOfView;
    Bool32 userCameraFollowsEarth;
    float userLatitude;
    float userLongitude;
    Bool32 cameraChangingAutomatic;
    uint32_t cameraChangeTime;
    int32_t cameraSmoothness;
    Bool32 earthGlow;
    int32_t earthSpecularity;
    int32_t earthSpecularPower;
    int32_t earthMeshResolution;
    int32_t locationsMeshResolution;
    int32_t otherMeshResolution;
    Bool32 lensFlares;
    int32_t lensFlareSize;
    Bool32 sunOverbrights;
    Bool32 moonShown;
    uint32_t moonRecalcTime;
    Bool32 starsShown;
    Bool32 sunShown;
    uint32_t sunMesh;
    int32_t sunSize;
    Bool32 cloudsShown;
    Bool32 cloudsOnLocationsManager;
    Bool32 cloudsFromSatellites;
    char cloudServerHost[kHostFieldSize];
    char cloudImagePath[kHostFieldSize];
    uint32_t cloudUpdateInterval;
    uint32_t cloudColours[kCloudColourCount];
    int32_t lastCloudUpdate[9]; // sec, min, hour, mday, mon, year-1900, wday, yday, isdst
    int32_t titleColour;
    int32_t subtitleColour;
    uint32_t messageTime;
    int32_t labelColour;
    Bool32 labelsShowTime;
    int32_t clockColour;
    Bool32 showPerformance;
    Bool32 screenSaverEnhanced;
    uint32_t extraSeconds;
    int32_t ambientPercent;
    uint32_t sunDistance;
    uint16_t clockSize;
    uint16_t optionFlags; // the OptionFlag bits below, 1 = on
};

// The on/off options held as bits of `optionFlags` (offset 0x4AA, a
// little-endian u16). A fresh record has these four on; a file written
// before they existed holds 0 there and keeps the look it had. Every bit not
// named here is kept as read.
enum class OptionFlag : uint16_t {
    NightLights = 1 << 0,
    TrueSeasons = 1 << 1,
    Atmosphere = 1 << 2,
    LabelsDeclutter = 1 << 3, // a label that would cover a nearer one is left out
};
inline constexpr std::size_t kOptionFlagsOffset = 0x4AA;
inline constexpr uint16_t kDefaultOptionFlags = 0x000F;

bool optionOn(uint16_t flags, OptionFlag flag);
// The flags with one bit changed, every other bit as it was.
uint16_t withOption(uint16_t flags, OptionFlag flag, bool on);
// The same on the record as bytes (the editor keeps it that way).
bool optionOn(std::span<const uint8_t, kPreferencesSize> record, OptionFlag flag);
void setOption(std::span<uint8_t, kPreferencesSize> record, OptionFlag flag, bool on);

// A fresh record with every default of the settings table.
Preferences defaultPreferences();

// Field-by-field little-endian encoding of the whole record.
std::array<uint8_t, kPreferencesSize> encodePreferences(const Preferences& prefs);
Preferences decodePreferences(std::span<const uint8_t, kPreferencesSize> bytes);

// Reads a file's leading bytes over the record, as loading does: a short file
// replaces only the bytes it has, a long one only the first 1196.
void overlayPreferences(Preferences& prefs, std::span<const uint8_t> fileBytes);

// The 14 ARGB colours that every colour option selects by index.
extern const std::array<uint32_t, kOverlayPaletteSize> kOverlayPalette;

// Indexing helpers that never read past a table: values read from the file
// are used as they are except where they index something, where an
// out-of-range value falls back to the field's default.
uint32_t overlayColour(int32_t index, int32_t fallbackIndex);
int32_t clampedCameraIndex(int32_t index);
int32_t clampedIndex(int32_t value, int32_t lo, int32_t hi, int32_t fallback);

// A fixed text field as a terminated string: the file's field need not end
// with a zero, so every read of one goes through here.
template <std::size_t N> struct FieldText { char text[N + 1]; };
template <std::size_t N> FieldText<N> fieldText(const char (&field)[N]) {
    FieldText<N> out{};
    for (std::size_t i = 0; i < N && field[i] != 0; ++i)
        out.text[i] = field[i];
    return out;
}
inline FieldText<32> cameraNameText(const CameraSetting& camera) {
    return fieldText(camera.cameraName);
}

inline bool isOn(Bool32 v) {
    return v != 0;
}
inline bool optionOn(const Preferences& prefs, OptionFlag flag) {
    return optionOn(prefs.optionFlags, flag);
}

// `lastCloudUpdate` as the broken-down local time its nine fields hold, and
// the other way.
std::tm lastCloudUpdateTime(const Preferences& prefs);
void setLastCloudUpdateTime(Preferences& prefs, const std::tm& time);

} // namespace gv
