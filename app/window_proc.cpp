#include "app/window_proc.h"

#include "app/camera_services.h"
#include "app/driver.h"
#include "app/locations_services.h"
#include "app/preferences_file.h"
#include "core/angles.h"
#include "scene/cameras.h"
#include "ui/help_overlay.h"
#include "ui/options_overlay.h"
#include "ui/scene_services.h"
#include "ui/screenshot.h"
#include "ui/ui_host.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace gv {

using namespace platform;

namespace {

InputState gInput;

constexpr float kDegreesPerRadian = 57.295776f;
constexpr float kMaxUserLatitude = 1.47f;
constexpr float kLookRate = 0.001f; // radians per pixel of drag

bool isKeyMessage(uint32_t message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_CHAR;
}

void post(const char* title, const char* subtitleFormat, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
void post(const char* title, const char* subtitleFormat, ...) {
    char subtitle[256];
    va_list args;
    va_start(args, subtitleFormat);
    std::vsnprintf(subtitle, sizeof subtitle, subtitleFormat, args);
    va_end(args);
    uiHost().postMessage(title, subtitle);
}

const char* onOff(Bool32 v) {
    return v != 0 ? "ON" : "OFF";
}

CameraSetting& currentCameraSetting(int& index) {
    index = clampedCameraIndex(prefs().currentCamera);
    return prefs().cameras[index];
}

// A camera whose title is a format with the camera's name in it.
void postForCamera(const char* titleFormat, const CameraSetting& cam, const char* subtitleFormat,
                   double value) {
    char title[128];
    std::snprintf(title, sizeof title, titleFormat, cameraNameText(cam).text);
    char subtitle[64];
    std::snprintf(subtitle, sizeof subtitle, subtitleFormat, value);
    uiHost().postMessage(title, subtitle);
}

bool cameraBusy() {
    if (cameraServices().cameraTransition() == 0.0f) return false;
    post("CAMERA CHANGING IN COURSE", "NAVIGATION SYSTEM BUSY");
    return true;
}

void changeDistance(int delta) {
    int index = 0;
    CameraSetting& cam = currentCameraSetting(index);
    if (index == 4 || index == 5) {
        postForCamera("%s is a static view", cam, " ", 0);
        return;
    }
    if (delta < 0) {
        if (cam.distance > 200) cam.distance -= 10;
        if (cam.distance < 200) cam.distance = 200;
    } else if (cam.distance < 1000) {
        cam.distance += 10;
    }
    char title[128];
    std::snprintf(title, sizeof title, "%s DISTANCE", cameraNameText(cam).text);
    post(title, "%u", unsigned(cam.distance));
}

void changeSpeed(bool faster) {
    int index = 0;
    CameraSetting& cam = currentCameraSetting(index);
    if (index >= 4) {
        postForCamera("%s doesn't have orbit speed control", cam, " ", 0);
        return;
    }
    if (faster) {
        if (cam.orbitSpeed < 0.002f) cam.orbitSpeed += 0.00002f;
    } else if (cam.orbitSpeed > -0.002f) {
        cam.orbitSpeed -= 0.00002f;
    }
    postForCamera("%s SPEED", cam, faster ? "%3.1f percent" : "%3.2f percent",
                  double(cam.orbitSpeed * 50000.0f));
}

void locationsManagerKey() {
    LocationsServices& s = locationsServices();
    if (cameraBusy()) return;
    if (s.managerOpen()) {
        if (!s.managerClosing()) {
            s.startClosingManager();
            post("LOCATIONS MANAGER OVERLAY", "OFF");
        }
        return;
    }
    if (s.managerOpening() || s.managerClosing()) return;
    gInput.optionsVisible = false;
    s.openManager();
    post("LOCATIONS MANAGER OVERLAY", "ON");
}

void changeAmbient(int delta) {
    Preferences& p = prefs();
    if (delta > 0 && p.ambientPercent < 100) ++p.ambientPercent;
    if (delta < 0 && p.ambientPercent > 0) --p.ambientPercent;
    sceneServices().setAmbientLight(float(p.ambientPercent) * 0.01f);
    post("AMBIENT LIGHT", "%u%%", unsigned(p.ambientPercent));
}

void escape() {
    if (gInput.optionsVisible) {
        gInput.optionsVisible = false;
        return;
    }
    if (helpClose()) return;
    requestQuit();
}

bool isOptionsKey(uint64_t vk) {
    switch (vk) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_HOME:
    case VK_END:
    case VK_UP:
    case VK_DOWN:
    case VK_RETURN:
        return true;
    default:
        return false;
    }
}

int64_t keyDown(uint64_t vk) {
    switch (vk) {
    case VK_F1:
        helpToggle();
        return 0;
    case VK_F2:
        requestScreenshot();
        return 0;
    case VK_F3:
        gInput.optionsVisible = !gInput.optionsVisible;
        post("OPTIONS OVERLAY", "%s", gInput.optionsVisible ? "ON" : "OFF");
        return 0;
    case VK_F4:
        locationsManagerKey();
        return 0;
    case VK_F5:
        changeDistance(-10);
        return 0;
    case VK_F6:
        changeDistance(+10);
        return 0;
    case VK_F7:
        cameraServices().selectAdjacentCamera(false);
        return 0;
    case VK_F8:
        cameraServices().selectAdjacentCamera(true);
        return 0;
    case VK_F9:
        prefs().cloudsShown = prefs().cloudsShown != 0 ? 0 : 1;
        post("CLOUDS", "%s", onOff(prefs().cloudsShown));
        return 0;
    case VK_F11:
        changeSpeed(false);
        return 0;
    case VK_F12:
        changeSpeed(true);
        return 0;
    case VK_SPACE: {
        int index = 0;
        post("CURRENT CAMERA", "%s", cameraNameText(currentCameraSetting(index)).text);
        return 0;
    }
    case VK_ESCAPE:
        escape();
        return 0;
    default:
        if (gInput.optionsVisible && isOptionsKey(vk)) optionsKey(uint32_t(vk));
        return 0;
    }
}

int64_t systemKeyDown(uint64_t vk) {
    if (vk != VK_F10) return 0;
    prefs().cloudsOnLocationsManager = prefs().cloudsOnLocationsManager != 0 ? 0 : 1;
    post("CLOUDS ON LOCATIONS MANAGER", "%s", onOff(prefs().cloudsOnLocationsManager));
    // Answered, so that the platform opens no window menu.
    return -1;
}

int64_t character(uint64_t c) {
    if (c == '+' || c == '=') changeAmbient(+1);
    if (c == '-') changeAmbient(-1);
    return 0;
}

void startLook() {
    if (clampedCameraIndex(prefs().currentCamera) != kUserView) return;
    PointerServices& s = pointerServices();
    gInput.lookCentre = s.clientToScreen(uiHost().displayWidth() / 2, uiHost().displayHeight() / 2);
    s.setCursorPosition(gInput.lookCentre);
    s.setCursor(SystemCursor::SizeAll);
    gInput.mouseLook = true;
}

void endLook() {
    gInput.mouseLook = false;
    pointerServices().setCursor(SystemCursor::Arrow);
}

void look(int64_t lParam) {
    PointerServices& s = pointerServices();
    Preferences& p = prefs();
    const ScreenPoint at = s.clientToScreen(pointParamX(lParam), pointParamY(lParam));
    const int dx = at.x - gInput.lookCentre.x;
    const int dy = at.y - gInput.lookCentre.y;
    p.userLongitude = wrapSigned(p.userLongitude - float(dx) * kLookRate);
    p.userLatitude += float(dy) * kLookRate;
    // A view that stands still in space is over whatever the earth turns
    // under it.
    const GeoPoint shown = p.userCameraFollowsEarth != 0
                               ? GeoPoint{p.userLatitude, p.userLongitude}
                               : cameraServices().groundBelow(p.userLatitude, p.userLongitude);
    uiHost().postMessage("USER COORDINATES",
                         userCoordinatesText(shown.latitude, shown.longitude).c_str());
    // Clamped after the message, which may show the value once unclamped.
    if (p.userLatitude > kMaxUserLatitude) p.userLatitude = kMaxUserLatitude;
    if (p.userLatitude < -kMaxUserLatitude) p.userLatitude = -kMaxUserLatitude;
    s.setCursorPosition(gInput.lookCentre);
}

// What is handled while the locations manager holds the keyboard and did not
// take the message itself.
bool secondStage(const WindowMessage& msg) {
    switch (msg.message) {
    case WM_KEYDOWN:
        return msg.wParam == VK_ESCAPE || msg.wParam == VK_F1 || msg.wParam == VK_F2 ||
               msg.wParam == VK_F4;
    case WM_SYSKEYDOWN:
        return msg.wParam == VK_F10;
    case WM_LBUTTONUP:
    case WM_CLOSE:
    case WM_DESTROY:
        return true;
    default:
        return false;
    }
}

} // namespace

