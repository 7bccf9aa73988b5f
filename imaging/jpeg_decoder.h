#pragma once
// JPEG pictures through libjpeg-turbo: single-channel ones as 8-bit greys,
// colour ones as 24 bits.
#include "imaging/decoded_image.h"

#include <cstdint>
#include <span>

namespace gv {

// False when the bytes are not a JPEG (no start-of-image marker), and, with
// the reason in out.refusal, for a JPEG past the size caps, one the library
// reports an error or a warning for (a file cut short, corrupt data) or one
// of a colour space it cannot turn into RGB (CMYK).
bool decodeJpeg(std::span<const uint8_t> file, DecodedImage& out);

} // namespace gv
