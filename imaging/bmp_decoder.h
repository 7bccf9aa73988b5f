#pragma once
// Windows bitmaps (40-byte header: uncompressed, or run-length with 8 or 4
// bits) and OS/2 bitmaps (12-byte header).
#include "imaging/decoded_image.h"

#include <cstdint>
#include <span>

namespace gv {

// False when the bytes are not a bitmap this decoder takes; a truncated
// file gives its pixels as far as they go, the rest 0.
bool decodeBmp(std::span<const uint8_t> file, DecodedImage& out);

} // namespace gv
