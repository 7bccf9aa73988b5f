#pragma once
// Readers for the built-in resources' formats, as the tests need them.
#include "formats/byte_io.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace gv::test {

// A device-independent bitmap as a bitmap resource holds it (no file header).
struct DibView {
    uint32_t headerSize = 0;
    int32_t width = 0;
    int32_t height = 0; // positive: bottom row first
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t colours = 0; // entries of the colour table
    std::span<const uint8_t> table;
    std::span<const uint8_t> pixels;
    std::size_t stride = 0;

    // The (r, g, b) of pixel (x, y), y counted from the top.
    std::array<uint8_t, 3> colour(int x, int y) const {
        const int row = height > 0 ? height - 1 - y : y;
        const uint8_t index = pixels[std::size_t(row) * stride + std::size_t(x)];
        const uint8_t* q = table.data() + 4 * index;
        return {q[2], q[1], q[0]};
    }
};

// Nothing when the bytes are not a complete uncompressed 8-bit DIB.
inline std::optional<DibView> parseDib8(std::span<const uint8_t> b) {
    if (b.size() < 40) return std::nullopt;
    DibView d;
    d.headerSize = readU32(&b[0]);
    d.width = readI32(&b[4]);
    d.height = readI32(&b[8]);
    d.planes = readU16(&b[12]);
    d.bitCount = readU16(&b[14]);
    d.compression = readU32(&b[16]);
    const uint32_t used = readU32(&b[32]);
    d.colours = used == 0 ? 256 : used;
    if (d.headerSize != 40 || d.bitCount != 8 || d.compression != 0 || d.planes != 1 ||
        d.width <= 0 || d.height == 0 || d.colours > 256)
        return std::nullopt;
    const std::size_t rows = std::size_t(d.height > 0 ? d.height : -d.height);
    d.stride = (std::size_t(d.width) + 3) & ~std::size_t(3);
    const std::size_t tableEnd = 40 + 4 * std::size_t(d.colours);
    if (b.size() != tableEnd + d.stride * rows) return std::nullopt;
    d.table = b.subspan(40, 4 * std::size_t(d.colours));
    d.pixels = b.subspan(tableEnd);
    for (uint8_t index : d.pixels)
        if (index >= d.colours) return std::nullopt;
    return d;
}

struct GlyphRecord {
    uint8_t code;
    uint16_t width, height, left, top, right, bottom;
};

// Nothing when the magic is wrong or the records are incomplete.
inline std::optional<std::vector<GlyphRecord>> parsePyxf(std::span<const uint8_t> b) {
    if (b.size() < 5 || b[0] != 'P' || b[1] != 'Y' || b[2] != 'X' || b[3] != 'F')
        return std::nullopt;
    const std::size_t n = b[4];
    if (b.size() < 5 + 13 * n) return std::nullopt;
    std::vector<GlyphRecord> glyphs;
    for (std::size_t i = 0; i < n; ++i) {
        const uint8_t* r = &b[5 + n + 12 * i];
        glyphs.push_back({b[5 + i], readU16(r), readU16(r + 2), readU16(r + 4), readU16(r + 6),
                          readU16(r + 8), readU16(r + 10)});
    }
    return glyphs;
}

// The font's line height as the font loader derives it: the tallest glyph.
inline uint16_t lineHeight(const std::vector<GlyphRecord>& glyphs) {
    uint16_t h = 0;
    for (const GlyphRecord& g : glyphs)
        h = g.height > h ? g.height : h;
    return h;
}

} // namespace gv::test
