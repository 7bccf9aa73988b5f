// The start-up steps report running out of memory with their own failure
// texts: their objects are made without throwing, so a refused allocation
// reaches the step's check. This program replaces the non-throwing operator
// new so that a test can refuse chosen allocations.
#include "app/driver.h"
#include "app/preferences_file.h"
#include "engine/error_name.h"
#include "engine/recording_backend.h"
#include "resources/builtin_resources.h"
#include "scene/cameras.h"
#include "support/captured_log.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>

namespace {
// The next gPassing non-throwing allocations succeed, then gRefusals fail.
std::atomic<int> gPassing{0};
std::atomic<int> gRefusals{0};
} // namespace

void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    if (gRefusals.load() > 0) {
        if (gPassing.load() > 0) {
            --gPassing;
        } else {
            --gRefusals;
            return nullptr;
        }
    }
    try {
        return ::operator new(n);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    ::operator delete(p);
}

namespace gv {
namespace {

using Reports = std::vector<std::string>;

class StartupMemory : public ::testing::Test {
  protected:
    void SetUp() override {
        resources::registerBuiltinResources();
        resetPreferencesForRun();
        DriverState& d = driver();
        platform::DisplayInfo info;
        info.modes = {{640, 480, 32, 0}};
        d.display = std::make_unique<DisplayDevice>(std::make_unique<RecordingBackend>(),
                                                    std::vector{info}, 32);
        ASSERT_EQ(d.display->selectDriver(0), kResultOk);
        ASSERT_EQ(d.display->selectMode(0, true, false), kResultOk);
    }
    void TearDown() override {
        gPassing = 0;
        gRefusals = 0;
        destroyCameras();
        DriverState& d = driver();
        d.sceneContainer.reset();
        d.mainFont.reset();
        d.hintFont.reset();
        d.renderer.reset();
        d.display.reset();
    }
    void refuse(int passing, int refusals) {
        gPassing = passing;
        gRefusals = refusals;
    }
    test::CapturedLog log;
};

TEST_F(StartupMemory, The3DObjectSaysNotEnoughMemory) {
    refuse(0, 1);
    EXPECT_FALSE(step3DObject());
    EXPECT_EQ(gRefusals.load(), 0); // the renderer's allocation was the one refused
    EXPECT_FALSE(driver().renderer);
    EXPECT_EQ(log.reports(), (Reports{"Creating 3D object ..................................... ",
                                      "[ FAILED : not enough memory ]\n"}));
    log.clear();
    EXPECT_TRUE(step3DObject());
    EXPECT_TRUE(driver().renderer);
    EXPECT_EQ(log.reports(), (Reports{"Creating 3D object ..................................... ",
                                      "[ PASSED ]\n"}));
}

TEST_F(StartupMemory, TheSceneObjectSaysNotEnoughMemory) {
    driver().renderer = std::make_unique<Renderer>(*driver().display);
    refuse(0, 1);
    EXPECT_FALSE(stepSceneObject());
    EXPECT_EQ(gRefusals.load(), 0);
    EXPECT_FALSE(driver().sceneContainer);
    EXPECT_EQ(log.reports(), (Reports{"Creating scene object .................................. ",
                                      "[ FAILED : not enough memory ]\n"}));
}

TEST_F(StartupMemory, EitherFontSaysTheFontFailed) {
    driver().renderer = std::make_unique<Renderer>(*driver().display);
    for (int passing : {0, 1}) { // the first font, then the second
        log.clear();
        refuse(passing, 1);
        EXPECT_FALSE(stepFonts()) << passing;
        EXPECT_EQ(gRefusals.load(), 0) << passing;
        EXPECT_EQ(log.reports(),
                  (Reports{"Creating fonts ......................................... ",
                           "[ FAILED: font ]\n"}))
            << passing;
    }
}

TEST_F(StartupMemory, CamerasSayWhichCameraCouldNotBeMade) {
    Preferences& p = prefs();
    bool failedMain = true;
    refuse(3, 1); // the fourth view camera
    EXPECT_FALSE(createCameras(p, 640, 480, {}, failedMain));
    EXPECT_FALSE(failedMain);
    EXPECT_EQ(gRefusals.load(), 0);
    refuse(8, 1); // the eight view cameras pass, the main camera does not
    EXPECT_FALSE(createCameras(p, 640, 480, {}, failedMain));
    EXPECT_TRUE(failedMain);
    EXPECT_EQ(gRefusals.load(), 0);
}

} // namespace
} // namespace gv
