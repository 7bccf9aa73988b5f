#include "tests/ui/fake_ui_host.h"
#include "ui/screenshot.h"

#include <gtest/gtest.h>

namespace gv {
namespace {

class Screenshot : public ::testing::Test {
  protected:
    testing::FakeUiHost host;
    void SetUp() override { resetScreenshotsForRun(); }
};

TEST_F(Screenshot, NumbersCountFromOneEachRunAndOnlyRequestedFramesAreSaved) {
    takeScreenshotIfRequested();
    EXPECT_TRUE(host.captures.empty());

    // Twice in one frame: one file.
    requestScreenshot();
    requestScreenshot();
    takeScreenshotIfRequested();
    takeScreenshotIfRequested();
    requestScreenshot();
    takeScreenshotIfRequested();
    EXPECT_EQ(host.captures, (std::vector<std::string>{"Geovista_001.tga", "Geovista_002.tga"}));
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0], (std::pair<std::string, std::string>{"SCREENSHOT", " "}));

    resetScreenshotsForRun();
    requestScreenshot();
    takeScreenshotIfRequested();
    EXPECT_EQ(host.captures.back(), "Geovista_001.tga");
}

TEST_F(Screenshot, AFailedWriteIsStillReportedAndCounted) {
    host.captureSucceeds = false;
    requestScreenshot();
    takeScreenshotIfRequested();
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_FALSE(screenshotRequested());
    EXPECT_EQ(nextScreenshotNumber(), 2u);
}

TEST(ScreenshotName, ThreeDigitsThenAsManyAsNeeded) {
    EXPECT_EQ(screenshotFileName(7), "Geovista_007.tga");
    EXPECT_EQ(screenshotFileName(999), "Geovista_999.tga");
    EXPECT_EQ(screenshotFileName(1000), "Geovista_1000.tga");
}

} // namespace
} // namespace gv
