#pragma once
// Resources built into the program, found by type and identifier as the
// programs' own resource sections are on Windows. The build embeds the files
// of resources/ into a table that the program registers at start.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace gv::platform {

inline constexpr std::string_view kResourceBinary = "BINARY"; // font metrics, cities
inline constexpr std::string_view kResourceBitmap = "BITMAP"; // DIB without file header
inline constexpr std::string_view kResourceRawData = "RCDATA";
inline constexpr std::string_view kResourceIcon = "ICON";

struct ResourceEntry {
    std::string_view type;
    uint32_t id;
    std::span<const uint8_t> bytes;
};

// Makes a table the one that findResource searches. The table must outlive
// every lookup (the embedded tables are static).
void setResourceTable(std::span<const ResourceEntry> table);

// The resource's bytes, or an empty span when there is none.
std::span<const uint8_t> findResource(std::string_view type, uint32_t id);

} // namespace gv::platform
