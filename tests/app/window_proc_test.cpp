#include "app/driver.h"
#include "app/preferences_file.h"
#include "app/window_proc.h"

#include <gtest/gtest.h>

namespace gv {
namespace {

using namespace platform;

class WindowProc : public ::testing::Test {
  protected:
    void SetUp() override {
        resetPreferencesForRun();
        resetSaverMouseMoves();
        driver().quitRequested = false;
        driver().runMode = RunMode::Application;
        WindowMessage m;
        while (peekMessage(m)) {
        }
    }
    static bool quitPosted() {
        WindowMessage m;
        while (peekMessage(m))
            if (m.message == WM_QUIT) return true;
        return false;
    }
};

TEST_F(WindowProc, EscapeAndCloseRequestQuit) {
    windowProc({WM_KEYDOWN, VK_F3, 0});
    EXPECT_FALSE(driver().quitRequested);
    windowProc({WM_KEYDOWN, VK_ESCAPE, 0});
    EXPECT_TRUE(driver().quitRequested);
    driver().quitRequested = false;
    windowProc({WM_CLOSE, 0, 0});
    EXPECT_TRUE(driver().quitRequested);
    EXPECT_EQ(windowProc({WM_SYSKEYDOWN, VK_F10, 0}), -1);
}

TEST_F(WindowProc, ConventionalSaverEndsOnAnyKeyOrTheEleventhMove) {
    driver().runMode = RunMode::ScreenSaver;
    EXPECT_EQ(windowProc({WM_KEYDOWN, VK_F3, 0}), -1);
    EXPECT_TRUE(quitPosted());
    EXPECT_EQ(windowProc({WM_CHAR, 'a', 0}), -1);
    EXPECT_TRUE(quitPosted());

    for (int i = 0; i < 10; ++i)
        windowProc({WM_MOUSEMOVE, 0, makePointParam(i, i)});
    EXPECT_FALSE(quitPosted());
    windowProc({WM_MOUSEMOVE, 0, makePointParam(11, 11)});
    EXPECT_TRUE(quitPosted());
}

TEST_F(WindowProc, EnhancedSaverAndApplicationIgnoreMovesAndKeysForQuitting) {
    driver().runMode = RunMode::ScreenSaver;
    prefs().screenSaverEnhanced = 1;
    for (int i = 0; i < 20; ++i)
        windowProc({WM_MOUSEMOVE, 0, 0});
    windowProc({WM_KEYDOWN, VK_F3, 0});
    EXPECT_FALSE(quitPosted());
    EXPECT_FALSE(driver().quitRequested);
}

TEST(PointParam, SignedClientCoordinatesRoundTrip) {
    const int64_t p = makePointParam(-5, 700);
    EXPECT_EQ(pointParamX(p), -5);
    EXPECT_EQ(pointParamY(p), 700);
}

} // namespace
} // namespace gv
