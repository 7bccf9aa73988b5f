#pragma once
// Time zones, degree entry and the approximate local time of a place.
#include "formats/location_record.h"

#include <array>
#include <ctime>
#include <string>

namespace gv {

inline constexpr int kTimeZoneCount = 26;

// Index i stands for the whole-hour offset i - 12.
struct TimeZoneTable {
    static const std::array<const char*, kTimeZoneCount> labels;
    static int indexOfOffset(int hours) { return hours + 12; }
    static int offsetOfIndex(int index) { return index - 12; }
    // The label of an offset, or nullptr outside -12..+13.
    static const char* labelOf(int hours);
};

// Minutes weigh 1/60: the globe multiplies by the single-precision constant,
// the editor by 1/60 in extended precision; both store a float.
float decimalFromEntry(unsigned degrees, unsigned minutes, char hemisphere);
float decimalFromEntryExtended(unsigned degrees, unsigned minutes, char hemisphere);

struct DegreeEntry {
    unsigned degrees;
    unsigned minutes; // rounded, so 60 can appear
    bool southOrWest;
};
DegreeEntry entryFromDecimal(float value);

// The user's locale time-of-day form of tm (strftime "%X" under the locale
// chosen at start-up). The system's buffer holds 12 characters; a locale
// whose form does not fit falls back to 24-hour "HH:MM:SS".
std::string localeTimeText(const std::tm& time);
// The same into the 12-character buffer, without allocating.
void localeTimeInto(const std::tm& time, char (&text)[12]);

// UTC hour + the place's zone, wrapped to 0..23, minutes and seconds of UTC;
// the date is neither adjusted nor shown.
std::tm approximateLocalTm(const LocationRecord& record, const std::tm& utc);
std::string approximateLocalTime(const LocationRecord& record, const std::tm& utc);
void approximateLocalTimeInto(const LocationRecord& record, const std::tm& utc, char (&text)[12]);

} // namespace gv
