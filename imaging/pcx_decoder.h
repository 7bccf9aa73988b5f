#pragma once
// PCX pictures: one plane of 1 or 8 bits, four planes of 1 bit (16 colours)
// and three planes of 8 bits (true colour), run-length coded by scan line.
#include "imaging/decoded_image.h"

#include <cstdint>
#include <span>

namespace gv {

// False when the bytes are not a PCX picture; other plane layouts are taken
// with their pixels and palette left 0.
bool decodePcx(std::span<const uint8_t> file, DecodedImage& out);

} // namespace gv
