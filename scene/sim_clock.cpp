#include "scene/sim_clock.h"

#include "scene/calendar.h"

namespace gv {

namespace {

void splitUtc(std::time_t t, std::tm& out) {
#ifdef _WIN32
    gmtime_s(&out, &t);
#else
    gmtime_r(&t, &out);
#endif
}

void splitLocal(std::time_t t, std::tm& out) {
#ifdef _WIN32
    localtime_s(&out, &t);
#else
    localtime_r(&t, &out);
#endif
}

float hoursOf(const std::tm& t) {
    return static_cast<float>(t.tm_sec) / 3600.0f + static_cast<float>(t.tm_min) / 60.0f +
           static_cast<float>(t.tm_hour);
}

} // namespace

ClockSample sampleClock(std::time_t now, int64_t extraSeconds) {
    // Adding the extra seconds to the seconds field and normalising both
    // broken-down records gives the records of the shifted instant, which is
    // what is split here. Two things differ from pushing the UTC record
    // through mktime: it would read that record as local time and, in a
    // daylight-saving season, come back an hour off (and the zone offset
    // with it); and a large total cannot overflow the int seconds field.
    ClockSample s;
    s.simulatedTime = static_cast<std::time_t>(static_cast<int64_t>(now) + extraSeconds);
    splitUtc(s.simulatedTime, s.utc);
    splitLocal(s.simulatedTime, s.local);

    // The local fields read as if they were UTC, minus the instant: the
    // zone's offset at that instant, daylight saving included.
    s.zoneOffsetHours =
        static_cast<float>(utcCalendarSeconds(s.local) - static_cast<int64_t>(s.simulatedTime)) /
        3600.0f;

    s.utcDayFraction = hoursOf(s.utc) / 24.0f;
    s.localHours = hoursOf(s.local);
    s.localDayOfYear = s.local.tm_yday;
    return s;
}

const ClockSample& SimClock::update(int64_t extraSecondsTotal) {
    return updateAt(std::time(nullptr), extraSecondsTotal);
}

const ClockSample& SimClock::updateAt(std::time_t wallTime, int64_t extraSecondsTotal) {
    sample_ = sampleClock(wallTime, extraSecondsTotal);
    return sample_;
}

} // namespace gv
