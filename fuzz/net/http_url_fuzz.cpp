// Redirect locations resolved against a base made from the input's first
// line: whatever comes back is a request that can be sent as it is, carries
// no dot segments, and names itself (resolved again from its own text it is
// the same address).
#include "net/http_url.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

bool dotSegment(const std::string& path) {
    return path.find("/./") != std::string::npos || path.find("/../") != std::string::npos ||
           path.ends_with("/.") || path.ends_with("/..");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    if (newline == std::string::npos) return 0;
    static const char* const servers[] = {"example.org", "https://example.org:8443",
                                          "[2001:db8::1]:81", "http://192.0.2.7/"};
    // The base is an address already asked for: itself resolved from the
    // first line (a configured path is sent as it is and may keep its dot
    // segments, which only an empty location would give back).
    const std::string first = input.substr(0, newline);
    const std::optional<gv::HttpUrl> server =
        gv::makeHttpUrl(servers[first.empty() ? 0 : uint8_t(first[0]) % 4], "/");
    const std::optional<gv::HttpUrl> base =
        gv::resolveLocation(*server, first.empty() ? "" : first.substr(1));
    if (!base) return 0;
    const std::optional<gv::HttpUrl> url = gv::resolveLocation(*base, input.substr(newline + 1));
    if (!url) return 0;
    check(!url->host.empty() && url->port != 0);
    check(!url->target.empty() && url->target[0] == '/');
    for (char c : url->target)
        check(static_cast<unsigned char>(c) > 0x20 && static_cast<unsigned char>(c) < 0x7F &&
              c != '#');
    check(!dotSegment(url->target.substr(0, url->target.find('?'))));
    const std::optional<gv::HttpUrl> again = gv::resolveLocation(*base, url->text());
    check(again && *again == *url);
    return 0;
}
