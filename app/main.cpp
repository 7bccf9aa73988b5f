// Geovista: the globe as an application, screen saver or preview.
#include "app/driver.h"
#include "platform/locale_time.h"
#include "platform/quit_signals.h"
#include "platform/saver_host.h"
#include "resources/builtin_resources.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    gv::platform::installQuitSignals();
    gv::platform::useUserTimeLocale();
    gv::resources::registerBuiltinResources();
    const gv::platform::SaverLaunch launch = gv::platform::saverLaunchFromArguments(argc, argv);
    if (!launch.error.empty()) {
        std::fprintf(stderr, "Geovista: %s\n", launch.error.c_str());
        return 1;
    }
    gv::driver().saverWindow = launch.saverWindow;
    return gv::run(launch.commandLine);
}
