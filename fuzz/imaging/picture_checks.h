#pragma once
// What every decoder harness checks of an accepted picture: a block whose
// size matches its header, within the caps, and a table no larger than the
// depth can index.
#include "imaging/decoded_image.h"

#include <cstdlib>

namespace gv::fuzz {

inline void checkPicture(const PackedDib& p, ImageFormat format) {
    if (p.empty()) std::abort();
    const uint64_t w = p.width(), h = p.height();
    if (w == 0 || h == 0 || w > kMaxPictureSide || h > kMaxPictureSide) std::abort();
    if (p.stride() != dibStride(w, p.bits())) std::abort();
    if (p.size() != kDibHeaderSize + size_t(p.colours()) * 4 + p.stride() * h) std::abort();
    if (p.bits() <= 8 && p.colours() > (1u << p.bits())) std::abort();
    if (format == ImageFormat::None) std::abort();
}

inline void checkPicture(const DecodedImage& image) {
    checkPicture(image.picture, image.format);
}

} // namespace gv::fuzz
