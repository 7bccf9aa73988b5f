#include "clouds/cloud_filter.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <vector>

namespace gv {

namespace {

uint32_t slotOf(uint32_t rgb) {
    return (rgb * 2654435761u) >> 26; // 64 slots
}

// Blue, green and red of a pixel side by side in 16-bit lanes, so that one
// addition sums all three channels (nine 8-bit values fit a lane).
uint64_t lanes(uint32_t p) {
    return uint64_t(p & 0xFF) | uint64_t((p >> 8) & 0xFF) << 16 | uint64_t((p >> 16) & 0xFF) << 32;
}

// Channel sums of a 3 x 3 block times 0.11111, truncated; a sum of three
// new channels times 0.33333, truncated.
struct Tables {
    std::array<uint8_t, 9 * 255 + 1> ninth;
    std::array<uint8_t, 3 * 255 + 1> third;
    Tables() {
        for (size_t s = 0; s < ninth.size(); ++s)
            ninth[s] = uint8_t(double(s) * 0.11111);
        for (size_t s = 0; s < third.size(); ++s)
            third[s] = uint8_t(double(s) * 0.33333);
    }
};
const Tables& tables() {
    static const Tables t;
    return t;
}

} // namespace

CloudColours::CloudColours(std::span<const uint32_t, kCloudColourCount> colours) {
    for (uint32_t c : colours) {
        c &= 0x00FFFFFFu;
        uint32_t s = slotOf(c);
        while (used_[s] && slots_[s] != c)
            s = (s + 1) & (kSlots - 1);
        slots_[s] = c;
        used_[s] = true;
    }
}

bool CloudColours::contains(uint32_t rgb) const {
    for (uint32_t s = slotOf(rgb);; s = (s + 1) & (kSlots - 1)) {
        if (!used_[s]) return false;
        if (slots_[s] == rgb) return true;
    }
}

void classifyCloudPixels(std::span<uint32_t> pixels, const CloudColours& colours) {
    for (uint32_t& p : pixels)
        p = colours.classify(p);
}

uint8_t cloudOpacity(uint32_t channelSum) {
    assert(channelSum <= 3 * 255);
    return tables().third[std::min<uint32_t>(channelSum, 3 * 255)];
}

void smoothCloudMap(std::span<uint32_t> map, uint32_t width, uint32_t height) {
    assert(map.size() == size_t(width) * height);
    if (width == 0 || height < 2) return;
    const size_t rowLength = size_t(width) + 2;
    // The work area: map row r in work row r + 1, columns 1 .. width, with
    // the row's last pixel before it and its first after it (the map wraps
    // round in longitude); rows 0 and height + 1 transparent black. One
    // more pixel of black on either side: the walk reads one pixel before
    // the first row.
    // Kept from one call to the next (each rebuild runs in the middle of a
    // frame, and fresh memory costs time); filled row by row below, only
    // the black rows and the two ends are set here.
    static thread_local std::vector<uint64_t> area;
    const size_t areaSize = rowLength * (height + 2) + 2;
    if (area.size() < areaSize) area.resize(areaSize);
    std::fill(area.begin(), area.begin() + long(rowLength + 1), 0);
    std::fill(area.begin() + long(areaSize - rowLength - 1), area.begin() + long(areaSize), 0);
    uint64_t* work = area.data() + 1;
    for (uint32_t r = 0; r < height; ++r) {
        const uint32_t* in = map.data() + size_t(r) * width;
        uint64_t* out = work + (size_t(r) + 1) * rowLength;
        out[0] = lanes(in[width - 1]);
        for (uint32_t c = 0; c < width; ++c)
            out[c + 1] = lanes(in[c]);
        out[width + 1] = lanes(in[0]);
    }

    // Each pass replaces the pixels of work rows 1 .. height - 1 in place,
    // in one run over the area as if it were a single row of pixels: the
    // block of a pixel is the three-pixel column sums at its left, its own
    // and its right, the left one already holding its new centre. Work
    // pixel i is area[i + 1].
    const Tables& t = tables();
    const size_t first = rowLength, last = rowLength * height;
    uint64_t* a = area.data();
    auto columnSum = [&](size_t i) {
        return a[i + 1 - rowLength] + a[i + 1] + a[i + 1 + rowLength];
    };
    for (int pass = 0; pass < 3; ++pass) {
        uint64_t left = columnSum(first - 1), centre = columnSum(first);
        for (size_t i = first; i < last; ++i) {
            const uint64_t right = columnSum(i + 1);
            const uint64_t sum = left + centre + right;
            const uint64_t old = a[i + 1];
            const uint64_t now = uint64_t(t.ninth[sum & 0xFFFF]) |
                                 uint64_t(t.ninth[(sum >> 16) & 0xFFFF]) << 16 |
                                 uint64_t(t.ninth[(sum >> 32) & 0xFFFF]) << 32;
            a[i + 1] = now;
            left = centre - old + now;
            centre = right;
        }
    }

    // Back into the map, with opacity from brightness; the top row was not
    // smoothed and stays as it is.
    for (uint32_t r = 0; r + 1 < height; ++r) {
        uint32_t* out = map.data() + size_t(r) * width;
        const uint64_t* in = work + (size_t(r) + 1) * rowLength + 1;
        for (uint32_t c = 0; c < width; ++c) {
            const uint64_t p = in[c];
            const uint32_t b = uint32_t(p & 0xFF), g = uint32_t((p >> 16) & 0xFF),
                           red = uint32_t((p >> 32) & 0xFF);
            out[c] = uint32_t(t.third[b + g + red]) << 24 | red << 16 | g << 8 | b;
        }
    }
}

void applyCloudFilter(std::span<uint32_t> map, uint32_t width, uint32_t height,
                      const CloudColours& colours) {
    classifyCloudPixels(map, colours);
    smoothCloudMap(map, width, height);
}

} // namespace gv
