#pragma once
// The help panel: it slides in from the right edge above the clock, lists the
// key bindings one row at a time, and empties and slides out again.
#include <cstdint>

namespace gv {

inline constexpr int kHelpRowCount = 15;

struct HelpRow {
    const char* key;
    const char* description;
};

// Row 0 is drawn at the bottom of the panel.
extern const HelpRow kHelpRows[kHelpRowCount];

struct HelpPanel {
    float restX = 0, restY = 0;     // top-left corner when fully shown
    float hiddenX = 0, hiddenY = 0; // top-left corner when out of sight
    float panelX = 0, panelY = 0;   // where it is now
    bool placed = false;            // panelX/Y set at the first draw
    bool showing = false;           // sliding in
    bool shown = false;             // arrived
    bool hiding = false;            // emptying, then sliding out
    int visibleRows = 0;            // rows listed now, 0..15
    uint32_t stepTimer = 0;         // milliseconds gathered towards the next step
};

HelpPanel& helpPanel();
// Back to the state of a fresh run (hidden, nothing placed).
void resetHelpForRun();

// Rest and hidden corners from the display's active size; at the end of
// start-up and after a display-mode change.
void helpLayout();
// F1: hide when shown, else show; posts "HELP OVERLAY" "ON" / "OFF".
void helpToggle();
// Escape: turns a shown or arriving panel round; false when there was none
// (a panel already leaving counts as none).
bool helpClose();
// The locations manager opening sends a fully shown panel away.
void helpHideForManager();
// Once per frame, last of the screen overlays, with the smoothed frame time.
void drawHelp(uint32_t smoothedMs);

} // namespace gv
