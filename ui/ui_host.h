#pragma once
// What the screen overlays need from the rest of the globe program: the live
// settings, the display, the on-screen message, the scene objects that some
// options change at once, and a way to draw. The program connects its real
// objects at start-up; tests connect fakes. Keeping this in one interface
// lets the overlays be built and checked without a display.
#include "formats/preferences.h"

#include <cstdint>
#include <ctime>
#include <string>

namespace gv {

enum class UiFont {
    Main,    // the large font: messages, options, help rows
    KeyHint, // the second font, whose codes 0xDF..0xE2 are the arrow icons
};

struct UiScreenMode {
    uint32_t width = 0, height = 0, bitsPerPixel = 0;
};

class UiHost {
  public:
    virtual ~UiHost() = default;

    // --- settings and display ---
    virtual Preferences& preferences() = 0;
    // The display's active size in pixels.
    virtual int displayWidth() = 0;
    virtual int displayHeight() = 0;

    // --- on-screen message: a title and its second line, shown for the
    // "ONSCREEN MESSAGES" time ---
    virtual void postMessage(const char* title, const char* subtitle) = 0;

    // --- drawing (screen coordinates, no texture, no depth test) ---
    // Literal text: no formatting is applied, but the font's own rules hold
    // (a line feed starts a new line, a tab and eight hex digits a colour).
    virtual void drawText(UiFont font, float x, float y, float depth, uint32_t argb, float scaleX,
                          float scaleY, const char* text) = 0;
    virtual void drawScreenRect(float left, float top, float right, float bottom, uint32_t argb,
                                float depth) = 0;
    // Writes the last presented frame as a TGA file; the result is not used
    // by the callers, who report the screenshot either way.
    virtual bool captureFrame(const char* path) = 0;

    // --- what the options apply at once ---
    virtual void setFieldOfView(float radians) = 0;      // the main camera
    virtual void setEarthSpecularPower(float power) = 0; // the eight earth materials
    virtual void setEarthSpecularLevel(float level) = 0; // their specular (v, v, v, 1)
    virtual void setAmbientLight(float level) = 0;       // renderer ambient (v, v, v)
    virtual void setBilinearFiltering(bool on) = 0;      // renderer filtering
    virtual void rebuildEarth() = 0;                     // also the locations' meshes
    virtual void rebuildSunAndMoon() = 0;                // and the moon recomputed next frame
    virtual bool cloudDownloadRunning() = 0;             // requested or being received
    virtual std::tm simulatedLocalTime() = 0;            // the simulated clock's local record

    // --- display drivers and modes ---
    virtual int driverCount() = 0;
    virtual std::string driverName(int driver) = 0;        // title-cased at start-up
    virtual std::string driverDescription(int driver) = 0; // title-cased at start-up
    virtual int modeCount(int driver) = 0;
    virtual UiScreenMode mode(int driver, int index) = 0;
    // The driver the display runs on now (chosen at start-up).
    virtual int runningDriver() = 0;
    // Releases and re-creates the 3D device around a mode change of the
    // running driver, re-attaches the light, re-applies the ambient light and
    // lays out the locations manager's lists again. The help panel's layout is
    // the caller's.
    virtual void changeDisplayMode(int modeIndex) = 0;
};

// The process-wide host the overlays use; must be set before any of them runs.
UiHost& uiHost();
void setUiHost(UiHost* host);

// The palette colour of an index read from the settings; an index outside
// the table falls back to the field's default.
uint32_t paletteColour(int32_t index, int32_t fallbackIndex);

} // namespace gv
