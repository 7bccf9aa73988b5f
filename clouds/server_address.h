#pragma once
// The cloud-map server as the preferences name it: a host name or address,
// optionally with a port ("example.org", "example.org:8080", "192.0.2.7:81",
// "[2001:db8::1]:8080", or a bare IPv6 address without a port).
#include <cstdint>
#include <optional>
#include <string>

namespace gv {

inline constexpr uint16_t kHttpPort = 80;

struct ServerAddress {
    std::string host; // what name resolution takes: no brackets, no port
    uint16_t port = kHttpPort;
};

// Nothing when the text names no usable server: empty, a port that is not a
// number from 1 to 65535, an unclosed bracket, spaces or control characters.
std::optional<ServerAddress> parseServerAddress(const std::string& text);

} // namespace gv
