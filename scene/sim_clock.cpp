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

ClockSample sampleClock(std::time_t now, int32_t extraSeconds) {
    ClockSample s;
    splitUtc(now, s.utc);
    splitLocal(now, s.local);
    s.utc.tm_sec += extraSeconds;
    s.local.tm_sec += extraSeconds;

    // The UTC record is normalised as UTC: pushed through the local-time
    // conversion it would pick up the zone's daylight-saving shift and be an
    // hour off for half the year.
    const int64_t utcSeconds = utcCalendarSeconds(s.utc);
    s.simulatedTime = static_cast<std::time_t>(utcSeconds);
    splitUtc(s.simulatedTime, s.utc);
    // The local record keeps its daylight flag, so mktime carries the shift
    // correctly across a change of season.
    const std::time_t localSeconds = std::mktime(&s.local);

    // The local record read as if it were UTC, minus the true instant: the
    // zone's offset at that instant, daylight saving included.
    std::tm localFields = s.local;
    s.zoneOffsetHours =
        static_cast<float>(utcCalendarSeconds(localFields) - static_cast<int64_t>(localSeconds)) /
        3600.0f;

    s.utcDayFraction = hoursOf(s.utc) / 24.0f;
    s.localHours = hoursOf(s.local);
    s.localDayOfYear = s.local.tm_yday;
    return s;
}

const ClockSample& SimClock::update(int32_t extraSecondsTotal) {
    return updateAt(std::time(nullptr), extraSecondsTotal);
}

const ClockSample& SimClock::updateAt(std::time_t wallTime, int32_t extraSecondsTotal) {
    sample_ = sampleClock(wallTime, extraSecondsTotal);
    return sample_;
}

} // namespace gv
