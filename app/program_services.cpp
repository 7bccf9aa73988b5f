#include "app/program_services.h"

#include "app/camera_services.h"
#include "app/locations_services.h"
#include "app/pointer_services.h"

#include "app/driver.h"
#include "app/preferences_file.h"
#include "clouds/cloud_layer.h"
#include "clouds/cloud_update_host.h"
#include "clouds/cloud_updater.h"
#include "engine/bitmap_font.h"
#include "engine/tga_image.h"
#include "locations/location_lists.h"
#include "locations/location_markers.h"
#include "locations/locations_host.h"
#include "locations/locations_manager.h"
#include "scene/cameras.h"
#include "scene/frame_composition.h"
#include "scene/planet_motion.h"
#include "scene/planet_objects.h"
#include "scene/user_crosshair.h"
#include "ui/cloud_services.h"
#include "ui/display_mode_services.h"
#include "ui/help_overlay.h"
#include "ui/on_screen_messages.h"
#include "ui/scene_services.h"
#include "ui/ui_host.h"

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace gv {

namespace {

// Connections still to be made as the other parts arrive are marked
// "Not connected yet" below; each says what it stands in for.

class ProgramUiHost final : public UiHost {
  public:
    Preferences& preferences() override { return prefs(); }
    int displayWidth() override { return driver().width; }
    int displayHeight() override { return driver().height; }

    void postMessage(const char* title, const char* subtitle) override {
        gv::postMessage(title, subtitle);
    }

    void drawText(UiFont font, float x, float y, float depth, uint32_t argb, float scaleX,
                  float scaleY, const char* text) override {
        DriverState& d = driver();
        const BitmapFont* f = font == UiFont::Main ? d.mainFont.get() : d.hintFont.get();
        if (!d.renderer || !f) return;
        d.renderer->drawText(*f, x, y, depth, argb, scaleX, scaleY, "%s", text);
    }

    void drawScreenRect(float left, float top, float right, float bottom, uint32_t argb,
                        float depth) override {
        DriverState& d = driver();
        if (!d.renderer) return;
        d.renderer->bindTexture(nullptr);
        d.renderer->drawScreenRect(left, top, right, bottom, argb, false, depth);
    }

    bool captureFrame(const char* path) override {
        DriverState& d = driver();
        return d.display && gv::captureFrame(*d.display, path);
    }
};

class ProgramSceneServices final : public SceneServices {
  public:
    void setFieldOfView(float radians) override { setFov(cameras(), radians); }

    void setEarthSpecularPower(float power) override { gv::setEarthSpecularPower(power); }
    void setEarthSpecularLevel(float level) override { gv::setEarthSpecularLevel(level); }

    void setAmbientLight(float level) override {
        if (driver().renderer) driver().renderer->setAmbientLight(level, level, level);
    }
    void setBilinearFiltering(bool on) override {
        if (driver().renderer) driver().renderer->setBilinearFiltering(on);
    }

    // The builds log their own lines and replace what they built before;
    // their results are not checked, as at no other time after start-up.
    void rebuildEarth() override {
        buildEarth();
        cloudLayer().logRefusal();
    }
    void rebuildSunAndMoon() override {
        buildSun();
        buildMoon();
        forceMoonRecalculation(driver().scene, prefs());
    }
};

// The cloud schedule keeps to the machine's clock: the extra seconds that
// move the simulated clock ahead would make every interval pass in moments.
std::tm realLocalTime() {
    return sampleClock(std::time(nullptr), 0).local;
}

class ProgramCloudServices final : public CloudServices {
  public:
    bool cloudDownloadRunning() override { return cloudUpdater().downloading(); }
    std::optional<int64_t> secondsSinceCloudUpdate() override {
        return secondsSinceLastCloudUpdate(prefs(), realLocalTime());
    }
};

class ProgramCloudUpdateHost final : public CloudUpdateHost {
  public:
    Preferences& preferences() override { return prefs(); }
    std::string programFolder() override { return driver().programFolder; }
    std::tm realLocalTime() override { return gv::realLocalTime(); }
    void postMessage(const char* title, const char* subtitle) override {
        gv::postMessage(prefs().messageTime, title, "%s", subtitle);
    }
    bool showCloudMap(CloudMap map) override { return cloudLayer().show(std::move(map)); }
};

class ProgramDisplayModes final : public DisplayModeServices {
  public:
    int driverCount() override {
        return driver().display ? int(driver().display->drivers().size()) : 0;
    }
    const char* driverName(int i) override {
        return driver().display->drivers()[std::size_t(i)].driverName.c_str();
    }
    const char* driverDescription(int i) override {
        return driver().display->drivers()[std::size_t(i)].description.c_str();
    }
    int modeCount(int i) override {
        return int(driver().display->drivers()[std::size_t(i)].modes.size());
    }
    UiScreenMode mode(int i, int m) override {
        const ScreenMode& s = driver().display->drivers()[std::size_t(i)].modes[std::size_t(m)];
        return {s.width, s.height, s.bitsPerPixel};
    }
    int runningDriver() override {
        return driver().display ? int(driver().display->selectedDriver()) : 0;
    }

    void changeDisplayMode(int modeIndex) override {
        DriverState& d = driver();
        if (!d.display || !d.renderer) return;
        // None of the results is checked: a refused change keeps the old mode.
        d.renderer->release3D();
        d.display->changeMode(uint32_t(modeIndex));
        d.renderer->create3D(true);
        if (d.renderer->light()) d.renderer->light()->attach();
        const float ambient = float(prefs().ambientPercent) * 0.01f;
        d.renderer->setAmbientLight(ambient, ambient, ambient);
        d.width = d.display->width();
        d.height = d.display->height();
        layoutLocationLists(d.width, d.height);
    }
};

class ProgramCameraServices final : public CameraServices {
  public:
    float cameraTransition() override { return cameras().t; }
    void selectAdjacentCamera(bool forward) override {
        gv::selectAdjacentCamera(cameras(), forward);
    }
    GeoPoint groundBelow(float latitude, float longitude) override {
        return gv::groundBelow(driver().scene, latitude, longitude);
    }
};

class ProgramLocationsServices final : public LocationsServices {
  public:
    bool managerHasKeyboard() override { return locationsManager().hasKeyboard; }
    bool managerHandleKey(const platform::WindowMessage& msg) override {
        return gv::managerHandleKey(msg);
    }
    bool managerOpen() override { return locationsManager().open; }
    bool managerOpening() override { return locationsManager().opening; }
    bool managerClosing() override { return locationsManager().closing; }
    void openManager() override {
        if (gv::openManager()) helpHideForManager();
    }
    void startClosingManager() override { closeManager(); }
};

class ProgramLocationsHost final : public LocationsHost {
  public:
    void postMessage(const char* title, const char* subtitle) override {
        gv::postMessage(title, subtitle);
    }
};

// The cloud layer's tiles over the flat map: earth patch i wears tile i, as
// the cloud sphere's patch i does.
class ProgramManagerClouds final : public ManagerClouds {
  public:
    bool cloudMapExists() override { return cloudLayer().mapExists(); }
    Texture* cloudTexture(int patch) override { return cloudLayer().tileTexture(patch); }
};

// What the places draw from in this frame.
LocationsFrame locationsFrame() {
    DriverState& d = driver();
    LocationsFrame f;
    f.scene = &d.scene;
    f.camera = d.mainCamera;
    f.frameMs = d.clock.frameMs;
    f.utc = d.simClock.sample().utc;
    f.width = d.width;
    f.height = d.height;
    return f;
}

void connectFrameHooks() {
    SceneFrameHooks& hooks = sceneFrameHooks();
    hooks.locationsManagerOnScreen = [] { return managerOnScreen(); };
    hooks.earthTiltShare = [] { return managerEarthTilt(); };
    hooks.locationsManagerFrame = [] { managerFrame(locationsFrame()); };
    hooks.drawLocationMarkers = [] { drawGlobeLocations(locationsFrame()); };
}

void disconnectFrameHooks() {
    SceneFrameHooks& hooks = sceneFrameHooks();
    hooks.locationsManagerOnScreen = nullptr;
    hooks.earthTiltShare = nullptr;
    hooks.locationsManagerFrame = nullptr;
    hooks.drawLocationMarkers = nullptr;
}

class ProgramPointerServices final : public PointerServices {
  public:
    ScreenPoint clientToScreen(int x, int y) override {
        DriverState& d = driver();
        if (!d.window) return {x, y};
        const platform::Rect r = d.window->screenRect();
        return {r.left + x, r.top + y};
    }
    void setCursorPosition(ScreenPoint p) override { platform::setCursorPosition(p.x, p.y); }
    void setCursor(platform::SystemCursor cursor) override { platform::setSystemCursor(cursor); }
};

ProgramUiHost gUiHost;
ProgramSceneServices gSceneServices;
ProgramCloudServices gCloudServices;
ProgramCloudUpdateHost gCloudUpdateHost;
ProgramDisplayModes gDisplayModes;
ProgramCameraServices gCameraServices;
ProgramLocationsServices gLocationsServices;
ProgramLocationsHost gLocationsHost;
ProgramManagerClouds gManagerClouds;
ProgramPointerServices gPointerServices;

} // namespace

void connectProgramServices() {
    setUiHost(&gUiHost);
    setSceneServices(&gSceneServices);
    setCloudServices(&gCloudServices);
    setCloudUpdateHost(&gCloudUpdateHost);
    // The frame's due check and the start-up's update when the first cloud
    // build failed.
    sceneFrameHooks().cloudUpdateIfDue = [] { cloudUpdater().updateIfDue(); };
    planets().startCloudDownload = [] { cloudUpdater().start(); };
    setDisplayModeServices(&gDisplayModes);
    setCameraServices(&gCameraServices);
    setLocationsServices(&gLocationsServices);
    setPointerServices(&gPointerServices);
    setLocationsHost(&gLocationsHost);
    setManagerClouds(&gManagerClouds);
    connectFrameHooks();
}

void disconnectProgramServices() {
    setUiHost(nullptr);
    setSceneServices(nullptr);
    setCloudServices(nullptr);
    setCloudUpdateHost(nullptr);
    sceneFrameHooks().cloudUpdateIfDue = nullptr;
    planets().startCloudDownload = nullptr;
    setDisplayModeServices(nullptr);
    setCameraServices(nullptr);
    setLocationsServices(nullptr);
    setPointerServices(nullptr);
    setLocationsHost(nullptr);
    setManagerClouds(nullptr);
    disconnectFrameHooks();
}

} // namespace gv
