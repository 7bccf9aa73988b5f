#include "net/server_address.h"

#include <algorithm>

namespace gv {

namespace {

std::optional<uint16_t> parsePort(const std::string& digits) {
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    uint32_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + uint32_t(c - '0');
    }
    if (value == 0 || value > 65535) return std::nullopt;
    return uint16_t(value);
}

// The characters of an IPv6 address (no zone).
bool ipv6Text(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') ||
               c == ':' || c == '.';
    });
}

bool startsWithNoCase(const std::string& text, const char* prefix) {
    for (std::size_t i = 0; prefix[i] != 0; ++i) {
        if (i >= text.size()) return false;
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

} // namespace

std::optional<ServerAddress> parseAuthority(const std::string& text, uint16_t defaultPort) {
    if (text.empty() || std::any_of(text.begin(), text.end(), [](char c) {
            return uint8_t(c) <= 0x20 || c == 0x7F || c == '/' || c == '@' || c == '?' || c == '#';
        }))
        return std::nullopt;
    ServerAddress out;
    out.port = defaultPort;
    if (text[0] == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string::npos || close == 1) return std::nullopt;
        out.host = text.substr(1, close - 1);
        if (!ipv6Text(out.host)) return std::nullopt;
        const std::string rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest[0] != ':') return std::nullopt;
            const auto port = parsePort(rest.substr(1));
            if (!port) return std::nullopt;
            out.port = *port;
        }
        return out;
    }
    if (text.find_first_of("[]") != std::string::npos) return std::nullopt;
    const std::size_t colon = text.find(':');
    if (colon != std::string::npos && text.find(':', colon + 1) != std::string::npos) {
        // An IPv6 address written without brackets, and so without a port.
        if (!ipv6Text(text)) return std::nullopt;
        out.host = text;
        return out;
    }
    if (colon == std::string::npos) {
        out.host = text;
        return out;
    }
    if (colon == 0) return std::nullopt;
    const auto port = parsePort(text.substr(colon + 1));
    if (!port) return std::nullopt;
    out.host = text.substr(0, colon);
    out.port = *port;
    return out;
}

std::optional<ServerAddress> parseServerAddress(const std::string& text) {
    std::string rest = text;
    bool secure = false;
    if (startsWithNoCase(text, "https://")) {
        secure = true;
        rest = text.substr(8);
    } else if (startsWithNoCase(text, "http://")) {
        rest = text.substr(7);
    } else if (text.find("://") != std::string::npos) {
        return std::nullopt;
    }
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
    std::optional<ServerAddress> out = parseAuthority(rest, secure ? kHttpsPort : kHttpPort);
    if (out) out->secure = secure;
    return out;
}

} // namespace gv
