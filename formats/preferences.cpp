#include "formats/preferences.h"

#include "formats/byte_io.h"

#include <cstring>

namespace gv {

namespace {

static_assert(sizeof(CameraSetting) == kCameraSettingSize);
static_assert(offsetof(CameraSetting, runtimeSlot) == 0);
static_assert(offsetof(CameraSetting, cameraName) == 4);
static_assert(offsetof(CameraSetting, distance) == 36);
static_assert(offsetof(CameraSetting, orbitSpeed) == 40);
static_assert(offsetof(CameraSetting, orbitAngle) == 44);
static_assert(sizeof(Preferences) == kPreferencesSize);

// Visits every field with its file offset; the static_asserts tie the
// in-memory layout to the file so the record can be shared with the editor.
#define GV_FIELD(off, name)                                                                        \
    static_assert(offsetof(Preferences, name) == (off), #name);                                    \
    visit(off, prefs.name)

template <class Prefs, class Visit> void forEachField(Prefs& prefs, Visit&& visit) {
    GV_FIELD(0x000, optionsSelection);
    GV_FIELD(0x004, fullScreen);
    GV_FIELD(0x008, deviceIndex);
    GV_FIELD(0x00A, screenModeIndex);
    GV_FIELD(0x00C, doubleBuffered);
    GV_FIELD(0x010, textureFiltering);
    for (int i = 0; i < kCameraCount; ++i) {
        const std::size_t base = 0x014 + kCameraSettingSize * std::size_t(i);
        visit(base + 0, prefs.cameras[i].runtimeSlot);
        visit(base + 4, prefs.cameras[i].cameraName);
        visit(base + 36, prefs.cameras[i].distance);
        visit(base + 40, prefs.cameras[i].orbitSpeed);
        visit(base + 44, prefs.cameras[i].orbitAngle);
    }
    GV_FIELD(0x194, currentCamera);
    GV_FIELD(0x198, fieldOfView);
    GV_FIELD(0x19C, userCameraFollowsEarth);
    GV_FIELD(0x1A0, userLatitude);
    GV_FIELD(0x1A4, userLongitude);
    GV_FIELD(0x1A8, cameraChangingAutomatic);
    GV_FIELD(0x1AC, cameraChangeTime);
    GV_FIELD(0x1B0, cameraSmoothness);
    GV_FIELD(0x1B4, earthGlow);
    GV_FIELD(0x1B8, earthSpecularity);
    GV_FIELD(0x1BC, earthSpecularPower);
    GV_FIELD(0x1C0, earthMeshResolution);
    GV_FIELD(0x1C4, locationsMeshResolution);
    GV_FIELD(0x1C8, otherMeshResolution);
    GV_FIELD(0x1CC, lensFlares);
    GV_FIELD(0x1D0, lensFlareSize);
    GV_FIELD(0x1D4, sunOverbrights);
    GV_FIELD(0x1D8, moonShown);
    GV_FIELD(0x1DC, moonRecalcTime);
    GV_FIELD(0x1E0, starsShown);
    GV_FIELD(0x1E4, sunShown);
    GV_FIELD(0x1E8, sunMesh);
    GV_FIELD(0x1EC, sunSize);
    GV_FIELD(0x1F0, cloudsShown);
    GV_FIELD(0x1F4, cloudsOnLocationsManager);
    GV_FIELD(0x1F8, cloudsFromSatellites);
    GV_FIELD(0x1FC, cloudServerHost);
    GV_FIELD(0x300, cloudImagePath);
    GV_FIELD(0x404, cloudUpdateInterval);
    for (int i = 0; i < kCloudColourCount; ++i)
        visit(0x408 + 4 * std::size_t(i), prefs.cloudColours[i]);
    for (int i = 0; i < 9; ++i)
        visit(0x458 + 4 * std::size_t(i), prefs.lastCloudUpdate[i]);
    static_assert(offsetof(Preferences, cloudColours) == 0x408);
    static_assert(offsetof(Preferences, lastCloudUpdate) == 0x458);
    GV_FIELD(0x47C, titleColour);
    GV_FIELD(0x480, subtitleColour);
    GV_FIELD(0x484, messageTime);
    GV_FIELD(0x488, labelColour);
    GV_FIELD(0x48C, labelsShowTime);
    GV_FIELD(0x490, clockColour);
    GV_FIELD(0x494, showPerformance);
    GV_FIELD(0x498, screenSaverEnhanced);
    GV_FIELD(0x49C, extraSeconds);
    GV_FIELD(0x4A0, ambientPercent);
    GV_FIELD(0x4A4, sunDistance);
    GV_FIELD(0x4A8, clockSize);
    GV_FIELD(0x4AA, optionFlags);
    static_assert(kOptionFlagsOffset == 0x4AA);
}
#undef GV_FIELD

template <std::size_t N> void setText(char (&field)[N], const char* text) {
    std::memset(field, 0, N);
    std::strncpy(field, text, N - 1);
}

struct CameraDefault {
    const char* name;
    int32_t distance;
    float orbitSpeed;
};

constexpr CameraDefault kCameraDefaults[kCameraCount] = {
    {"Orbit 1", 560, 0.0002f},  {"Orbit 2", 650, -0.0004f}, {"Orbit 3", 400, 0.0002f},
    {"Orbit 4", 400, -0.0004f}, {"Sun view", 500, 0.0f},    {"Moon view", 500, 0.0f},
    {"User view", 500, 0.0f},   {"Loc view*", 500, 0.0f},
};

constexpr uint32_t kDefaultCloudColours[kCloudColourCount] = {
    0x004A5963, 0x0052616B, 0x005A656B, 0x00636D73, 0x0073797B, 0x007B8284, 0x0084868C,
    0x0084868C, 0x009C9A9C, 0x00A5A2A5, 0x00B5B2B5, 0x00BDBABD, 0x00C6C3C6, 0x00CECBCE,
    0x00D6D3D6, 0x00DEDBDE, 0x00E7E3E7, 0x00EFEFEF, 0x00F7F7F7, 0x00FFFFFF,
};

} // namespace

const std::array<uint32_t, kOverlayPaletteSize> kOverlayPalette = {
    0xC0FFFFFF, 0xC0FF0000, 0xC000FF00, 0xC00000FF, 0xC0FFFF00, 0xC000FFFF, 0xC0FF00FF,
    0xC0B0B0B0, 0xC0B0D0FF, 0xC0D0B0FF, 0xC0FFD0B0, 0xC0FFB0D0, 0xC0B0FFD0, 0xC0D0FFB0,
};

Preferences defaultPreferences() {
    Preferences p;
    std::memset(&p, 0, sizeof p);
    p.optionsSelection = 0;
    p.fullScreen = 1;
    p.deviceIndex = 0;
    p.screenModeIndex = kFirstRunModeMarker;
    p.doubleBuffered = 0;
    p.textureFiltering = 1;
    for (int i = 0; i < kCameraCount; ++i) {
        setText(p.cameras[i].cameraName, kCameraDefaults[i].name);
        p.cameras[i].distance = kCameraDefaults[i].distance;
        p.cameras[i].orbitSpeed = kCameraDefaults[i].orbitSpeed;
        p.cameras[i].orbitAngle = 0.0f;
    }
    p.currentCamera = 0;
    p.fieldOfView = 0.97f;
    p.userCameraFollowsEarth = 1;
    p.cameraChangingAutomatic = 1;
    p.cameraChangeTime = 20000;
    p.cameraSmoothness = 1;
    p.earthGlow = 1;
    p.earthMeshResolution = 3;
    p.locationsMeshResolution = 3;
    p.otherMeshResolution = 3;
    p.lensFlares = 1;
    p.lensFlareSize = 2;
    p.sunOverbrights = 1;
    p.moonShown = 1;
    p.moonRecalcTime = 10000;
    p.starsShown = 1;
    p.sunShown = 1;
    p.sunMesh = 0;
    p.sunSize = 3;
    p.cloudsShown = 1;
    p.cloudsOnLocationsManager = 1;
    p.cloudsFromSatellites = 0;
    setText(p.cloudServerHost, "www.fourmilab.ch");
    setText(p.cloudImagePath, "/cgi-bin/uncgi/Earth/action?opt=-p&img=wx-cmap.bmp&daynight=-d");
    p.cloudUpdateInterval = 7200;
    std::memcpy(p.cloudColours, kDefaultCloudColours, sizeof p.cloudColours);
    p.titleColour = 8;
    p.subtitleColour = 4;
    p.messageTime = 2500;
    p.labelColour = 9;
    p.labelsShowTime = 1;
    p.clockColour = 0;
    p.showPerformance = 0;
    p.screenSaverEnhanced = 0;
    p.extraSeconds = 0;
    p.ambientPercent = 5;
    p.sunDistance = 1300;
    p.clockSize = 1;
    p.optionFlags = kDefaultOptionFlags;
    return p;
}

std::array<uint8_t, kPreferencesSize> encodePreferences(const Preferences& prefs) {
    std::array<uint8_t, kPreferencesSize> bytes{};
    forEachField(prefs, [&](std::size_t off, const auto& v) { writeField(bytes.data() + off, v); });
    return bytes;
}

Preferences decodePreferences(std::span<const uint8_t, kPreferencesSize> bytes) {
    Preferences prefs;
    forEachField(prefs, [&](std::size_t off, auto& v) { readField(bytes.data() + off, v); });
    return prefs;
}

void overlayPreferences(Preferences& prefs, std::span<const uint8_t> fileBytes) {
    auto bytes = encodePreferences(prefs);
    const std::size_t n = std::min(fileBytes.size(), kPreferencesSize);
    if (n > 0) std::memcpy(bytes.data(), fileBytes.data(), n); // an empty span may hold no pointer
    prefs = decodePreferences(bytes);
}

bool optionOn(uint16_t flags, OptionFlag flag) {
    return (flags & uint16_t(flag)) != 0;
}

uint16_t withOption(uint16_t flags, OptionFlag flag, bool on) {
    return on ? uint16_t(flags | uint16_t(flag)) : uint16_t(flags & ~uint16_t(flag));
}

bool optionOn(std::span<const uint8_t, kPreferencesSize> record, OptionFlag flag) {
    return optionOn(readU16(&record[kOptionFlagsOffset]), flag);
}

void setOption(std::span<uint8_t, kPreferencesSize> record, OptionFlag flag, bool on) {
    writeU16(&record[kOptionFlagsOffset],
             withOption(readU16(&record[kOptionFlagsOffset]), flag, on));
}

int32_t clampedIndex(int32_t value, int32_t lo, int32_t hi, int32_t fallback) {
    return (value < lo || value > hi) ? fallback : value;
}

uint32_t overlayColour(int32_t index, int32_t fallbackIndex) {
    return kOverlayPalette[std::size_t(
        clampedIndex(index, 0, kOverlayPaletteSize - 1,
                     clampedIndex(fallbackIndex, 0, kOverlayPaletteSize - 1, 0)))];
}

int32_t clampedCameraIndex(int32_t index) {
    return clampedIndex(index, 0, kCameraCount - 1, 0);
}

std::tm lastCloudUpdateTime(const Preferences& prefs) {
    const int32_t(&t)[9] = prefs.lastCloudUpdate;
    std::tm tm{};
    tm.tm_sec = t[0];
    tm.tm_min = t[1];
    tm.tm_hour = t[2];
    tm.tm_mday = t[3];
    tm.tm_mon = t[4];
    tm.tm_year = t[5];
    tm.tm_wday = t[6];
    tm.tm_yday = t[7];
    tm.tm_isdst = t[8];
    return tm;
}

void setLastCloudUpdateTime(Preferences& prefs, const std::tm& tm) {
    const int32_t fields[9] = {tm.tm_sec,  tm.tm_min,  tm.tm_hour, tm.tm_mday, tm.tm_mon,
                               tm.tm_year, tm.tm_wday, tm.tm_yday, tm.tm_isdst};
    std::memcpy(prefs.lastCloudUpdate, fields, sizeof fields);
}

} // namespace gv
