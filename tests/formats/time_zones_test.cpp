#include "formats/time_zones.h"

#include <gtest/gtest.h>

#include <clocale>

namespace gv {
namespace {

std::tm utcAt(int hour, int minute, int second = 0) {
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 31;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

class ApproximateTime : public ::testing::Test {
  protected:
    void SetUp() override { std::setlocale(LC_TIME, "C"); }
    static std::string at(int zone, int hour, int minute) {
        return approximateLocalTime(makeLocationRecord("x", 0, 0, zone), utcAt(hour, minute));
    }
};

TEST_F(ApproximateTime, HoursWrapWithoutTouchingTheDate) {
    EXPECT_EQ(at(1, 23, 30), "00:30:00");
    EXPECT_EQ(at(-5, 2, 10), "21:10:00");
    EXPECT_EQ(at(13, 23, 0), "12:00:00");
    EXPECT_EQ(at(-12, 0, 0), "12:00:00");
    const std::tm local = approximateLocalTm(makeLocationRecord("x", 0, 0, 1), utcAt(23, 30));
    EXPECT_EQ(local.tm_mday, 31);
    EXPECT_EQ(local.tm_mon, 11);
}

TEST_F(ApproximateTime, ZonesFromAnEditedFileStillGiveAnHourOfTheDay) {
    EXPECT_EQ(at(100, 3, 0), "07:00:00");  // 103 mod 24
    EXPECT_EQ(at(-100, 3, 0), "23:00:00"); // -97 wraps to 23
}

TEST(TimeZoneTable, LabelsAndOffsets) {
    EXPECT_STREQ(TimeZoneTable::labelOf(-12), "GMT-12");
    EXPECT_STREQ(TimeZoneTable::labelOf(0), "GMT");
    EXPECT_STREQ(TimeZoneTable::labelOf(13), "GMT+13");
    EXPECT_EQ(TimeZoneTable::labelOf(14), nullptr);
    EXPECT_EQ(TimeZoneTable::labelOf(-13), nullptr);
    EXPECT_EQ(TimeZoneTable::offsetOfIndex(25), 13);
}

TEST(DegreeEntry, EntryToDecimalAndBack) {
    EXPECT_FLOAT_EQ(decimalFromEntry(12, 30, 's'), -12.5f);
    EXPECT_FLOAT_EQ(decimalFromEntry(12, 30, 'n'), 12.5f);
    EXPECT_FLOAT_EQ(decimalFromEntry(12, 30, 'N'), 12.5f);
    EXPECT_FLOAT_EQ(decimalFromEntry(0, 5, 'W'), -0.083333336f);
    EXPECT_FLOAT_EQ(decimalFromEntry(999, 99, 'e'), 999.0f + 99 * 0.016666668f);

    const DegreeEntry london = entryFromDecimal(-0.0833f);
    EXPECT_EQ(london.degrees, 0u);
    EXPECT_EQ(london.minutes, 5u);
    EXPECT_TRUE(london.southOrWest);

    // A fraction that rounds up shows 60 minutes; entered back it is the next degree.
    const DegreeEntry almost = entryFromDecimal(10.9999f);
    EXPECT_EQ(almost.degrees, 10u);
    EXPECT_EQ(almost.minutes, 60u);
    EXPECT_FALSE(almost.southOrWest);
    EXPECT_FLOAT_EQ(decimalFromEntryExtended(almost.degrees, almost.minutes, 'N'), 11.0f);
    EXPECT_FLOAT_EQ(decimalFromEntry(almost.degrees, almost.minutes, 'N'), 11.0f);
}

} // namespace
} // namespace gv
