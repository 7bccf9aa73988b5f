#include "app/driver.h"

#include "app/failed_start.h"
#include "app/preferences_file.h"
#include "app/program_services.h"
#include "app/window_proc.h"
#include "clouds/cloud_layer.h"
#include "clouds/cloud_updater.h"
#include "core/angles.h"
#include "core/log.h"
#include "core/startup_step.h"
#include "engine/error_name.h"
#include "engine/gl/gl_backend.h"
#include "locations/location_markers.h"
#include "locations/locations_files.h"
#include "locations/locations_manager.h"
#include "platform/display_modes.h"
#include "platform/message_window.h"
#include "platform/program_file.h"
#include "platform/program_folder.h"
#include "platform/registry.h"
#include "platform/saver_host.h"
#include "platform/single_instance.h"
#include "platform/tick_count.h"
#include "scene/cameras.h"
#include "scene/frame_composition.h"
#include "scene/planet_motion.h"
#include "scene/planet_objects.h"
#include "scene/sun_effects.h"
#include "scene/user_crosshair.h"
#include "ui/help_overlay.h"
#include "ui/on_screen_messages.h"
#include "ui/options_overlay.h"
#include "ui/screenshot.h"

#include <vector>

namespace gv {

namespace {

// Never destroyed: if the X server goes away, Xlib ends the process with exit(),
// and destroying the window then would wait forever on the dead connection.
DriverState& gDriver = *new DriverState;

// The start-up work that writes no step label of its own, while it runs;
// otherwise the last label names the step.
const char* gUnlabelledStep = nullptr;

bool stepApplicationWindow() {
    logStepLabel("Creating application window");
    DriverState& d = gDriver;
    if (d.runMode == RunMode::Preview) {
        d.window = d.videoReady
                       ? platform::Window::adopt(platform::previewWindowIn(d.previewParent))
                       : nullptr;
    } else if (d.runMode == RunMode::ScreenSaver && d.saverWindow != 0) {
        // The host's own full-screen window (XScreenSaver): drawn into as it is.
        d.window = d.videoReady ? platform::Window::adopt(d.saverWindow) : nullptr;
    } else if (d.videoReady) {
        const bool popup = (d.runMode == RunMode::Application && isOn(prefs().fullScreen)) ||
                           d.runMode == RunMode::ScreenSaver;
        d.window = platform::Window::create(kWindowClassName, kWindowTitle, d.screen,
                                            popup ? platform::WindowStyle::Popup
                                                  : platform::WindowStyle::Captioned);
    }
    if (!d.window) {
        logWrite("[ FAILED ]\n");
        return false;
    }
    if (!d.window->owned())
        platform::listenToHostWindow(*d.window, d.runMode == RunMode::ScreenSaver);
    platform::setForegroundTarget(d.window.get());
    const platform::Rect client = d.window->clientRect();
    d.width = client.width();
    d.height = client.height();
    logWrite("%s", kPassed);
    return true;
}

// The console draws with the renderer's small text face onto the back buffer
// and presents it directly, outside the frame.
class RendererConsoleSurface final : public ConsoleSurface {
  public:
    void clear(uint32_t colour) override {
        if (gDriver.display) gDriver.display->clearSurface(colour);
    }
    void drawPlainText(int x, int y, const std::string& text, uint32_t rgb) override {
        if (gDriver.renderer) gDriver.renderer->drawConsoleText(x, y, text.c_str(), rgb);
    }
    void present() override {
        if (gDriver.display) gDriver.display->present();
    }
};
RendererConsoleSurface gConsoleSurface;

bool stepDeviceObject() {
    DriverState& d = gDriver;
    Preferences& p = prefs();
    logStepLabel("Creating device object");
    d.display = makeStepObject<DisplayDevice>(
        createGlBackend(*d.window), platform::enumerateDisplays(), platform::desktopBitsPerPixel());
    if (!d.display) {
        logWrite("[ FAILED: object ]\n");
        return false;
    }
    if (d.display->drivers().empty()) {
        logWrite("[ FAILED: no devices found ]\n");
        return false;
    }
    if (d.display->selectDriver(p.deviceIndex) != kResultOk) {
        logWrite("[ FAILED: cannot select device %u ]\n", unsigned(p.deviceIndex));
        return false;
    }
    d.display->titleCaseDriverNames();

    const auto& modes = d.display->drivers()[d.display->selectedDriver()].modes;
    if (p.screenModeIndex == kFirstRunModeMarker)
        p.screenModeIndex = platform::firstRunModeIndex(modes);
    // A host's window keeps its size and place, and no mode is changed for it.
    const bool hostWindow = !d.window->owned();
    // One view across several screens: the window over the whole desktop,
    // no screen's mode changed.
    const bool spans = !hostWindow && saverSpansScreens(d.runMode, d.screen, d.desktop);
    if (spans) {
        d.window->setBounds(d.desktop);
    } else if (!hostWindow) {
        // Centred on the screen with the chosen size; mode 0 is the desktop.
        int w = d.screen.width(), h = d.screen.height();
        if (p.screenModeIndex != 0 && p.screenModeIndex < modes.size()) {
            w = modes[p.screenModeIndex].width;
            h = modes[p.screenModeIndex].height;
        }
        const int left = d.screen.left + (d.screen.width() - w) / 2;
        const int top = d.screen.top + (d.screen.height() - h) / 2;
        d.window->setBounds({left, top, left + w, top + h});
    }
    d.window->show();
    const bool fullScreen = !hostWindow && !spans &&
                            (d.runMode == RunMode::ScreenSaver ||
                             (d.runMode == RunMode::Application && isOn(p.fullScreen)));
    if (d.display->selectMode(p.screenModeIndex, fullScreen, isOn(p.doubleBuffered)) != kResultOk) {
        logWrite("[ FAILED: cannot select screen mode %u ]\n", unsigned(p.screenModeIndex));
        return false;
    }
    d.width = d.display->width();
    d.height = d.display->height();
    if (fullScreen || spans) {
        while (platform::showCursor(false) >= 0) {
        }
        platform::setCursorPosition(d.width + 2, d.height + 2);
    }
    logWrite("%s", kPassed);
    return true;
}

} // namespace

bool step3DObject() {
    logStepLabel("Creating 3D object");
    gDriver.renderer = makeStepObject<Renderer>(*gDriver.display);
    if (!gDriver.renderer) {
        logWrite("[ FAILED : not enough memory ]\n");
        return false;
    }
    logWrite("%s", kPassed);
    return true;
}

namespace {

bool step3DRenderer() {
    logStepLabel("Creating 3D renderer");
    if (gDriver.renderer->create3D(true) != kResultOk) {
        logWrite("[ FAILED ]\n");
        return false;
    }
    logWrite("[ PASSED - %s device selected ]\n", gDriver.renderer->hardware() ? "HW" : "SW");
    gDriver.display->setRenderer(gDriver.renderer.get());
    return true;
}

bool stepSystemConsole() {
    logStepLabel("Creating system console");
    gDriver.console.init({0, 0, gDriver.width, gDriver.height - 17}, &gConsoleSurface);
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
    DriverState& d = gDriver;
    bindPlanets(*d.renderer, *d.display, prefs());
    // The earth's creation builds the cloud layer round it, from the cache
    // when there is one; the frame draws it with the earth. Without either
    // picture the start-up's cloud update fetches one.
    cloudLayer().bind(*d.renderer, *d.display, prefs(), d.programFolder);
    planets().buildCloudLayer = [] { return cloudLayer().build(true); };
    sceneFrameHooks().cloudLayer = [] { return cloudLayer().sphere(); };
    const bool earth = buildEarth();
    // A picture refused while the earth's step ran, after the step's result.
    cloudLayer().logRefusal();
    if (!earth) return false;
    if (!buildSun()) return false;
    if (!buildLensFlares(*d.renderer, *d.display, prefs())) return false;
    return buildMoon();
}

bool stepCityMesh() {
    logStepLabel("Creating city mesh");
    auto marker = buildCityMarker(*gDriver.renderer);
    if (!marker) {
        logWrite("[ FAILED ]\n");
        return false;
    }
    gDriver.cityMarker = std::move(marker);
    logWrite("%s", kPassed);
    return true;
}

} // namespace

bool stepSceneObject() {
    logStepLabel("Creating scene object");
    gDriver.sceneContainer = makeStepObject<SceneContainer>(*gDriver.renderer);
    if (!gDriver.sceneContainer) {
        logWrite("[ FAILED : not enough memory ]\n");
        return false;
    }
    logWrite("%s", kPassed);
    return true;
}

namespace {

void cameraMessage(uint32_t durationMs, const char* title, const char* subtitle) {
    postMessage(durationMs, title, "%s", subtitle);
}

bool stepCameras() {
    DriverState& d = gDriver;
    Preferences& p = prefs();
    logStepLabel("Creating cameras");
    // The earth's place once, so that the main camera starts at its centre.
    updateEarth(d.scene, d.simClock.update(0), p);
    bool failedMain = false;
    if (!createCameras(p, uint16_t(d.width), uint16_t(d.height), d.scene.earthPosition,
                       failedMain)) {
        logWrite(failedMain ? "[ FAILED: default camera ]\n" : "[ FAILED: view cameras ]\n");
        return false;
    }
    CameraSystem& cams = cameras();
    cams.post = cameraMessage;
    d.renderer->viewCameras().clear();
    for (int i = 0; i < kCameraCount; ++i) {
        p.cameras[i].runtimeSlot = uint32_t(i + 1);
        d.renderer->viewCameras().push_back(cams.records[size_t(i)].get());
    }
    d.mainCamera = cams.main.get();
    logWrite("%s", kPassed);
    return true;
}

bool stepIllumination() {
    logStepLabel("Creating scene illumination");
    DriverState& d = gDriver;
    d.light = d.renderer->createLight();
    d.light->setType(LightType::Point);
    d.light->setColour(1.0f, 1.0f, 1.0f, 1.0f);
    // The sun stands at the origin of the scene.
    d.light->setPosition(0.0f, 0.0f, 0.0f);
    logWrite("%s", kPassed);
    return true;
}

} // namespace

bool stepFonts() {
    logStepLabel("Creating fonts");
    DriverState& d = gDriver;
    d.mainFont = makeStepObject<BitmapFont>(*d.display);
    d.hintFont = makeStepObject<BitmapFont>(*d.display);
    if (!d.mainFont || !d.hintFont) {
        logWrite("[ FAILED: font ]\n");
        return false;
    }
    if (!d.mainFont->loadFont(108, 107) || !d.hintFont->loadFont(135, 134)) {
        logWrite("[ FAILED: texture ]\n");
        return false;
    }
    bindOnScreenText(*d.renderer, *d.mainFont, prefs());
    logWrite("%s", kPassed);
    return true;
}

namespace {

bool stepStarField() {
    logStepLabel("Creating star field");
    buildStarField();
    logWrite("%s", kPassed);
    return true;
}

void runFrame() {
    DriverState& d = gDriver;
    FrameClock& clock = d.clock;
    Preferences& p = prefs();
    clock.beginFrame(platform::tickCount(), p.extraSeconds);
    const ClockSample& sample = d.simClock.update(clock.extraSecondsTotal);
    Renderer& r = *d.renderer;
    r.beginFrame(*d.mainCamera, kClearTarget | kClearZBuffer);
    composeScene(d.scene, sample, {clock.frameMs, clock.smoothedMs, clock.frameCounter}, p);
    // While the user view is steered, the point below it is marked.
    if (inputState().mouseLook && cameras().current() == kUserView)
        drawUserViewCrosshair(r, d.scene, p);
    if (d.runMode != RunMode::Preview) {
        drawMessage(clock.frameMs);
        if (inputState().optionsVisible) drawOptions();
        drawPerformance(clock.shownFps, clock.smoothedMs);
        drawClock();
        drawHelp(clock.smoothedMs);
    }
    if (clock.fading()) {
        r.bindTexture(nullptr);
        r.drawScreenRect(0.0f, 0.0f, float(d.width), float(d.height),
                         uint32_t(clock.curtainAlpha()) << 24, false, 0.001f);
        clock.advanceFade();
    }
    r.endFrame();
    d.display->present();
    takeScreenshotIfRequested();
    // A host may destroy the window it lent us without a word.
    if (!d.window->owned() && platform::hostWindowGone(d.window->nativeHandle())) requestQuit();
    clock.countFrames();

    platform::WindowMessage msg;
    if (platform::peekMessage(msg)) {
        if (msg.message == platform::WM_QUIT) d.quitRequested = true;
        // The network's hidden windows take their own messages.
        if (!platform::dispatchToMessageWindow(msg)) windowProc(msg);
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

void resolveFolderAndMode(const std::string& commandLine, const platform::ProgramFolder& folder) {
    DriverState& d = gDriver;
    d.runMode = RunMode::Application;
    d.previewParent = 0;
    resetSaverMouseMoves();

    const std::string programFile = platform::programFilePath();
    if (!folder.fromRegistry) logWrite("AppPath not found on Registry!\n");
    d.programFolder = folder.path;
    if (folder.perUser())
        logWrite("Program folder %s cannot be written: using %s\n", folder.unwritable.c_str(),
                 folder.path.c_str());
    else
        logWrite("Program folder %s\n", folder.path.c_str());

    const RunModeChoice choice = parseRunMode(programFile, commandLine);
    d.runMode = choice.mode;
    d.previewParent = choice.previewParent;
    d.optionsInWindow = false;
    if (d.runMode == RunMode::Configure) {
        // The editor lies beside the program, wherever the files are kept.
        const std::string editor =
            (folder.perUser() ? folder.unwritable : folder.path) + platform::editorFileName();
        if (!platform::launchDetached(editor)) {
            // Windows has no editor: the options overlay is the settings.
            logWrite("Cannot start the settings editor %s: the options open in a window\n",
                     editor.c_str());
            d.optionsInWindow = true;
        }
    }
}

bool startUp() {
    DriverState& d = gDriver;
    const bool preview = d.runMode == RunMode::Preview;

    d.startTick = platform::tickCount();
    cloudUpdater().reset(); // no download client until the first update
    // The preview and XScreenSaver's full-screen window are the host's.
    const bool hostWindow = preview || (d.runMode == RunMode::ScreenSaver && d.saverWindow != 0);
    d.videoReady = platform::initVideo(hostWindow, kWindowClassName);
    d.screen = d.videoReady ? platform::primaryScreenRect() : platform::Rect{};
    d.desktop = d.videoReady ? platform::desktopRect() : platform::Rect{};

    gUnlabelledStep = "Loading preferences";
    if (!loadPreferences(d.programFolder)) return false;
    gUnlabelledStep = nullptr;

    if (!guardedStep("*** FATAL ERROR while initializing device object ***\n",
                     stepApplicationWindow))
        return false;
    if (!guardedStep("*** FATAL ERROR while initializing device object ***\n", stepDeviceObject))
        return false;
    if (!guardedStep("*** FATAL ERROR while initializing 3D renderer object ***\n",
                     [] { return step3DObject() && step3DRenderer(); }))
        return false;
    if (!guardedStep("*** FATAL ERROR while initializing console object ***\n", stepSystemConsole))
        return false;

    if (preview) applyPreviewOverrides(prefs());

    if (!stepPlanets()) return false;
    if (!guardedStep("*** FATAL ERROR while initializing city marker ***\n", stepCityMesh))
        return false;
    if (!guardedStep("*** FATAL ERROR while initializing scene ***\n", stepSceneObject))
        return false;
    if (!guardedStep("*** FATAL ERROR while initializing cameras ***\n", stepCameras)) return false;
    if (!guardedStep("*** FATAL ERROR while initializing illumination ***\n", stepIllumination))
        return false;
    if (!guardedStep("*** FATAL ERROR while initializing fonts ***\n", stepFonts)) return false;
    if (!guardedStep("*** FATAL ERROR while initializing star field ***\n", stepStarField))
        return false;

    platform::setSystemCursor(platform::SystemCursor::Arrow);
    d.cursorsLoaded = true;

    bindLocations(
        {d.renderer.get(), d.mainFont.get(), d.hintFont.get(), d.cityMarker.get(), &prefs()});
    gUnlabelledStep = "Loading locations";
    if (!initLocations(d.programFolder, preview, d.width, d.height)) return false;
    gUnlabelledStep = nullptr;

    logWrite("Time spent on initialization ........................... [ %3.2f seconds ]\n",
             double(platform::tickCount() - d.startTick) * 0.001);
    const float ambient = float(prefs().ambientPercent) * 0.01f;
    d.renderer->setAmbientLight(ambient, ambient, ambient);
    d.renderer->setBilinearFiltering(isOn(prefs().textureFiltering));
    helpLayout();
    return true;
}

namespace {

// The shut-down's result: it passed only if every file that was to be
// written was written; each file not written says why, after the result.
void logSaves(const std::vector<FileSave>& saves) {
    bool failed = false;
    for (const FileSave& save : saves)
        failed = failed || save.outcome == SaveOutcome::Failed;
    logWrite("%s", failed ? "[ FAILED: not every file was saved ]\n" : kPassed);
    for (const FileSave& save : saves) {
        if (save.outcome == SaveOutcome::Failed)
            logWrite("Cannot save %s: %s\n", save.name, save.reason.c_str());
        else if (save.outcome == SaveOutcome::Kept && !save.reason.empty())
            logWrite("%s is left as it is: %s\n", save.name, save.reason.c_str());
    }
}

} // namespace

void shutDown() {
    DriverState& d = gDriver;
    const bool savesFiles = savesSharedFiles(d.runMode, d.holdsInstance);
    if (!savesFiles && d.runMode != RunMode::Preview)
        logWrite("Another copy of the globe saves the settings and places.\n");
    logStepLabel("Shutting down the system");
    try {
        std::vector<FileSave> saves;
        if (savesFiles) {
            // Ended with the locations manager on screen: its temporary
            // camera, time and light settings are not the user's.
            restoreManagerPreferences(prefs());
            saves.push_back(savePreferences(d.programFolder));
            if (locations().locationsReady) {
                const PlacesSave places = savePlaces(d.programFolder);
                saves.push_back(places.database);
                saves.push_back(places.selection);
            }
        }
        // A download still running ends here, its partial file removed.
        cloudUpdater().release();
        if (d.videoReady)
            while (platform::showCursor(true) < 0) {
            }
        // The view cameras, the main camera and the scene container go
        // first; the planets, effects and fonts would go with the process,
        // but are let go while their renderer still exists.
        if (d.renderer) d.renderer->viewCameras().clear();
        destroyCameras();
        d.mainCamera = nullptr;
        d.sceneContainer.reset();
        unbindOnScreenText();
        releaseSunEffects();
        cloudLayer().release();
        releasePlanets();
        d.mainFont.reset();
        d.hintFont.reset();
        d.light.reset();
        d.renderer.reset();
        d.display.reset(); // back to the desktop's mode in full screen
        // The two lists and the form go; the records were saved above.
        bindLocations({});
        resetLocationsForRun();
        d.window.reset();
        if (d.videoReady) platform::shutdownVideo();
        d.videoReady = false;
        logSaves(saves);
    } catch (...) {
        logWrite("*** FATAL ERROR while shutting down ***\n");
    }
}

namespace {

// The single-instance rule of the run's mode (run_mode.h): HeldElsewhere
// when this run must end because another one runs. A lock that cannot be
// trusted ends the start as a failed one, said in the log and on standard
// error.
platform::InstanceClaim claimInstance(const std::string& commandLine) {
    DriverState& d = gDriver;
    const RunMode mode = parseRunMode(platform::programFilePath(), commandLine).mode;
    d.holdsInstance = false;
    const InstanceRule rule = instanceRuleFor(mode, platform::hostStartsSaverPerScreen());
    if (rule == InstanceRule::None) return platform::InstanceClaim::Claimed;
    std::string why;
    const platform::InstanceClaim claim =
        rule == InstanceRule::Alone ? platform::claimSingleInstance(kInstanceMutexName, &why)
                                    : platform::tryClaimSingleInstance(kInstanceMutexName, &why);
    if (claim == platform::InstanceClaim::Refused) {
        logWrite("Cannot check for another running globe: %s (the lock's folder must be a "
                 "folder of this user with mode 0700)\n",
                 why.c_str());
        logWrite("\nCannot continue. Exiting.\n");
        reportFailedStart("Checking for another running globe");
        return claim;
    }
    d.holdsInstance = claim == platform::InstanceClaim::Claimed;
    // A saver copy beside the one that holds the instance runs all the same.
    if (rule == InstanceRule::IfFree) return platform::InstanceClaim::Claimed;
    return claim;
}

} // namespace

int run(const std::string& commandLine) {
    // Known before the log starts: an installed program keeps its log in the
    // user's folder with the other files.
    const platform::ProgramFolder folder = platform::findProgramFolder();
    placeLog(folder.perUser() ? folder.path + kLogFileName : kLogFileName);
    logReset();
    logWrite("GEOVISTA Firing Up\n");
    const platform::InstanceClaim claim = claimInstance(commandLine);
    if (claim == platform::InstanceClaim::HeldElsewhere) return 0;
    if (claim == platform::InstanceClaim::Refused) return -1;

    resolveFolderAndMode(commandLine, folder);
    if (gDriver.runMode == RunMode::Configure && !gDriver.optionsInWindow) return 0;

    connectProgramServices();
    resetInputForRun();
    inputState().optionsVisible = gDriver.optionsInWindow;
    resetHelpForRun();
    resetScreenshotsForRun();
    resetLocationsForRun();

    if (!startUp()) {
        const std::string failedStep = gUnlabelledStep ? gUnlabelledStep : lastStepWords();
        shutDown();
        logWrite("\nCannot continue. Exiting.\n");
        reportFailedStart(failedStep);
        return -1;
    }
    logWrite("System initialized.\n\n");
    gDriver.console.hideAndEmpty();

    gDriver.clock.reset(platform::tickCount());
    cameras().restart = true; // the first frame places the camera
    gDriver.quitRequested = false;
    while (!gDriver.quitRequested)
        runFrame();

    shutDown();
    logWrite("Exiting.\n");
    return 0;
}

} // namespace gv
