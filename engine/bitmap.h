#pragma once
// Device-independent bitmaps as resources keep them: an information header,
// a colour table, then the pixel rows, without a file header.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace gv {

struct Bitmap {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bitsPerPixel = 0; // of the source (8 for the shipped sheets)
    // Colours expanded through the colour table: red, green, blue per pixel,
    // top row first.
    std::vector<uint8_t> rgb;
};

// Parses an uncompressed DIB of 8, 24 or 32 bits. Every size is checked
// against the bytes at hand: a short or inconsistent block gives nothing.
std::optional<Bitmap> parseDib(std::span<const uint8_t> bytes);

// The bitmap resource with that identifier, or nothing.
std::optional<Bitmap> loadBitmapResource(uint32_t id);

// The bitmap's pixels as 24- or 32-bit rows (blue, green, red[, 0]), bottom
// row first, the width rounded down to a multiple of 4. Empty for other
// depths.
std::vector<uint8_t> captureBitmap(const Bitmap& bitmap, uint32_t bits);

} // namespace gv
