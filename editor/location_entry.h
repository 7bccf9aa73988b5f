#pragma once
// The entry fields of the Locations tab as text, and their conversion to and
// from a database record.
#include "formats/location_record.h"

#include <string>

namespace gv::editor {

inline constexpr std::size_t kNameLimit = 30;     // characters typed into "Location name"
inline constexpr std::size_t kListNameLimit = 31; // a name as the lists show it

struct LocationEntry {
    std::string name; // Windows-1252
    std::string latitudeDegrees, latitudeMinutes;
    int latitudeHemisphere = -1; // 0 "N", 1 "S", -1 not chosen
    std::string longitudeDegrees, longitudeMinutes;
    int longitudeHemisphere = -1; // 0 "E", 1 "W", -1 not chosen
    int timeZone = -1;            // drop-down index 0..25 (offset + 12), -1 not chosen
};

// Every field filled: the name and the four number boxes not empty after
// trimming blanks (and digits only), the three drop-downs chosen.
bool entryComplete(const LocationEntry& entry);

// The place's name as the lists show it: up to its terminator, at most 31
// characters.
std::string listName(const LocationRecord& record);

// A record shown in the fields: its name; each coordinate as whole degrees,
// minutes rounded (60 can appear) and "S" or "W" for negative values; the
// zone's drop-down index. A coordinate that is not a number leaves its boxes
// empty, and a zone outside the list chooses nothing.
LocationEntry entryFromRecord(const LocationRecord& record);

// Degrees + minutes / 60 (in extended precision), negative for "S" or "W".
// Only for a complete entry.
float latitudeOf(const LocationEntry& entry);
float longitudeOf(const LocationEntry& entry);
int timeZoneOf(const LocationEntry& entry); // the stored offset: index - 12

} // namespace gv::editor
