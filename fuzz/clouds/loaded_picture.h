#pragma once
// What the loader harnesses check: a refusal leaves the loader empty and,
// for a file that carries the given signature, says why; an accepted picture
// is consistent and, when small, goes through the stretch with the
// classification its channels call for to a small map of a size the input
// picks, and the smoothing.
#include "clouds/cloud_map.h"
#include "formats/preferences.h"
#include "fuzz/imaging/picture_checks.h"
#include "imaging/image_loader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

namespace gv::fuzz {

inline void loadAndBuild(const uint8_t* data, size_t size,
                         std::span<const uint8_t> signature = {}) {
    ImageLoader loader;
    if (!loader.loadBytes(std::span<const uint8_t>(data, size))) {
        if (loader.format() != ImageFormat::None || !loader.picture().empty()) std::abort();
        const bool signed_ = !signature.empty() && size >= signature.size() &&
                             std::memcmp(data, signature.data(), signature.size()) == 0;
        if (signed_ && loader.refusal().empty()) std::abort();
        return;
    }
    checkPicture(loader.picture(), loader.format());
    const PackedDib& p = loader.picture();
    if (loader.width() != p.width() || loader.height() != p.height()) std::abort();
    if (loader.channels() == PictureChannels::Alpha && p.bits() != 32) std::abort();
    if (uint64_t(p.width()) * p.height() > 64 * 64) return;
    static const Preferences prefs = defaultPreferences();
    const CloudColours colours(prefs.cloudColours);
    // A small map: the full one would spend each run on the same arithmetic.
    const CloudSourceColours byColour(colours);
    const BrightnessSourceColours byBrightness;
    const AlphaSourceColours byAlpha;
    const SourceColours* source = &byColour;
    if (loader.channels() == PictureChannels::Grey) source = &byBrightness;
    if (loader.channels() == PictureChannels::Alpha) source = &byAlpha;
    CloudMap map;
    const uint32_t w = 8 + data[0] % 32, h = 4 + data[size - 1] % 16;
    if (!stretchPicture(p, source, w, h, map) || map.size() != size_t(w) * h) std::abort();
    smoothCloudMap(map, w, h);
}

} // namespace gv::fuzz
