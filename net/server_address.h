#pragma once
// The cloud-map server as the preferences name it: a host name or address,
// optionally with a port ("example.org", "example.org:8080", "192.0.2.7:81",
// "[2001:db8::1]:8080", or a bare IPv6 address without a port), optionally
// led by its scheme: "https://" speaks TLS, "http://" or none plain HTTP.
#include <cstdint>
#include <optional>
#include <string>

namespace gv {

inline constexpr uint16_t kHttpPort = 80;
inline constexpr uint16_t kHttpsPort = 443;

struct ServerAddress {
    bool secure = false; // https
    std::string host;    // what name resolution takes: no brackets, no port
    uint16_t port = kHttpPort;
};

// Nothing when the text names no usable server: empty, a scheme other than
// http or https, a path after the server (a lone "/" is allowed), a port that
// is not a number from 1 to 65535, an unclosed bracket, user information,
// spaces or control characters.
std::optional<ServerAddress> parseServerAddress(const std::string& text);
// The host and port part alone ("name", "name:port", "[v6]:port"), with the
// port a scheme gives when none is written.
std::optional<ServerAddress> parseAuthority(const std::string& text, uint16_t defaultPort);

} // namespace gv
