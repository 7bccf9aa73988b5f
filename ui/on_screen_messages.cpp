#include "ui/on_screen_messages.h"

#include "engine/bitmap_font.h"
#include "engine/display_device.h"
#include "engine/renderer.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace gv {

namespace {

OnScreenMessage gMessage;
Renderer* gRenderer = nullptr;
const BitmapFont* gFont = nullptr;
Preferences* gPrefs = nullptr;
char gClockText[12] = {};

void copyText(char* to, size_t size, const char* from) {
    std::snprintf(to, size, "%s", from ? from : "");
}

} // namespace

OnScreenMessage& onScreenMessage() {
    return gMessage;
}

void bindOnScreenText(Renderer& renderer, const BitmapFont& mainFont, Preferences& prefs) {
    gRenderer = &renderer;
    gFont = &mainFont;
    gPrefs = &prefs;
}

void unbindOnScreenText() {
    gRenderer = nullptr;
    gFont = nullptr;
    gPrefs = nullptr;
}

void postMessage(uint32_t durationMs, const char* title, const char* subtitleFormat, ...) {
    va_list args;
    va_start(args, subtitleFormat);
    std::vsnprintf(gMessage.subtitle, sizeof gMessage.subtitle, subtitleFormat, args);
    va_end(args);
    copyText(gMessage.title, sizeof gMessage.title, title);
    gMessage.remainingMs = int32_t(durationMs);
}

void postMessage(const char* title, const char* subtitle) {
    postMessage(gPrefs ? gPrefs->messageTime : 0, title, "%s", subtitle ? subtitle : "");
}

void drawMessage(uint32_t frameMs) {
    if (!gRenderer || !gFont || !gPrefs) return;
    if (gMessage.subtitle[0] == 0 || gPrefs->messageTime == 0) return;
    // "%s": the texts are drawn as they are, never expanded again.
    gRenderer->drawText(*gFont, 8.0f, 8.0f, kOverlayTextDepth,
                        overlayColour(gPrefs->titleColour, 8), 0.8f, 0.5f, "%s", gMessage.title);
    gRenderer->drawText(*gFont, 8.0f, 25.0f, kOverlayTextDepth,
                        overlayColour(gPrefs->subtitleColour, 4), 1.0f, 1.0f, "%s",
                        gMessage.subtitle);
    gMessage.remainingMs -= int32_t(frameMs);
    if (gMessage.remainingMs <= 0) {
        gMessage.remainingMs = 0;
        gMessage.title[0] = 0;
        gMessage.subtitle[0] = 0;
    }
}

void drawPerformance(uint32_t shownFps, uint32_t smoothedMs) {
    if (!gRenderer || !gFont || !gPrefs || !isOn(gPrefs->showPerformance)) return;
    const float y = float(gRenderer->device().height()) - 25.0f;
    gRenderer->drawText(*gFont, 8.0f, y, kOverlayTextDepth, kPerformanceColour, 0.5f, 0.5f,
                        "%u fps", shownFps);
    gRenderer->drawText(*gFont, 80.0f, y, kOverlayTextDepth, kPerformanceColour, 0.5f, 0.5f,
                        "%u ms", smoothedMs);
}

bool formatClock(const std::tm& local, char (&text)[12]) {
    char buffer[12];
    // The locale's own time form, as the user's settings give it.
    const size_t n = std::strftime(buffer, sizeof buffer, "%X", &local);
    if (n == 0) return false;
    std::memcpy(text, buffer, n + 1);
    return true;
}

void drawClock() {
    if (!gRenderer || !gFont || !gPrefs) return;
    const float s = float(gPrefs->clockSize) * 0.5f;
    const float t = s * 25.0f;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    // A time that does not fit keeps the previous text.
    formatClock(local, gClockText);
    const float w = float(gRenderer->device().width()), h = float(gRenderer->device().height());
    gRenderer->drawText(*gFont, w - 15.0f - 6.0f * t, h - 10.0f - t, kOverlayTextDepth,
                        overlayColour(gPrefs->clockColour, 0), s, s, "%s", gClockText);
}

} // namespace gv
