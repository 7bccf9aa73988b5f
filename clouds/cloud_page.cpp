#include "clouds/cloud_page.h"

#include <cstring>

namespace gv {

namespace {

constexpr std::string_view kImageMarker = "/earthview/cache/";
constexpr std::string_view kImageSuffix = ".gif";
constexpr std::size_t kPathLimit = 259;

// What RFC 3986 lets a path (and a query) carry without escaping, and the
// escape itself.
bool pathCharacter(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::strchr("-._~%!$&'()*+,;=:@/?", c) != nullptr && c != 0;
}

} // namespace

std::optional<std::string> findCloudImagePath(std::string_view page) {
    page = page.substr(0, kCloudPageHead);
    page = page.substr(0, page.find('\0'));
    const std::size_t start = page.find(kImageMarker);
    if (start == std::string_view::npos) return std::nullopt;
    const std::size_t suffix = page.find(kImageSuffix, start + kImageMarker.size());
    if (suffix == std::string_view::npos) return std::nullopt;
    const std::string_view path = page.substr(start, suffix + kImageSuffix.size() - start);
    if (path.size() > kPathLimit) return std::nullopt;
    for (char c : path)
        if (!pathCharacter(c)) return std::nullopt;
    return std::string(path);
}

} // namespace gv
