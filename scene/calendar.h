#pragma once
// Calendar arithmetic that does not depend on the process time zone.
#include <cstdint>
#include <ctime>

namespace gv {

// Seconds since 1970-01-01 00:00 UTC of a UTC broken-down record. Fields out
// of range carry the way mktime carries them (61 minutes is 1 h 1 min,
// month 12 is January of the next year); weekday, day of year and the
// daylight flag are ignored.
int64_t utcCalendarSeconds(const std::tm& utc);

// 2000 January 1, 12:00:00 UTC, the J2000.0 epoch, in the same seconds.
inline constexpr int64_t kJ2000Seconds = 946728000;

} // namespace gv
