#include "ui/options_overlay.h"

#include "platform/messages.h"
#include "ui/cloud_services.h"
#include "ui/display_mode_services.h"
#include "ui/help_overlay.h"
#include "ui/scene_services.h"
#include "ui/ui_host.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>

namespace gv {

namespace {

using platform::VK_END;
using platform::VK_HOME;
using platform::VK_LEFT;
using platform::VK_RIGHT;

constexpr float kDegreesPerRadian = 57.295776f;
constexpr float kTextDepth = 0.00001f;

Preferences& P() {
    return uiHost().preferences();
}

OptionValue format(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
OptionValue format(const char* fmt, ...) {
    OptionValue value;
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(value.text, sizeof value.text, fmt, args);
    va_end(args);
    return value;
}

// --- the kinds of change the entries make ---

// Up adds step while the value is below hi, Down takes it away while the value
// is above lo.
template <class T> void stepWithin(T& value, uint32_t key, T lo, T hi, T step) {
    if (key == kOptionUp && value < hi) value = T(value + step);
    if (key == kOptionDown && value > lo) value = T(value - step);
}

template <class T> void toggle(T& value, uint32_t key) {
    if (key == kOptionUp || key == kOptionDown) value = value != 0 ? 0 : 1;
}

// Colour indices run round the palette in both directions.
void wrapColour(int32_t& value, uint32_t key) {
    const int32_t last = kOverlayPaletteSize - 1;
    if (key == kOptionUp) value = (value >= last || value < 0) ? 0 : value + 1;
    if (key == kOptionDown) value = (value <= 0 || value > last) ? last : value - 1;
}

bool changes(uint32_t key) {
    return key == kOptionUp || key == kOptionDown;
}

// --- value texts ---

const char* onOff(Bool32 v) {
    return v != 0 ? "ON" : "OFF";
}
const char* yesNo(Bool32 v) {
    return v != 0 ? "YES" : "NO";
}

const char* named(int32_t value, int32_t first, std::initializer_list<const char*> names) {
    const int32_t i = value - first;
    if (i < 0 || i >= int32_t(names.size())) return "undefined";
    return names.begin()[i];
}

const char* resolutionName(int32_t v) {
    return named(v, 0,
                 {"ULTRA LOW", "VERY LOW", "LOW", "MEDIUM", "HIGH", "VERY HIGH", "ULTRA HIGH"});
}

const char* sizeName(int32_t v) {
    return named(v, 1, {"TINY", "SMALL", "NORMAL", "BIG", "HUGE"});
}

OptionValue secondsFromMs(uint32_t ms) {
    return format("%u second%c", ms / 1000, ms == 1000 ? ' ' : 's');
}

OptionValue colourText(int32_t v) {
    return format("color %u", unsigned(v));
}

OptionValue percentOrDisabled(int32_t shown, int32_t stored) {
    if (stored == 0) return "DISABLED";
    return format("%u percent", unsigned(shown));
}

// --- the entries ---

OptionValue smoothness(uint32_t key) {
    stepWithin<int32_t>(P().cameraSmoothness, key, 0, 4, 1);
    return named(P().cameraSmoothness, 0,
                 {"SUPER SMOOTH", "SMOOTH", "NORMAL", "ROUGH", "SUPER ROUGH"});
}

OptionValue changingMode(uint32_t key) {
    toggle(P().cameraChangingAutomatic, key);
    return P().cameraChangingAutomatic != 0 ? "AUTOMATIC" : "MANUAL";
}

OptionValue changingTime(uint32_t key) {
    stepWithin<uint32_t>(P().cameraChangeTime, key, 2000, 3600000, 1000);
    return secondsFromMs(P().cameraChangeTime);
}

OptionValue fieldOfView(uint32_t key) {
    float& fov = P().fieldOfView;
    // Single-precision steps, as stored: from 0.97 the limits are reached
    // after 61 steps up and 41 down.
    stepWithin<float>(fov, key, 0.57f, 1.57f, 0.01f);
    if (changes(key)) sceneServices().setFieldOfView(fov);
    const float degrees = fov * kDegreesPerRadian;
    return format("%u degrees", degrees > 0.0f ? unsigned(degrees) : 0u);
}

OptionValue userFollowsEarth(uint32_t key) {
    toggle(P().userCameraFollowsEarth, key);
    return onOff(P().userCameraFollowsEarth);
}

OptionValue earthResolution(uint32_t key) {
    stepWithin<int32_t>(P().earthMeshResolution, key, 0, 6, 1);
    if (key == kOptionEnter) sceneServices().rebuildEarth();
    return resolutionName(P().earthMeshResolution);
}

OptionValue locationsResolution(uint32_t key) {
    stepWithin<int32_t>(P().locationsMeshResolution, key, 0, 6, 1);
    // The earth's build makes the locations manager's meshes as well.
    if (key == kOptionEnter) sceneServices().rebuildEarth();
    return resolutionName(P().locationsMeshResolution);
}

OptionValue otherResolution(uint32_t key) {
    stepWithin<int32_t>(P().otherMeshResolution, key, 0, 6, 1);
    if (key == kOptionEnter) sceneServices().rebuildSunAndMoon();
    return resolutionName(P().otherMeshResolution);
}

OptionValue clouds(uint32_t key) {
    toggle(P().cloudsShown, key);
    return onOff(P().cloudsShown);
}

OptionValue cloudsFromSatellites(uint32_t key) {
    toggle(P().cloudsFromSatellites, key);
    return onOff(P().cloudsFromSatellites);
}

OptionValue cloudUpdatingTime(uint32_t key) {
    Preferences& p = P();
    uint32_t hours = p.cloudUpdateInterval / 3600;
    if (changes(key)) {
        stepWithin<uint32_t>(hours, key, 1, 24, 1);
        p.cloudUpdateInterval = hours * 3600;
    }
    const bool downloading = cloudServices().cloudDownloadRunning();
    // "Now" while an update runs is that update: no second one after it.
    if (key == kOptionEnter && !downloading)
        for (int32_t& field : p.lastCloudUpdate)
            field = 0;

    const char hourSuffix = hours == 1 ? ' ' : 's';
    if (downloading) return format("%u hour%c - downloading right now", hours, hourSuffix);
    if (p.cloudsFromSatellites == 0)
        return format("%u hour%c - actually disabled", hours, hourSuffix);

    // Never updated: due now.
    const int64_t since =
        cloudServices().secondsSinceCloudUpdate().value_or(int64_t(p.cloudUpdateInterval) + 60);
    int64_t minutes = (int64_t(p.cloudUpdateInterval) - since) / 60 + 1;
    if (minutes < 0) minutes = 0;
    return format("%u hour%c - next in %u minute%c", hours, hourSuffix, unsigned(minutes),
                  minutes == 1 ? ' ' : 's');
}

OptionValue cloudsOnManager(uint32_t key) {
    toggle(P().cloudsOnLocationsManager, key);
    return onOff(P().cloudsOnLocationsManager);
}

OptionValue sun(uint32_t key) {
    toggle(P().sunShown, key);
    return onOff(P().sunShown);
}

OptionValue sunMode(uint32_t key) {
    toggle(P().sunMesh, key);
    return P().sunMesh == 1 ? "MESH" : "BILLBOARD";
}

OptionValue sunSize(uint32_t key) {
    stepWithin<int32_t>(P().sunSize, key, 1, 5, 1);
    return sizeName(P().sunSize);
}

OptionValue sunOverbrights(uint32_t key) {
    toggle(P().sunOverbrights, key);
    return onOff(P().sunOverbrights);
}

OptionValue lensFlares(uint32_t key) {
    toggle(P().lensFlares, key);
    return onOff(P().lensFlares);
}

OptionValue lensFlareSize(uint32_t key) {
    stepWithin<int32_t>(P().lensFlareSize, key, 1, 5, 1);
    return sizeName(P().lensFlareSize);
}

OptionValue earthGlow(uint32_t key) {
    toggle(P().earthGlow, key);
    return onOff(P().earthGlow);
}

OptionValue specularPower(uint32_t key) {
    int32_t& v = P().earthSpecularPower;
    stepWithin<int32_t>(v, key, 0, 25, 1);
    if (changes(key)) sceneServices().setEarthSpecularPower(float(v));
    return percentOrDisabled(v * 4, v);
}

OptionValue specularity(uint32_t key) {
    int32_t& v = P().earthSpecularity;
    stepWithin<int32_t>(v, key, 0, 100, 1);
    if (changes(key)) sceneServices().setEarthSpecularLevel(float(v) * 0.01f);
    return percentOrDisabled(v, v);
}

OptionValue moon(uint32_t key) {
    toggle(P().moonShown, key);
    return onOff(P().moonShown);
}

OptionValue moonRecalculation(uint32_t key) {
    stepWithin<uint32_t>(P().moonRecalcTime, key, 5000, 120000, 1000);
    return secondsFromMs(P().moonRecalcTime);
}

OptionValue stars(uint32_t key) {
    toggle(P().starsShown, key);
    return onOff(P().starsShown);
}

OptionValue clockSize(uint32_t key) {
    stepWithin<uint16_t>(P().clockSize, key, 1, 5, 1);
    return format("size %u", unsigned(P().clockSize));
}

OptionValue clockColour(uint32_t key) {
    wrapColour(P().clockColour, key);
    return colourText(P().clockColour);
}

OptionValue messages(uint32_t key) {
    uint32_t& v = P().messageTime;
    if (key == kOptionUp && v < 10000) v += 250;
    // A time the editor wrote off the 250 grid must not wrap below zero.
    if (key == kOptionDown && v != 0) v = v > 250 ? v - 250 : 0;
    if (v == 0) return "DISABLED";
    return format("%u milliseconds", v);
}

OptionValue titleColour(uint32_t key) {
    wrapColour(P().titleColour, key);
    return colourText(P().titleColour);
}

OptionValue subtitleColour(uint32_t key) {
    wrapColour(P().subtitleColour, key);
    return colourText(P().subtitleColour);
}

OptionValue labelColour(uint32_t key) {
    wrapColour(P().labelColour, key);
    return colourText(P().labelColour);
}

OptionValue labelsShowTime(uint32_t key) {
    toggle(P().labelsShowTime, key);
    return onOff(P().labelsShowTime);
}

OptionValue textureFiltering(uint32_t key) {
    toggle(P().textureFiltering, key);
    if (changes(key)) sceneServices().setBilinearFiltering(P().textureFiltering != 0);
    return onOff(P().textureFiltering);
}

OptionValue ambient(uint32_t key) {
    int32_t& v = P().ambientPercent;
    stepWithin<int32_t>(v, key, 0, 100, 1);
    if (changes(key)) sceneServices().setAmbientLight(float(v) * 0.01f);
    return format("%u percent", unsigned(v));
}

OptionValue extraTime(uint32_t key) {
    uint32_t& v = P().extraSeconds;
    if (key == kOptionUp && v < 60) ++v;
    if (key == kOptionDown && v != 0) --v;
    return format("%u second%c", v, v == 1 ? ' ' : 's');
}

OptionValue sunDistance(uint32_t key) {
    stepWithin<uint32_t>(P().sunDistance, key, 300, 1300, 10);
    return format("%u units", P().sunDistance);
}

OptionValue performance(uint32_t key) {
    toggle(P().showPerformance, key);
    return yesNo(P().showPerformance);
}

// An index that does not fit a list (a value from the file, or a mode index
// meant for another driver) reads the list's last entry instead.
int clampToList(int index, int count) {
    if (count <= 0) return -1;
    return index < count ? index : count - 1;
}

OptionValue displayDevice(uint32_t key) {
    DisplayModeServices& host = displayModeServices();
    uint16_t& v = P().deviceIndex;
    const int count = host.driverCount();
    if (key == kOptionUp && int(v) < count - 1) ++v;
    if (key == kOptionDown && v > 0) --v;
    const int driver = clampToList(v, count);
    if (driver < 0) return "undefined";
    return format("%s (%s)", host.driverName(driver), host.driverDescription(driver));
}

OptionValue screenResolution(uint32_t key) {
    DisplayModeServices& host = displayModeServices();
    Preferences& p = P();
    const int listDriver = clampToList(p.deviceIndex, host.driverCount());
    const int count = listDriver < 0 ? 0 : host.modeCount(listDriver);
    uint16_t& v = p.screenModeIndex;
    if (key == kOptionUp && int(v) < count - 1) ++v;
    if (key == kOptionDown && v > 0) --v;
    if (key == kOptionEnter) {
        // The change applies to the driver the display runs on, whose list may
        // be shorter than the one the index was chosen from.
        const int running = host.runningDriver();
        const int index = v == 0 ? 0 : clampToList(v, host.modeCount(running));
        if (index >= 0) {
            host.changeDisplayMode(index);
            helpLayout();
        }
    }
    if (v == 0) return "use current desktop res";
    const int shown = clampToList(v, count);
    if (shown < 0) return "undefined";
    const UiScreenMode m = host.mode(listDriver, shown);
    return format("%ux%u %ubits", m.width, m.height, m.bitsPerPixel);
}

OptionValue fullScreen(uint32_t key) {
    toggle(P().fullScreen, key);
    return yesNo(P().fullScreen);
}

OptionValue doubleBuffered(uint32_t key) {
    toggle(P().doubleBuffered, key);
    return yesNo(P().doubleBuffered);
}

// One bit of the option flags, the other bits as they were.
OptionValue optionBit(OptionFlag flag, uint32_t key) {
    uint16_t& flags = P().optionFlags;
    if (changes(key)) flags = withOption(flags, flag, !optionOn(flags, flag));
    return optionOn(flags, flag) ? "ON" : "OFF";
}

OptionValue nightLights(uint32_t key) {
    return optionBit(OptionFlag::NightLights, key);
}

OptionValue trueSeasons(uint32_t key) {
    return optionBit(OptionFlag::TrueSeasons, key);
}

OptionValue atmosphere(uint32_t key) {
    return optionBit(OptionFlag::Atmosphere, key);
}

OptionValue labelsDeclutter(uint32_t key) {
    return optionBit(OptionFlag::LabelsDeclutter, key);
}

OptionValue saverMode(uint32_t key) {
    toggle(P().screenSaverEnhanced, key);
    return P().screenSaverEnhanced != 0 ? "ENHANCED" : "CONVENTIONAL";
}

const std::array<OptionEntry, kOptionCount> kEntries = {{
    {"CAMERA MOVEMENT SMOOTHNESS", smoothness},
    {"CAMERA CHANGING MODE", changingMode},
    {"AUTOMATIC CHANGING TIME", changingTime},
    {"CAMERA FIELD-OF-VIEW", fieldOfView},
    {"USER CAMERA FOLLOWS EARTH", userFollowsEarth},
    {"EARTH MESH RESOLUTION\n[ENTER] to rebuild", earthResolution},
    {"LOCATIONS RESOLUTION\n[ENTER] to rebuild", locationsResolution},
    {"OTHER MESHS RESOLUTION\n[ENTER] to rebuild", otherResolution},
    {"CLOUDS", clouds},
    {"CLOUDS FROM SATELLITES", cloudsFromSatellites},
    {"CLOUDS UPDATING TIME\n[ENTER] to update now", cloudUpdatingTime},
    {"CLOUDS ON LOCATIONS MANAGER", cloudsOnManager},
    {"SUN", sun},
    {"SUN MODE", sunMode},
    {"SUN SIZE", sunSize},
    {"SUN OVERBRIGHTS", sunOverbrights},
    {"LENS FLARES", lensFlares},
    {"LENS FLARES SIZE", lensFlareSize},
    {"EARTH GLOWING", earthGlow},
    {"EARTH SPECULARITY POWER", specularPower},
    {"EARTH SPECULARITY", specularity},
    {"MOON", moon},
    {"MOON RECALCULATION", moonRecalculation},
    {"STARS", stars},
    {"CLOCK SIZE", clockSize},
    {"CLOCK COLOR", clockColour},
    {"ONSCREEN MESSAGES", messages},
    {"ONSCREEN TITLE COLOR", titleColour},
    {"ONSCREEN SUB-TITLE COLOR", subtitleColour},
    {"LOCATIONS LABELS COLOR", labelColour},
    {"LOCATIONS LABELS SHOW APPROX. TIME", labelsShowTime},
    {"TEXTURE FILTERING", textureFiltering},
    {"OVERALL AMBIENT LIGHTING", ambient},
    {"EXTRA TIME ADVANCING", extraTime},
    {"WORLD DISTANCE TO SUN", sunDistance},
    {"SHOW SYSTEM PERFORMANCE", performance},
    {"DISPLAY DEVICE\n(next run)", displayDevice},
    {"SCREEN RESOLUTION\n[ENTER] to change now", screenResolution},
    {"FULL SCREEN\n(next run)", fullScreen},
    {"DOUBLE-BUFFERED FLIPPING\n(next run)", doubleBuffered},
    {"SCREENSAVER MODE", saverMode},
    // Added after the first 41, so that a saved selection keeps its entry.
    {"NIGHT LIGHTS", nightLights},
    {"TRUE SEASONS", trueSeasons},
    {"ATMOSPHERE", atmosphere},
    {"LOCATIONS LABELS DECLUTTER", labelsDeclutter},
}};

} // namespace

OptionValue::OptionValue(const char* s) {
    std::snprintf(text, sizeof text, "%s", s ? s : "");
}

const std::array<OptionEntry, kOptionCount>& optionEntries() {
    return kEntries;
}

int selectedOption() {
    return clampedIndex(P().optionsSelection, 0, kOptionCount - 1, 0);
}

void optionsKey(uint32_t key) {
    int32_t& selection = P().optionsSelection;
    const int current = selectedOption();
    switch (key) {
    case VK_LEFT:
        selection = current == 0 ? kOptionCount - 1 : current - 1;
        return;
    case VK_RIGHT:
        selection = current + 1 >= kOptionCount ? 0 : current + 1;
        return;
    case VK_HOME:
        selection = 0;
        return;
    case VK_END:
        selection = kOptionCount - 1;
        return;
    case kOptionEnter:
    case kOptionUp:
    case kOptionDown:
        kEntries[std::size_t(current)].handler(key);
        return;
    default:
        return;
    }
}

void drawOptions() {
    UiHost& host = uiHost();
    const Preferences& p = host.preferences();
    const float width = float(host.displayWidth());
    const float height = float(host.displayHeight());
    const uint32_t titleArgb = paletteColour(p.titleColour, 8);
    const uint32_t subtitleArgb = paletteColour(p.subtitleColour, 4);
    const OptionEntry& entry = kEntries[std::size_t(selectedOption())];

    host.drawText(UiFont::Main, width - 220.0f, 8.0f, kTextDepth, 0x80F0F0FFu, 0.5f, 0.5f,
                  kOptionsCaption);
    host.drawText(UiFont::Main, 8.0f, height - 55.0f, kTextDepth, titleArgb, 0.8f, 0.5f,
                  entry.label);
    host.drawText(UiFont::Main, 8.0f, height - 85.0f, kTextDepth, subtitleArgb, 1.0f, 1.0f,
                  entry.handler(kOptionShow).text);
    // Up, down, left and right arrows of the key-hint font.
    host.drawText(UiFont::KeyHint, 12.0f, height - 105.0f, kTextDepth, titleArgb, 0.5f, 0.5f,
                  "\xE1\xE2\xDF\xE0");
}

} // namespace gv
