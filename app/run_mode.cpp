#include "app/run_mode.h"

#include <cctype>

namespace gv {

bool isOrdinaryExecutable(const std::string& programFile) {
    if (programFile.size() < 3) return false;
    const std::string tail = programFile.substr(programFile.size() - 3);
    return tail == "exe" || tail == "EXE";
}

RunModeChoice parseRunMode(const std::string& programFile, const std::string& commandLine) {
    RunModeChoice choice;
    if (commandLine.empty() || isOrdinaryExecutable(programFile)) return choice;
    const std::string head = commandLine.substr(0, 2);
    if (head == "/p") {
        choice.mode = RunMode::Preview;
        // The decimal number starting at the fourth character; digits only.
        uint64_t value = 0;
        for (std::size_t i = 3;
             i < commandLine.size() && std::isdigit((unsigned char)commandLine[i]); ++i) {
            value = value * 10 + uint64_t(commandLine[i] - '0');
        }
        choice.previewParent = value;
    } else if (head == "/c") {
        choice.mode = RunMode::Configure;
    } else if (head == "/s") {
        choice.mode = RunMode::ScreenSaver;
    }
    return choice;
}

InstanceRule instanceRuleFor(RunMode mode, bool hostStartsCopyPerScreen) {
    switch (mode) {
    case RunMode::ScreenSaver:
        return hostStartsCopyPerScreen ? InstanceRule::IfFree : InstanceRule::Alone;
    case RunMode::Preview:
        return InstanceRule::None;
    default:
        return InstanceRule::Alone;
    }
}

bool saverSpansScreens(RunMode mode, const platform::Rect& primary, const platform::Rect& desktop) {
    if (mode != RunMode::ScreenSaver) return false;
    return desktop.left < primary.left || desktop.top < primary.top ||
           desktop.right > primary.right || desktop.bottom > primary.bottom;
}

bool savesSharedFiles(RunMode mode, bool holdsInstance) {
    return mode != RunMode::Preview && holdsInstance;
}

} // namespace gv
