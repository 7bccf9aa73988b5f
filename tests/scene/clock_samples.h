#pragma once
// Clock samples for chosen UTC instants, built by hand so that the scene's
// tests do not depend on the process time zone.
#include "scene/calendar.h"
#include "scene/sim_clock.h"
#include "support/os_calls.h"

#include <ctime>

namespace gv::test {

inline std::time_t utcTime(int year, int month, int day, int hour, int minute = 0, int second = 0) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return static_cast<std::time_t>(utcCalendarSeconds(t));
}

// The sample of a UTC instant in a zone `offsetHours` ahead of UTC.
inline ClockSample sampleAt(std::time_t utc, int offsetHours = 0) {
    ClockSample s;
    s.simulatedTime = utc;
    s.utc = utcRecord(utc);
    s.local = utcRecord(utc + offsetHours * 3600);
    s.zoneOffsetHours = static_cast<float>(offsetHours);
    s.utcDayFraction =
        (s.utc.tm_sec / 3600.0f + s.utc.tm_min / 60.0f + static_cast<float>(s.utc.tm_hour)) / 24;
    s.localHours =
        s.local.tm_sec / 3600.0f + s.local.tm_min / 60.0f + static_cast<float>(s.local.tm_hour);
    s.localDayOfYear = s.local.tm_yday;
    return s;
}

} // namespace gv::test
