#pragma once
// PNG pictures through libpng: greys without transparency as 8-bit greys,
// colours and palettes as 24 bits, anything with transparency (an alpha
// channel or a transparency chunk) as 32 bits with its alpha.
#include "imaging/decoded_image.h"

#include <cstdint>
#include <span>

namespace gv {

// False when the bytes are not a PNG (no signature), and, with the reason in
// out.refusal, for a PNG past the size caps or one the library reports an
// error for (a checksum that does not match, data cut short, a bad chunk).
bool decodePng(std::span<const uint8_t> file, DecodedImage& out);

} // namespace gv
