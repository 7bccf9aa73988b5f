#include "ui/help_overlay.h"

#include "ui/ui_host.h"

#include <cmath>

namespace gv {

const HelpRow kHelpRows[kHelpRowCount] = {
    {"ESC", "quit"},
    {"(+)", "+ ambient light"},
    {"(-)", "- ambient light"},
    {"F12", "+ orbit speed"},
    {"F11", "- orbit speed"},
    {"F10", "clouds on locations"},
    {"F9", "clouds"},
    {"F8", ">> camera"},
    {"F7", "<< camera"},
    {"F6", "+ camera distance"},
    {"F5", "- camera distance"},
    {"F4", "locations manager"},
    {"F3", "options menu"},
    {"F2", "save screenshot"},
    {"F1", "help"},
};

namespace {

HelpPanel gPanel;

constexpr uint32_t kStepMs = 50;
constexpr float kPanelWidth = 220.0f;
constexpr float kPanelHeight = 235.0f;

// A third of the remaining way towards (x, y); true on arrival, when the
// panel is put exactly there.
bool slideTowards(HelpPanel& h, float x, float y) {
    const float dx = x - h.panelX;
    const float dy = y - h.panelY;
    h.panelX += 0.33f * dx;
    h.panelY += 0.33f * dy;
    if (std::fabs(dx) < 1.0f && std::fabs(dy) < 1.0f) {
        h.panelX = x;
        h.panelY = y;
        return true;
    }
    return false;
}

} // namespace

HelpPanel& helpPanel() {
    return gPanel;
}

void resetHelpForRun() {
    gPanel = HelpPanel{};
}

void helpLayout() {
    const float w = float(uiHost().displayWidth());
    const float h = float(uiHost().displayHeight());
    gPanel.restX = w - kPanelWidth;
    gPanel.restY = h - 260.0f;
    gPanel.hiddenX = w + 10.0f;
    gPanel.hiddenY = h - 260.0f;
}

void helpToggle() {
    if (gPanel.shown) {
        gPanel.hiding = true;
        uiHost().postMessage("HELP OVERLAY", "OFF");
    } else {
        gPanel.showing = true;
        uiHost().postMessage("HELP OVERLAY", "ON");
    }
}

bool helpClose() {
    // A panel already on its way out counts as closed, so that the next
    // Escape quits instead of sending it away again.
    const bool open = gPanel.showing || (gPanel.shown && !gPanel.hiding);
    if (!open) return false;
    gPanel.showing = false;
    gPanel.hiding = true;
    return true;
}

void helpHideForManager() {
    if (gPanel.shown) gPanel.hiding = true;
}

void drawHelp(uint32_t smoothedMs) {
    HelpPanel& h = gPanel;
    if (!h.showing && !h.shown && !h.hiding) return;
    UiHost& host = uiHost();
    if (!h.placed) {
        h.panelX = h.hiddenX;
        h.panelY = h.hiddenY;
        h.placed = true;
    }

    h.stepTimer += smoothedMs;
    const bool step = h.stepTimer > kStepMs;
    if (step) {
        if (h.showing) {
            if (slideTowards(h, h.restX, h.restY)) {
                h.showing = false;
                h.shown = true;
            }
        } else if (h.hiding && h.visibleRows == 0) {
            if (slideTowards(h, h.hiddenX, h.hiddenY)) {
                h.hiding = false;
                h.shown = false;
            }
        }
    }

    host.drawScreenRect(h.panelX, h.panelY, h.panelX + kPanelWidth, h.panelY + kPanelHeight,
                        0xAF051020u, 0.001f);
    host.drawScreenRect(h.panelX + 210.0f, h.panelY, h.panelX + kPanelWidth,
                        h.panelY + kPanelHeight, 0xBF050505u, 0.001f);

    if (!h.showing) {
        for (int i = 0; i < h.visibleRows; ++i) {
            const float y = h.restY + 215.0f - 15.0f * float(i);
            host.drawText(UiFont::Main, h.restX + 8.0f, y, 0.00001f, 0xFFFFFFFFu, 0.5f, 0.5f,
                          kHelpRows[i].key);
            host.drawText(UiFont::Main, h.restX + 56.0f, y, 0.00001f, 0xFFFFFF00u, 0.5f, 0.5f,
                          kHelpRows[i].description);
        }
        if (step) {
            if (h.hiding) {
                if (h.visibleRows > 0) --h.visibleRows;
            } else if (h.shown && h.visibleRows < kHelpRowCount) {
                // Only a panel at rest fills up: the frame on which it has
                // just slid out must not leave a row counted for next time.
                ++h.visibleRows;
            }
        }
    }
    // One step per frame at most; the rest of the time carries over.
    if (step) h.stepTimer -= kStepMs;
}

} // namespace gv
