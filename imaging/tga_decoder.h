#pragma once
// TGA pictures of 8 bits with a colour map or 24 bits of true colour, plain
// or run-length coded, in any of the four row and column orders.
#include "imaging/decoded_image.h"

#include <cstdint>
#include <span>

namespace gv {

// False when the bytes are not such a TGA picture, or when plain pixel data
// ends early; run-length data that ends early leaves the rest 0.
bool decodeTga(std::span<const uint8_t> file, DecodedImage& out);

} // namespace gv
