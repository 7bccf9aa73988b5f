#pragma once
// The page the cloud-map service answers the first request with: it names
// the freshly rendered map by its path.
#include <optional>
#include <string>
#include <string_view>

namespace gv {

// How much of the page is read.
inline constexpr std::size_t kCloudPageHead = 4096;

// The image path the service's page names: from "/earthview/cache/" up to
// and including the first ".gif" after it, looked for in the page's first
// 4096 bytes (up to a zero byte). Nothing when there is none, when it is
// longer than 259 characters, or when it holds characters no request path
// may carry.
std::optional<std::string> findCloudImagePath(std::string_view page);

} // namespace gv
