#pragma once
// What a decoder hands back: the picture, the code of the format it came in
// and, for GIF, the transparent colour its file names.
#include "clouds/packed_dib.h"

#include <cstdint>

namespace gv {

enum class ImageFormat : uint32_t {
    WindowsBitmap = 0,
    Os2Bitmap = 1,
    RunLengthBitmap = 2,
    Pcx = 3,
    Gif = 4,
    Tga = 7,
    None = 9,
};

// Transparent colour: 0 for none, else this bit and the palette index.
inline constexpr uint32_t kTransparentFlag = 0x80000000u;

struct DecodedImage {
    PackedDib picture;
    ImageFormat format = ImageFormat::None;
    uint32_t transparentColour = 0;
};

} // namespace gv
