#include "imaging/packed_dib.h"

#include "formats/byte_io.h"

#include <algorithm>
#include <cstdlib>

namespace gv {

uint64_t dibStride(uint64_t width, uint32_t bits) {
    return ((width * bits + 31) / 32) * 4;
}

bool isGreyPicture(const PackedDib& picture, uint32_t tolerance) {
    if (picture.empty() || picture.bits() != 24) return false;
    const uint32_t w = picture.width(), h = picture.height();
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* p = picture.row(y);
        for (uint32_t x = 0; x < w; ++x, p += 3) {
            const uint8_t lo = std::min({p[0], p[1], p[2]}), hi = std::max({p[0], p[1], p[2]});
            if (uint32_t(hi - lo) > tolerance) return false;
        }
    }
    return true;
}

void PackedDib::Free::operator()(uint8_t* p) const {
    std::free(p);
}

bool PackedDib::allocate(uint32_t width, uint32_t height, uint32_t bits, uint32_t colours) {
    reset();
    if (width == 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    if (colours > 256) return false;
    const uint64_t stride = dibStride(width, bits);
    const uint64_t total = kDibHeaderSize + uint64_t(colours) * 4 + stride * height;
    if (total > kMaxPictureBytes) return false;
    // calloc: large blocks come as fresh zero pages, so a picture that is
    // only partly decoded costs no more than its decoded part.
    block_.reset(static_cast<uint8_t*>(std::calloc(size_t(total), 1)));
    if (!block_) return false;
    size_ = size_t(total);
    stride_ = uint32_t(stride);
    setField(dib::kSize, kDibHeaderSize);
    setField(dib::kWidth, width);
    setField(dib::kHeight, height);
    writeU16(block_.get() + dib::kPlanes, 1);
    writeU16(block_.get() + dib::kBitCount, uint16_t(bits));
    setField(dib::kCompression, 0);
    setField(dib::kImageSize, uint32_t(stride * height));
    setField(dib::kColoursUsed, colours);
    setField(dib::kColoursImportant, 0);
    return true;
}

void PackedDib::reset() {
    block_.reset();
    size_ = 0;
    stride_ = 0;
}

uint32_t PackedDib::field(size_t offset) const {
    return block_ ? readU32(block_.get() + offset) : 0;
}

void PackedDib::setField(size_t offset, uint32_t value) {
    writeU32(block_.get() + offset, value);
}

void PackedDib::setResolution(int32_t x, int32_t y) {
    setField(dib::kXPelsPerMeter, uint32_t(x));
    setField(dib::kYPelsPerMeter, uint32_t(y));
}

uint32_t PackedDib::colour(uint32_t index) const {
    if (!block_ || index >= colours()) return 0;
    const uint8_t* e = block_.get() + kDibHeaderSize + size_t(index) * 4;
    return uint32_t(e[2]) << 16 | uint32_t(e[1]) << 8 | e[0];
}

void PackedDib::setColour(uint32_t index, uint8_t red, uint8_t green, uint8_t blue) {
    if (index >= colours()) return;
    uint8_t* e = colourTable() + size_t(index) * 4;
    e[0] = blue;
    e[1] = green;
    e[2] = red;
    e[3] = 0;
}

} // namespace gv
