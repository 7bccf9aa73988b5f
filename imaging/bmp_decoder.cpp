#include "imaging/bmp_decoder.h"

#include "formats/byte_io.h"

#include <algorithm>
#include <cstring>

namespace gv {

namespace {

// File header (14 bytes) and the two information headers, by offset in the file.
constexpr size_t kFileHeader = 14;
constexpr size_t kPixelOffset = 10;
constexpr size_t kInfoSize = 14;
constexpr size_t kCoreHeader = 12;
constexpr size_t kInfoHeader = 40;
static_assert(kFileHeader + kCoreHeader == 26 && kFileHeader + kInfoHeader == 54);

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2;

// Copies as much of [from, from + count) as the file holds.
size_t copyAvailable(std::span<const uint8_t> file, size_t from, uint8_t* to, size_t count) {
    if (from >= file.size()) return 0;
    const size_t n = std::min(count, file.size() - from);
    std::memcpy(to, file.data() + from, n);
    return n;
}

bool decodeOs2(std::span<const uint8_t> file, DecodedImage& out) {
    if (file.size() < kFileHeader + kCoreHeader) return false;
    const uint8_t* h = file.data() + kFileHeader;
    const uint32_t width = readU16(h + 4), height = readU16(h + 6), bits = readU16(h + 10);
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return false;
    const uint32_t colours = (1u << bits) & 511;
    PackedDib& dib = out.picture;
    if (!dib.allocate(width, height, bits, colours)) return false;
    // Three-byte entries (blue, green, red) become four-byte ones.
    size_t at = kFileHeader + kCoreHeader;
    for (uint32_t i = 0; i < colours; ++i, at += 3)
        if (at + 3 <= file.size()) dib.setColour(i, file[at + 2], file[at + 1], file[at]);
    copyAvailable(file, at, dib.pixels(), dib.pixelBytes());
    out.format = ImageFormat::Os2Bitmap;
    return true;
}

// Run-length pixels written into the picture. A row holds as many pixels as
// its bytes do, padding included (encoders may code the padding too); past
// that the pixels go on at the start of the next row, and writes above the
// top row are dropped.
class RunLengthWriter {
  public:
    explicit RunLengthWriter(PackedDib& dib)
        : dib_(dib), w_(dib.width()), h_(dib.height()), rowPixels_(dib.stride() * 8 / dib.bits()) {}
    bool pastTop() const { return y_ >= h_; }
    void put(uint8_t v) {
        if (x_ >= rowPixels_) {
            x_ = 0;
            ++y_;
        }
        if (y_ >= h_) return;
        uint8_t* row = dib_.row(y_);
        if (dib_.bits() == 8) {
            row[x_] = v;
        } else {
            uint8_t& b = row[x_ / 2];
            b = (x_ & 1) ? uint8_t((b & 0xF0) | (v & 0x0F)) : uint8_t((b & 0x0F) | (v << 4));
        }
        ++x_;
    }
    void endOfRow() {
        x_ = 0;
        ++y_;
    }
    void move(uint32_t dx, uint32_t dy) {
        x_ = std::min(x_ + dx, w_ - 1);
        y_ = std::min(y_ + dy, h_ - 1);
    }

  private:
    PackedDib& dib_;
    uint32_t w_, h_, rowPixels_;
    uint32_t x_ = 0, y_ = 0;
};

void decodeRunLength(std::span<const uint8_t> file, size_t at, PackedDib& dib) {
    const bool four = dib.bits() == 4;
    RunLengthWriter out(dib);
    const size_t end = file.size();
    while (at + 2 <= end && !out.pastTop()) {
        const uint8_t n = file[at], value = file[at + 1];
        at += 2;
        if (n > 0) {
            for (uint32_t i = 0; i < n; ++i)
                out.put(four ? uint8_t((i & 1) ? value & 0x0F : value >> 4) : value);
            continue;
        }
        if (value == 0) {
            out.endOfRow();
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            if (at + 2 > end) return;
            out.move(file[at], file[at + 1]);
            at += 2;
        } else {
            // Literal pixels, padded to a 16-bit boundary.
            const size_t bytes = four ? (size_t(value) + 1) / 2 : value;
            for (uint32_t i = 0; i < value; ++i) {
                const size_t b = at + (four ? i / 2 : i);
                if (b >= end) return;
                out.put(four ? uint8_t((i & 1) ? file[b] & 0x0F : file[b] >> 4) : file[b]);
            }
            at += bytes + (bytes & 1);
        }
    }
}

bool decodeWindows(std::span<const uint8_t> file, DecodedImage& out) {
    if (file.size() < kFileHeader + kInfoHeader) return false;
    const uint8_t* h = file.data() + kFileHeader;
    const int32_t width = readI32(h + 4), rawHeight = readI32(h + 8);
    const uint32_t bits = readU16(h + 14), compression = readU32(h + 16);
    uint32_t colours = readU32(h + 32);
    if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) return false;
    const bool topDown = rawHeight < 0;
    const uint32_t height = uint32_t(topDown ? -int64_t(rawHeight) : rawHeight);

    if (compression == kRgb) {
        if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
            return false;
    } else if (compression == kRle8 || compression == kRle4) {
        // Run-length pictures are stored bottom row first only.
        if (topDown || bits != (compression == kRle8 ? 8u : 4u)) return false;
    } else {
        return false;
    }
    if (bits <= 8) {
        if (colours == 0 || colours > (1u << bits)) colours = 1u << bits;
    } else {
        colours = 0;
    }
    PackedDib& dib = out.picture;
    if (!dib.allocate(uint32_t(width), height, bits, colours)) return false;
    dib.setResolution(readI32(h + 24), readI32(h + 28));
    copyAvailable(file, kFileHeader + kInfoHeader, dib.colourTable(), size_t(colours) * 4);
    for (uint32_t i = 0; i < colours; ++i)
        dib.colourTable()[i * 4 + 3] = 0;

    const size_t pixelsAt = readU32(file.data() + kPixelOffset);
    if (compression != kRgb) {
        decodeRunLength(file, pixelsAt, dib);
        out.format = ImageFormat::RunLengthBitmap;
        return true;
    }
    if (!topDown) {
        copyAvailable(file, pixelsAt, dib.pixels(), dib.pixelBytes());
    } else {
        // A top-down file: its first row is the picture's top one.
        for (uint32_t r = 0; r < height; ++r)
            if (copyAvailable(file, pixelsAt + size_t(r) * dib.stride(), dib.row(height - 1 - r),
                              dib.stride()) < dib.stride())
                break;
    }
    out.format = ImageFormat::WindowsBitmap;
    return true;
}

} // namespace

bool decodeBmp(std::span<const uint8_t> file, DecodedImage& out) {
    if (file.size() < kFileHeader || file[0] != 'B' || file[1] != 'M') return false;
    if (file.size() < kFileHeader + 4) return false;
    const uint32_t headerSize = readU32(file.data() + kInfoSize);
    if (headerSize == kCoreHeader) return decodeOs2(file, out);
    if (headerSize == kInfoHeader) return decodeWindows(file, out);
    return false;
}

} // namespace gv
