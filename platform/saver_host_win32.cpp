// Windows: the screen-saver library hands over its own command line, which
// the driver reads as it is.
#include "platform/saver_host.h"

#include <windows.h>

namespace gv::platform {

SaverLaunch saverLaunchFromArguments(int argc, char** argv) {
    SaverLaunch launch;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) launch.commandLine += ' ';
        launch.commandLine += argv[i];
    }
    return launch;
}

void listenToHostWindow(Window&, bool) {
    // The window's messages reach the saver window's procedure already.
}

bool hostWindowGone(uint64_t window) {
    return !IsWindow(reinterpret_cast<HWND>(uintptr_t(window)));
}

} // namespace gv::platform
