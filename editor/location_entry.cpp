#include "editor/location_entry.h"

#include "editor/text_1252.h"
#include "formats/time_zones.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace gv::editor {

namespace {

bool digitsOnly(std::string_view text) {
    text = trimmedBlanks(text);
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

unsigned numberOf(std::string_view text) {
    text = trimmedBlanks(text);
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        v = std::min<uint64_t>(v * 10 + uint64_t(c - '0'), 0xFFFFFFFFu);
    }
    return unsigned(v);
}

void showCoordinate(float value, std::string& degrees, std::string& minutes, int& hemisphere) {
    hemisphere = std::signbit(value) && value != 0.0f ? 1 : 0;
    // Beyond what the boxes could ever hold the value is not shown at all.
    if (!std::isfinite(value) || std::fabs(value) >= 1.0e6f) {
        degrees.clear();
        minutes.clear();
        return;
    }
    const DegreeEntry e = entryFromDecimal(value);
    degrees = std::to_string(e.degrees);
    minutes = std::to_string(e.minutes);
    hemisphere = e.southOrWest ? 1 : 0;
}

} // namespace

bool entryComplete(const LocationEntry& e) {
    return !trimmedBlanks(e.name).empty() && digitsOnly(e.latitudeDegrees) &&
           digitsOnly(e.latitudeMinutes) && digitsOnly(e.longitudeDegrees) &&
           digitsOnly(e.longitudeMinutes) &&
           (e.latitudeHemisphere == 0 || e.latitudeHemisphere == 1) &&
           (e.longitudeHemisphere == 0 || e.longitudeHemisphere == 1) && e.timeZone >= 0 &&
           e.timeZone < kTimeZoneCount;
}

std::string listName(const LocationRecord& record) {
    return std::string(record.name, strnlen(record.name, kListNameLimit));
}

LocationEntry entryFromRecord(const LocationRecord& record) {
    LocationEntry e;
    e.name = listName(record);
    showCoordinate(record.latitude, e.latitudeDegrees, e.latitudeMinutes, e.latitudeHemisphere);
    showCoordinate(record.longitude, e.longitudeDegrees, e.longitudeMinutes, e.longitudeHemisphere);
    const int zone = TimeZoneTable::indexOfOffset(record.timeZone);
    e.timeZone = (zone >= 0 && zone < kTimeZoneCount) ? zone : -1;
    return e;
}

float latitudeOf(const LocationEntry& e) {
    return decimalFromEntryExtended(numberOf(e.latitudeDegrees), numberOf(e.latitudeMinutes),
                                    e.latitudeHemisphere == 1 ? 'S' : 'N');
}

float longitudeOf(const LocationEntry& e) {
    return decimalFromEntryExtended(numberOf(e.longitudeDegrees), numberOf(e.longitudeMinutes),
                                    e.longitudeHemisphere == 1 ? 'W' : 'E');
}

int timeZoneOf(const LocationEntry& e) {
    return TimeZoneTable::offsetOfIndex(e.timeZone);
}

} // namespace gv::editor
