#pragma once
// Builders for the small bitmaps and font metrics the engine tests bring with
// them: 8-bit DIBs as resources keep them and "PYXF" metrics blocks.
#include <cstdint>
#include <vector>

namespace gv::test {

struct Rgb {
    uint8_t r, g, b;
};

inline void put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i)
        v.push_back(uint8_t(x >> (8 * i)));
}
inline void put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}

// An 8-bit bottom-up DIB. indices holds width * height palette indices, top
// row first (as one reads the picture).
inline std::vector<uint8_t> makeDib8(uint32_t width, uint32_t height,
                                     const std::vector<Rgb>& palette,
                                     const std::vector<uint8_t>& indices) {
    std::vector<uint8_t> v;
    put32(v, 40);
    put32(v, width);
    put32(v, height);
    put16(v, 1);
    put16(v, 8);
    put32(v, 0);
    put32(v, 0);
    put32(v, 0);
    put32(v, 0);
    put32(v, uint32_t(palette.size()));
    put32(v, 0);
    for (const Rgb& c : palette) {
        v.push_back(c.b);
        v.push_back(c.g);
        v.push_back(c.r);
        v.push_back(0);
    }
    const uint32_t stride = (width + 3) & ~3u;
    for (uint32_t row = height; row-- > 0;) {
        for (uint32_t x = 0; x < width; ++x)
            v.push_back(indices[row * width + x]);
        for (uint32_t x = width; x < stride; ++x)
            v.push_back(0);
    }
    return v;
}

struct GlyphSpec {
    uint8_t code;
    uint16_t width, height;
    uint16_t left, top, right, bottom; // in 1/65536 of the sheet
};

inline std::vector<uint8_t> makePyxf(const std::vector<GlyphSpec>& glyphs,
                                     const char* magic = "PYXF") {
    std::vector<uint8_t> v(magic, magic + 4);
    v.push_back(uint8_t(glyphs.size()));
    for (const GlyphSpec& g : glyphs)
        v.push_back(g.code);
    for (const GlyphSpec& g : glyphs) {
        put16(v, g.width);
        put16(v, g.height);
        put16(v, g.left);
        put16(v, g.top);
        put16(v, g.right);
        put16(v, g.bottom);
    }
    return v;
}

} // namespace gv::test
