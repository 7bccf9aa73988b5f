// The screen-saver host's windows as X11 reports them.
#include "platform/saver_host.h"

#include "platform/window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <cstdlib>

namespace gv::platform {

namespace {

int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

// Once the host destroys the window it lent us, drawing into it fails until
// the run notices and ends; those failures must not end the process.
XErrorHandler gPreviousHandler = nullptr;
int tolerateLostWindow(Display* display, XErrorEvent* e) {
    if (e->error_code == BadWindow || e->error_code == BadDrawable || e->error_code == BadMatch ||
        e->error_code == BadValue)
        return 0;
    return gPreviousHandler ? gPreviousHandler(display, e) : 0;
}

class X11HostDisplay final : public SaverHostDisplay {
  public:
    X11HostDisplay() : display_(XOpenDisplay(nullptr)) {}
    ~X11HostDisplay() override {
        if (display_) XCloseDisplay(display_);
    }
    uint64_t rootWindow() override { return display_ ? uint64_t(DefaultRootWindow(display_)) : 0; }
    bool screenSize(int& width, int& height) override {
        if (!display_) return false;
        width = DisplayWidth(display_, DefaultScreen(display_));
        height = DisplayHeight(display_, DefaultScreen(display_));
        return true;
    }
    bool windowSize(uint64_t window, int& width, int& height) override {
        if (!display_ || window == 0) return false;
        // A window that does not exist raises a protocol error: answer false.
        auto previous = XSetErrorHandler(ignoreErrors);
        XWindowAttributes a{};
        const Status ok = XGetWindowAttributes(display_, ::Window(window), &a);
        XSetErrorHandler(previous);
        if (!ok) return false;
        width = a.width;
        height = a.height;
        return true;
    }

  private:
    Display* display_;
};

// One connection for the run's checks on the host's window.
X11HostDisplay& hostDisplay() {
    static X11HostDisplay display;
    return display;
}

} // namespace

SaverLaunch saverLaunchFromArguments(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    X11HostDisplay display;
    return interpretSaverArguments(args, std::getenv("XSCREENSAVER_WINDOW"), display);
}

bool hostStartsSaverPerScreen() {
    return true;
}

uint64_t previewWindowIn(uint64_t hostWindow) {
    return hostWindow;
}

void listenToHostWindow(Window& window, bool input) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window.sdlWindow(), &info) || info.subsystem != SDL_SYSWM_X11) return;
    ::Display* display = info.info.x11.display;
    const ::Window w = info.info.x11.window;
    XWindowAttributes a{};
    if (!XGetWindowAttributes(display, w, &a)) return;
    // Button presses may be selected by one client only (the host): not asked.
    long mask = a.your_event_mask | StructureNotifyMask;
    if (input) mask |= KeyPressMask | KeyReleaseMask | PointerMotionMask | FocusChangeMask;
    auto previous = XSetErrorHandler(ignoreErrors);
    XSelectInput(display, w, mask);
    XSync(display, False);
    XSetErrorHandler(previous);
    gPreviousHandler = XSetErrorHandler(tolerateLostWindow);
}

bool hostWindowExists(uint64_t window) {
    int w = 0, h = 0;
    return hostDisplay().windowSize(window, w, h);
}

} // namespace gv::platform
