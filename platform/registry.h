#pragma once
// Per-user settings values. On Windows the registry under HKEY_CURRENT_USER;
// on Linux a key file per registry key:
//   $XDG_CONFIG_HOME/<key path without "SOFTWARE\", backslashes as slashes>.reg
// (~/.config when XDG_CONFIG_HOME is unset), holding lines "Name=Value".
// Lines starting with '#' or ';' are comments.
#include <optional>
#include <string>
#include <string_view>

namespace gv::platform {

// The text value, or nothing when the key or the value does not exist.
// At most maxBytes - 1 characters are returned, as a fixed buffer would hold.
std::optional<std::string> readRegistryString(std::string_view keyPath, std::string_view valueName,
                                              std::size_t maxBytes = 260);

// Where the Linux key file of keyPath lives (for documentation and tests).
std::string registryKeyFile(std::string_view keyPath);

} // namespace gv::platform
