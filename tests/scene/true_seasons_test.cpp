// "TRUE SEASONS": the tilted earth turned by sidereal time, against libnova.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

#include "clock_samples.h"
#include "core/angles.h"
#include "libnova_reference.h"
#include "scene/calendar.h"
#include "scene/earth_frame.h"
#include "scene/planet_motion.h"
#include "scene/user_crosshair.h"
#include "support/os_calls.h"

namespace gv {
namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

using test::sampleAt;
using test::utcTime;

// Instants spread over 1900..2100 at odd hours and minutes: 201 years in
// steps of 1 year 37 days 5 h 13 min.
std::vector<std::time_t> instants() {
    std::vector<std::time_t> out;
    const std::time_t step = (365 + 37) * 86400 + 5 * 3600 + 13 * 60;
    for (std::time_t t = utcTime(1900, 1, 1, 3, 7); t < utcTime(2100, 12, 31, 0); t += step)
        out.push_back(t);
    return out;
}

// The place on the earth under a world direction from its centre.
GeoPoint under(const SceneState& s, const Vector3& worldDirection) {
    return geoPointOf(worldToEarth(s.earthTransform, normalize(worldDirection)));
}

// The sun's altitude over a place, degrees: from the place's upward
// direction in the world and the direction to the sun at the origin.
double sunAltitude(const SceneState& s, double latitudeDeg, double longitudeDeg) {
    const Vector3 up =
        earthToWorld(s.earthTransform,
                     earthFrameDirection(float(latitudeDeg * kDeg), float(longitudeDeg * kDeg)));
    const Vector3 toSun = normalize(-1.0f * s.earthPosition);
    return std::asin(std::clamp(double(dot(up, toSun)), -1.0, 1.0)) / kDeg;
}

TEST(TrueSeasons, SubsolarPointWithinATenthOfADegreeOfLibnovaFrom1900To2100) {
    const auto when = instants();
    ASSERT_GE(when.size(), 50u);
    double worstLat = 0, worstLon = 0;
    for (std::time_t t : when) {
        const ClockSample clock = sampleAt(t);
        SceneState s;
        updateTrueEarth(s, clock, 1300, 1.0f);
        const GeoPoint p = under(s, -1.0f * s.earthPosition);
        const double jd = reference::julianDay(clock.utc);
        const double lat = reference::sun(jd).dec;
        const double lon = reference::subsolarLongitude(jd);
        const double dLat = std::fabs(p.latitude / kDeg - lat);
        const double dLon = std::fabs(reference::angleDifference(p.longitude / kDeg, lon));
        worstLat = std::max(worstLat, dLat);
        worstLon = std::max(worstLon, dLon);
        EXPECT_LT(dLat, 0.1) << "year " << clock.utc.tm_year + 1900;
        EXPECT_LT(dLon, 0.1) << "year " << clock.utc.tm_year + 1900;
        // The earth stays on its circle of "WORLD DISTANCE TO SUN".
        EXPECT_NEAR(length(s.earthPosition), 1300.0f, 0.01f);
        EXPECT_EQ(s.earthPosition.y, 0.0f);
    }
    std::printf("subsolar point over %zu instants 1900-2100: max error %.4f deg latitude, "
                "%.4f deg longitude\n",
                when.size(), worstLat, worstLon);
}

TEST(TrueSeasons, SubLunarPointWithinHalfADegreeAndThePhaseOfTheSky) {
    const auto when = instants();
    double worstPoint = 0, worstFraction = 0;
    for (std::time_t t : when) {
        const ClockSample clock = sampleAt(t);
        SceneState s;
        updateTrueEarth(s, clock, 700, 1.0f);
        ASSERT_TRUE(updateMoon(s, clock, 16, 1, 10000, 0));
        const Vector3 toMoon = s.moonPosition - s.earthPosition;
        EXPECT_NEAR(length(toMoon), kMoonSceneDistance, 1e-3f);
        const GeoPoint p = under(s, toMoon);
        const double jd = reference::julianDay(clock.utc);
        const reference::Equatorial moon = reference::moonApparent(jd);
        const double gast = moon.ra - reference::sun(jd).ra + reference::subsolarLongitude(jd);
        const double dLat = std::fabs(p.latitude / kDeg - moon.dec);
        const double dLon = std::fabs(reference::angleDifference(p.longitude / kDeg, gast));
        worstPoint = std::max({worstPoint, dLat, dLon});
        EXPECT_LT(dLat, 0.5) << "year " << clock.utc.tm_year + 1900;
        EXPECT_LT(dLon, 0.5) << "year " << clock.utc.tm_year + 1900;

        // The phase: the lit fraction from the angle between the sun and the
        // moon seen from the earth, against libnova's.
        const double cosElongation = dot(normalize(toMoon), normalize(-1.0f * s.earthPosition));
        const double fraction = (1.0 - cosElongation) / 2.0;
        const double truth = reference::moonIlluminatedFraction(jd);
        worstFraction = std::max(worstFraction, std::fabs(fraction - truth));
        EXPECT_NEAR(fraction, truth, 0.01) << "year " << clock.utc.tm_year + 1900;
    }
    std::printf("sub-lunar point: max error %.3f deg; lit fraction max |dk| %.4f\n", worstPoint,
                worstFraction);
}

// Worked by hand: the midnight sun over the Greenland ice on 21 June
// and the low noon sun of 21 December, with the option on and off.
TEST(TrueSeasons, MidnightSunInJuneAndALowSunInDecember) {
    SceneState on, off;
    const ClockSample june = sampleAt(utcTime(2024, 6, 21, 2, 40));
    updateTrueEarth(on, june, 1300, 1.0f);
    updateEarth(off, june, 1300);
    // 80° N at its lower culmination: 80 + 23.44 - 90 = 13.4°.
    EXPECT_NEAR(sunAltitude(on, 80, -40), 13.4, 0.5);
    // Untilted, midnight at 80° N is 10° below the horizon.
    EXPECT_NEAR(sunAltitude(off, 80, -40), -10.0, 1.0);

    const ClockSample december = sampleAt(utcTime(2024, 12, 21, 14, 40));
    updateTrueEarth(on, december, 1300, 1.0f);
    updateEarth(off, december, 1300);
    // 65° N at noon: 90 - 65 - 23.44 = 1.6°, against 25° untilted.
    EXPECT_NEAR(sunAltitude(on, 65, -40), 1.6, 0.5);
    EXPECT_NEAR(sunAltitude(off, 65, -40), 25.0, 1.0);
}

TEST(TrueSeasons, TheAxisKeepsItsDirectionInSpaceAllYear) {
    // Towards the celestial pole: ecliptic latitude 90° - ε at longitude 90°,
    // the same on every day and hour.
    for (int day = 0; day < 365; day += 30) {
        SceneState s;
        updateTrueEarth(s, sampleAt(utcTime(2030, 1, 1, 7) + day * 86400 + day * 3917), 900, 1.0f);
        const double epsilon = 23.4393 * kDeg;
        const Vector3 pole =
            worldDirectionOfEcliptic(std::numbers::pi / 2, std::numbers::pi / 2 - epsilon);
        EXPECT_NEAR(dot(s.earthAxis, pole), 1.0, 1e-5) << "day " << day;
        const Vector3 meshAxis = earthToWorld(s.earthTransform, {0.0f, 1.0f, 0.0f});
        EXPECT_NEAR(dot(meshAxis, s.earthAxis), 1.0, 1e-6);
    }
    // Straightened by the locations manager: upright, the same turn.
    SceneState tilted, upright;
    const ClockSample clock = sampleAt(utcTime(2030, 5, 5, 5));
    updateTrueEarth(tilted, clock, 900, 1.0f);
    updateTrueEarth(upright, clock, 900, 0.0f);
    EXPECT_NEAR(upright.earthAxis.y, 1.0f, 1e-6f);
    EXPECT_EQ(upright.earthYaw, tilted.earthYaw);
    Matrix4 spin;
    spin.setRotationY(upright.earthYaw);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(upright.earthTransform.m[i][j], spin.m[i][j], 1e-5f);
}

TEST(TrueSeasons, OffTheSceneIsTheUntiltedOneExactly) {
    Preferences prefs = defaultPreferences();
    prefs.optionFlags = withOption(prefs.optionFlags, OptionFlag::TrueSeasons, false);
    prefs.sunDistance = 800;
    for (int i = 0; i < 40; ++i) {
        const ClockSample clock = sampleAt(utcTime(2025, 1, 1, 0) + i * 777777);
        SceneState viaOptions, untilted;
        updateEarth(viaOptions, clock, prefs, 0.5f);
        updateEarth(untilted, clock, 800u);
        EXPECT_FALSE(viaOptions.trueSeasons);
        EXPECT_EQ(
            std::memcmp(&viaOptions.earthTransform, &untilted.earthTransform, sizeof(Matrix4)), 0);
        EXPECT_EQ(viaOptions.earthYaw, untilted.earthYaw);
        EXPECT_TRUE(equals(viaOptions.earthPosition, untilted.earthPosition));
        ASSERT_TRUE(updateMoon(viaOptions, clock, 16, 1, prefs));
        ASSERT_TRUE(updateMoon(untilted, clock, 16, 1, 10000, 0));
        EXPECT_TRUE(equals(viaOptions.moonPosition, untilted.moonPosition));
    }
    prefs.optionFlags = withOption(prefs.optionFlags, OptionFlag::TrueSeasons, true);
    SceneState on;
    updateEarth(on, sampleAt(utcTime(2025, 6, 1, 0)), prefs);
    EXPECT_TRUE(on.trueSeasons);
}

} // namespace
} // namespace gv
