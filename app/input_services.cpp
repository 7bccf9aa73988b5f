#include "app/input_services.h"

#include "app/driver.h"
#include "app/preferences_file.h"
#include "engine/bitmap_font.h"
#include "engine/tga_image.h"
#include "scene/cameras.h"
#include "scene/planet_motion.h"
#include "scene/planet_objects.h"
#include "ui/on_screen_messages.h"

#include <cstdlib>
#include <string>

namespace gv {

namespace {

InputServices* gServices = nullptr;

// The program's services over the driver's objects.
//
// Connections still to be made as the other parts arrive are marked
// "Not connected yet" below; each says what it stands in for.
class ProgramServices final : public InputServices {
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
    void rebuildEarth() override { buildEarth(); }
    void rebuildSunAndMoon() override {
        buildSun();
        buildMoon();
        forceMoonRecalculation(driver().scene, prefs());
    }

    // Not connected yet: the cloud updater's state. Without it no download
    // ever runs.
    bool cloudDownloadRunning() override { return false; }

    std::tm simulatedLocalTime() override { return driver().simClock.sample().local; }

    int driverCount() override {
        return driver().display ? int(driver().display->drivers().size()) : 0;
    }
    std::string driverName(int i) override {
        return driver().display->drivers()[std::size_t(i)].driverName;
    }
    std::string driverDescription(int i) override {
        return driver().display->drivers()[std::size_t(i)].description;
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
        // Not connected yet: the locations manager's two list rectangles.
    }

    float cameraTransition() override { return cameras().t; }
    void restartCameraPath() override { cameras().restart = true; }
    float earthRotation() override { return driver().scene.earthYaw; }

    // Not connected yet: the locations manager. Until it exists it is always
    // closed and never claims the keyboard.
    bool managerHasKeyboard() override { return false; }
    bool managerHandleKey(const platform::WindowMessage&) override { return false; }
    bool managerOpen() override { return false; }
    bool managerOpening() override { return false; }
    bool managerClosing() override { return false; }
    void openManager() override {}
    void startClosingManager() override {}

    ScreenPoint clientToScreen(int x, int y) override {
        DriverState& d = driver();
        if (!d.window) return {x, y};
        const platform::Rect r = d.window->screenRect();
        return {r.left + x, r.top + y};
    }
    void setCursorPosition(ScreenPoint p) override { platform::setCursorPosition(p.x, p.y); }
    void setCursor(platform::SystemCursor cursor) override { platform::setSystemCursor(cursor); }
};

ProgramServices gProgramServices;

} // namespace

InputServices& inputServices() {
    // The window procedure runs only after start-up connected the services.
    if (!gServices) std::abort();
    return *gServices;
}

void setInputServices(InputServices* services) {
    gServices = services;
}

void connectProgramServices() {
    setInputServices(&gProgramServices);
    setUiHost(&gProgramServices);
}

} // namespace gv
