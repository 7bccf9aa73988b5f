#include "platform/messages.h"
#include "tests/ui/fake_ui_host.h"
#include "ui/help_overlay.h"
#include "ui/options_overlay.h"

#include <gtest/gtest.h>

#include <cstring>

namespace gv {
namespace {

using namespace platform;

int indexOf(const char* label) {
    const auto& entries = optionEntries();
    for (int i = 0; i < kOptionCount; ++i)
        if (std::strcmp(entries[std::size_t(i)].label, label) == 0) return i;
    ADD_FAILURE() << "no entry " << label;
    return 0;
}

class Options : public ::testing::Test {
  protected:
    testing::FakeUiHost host;
    void SetUp() override {
        host.drivers = {
            {"Display 0", "Primary Screen", {{0, 0, 0}, {640, 480, 16}, {800, 600, 32}}},
            {"Display 1", "Side Screen", {{0, 0, 0}, {1024, 768, 32}}}};
        resetHelpForRun();
    }
    void select(const char* label) { host.prefs.optionsSelection = indexOf(label); }
    std::string press(uint32_t key, int times = 1) {
        for (int i = 0; i < times; ++i)
            optionsKey(key);
        return value();
    }
    std::string value() { return optionEntries()[std::size_t(selectedOption())].handler(0).text; }
};

TEST_F(Options, FortyFiveEntriesFromSmoothnessToDeclutterWithLabelsThatFitTheirField) {
    const auto& e = optionEntries();
    EXPECT_STREQ(e[0].label, "CAMERA MOVEMENT SMOOTHNESS");
    EXPECT_STREQ(e[5].label, "EARTH MESH RESOLUTION\n[ENTER] to rebuild");
    EXPECT_STREQ(e[10].label, "CLOUDS UPDATING TIME\n[ENTER] to update now");
    EXPECT_STREQ(e[14].label, "SUN SIZE");
    EXPECT_STREQ(e[30].label, "LOCATIONS LABELS SHOW APPROX. TIME");
    EXPECT_STREQ(e[37].label, "SCREEN RESOLUTION\n[ENTER] to change now");
    EXPECT_STREQ(e[40].label, "SCREENSAVER MODE");
    // The earth's three options come after the first 41, whose places saved
    // selections refer to.
    EXPECT_STREQ(e[41].label, "NIGHT LIGHTS");
    EXPECT_STREQ(e[42].label, "TRUE SEASONS");
    EXPECT_STREQ(e[43].label, "ATMOSPHERE");
    EXPECT_STREQ(e[44].label, "LOCATIONS LABELS DECLUTTER");
    for (const OptionEntry& entry : e) {
        EXPECT_LT(std::strlen(entry.label), kOptionLabelSize);
        EXPECT_NE(entry.handler, nullptr);
    }
    EXPECT_EQ(std::strlen(kOptionsCaption), 18u);
}

TEST_F(Options, EveryValueTextAtTheDefaults) {
    const char* expected[kOptionCount] = {"SMOOTH",
                                          "AUTOMATIC",
                                          "20 seconds",
                                          "55 degrees",
                                          "ON",
                                          "MEDIUM",
                                          "MEDIUM",
                                          "MEDIUM",
                                          "ON",
                                          "OFF",
                                          "2 hours - actually disabled",
                                          "ON",
                                          "ON",
                                          "BILLBOARD",
                                          "NORMAL",
                                          "ON",
                                          "ON",
                                          "SMALL",
                                          "ON",
                                          "DISABLED",
                                          "DISABLED",
                                          "ON",
                                          "10 seconds",
                                          "ON",
                                          "size 1",
                                          "color 0",
                                          "2500 milliseconds",
                                          "color 8",
                                          "color 4",
                                          "color 9",
                                          "ON",
                                          "ON",
                                          "5 percent",
                                          "0 seconds",
                                          "1300 units",
                                          "NO",
                                          "Display 0 (Primary Screen)",
                                          "undefined",
                                          "YES",
                                          "NO",
                                          "CONVENTIONAL",
                                          "ON",
                                          "ON",
                                          "ON",
                                          "ON"};
    // The first-run marker 999 is past every list: it reads the last mode.
    expected[37] = "800x600 32bits";
    const Preferences before = host.prefs;
    for (int i = 0; i < kOptionCount; ++i)
        EXPECT_EQ(std::string(optionEntries()[std::size_t(i)].handler(0).text), expected[i])
            << "entry " << i;
    // Asking for the text changes nothing.
    EXPECT_EQ(std::memcmp(&before, &host.prefs, sizeof(Preferences)), 0);
}

TEST_F(Options, LeftRightHomeEndWalkTheEntriesRoundBothEnds) {
    host.prefs.optionsSelection = 0;
    optionsKey(VK_LEFT);
    EXPECT_EQ(host.prefs.optionsSelection, 44);
    EXPECT_STREQ(optionEntries()[44].label, "LOCATIONS LABELS DECLUTTER");
    optionsKey(VK_RIGHT);
    EXPECT_EQ(host.prefs.optionsSelection, 0);
    optionsKey(VK_END);
    EXPECT_EQ(host.prefs.optionsSelection, 44);
    optionsKey(VK_HOME);
    EXPECT_EQ(host.prefs.optionsSelection, 0);
    optionsKey(VK_RIGHT);
    optionsKey(VK_RIGHT);
    EXPECT_EQ(host.prefs.optionsSelection, 2);
    // A selection from the file outside the table starts from entry 0.
    host.prefs.optionsSelection = 77;
    EXPECT_EQ(selectedOption(), 0);
    optionsKey(VK_RIGHT);
    EXPECT_EQ(host.prefs.optionsSelection, 1);
    // Other keys are not the overlay's.
    optionsKey(VK_F5);
    optionsKey(VK_SPACE);
    EXPECT_EQ(host.prefs.optionsSelection, 1);
}

TEST_F(Options, TheEarthOptionsEachToggleTheirOwnBitAtOnce) {
    host.prefs.optionFlags = 0x0008; // from an older file, with the labels' bit
    select("NIGHT LIGHTS");
    EXPECT_EQ(value(), "OFF");
    EXPECT_EQ(press(VK_UP), "ON");
    EXPECT_EQ(host.prefs.optionFlags, 0x0009);
    select("TRUE SEASONS");
    EXPECT_EQ(value(), "OFF");
    EXPECT_EQ(press(VK_DOWN), "ON");
    EXPECT_EQ(host.prefs.optionFlags, 0x000B);
    select("ATMOSPHERE");
    EXPECT_EQ(press(VK_UP), "ON");
    EXPECT_EQ(host.prefs.optionFlags, 0x000F);
    EXPECT_EQ(press(VK_UP), "OFF");
    EXPECT_EQ(host.prefs.optionFlags, 0x000B);
    // Enter has no action here.
    optionsKey(kOptionEnter);
    EXPECT_EQ(host.prefs.optionFlags, 0x000B);
    select("NIGHT LIGHTS");
    EXPECT_EQ(press(VK_DOWN), "OFF");
    EXPECT_EQ(host.prefs.optionFlags, 0x000A);
}

TEST_F(Options, DeclutterTogglesTheLabelsBitAlone) {
    host.prefs.optionFlags = 0x0005; // a file with two earth options, from before
    select("LOCATIONS LABELS DECLUTTER");
    EXPECT_EQ(value(), "OFF");
    EXPECT_EQ(press(VK_UP), "ON");
    EXPECT_EQ(host.prefs.optionFlags, 0x000D);
    EXPECT_EQ(press(VK_DOWN), "OFF");
    EXPECT_EQ(host.prefs.optionFlags, 0x0005);
}

TEST_F(Options, FieldOfViewStepsInSinglePrecisionAndReachesTheCamera) {
    select("CAMERA FIELD-OF-VIEW");
    int ups = 0;
    for (float before = -1; before != host.prefs.fieldOfView; ++ups) {
        before = host.prefs.fieldOfView;
        optionsKey(VK_UP);
    }
    EXPECT_EQ(ups - 1, 61);
    EXPECT_EQ(value(), "90 degrees");
    EXPECT_NEAR(host.prefs.fieldOfView, 1.58f, 1e-4f);
    ASSERT_FALSE(host.fovs.empty());
    EXPECT_EQ(host.fovs.back(), host.prefs.fieldOfView);

    host.prefs.fieldOfView = 0.97f;
    int downs = 0;
    for (float before = -1; before != host.prefs.fieldOfView; ++downs) {
        before = host.prefs.fieldOfView;
        optionsKey(VK_DOWN);
    }
    EXPECT_EQ(downs - 1, 41);
    EXPECT_EQ(value(), "32 degrees");
}

TEST_F(Options, SecondsTextsKeepTheSpaceForOneAndStopAtTheirLimits) {
    select("AUTOMATIC CHANGING TIME");
    host.prefs.cameraChangeTime = 1000;
    EXPECT_EQ(value(), "1 second ");
    EXPECT_EQ(press(VK_DOWN), "1 second ");
    EXPECT_EQ(press(VK_UP), "2 seconds");
    EXPECT_EQ(press(VK_DOWN), "2 seconds");
    host.prefs.cameraChangeTime = 3600000;
    EXPECT_EQ(press(VK_UP), "3600 seconds");

    select("MOON RECALCULATION");
    host.prefs.moonRecalcTime = 5000;
    EXPECT_EQ(press(VK_DOWN), "5 seconds");
    host.prefs.moonRecalcTime = 120000;
    EXPECT_EQ(press(VK_UP), "120 seconds");

    select("EXTRA TIME ADVANCING");
    EXPECT_EQ(press(VK_DOWN), "0 seconds");
    EXPECT_EQ(press(VK_UP), "1 second ");
    EXPECT_EQ(press(VK_UP, 70), "60 seconds");
}

TEST_F(Options, NamedValuesStopAtTheirEndsAndNameStrangeValuesUndefined) {
    select("CAMERA MOVEMENT SMOOTHNESS");
    EXPECT_EQ(press(VK_DOWN, 3), "SUPER SMOOTH");
    EXPECT_EQ(press(VK_UP, 9), "SUPER ROUGH");
    host.prefs.cameraSmoothness = 9;
    EXPECT_EQ(value(), "undefined");

    select("SUN SIZE");
    EXPECT_EQ(press(VK_UP, 5), "HUGE");
    EXPECT_EQ(press(VK_DOWN, 9), "TINY");
    EXPECT_EQ(host.prefs.sunSize, 1);

    select("EARTH MESH RESOLUTION\n[ENTER] to rebuild");
    EXPECT_EQ(press(VK_UP, 9), "ULTRA HIGH");
    EXPECT_EQ(press(VK_DOWN, 9), "ULTRA LOW");
    EXPECT_EQ(host.earthRebuilds, 0) << "only Enter rebuilds";

    select("CLOCK SIZE");
    EXPECT_EQ(press(VK_UP, 9), "size 5");
    EXPECT_EQ(press(VK_DOWN, 9), "size 1");
}

TEST_F(Options, TogglesTurnAnyNonZeroOffIncludingTheEditorsMinusOne) {
    select("STARS");
    host.prefs.starsShown = -1;
    EXPECT_EQ(value(), "ON");
    EXPECT_EQ(press(VK_UP), "OFF");
    EXPECT_EQ(press(VK_DOWN), "ON");
    EXPECT_EQ(host.prefs.starsShown, 1);

    select("SUN MODE");
    host.prefs.sunMesh = 7;
    EXPECT_EQ(value(), "BILLBOARD") << "only 1 is the mesh";
    EXPECT_EQ(press(VK_UP), "BILLBOARD");
    EXPECT_EQ(host.prefs.sunMesh, 0u);
    EXPECT_EQ(press(VK_UP), "MESH");

    select("SCREENSAVER MODE");
    EXPECT_EQ(press(VK_UP), "ENHANCED");
    select("SHOW SYSTEM PERFORMANCE");
    EXPECT_EQ(press(VK_UP), "YES");
    select("CAMERA CHANGING MODE");
    EXPECT_EQ(press(VK_UP), "MANUAL");
}

TEST_F(Options, ColoursWrapRoundThePaletteBothWays) {
    select("CLOCK COLOR");
    EXPECT_EQ(press(VK_DOWN), "color 13");
    EXPECT_EQ(press(VK_UP), "color 0");
    select("ONSCREEN TITLE COLOR");
    host.prefs.titleColour = 13;
    EXPECT_EQ(press(VK_UP), "color 0");
    select("LOCATIONS LABELS COLOR");
    host.prefs.labelColour = 40; // from a damaged file
    EXPECT_EQ(press(VK_DOWN), "color 13");
}

TEST_F(Options, MessagesGoDownToDisabledWithoutPostingAnything) {
    select("ONSCREEN MESSAGES");
    host.prefs.messageTime = 250;
    EXPECT_EQ(press(VK_DOWN), "DISABLED");
    EXPECT_EQ(press(VK_DOWN), "DISABLED");
    EXPECT_EQ(host.prefs.messageTime, 0u);
    EXPECT_EQ(press(VK_UP), "250 milliseconds");
    host.prefs.messageTime = 100; // off the grid, as another editor may write it
    EXPECT_EQ(press(VK_DOWN), "DISABLED");
    host.prefs.messageTime = 10000;
    EXPECT_EQ(press(VK_UP), "10000 milliseconds");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Options, SpecularityAmbientAndFilteringAreAppliedAfterEitherKey) {
    select("EARTH SPECULARITY POWER");
    host.prefs.earthSpecularPower = 25;
    EXPECT_EQ(value(), "100 percent");
    EXPECT_EQ(press(VK_UP), "100 percent");
    EXPECT_EQ(host.powers, std::vector<float>{25.0f});
    EXPECT_EQ(press(VK_DOWN), "96 percent");
    EXPECT_EQ(host.powers.back(), 24.0f);

    select("EARTH SPECULARITY");
    EXPECT_EQ(press(VK_DOWN), "DISABLED");
    EXPECT_EQ(press(VK_UP), "1 percent");
    ASSERT_EQ(host.speculars.size(), 2u);
    EXPECT_FLOAT_EQ(host.speculars[1], 0.01f);

    select("OVERALL AMBIENT LIGHTING");
    EXPECT_EQ(press(VK_UP), "6 percent");
    EXPECT_FLOAT_EQ(host.ambients.back(), 0.06f);
    host.prefs.ambientPercent = 100;
    EXPECT_EQ(press(VK_UP), "100 percent");
    EXPECT_FLOAT_EQ(host.ambients.back(), 1.0f);

    select("TEXTURE FILTERING");
    EXPECT_EQ(press(VK_UP), "OFF");
    EXPECT_EQ(host.filtering, std::vector<bool>{false});
    // Showing the value or pressing Enter applies nothing.
    const auto applied = host.powers.size() + host.speculars.size() + host.ambients.size();
    optionsKey(VK_RETURN);
    value();
    EXPECT_EQ(host.powers.size() + host.speculars.size() + host.ambients.size(), applied);
    EXPECT_EQ(host.filtering.size(), 1u);
}

TEST_F(Options, EnterRunsOnlyTheActionsItAnnounces) {
    select("STARS");
    const Preferences before = host.prefs;
    optionsKey(VK_RETURN);
    EXPECT_EQ(std::memcmp(&before, &host.prefs, sizeof(Preferences)), 0);

    select("EARTH MESH RESOLUTION\n[ENTER] to rebuild");
    optionsKey(VK_RETURN);
    select("LOCATIONS RESOLUTION\n[ENTER] to rebuild");
    optionsKey(VK_RETURN);
    EXPECT_EQ(host.earthRebuilds, 2);
    EXPECT_EQ(host.sunMoonRebuilds, 0);
    select("OTHER MESHS RESOLUTION\n[ENTER] to rebuild");
    optionsKey(VK_RETURN);
    EXPECT_EQ(host.sunMoonRebuilds, 1);
    EXPECT_EQ(host.earthRebuilds, 2);
}

TEST_F(Options, CloudUpdatingTimeCountsWholeHoursAndTheMinutesToTheNextUpdate) {
    select("CLOUDS UPDATING TIME\n[ENTER] to update now");
    EXPECT_EQ(value(), "2 hours - actually disabled");
    EXPECT_EQ(press(VK_DOWN), "1 hour  - actually disabled");
    EXPECT_EQ(press(VK_DOWN), "1 hour  - actually disabled");
    host.prefs.cloudUpdateInterval = 5000; // not whole hours: the key rounds it down
    EXPECT_EQ(press(VK_UP), "2 hours - actually disabled");
    EXPECT_EQ(host.prefs.cloudUpdateInterval, 7200u);
    EXPECT_EQ(press(VK_UP, 30), "24 hours - actually disabled");

    host.prefs.cloudsFromSatellites = 1;
    host.prefs.cloudUpdateInterval = 7200;
    // Started 30 minutes 10 seconds ago: 89 minutes and 50 seconds remain.
    host.sinceCloudUpdate = 30 * 60 + 10;
    EXPECT_EQ(value(), "2 hours - next in 90 minutes");
    host.sinceCloudUpdate = 7199;
    EXPECT_EQ(value(), "2 hours - next in 1 minute ");

    // Long overdue, or never updated: never below zero.
    host.prefs.cloudUpdateInterval = 3600;
    host.sinceCloudUpdate = 11 * 3600;
    EXPECT_EQ(value(), "1 hour  - next in 0 minutes");
    host.sinceCloudUpdate.reset();
    EXPECT_EQ(value(), "1 hour  - next in 0 minutes");

    // Enter makes an update due at once...
    host.prefs.lastCloudUpdate[2] = 12;
    optionsKey(VK_RETURN);
    for (int32_t f : host.prefs.lastCloudUpdate)
        EXPECT_EQ(f, 0);
    // ...but not while one runs: that one is the update asked for, and no
    // second one follows it.
    host.downloading = true;
    EXPECT_EQ(value(), "1 hour  - downloading right now");
    host.prefs.lastCloudUpdate[2] = 12;
    optionsKey(VK_RETURN);
    EXPECT_EQ(host.prefs.lastCloudUpdate[2], 12);
    EXPECT_EQ(value(), "1 hour  - downloading right now");
}

TEST_F(Options, DeviceAndResolutionStayInsideTheListsTheyIndex) {
    host.prefs.screenModeIndex = 1;
    select("SCREEN RESOLUTION\n[ENTER] to change now");
    EXPECT_EQ(value(), "640x480 16bits");
    EXPECT_EQ(press(VK_DOWN, 3), "use current desktop res");
    EXPECT_EQ(host.prefs.screenModeIndex, 0);
    EXPECT_EQ(press(VK_UP, 5), "800x600 32bits");
    EXPECT_EQ(host.prefs.screenModeIndex, 2);

    select("DISPLAY DEVICE\n(next run)");
    EXPECT_EQ(press(VK_DOWN), "Display 0 (Primary Screen)");
    EXPECT_EQ(press(VK_UP, 3), "Display 1 (Side Screen)");
    EXPECT_EQ(host.prefs.deviceIndex, 1);

    // The index chosen for the first driver is past the second's list.
    select("SCREEN RESOLUTION\n[ENTER] to change now");
    EXPECT_EQ(value(), "1024x768 32bits");
    EXPECT_EQ(host.prefs.screenModeIndex, 2) << "not adjusted by the device change";
    EXPECT_EQ(press(VK_DOWN), "1024x768 32bits");
    EXPECT_EQ(host.prefs.screenModeIndex, 1);

    host.drivers.clear();
    EXPECT_EQ(value(), "undefined");
    select("DISPLAY DEVICE\n(next run)");
    EXPECT_EQ(press(VK_UP), "undefined");
}

TEST_F(Options, EnterOnResolutionChangesTheModeOfTheRunningDriverAndLaysOutTheHelpAgain) {
    host.prefs.screenModeIndex = 2;
    host.prefs.deviceIndex = 0;
    host.running = 1; // the display runs on the second driver, with two modes
    helpLayout();
    host.width = 1024;
    host.height = 768;
    select("SCREEN RESOLUTION\n[ENTER] to change now");
    optionsKey(VK_RETURN);
    EXPECT_EQ(host.modeChanges, std::vector<int>{1});
    EXPECT_EQ(helpPanel().restX, 1024.0f - 220.0f);
    EXPECT_EQ(helpPanel().hiddenY, 768.0f - 260.0f);

    host.prefs.screenModeIndex = 0;
    optionsKey(VK_RETURN);
    EXPECT_EQ(host.modeChanges, (std::vector<int>{1, 0}));
}

TEST_F(Options, DrawsCaptionLabelValueAndArrowsAtTheirPlaces) {
    select("SUN SIZE");
    host.prefs.titleColour = 2;
    host.prefs.subtitleColour = 20; // outside the palette: the default colour 4
    drawOptions();
    ASSERT_EQ(host.texts.size(), 4u);
    const auto& caption = host.texts[0];
    EXPECT_EQ(caption.text, kOptionsCaption);
    EXPECT_EQ(caption.x, 640.0f - 220.0f);
    EXPECT_EQ(caption.y, 8.0f);
    EXPECT_EQ(caption.argb, 0x80F0F0FFu);
    EXPECT_EQ(caption.scaleX, 0.5f);

    const auto& label = host.texts[1];
    EXPECT_EQ(label.text, "SUN SIZE");
    EXPECT_EQ(label.x, 8.0f);
    EXPECT_EQ(label.y, 480.0f - 55.0f);
    EXPECT_EQ(label.argb, 0xC000FF00u);
    EXPECT_EQ(label.scaleX, 0.8f);
    EXPECT_EQ(label.scaleY, 0.5f);

    const auto& v = host.texts[2];
    EXPECT_EQ(v.text, "NORMAL");
    EXPECT_EQ(v.y, 480.0f - 85.0f);
    EXPECT_EQ(v.argb, 0xC0FFFF00u);
    EXPECT_EQ(v.scaleX, 1.0f);

    const auto& arrows = host.texts[3];
    EXPECT_EQ(arrows.font, UiFont::KeyHint);
    EXPECT_EQ(arrows.text, "\xE1\xE2\xDF\xE0");
    EXPECT_EQ(arrows.x, 12.0f);
    EXPECT_EQ(arrows.y, 480.0f - 105.0f);
    EXPECT_EQ(arrows.argb, 0xC000FF00u);
    for (const auto& t : host.texts)
        EXPECT_EQ(t.depth, 0.00001f);
}

} // namespace
} // namespace gv
