#include "imaging/gif_decoder.h"

#include "formats/byte_io.h"
#include "imaging/gif_lzw.h"

#include <cstring>

namespace gv {

namespace {

constexpr size_t kScreenPacked = 10;
constexpr size_t kGlobalTable = 13;
constexpr size_t kDescriptor = 10; // ',' and nine bytes
constexpr uint8_t kExtension = '!', kImage = ',';
constexpr uint8_t kGraphicControl = 0xF9;

// Decoded indices placed into the picture's rows: image row y is picture row
// height - 1 - y; interlaced rows arrive in four passes.
class RowWriter final : public LzwOutput {
  public:
    RowWriter(PackedDib& dib, bool interlaced)
        : dib_(dib), w_(dib.width()), h_(dib.height()), bits_(dib.bits()), interlaced_(interlaced) {
        row_ = dib_.row(h_ - 1);
    }
    void write(const uint8_t* v, size_t n) override {
        for (size_t i = 0; i < n && row_; ++i) {
            put(v[i]);
            if (++x_ == w_) nextRow();
        }
    }

  private:
    static constexpr uint32_t kStart[4] = {0, 4, 2, 1};
    static constexpr uint32_t kStep[4] = {8, 8, 4, 2};

    void put(uint8_t v) {
        if (bits_ == 8) {
            row_[x_] = v;
        } else if (bits_ == 4) {
            // An index the picture's depth cannot hold lies beyond its table.
            if (v > 15) v = 0;
            row_[x_ / 2] |= (x_ & 1) ? v : uint8_t(v << 4);
        } else {
            if (v > 1) v = 0;
            row_[x_ / 8] |= uint8_t(v << (7 - x_ % 8));
        }
    }
    void nextRow() {
        x_ = 0;
        if (!interlaced_) {
            ++y_;
        } else {
            y_ += kStep[pass_];
            while (y_ >= h_ && ++pass_ < 4)
                y_ = kStart[pass_];
        }
        row_ = (y_ < h_ && pass_ < 4) ? dib_.row(h_ - 1 - y_) : nullptr;
    }

    PackedDib& dib_;
    uint32_t w_, h_, bits_;
    bool interlaced_;
    uint32_t x_ = 0, y_ = 0, pass_ = 0;
    uint8_t* row_ = nullptr;
};

// Steps over an extension's data sub-blocks up to the zero-length one.
// False when the file ends first.
bool skipSubBlocks(std::span<const uint8_t> file, size_t& at, uint8_t label,
                   uint32_t& transparent) {
    bool firstBlock = true;
    for (;;) {
        if (at >= file.size()) return false;
        const size_t n = file[at++];
        if (n == 0) return true;
        if (file.size() - at < n) return false;
        if (firstBlock && label == kGraphicControl && n >= 4 && (file[at] & 1))
            transparent = kTransparentFlag | file[at + 3];
        firstBlock = false;
        at += n;
    }
}

} // namespace

bool decodeGif(std::span<const uint8_t> file, DecodedImage& out) {
    if (file.size() <= 12 || std::memcmp(file.data(), "GIF", 3) != 0) return false;
    if (std::memcmp(file.data() + 3, "87a", 3) != 0 && std::memcmp(file.data() + 3, "89a", 3) != 0)
        return false;
    const uint8_t screen = file[kScreenPacked];
    uint32_t depth = ((screen >> 4) & 7) + 1;
    if (depth != 1 && depth != 4 && depth != 8) depth = 8;

    size_t at = kGlobalTable;
    const uint8_t* table = nullptr;
    uint32_t tableSize = 0;
    if (screen & 0x80) {
        tableSize = 2u << (screen & 7);
        table = file.data() + at;
        at += size_t(tableSize) * 3;
        if (at > file.size()) return false;
    }

    uint32_t transparent = 0;
    while (at < file.size() && file[at] == kExtension) {
        if (file.size() - at < 2) return false;
        const uint8_t label = file[at + 1];
        at += 2;
        if (!skipSubBlocks(file, at, label, transparent)) return false;
    }
    if (at >= file.size() || file[at] != kImage || file.size() - at < kDescriptor) return false;
    const uint32_t width = readU16(file.data() + at + 5);
    const uint32_t height = readU16(file.data() + at + 7);
    const uint8_t image = file[at + 9];
    at += kDescriptor;
    if (image & 0x80) {
        tableSize = 2u << (image & 7);
        table = file.data() + at;
        at += size_t(tableSize) * 3;
        if (at > file.size()) return false;
    }
    const uint32_t colours = table ? tableSize : 0;
    if (colours > 16)
        depth = 8;
    else if (colours >= 3 && colours <= 15)
        depth = 4;
    // A table larger than the depth could index (a 16-entry table with a
    // one-bit colour resolution) needs the next depth up.
    if (colours > (1u << depth)) depth = colours > 16 ? 8 : 4;

    const uint32_t dibColours = (1u << depth) & 511;
    PackedDib& dib = out.picture;
    if (!dib.allocate(width, height, depth, dibColours)) return false;
    dib.setResolution(kDefaultPixelsPerMetre, kDefaultPixelsPerMetre);
    if (!table) {
        dib.setColour(1, 255, 255, 255);
    } else {
        for (uint32_t i = 0; i < tableSize && i < dibColours; ++i)
            dib.setColour(i, table[i * 3], table[i * 3 + 1], table[i * 3 + 2]);
    }

    if (at < file.size()) {
        const uint32_t minCodeSize = file[at++];
        if (minCodeSize < 2 || minCodeSize > 8) {
            dib.reset();
            return false;
        }
        RowWriter rows(dib, (image & 0x40) != 0);
        decodeGifLzw(file.subspan(at), minCodeSize, uint64_t(width) * height, rows);
    }
    out.format = ImageFormat::Gif;
    out.transparentColour = transparent;
    return true;
}

} // namespace gv
