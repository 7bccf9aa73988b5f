#pragma once
// What a decoder hands back: the picture, the code of the format it came in,
// what its pixels carry and, for GIF, the transparent colour its file names.
#include "imaging/packed_dib.h"

#include <cstdint>
#include <string>

namespace gv {

enum class ImageFormat : uint32_t {
    WindowsBitmap = 0,
    Os2Bitmap = 1,
    RunLengthBitmap = 2,
    Pcx = 3,
    Gif = 4,
    Tga = 7,
    None = 9,
    Jpeg = 10,
    Png = 11,
};

// What the pixels carry. Colour: colours of any kind. Grey: brightness only
// (a single-channel picture, or one whose every pixel is a grey). Alpha: a
// 32-bit picture whose fourth byte is each pixel's opacity.
enum class PictureChannels : uint8_t { Colour, Grey, Alpha };

// Transparent colour: 0 for none, else this bit and the palette index.
inline constexpr uint32_t kTransparentFlag = 0x80000000u;

struct DecodedImage {
    PackedDib picture;
    ImageFormat format = ImageFormat::None;
    uint32_t transparentColour = 0;
    PictureChannels channels = PictureChannels::Colour;
    // Why a file of the decoder's own format was refused (empty when the
    // bytes were simply not of that format).
    std::string refusal;
};

} // namespace gv
