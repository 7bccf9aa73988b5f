#pragma once
// What every screen overlay needs from the rest of the globe program: the
// live settings, the display's size, the on-screen message and a way to draw.
// The other seams of the overlays sit beside it: what the options change in
// the scene (scene_services.h), the display modes (display_mode_services.h)
// and the cloud updater (cloud_services.h). The program connects its real
// objects at start-up; tests connect fakes.
#include "core/seam.h"
#include "formats/preferences.h"

#include <cstdint>

namespace gv {

enum class UiFont {
    Main,    // the large font: messages, options, help rows
    KeyHint, // the second font, whose codes 0xDF..0xE2 are the arrow icons
};

class UiHost {
  public:
    virtual ~UiHost() = default;

    virtual Preferences& preferences() = 0;
    // The display's active size in pixels.
    virtual int displayWidth() = 0;
    virtual int displayHeight() = 0;

    // The on-screen message: a title and its second line, shown for the
    // "ONSCREEN MESSAGES" time.
    virtual void postMessage(const char* title, const char* subtitle) = 0;

    // Drawing in screen coordinates, no texture, no depth test. Literal text:
    // no formatting is applied, but the font's own rules hold (a line feed
    // starts a new line, a tab and eight hex digits a colour).
    virtual void drawText(UiFont font, float x, float y, float depth, uint32_t argb, float scaleX,
                          float scaleY, const char* text) = 0;
    virtual void drawScreenRect(float left, float top, float right, float bottom, uint32_t argb,
                                float depth) = 0;
    // Writes the last presented frame as a TGA file; the result is not used
    // by the callers, who report the screenshot either way.
    virtual bool captureFrame(const char* path) = 0;
};

inline UiHost& uiHost() {
    return Seam<UiHost>::get();
}
inline void setUiHost(UiHost* host) {
    Seam<UiHost>::connect(host);
}

// The palette colour of an index read from the settings; an index outside
// the table falls back to the field's default.
uint32_t paletteColour(int32_t index, int32_t fallbackIndex);

} // namespace gv
