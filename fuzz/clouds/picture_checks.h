#pragma once
// What every decoder harness checks of an accepted picture: a block whose
// size matches its header, within the caps; every pixel readable through
// its colour table; and, for small pictures, a stretch and the cloud
// filter over the result.
#include "clouds/cloud_map.h"
#include "clouds/decoded_image.h"
#include "formats/preferences.h"

#include <cstdlib>

namespace gv::fuzz {

inline void checkPicture(const DecodedImage& image) {
    const PackedDib& p = image.picture;
    if (p.empty()) std::abort();
    const uint64_t w = p.width(), h = p.height();
    if (w == 0 || h == 0 || w > kMaxPictureSide || h > kMaxPictureSide) std::abort();
    if (p.stride() != dibStride(w, p.bits())) std::abort();
    if (p.size() != kDibHeaderSize + size_t(p.colours()) * 4 + p.stride() * h) std::abort();
    if (p.bits() <= 8 && p.colours() > (1u << p.bits())) std::abort();
    if (image.format == ImageFormat::None) std::abort();
    // Only small pictures go on through the stretch: large ones are mostly
    // untouched zero pages, and reading them all would only slow the runs.
    if (w * h > 48 * 48) return;
    static const Preferences prefs = defaultPreferences();
    const CloudColours colours(prefs.cloudColours);
    CloudMap map;
    const CloudSourceColours source(colours);
    if (!stretchPicture(p, &source, 32, 16, map) || map.size() != 32 * 16) std::abort();
    smoothCloudMap(map, 32, 16);
}

} // namespace gv::fuzz
