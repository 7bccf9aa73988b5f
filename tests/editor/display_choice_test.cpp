#include "editor/display_choice.h"

#include <gtest/gtest.h>

namespace gv::editor {
namespace {

using platform::DisplayInfo;
using platform::DisplayMode;

// As the platform lists them: the desktop first, then the modes sorted.
DisplayInfo withVga16() {
    DisplayInfo d;
    d.description = "primary";
    d.modes = platform::buildModeList(
        {1920, 1080, 32, 0}, {{1024, 768, 32, 60}, {640, 480, 32, 60}, {640, 480, 16, 60}});
    return d;
}
DisplayInfo withoutVga16() {
    DisplayInfo d;
    d.description = "second";
    d.modes =
        platform::buildModeList({1280, 720, 24, 0}, {{1280, 720, 24, 60}, {800, 600, 32, 60}});
    return d;
}
DisplayInfo desktopOnly() {
    DisplayInfo d;
    d.description = "third";
    d.modes = platform::buildModeList({1280, 720, 24, 0}, {{320, 200, 8, 60}});
    return d;
}

TEST(DisplayChoice, ListsDevicesAndTheGlobesModesAfterDefault) {
    const DisplayChoice choice({withVga16(), withoutVga16()});
    EXPECT_EQ(choice.deviceItems(), (std::vector<std::string>{"primary", "second"}));
    EXPECT_EQ(choice.resolutionItems(0),
              (std::vector<std::string>{"Default", "640x480 16bits", "640x480 32bits",
                                        "1024x768 32bits"}));
    EXPECT_EQ(choice.resolutionItems(1),
              (std::vector<std::string>{"Default", "800x600 32bits", "1280x720 24bits"}));
    EXPECT_EQ(choice.fallbackResolution(0), 1);
    EXPECT_EQ(choice.fallbackResolution(1), 1);
}

TEST(DisplayChoice, TheFallbackIsThe640x480x16EntryWhereverItIs) {
    DisplayInfo d;
    d.description = "d";
    d.modes = platform::buildModeList(
        {1920, 1080, 32, 0}, {{1600, 1200, 32, 60}, {640, 480, 16, 60}, {512, 384, 16, 60}});
    const DisplayChoice choice({d});
    EXPECT_EQ(choice.resolutionItems(0)[2], "640x480 16bits");
    EXPECT_EQ(choice.fallbackResolution(0), 2);
    // The same index the globe picks for a first run on that device.
    EXPECT_EQ(platform::firstRunModeIndex(d.modes), 2);
}

TEST(DisplayChoice, FirstRunAndOutOfRangeIndicesBecomeTheFallback) {
    const DisplayChoice choice({withVga16(), withoutVga16()});
    SettingsModel m; // device 0, resolution 999
    choice.fitRecord(m);
    EXPECT_EQ(m.resolutionIndex(), 1);
    m.setDeviceIndex(1);
    m.setResolutionIndex(3); // one past "Default" + two modes
    choice.fitRecord(m);
    EXPECT_EQ(m.resolutionIndex(), 1);
    m.setResolutionIndex(2);
    choice.fitRecord(m);
    EXPECT_EQ(m.resolutionIndex(), 2);
    m.setResolutionIndex(0);
    choice.fitRecord(m);
    EXPECT_EQ(m.resolutionIndex(), 0);
    m.setDeviceIndex(5);
    choice.fitRecord(m);
    EXPECT_EQ(m.deviceIndex(), 0);
}

TEST(DisplayChoice, AnotherDeviceTakesEntryOneUnlessDefaultWasChosen) {
    const DisplayChoice choice({withVga16(), withoutVga16(), desktopOnly()});
    SettingsModel m;
    m.setResolutionIndex(3);
    choice.chooseDevice(m, 1);
    EXPECT_EQ(m.deviceIndex(), 1);
    EXPECT_EQ(m.resolutionIndex(), 1);
    m.setResolutionIndex(0);
    choice.chooseDevice(m, 0);
    EXPECT_EQ(m.deviceIndex(), 0);
    EXPECT_EQ(m.resolutionIndex(), 0);
    // A device with only its desktop has no entry 1.
    m.setResolutionIndex(2);
    choice.chooseDevice(m, 2);
    EXPECT_EQ(m.resolutionIndex(), 0);
    EXPECT_EQ(choice.resolutionItems(2), std::vector<std::string>{"Default"});
}

TEST(DisplayChoice, NoDisplayFoundLeavesTheRecordAsRead) {
    const DisplayChoice choice({});
    SettingsModel m;
    m.setDeviceIndex(3);
    m.setResolutionIndex(7);
    choice.fitRecord(m);
    EXPECT_EQ(m.deviceIndex(), 3);
    EXPECT_EQ(m.resolutionIndex(), 7);
    EXPECT_TRUE(choice.empty());
}

} // namespace
} // namespace gv::editor
