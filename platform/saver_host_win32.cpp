// Windows: the screen-saver settings and Explorer start the saver file with
// its letter; the preview draws into a child window of the settings dialog's
// preview area.
#include "platform/saver_host.h"

#include "platform/window.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace gv::platform {

namespace {

constexpr const char* kPreviewClass = "Geovista3DPreview";

HWND handleOf(uint64_t window) {
    return reinterpret_cast<HWND>(uintptr_t(window));
}

} // namespace

SaverLaunch saverLaunchFromArguments(int argc, char** argv) {
    return interpretWindowsSaverArguments(std::vector<std::string>(argv + 1, argv + argc));
}

bool hostStartsSaverPerScreen() {
    return false;
}

void listenToHostWindow(Window&, bool) {
    // The child window is ours: its messages come to this thread already.
}

uint64_t previewWindowIn(uint64_t hostWindow) {
    const HWND host = handleOf(hostWindow);
    if (!IsWindow(host)) return 0;
    static bool registered = false;
    const HINSTANCE module = GetModuleHandleA(nullptr);
    if (!registered) {
        WNDCLASSA wc{};
        wc.style = CS_OWNDC;
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = module;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = kPreviewClass;
        registered = RegisterClassA(&wc) != 0;
        if (!registered) return 0;
    }
    RECT r{};
    GetClientRect(host, &r);
    const HWND child =
        CreateWindowExA(0, kPreviewClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                        r.right - r.left, r.bottom - r.top, host, nullptr, module, nullptr);
    return uint64_t(uintptr_t(child));
}

bool hostWindowExists(uint64_t window) {
    // The host's window goes first; ours goes with it.
    const HWND w = handleOf(window);
    return IsWindow(w) && IsWindow(GetParent(w));
}

} // namespace gv::platform
