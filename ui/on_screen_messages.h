#pragma once
// The two-line message at the top left, the performance line at the bottom
// left and the clock at the bottom right, drawn over the scene every frame.
#include "formats/preferences.h"

#include <cstdint>
#include <ctime>

namespace gv {

class BitmapFont;
class Renderer;

// One slot: a new message replaces the one shown.
struct OnScreenMessage {
    char title[260] = {};
    char subtitle[256] = {};
    int32_t remainingMs = 0;
};

inline constexpr float kOverlayTextDepth = 0.00001f;
inline constexpr uint32_t kPerformanceColour = 0x80FFFFFFu;

OnScreenMessage& onScreenMessage();

// Where the overlays draw and what they read; set once at start-up.
void bindOnScreenText(Renderer& renderer, const BitmapFont& mainFont, Preferences& prefs);
void unbindOnScreenText();

// The subtitle is a format expanded with the arguments; the title is copied.
void postMessage(uint32_t durationMs, const char* title, const char* subtitleFormat, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
// The usual call: shown for the "ONSCREEN MESSAGES" time; the subtitle is
// taken as it is.
void postMessage(const char* title, const char* subtitle);

// Once per frame, in this order (the options overlay sits between the
// message and the performance line).
void drawMessage(uint32_t frameMs);
void drawPerformance(uint32_t shownFps, uint32_t smoothedMs);
void drawClock();

// The clock's text for a local time in the user's time format; false when it
// does not fit the 12-character field.
bool formatClock(const std::tm& local, char (&text)[12]);

} // namespace gv
