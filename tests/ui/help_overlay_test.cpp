#include "tests/ui/fake_ui_host.h"
#include "ui/help_overlay.h"

#include <gtest/gtest.h>

namespace gv {
namespace {

class Help : public ::testing::Test {
  protected:
    testing::FakeUiHost host;
    void SetUp() override {
        resetHelpForRun();
        helpLayout();
    }
    // Frames of the given length until the predicate holds; the frame count.
    template <class Pred> int framesUntil(uint32_t ms, Pred done, int limit = 1000) {
        int n = 0;
        while (!done() && n < limit) {
            drawHelp(ms);
            ++n;
        }
        return n;
    }
};

TEST_F(Help, OnA640By480DisplayThePanelComesFromTheRightAndRestsAboveTheClock) {
    const HelpPanel& h = helpPanel();
    EXPECT_EQ(h.restX, 420.0f);
    EXPECT_EQ(h.restY, 220.0f);
    EXPECT_EQ(h.hiddenX, 650.0f);
    EXPECT_EQ(h.hiddenY, 220.0f);

    drawHelp(20);
    EXPECT_TRUE(host.rects.empty()) << "nothing is drawn before F1";

    helpToggle();
    drawHelp(60); // one step at once
    EXPECT_NEAR(h.panelX, 574.1f, 0.01f);
    ASSERT_EQ(host.rects.size(), 2u);
    EXPECT_NEAR(host.rects[0].left, 574.1f, 0.01f);
    EXPECT_NEAR(host.rects[0].right, 574.1f + 220.0f, 0.01f);
    EXPECT_EQ(host.rects[0].top, 220.0f);
    EXPECT_EQ(host.rects[0].bottom, 455.0f);
    EXPECT_EQ(host.rects[0].argb, 0xAF051020u);
    EXPECT_NEAR(host.rects[1].left, 574.1f + 210.0f, 0.01f);
    EXPECT_EQ(host.rects[1].argb, 0xBF050505u);
    EXPECT_EQ(host.rects[1].depth, 0.001f);
    EXPECT_TRUE(host.texts.empty()) << "no rows while sliding in";

    framesUntil(20, [&] { return h.shown; });
    EXPECT_EQ(h.panelX, 420.0f);
    EXPECT_EQ(h.panelY, 220.0f);
    EXPECT_FALSE(h.showing);
}

TEST_F(Help, AtSteady20MsFramesAStepComesEverySecondOrThirdFrame) {
    const HelpPanel& h = helpPanel();
    helpToggle();
    const uint32_t expected[] = {20, 40, 10, 30, 50, 20, 40, 10};
    for (uint32_t timer : expected) {
        drawHelp(20);
        EXPECT_EQ(h.stepTimer, timer);
    }
    framesUntil(20, [&] { return h.shown; });
    const int frames = framesUntil(20, [&] { return h.visibleRows == kHelpRowCount; });
    // Fifteen steps of 50 ms: about three quarters of a second.
    EXPECT_GE(frames * 20, 700);
    EXPECT_LE(frames * 20, 780);
    drawHelp(20);
    EXPECT_EQ(h.visibleRows, kHelpRowCount) << "stops at fifteen rows";
}

TEST_F(Help, RowsRunFromEscAtTheBottomToF1AtTheTop) {
    const HelpPanel& h = helpPanel();
    helpToggle();
    framesUntil(20, [&] { return h.visibleRows == kHelpRowCount; });
    host.texts.clear();
    drawHelp(0);
    ASSERT_EQ(host.texts.size(), 30u);
    const auto& escKey = host.texts[0];
    const auto& escText = host.texts[1];
    EXPECT_EQ(escKey.text, "ESC");
    EXPECT_EQ(escKey.x, 428.0f);
    EXPECT_EQ(escKey.y, 435.0f);
    EXPECT_EQ(escKey.argb, 0xFFFFFFFFu);
    EXPECT_EQ(escText.text, "quit");
    EXPECT_EQ(escText.x, 476.0f);
    EXPECT_EQ(escText.argb, 0xFFFFFF00u);
    EXPECT_EQ(escText.scaleX, 0.5f);
    EXPECT_EQ(host.texts[28].text, "F1");
    EXPECT_EQ(host.texts[29].text, "help");
    EXPECT_EQ(host.texts[28].y, 435.0f - 15.0f * 14);
    EXPECT_EQ(host.texts[14].text, "F8");
    EXPECT_EQ(host.texts[15].text, ">> camera");
}

TEST_F(Help, ClosingEmptiesTheRowsNewestFirstAndOnlyThenSlidesOut) {
    const HelpPanel& h = helpPanel();
    helpToggle();
    framesUntil(20, [&] { return h.visibleRows == kHelpRowCount; });
    EXPECT_EQ(host.messages.back(), (std::pair<std::string, std::string>{"HELP OVERLAY", "ON"}));

    helpToggle();
    EXPECT_EQ(host.messages.back(), (std::pair<std::string, std::string>{"HELP OVERLAY", "OFF"}));
    EXPECT_TRUE(h.hiding);
    drawHelp(60);
    EXPECT_EQ(h.visibleRows, 14);
    EXPECT_EQ(h.panelX, 420.0f) << "the panel waits for the rows";
    framesUntil(20, [&] { return h.visibleRows == 0; });
    EXPECT_EQ(h.panelX, 420.0f);
    framesUntil(20, [&] { return !h.hiding; });
    EXPECT_EQ(h.panelX, 650.0f);
    EXPECT_FALSE(h.shown);
    EXPECT_EQ(h.visibleRows, 0);

    host.rects.clear();
    drawHelp(100);
    EXPECT_TRUE(host.rects.empty());
}

TEST_F(Help, EscapeTurnsAnArrivingPanelRoundAndF1ThenOnlyRepeatsTheMessage) {
    const HelpPanel& h = helpPanel();
    EXPECT_FALSE(helpClose()) << "nothing to close: Escape quits";
    helpToggle();
    drawHelp(60);
    helpToggle();
    EXPECT_TRUE(h.showing);
    EXPECT_FALSE(h.hiding);
    EXPECT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1].second, "ON");

    EXPECT_TRUE(helpClose());
    EXPECT_FALSE(h.showing);
    EXPECT_TRUE(h.hiding);
    framesUntil(20, [&] { return !h.hiding; });
    EXPECT_EQ(h.panelX, 650.0f);
    EXPECT_TRUE(host.texts.empty()) << "no row was ever shown";
    EXPECT_FALSE(helpClose());

    // A panel that slid out starts again from no rows.
    helpToggle();
    framesUntil(20, [&] { return h.shown; });
    EXPECT_LE(h.visibleRows, 1);
}

TEST_F(Help, TheLocationsManagerSendsOnlyAnArrivedPanelAway) {
    const HelpPanel& h = helpPanel();
    helpToggle();
    helpHideForManager();
    EXPECT_FALSE(h.hiding);
    framesUntil(20, [&] { return h.shown; });
    helpHideForManager();
    EXPECT_TRUE(h.hiding);
}

} // namespace
} // namespace gv
