#pragma once
// F2: the next presented frame is saved as "Geovista_NNN.tga" in the current
// folder, numbered from 1 in every run.
#include <cstdint>
#include <string>

namespace gv {

void requestScreenshot();
bool screenshotRequested();
// After the frame was presented: writes the file, then posts "SCREENSHOT".
void takeScreenshotIfRequested();
// The number the next screenshot gets, and its file name.
uint32_t nextScreenshotNumber();
std::string screenshotFileName(uint32_t number);
void resetScreenshotsForRun();

} // namespace gv
