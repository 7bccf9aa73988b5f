#pragma once
// The frame loop's clock: frame time, its running average, the
// frames-per-second count, the simulated extra time and the opening fade.
#include <cstdint>

namespace gv {

struct FrameClock {
    static constexpr uint32_t kFadeMs = 10000;

    uint32_t frameTick = 0;
    uint32_t previousTick = 0;
    uint32_t frameMs = 0;
    uint32_t smoothedMs = 0;
    uint32_t secondWindowMs = 0;
    uint32_t elapsedMs = 0;
    uint32_t frameCounter = 0;
    uint32_t framesThisWindow = 0;
    uint32_t shownFps = 0;
    // 64 bits: at 60 extra seconds a frame a 32-bit sum overflows in days.
    int64_t extraSecondsTotal = 0;
    float fadeAlpha = 255.0f;

    void reset(uint32_t now);
    // Start of a frame: measures it (unsigned differences survive the tick
    // counter's wrap) and adds this frame's extra simulated seconds.
    void beginFrame(uint32_t now, uint32_t extraSeconds);
    // The black curtain shows while this is true, with curtainAlpha().
    bool fading() const { return elapsedMs < kFadeMs; }
    uint8_t curtainAlpha() const { return uint8_t(fadeAlpha); }
    // After the curtain is drawn: its opacity for the next frame.
    void advanceFade();
    // After presenting: a complete second closes the frames-per-second count.
    void countFrames();
    void endFrame() { previousTick = frameTick; }
};

} // namespace gv
