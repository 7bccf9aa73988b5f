#pragma once
// "geovista.sel": the chosen places as 32-bit little-endian database indices.
#include <cstdint>
#include <span>
#include <vector>

namespace gv {

inline constexpr const char* kSelectionFileName = "geovista.sel";

// Every complete 4-byte value in order; a trailing group of fewer than 4 bytes
// is ignored.
std::vector<uint32_t> decodeSelection(std::span<const uint8_t> bytes);
std::vector<uint8_t> encodeSelection(std::span<const uint32_t> indices);

} // namespace gv
