// Geovista: the globe as an application, screen saver or preview.
#include "app/driver.h"
#include "platform/locale_time.h"
#include "platform/quit_signals.h"
#include "resources/builtin_resources.h"

#include <string>

int main(int argc, char** argv) {
    gv::platform::installQuitSignals();
    gv::platform::useUserTimeLocale();
    gv::resources::registerBuiltinResources();
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    return gv::run(commandLine);
}
