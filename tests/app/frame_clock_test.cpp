#include "app/frame_clock.h"

#include <gtest/gtest.h>

namespace gv {
namespace {

TEST(FrameClock, FrameTimeSurvivesTheTickCounterWrapping) {
    FrameClock c;
    c.reset(0xFFFFFFF0u);
    c.beginFrame(0x10u, 0);
    EXPECT_EQ(c.frameMs, 32u);
    EXPECT_EQ(c.elapsedMs, 32u);
    EXPECT_EQ(c.smoothedMs, 16u); // (0 + 32) / 2
    EXPECT_EQ(c.frameCounter, 1u);
}

TEST(FrameClock, FramesPerSecondCountsCompleteSecondsOnly) {
    FrameClock c;
    c.reset(1000);
    uint32_t now = 1000;
    for (int i = 0; i < 39; ++i) {
        now += 25;
        c.beginFrame(now, 0);
        c.countFrames();
        c.endFrame();
    }
    EXPECT_EQ(c.shownFps, 0u); // 975 ms so far
    now += 25;
    c.beginFrame(now, 0);
    c.countFrames();
    EXPECT_EQ(c.shownFps, 40u);
    EXPECT_EQ(c.framesThisWindow, 0u);
    EXPECT_EQ(c.secondWindowMs, 0u);
}

TEST(FrameClock, FadeLiftsOverTenSeconds) {
    FrameClock c;
    c.reset(0);
    EXPECT_EQ(c.curtainAlpha(), 255);
    c.beginFrame(5000, 0);
    ASSERT_TRUE(c.fading());
    c.advanceFade();
    EXPECT_EQ(c.curtainAlpha(), 127);
    c.endFrame();
    c.beginFrame(9999, 0);
    c.advanceFade();
    EXPECT_EQ(c.curtainAlpha(), 0); // 255 - 254.97, truncated
    c.endFrame();
    c.beginFrame(10000, 0);
    EXPECT_FALSE(c.fading());
}

TEST(FrameClock, ExtraSecondsAccumulateEveryFrame) {
    FrameClock c;
    c.reset(0);
    for (uint32_t i = 1; i <= 100; ++i)
        c.beginFrame(i * 10, 60);
    EXPECT_EQ(c.extraSecondsTotal, 6000); // one second of frames, 6000 simulated seconds
}

TEST(FrameClock, ExtraSecondsTotalGoesPastWhatThirtyTwoBitsHold) {
    FrameClock c;
    c.reset(0);
    // 35 791 393 frames at 60 extra seconds plus 20: about four days of
    // frames at 100 per second, set directly.
    c.extraSecondsTotal = 2147483600;
    c.beginFrame(10, 60);
    EXPECT_EQ(c.extraSecondsTotal, int64_t(2147483660)); // 2^31 + 12
    c.beginFrame(20, 60);
    EXPECT_EQ(c.extraSecondsTotal, int64_t(2147483720));
}

} // namespace
} // namespace gv