InputState& inputState() {
    return gInput;
}

void resetInputForRun() {
    gInput = InputState{};
}

void resetSaverMouseMoves() {
    gInput.saverMouseMoves = 0;
}

std::string userCoordinatesText(float latitude, float longitude) {
    auto split = [](float radians, unsigned& degrees, unsigned& minutes) {
        const float d = std::fabs(radians) * kDegreesPerRadian;
        degrees = unsigned(d);
        minutes = unsigned((d - float(degrees)) * 60.0f);
    };
    unsigned latD = 0, latM = 0, lonD = 0, lonM = 0;
    split(latitude, latD, latM);
    split(longitude, lonD, lonM);
    char text[64];
    std::snprintf(text, sizeof text, "%02u\xBA %02u' %c, %03u\xBA %02u' %c", latD, latM,
                  latitude >= 0.0f ? 'N' : 'S', lonD, lonM, longitude >= 0.0f ? 'E' : 'W');
    return text;
}

int64_t windowProc(const WindowMessage& msg) {
    // The conventional screen saver ends on any key or on sustained mouse
    // movement, before anything else happens.
    if (driver().runMode == RunMode::ScreenSaver && !isOn(prefs().screenSaverEnhanced)) {
        if (isKeyMessage(msg.message)) {
            postQuitMessage();
            return -1;
        }
        if (msg.message == WM_MOUSEMOVE && ++gInput.saverMouseMoves > 10) postQuitMessage();
    }

    LocationsServices& s = locationsServices();
    if (s.managerHasKeyboard()) {
        if (s.managerHandleKey(msg)) return 0;
        if (!secondStage(msg)) return 0;
    }

    switch (msg.message) {
    case WM_CLOSE:
    case WM_DESTROY:
        requestQuit();
        return 0;
    case WM_KEYDOWN:
        return keyDown(msg.wParam);
    case WM_SYSKEYDOWN:
        return systemKeyDown(msg.wParam);
    case WM_CHAR:
        return character(msg.wParam);
    case WM_LBUTTONDOWN:
        startLook();
        return 0;
    case WM_LBUTTONUP:
        endLook();
        return 0;
    case WM_MOUSEMOVE:
        if (gInput.mouseLook) look(msg.lParam);
        return 0;
    default:
        return 0;
    }
}

} // namespace gv
