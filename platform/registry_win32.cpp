#include "platform/registry.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <vector>

namespace gv::platform {

std::string registryKeyFile(std::string_view keyPath) {
    return "HKEY_CURRENT_USER\\" + std::string(keyPath);
}

std::optional<std::string> readRegistryString(std::string_view keyPath, std::string_view valueName,
                                              std::size_t maxBytes) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, std::string(keyPath).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::vector<char> buffer(maxBytes + 1, 0);
    DWORD size = DWORD(maxBytes);
    DWORD type = 0;
    const LONG rc = RegQueryValueExA(key, std::string(valueName).c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(buffer.data()), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    return std::string(buffer.data());
}

} // namespace gv::platform
