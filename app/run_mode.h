#pragma once
// How the command line and the program file decide what a run does.
#include "platform/program_folder.h"
#include "platform/window.h"

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

// How a run stands to the single-instance rule. The application (and the
// editor's launch) runs alone: a second start brings the first to the front
// and ends. So does the saver where the host starts one copy for all the
// screens (Windows); where it starts one copy per screen (XScreenSaver), each
// runs and takes the instance when it is free. The preview, a guest in the
// settings window, claims nothing.
enum class InstanceRule { Alone, IfFree, None };
InstanceRule instanceRuleFor(RunMode mode, bool hostStartsCopyPerScreen);

// The saver in its own window on a desktop of several screens shows one view
// across all of them: its window covers the whole desktop (`desktop`, the
// union of the screens) and no screen changes its mode. True when the desktop
// is larger than the primary screen.
bool saverSpansScreens(RunMode mode, const platform::Rect& primary, const platform::Rect& desktop);

// Whether this run writes the shared files (settings, selection, places) at
// its end: the one copy that holds the instance does; copies that run beside
// it would otherwise overwrite each other's changes and the application's.
// The preview never writes them.
bool savesSharedFiles(RunMode mode, bool holdsInstance);

// The program folder rule is shared with the settings editor.
using platform::programFolderFrom;

} // namespace gv
