#include "engine/bitmap.h"

#include "platform/resources.h"

namespace gv {

namespace {

uint32_t u32(std::span<const uint8_t> b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}
uint16_t u16(std::span<const uint8_t> b, size_t at) {
    return uint16_t(b[at] | b[at + 1] << 8);
}

// Largest side accepted; far above any bitmap the program carries and small
// enough that width * height * 4 cannot overflow.
constexpr uint32_t kMaxSide = 16384;

} // namespace

std::optional<Bitmap> parseDib(std::span<const uint8_t> bytes) {
    if (bytes.size() < 40) return std::nullopt;
    const uint32_t headerSize = u32(bytes, 0);
    if (headerSize < 40 || headerSize > bytes.size()) return std::nullopt;
    const int32_t width = int32_t(u32(bytes, 4));
    const int32_t rawHeight = int32_t(u32(bytes, 8));
    const uint16_t planes = u16(bytes, 12);
    const uint16_t bits = u16(bytes, 14);
    const uint32_t compression = u32(bytes, 16);
    uint32_t colorsUsed = u32(bytes, 32);
    if (planes != 1 || compression != 0) return std::nullopt;
    if (bits != 8 && bits != 24 && bits != 32) return std::nullopt;
    if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) return std::nullopt;
    const bool topDown = rawHeight < 0;
    const uint32_t w = uint32_t(width);
    const uint32_t h = uint32_t(topDown ? -rawHeight : rawHeight);
    if (w > kMaxSide || h > kMaxSide) return std::nullopt;

    size_t offset = headerSize;
    uint8_t palette[256][3] = {};
    if (bits == 8) {
        if (colorsUsed == 0) colorsUsed = 256;
        if (colorsUsed > 256) return std::nullopt;
        if (bytes.size() - offset < size_t(colorsUsed) * 4) return std::nullopt;
        for (uint32_t i = 0; i < colorsUsed; ++i) {
            palette[i][0] = bytes[offset + i * 4 + 2];
            palette[i][1] = bytes[offset + i * 4 + 1];
            palette[i][2] = bytes[offset + i * 4 + 0];
        }
        offset += size_t(colorsUsed) * 4;
    }
    const size_t stride = ((size_t(w) * bits + 31) / 32) * 4;
    if (bytes.size() - offset < stride * h) return std::nullopt;

    Bitmap bmp;
    bmp.width = w;
    bmp.height = h;
    bmp.bitsPerPixel = bits;
    bmp.rgb.resize(size_t(w) * h * 3);
    for (uint32_t row = 0; row < h; ++row) {
        const uint32_t srcRow = topDown ? row : h - 1 - row;
        const uint8_t* src = bytes.data() + offset + stride * srcRow;
        uint8_t* dst = bmp.rgb.data() + size_t(row) * w * 3;
        for (uint32_t x = 0; x < w; ++x) {
            if (bits == 8) {
                const uint8_t* c = palette[src[x]];
                dst[x * 3 + 0] = c[0];
                dst[x * 3 + 1] = c[1];
                dst[x * 3 + 2] = c[2];
            } else {
                const uint8_t* p = src + x * (bits / 8);
                dst[x * 3 + 0] = p[2];
                dst[x * 3 + 1] = p[1];
                dst[x * 3 + 2] = p[0];
            }
        }
    }
    return bmp;
}

std::optional<Bitmap> loadBitmapResource(uint32_t id) {
    return parseDib(platform::findResource(platform::kResourceBitmap, id));
}

std::vector<uint8_t> captureBitmap(const Bitmap& bitmap, uint32_t bits) {
    std::vector<uint8_t> out;
    if (bits != 24 && bits != 32) return out;
    const uint32_t w = bitmap.width & ~3u;
    const uint32_t bpp = bits / 8;
    out.resize(size_t(bpp) * w * bitmap.height);
    for (uint32_t row = 0; row < bitmap.height; ++row) {
        const uint8_t* src = bitmap.rgb.data() + size_t(bitmap.height - 1 - row) * bitmap.width * 3;
        uint8_t* dst = out.data() + size_t(row) * w * bpp;
        for (uint32_t x = 0; x < w; ++x) {
            dst[x * bpp + 0] = src[x * 3 + 2];
            dst[x * bpp + 1] = src[x * 3 + 1];
            dst[x * bpp + 2] = src[x * 3 + 0];
            if (bpp == 4) dst[x * bpp + 3] = 0;
        }
    }
    return out;
}

} // namespace gv
