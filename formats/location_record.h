#pragma once
// One place of the cities database: a 52-byte little-endian record.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace gv {

inline constexpr std::size_t kLocationRecordSize = 52;
inline constexpr std::size_t kLocationNameSize = 32;
inline constexpr uint16_t kAddedPlaceCountry = 0xFFFF;
inline constexpr uint32_t kAddedPlaceRegion = 0xFFFFFFFF;

struct LocationRecord {
    uint16_t catalogueCountry;
    uint8_t padding0[2]; // kept as read, so a rewritten file is byte-identical
    uint32_t catalogueRegion;
    char name[kLocationNameSize]; // Windows-1252, NUL-terminated
    float latitude;               // decimal degrees, north positive
    float longitude;              // decimal degrees, east positive
    int8_t timeZone;              // whole hours from UTC, -12..+13
    uint8_t padding1[3];
};

LocationRecord decodeLocationRecord(std::span<const uint8_t, kLocationRecordSize> bytes);
std::array<uint8_t, kLocationRecordSize> encodeLocationRecord(const LocationRecord& record);

// The name up to its terminator (or all 32 bytes when a file holds none).
std::string locationName(const LocationRecord& record);

// A record as the globe's insert form makes it: zeroed padding, the
// "added here" catalogue codes, the name cut to 30 characters.
LocationRecord makeLocationRecord(const std::string& name, float latitude, float longitude,
                                  int timeZone);

} // namespace gv
