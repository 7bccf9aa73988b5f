#include "platform/registry.h"

#include <cstdlib>
#include <fstream>

namespace gv::platform {

std::string registryKeyFile(std::string_view keyPath) {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.config";
    else
        base = ".config";
    std::string rel(keyPath);
    constexpr std::string_view software = "SOFTWARE\\";
    if (rel.compare(0, software.size(), software) == 0) rel.erase(0, software.size());
    for (char& c : rel)
        if (c == '\\') c = '/';
    return base + "/" + rel + ".reg";
}

std::optional<std::string> readRegistryString(std::string_view keyPath, std::string_view valueName,
                                              std::size_t maxBytes) {
    std::ifstream in(registryKeyFile(keyPath));
    if (!in) return std::nullopt;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos || std::string_view(line).substr(0, eq) != valueName) continue;
        std::string value = line.substr(eq + 1);
        if (maxBytes > 0 && value.size() > maxBytes - 1) value.resize(maxBytes - 1);
        return value;
    }
    return std::nullopt;
}

} // namespace gv::platform
