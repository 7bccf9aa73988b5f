#pragma once
// GIF pictures (87a and 89a): the first image of the file, interlaced or
// not, with its global or local colour table and the transparent colour of
// a graphic control extension.
#include "imaging/decoded_image.h"

#include <cstdint>
#include <span>

namespace gv {

// False when the bytes are not a GIF picture this decoder takes; image data
// that ends early leaves the rest of the picture 0.
bool decodeGif(std::span<const uint8_t> file, DecodedImage& out);

} // namespace gv
