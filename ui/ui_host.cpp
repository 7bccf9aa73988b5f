#include "ui/ui_host.h"

namespace gv {

uint32_t paletteColour(int32_t index, int32_t fallbackIndex) {
    return overlayColour(index, fallbackIndex);
}

} // namespace gv
