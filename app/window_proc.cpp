#include "app/window_proc.h"

#include "app/driver.h"
#include "app/preferences_file.h"

namespace gv {

using namespace platform;

namespace {
uint16_t gSaverMouseMoves = 0;

bool isKeyMessage(uint32_t message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_CHAR;
}
} // namespace

void resetSaverMouseMoves() {
    gSaverMouseMoves = 0;
}

int64_t windowProc(const WindowMessage& msg) {
    // The conventional screen saver ends on any key or on sustained mouse movement.
    if (driver().runMode == RunMode::ScreenSaver && !isOn(prefs().screenSaverEnhanced)) {
        if (isKeyMessage(msg.message)) {
            postQuitMessage();
            return -1;
        }
        if (msg.message == WM_MOUSEMOVE && ++gSaverMouseMoves > 10) postQuitMessage();
    }
    switch (msg.message) {
    case WM_CLOSE:
    case WM_DESTROY:
        requestQuit();
        return 0;
    case WM_KEYDOWN:
        if (msg.wParam == VK_ESCAPE) requestQuit();
        return 0;
    case WM_SYSKEYDOWN:
        // Answered so that F10 does not open a window menu.
        return msg.wParam == VK_F10 ? -1 : 0;
    default:
        return 0;
    }
}

} // namespace gv
