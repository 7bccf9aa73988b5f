#include "engine/display_device.h"
#include "engine/error_name.h"
#include "engine/recording_backend.h"
#include "engine/texture.h"
#include "platform/display_modes.h"

#include "support/captured_log.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace gv;
using platform::DisplayMode;

namespace {

std::vector<platform::DisplayInfo> twoDisplays() {
    platform::DisplayInfo a;
    a.name = "first SCREEN";
    a.description = "x11 display 0 first SCREEN";
    a.modes = {{1280, 720, 24, 0}, {640, 480, 16, 60}, {1024, 768, 32, 60}};
    platform::DisplayInfo b = a;
    b.name = "second";
    return {a, b};
}

struct DeviceFixture : ::testing::Test {
    RecordingBackend* backend = nullptr;
    std::unique_ptr<DisplayDevice> device;
    void SetUp() override {
        auto b = std::make_unique<RecordingBackend>();
        backend = b.get();
        device = std::make_unique<DisplayDevice>(std::move(b), twoDisplays(), 24);
    }
    test::CapturedLog log;
};

} // namespace

TEST(ModeList, DropsNarrowAndPalettizedModesAndSortsAfterTheDesktop) {
    const DisplayMode desktop{1280, 720, 24, 0};
    const std::vector<DisplayMode> reported = {
        {1024, 768, 32, 60}, {400, 300, 32, 60}, {800, 600, 8, 60},  {640, 480, 32, 60},
        {1024, 768, 16, 60}, {640, 480, 16, 75}, {320, 200, 32, 60}, {401, 300, 16, 60}};
    const auto modes = platform::buildModeList(desktop, reported);
    ASSERT_EQ(modes.size(), 6u);
    EXPECT_EQ(modes[0].width, 1280); // the desktop stays first, unsorted
    const uint16_t expected[5][3] = {
        {401, 300, 16}, {640, 480, 16}, {640, 480, 32}, {1024, 768, 16}, {1024, 768, 32}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(modes[size_t(i) + 1].width, expected[i][0]) << i;
        EXPECT_EQ(modes[size_t(i) + 1].height, expected[i][1]) << i;
        EXPECT_EQ(modes[size_t(i) + 1].bitsPerPixel, expected[i][2]) << i;
    }
    EXPECT_EQ(modes[2].refreshRate, 75); // kept as reported
}

TEST(ModeList, OnlyUnusableModesLeaveTheDesktopAlone) {
    const auto modes =
        platform::buildModeList({800, 600, 32, 0}, {{320, 240, 32, 60}, {1024, 768, 8, 60}});
    ASSERT_EQ(modes.size(), 1u);
    EXPECT_EQ(modes[0].width, 800);
}

TEST(ModeList, WideModesSortWithoutWrapping) {
    const auto modes = platform::buildModeList(
        {1280, 720, 24, 0}, {{8192, 4320, 32, 60}, {3840, 2160, 32, 60}, {4096, 2160, 32, 60}});
    ASSERT_EQ(modes.size(), 4u);
    EXPECT_EQ(modes[1].width, 3840);
    EXPECT_EQ(modes[2].width, 4096);
    EXPECT_EQ(modes[3].width, 8192);
    EXPECT_LT(platform::modeSortKey(modes[2]), platform::modeSortKey(modes[3]));
}

TEST(ErrorNameTable, HoldsTheHundredNamesWithDistinctCodes) {
    EXPECT_EQ(errorNameCount(), 100);
    EXPECT_STREQ(ErrorName(0x887601C2u), "DDERR_SURFACELOST");
    EXPECT_STREQ(ErrorName(0x80004005u), "DDERR_GENERIC");
    EXPECT_STREQ(ErrorName(0x80004001u), "DDERR_UNSUPPORTED");
    EXPECT_STREQ(ErrorName(0x8007000Eu), "DDERR_OUTOFMEMORY");
    EXPECT_STREQ(ErrorName(0x80070057u), "DDERR_INVALIDPARAMS");
    EXPECT_STREQ(ErrorName(0x800401F0u), "DDERR_NOTINITIALIZED");
    EXPECT_STREQ(ErrorName(0x88760005u), "DDERR_ALREADYINITIALIZED");
    EXPECT_STREQ(ErrorName(0x88760230u), "DDERR_XALIGN");
    EXPECT_STREQ(ErrorName(0x88760091u), "DDERR_INVALIDPIXELFORMAT");
    EXPECT_STREQ(ErrorName(0), "Unknown Error");
    EXPECT_STREQ(ErrorName(0x12345678u), "Unknown Error");
    EXPECT_STREQ(ErrorName(0x88760001u), "Unknown Error");
    // Every code is in the DirectDraw facility or one of the five generic codes,
    // and no two names share a code.
    std::set<std::string> names;
    int generic = 0;
    for (uint32_t n = 0; n < 0x1000; ++n) {
        const char* name = ErrorName(0x88760000u + n);
        if (std::string(name) != "Unknown Error") {
            EXPECT_TRUE(names.insert(name).second) << name;
        }
    }
    for (uint32_t c : {0x80004005u, 0x80004001u, 0x8007000Eu, 0x80070057u, 0x800401F0u}) {
        EXPECT_TRUE(names.insert(ErrorName(c)).second);
        ++generic;
    }
    EXPECT_EQ(names.size(), 100u);
    EXPECT_EQ(generic, 5);
}

