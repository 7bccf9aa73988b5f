#pragma once
// How the command line and the program file decide what a run does.
#include "platform/program_folder.h"

#include <cstdint>
#include <string>

namespace gv {

enum class RunMode : int { Application = 0, Preview = 1, ScreenSaver = 2, Configure = 3 };

struct RunModeChoice {
    RunMode mode = RunMode::Application;
    uint64_t previewParent = 0; // the preview window's number after "/p"
};

// An ordinary executable ends in exactly "exe" or "EXE"; it always runs as an
// application. Otherwise the first two characters of the command line pick the
// mode: "/p" (window number from the fourth character), "/c", "/s".
bool isOrdinaryExecutable(const std::string& programFile);
RunModeChoice parseRunMode(const std::string& programFile, const std::string& commandLine);

// The program folder rule is shared with the settings editor.
using platform::programFolderFrom;

} // namespace gv
