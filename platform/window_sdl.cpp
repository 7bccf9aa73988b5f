#include "platform/window.h"

#include "formats/text_1252.h"
#include "platform/message_queue.h"
#include "platform/message_window.h"
#include "platform/quit_signals.h"
#include "platform/single_instance.h"
#include "platform/tick_count.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <cassert>
#include <cstring>

namespace gv::platform {

namespace {

MessageQueue gQueue;
constexpr int kMaxSources = 4;
void (*gSources[kMaxSources])() = {};
int gSourceCount = 0;
Window* gForeground = nullptr;
int gCursorCount = 0;
SDL_Cursor* gCursors[2] = {nullptr, nullptr};

uint32_t virtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return uint32_t('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return uint32_t('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + uint32_t(key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return VK_NUMPAD0 + 1 + uint32_t(key - SDLK_KP_1);
    switch (key) {
    case SDLK_BACKSPACE:
        return VK_BACK;
    case SDLK_TAB:
        return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return VK_RETURN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
        return VK_MENU;
    case SDLK_PAUSE:
        return VK_PAUSE;
    case SDLK_CAPSLOCK:
        return VK_CAPITAL;
    case SDLK_ESCAPE:
        return VK_ESCAPE;
    case SDLK_SPACE:
        return VK_SPACE;
    case SDLK_PAGEUP:
        return VK_PRIOR;
    case SDLK_PAGEDOWN:
        return VK_NEXT;
    case SDLK_END:
        return VK_END;
    case SDLK_HOME:
        return VK_HOME;
    case SDLK_LEFT:
        return VK_LEFT;
    case SDLK_UP:
        return VK_UP;
    case SDLK_RIGHT:
        return VK_RIGHT;
    case SDLK_DOWN:
        return VK_DOWN;
    case SDLK_INSERT:
        return VK_INSERT;
    case SDLK_DELETE:
        return VK_DELETE;
    case SDLK_KP_0:
        return VK_NUMPAD0;
    case SDLK_KP_MULTIPLY:
        return VK_MULTIPLY;
    case SDLK_KP_PLUS:
        return VK_ADD;
    case SDLK_KP_MINUS:
        return VK_SUBTRACT;
    case SDLK_KP_PERIOD:
        return VK_DECIMAL;
    case SDLK_KP_DIVIDE:
        return VK_DIVIDE;
    case SDLK_SEMICOLON:
        return VK_OEM_1;
    case SDLK_EQUALS:
    case SDLK_PLUS:
        return VK_OEM_PLUS;
    case SDLK_COMMA:
        return VK_OEM_COMMA;
    case SDLK_MINUS:
        return VK_OEM_MINUS;
    case SDLK_PERIOD:
        return VK_OEM_PERIOD;
    case SDLK_SLASH:
        return VK_OEM_2;
    default:
        return 0;
    }
}

// Control characters that Windows' translation adds after a key-down and that
// SDL's text input does not deliver.
uint32_t controlCharacter(uint32_t vk) {
    switch (vk) {
    case VK_BACK:
        return 8;
    case VK_TAB:
        return 9;
    case VK_RETURN:
        return 13;
    case VK_ESCAPE:
        return 27;
    default:
        return 0;
    }
}

// Typed text as single-byte Windows-1252 characters; others are dropped.
void queueCharacters(const char* text) {
    for (char c : typedCp1252FromUtf8(text))
        gQueue.post({WM_CHAR, uint8_t(c), 1});
}

uint64_t mouseKeyState(uint32_t buttons) {
    uint64_t w = 0;
    if (buttons & SDL_BUTTON_LMASK) w |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK) w |= MK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK) w |= MK_MBUTTON;
    const SDL_Keymod mod = SDL_GetModState();
    if (mod & KMOD_SHIFT) w |= MK_SHIFT;
    if (mod & KMOD_CTRL) w |= MK_CONTROL;
    return w;
}

void translate(const SDL_Event& e) {
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const uint32_t vk = virtualKey(e.key.keysym.sym);
        if (!vk) return;
        const bool down = e.type == SDL_KEYDOWN;
        // F10 and Alt combinations arrive as system keys, as Windows sends them.
        const bool system = vk == VK_F10 || vk == VK_MENU || (e.key.keysym.mod & KMOD_ALT);
        const uint32_t msg =
            down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
        int64_t lParam = 1 | (int64_t(e.key.keysym.scancode & 0xFF) << 16);
        if (e.key.repeat) lParam |= int64_t(1) << 30;
        if (!down) lParam |= (int64_t(1) << 30) | (int64_t(1) << 31);
        gQueue.post({msg, vk, lParam});
        if (down && !system)
            if (uint32_t c = controlCharacter(vk)) gQueue.post({WM_CHAR, c, lParam});
        return;
    }
    case SDL_TEXTINPUT:
        queueCharacters(e.text.text);
        return;
    case SDL_MOUSEMOTION: {
        // Warps are made in screen coordinates, as the window procedure
        // converts the move's client position.
        int left = 0, top = 0;
        if (SDL_Window* w = SDL_GetWindowFromID(e.motion.windowID))
            SDL_GetWindowPosition(w, &left, &top);
        gQueue.postPointerMove(
            {WM_MOUSEMOVE, mouseKeyState(e.motion.state), makePointParam(e.motion.x, e.motion.y)},
            left + e.motion.x, top + e.motion.y);
        return;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const bool down = e.type == SDL_MOUSEBUTTONDOWN;
        uint32_t msg = 0;
        if (e.button.button == SDL_BUTTON_LEFT)
            msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        else if (e.button.button == SDL_BUTTON_RIGHT)
            msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        else if (e.button.button == SDL_BUTTON_MIDDLE)
            msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        if (msg)
            gQueue.post({msg, mouseKeyState(SDL_GetMouseState(nullptr, nullptr)),
                         makePointParam(e.button.x, e.button.y)});
        return;
    }
    case SDL_MOUSEWHEEL:
        gQueue.post({WM_MOUSEWHEEL, uint64_t(uint32_t(e.wheel.y * 120) << 16), 0});
        return;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) gQueue.post({WM_CLOSE, 0, 0});
        return;
    default:
        return;
    }
}

} // namespace

