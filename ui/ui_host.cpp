#include "ui/ui_host.h"

#include <cstdlib>

namespace gv {

namespace {
UiHost* gHost = nullptr;
}

UiHost& uiHost() {
    // Every overlay runs after start-up has connected the host; reaching here
    // without one is a wiring fault that no frame can survive.
    if (!gHost) std::abort();
    return *gHost;
}

void setUiHost(UiHost* host) {
    gHost = host;
}

uint32_t paletteColour(int32_t index, int32_t fallbackIndex) {
    return overlayColour(index, fallbackIndex);
}

} // namespace gv
