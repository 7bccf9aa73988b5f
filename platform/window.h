#pragma once
// The program's one window and its message queue. SDL2 on every platform; the
// rest of the program sees only window messages (messages.h).
#include "platform/messages.h"

#include <cstdint>
#include <memory>
#include <string>

struct SDL_Window;

namespace gv::platform {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

enum class WindowStyle {
    Popup,     // borderless, covering its rectangle: full screen and the screen saver
    Captioned, // an ordinary window with a title bar
};

// Starts the video layer; false when no display can be opened. A run that
// draws into a host's window (hostWindow) needs no display but the screen
// that window is on: the one its display name picks, not the first the
// window system lists. windowClass names the windows to the window system
// (the window class on Windows, by which a second start finds the first; the
// WM_CLASS on X11); empty leaves the video layer's own.
bool initVideo(bool hostWindow = false, const std::string& windowClass = {});
void shutdownVideo();

// The primary screen's size in pixels (what the system metrics report).
Rect primaryScreenRect();
// The desktop over every screen: the smallest rectangle round all of them,
// in the primary screen's coordinates.
Rect desktopRect();

class Window {
  public:
    // A window of our own. className names it to the window system (X11
    // WM_CLASS), as the window class does on Windows.
    static std::unique_ptr<Window> create(const std::string& className, const std::string& title,
                                          const Rect& rect, WindowStyle style);
    // Another program's window to draw into (the screen-saver preview).
    static std::unique_ptr<Window> adopt(uint64_t nativeHandle);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    bool owned() const { return owned_; }
    void show();
    void raise();
    // Moves and resizes the window; the z-order is kept.
    void setBounds(const Rect& rect);
    Rect clientRect() const; // (0, 0, width, height)
    Rect screenRect() const; // client area in screen coordinates
    uint64_t nativeHandle() const;
    SDL_Window* sdlWindow() const { return window_; }

  private:
    Window(SDL_Window* w, bool owned) : window_(w), owned_(owned) {}
    SDL_Window* window_;
    bool owned_;
};

// Takes at most one waiting message without waiting (the frame loop's pump).
// Also looks after requests that arrive from outside: a quit signal becomes
// WM_QUIT, a second instance's raise request raises the window; what the
// message sources post (socket readiness, finished name lookups) and due
// timers become messages for the hidden windows (message_window.h). Pointer
// moves are merged, the echo of setCursorPosition is dropped, and a due timer
// does not wait behind input (message_queue.h).
bool peekMessage(WindowMessage& out);
// Adds a source that the pump asks, at every peek, to post what it has
// (postMessage). Adding the same source again does nothing. The network part
// adds its own when it first watches a socket or looks up a name, so the
// window needs no sockets of its own.
void addMessageSource(void (*poll)());
void postMessage(const WindowMessage& msg);
void postQuitMessage();

// The window that raise requests from a second instance bring forward.
void setForegroundTarget(Window* window);

// Cursor visibility with a display count, as ShowCursor keeps it: the cursor
// shows while the count is 0 or more. Returns the new count.
int showCursor(bool show);
void setCursorPosition(int screenX, int screenY);

enum class SystemCursor { Arrow, SizeAll };
void setSystemCursor(SystemCursor cursor);

} // namespace gv::platform
