#include "ui/screenshot.h"

#include "ui/ui_host.h"

#include <cstdio>

namespace gv {

namespace {
bool gRequested = false;
uint32_t gCounter = 1;
} // namespace

void requestScreenshot() {
    gRequested = true;
}

bool screenshotRequested() {
    return gRequested;
}

uint32_t nextScreenshotNumber() {
    return gCounter;
}

std::string screenshotFileName(uint32_t number) {
    char name[32];
    std::snprintf(name, sizeof name, "Geovista_%03u.tga", number);
    return name;
}

void takeScreenshotIfRequested() {
    if (!gRequested) return;
    const uint32_t n = gCounter++;
    // The current folder, not the program folder: where the user started it.
    uiHost().captureFrame(screenshotFileName(n).c_str());
    gRequested = false;
    // Reported whether or not the file could be written.
    uiHost().postMessage("SCREENSHOT", " ");
}

void resetScreenshotsForRun() {
    gRequested = false;
    gCounter = 1;
}

} // namespace gv
