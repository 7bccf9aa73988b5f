#include "imaging/pcx_decoder.h"

#include "formats/byte_io.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace gv {

namespace {

constexpr size_t kHeader = 128;
// Header fields by offset.
constexpr size_t kManufacturer = 0, kEncoding = 2, kBitsPerPlane = 3, kXMin = 4, kYMin = 6,
                 kXMax = 8, kYMax = 10, kHDpi = 12, kVDpi = 14, kPalette16 = 16, kPlanes = 65,
                 kBytesPerLine = 66;
static_assert(kPalette16 + 48 == 64 && kBytesPerLine + 2 < kHeader);

int32_t pixelsPerMetre(uint16_t dpi) {
    return int32_t(double(dpi) * 39.37007874 + 0.5);
}

enum class Layout { Copy, FourPlanes, TrueColour, Blank };

// Run-length decoding of one scan line; runs end at the line's end. False
// when the data ran out (the rest of the line is left 0).
bool readScanLine(std::span<const uint8_t> file, size_t& at, uint8_t* line, size_t length) {
    size_t filled = 0;
    while (filled < length) {
        if (at >= file.size()) {
            std::memset(line + filled, 0, length - filled);
            return false;
        }
        uint8_t b = file[at++];
        size_t count = 1;
        if (b >= 192) {
            count = b - 192u;
            if (at >= file.size()) {
                std::memset(line + filled, 0, length - filled);
                return false;
            }
            b = file[at++];
        }
        count = std::min(count, length - filled);
        std::memset(line + filled, b, count);
        filled += count;
    }
    return true;
}

} // namespace

bool decodePcx(std::span<const uint8_t> file, DecodedImage& out) {
    if (file.size() < kHeader) return false;
    const uint8_t* h = file.data();
    if ((h[kManufacturer] != 10 && h[kManufacturer] != 12) || h[kEncoding] != 1) return false;
    const int32_t width = int32_t(readU16(h + kXMax)) - int32_t(readU16(h + kXMin)) + 1;
    const int32_t height = int32_t(readU16(h + kYMax)) - int32_t(readU16(h + kYMin)) + 1;
    if (width <= 0 || height <= 0) return false;
    const uint32_t planeBits = h[kBitsPerPlane], planes = h[kPlanes];
    const uint32_t bytesPerLine = readU16(h + kBytesPerLine);
    const uint32_t bits = planeBits * planes;

    Layout layout = Layout::Blank;
    uint32_t dibBits = 8;
    if (planes == 1 && (planeBits == 1 || planeBits == 8)) {
        layout = Layout::Copy;
        dibBits = planeBits;
    } else if (planes == 4 && planeBits == 1) {
        layout = Layout::FourPlanes;
        dibBits = 4;
    } else if (planes == 3 && planeBits == 8) {
        layout = Layout::TrueColour;
        dibBits = 24;
    } else {
        dibBits = bits <= 1 ? 1 : bits <= 4 ? 4 : bits <= 8 ? 8 : 24;
    }
    const uint32_t colours = dibBits <= 8 ? (1u << dibBits) : 0;
    PackedDib& dib = out.picture;
    if (!dib.allocate(uint32_t(width), uint32_t(height), dibBits, colours)) return false;
    dib.setResolution(pixelsPerMetre(readU16(h + kHDpi)), pixelsPerMetre(readU16(h + kVDpi)));
    out.format = ImageFormat::Pcx;
    if (layout == Layout::Blank) return true;

    const size_t lineLength = size_t(bytesPerLine) * planes;
    std::vector<uint8_t> line(lineLength);
    size_t at = kHeader;
    const uint32_t w = uint32_t(width);
    // Lines of no bytes carry no pixels.
    for (uint32_t y = 0; y < uint32_t(height) && lineLength > 0; ++y) {
        const bool whole = readScanLine(file, at, line.data(), lineLength);
        // The first scan line is the picture's top row.
        uint8_t* row = dib.row(uint32_t(height) - 1 - y);
        if (layout == Layout::Copy) {
            const size_t used = dibBits == 8 ? w : (size_t(w) + 7) / 8;
            std::memcpy(row, line.data(), std::min<size_t>(used, bytesPerLine));
        } else if (layout == Layout::FourPlanes) {
            // Plane p gives bit p of each pixel.
            for (uint32_t x = 0; x < w && x / 8 < bytesPerLine; ++x) {
                uint8_t v = 0;
                for (uint32_t p = 0; p < 4; ++p)
                    v |= uint8_t(((line[p * bytesPerLine + x / 8] >> (7 - x % 8)) & 1) << p);
                row[x / 2] |= (x & 1) ? v : uint8_t(v << 4);
            }
        } else {
            const uint8_t* red = line.data();
            const uint8_t* green = red + bytesPerLine;
            const uint8_t* blue = green + bytesPerLine;
            for (uint32_t x = 0; x < w && x < bytesPerLine; ++x) {
                row[x * 3] = blue[x];
                row[x * 3 + 1] = green[x];
                row[x * 3 + 2] = red[x];
            }
        }
        if (!whole) break;
    }

    if (colours == 2) {
        dib.setColour(1, 255, 255, 255);
    } else if (colours == 16) {
        for (uint32_t i = 0; i < 16; ++i) {
            const uint8_t* e = h + kPalette16 + i * 3;
            dib.setColour(i, e[0], e[1], e[2]);
        }
    } else if (colours == 256) {
        // After the image data: one marker byte, then 256 red, green, blue entries.
        const size_t from = at + 1;
        for (uint32_t i = 0; i < 256 && from + i * 3 + 3 <= file.size(); ++i) {
            const uint8_t* e = file.data() + from + i * 3;
            dib.setColour(i, e[0], e[1], e[2]);
        }
    }
    return true;
}

} // namespace gv
