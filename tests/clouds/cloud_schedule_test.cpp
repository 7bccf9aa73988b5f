// The update schedule's rules that need no network: when an update is due,
// and which image path the service's page names.
#include "clouds/cloud_page.h"
#include "clouds/cloud_updater.h"
#include "formats/preferences.h"

#include <gtest/gtest.h>

#include <cstring>

namespace gv {
namespace {

std::tm localAt(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    std::mktime(&t); // fills weekday, day of year and the daylight flag
    return t;
}

class Schedule : public ::testing::Test {
  protected:
    Preferences prefs = defaultPreferences();
    void SetUp() override {
        prefs.cloudsFromSatellites = 1;
        prefs.cloudUpdateInterval = 3600;
        setLastCloudUpdateTime(prefs, localAt(2026, 6, 21, 12, 0, 0));
    }
};

TEST_F(Schedule, AnHourlyUpdateIsDueAfter3601SecondsNotAt3600) {
    EXPECT_FALSE(cloudUpdateDue(prefs, localAt(2026, 6, 21, 12, 0, 0)));
    EXPECT_FALSE(cloudUpdateDue(prefs, localAt(2026, 6, 21, 12, 59, 59)));
    EXPECT_FALSE(cloudUpdateDue(prefs, localAt(2026, 6, 21, 13, 0, 0)));
    EXPECT_TRUE(cloudUpdateDue(prefs, localAt(2026, 6, 21, 13, 0, 1)));
    // Across midnight and a month's end, through the calendar.
    setLastCloudUpdateTime(prefs, localAt(2026, 6, 30, 23, 30, 0));
    EXPECT_FALSE(cloudUpdateDue(prefs, localAt(2026, 7, 1, 0, 30, 0)));
    EXPECT_TRUE(cloudUpdateDue(prefs, localAt(2026, 7, 1, 0, 30, 1)));
    // Two hours: 7200 is not yet due, 7201 is.
    prefs.cloudUpdateInterval = 7200;
    EXPECT_FALSE(cloudUpdateDue(prefs, localAt(2026, 7, 1, 1, 30, 0)));
    EXPECT_TRUE(cloudUpdateDue(prefs, localAt(2026, 7, 1, 1, 30, 1)));
}

TEST_F(Schedule, NeverUpdatedIsDueAtOnceAndNothingIsDueWithSatelliteCloudsOff) {
    std::memset(prefs.lastCloudUpdate, 0, sizeof prefs.lastCloudUpdate);
    EXPECT_FALSE(secondsSinceLastCloudUpdate(prefs, localAt(2026, 1, 1, 0, 0, 0)));
    EXPECT_TRUE(cloudUpdateDue(prefs, localAt(2026, 1, 1, 0, 0, 0)));
    prefs.cloudsFromSatellites = 0;
    EXPECT_FALSE(cloudUpdateDue(prefs, localAt(2026, 1, 1, 0, 0, 0)));
    setLastCloudUpdateTime(prefs, localAt(2020, 1, 1, 0, 0, 0));
    EXPECT_FALSE(cloudUpdateDue(prefs, localAt(2026, 1, 1, 0, 0, 0)));
    // The editor's all-bits-set "on" counts as on.
    prefs.cloudsFromSatellites = -1;
    EXPECT_TRUE(cloudUpdateDue(prefs, localAt(2026, 1, 1, 0, 0, 0)));
}

TEST_F(Schedule, AStartStoredInTheFutureMakesAnUpdateDueAtOnce) {
    // One second ahead already counts: the clock went back.
    EXPECT_TRUE(cloudUpdateDue(prefs, localAt(2026, 6, 21, 11, 59, 59)));
    EXPECT_TRUE(cloudUpdateDue(prefs, localAt(2024, 6, 21, 12, 0, 0)));
    EXPECT_EQ(*secondsSinceLastCloudUpdate(prefs, localAt(2026, 6, 21, 11, 0, 0)), -3600);
}

TEST(CloudImagePath, TheMarkerUpToTheFirstGifAfterIt) {
    EXPECT_EQ(findCloudImagePath("<img src=\"/earthview/cache/123456.gif\" width=640>"),
              "/earthview/cache/123456.gif");
    // Only the first ".gif" after the marker; the rest of the page is not part of it.
    EXPECT_EQ(findCloudImagePath("x /earthview/cache/a.gif.gif /earthview/cache/b.gif"),
              "/earthview/cache/a.gif");
    // A ".gif" before the marker does not count.
    EXPECT_EQ(findCloudImagePath("/logo.gif then /earthview/cache/map.gif"),
              "/earthview/cache/map.gif");
    EXPECT_EQ(findCloudImagePath("/earthview/cache/.gif"), "/earthview/cache/.gif");
    EXPECT_EQ(findCloudImagePath("/earthview/cache/dir/map%20x.gif?"),
              "/earthview/cache/dir/map%20x.gif");
}

TEST(CloudImagePath, PagesWithoutAUsablePathNameNothing) {
    EXPECT_FALSE(findCloudImagePath(""));
    EXPECT_FALSE(findCloudImagePath("<html>Service unavailable</html>"));
    EXPECT_FALSE(findCloudImagePath("/earthview/cache/map.png"));
    // ".gif" only before the marker.
    EXPECT_FALSE(findCloudImagePath("/a.gif /earthview/cache/map"));
    // Characters a request path cannot carry.
    EXPECT_FALSE(findCloudImagePath("/earthview/cache/my map.gif"));
    EXPECT_FALSE(findCloudImagePath("/earthview/cache/x\r\nHost: evil\r\n.gif"));
    EXPECT_FALSE(findCloudImagePath("/earthview/cache/\">.gif"));
    // 259 characters pass, 260 do not.
    const std::string marker = "/earthview/cache/";
    const std::string fits = marker + std::string(259 - 17 - 4, 'a') + ".gif";
    ASSERT_EQ(fits.size(), 259u);
    EXPECT_EQ(findCloudImagePath(fits), fits);
    EXPECT_FALSE(findCloudImagePath(marker + std::string(260 - 17 - 4, 'a') + ".gif"));
}

TEST(CloudImagePath, OnlyThePagesFirst4096BytesUpToAZeroByteAreRead) {
    const std::string path = "/earthview/cache/m.gif";
    EXPECT_EQ(findCloudImagePath(std::string(4096 - path.size(), ' ') + path), path);
    EXPECT_FALSE(findCloudImagePath(std::string(4097 - path.size(), ' ') + path));
    EXPECT_FALSE(findCloudImagePath(std::string("head") + '\0' + path));
    EXPECT_EQ(findCloudImagePath("/earthview/cache/m" + std::string(1, '\0') + ".gif"),
              std::nullopt);
}

} // namespace
} // namespace gv