bool initVideo(bool hostWindow, const std::string& windowClass) {
    // The program's own main is the entry point: SDL has no main of its own
    // to wait for.
    SDL_SetMainReady();
    if (!windowClass.empty()) {
        SDL_SetHint(SDL_HINT_APP_NAME, windowClass.c_str());
        SDL_SetHint("SDL_VIDEO_X11_WMCLASS", windowClass.c_str());
#if defined(_WIN32)
        // The program's icon resource, as the class asks for it.
        SDL_SetHint(SDL_HINT_WINDOWS_INTRESOURCE_ICON, "32512");
        // Registered before the video layer would register its own.
        static bool registered =
            SDL_RegisterApp(windowClass.c_str(), CS_BYTEALIGNCLIENT | CS_OWNDC, nullptr) == 0;
        (void)registered;
#endif
    }
    // Signals are ours (quit_signals): SDL must not turn them into its own quit.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // On X11 with several screens (XScreenSaver gives each copy a window on
    // its own screen, named by DISPLAY=:N.S), XRandR lists every screen's
    // outputs at the same place, and SDL makes the GL context for the first
    // of them, which fails on a window of another screen. Without XRandR only
    // the display's own screen is listed. A host's window changes no mode.
    if (hostWindow) SDL_SetHint(SDL_HINT_VIDEO_X11_XRANDR, "0");
    SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    // Without a display SDL falls back to drivers that show nothing, and the
    // globe would run unseen for ever. Only whoever names such a driver in
    // SDL_VIDEODRIVER (a test without a display) gets it.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    const bool unseen =
        driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
    if (unseen && !(asked && std::strstr(asked, driver))) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    return true;
}

