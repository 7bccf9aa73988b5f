#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <string>

#include "clock_samples.h"
#include "scene/calendar.h"
#include "scene/sim_clock.h"
#include "support/os_calls.h"

namespace gv {
namespace {

// Runs a test body under a given TZ and puts the old one back.
class ZoneGuard {
  public:
    explicit ZoneGuard(const char* zone) {
        if (const char* old = std::getenv("TZ")) {
            had_ = true;
            old_ = old;
        }
        test::setEnvironment("TZ", zone);
        test::reloadTimeZone();
    }
    ~ZoneGuard() {
        if (had_)
            test::setEnvironment("TZ", old_.c_str());
        else
            test::unsetEnvironment("TZ");
        test::reloadTimeZone();
    }

  private:
    bool had_ = false;
    std::string old_;
};

using test::utcTime;

TEST(Calendar, UtcSecondsMatchTheCLibraryAndCarryOverflow) {
    for (std::time_t t = -2000000000; t < 4200000000; t += 86400 * 97 + 3671) {
        ASSERT_EQ(utcCalendarSeconds(test::utcRecord(t)), t);
    }
    std::tm over{};
    over.tm_year = 123;
    over.tm_mon = 11;
    over.tm_mday = 31;
    over.tm_hour = 23;
    over.tm_sec = 3600 + 61;
    EXPECT_EQ(utcCalendarSeconds(over), utcTime(2024, 1, 1, 0, 1, 1));
    over.tm_mon = 14;
    over.tm_sec = 0;
    EXPECT_EQ(utcCalendarSeconds(over), utcTime(2024, 3, 31, 23, 0, 0));
    EXPECT_EQ(kJ2000Seconds, utcTime(2000, 1, 1, 12, 0, 0));
}

TEST(SimClock, RecordsAndDerivedValuesInAFixedZone) {
    ZoneGuard zone("JST-9");
    SimClock clock;
    const ClockSample& s = clock.updateAt(utcTime(2024, 2, 29, 18, 30, 36), 0);
    EXPECT_EQ(s.utc.tm_hour, 18);
    EXPECT_EQ(s.utc.tm_mday, 29);
    EXPECT_EQ(s.utc.tm_yday, 59);
    EXPECT_EQ(s.local.tm_hour, 3);
    EXPECT_EQ(s.local.tm_mday, 1);
    EXPECT_EQ(s.local.tm_mon, 2);
    EXPECT_FLOAT_EQ(s.zoneOffsetHours, 9.0f);
    EXPECT_FLOAT_EQ(s.utcDayFraction, (18 + 30 / 60.0f + 36 / 3600.0f) / 24.0f);
    EXPECT_FLOAT_EQ(s.localHours, 3 + 30 / 60.0f + 36 / 3600.0f);
    EXPECT_EQ(s.localDayOfYear, 60); // 1 March of a leap year, counted from 0
    EXPECT_EQ(&clock.sample(), &s);
}

TEST(SimClock, DaylightSavingKeepsTheUtcRecordTrue) {
    ZoneGuard zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const ClockSample summer = sampleClock(utcTime(2025, 7, 14, 12, 0, 0), 0);
    EXPECT_EQ(summer.utc.tm_hour, 12);
    EXPECT_EQ(summer.local.tm_hour, 14);
    EXPECT_FLOAT_EQ(summer.zoneOffsetHours, 2.0f);
    EXPECT_FLOAT_EQ(summer.localHours - summer.zoneOffsetHours, 12.0f);
    const ClockSample winter = sampleClock(utcTime(2025, 1, 14, 12, 0, 0), 0);
    EXPECT_FLOAT_EQ(winter.zoneOffsetHours, 1.0f);
    // Sixty extra hours carried over the autumn change: the local record
    // follows the zone's own clock.
    const std::time_t start = utcTime(2025, 10, 24, 22, 0, 0);
    const ClockSample over = sampleClock(start, 60 * 3600);
    const std::tm expected = test::localRecord(start + 60 * 3600);
    EXPECT_EQ(over.local.tm_hour, expected.tm_hour);
    EXPECT_EQ(over.local.tm_mday, expected.tm_mday);
    EXPECT_EQ(over.utc.tm_hour, 10);
    EXPECT_EQ(over.utc.tm_mday, 27);
    EXPECT_FLOAT_EQ(over.zoneOffsetHours, 1.0f);
}

// "EXTRA TIME ADVANCING" at 60 and 50 frames a second: the driver's running
// total grows by 60 a frame, 3000 simulated seconds per real second.
TEST(SimClock, ExtraTimeAdvancingRollsHoursDaysAndYears) {
    ZoneGuard zone("UTC0");
    SimClock clock;
    const std::time_t start = utcTime(2023, 12, 30, 22, 59, 0);
    int32_t extraTotal = 0;
    int previousHour = -1;
    int hourChanges = 0;
    // 60 real seconds at 50 fps: 3000 frames, 180000 s = 50 simulated hours.
    for (int frame = 1; frame <= 3000; ++frame) {
        extraTotal += 60;
        const std::time_t wall = start + frame / 50;
        const ClockSample& s = clock.updateAt(wall, extraTotal);
        if (s.utc.tm_hour != previousHour) {
            ++hourChanges;
            previousHour = s.utc.tm_hour;
        }
        ASSERT_GE(s.utc.tm_sec, 0);
        ASSERT_LT(s.utc.tm_sec, 60);
        ASSERT_LT(s.utc.tm_min, 60);
        ASSERT_LT(s.utc.tm_hour, 24);
        ASSERT_FLOAT_EQ(s.zoneOffsetHours, 0.0f);
    }
    EXPECT_EQ(extraTotal, 180000);
    const ClockSample& end = clock.sample();
    // 2023-12-30 22:59 + 60 s + 50 h = 2024-01-02 01:00.
    EXPECT_EQ(end.utc.tm_year, 124);
    EXPECT_EQ(end.utc.tm_mon, 0);
    EXPECT_EQ(end.utc.tm_mday, 2);
    EXPECT_EQ(end.utc.tm_hour, 1);
    EXPECT_EQ(end.utc.tm_min, 0);
    EXPECT_EQ(end.localDayOfYear, 1);
    EXPECT_EQ(hourChanges, 51);
    EXPECT_EQ(end.simulatedTime, start + 60 + 180000);
}

TEST(SimClock, SixtyRollingHoursAndLargeOffsets) {
    ZoneGuard zone("EST5");
    const std::time_t start = utcTime(2024, 2, 28, 20, 15, 0);
    const ClockSample s = sampleClock(start, 60 * 3600);
    // UTC: 2024-03-02 08:15; New York standard time five hours behind.
    EXPECT_EQ(s.utc.tm_mon, 2);
    EXPECT_EQ(s.utc.tm_mday, 2);
    EXPECT_EQ(s.utc.tm_hour, 8);
    EXPECT_EQ(s.local.tm_mday, 2);
    EXPECT_EQ(s.local.tm_hour, 3);
    EXPECT_EQ(s.local.tm_yday, 61);
    EXPECT_FLOAT_EQ(s.zoneOffsetHours, -5.0f);
    // A year of extra seconds still lands on the right calendar day.
    const ClockSample y = sampleClock(start, 366 * 86400);
    EXPECT_EQ(y.utc.tm_year, 125);
    EXPECT_EQ(y.utc.tm_mon, 1);
    EXPECT_EQ(y.utc.tm_mday, 28);
    // A total past what 32 bits hold: 40 million frames at 60 extra seconds,
    // 2 400 000 000 s = 27777 days and 18 h 40 min. 20:15 + 18:40 is 14:55
    // on 29 February 2024; 27777 days later it is 19 March 2100 (day 77 of
    // that common year), 09:55 in New York's standard time.
    const ClockSample far = sampleClock(start, int64_t(40000000) * 60);
    EXPECT_EQ(far.simulatedTime, start + std::time_t(2400000000));
    EXPECT_EQ(far.utc.tm_year, 200);
    EXPECT_EQ(far.utc.tm_mon, 2);
    EXPECT_EQ(far.utc.tm_mday, 19);
    EXPECT_EQ(far.utc.tm_hour, 14);
    EXPECT_EQ(far.utc.tm_min, 55);
    EXPECT_EQ(far.local.tm_hour, 9);
    EXPECT_EQ(far.local.tm_yday, 77);
    EXPECT_FLOAT_EQ(far.zoneOffsetHours, -5.0f);
}

TEST(SimClock, UpdateReadsTheSystemClock) {
    SimClock clock;
    const std::time_t before = std::time(nullptr);
    const ClockSample& s = clock.update(7200);
    const std::time_t after = std::time(nullptr);
    EXPECT_GE(s.simulatedTime, before + 7200);
    EXPECT_LE(s.simulatedTime, after + 7200);
}

} // namespace
} // namespace gv
