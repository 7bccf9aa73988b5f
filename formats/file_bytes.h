#pragma once
// Whole-file reading for the shared formats (standard library only; writing
// goes through the platform's atomic replace).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gv {

// The file's bytes, or nothing when it cannot be opened. At most maxBytes are
// read, so a huge file never forces a huge allocation.
std::optional<std::vector<uint8_t>> readFileBytes(const std::string& path,
                                                  std::size_t maxBytes = 64u << 20);

} // namespace gv
