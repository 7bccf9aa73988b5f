#include "platform/saver_host.h"

#include "platform/tick_count.h"

#include <cctype>

namespace gv::platform {

std::string saverCommandLine(int windowRight, int windowBottom, int screenWidth, int screenHeight,
                             uint64_t window) {
    if (windowRight == screenWidth && windowBottom == screenHeight) return "/s";
    return "/p " + std::to_string(window);
}

std::optional<uint64_t> parseWindowId(const std::string& text) {
    if (text.empty()) return std::nullopt;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::size_t start = hex ? 2 : 0;
    const uint64_t base = hex ? 16 : 10;
    uint64_t value = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        uint64_t digit = 0;
        if (std::isdigit(c))
            digit = uint64_t(c - '0');
        else if (hex && std::isxdigit(c))
            digit = uint64_t(std::tolower(c) - 'a' + 10);
        else
            return std::nullopt;
        if (value > (UINT64_MAX - digit) / base) return std::nullopt;
        value = value * base + digit;
    }
    return value;
}

SaverLaunch interpretSaverArguments(const std::vector<std::string>& args,
                                    const char* xscreensaverWindow, SaverHostDisplay& display) {
    SaverLaunch launch;
    if (args.empty()) return launch; // a desktop start: the application

    // The Windows letters keep their meaning everywhere.
    if (!args[0].empty() && args[0][0] == '/') {
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (i) launch.commandLine += ' ';
            launch.commandLine += args[i];
        }
        return launch;
    }

    bool named = false;
    uint64_t window = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-root" || a == "--root") {
            const auto fromHost =
                xscreensaverWindow ? parseWindowId(xscreensaverWindow) : std::nullopt;
            window = fromHost ? *fromHost : display.rootWindow();
            named = true;
        } else if (a == "-window-id" || a == "--window-id") {
            if (i + 1 >= args.size()) {
                launch.error = "-window-id needs a window number";
                return launch;
            }
            const auto id = parseWindowId(args[++i]);
            if (!id) {
                launch.error = "not a window number: " + args[i];
                return launch;
            }
            window = *id;
            named = true;
        }
        // Other options of screen-saver hosts (-fps, -window, ...) mean
        // nothing here.
    }
    if (!named) return launch;

    int w = 0, h = 0, sw = 0, sh = 0;
    if (!display.windowSize(window, w, h)) {
        launch.error = "no such window: " + std::to_string(window);
        return launch;
    }
    display.screenSize(sw, sh);
    launch.commandLine = saverCommandLine(w, h, sw, sh, window);
    if (launch.commandLine == "/s") launch.saverWindow = window;
    return launch;
}

} // namespace gv::platform

namespace gv::platform {

SaverLaunch interpretWindowsSaverArguments(const std::vector<std::string>& args) {
    SaverLaunch launch;
    // The arguments as one line, as the settings dialog writes it.
    std::string line;
    for (const std::string& a : args) {
        if (!line.empty()) line += ' ';
        line += a;
    }
    std::size_t at = line.find_first_not_of("-/ ");
    if (at == std::string::npos) return launch; // nothing: the application
    const char letter = char(std::tolower(static_cast<unsigned char>(line[at])));
    // What follows the letter: a window number after spaces or a colon.
    std::string rest = line.substr(at + 1);
    const std::size_t number = rest.find_first_not_of(": ");
    rest = number == std::string::npos ? std::string() : rest.substr(number);
    switch (letter) {
    case 's':
        launch.commandLine = "/s";
        break;
    case 'c':
        // The settings dialog's window after the colon: nothing is shown in it.
        launch.commandLine = "/c";
        break;
    case 'p':
    case 'l': {
        const std::string digits = rest.substr(0, rest.find(' '));
        const auto window = parseWindowId(digits);
        if (!window || *window == 0) {
            launch.error = "/p needs the number of the preview's window";
            break;
        }
        launch.commandLine = "/p " + std::to_string(*window);
        break;
    }
    case 'a':
        launch.error = "the password change of Windows 95 is not offered";
        break;
    default:
        break; // the application
    }
    return launch;
}

} // namespace gv::platform

namespace gv::platform {

bool hostWindowGone(uint64_t window) {
    static uint32_t lastCheck = 0;
    static bool gone = false;
    if (gone) return true;
    const uint32_t now = tickCount();
    if (now - lastCheck < 250) return false;
    lastCheck = now;
    gone = !hostWindowExists(window);
    return gone;
}

} // namespace gv::platform
