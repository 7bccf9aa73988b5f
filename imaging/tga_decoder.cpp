#include "imaging/tga_decoder.h"

#include "formats/byte_io.h"

#include <algorithm>
#include <cstring>

namespace gv {

namespace {

constexpr size_t kHeader = 18;
// Header fields by offset.
constexpr size_t kIdLength = 0, kMapType = 1, kImageType = 2, kMapLength = 5, kMapEntryBits = 7,
                 kWidth = 12, kHeight = 14, kBits = 16, kDescriptor = 17;
static_assert(kDescriptor + 1 == kHeader);

constexpr uint8_t kRightToLeft = 0x10, kTopFirst = 0x20;

// File pixels placed into the picture by the descriptor's orders.
class PixelPlacer {
  public:
    PixelPlacer(PackedDib& dib, uint8_t descriptor, uint32_t bytesPerPixel)
        : dib_(dib), w_(dib.width()), h_(dib.height()), bpp_(bytesPerPixel),
          rightToLeft_(descriptor & kRightToLeft), topFirst_(descriptor & kTopFirst) {
        startRow();
    }
    bool full() const { return row_ == nullptr; }
    void put(const uint8_t* pixel) {
        if (!row_) return;
        const uint32_t x = rightToLeft_ ? w_ - 1 - x_ : x_;
        std::memcpy(row_ + size_t(x) * bpp_, pixel, bpp_);
        if (++x_ == w_) {
            x_ = 0;
            ++y_;
            startRow();
        }
    }

  private:
    void startRow() { row_ = y_ < h_ ? dib_.row(topFirst_ ? h_ - 1 - y_ : y_) : nullptr; }
    PackedDib& dib_;
    uint32_t w_, h_, bpp_;
    bool rightToLeft_, topFirst_;
    uint32_t x_ = 0, y_ = 0;
    uint8_t* row_ = nullptr;
};

} // namespace

bool decodeTga(std::span<const uint8_t> file, DecodedImage& out) {
    if (file.size() < kHeader) return false;
    const uint8_t* h = file.data();
    const uint32_t mapType = h[kMapType], type = h[kImageType], bits = h[kBits];
    const uint32_t width = readU16(h + kWidth), height = readU16(h + kHeight);
    const uint32_t mapLength = readU16(h + kMapLength), mapEntryBits = h[kMapEntryBits];
    if (mapType > 1 || width == 0 || height == 0) return false;
    if ((bits != 8 && bits != 24) || (mapEntryBits != 0 && mapEntryBits != 24)) return false;
    if (type != 1 && type != 2 && type != 9 && type != 10) return false;
    // Index pictures carry one byte a pixel, true-colour ones three.
    const bool indexed = type == 1 || type == 9;
    if (indexed != (bits == 8)) return false;
    const bool runLength = type >= 9;

    const uint32_t colours = (1u << bits) & 511;
    PackedDib& dib = out.picture;
    if (!dib.allocate(width, height, bits, colours)) return false;
    dib.setResolution(kDefaultPixelsPerMetre, kDefaultPixelsPerMetre);

    size_t at = kHeader + h[kIdLength];
    if (mapType == 1) {
        const size_t mapBytes = size_t(mapLength) * (mapEntryBits / 8);
        if (bits == 8 && mapEntryBits == 24) {
            for (uint32_t i = 0; i < mapLength && i < 256; ++i) {
                const size_t e = at + size_t(i) * 3;
                if (e + 3 > file.size()) break;
                dib.setColour(i, file[e + 2], file[e + 1], file[e]);
            }
        }
        at += mapBytes;
    }

    const uint32_t bpp = bits / 8;
    PixelPlacer place(dib, h[kDescriptor], bpp);
    if (!runLength) {
        const uint64_t need = uint64_t(width) * height * bpp;
        if (at > file.size() || file.size() - at < need) {
            dib.reset();
            return false;
        }
        for (uint64_t i = 0; i < uint64_t(width) * height; ++i, at += bpp)
            place.put(file.data() + at);
    } else {
        // A packet below 128 is followed by that many plus one pixels, any
        // other by one pixel repeated (packet AND 127) + 1 times.
        bool more = true;
        while (more && !place.full() && at < file.size()) {
            const uint8_t packet = file[at++];
            const uint32_t count = (packet & 127u) + 1;
            const bool repeat = packet >= 128;
            for (uint32_t i = 0; i < count && !place.full(); ++i) {
                if (file.size() - at < bpp) {
                    more = false;
                    break;
                }
                place.put(file.data() + at);
                if (!repeat) at += bpp;
            }
            if (repeat && more) at += bpp;
        }
    }
    out.format = ImageFormat::Tga;
    return true;
}

} // namespace gv
