// Any picture through the loader, then, when it is small, through the stretch
// with the cloud classification to a small map of a size the input picks,
// and the smoothing: refused cleanly or a map of the asked size, never a
// crash.
#include "clouds/cloud_map.h"
#include "clouds/image_loader.h"
#include "formats/preferences.h"
#include "picture_checks.h"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gv::ImageLoader loader;
    if (!loader.loadBytes(std::span<const uint8_t>(data, size))) {
        if (loader.format() != gv::ImageFormat::None || !loader.picture().empty()) std::abort();
        return 0;
    }
    const gv::PackedDib& p = loader.picture();
    if (loader.width() != p.width() || loader.height() != p.height()) std::abort();
    if (uint64_t(p.width()) * p.height() > 64 * 64) return 0;
    static const gv::Preferences prefs = gv::defaultPreferences();
    const gv::CloudColours colours(prefs.cloudColours);
    // A small map: the full one would spend each run on the same arithmetic.
    const gv::CloudSourceColours source(colours);
    gv::CloudMap map;
    const uint32_t w = 8 + data[0] % 32, h = 4 + data[size - 1] % 16;
    if (!gv::stretchPicture(p, &source, w, h, map) || map.size() != size_t(w) * h) std::abort();
    gv::smoothCloudMap(map, w, h);
    return 0;
}
