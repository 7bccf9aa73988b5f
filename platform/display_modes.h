#pragma once
// The displays and their screen modes as the video layer reports them, kept in
// the order and shape the display device and the settings editor both use.
#include <cstdint>
#include <string>
#include <vector>

namespace gv::platform {

struct DisplayMode {
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t bitsPerPixel = 0;
    uint16_t refreshRate = 0;
};

struct DisplayInfo {
    std::string name;               // the display's own name
    std::string description;        // names the video driver and the display
    std::vector<DisplayMode> modes; // desktop mode first, then the sorted list
};

// Ordering key of a mode: ((width * 4096 + height) * 256 + bits per pixel).
// Computed in 64 bits so that widths of 4096 and more do not wrap.
uint64_t modeSortKey(const DisplayMode& mode);

// The desktop mode at position 0, then every reported mode wider than 400
// pixels and deeper than 8 bits, sorted from position 1 on by modeSortKey with
// an exchange sort that swaps only when the earlier key is strictly greater.
std::vector<DisplayMode> buildModeList(const DisplayMode& desktop,
                                       const std::vector<DisplayMode>& reported);

// Every display of the running video layer, in its order. The video subsystem
// must be up (initVideo); empty when it is not.
std::vector<DisplayInfo> enumerateDisplays();

// The desktop's depth in bits per pixel on display 0 (24 when unknown).
uint16_t desktopBitsPerPixel();

} // namespace gv::platform
