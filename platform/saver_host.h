#pragma once
// How a screen-saver host starts the globe. The driver understands the
// Windows command line ("/s", "/p N", "/c", nothing = application); on X11 a
// host such as XScreenSaver starts its savers with "-root" (draw into the
// window named by XSCREENSAVER_WINDOW, else the root window) or
// "-window-id ID". Those are turned into the same command line: a window as
// large as the screen is the full-screen saver, a smaller one the preview.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gv::platform {

struct SaverLaunch {
    std::string commandLine;  // what the driver's run gets
    uint64_t saverWindow = 0; // for "/s": the host's window to draw into (0: our own)
    std::string error;        // set when the arguments cannot be used
};

// What the host's window system says about its windows.
class SaverHostDisplay {
  public:
    virtual ~SaverHostDisplay() = default;
    virtual uint64_t rootWindow() = 0;
    virtual bool screenSize(int& width, int& height) = 0;
    // False when the window does not exist.
    virtual bool windowSize(uint64_t window, int& width, int& height) = 0;
};

// The screen-saver library's rule for its saver window: as large as the
// screen is the full-screen saver ("/s"), anything smaller the preview
// ("/p" and the window's number in decimal).
std::string saverCommandLine(int windowRight, int windowBottom, int screenWidth, int screenHeight,
                             uint64_t window);

// A window number in decimal or in 0x-prefixed hexadecimal, nothing else.
std::optional<uint64_t> parseWindowId(const std::string& text);

// The launch for the program's arguments (without the program name).
// xscreensaverWindow is the environment variable's value, or null.
SaverLaunch interpretSaverArguments(const std::vector<std::string>& args,
                                    const char* xscreensaverWindow, SaverHostDisplay& display);

// Windows' screen-saver settings and Explorer start a saver file with a
// letter in several spellings ("/s", "/S", "-s"; "/p 1234", "/p:1234", "/l
// 1234"; "/c", "/c:1234"): leading '-', '/' and spaces are skipped and the
// letter's case does not count. Each becomes the driver's own spelling;
// nothing is the application, as is a letter the driver does not know. The
// password change of Windows 95 ("/a") is refused.
SaverLaunch interpretWindowsSaverArguments(const std::vector<std::string>& args);

// The same with the process's environment and the window system's own
// answers: XScreenSaver's conventions on X11, the forms above on Windows.
SaverLaunch saverLaunchFromArguments(int argc, char** argv);

// Whether the system's screen-saver host starts a copy of the saver for
// each screen (XScreenSaver with several X screens) rather than one copy for
// all of them (Windows).
bool hostStartsSaverPerScreen();

class Window;

// A window lent by the host sends its events to its owner only; ask for the
// keys and the pointer's movement as well (the full-screen saver), or only
// for its structure (the preview).
void listenToHostWindow(Window& window, bool input);

// The window the preview draws into, inside the host's window: on X11 the
// host's window itself; on Windows a child window of ours covering it (the
// GL pixel format is set on the window drawn into, which must be this
// process's own). 0 when it cannot be made.
uint64_t previewWindowIn(uint64_t hostWindow);

// In the preview the host may destroy its window without telling us: true
// once the window (or, on Windows, the host's window round it) is gone
// (checked at most every few hundred milliseconds).
bool hostWindowGone(uint64_t window);
// The window system's answer behind it, asked each time.
bool hostWindowExists(uint64_t window);

} // namespace gv::platform
