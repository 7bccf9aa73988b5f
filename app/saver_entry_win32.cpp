// The entry points that the Windows screen-saver library (scrnsave) calls
// when the globe is built as a saver file: it reads the command line, makes
// its own saver window and calls back here.
#include "app/driver.h"
#include "platform/locale_time.h"
#include "platform/saver_host.h"
#include "resources/builtin_resources.h"

#include <windows.h>

#include <scrnsave.h>

#include <string>

namespace {

// Hands waiting messages to their windows before the run takes over the
// thread, so that the saver window has finished showing itself.
void pumpWaiting(int count) {
    MSG msg;
    for (int i = 0; i < count && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// What the program's main does before a run.
int runGlobe(const std::string& commandLine) {
    gv::platform::useUserTimeLocale();
    gv::resources::registerBuiltinResources();
    return gv::run(commandLine);
}

} // namespace

extern "C" LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        gv::requestQuit();
        break;
    case WM_SHOWWINDOW:
        if (wParam) {
            RECT r{};
            GetWindowRect(window, &r);
            const std::string commandLine = gv::platform::saverCommandLine(
                r.right, r.bottom, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                uint64_t(uintptr_t(window)));
            pumpWaiting(50);
            // The whole program runs inside this call.
            runGlobe(commandLine);
        }
        break;
    default:
        break;
    }
    return DefScreenSaverProc(window, message, wParam, lParam);
}

extern "C" BOOL WINAPI RegisterDialogClasses(HANDLE) {
    // A configuration request: as a saver file this starts the settings
    // editor; as an ordinary executable it runs the application.
    runGlobe("/c");
    return TRUE;
}

extern "C" BOOL WINAPI ScreenSaverConfigureDialog(HWND, UINT, WPARAM, LPARAM) {
    // There is no dialog: configuration always goes through the editor.
    return TRUE;
}
