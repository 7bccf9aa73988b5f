#pragma once
// "geovista.sel": the chosen places as 32-bit little-endian database indices.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace gv {

inline constexpr const char* kSelectionFileName = "geovista.sel";

// Every complete 4-byte value in order; a trailing group of fewer than 4 bytes
// is ignored.
std::vector<uint32_t> decodeSelection(std::span<const uint8_t> bytes);
std::vector<uint8_t> encodeSelection(std::span<const uint32_t> indices);

// Reads the file; nothing when it cannot be opened. Values that do not name a
// record of a database of databaseSize places are dropped: they would point
// past the list, and the file is only meaningful together with the database.
std::optional<std::vector<uint32_t>> readSelectionFile(const std::string& path,
                                                       std::size_t databaseSize);

} // namespace gv
