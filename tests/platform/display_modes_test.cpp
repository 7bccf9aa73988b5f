#include "platform/display_modes.h"
#include "support/os_calls.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace gv::platform {
namespace {

TEST(FirstRunMode, IsTheFirst640x480x16FromTheDesktopOnElseOne) {
    EXPECT_EQ(
        firstRunModeIndex(buildModeList(
            {1920, 1080, 32, 0}, {{800, 600, 16, 60}, {640, 480, 16, 60}, {640, 480, 32, 60}})),
        1);
    EXPECT_EQ(
        firstRunModeIndex(buildModeList(
            {1920, 1080, 32, 0}, {{1024, 768, 16, 60}, {640, 480, 16, 85}, {640, 480, 16, 60}})),
        1);
    EXPECT_EQ(firstRunModeIndex(buildModeList({1280, 720, 24, 0}, {{640, 480, 32, 60}})), 1);
    EXPECT_EQ(firstRunModeIndex(buildModeList({640, 480, 16, 0}, {{640, 480, 16, 60}})), 0);
    EXPECT_EQ(firstRunModeIndex({}), 1);
}

TEST(EnumerateDisplays, BringsTheVideoLayerUpForItsOwnCall) {
    // The editor asks before anything of the video layer is up.
    test::setEnvironment("SDL_VIDEODRIVER", "dummy");
    for (int pass = 0; pass < 2; ++pass) {
        const auto displays = enumerateDisplays();
        ASSERT_EQ(displays.size(), 1u) << pass;
        ASSERT_FALSE(displays[0].modes.empty());
        EXPECT_EQ(displays[0].modes[0].width, 1024);
        EXPECT_EQ(displays[0].modes[0].height, 768);
        EXPECT_FALSE(displays[0].description.empty());
    }
    test::unsetEnvironment("SDL_VIDEODRIVER");
}

} // namespace
} // namespace gv::platform
