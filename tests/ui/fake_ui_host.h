#pragma once
// A host for the overlays that records what they ask for.
#include "ui/cloud_services.h"
#include "ui/display_mode_services.h"
#include "ui/scene_services.h"
#include "ui/ui_host.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace gv::testing {

struct DrawnText {
    UiFont font;
    float x, y, depth;
    uint32_t argb;
    float scaleX, scaleY;
    std::string text;
};

struct DrawnRect {
    float left, top, right, bottom;
    uint32_t argb;
    float depth;
};

struct Driver {
    std::string name, description;
    std::vector<UiScreenMode> modes;
};

// The overlays' seams, each connected to this one recording object.
class FakeUiHost : public UiHost,
                   public SceneServices,
                   public DisplayModeServices,
                   public CloudServices {
  public:
    Preferences prefs = defaultPreferences();
    int width = 640, height = 480;
    std::vector<std::pair<std::string, std::string>> messages;
    std::vector<DrawnText> texts;
    std::vector<DrawnRect> rects;
    std::vector<std::string> captures;
    bool captureSucceeds = true;

    std::vector<float> fovs, powers, speculars, ambients;
    std::vector<bool> filtering;
    int earthRebuilds = 0, sunMoonRebuilds = 0;
    bool downloading = false;
    // Seconds since the last cloud update started; nothing for never.
    std::optional<int64_t> sinceCloudUpdate;
    std::vector<Driver> drivers;
    int running = 0;
    std::vector<int> modeChanges;

    FakeUiHost() {
        setUiHost(this);
        setSceneServices(this);
        setDisplayModeServices(this);
        setCloudServices(this);
    }
    ~FakeUiHost() override {
        setUiHost(nullptr);
        setSceneServices(nullptr);
        setDisplayModeServices(nullptr);
        setCloudServices(nullptr);
    }
    FakeUiHost(const FakeUiHost&) = delete;
    FakeUiHost& operator=(const FakeUiHost&) = delete;

    Preferences& preferences() override { return prefs; }
    int displayWidth() override { return width; }
    int displayHeight() override { return height; }
    void postMessage(const char* title, const char* subtitle) override {
        messages.emplace_back(title, subtitle);
    }
    void drawText(UiFont font, float x, float y, float depth, uint32_t argb, float sx, float sy,
                  const char* text) override {
        texts.push_back({font, x, y, depth, argb, sx, sy, text});
    }
    void drawScreenRect(float l, float t, float r, float b, uint32_t argb, float depth) override {
        rects.push_back({l, t, r, b, argb, depth});
    }
    bool captureFrame(const char* path) override {
        captures.emplace_back(path);
        return captureSucceeds;
    }
    void setFieldOfView(float radians) override { fovs.push_back(radians); }
    void setEarthSpecularPower(float power) override { powers.push_back(power); }
    void setEarthSpecularLevel(float level) override { speculars.push_back(level); }
    void setAmbientLight(float level) override { ambients.push_back(level); }
    void setBilinearFiltering(bool on) override { filtering.push_back(on); }
    void rebuildEarth() override { ++earthRebuilds; }
    void rebuildSunAndMoon() override { ++sunMoonRebuilds; }
    bool cloudDownloadRunning() override { return downloading; }
    std::optional<int64_t> secondsSinceCloudUpdate() override { return sinceCloudUpdate; }
    int driverCount() override { return int(drivers.size()); }
    const char* driverName(int d) override { return drivers.at(std::size_t(d)).name.c_str(); }
    const char* driverDescription(int d) override {
        return drivers.at(std::size_t(d)).description.c_str();
    }
    int modeCount(int d) override { return int(drivers.at(std::size_t(d)).modes.size()); }
    UiScreenMode mode(int d, int i) override {
        return drivers.at(std::size_t(d)).modes.at(std::size_t(i));
    }
    int runningDriver() override { return running; }
    void changeDisplayMode(int modeIndex) override { modeChanges.push_back(modeIndex); }
};

} // namespace gv::testing
