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

// The mode a first run starts in: the position of the first 640 x 480 mode
// at 16 bits, searched from position 0, else 1. Both programs use it, so a
// stored index names the same mode in both.
uint16_t firstRunModeIndex(const std::vector<DisplayMode>& modes);

// Every display of the video layer, in its order, each with its mode list as
// buildModeList makes it. Brings the video subsystem up for the call when it
// is not up yet (the settings editor has no window of its own on it); empty
// when there is no display to ask.
std::vector<DisplayInfo> enumerateDisplays();

// The desktop's depth in bits per pixel on display 0 (24 when unknown).
uint16_t desktopBitsPerPixel();

} // namespace gv::platform
