// The program's services drive the real renderer (on the recording backend):
// what the overlays draw and what the options and keys change reaches it.
#include "app/driver.h"
#include "app/preferences_file.h"
#include "app/program_services.h"
#include "app/window_proc.h"
#include "clouds/cloud_layer.h"
#include "clouds/cloud_update_host.h"
#include "clouds/cloud_updater.h"
#include "engine/error_name.h"
#include "engine/recording_backend.h"
#include "engine/texture.h"
#include "formats/selection_file.h"
#include "imaging/picture_builders.h"
#include "locations/locations_files.h"
#include "locations/locations_host.h"
#include "locations/locations_manager.h"
#include "resources/builtin_resources.h"
#include "scene/cameras.h"
#include "scene/frame_composition.h"
#include "scene/planet_objects.h"
#include "support/temp_dir.h"
#include "ui/cloud_services.h"
#include "ui/help_overlay.h"
#include "ui/on_screen_messages.h"
#include "ui/options_overlay.h"
#include "ui/screenshot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace gv {
namespace {

using namespace platform;

class ProgramServicesTest : public ::testing::Test {
  protected:
    RecordingBackend* backend = nullptr;

    void SetUp() override {
        resources::registerBuiltinResources();
        resetPreferencesForRun();
        resetInputForRun();
        resetHelpForRun();
        resetScreenshotsForRun();
        DriverState& d = driver();
        auto b = std::make_unique<RecordingBackend>();
        backend = b.get();
        DisplayInfo info;
        info.name = "Display";
        info.description = "Recorded";
        info.modes = {{640, 480, 32, 0}, {800, 600, 16, 0}};
        d.display = std::make_unique<DisplayDevice>(std::move(b), std::vector{info}, 32);
        ASSERT_EQ(d.display->selectDriver(0), kResultOk);
        ASSERT_EQ(d.display->selectMode(0, true, false), kResultOk);
        d.renderer = std::make_unique<Renderer>(*d.display);
        ASSERT_EQ(d.renderer->create3D(true), kResultOk);
        d.display->setRenderer(d.renderer.get());
        d.width = d.display->width();
        d.height = d.display->height();
        d.mainFont = std::make_unique<BitmapFont>(*d.display);
        d.hintFont = std::make_unique<BitmapFont>(*d.display);
        ASSERT_TRUE(d.mainFont->loadFont(108, 107));
        ASSERT_TRUE(d.hintFont->loadFont(135, 134));
        cameras().prefs = &prefs();
        cameras().main = std::make_unique<Camera>(0.97f, uint16_t(d.width), uint16_t(d.height));
        d.mainCamera = cameras().main.get();
        light = d.renderer->createLight();
        for (int i = 0; i < 10; ++i)
            d.renderer->createMaterial();
        // The earth's eight materials start at slot 2 here, so that the ones
        // around them show whether anything else is touched.
        bindPlanets(*d.renderer, *d.display, prefs());
        planets().earthReserved = true;
        planets().earthMaterial0 = 2;
        connectProgramServices();
        helpLayout();
        backend->clearLog();
    }
    void TearDown() override {
        DriverState& d = driver();
        light.reset();
        planets().earthReserved = false;
        releasePlanets();
        d.mainCamera = nullptr;
        cameras().main.reset();
        cameras().prefs = nullptr;
        d.hintFont.reset();
        resetLocationsForRun();
        bindLocations({});
        d.mainFont.reset();
        d.renderer.reset();
        d.display.reset();
        disconnectProgramServices();
    }
    std::unique_ptr<Light> light;
};

TEST_F(ProgramServicesTest, OptionsDrawFourTextsWithTheirFontsAtTheirPlaces) {
    prefs().optionsSelection = 14;
    drawOptions();
    ASSERT_EQ(backend->draws.size(), 4u);
    const auto& label = backend->draws[1];
    ASSERT_FALSE(label.screen.empty());
    EXPECT_FLOAT_EQ(label.screen[0].sx, 8.0f);
    EXPECT_FLOAT_EQ(label.screen[0].sy, 480.0f - 55.0f);
    // "SUN SIZE": seven glyphs and a space, one quad each.
    EXPECT_EQ(label.screen.size(), 8u * 4u);
    EXPECT_EQ(label.screen[0].color, 0xC0B0D0FFu);
    // The arrows come from the second font's sheet.
    EXPECT_NE(backend->draws[3].texture, backend->draws[1].texture);
    EXPECT_EQ(backend->draws[3].screen.size(), 4u * 4u);
}

TEST_F(ProgramServicesTest, SpecularityReachesTheEightEarthMaterialsOnly) {
    Renderer& r = *driver().renderer;
    const float untouchedPower = r.material(1).power();
    const ColorValue untouchedSpecular = r.material(0).specular();
    prefs().optionsSelection = 19; // "EARTH SPECULARITY POWER"
    optionsKey(VK_UP);
    prefs().optionsSelection = 20; // "EARTH SPECULARITY"
    optionsKey(VK_UP);
    optionsKey(VK_UP);
    for (uint32_t i = 2; i < 10; ++i) {
        EXPECT_EQ(r.material(i).power(), 1.0f) << i;
        EXPECT_FLOAT_EQ(r.material(i).specular().r, 0.02f) << i;
        EXPECT_EQ(r.material(i).specular().a, 1.0f) << i;
    }
    EXPECT_EQ(r.material(1).power(), untouchedPower);
    EXPECT_EQ(r.material(0).specular().r, untouchedSpecular.r);
}

TEST_F(ProgramServicesTest, AmbientFilteringAndFieldOfViewReachTheRendererAndCamera) {
    windowProc({WM_CHAR, '+', 0});
    float red = 0, green = 0, blue = 0;
    driver().renderer->getAmbientLight(red, green, blue);
    EXPECT_FLOAT_EQ(red, 0.06f);
    EXPECT_FLOAT_EQ(blue, 0.06f);

    prefs().optionsSelection = 31; // "TEXTURE FILTERING", on by default
    prefs().textureFiltering = 0;
    optionsKey(VK_UP);
    EXPECT_TRUE(driver().renderer->bilinearFiltering());
    optionsKey(VK_DOWN);
    EXPECT_FALSE(driver().renderer->bilinearFiltering());

    prefs().optionsSelection = 3; // "CAMERA FIELD-OF-VIEW"
    optionsKey(VK_DOWN);
    EXPECT_FLOAT_EQ(driver().mainCamera->fov(), prefs().fieldOfView);
}

TEST_F(ProgramServicesTest, EnterOnResolutionRebuildsTheDeviceAroundTheModeChange) {
    prefs().screenModeIndex = 1;
    prefs().ambientPercent = 40;
    prefs().optionsSelection = 37; // "SCREEN RESOLUTION"
    optionsKey(VK_RETURN);
    const auto& calls = backend->calls;
    auto at = [&](const char* op) {
        for (std::size_t i = 0; i < calls.size(); ++i)
            if (calls[i].op == op) return int(i);
        return -1;
    };
    ASSERT_GE(at("releaseDevice"), 0);
    ASSERT_GE(at("setWindowMode"), 0);
    ASSERT_GE(at("createDevice"), 0);
    EXPECT_LT(at("releaseDevice"), at("setWindowMode"));
    EXPECT_LT(at("setWindowMode"), at("createDevice"));
    EXPECT_TRUE(backend->lightAttached);
    float red = 0, green = 0, blue = 0;
    driver().renderer->getAmbientLight(red, green, blue);
    EXPECT_FLOAT_EQ(red, 0.4f);
    EXPECT_EQ(driver().width, 800);
    EXPECT_EQ(driver().height, 600);
    EXPECT_EQ(helpPanel().restX, 800.0f - 220.0f);
    EXPECT_EQ(helpPanel().hiddenY, 600.0f - 260.0f);
}

TEST_F(ProgramServicesTest, CameraKeysRunTheCamerasOwnSelection) {
    // F7 and F8 reach the cameras' one selection through the program's
    // camera services: its message, its wrap, its refusal during a glide.
    static std::vector<std::string> posted;
    posted.clear();
    cameras().post = [](uint32_t, const char* title, const char* subtitle) {
        posted.push_back(std::string(title) + "/" + subtitle);
    };
    cameras().t = 0.0f;
    cameras().restart = false;
    windowProc({WM_KEYDOWN, VK_F7, 0});
    EXPECT_EQ(prefs().currentCamera, 6);
    EXPECT_TRUE(cameras().restart);
    windowProc({WM_KEYDOWN, VK_F8, 0});
    EXPECT_EQ(prefs().currentCamera, 0);
    cameras().t = 0.5f; // a glide under way
    windowProc({WM_KEYDOWN, VK_F8, 0});
    EXPECT_EQ(prefs().currentCamera, 0);
    EXPECT_EQ(posted,
              (std::vector<std::string>{"CAMERA SELECTED/User view", "CAMERA SELECTED/Orbit 1",
                                        "CAMERA CHANGING IN COURSE/NAVIGATION SYSTEM BUSY"}));
    cameras().t = 0.0f;
    cameras().post = nullptr;
}

TEST_F(ProgramServicesTest, ScreenshotsAreTgaFilesOfTheDisplayInTheCurrentFolder) {
    test::TempDir dir;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    windowProc({WM_KEYDOWN, VK_F2, 0});
    takeScreenshotIfRequested();
    windowProc({WM_KEYDOWN, VK_F2, 0});
    takeScreenshotIfRequested();
    std::filesystem::current_path(previous);
    ASSERT_TRUE(std::filesystem::exists(dir.file("Geovista_001.tga")));
    ASSERT_TRUE(std::filesystem::exists(dir.file("Geovista_002.tga")));
    EXPECT_EQ(std::filesystem::file_size(dir.file("Geovista_001.tga")), 18u + 640u * 480u * 3u);
}

TEST_F(ProgramServicesTest, TheLocationsManagerTakesF4AndTheKeysAndFollowsTheDisplayMode) {
    DriverState& d = driver();
    test::TempDir dir;
    CitiesDatabase db;
    for (const char* name : {"Lima", "Oslo", "Quito"})
        db.append(makeLocationRecord(name, 1, 2, 3));
    test::writeBytes(dir.file("geovista.loc"), db.toBytes());
    bindLocations({d.renderer.get(), d.mainFont.get(), d.hintFont.get(), nullptr, &prefs()});
    ASSERT_TRUE(initLocations(dir.folder(), false, d.width, d.height));
    prefs().currentCamera = 2;
    cameras().t = 0.0f;
    d.clock.frameMs = 20;
    windowProc({WM_KEYDOWN, VK_F1, 0});
    for (int i = 0; i < 20; ++i)
        drawHelp(60);
    ASSERT_TRUE(helpPanel().shown);

    windowProc({WM_KEYDOWN, VK_F4, 0});
    EXPECT_TRUE(locationsManager().hasKeyboard);
    EXPECT_TRUE(locationsManager().opening);
    EXPECT_TRUE(sceneFrameHooks().locationsManagerOnScreen());
    EXPECT_EQ(prefs().currentCamera, 7);
    EXPECT_TRUE(helpPanel().hiding) << "the help panel makes way";
    EXPECT_STREQ(onScreenMessage().title, "LOCATIONS MANAGER OVERLAY");
    for (int i = 0; i < 110; ++i)
        sceneFrameHooks().locationsManagerFrame();
    ASSERT_TRUE(locationsManager().open);

    // Its keys reach it first; F10 still reaches the window.
    windowProc({WM_KEYDOWN, 'Q', 0});
    EXPECT_EQ(locations().availableList->cursor, 2);
    windowProc({WM_KEYDOWN, VK_RETURN, 0});
    EXPECT_EQ(selectedIndices(), std::vector<uint32_t>{2});
    const Bool32 clouds = prefs().cloudsOnLocationsManager;
    windowProc({WM_SYSKEYDOWN, VK_F10, 0});
    EXPECT_NE(prefs().cloudsOnLocationsManager, clouds);
    windowProc({WM_CHAR, '+', 0});
    EXPECT_EQ(prefs().ambientPercent, 100) << "typed characters do not reach the window's keys";

    // A new display mode lays the lists out again.
    prefs().screenModeIndex = 1;
    prefs().optionsSelection = 37; // "SCREEN RESOLUTION"
    optionsKey(VK_RETURN);
    EXPECT_EQ(locations().availableList->rect().left, 800 / 2 - 315);
    EXPECT_EQ(locations().selectedList->rows, 24);

    // F4 closes it again; the keyboard comes back with the end of the roll.
    windowProc({WM_KEYDOWN, VK_F4, 0});
    EXPECT_TRUE(locationsManager().closing);
    EXPECT_EQ(prefs().currentCamera, 2);
    for (int i = 0; i < 110; ++i)
        sceneFrameHooks().locationsManagerFrame();
    EXPECT_FALSE(locationsManager().hasKeyboard);
    EXPECT_FALSE(sceneFrameHooks().locationsManagerOnScreen());
}

TEST_F(ProgramServicesTest, TheLocationsManagerWearsTheCloudLayersTilesPatchByPatch) {
    DriverState& d = driver();
    test::TempDir dir;
    CloudLayer& layer = cloudLayer();
    layer.bind(*d.renderer, *d.display, prefs(), dir.folder());
    ManagerClouds& clouds = managerClouds();
    // Neither clouds.sat nor clouds.tga: no map, nothing to draw over the map.
    EXPECT_FALSE(layer.build(true));
    EXPECT_FALSE(clouds.cloudMapExists());

    // A white picture: every pixel is cloud.
    const test::Bytes white(4 * 2 * 3, 0xFF);
    test::writeBytes(dir.file("clouds.sat"), test::bmpFile(4, 2, 24, 0, {}, white));
    ASSERT_TRUE(layer.build(true));
    EXPECT_TRUE(clouds.cloudMapExists());
    for (int patch = 0; patch < 8; ++patch) {
        Texture* tile = clouds.cloudTexture(patch);
        ASSERT_NE(tile, nullptr) << patch;
        EXPECT_EQ(tile, layer.tileTexture(patch)) << "earth patch " << patch;
        for (int other = 0; other < patch; ++other)
            EXPECT_NE(tile, clouds.cloudTexture(other)) << patch << " and " << other;
    }
    layer.release();
    EXPECT_FALSE(clouds.cloudMapExists()) << "released with the renderer";
}

// "EXTRA TIME ADVANCING" moves the simulated clock ahead; the cloud
// schedule keeps to the machine's clock, or the hour between updates would
// pass every second or so.
TEST_F(ProgramServicesTest, TheCloudScheduleKeepsToTheMachinesClock) {
    DriverState& d = driver();
    d.clock.extraSecondsTotal = 40 * 86400;
    d.simClock.update(d.clock.extraSecondsTotal);
    const auto secondsFromNow = [](std::tm t) {
        return int64_t(std::mktime(&t)) - int64_t(std::time(nullptr));
    };
    EXPECT_GT(secondsFromNow(d.simClock.sample().local), 39 * 86400);
    const std::tm real = cloudUpdateHost().realLocalTime();
    EXPECT_LE(std::abs(secondsFromNow(real)), 5);

    // An update started now is an hour off, and not due.
    Preferences& p = prefs();
    p.cloudsFromSatellites = 1;
    p.cloudUpdateInterval = 3600;
    setLastCloudUpdateTime(p, real);
    const std::optional<int64_t> since = cloudServices().secondsSinceCloudUpdate();
    ASSERT_TRUE(since.has_value());
    EXPECT_GE(*since, 0);
    EXPECT_LE(*since, 5);
    EXPECT_FALSE(cloudUpdateDue(p, cloudUpdateHost().realLocalTime()));
    for (const OptionEntry& entry : optionEntries())
        if (std::strcmp(entry.label, "CLOUDS UPDATING TIME\n[ENTER] to update now") == 0) {
            const std::string text = entry.handler(0).text;
            EXPECT_TRUE(text == "1 hour  - next in 61 minutes" ||
                        text == "1 hour  - next in 60 minutes")
                << text;
        }
    d.clock.extraSecondsTotal = 0;
}

} // namespace
} // namespace gv
