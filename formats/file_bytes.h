#pragma once
// Whole-file reading for the shared formats (standard library only; writing
// goes through the platform's atomic replace).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gv {

inline constexpr std::size_t kFileReadCap = 64u << 20;

// The file's bytes, or nothing when it cannot be opened. At most maxBytes are
// read, so a huge file never forces a huge allocation; whole, when given,
// tells whether that was all of the file (a caller that writes the file back
// must not write back a part).
std::optional<std::vector<uint8_t>>
readFileBytes(const std::string& path, std::size_t maxBytes = kFileReadCap, bool* whole = nullptr);

} // namespace gv