TEST_F(DeviceFixture, LastDriverIsSelectedUntilStartUpChooses) {
    EXPECT_EQ(device->selectedDriver(), 1u);
    EXPECT_EQ(device->selectDriver(2), kErrBadIndex);
    EXPECT_EQ(device->selectDriver(0), kResultOk);
    EXPECT_EQ(device->selectedDriver(), 0u);
}

TEST_F(DeviceFixture, TitleCaseChangesNamesInPlace) {
    device->titleCaseDriverNames();
    EXPECT_EQ(device->drivers()[0].driverName, "First Screen");
    EXPECT_EQ(device->drivers()[0].description, "X11 Display 0 First Screen");
    std::string s = " two  SPACES";
    titleCase(s);
    EXPECT_EQ(s, " Two  Spaces");
}

TEST_F(DeviceFixture, WindowedModeTakesClientSizeAndDesktopDepth) {
    ASSERT_EQ(device->selectDriver(0), kResultOk);
    backend->clientWidth = 800;
    backend->clientHeight = 500;
    ASSERT_EQ(device->selectMode(2, false, true), kResultOk);
    EXPECT_EQ(device->width(), 800);
    EXPECT_EQ(device->height(), 500);
    EXPECT_EQ(device->bitsPerPixel(), 24);
    EXPECT_FALSE(device->fullScreen());
    EXPECT_FALSE(device->flipChain()); // never page flipping in a window
    EXPECT_EQ(backend->countCalls("clearBackBuffer"), 1u);
}

TEST_F(DeviceFixture, FullScreenTakesTheModeAndFlipsOnlyWhenAsked) {
    ASSERT_EQ(device->selectDriver(0), kResultOk);
    ASSERT_EQ(device->selectMode(2, true, true), kResultOk);
    EXPECT_EQ(device->width(), 1024);
    EXPECT_EQ(device->height(), 768);
    EXPECT_EQ(device->bitsPerPixel(), 32);
    EXPECT_TRUE(device->flipChain());
    ASSERT_EQ(device->selectMode(1, true, false), kResultOk);
    EXPECT_FALSE(device->flipChain());
}

TEST_F(DeviceFixture, RefusedModeChangeFallsBackToTheDesktopSizeAndSaysSo) {
    ASSERT_EQ(device->selectDriver(0), kResultOk);
    backend->refuseModeChange = true;
    backend->clientWidth = 1280;
    backend->clientHeight = 720;
    ASSERT_EQ(device->selectMode(1, true, false), kResultOk);
    EXPECT_EQ(device->width(), 1280);
    EXPECT_EQ(device->height(), 720);
    ASSERT_FALSE(log.reports().empty());
    EXPECT_NE(log.reports().back().find("640x480"), std::string::npos);
}

TEST_F(DeviceFixture, DriverThatCannotRenderWindowedForcesFullScreen) {
    ASSERT_EQ(device->selectDriver(0), kResultOk);
    device->drivers()[0].canRenderWindowed = false;
    ASSERT_EQ(device->selectMode(1, false, true), kResultOk);
    EXPECT_TRUE(device->fullScreen());
    EXPECT_TRUE(device->flipChain());
    EXPECT_EQ(device->width(), 640);
}

TEST_F(DeviceFixture, ModeIndexOutsideTheListFails) {
    EXPECT_EQ(device->selectDriver(0), kResultOk);
    EXPECT_EQ(device->selectMode(3, false, false), kErrBadIndex);
    DisplayDevice empty(std::make_unique<RecordingBackend>(), {}, 24);
    EXPECT_EQ(empty.selectedDriver(), kNoDriver);
    EXPECT_EQ(empty.selectMode(0, false, false), kErrBadIndex);
}

TEST_F(DeviceFixture, ChangeModeRestoresRegisteredTexturesInOrder) {
    ASSERT_EQ(device->selectDriver(0), kResultOk);
    ASSERT_EQ(device->selectMode(1, true, false), kResultOk);
    const uint8_t pixels[2 * 2 * 4] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    Texture a(*device), b(*device), unregistered(*device);
    ASSERT_EQ(a.createFromPixelsRegistered(2, 2, 32, 8, pixels), kResultOk);
    ASSERT_EQ(b.createFromPixelsRegistered(2, 2, 32, 8, pixels), kResultOk);
    ASSERT_EQ(unregistered.createFromPixels(2, 2, 32, 8, pixels), kResultOk);
    EXPECT_EQ(device->registeredTextureCount(), 2u);
    backend->clearLog();
    EXPECT_FALSE(device->changeMode(3));
    EXPECT_TRUE(backend->calls.empty());
    ASSERT_TRUE(device->changeMode(2));
    EXPECT_EQ(device->width(), 1024);
    EXPECT_EQ(device->selectedMode(), 2u);
    // Each registered texture is uploaded again from its kept copy.
    EXPECT_EQ(backend->countCalls("createTexture"), 2u);
    EXPECT_EQ(backend->textures.count(a.deviceId()), 1u);
    EXPECT_EQ(backend->textures[a.deviceId()], a.surface());
    a.release();
    EXPECT_EQ(device->registeredTextureCount(), 1u);
}