void shutdownVideo() {
    for (SDL_Cursor*& c : gCursors) {
        if (c) SDL_FreeCursor(c);
        c = nullptr;
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

Rect primaryScreenRect() {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return {};
    return {0, 0, mode.w, mode.h};
}

Rect desktopRect() {
    Rect all = primaryScreenRect();
    const int count = SDL_GetNumVideoDisplays();
    for (int i = 0; i < count; ++i) {
        SDL_Rect b;
        if (SDL_GetDisplayBounds(i, &b) != 0) continue;
        all.left = std::min(all.left, b.x);
        all.top = std::min(all.top, b.y);
        all.right = std::max(all.right, b.x + b.w);
        all.bottom = std::max(all.bottom, b.y + b.h);
    }
    return all;
}

std::unique_ptr<Window> Window::create(const std::string& className, const std::string& title,
                                       const Rect& rect, WindowStyle style) {
    SDL_SetHint(SDL_HINT_APP_NAME, className.c_str());
    SDL_SetHint("SDL_VIDEO_X11_WMCLASS", className.c_str());
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (style == WindowStyle::Popup) flags |= SDL_WINDOW_BORDERLESS;
    SDL_Window* w =
        SDL_CreateWindow(title.c_str(), rect.left, rect.top, rect.width(), rect.height(), flags);
    if (!w) return nullptr;
    return std::unique_ptr<Window>(new Window(w, true));
}

std::unique_ptr<Window> Window::adopt(uint64_t nativeHandle) {
    if (nativeHandle == 0) return nullptr;
    SDL_Window* w = SDL_CreateWindowFrom(reinterpret_cast<const void*>(uintptr_t(nativeHandle)));
    if (!w) return nullptr;
    return std::unique_ptr<Window>(new Window(w, false));
}

Window::~Window() {
    if (gForeground == this) gForeground = nullptr;
    // SDL forgets a foreign window without destroying the other program's window.
    SDL_DestroyWindow(window_);
}

void Window::show() {
    SDL_ShowWindow(window_);
    SDL_StartTextInput();
}

void Window::raise() {
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
}

void Window::setBounds(const Rect& rect) {
    SDL_SetWindowSize(window_, rect.width(), rect.height());
    SDL_SetWindowPosition(window_, rect.left, rect.top);
}

Rect Window::clientRect() const {
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    return {0, 0, w, h};
}

Rect Window::screenRect() const {
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(window_, &x, &y);
    SDL_GetWindowSize(window_, &w, &h);
    return {x, y, x + w, y + h};
}

uint64_t Window::nativeHandle() const {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window_, &info)) {
#if defined(SDL_VIDEO_DRIVER_X11)
        if (info.subsystem == SDL_SYSWM_X11) return uint64_t(info.info.x11.window);
#endif
#if defined(SDL_VIDEO_DRIVER_WINDOWS)
        if (info.subsystem == SDL_SYSWM_WINDOWS) return uint64_t(uintptr_t(info.info.win.window));
#endif
    }
    return SDL_GetWindowID(window_);
}

bool peekMessage(WindowMessage& out) {
    SDL_Event e;
    while (SDL_PollEvent(&e))
        translate(e);
    if (takeQuitSignal()) gQueue.post({WM_QUIT, 0, 0});
    if (takeRaiseRequest() && gForeground) gForeground->raise();
    for (int i = 0; i < gSourceCount; ++i)
        gSources[i]();
    return takeNextMessage(gQueue, tickCount(), out);
}

void addMessageSource(void (*poll)()) {
    for (int i = 0; i < gSourceCount; ++i)
        if (gSources[i] == poll) return;
    assert(gSourceCount < kMaxSources && "more message sources than the pump holds");
    if (gSourceCount < kMaxSources) gSources[gSourceCount++] = poll;
}

void postMessage(const WindowMessage& msg) {
    gQueue.post(msg);
}
void postQuitMessage() {
    gQueue.post({WM_QUIT, 0, 0});
}
void setForegroundTarget(Window* window) {
    gForeground = window;
}

int showCursor(bool show) {
    gCursorCount += show ? 1 : -1;
    SDL_ShowCursor(gCursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return gCursorCount;
}

void setCursorPosition(int screenX, int screenY) {
    gQueue.pointerWarped(screenX, screenY);
    SDL_WarpMouseGlobal(screenX, screenY);
}

void setSystemCursor(SystemCursor cursor) {
    const int i = cursor == SystemCursor::Arrow ? 0 : 1;
    if (!gCursors[i])
        gCursors[i] =
            SDL_CreateSystemCursor(i == 0 ? SDL_SYSTEM_CURSOR_ARROW : SDL_SYSTEM_CURSOR_SIZEALL);
    if (gCursors[i]) SDL_SetCursor(gCursors[i]);
}

} // namespace gv::platform
