// Any bytes as a preferences file: reading never goes past the record, the
// record survives a save and load unchanged, and the table lookups stay inside.
#include "formats/preferences.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gv::Preferences p = gv::defaultPreferences();
    gv::overlayPreferences(p, std::span(data, size));
    const auto bytes = gv::encodePreferences(p);
    const size_t n = size < bytes.size() ? size : bytes.size();
    if (n && std::memcmp(bytes.data(), data, n) != 0) std::abort();
    if (gv::encodePreferences(gv::decodePreferences(bytes)) != bytes) std::abort();
    (void)gv::overlayColour(p.titleColour, p.subtitleColour);
    (void)gv::clampedCameraIndex(p.currentCamera);
    // Switching an option changes its own bit and nothing else.
    auto switched = bytes;
    const bool was = gv::optionOn(switched, gv::OptionFlag::TrueSeasons);
    gv::setOption(switched, gv::OptionFlag::TrueSeasons, !was);
    if (gv::optionOn(switched, gv::OptionFlag::TrueSeasons) == was) std::abort();
    switched[gv::kOptionFlagsOffset] ^= uint8_t(gv::OptionFlag::TrueSeasons);
    if (switched != bytes) std::abort();
    return 0;
}
