#include "net/http_url.h"

#include <algorithm>

namespace gv {

namespace {

bool usableText(const std::string& text) {
    return std::none_of(text.begin(), text.end(),
                        [](char c) { return uint8_t(c) <= 0x20 || uint8_t(c) >= 0x7F; });
}

std::string lowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

// The five parts of a reference (RFC 3986, appendix B); a part that is
// absent differs from one that is empty.
struct Reference {
    std::optional<std::string> scheme, authority, query;
    std::string path;
};

Reference splitReference(const std::string& text) {
    Reference r;
    std::string rest = text.substr(0, text.find('#'));
    const std::size_t colon = rest.find(':');
    const std::size_t firstDelimiter = rest.find_first_of("/?");
    if (colon != std::string::npos && colon > 0 &&
        (firstDelimiter == std::string::npos || colon < firstDelimiter)) {
        r.scheme = rest.substr(0, colon);
        rest = rest.substr(colon + 1);
    }
    if (rest.compare(0, 2, "//") == 0) {
        const std::size_t end = rest.find_first_of("/?", 2);
        r.authority = rest.substr(2, end == std::string::npos ? std::string::npos : end - 2);
        rest = end == std::string::npos ? "" : rest.substr(end);
    }
    const std::size_t question = rest.find('?');
    if (question != std::string::npos) {
        r.query = rest.substr(question + 1);
        rest = rest.substr(0, question);
    }
    r.path = rest;
    return r;
}

// RFC 3986, section 5.2.4.
std::string removeDotSegments(std::string input) {
    std::string output;
    while (!input.empty()) {
        if (input.compare(0, 3, "../") == 0) {
            input.erase(0, 3);
        } else if (input.compare(0, 2, "./") == 0) {
            input.erase(0, 2);
        } else if (input.compare(0, 3, "/./") == 0) {
            input.erase(0, 2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.compare(0, 4, "/../") == 0 || input == "/..") {
            input = input.size() == 3 ? "/" : input.substr(3);
            const std::size_t last = output.rfind('/');
            output.erase(last == std::string::npos ? 0 : last);
        } else if (input == "." || input == "..") {
            input.clear();
        } else {
            const std::size_t next = input.find('/', 1);
            const std::size_t count = next == std::string::npos ? input.size() : next;
            output.append(input, 0, count);
            input.erase(0, count);
        }
    }
    return output;
}

std::optional<HttpUrl> fromParts(bool secure, const std::string& authority, const std::string& path,
                                 const std::optional<std::string>& query) {
    const std::optional<ServerAddress> server =
        parseAuthority(authority, secure ? kHttpsPort : kHttpPort);
    if (!server) return std::nullopt;
    HttpUrl url;
    url.secure = secure;
    url.host = server->host;
    url.port = server->port;
    url.target = path.empty() ? "/" : path;
    if (url.target[0] != '/') return std::nullopt;
    if (query) url.target += "?" + *query;
    return url;
}

} // namespace

std::string HttpUrl::hostField() const {
    std::string field = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    if (port != (secure ? kHttpsPort : kHttpPort)) field += ":" + std::to_string(port);
    return field;
}

std::string HttpUrl::text() const {
    return (secure ? "https://" : "http://") + hostField() + target;
}

std::optional<HttpUrl> makeHttpUrl(const std::string& server, const std::string& target) {
    const std::optional<ServerAddress> address = parseServerAddress(server);
    if (!address || target.empty() || target[0] != '/' || !usableText(target)) return std::nullopt;
    HttpUrl url;
    url.secure = address->secure;
    url.host = address->host;
    url.port = address->port;
    url.target = target;
    return url;
}

std::optional<HttpUrl> resolveLocation(const HttpUrl& base, const std::string& location) {
    if (!usableText(location)) return std::nullopt;
    const Reference r = splitReference(location);

    const std::size_t question = base.target.find('?');
    const std::string basePath = base.target.substr(0, question);
    std::optional<std::string> baseQuery;
    if (question != std::string::npos) baseQuery = base.target.substr(question + 1);

    if (r.scheme) {
        const std::string scheme = lowerCase(*r.scheme);
        if ((scheme != "http" && scheme != "https") || !r.authority) return std::nullopt;
        return fromParts(scheme == "https", *r.authority, removeDotSegments(r.path), r.query);
    }
    if (r.authority)
        return fromParts(base.secure, *r.authority, removeDotSegments(r.path), r.query);

    HttpUrl url = base;
    if (r.path.empty()) {
        url.target = basePath + (r.query ? "?" + *r.query : baseQuery ? "?" + *baseQuery : "");
        return url;
    }
    std::string path;
    if (r.path[0] == '/') {
        path = removeDotSegments(r.path);
    } else {
        // Merged with the base path up to its last "/" (the base always has
        // an authority and a path from "/" on).
        path = removeDotSegments(basePath.substr(0, basePath.rfind('/') + 1) + r.path);
    }
    url.target = (path.empty() ? "/" : path) + (r.query ? "?" + *r.query : "");
    return url;
}

} // namespace gv
