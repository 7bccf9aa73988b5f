#include "app/driver.h"

#include "app/log.h"
#include "app/preferences_file.h"
#include "app/startup_step.h"
#include "app/window_proc.h"
#include "locations/locations_files.h"
#include "platform/program_file.h"
#include "platform/registry.h"
#include "platform/single_instance.h"
#include "platform/tick_count.h"

namespace gv {

namespace {

DriverState gDriver;

// A step whose subsystem this build does not have yet: its label and an
// honest result, and the sequence goes on.
void notYetAvailable(const char* words) {
    logStepLabel(words);
    logWrite("%s", kNotYetAvailable);
}

bool stepApplicationWindow() {
    logStepLabel("Creating application window");
    DriverState& d = gDriver;
    if (d.runMode == RunMode::Preview) {
        d.window = d.videoReady ? platform::Window::adopt(d.previewParent) : nullptr;
    } else if (d.videoReady) {
        const bool popup = isOn(prefs().fullScreen) || d.runMode == RunMode::ScreenSaver;
        d.window = platform::Window::create(kWindowClassName, kWindowTitle, d.screen,
                                            popup ? platform::WindowStyle::Popup
                                                  : platform::WindowStyle::Captioned);
    }
    if (!d.window) {
        logWrite("[ FAILED ]\n");
        return false;
    }
    platform::setForegroundTarget(d.window.get());
    const platform::Rect client = d.window->clientRect();
    d.width = client.width();
    d.height = client.height();
    logWrite("%s", kPassed);
    return true;
}

bool stepDeviceObject() {
    // The display device selects the driver and mode and sizes the window.
    notYetAvailable("Creating device object");
    gDriver.window->show();
    return true;
}

bool stepSystemConsole() {
    logStepLabel("Creating system console");
    gDriver.console.init({0, 0, gDriver.width, gDriver.height - 17}, nullptr);
    logWrite("%s", kPassed);
    return true;
}

void applyPreviewOverrides(Preferences& p) {
    p.moonShown = 1;
    p.cloudsShown = 0;
    p.starsShown = 1;
    p.sunShown = 1;
    p.cloudsOnLocationsManager = 0;
    p.cloudsFromSatellites = 0;
    p.showPerformance = 0;
    p.cameraChangingAutomatic = 1;
    p.cameraChangeTime = 3000;
    p.earthMeshResolution = 0;
    p.locationsMeshResolution = 0;
    p.otherMeshResolution = 0;
    p.cameraSmoothness = 1;
}

bool stepPlanets() {
    notYetAvailable("Creating planet earth");
    notYetAvailable("Creating sun");
    notYetAvailable("Creating lens flares");
    notYetAvailable("Creating moon");
    return true;
}

void runFrame() {
    DriverState& d = gDriver;
    FrameClock& clock = d.clock;
    clock.beginFrame(platform::tickCount(), prefs().extraSeconds);
    d.simClock.update(clock.extraSecondsTotal);
    // Scene, overlays and presentation join the frame as the renderer and the
    // planet scene arrive; the clock, the fade and the pump run already.
    if (clock.fading()) clock.advanceFade();
    clock.countFrames();

    platform::WindowMessage msg;
    if (platform::peekMessage(msg)) {
        if (msg.message == platform::WM_QUIT) d.quitRequested = true;
        windowProc(msg);
    }
    clock.endFrame();
}

} // namespace

DriverState& driver() {
    return gDriver;
}

void requestQuit() {
    gDriver.quitRequested = true;
}

void resolveFolderAndMode(const std::string& commandLine) {
    DriverState& d = gDriver;
    d.runMode = RunMode::Application;
    d.previewParent = 0;
    resetSaverMouseMoves();

    const std::string programFile = platform::programFilePath();
    const auto appPath = platform::readRegistryString(kRegistryKey, "AppPath");
    if (!appPath || appPath->empty()) logWrite("AppPath not found on Registry!\n");
    d.programFolder =
        programFolderFrom(appPath ? &*appPath : nullptr, programFile, platform::pathSeparator());

    const RunModeChoice choice = parseRunMode(programFile, commandLine);
    d.runMode = choice.mode;
    d.previewParent = choice.previewParent;
    if (d.runMode == RunMode::Configure) {
        const std::string editor = d.programFolder + platform::editorFileName();
        if (!platform::launchDetached(editor))
            logWrite("Cannot start the settings editor %s\n", editor.c_str());
    }
}

bool startUp() {
    DriverState& d = gDriver;
    const bool preview = d.runMode == RunMode::Preview;

    d.startTick = platform::tickCount();
    d.videoReady = platform::initVideo();
    d.screen = d.videoReady ? platform::primaryScreenRect() : platform::Rect{};

    if (!loadPreferences(d.programFolder)) return false;

    if (!guardedStep("*** FATAL ERROR while initializing device object ***\n",
                     stepApplicationWindow))
        return false;
    if (!guardedStep("*** FATAL ERROR while initializing device object ***\n", stepDeviceObject))
        return false;
    notYetAvailable("Creating 3D object");
    notYetAvailable("Creating 3D renderer");
    if (!guardedStep("*** FATAL ERROR while initializing console object ***\n", stepSystemConsole))
        return false;

    if (preview) applyPreviewOverrides(prefs());

    if (!stepPlanets()) return false;
    notYetAvailable("Creating city mesh");
    notYetAvailable("Creating scene object");
    notYetAvailable("Creating cameras");
    notYetAvailable("Creating scene illumination");
    notYetAvailable("Creating fonts");
    notYetAvailable("Creating star field");

    platform::setSystemCursor(platform::SystemCursor::Arrow);
    d.cursorsLoaded = true;

    if (!initLocations(d.programFolder, preview)) return false;

    logWrite("Time spent on initialization ........................... [ %3.2f seconds ]\n",
             double(platform::tickCount() - d.startTick) * 0.001);
    return true;
}

void shutDown() {
    DriverState& d = gDriver;
    logStepLabel("Shutting down the system");
    try {
        if (d.runMode != RunMode::Preview) {
            savePreferences(d.programFolder);
            if (locations().locationsReady) {
                saveSelection(d.programFolder);
                saveCitiesFile(d.programFolder);
            }
        }
        if (d.videoReady)
            while (platform::showCursor(true) < 0) {
            }
        d.window.reset();
        if (d.videoReady) platform::shutdownVideo();
        d.videoReady = false;
        logWrite("%s", kPassed);
    } catch (...) {
        logWrite("*** FATAL ERROR while shutting down ***\n");
    }
}

int run(const std::string& commandLine) {
    logReset();
    logWrite("GEOVISTA Firing Up\n");
    if (!platform::claimSingleInstance(kInstanceMutexName)) return 0;

    resolveFolderAndMode(commandLine);
    if (gDriver.runMode == RunMode::Configure) return 0;

    if (!startUp()) {
        shutDown();
        logWrite("\nCannot continue. Exiting.\n");
        return -1;
    }
    logWrite("System initialized.\n\n");
    gDriver.console.hideAndEmpty();

    gDriver.clock.reset(platform::tickCount());
    gDriver.quitRequested = false;
    while (!gDriver.quitRequested)
        runFrame();

    shutDown();
    logWrite("Exiting.\n");
    return 0;
}

} // namespace gv
