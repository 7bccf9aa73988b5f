#include "app/frame_clock.h"

namespace gv {

void FrameClock::reset(uint32_t now) {
    *this = FrameClock{};
    frameTick = previousTick = now;
}

void FrameClock::beginFrame(uint32_t now, uint32_t extraSeconds) {
    frameTick = now;
    frameMs = frameTick - previousTick;
    smoothedMs = uint32_t((uint64_t(smoothedMs) + frameMs) / 2);
    secondWindowMs += frameMs;
    elapsedMs += frameMs;
    frameCounter += 1;
    framesThisWindow += 1;
    extraSecondsTotal += int64_t(extraSeconds);
}

void FrameClock::advanceFade() {
    fadeAlpha = 255.0f - float(elapsedMs) * 0.0255f;
    if (fadeAlpha < 0.0f) fadeAlpha = 0.0f;
}

void FrameClock::countFrames() {
    if (secondWindowMs >= 1000) {
        shownFps = framesThisWindow;
        framesThisWindow = 0;
        secondWindowMs -= 1000;
    }
}

} // namespace gv
