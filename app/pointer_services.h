#pragma once
// The mouse pointer while the user view is steered.
#include "core/seam.h"
#include "platform/window.h"

namespace gv {

struct ScreenPoint {
    int x = 0, y = 0;
};

class PointerServices {
  public:
    virtual ~PointerServices() = default;
    virtual ScreenPoint clientToScreen(int x, int y) = 0;
    virtual void setCursorPosition(ScreenPoint p) = 0;
    virtual void setCursor(platform::SystemCursor cursor) = 0;
};

inline PointerServices& pointerServices() {
    return Seam<PointerServices>::get();
}
inline void setPointerServices(PointerServices* s) {
    Seam<PointerServices>::connect(s);
}

} // namespace gv
