#pragma once
// Reads a picture file whole, recognises its format by its content (Windows
// or OS/2 bitmap, PCX, GIF, TGA, JPEG, PNG, tried in that order) and keeps
// the decoded picture as one packed device-independent bitmap.
#include "imaging/decoded_image.h"

#include <cstdint>
#include <span>
#include <string>

namespace gv {

// Largest file read; a picture at the size cap is smaller than this.
inline constexpr size_t kMaxImageFileBytes = size_t(300) << 20;

class ImageLoader {
  public:
    // False for an empty path, a file that cannot be read, an empty file or
    // content no decoder takes; the previous picture is then kept.
    bool load(const std::string& path);
    // The same on bytes already in memory.
    bool loadBytes(std::span<const uint8_t> bytes);
    void reset();

    // 0 while nothing is decoded.
    uint32_t width() const { return picture_.width(); }
    uint32_t height() const { return picture_.height(); }
    ImageFormat format() const { return format_; }
    // 0 for none, else kTransparentFlag and the palette index.
    uint32_t transparentColour() const { return transparent_; }
    // 0 for 24 bits, 1 for 8, 2 for 4, 5 for 1, 6 otherwise.
    uint32_t paletteKind() const { return paletteKind_; }
    // Whether the picture holds colours, only greys, or colours with alpha.
    PictureChannels channels() const { return channels_; }
    // After a failed load: why a file recognised as JPEG or PNG was refused,
    // for the log; empty when no decoder recognised the bytes.
    const std::string& refusal() const { return refusal_; }
    const PackedDib& picture() const { return picture_; }

  private:
    ImageFormat format_ = ImageFormat::None;
    uint32_t transparent_ = 0;
    uint32_t paletteKind_ = 6;
    PictureChannels channels_ = PictureChannels::Colour;
    PackedDib picture_;
    std::string refusal_;
};

// Test seam: told the path of every file load() starts to read, on the
// thread that decodes it.
using ImageLoadObserver = void (*)(const std::string& path);
void setImageLoadObserver(ImageLoadObserver observer);

} // namespace gv
