// GeovistaC: the settings and locations editor of the globe.
#include "editor/main_window.h"
#include "platform/display_modes.h"
#include "platform/program_folder.h"
#include "resources/builtin_resources.h"
#include "resources/editor_resources.h"

#include <QApplication>

int main(int argc, char** argv) {
    using namespace gv;
    resources::registerEditorResources();
    // The window's start order: the program folder, the display devices, then
    // (in the window) the preferences and the places. The displays are asked
    // before the toolkit opens its own connection to the screen.
    editor::EditorSetup setup;
    setup.folder = platform::findProgramFolder().path;
    setup.displays = platform::enumerateDisplays();
    setup.builtInCities =
        platform::findResource(platform::kResourceRawData, resources::kEditorCitiesDatabase);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(editor::kApplicationName));
    editor::MainWindow window(std::move(setup));
    window.show();
    return app.exec();
}
