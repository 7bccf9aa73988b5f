// The image path search on arbitrary pages: a path it names starts with the
// marker, ends with ".gif", fits the limit and lies within the page's head.
#include "clouds/cloud_page.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    const auto path = gv::findCloudImagePath(page);
    if (!path) return 0;
    if (path->rfind("/earthview/cache/", 0) != 0) std::abort();
    if (path->size() < 21 || path->compare(path->size() - 4, 4, ".gif") != 0) std::abort();
    if (path->size() > 259) std::abort();
    const std::size_t at = page.find(*path);
    if (at == std::string_view::npos || at + path->size() > gv::kCloudPageHead) std::abort();
    for (char c : *path)
        if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7F)
            std::abort();
    return 0;
}
