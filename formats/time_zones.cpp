#include "formats/time_zones.h"

#include <cmath>

namespace gv {

const std::array<const char*, kTimeZoneCount> TimeZoneTable::labels = {
    "GMT-12", "GMT-11", "GMT-10", "GMT-9", "GMT-8",  "GMT-7",  "GMT-6",  "GMT-5",  "GMT-4",
    "GMT-3",  "GMT-2",  "GMT-1",  "GMT",   "GMT+1",  "GMT+2",  "GMT+3",  "GMT+4",  "GMT+5",
    "GMT+6",  "GMT+7",  "GMT+8",  "GMT+9", "GMT+10", "GMT+11", "GMT+12", "GMT+13",
};

const char* TimeZoneTable::labelOf(int hours) {
    const int i = indexOfOffset(hours);
    return (i < 0 || i >= kTimeZoneCount) ? nullptr : labels[std::size_t(i)];
}

namespace {
bool isSouthOrWest(char hemisphere) {
    return hemisphere == 's' || hemisphere == 'S' || hemisphere == 'w' || hemisphere == 'W';
}
} // namespace

float decimalFromEntry(unsigned degrees, unsigned minutes, char hemisphere) {
    const float sign = isSouthOrWest(hemisphere) ? -1.0f : 1.0f;
    return sign * (float(degrees) + float(minutes) * 0.016666668f);
}

float decimalFromEntryExtended(unsigned degrees, unsigned minutes, char hemisphere) {
    const long double sign = isSouthOrWest(hemisphere) ? -1.0L : 1.0L;
    return float(sign * ((long double)degrees + (long double)minutes * (1.0L / 60.0L)));
}

DegreeEntry entryFromDecimal(float value) {
    const double magnitude = std::fabs(double(value));
    DegreeEntry e;
    e.degrees = unsigned(magnitude);
    e.minutes = unsigned(std::lround((magnitude - double(e.degrees)) * 60.0));
    e.southOrWest = value < 0.0f;
    return e;
}

void localeTimeInto(const std::tm& time, char (&text)[12]) {
    std::size_t n = std::strftime(text, sizeof text, "%X", &time);
    if (n == 0) n = std::strftime(text, sizeof text, "%H:%M:%S", &time);
    text[n] = 0;
}

std::string localeTimeText(const std::tm& time) {
    char buffer[12];
    localeTimeInto(time, buffer);
    return buffer;
}

std::tm approximateLocalTm(const LocationRecord& record, const std::tm& utc) {
    std::tm local = utc;
    int hour = utc.tm_hour + record.timeZone;
    // Wrap fully: a zone read from an edited file may lie outside -12..+13.
    hour %= 24;
    if (hour < 0) hour += 24;
    local.tm_hour = hour;
    return local;
}

std::string approximateLocalTime(const LocationRecord& record, const std::tm& utc) {
    return localeTimeText(approximateLocalTm(record, utc));
}

void approximateLocalTimeInto(const LocationRecord& record, const std::tm& utc, char (&text)[12]) {
    localeTimeInto(approximateLocalTm(record, utc), text);
}

} // namespace gv
