#pragma once
// The display drivers and their modes as the options overlay lists them, and
// the run-time mode change.
#include "core/seam.h"

#include <cstdint>

namespace gv {

struct UiScreenMode {
    uint32_t width = 0, height = 0, bitsPerPixel = 0;
};

class DisplayModeServices {
  public:
    virtual ~DisplayModeServices() = default;
    virtual int driverCount() = 0;
    // Title-cased at start-up; the texts live as long as the display.
    virtual const char* driverName(int driver) = 0;
    virtual const char* driverDescription(int driver) = 0;
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

inline DisplayModeServices& displayModeServices() {
    return Seam<DisplayModeServices>::get();
}
inline void setDisplayModeServices(DisplayModeServices* s) {
    Seam<DisplayModeServices>::connect(s);
}

} // namespace gv
