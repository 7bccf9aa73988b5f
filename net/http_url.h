#pragma once
// The address of one request: scheme, server and request target, made from
// the preferences' server and path, or from a redirect's Location resolved
// against the address it answered.
#include "net/server_address.h"

#include <optional>
#include <string>

namespace gv {

struct HttpUrl {
    bool secure = false; // https
    std::string host;    // no brackets
    uint16_t port = kHttpPort;
    std::string target; // the path with its query, from "/" on; never a fragment

    // The Host field: brackets round an IPv6 address, the port unless it is
    // the scheme's own.
    std::string hostField() const;
    // "https://host:port/target", as the log shows it.
    std::string text() const;
    bool operator==(const HttpUrl&) const = default;
};

// Nothing when the server text is unusable (server_address.h) or the path
// does not start with "/" or holds spaces or control characters.
std::optional<HttpUrl> makeHttpUrl(const std::string& server, const std::string& target);

// A Location field resolved against the address it came with, by the rules
// for relative references (RFC 3986, section 5.2, strict): absolute http or
// https addresses, "//server/path", "/path", "path", "../path", "?query" and
// the empty reference; dot segments removed, a fragment dropped. Nothing for
// another scheme, user information, an unusable server, or spaces, control
// or non-ASCII characters.
std::optional<HttpUrl> resolveLocation(const HttpUrl& base, const std::string& location);

} // namespace gv
