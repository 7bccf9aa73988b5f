#pragma once
// A decoded picture in one block, laid out as a device-independent bitmap
// with its information header: 40 header bytes, a colour table of 4-byte
// entries (blue, green, red, 0), then the pixel rows bottom row first, each
// padded to a multiple of four bytes. Every decoder builds its output
// directly in one of these, sized before decoding starts.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace gv {

inline constexpr uint32_t kDibHeaderSize = 40;
// Largest picture a decoder accepts: either side, and the whole block. The
// fuzz harnesses are built with smaller caps, so that their runs go to the
// decoders' logic rather than to memory no input ever fills.
#ifdef GV_FUZZ_PICTURE_CAPS
inline constexpr uint32_t kMaxPictureSide = 1024;
inline constexpr uint64_t kMaxPictureBytes = uint64_t(4) << 20;
#else
inline constexpr uint32_t kMaxPictureSide = 16384;
inline constexpr uint64_t kMaxPictureBytes = uint64_t(256) << 20;
#endif
// 75 dots per inch, for pictures whose file gives no resolution.
inline constexpr int32_t kDefaultPixelsPerMetre = 2954;

// Header fields by byte offset.
namespace dib {
inline constexpr size_t kSize = 0;
inline constexpr size_t kWidth = 4;
inline constexpr size_t kHeight = 8;
inline constexpr size_t kPlanes = 12;
inline constexpr size_t kBitCount = 14;
inline constexpr size_t kCompression = 16;
inline constexpr size_t kImageSize = 20;
inline constexpr size_t kXPelsPerMeter = 24;
inline constexpr size_t kYPelsPerMeter = 28;
inline constexpr size_t kColoursUsed = 32;
inline constexpr size_t kColoursImportant = 36;
} // namespace dib

// Bytes in one pixel row of that width and depth.
uint64_t dibStride(uint64_t width, uint32_t bits);

class PackedDib;
// True when every pixel of a 24-bit picture is a grey: its red, green and
// blue differ by at most `tolerance`. False for other depths.
bool isGreyPicture(const PackedDib& picture, uint32_t tolerance);

class PackedDib {
  public:
    // A zero-filled block for width x height pixels of `bits` (1, 4, 8, 16, 24
    // or 32) with `colours` table entries, its header filled in. False, and
    // empty, when a side is 0 or above the cap, the block would pass the cap,
    // or memory is short.
    bool allocate(uint32_t width, uint32_t height, uint32_t bits, uint32_t colours);
    void reset();
    bool empty() const { return !block_; }

    const uint8_t* data() const { return block_.get(); }
    size_t size() const { return size_; }

    uint32_t width() const { return field(dib::kWidth); }
    uint32_t height() const { return field(dib::kHeight); }
    uint32_t bits() const { return field(dib::kBitCount) & 0xFFFF; }
    uint32_t colours() const { return field(dib::kColoursUsed); }
    uint32_t stride() const { return stride_; }

    // Header field at that offset (32 bits, little-endian).
    uint32_t field(size_t offset) const;
    void setField(size_t offset, uint32_t value);
    void setResolution(int32_t x, int32_t y);

    // Table entry as 0x00RRGGBB; 0 for an index beyond the table.
    uint32_t colour(uint32_t index) const;
    void setColour(uint32_t index, uint8_t red, uint8_t green, uint8_t blue);
    uint8_t* colourTable() { return block_.get() + kDibHeaderSize; }

    // Pixel row y, counted from the bottom.
    uint8_t* row(uint32_t y) { return pixels() + size_t(y) * stride_; }
    const uint8_t* row(uint32_t y) const { return pixels() + size_t(y) * stride_; }
    uint8_t* pixels() { return block_.get() + kDibHeaderSize + size_t(colours()) * 4; }
    const uint8_t* pixels() const { return block_.get() + kDibHeaderSize + size_t(colours()) * 4; }
    size_t pixelBytes() const { return size_t(stride_) * height(); }

  private:
    struct Free {
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t[], Free> block_;
    size_t size_ = 0;
    uint32_t stride_ = 0;
};

} // namespace gv
