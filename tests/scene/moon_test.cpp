#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>

#include "core/angles.h"
#include "libnova_reference.h"
#include "scene/astronomy/moon.h"
#include "scene/astronomy/moon_terms.h"
#include "scene/astronomy/nutation.h"
#include "scene/astronomy/time_argument.h"
#include "scene/calendar.h"
#include "support/os_calls.h"

namespace gv {
namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

std::tm utcRecord(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

double reduce360(double x) {
    x = std::fmod(x, 360.0);
    return x < 0 ? x + 360.0 : x;
}

// Meeus, "Astronomical Algorithms" (2nd ed.), example 47.a: 1992 April 12 at
// 0h dynamical time, T = -0.077221081451.
struct BookArguments {
    double lp, d, m, mp, f, a1, a2, a3, e;
};

BookArguments bookArguments(double t) {
    // The book's own polynomials (47.1 to 47.6) in double precision.
    BookArguments b{};
    b.lp = reduce360(218.3164477 + 481267.88123421 * t - 0.0015786 * t * t + t * t * t / 538841.0 -
                     t * t * t * t / 65194000.0);
    b.d = reduce360(297.8501921 + 445267.1114034 * t - 0.0018819 * t * t + t * t * t / 545868.0 -
                    t * t * t * t / 113065000.0);
    b.m = reduce360(357.5291092 + 35999.0502909 * t - 0.0001536 * t * t + t * t * t / 24490000.0);
    b.mp = reduce360(134.9633964 + 477198.8675055 * t + 0.0087414 * t * t + t * t * t / 69699.0 -
                     t * t * t * t / 14712000.0);
    b.f = reduce360(93.2720950 + 483202.0175233 * t - 0.0036539 * t * t - t * t * t / 3526000.0 +
                    t * t * t * t / 863310000.0);
    b.a1 = reduce360(119.75 + 131.849 * t);
    b.a2 = reduce360(53.09 + 479264.290 * t);
    b.a3 = reduce360(313.45 + 481266.484 * t);
    b.e = 1.0 - 0.002516 * t - 0.0000074 * t * t;
    return b;
}

template <std::size_t N>
double seriesSum(const std::array<MoonTerm, N>& terms, const BookArguments& b) {
    double sum = 0.0;
    for (const MoonTerm& term : terms) {
        const double arg = (term.d * b.d + term.m * b.m + term.mPrime * b.mp + term.f * b.f) * kDeg;
        double amplitude = term.amplitude;
        if (std::abs(term.m) == 1) amplitude *= b.e;
        if (std::abs(term.m) == 2) amplitude *= b.e * b.e;
        sum += amplitude * std::sin(arg);
    }
    return sum;
}

struct BookEcliptic {
    double sumL, sumB, longitude, latitude; // sums in 1e-6 degree, angles in degrees
};

// The series in double precision from the book's arguments and our tables.
BookEcliptic bookEcliptic(double t) {
    const BookArguments b = bookArguments(t);
    BookEcliptic e{};
    e.sumL = seriesSum(kMoonLongitudeTerms, b) + 3958 * std::sin(b.a1 * kDeg) +
             1962 * std::sin((b.lp - b.f) * kDeg) + 318 * std::sin(b.a2 * kDeg);
    e.sumB = seriesSum(kMoonLatitudeTerms, b) - 2235 * std::sin(b.lp * kDeg) +
             382 * std::sin(b.a3 * kDeg) + 175 * std::sin((b.a1 - b.f) * kDeg) +
             175 * std::sin((b.a1 + b.f) * kDeg) + 127 * std::sin((b.lp - b.mp) * kDeg) -
             115 * std::sin((b.lp + b.mp) * kDeg);
    e.longitude = reduce360(b.lp + e.sumL * 1e-6);
    e.latitude = e.sumB * 1e-6;
    return e;
}

TEST(MoonTerms, PublishedShapeOfTheTables) {
    ASSERT_EQ(kMoonLongitudeTerms.size(), 59u);
    ASSERT_EQ(kMoonLatitudeTerms.size(), 60u);
    const MoonTerm& firstL = kMoonLongitudeTerms.front();
    EXPECT_EQ(firstL.mPrime, 1);
    EXPECT_EQ(firstL.amplitude, 6288774);
    const MoonTerm& lastL = kMoonLongitudeTerms.back();
    EXPECT_EQ(lastL.d, 2);
    EXPECT_EQ(lastL.mPrime, 3);
    EXPECT_EQ(lastL.amplitude, 294);
    const MoonTerm& lastB = kMoonLatitudeTerms.back();
    EXPECT_EQ(lastB.d, 2);
    EXPECT_EQ(lastB.m, -2);
    EXPECT_EQ(lastB.f, 1);
    EXPECT_EQ(lastB.amplitude, 107);
    // Published in falling order of amplitude, give or take the odd swap of
    // near-equal rows; a row typed with a wrong digit count breaks this.
    for (std::size_t i = 1; i < kMoonLongitudeTerms.size(); ++i)
        EXPECT_LE(std::abs(kMoonLongitudeTerms[i].amplitude),
                  std::abs(kMoonLongitudeTerms[i - 1].amplitude) * 11 / 10)
            << "longitude row " << i + 1;
    for (std::size_t i = 1; i < kMoonLatitudeTerms.size(); ++i)
        EXPECT_LE(std::abs(kMoonLatitudeTerms[i].amplitude),
                  std::abs(kMoonLatitudeTerms[i - 1].amplitude) * 11 / 10)
            << "latitude row " << i + 1;
}

TEST(MoonExample47a, DoublePrecisionSumsReproduceTheBook) {
    const double t = -0.077221081451;
    const BookArguments b = bookArguments(t);
    EXPECT_NEAR(b.lp, 134.290182, 1e-6);
    EXPECT_NEAR(b.d, 113.842304, 1e-6);
    EXPECT_NEAR(b.m, 97.643514, 1e-6);
    EXPECT_NEAR(b.mp, 5.150833, 1e-6);
    EXPECT_NEAR(b.f, 219.889721, 1e-6);
    EXPECT_NEAR(b.a1, 109.57, 0.005);
    EXPECT_NEAR(b.a2, 123.78, 0.005);
    EXPECT_NEAR(b.a3, 229.53, 0.005);
    EXPECT_NEAR(b.e, 1.000194, 1e-6);

    const BookEcliptic e = bookEcliptic(t);
    const double sumL = e.sumL, sumB = e.sumB;
    // The book prints the sums rounded to whole units of 1e-6 degree.
    EXPECT_NEAR(sumL, -1127527, 1.0);
    EXPECT_NEAR(sumB, -3229126, 1.0);
    EXPECT_NEAR(b.lp + sumL * 1e-6, 133.162655, 2e-6);
    EXPECT_NEAR(sumB * 1e-6, -3.229126, 2e-6);
}

TEST(MoonExample47a, SinglePrecisionPathStaysWithinItsBudget) {
    const std::tm record = utcRecord(1992, 4, 12, 0, 0, 0);
    EXPECT_FLOAT_EQ(daysSinceJ2000(record), -2820.5f);
    const float t = centuriesSinceJ2000(record);
    EXPECT_NEAR(t, -0.077221081451, 1e-8);

    // Budget: T carries a relative rounding of ~6e-8, which moves the fast
    // arguments (481268°·T) by ~0.002°; each polynomial rounds its ~37000°
    // sum to a float step of 0.004°; the coefficients kept in single
    // precision (445267.125 against 445267.1114 and so on) move D, M', L'
    // and F by up to 0.001° at this T; the low-accuracy nutation is good to
    // 0.5". Altogether a little under 0.01°.
    const double budget = 0.01;
    const MoonEcliptic e = moonEcliptic(t);
    EXPECT_NEAR(e.meanLongitude / kDeg, 134.290182, budget);
    EXPECT_NEAR(e.meanElongation / kDeg, 113.842304, budget);
    EXPECT_NEAR(e.sunMeanAnomaly / kDeg, 97.643514, budget);
    EXPECT_NEAR(e.moonMeanAnomaly / kDeg, 5.150833, budget);
    EXPECT_NEAR(e.argumentOfLatitude / kDeg, 219.889721, budget);
    EXPECT_NEAR(e.eccentricity, 1.000194, 1e-6);
    EXPECT_NEAR(e.sumLongitude * 1e-6, -1.127527, budget);
    EXPECT_NEAR(e.sumLatitude * 1e-6, -3.229126, budget);
    EXPECT_NEAR(e.longitude / kDeg, 133.162655, budget);
    // β comes back reduced to [0, 2π).
    EXPECT_NEAR(e.latitude / kDeg, 360.0 - 3.229126, budget);

    const Nutation n = nutationLowAccuracy(t);
    EXPECT_NEAR(n.longitude / kDeg, 0.004610, 0.0002);
    EXPECT_NEAR((meanObliquity(t) + n.obliquity) / kDeg, 23.440636, 0.0002);

    const EquatorialPosition p = moonEquatorial(record);
    EXPECT_NEAR(p.rightAscension / kDeg, 134.688470, budget);
    EXPECT_NEAR(p.declination / kDeg, 13.768368, budget);
}

TEST(MoonEquatorial, AtJ2000TheArgumentsAreTheirConstants) {
    const std::tm epoch = utcRecord(2000, 1, 1, 12, 0, 0);
    EXPECT_EQ(daysSinceJ2000(epoch), 0.0f);
    EXPECT_EQ(centuriesSinceJ2000(epoch), 0.0f);
    const MoonEcliptic e = moonEcliptic(0.0f);
    EXPECT_FLOAT_EQ(e.meanElongation, degreesToRadians(297.85019f));
    EXPECT_FLOAT_EQ(e.sunMeanAnomaly, degreesToRadians(357.52911f));
    EXPECT_FLOAT_EQ(e.moonMeanAnomaly, degreesToRadians(134.96341f));
    EXPECT_FLOAT_EQ(e.meanLongitude, degreesToRadians(218.31645f));
    EXPECT_FLOAT_EQ(e.argumentOfLatitude, degreesToRadians(93.2721f));
    EXPECT_EQ(e.eccentricity, 1.0f);
    EXPECT_NEAR(meanObliquity(0.0f) / kDeg, 23.0 + 26.0 / 60 + 21.445 / 3600, 1e-5);
}

// The truncated series against the full ELP-2000/82B theory of libnova, over
// 600 dates spread through 1950-2100: first the tables in double precision
// (what the series itself can do), then the single-precision production path.
TEST(MoonEquatorial, AgreesWithLibnovaFrom1950To2100) {
    const int64_t from = utcCalendarSeconds(utcRecord(1950, 1, 1, 0, 0, 0));
    const int64_t to = utcCalendarSeconds(utcRecord(2100, 12, 31, 23, 59, 59));
    const int samples = 600;
    const int64_t step = (to - from) / samples;
    std::mt19937_64 random(47);
    std::uniform_int_distribution<int64_t> jitter(0, step - 1);

    double seriesRa = 0, seriesDec = 0, worstRa = 0, worstDec = 0, worstRaArc = 0;
    std::tm worstDate{};
    for (int i = 0; i < samples; ++i) {
        const std::time_t when = static_cast<std::time_t>(from + i * step + jitter(random));
        const std::tm record = test::utcRecord(when);
        const double jd = reference::julianDay(record);
        const reference::Equatorial ref = reference::moonApparent(jd);

        // The series is good to about 10" in longitude and 4" in latitude; a
        // wrong row of more than a few hundred units shows above 0.005°.
        const BookEcliptic book = bookEcliptic((jd - 2451545.0) / 36525.0);
        const reference::Equatorial series =
            reference::apparentFromEcliptic(book.longitude, book.latitude, jd);
        const double sRa =
            std::fabs(reference::angleDifference(series.ra, ref.ra)) * std::cos(ref.dec * kDeg);
        const double sDec = std::fabs(series.dec - ref.dec);
        seriesRa = std::max(seriesRa, sRa);
        seriesDec = std::max(seriesDec, sDec);
        EXPECT_LT(sRa, 0.005) << "series α at " << std::asctime(&record);
        EXPECT_LT(sDec, 0.005) << "series δ at " << std::asctime(&record);

        // Single precision: the day count is a float (a step of 0.004 day,
        // 0.03° of lunar motion, a century away), T and the fast arguments
        // (481268°·T) round at a few parts in 1e8 of a turn count, and their
        // sums round to 0.03° steps near 480000°. The budget grows with |T|.
        const EquatorialPosition p = moonEquatorial(record);
        const double t = (jd - 2451545.0) / 36525.0;
        const double budget = 0.01 + 0.06 * std::fabs(t);
        const double dRa = std::fabs(reference::angleDifference(p.rightAscension / kDeg, ref.ra));
        const double dDec = std::fabs(p.declination / kDeg - ref.dec);
        if (dRa > worstRa) {
            worstRa = dRa;
            worstDate = record;
        }
        worstRaArc = std::max(worstRaArc, dRa * std::cos(ref.dec * kDeg));
        worstDec = std::max(worstDec, dDec);
        EXPECT_LT(dRa, budget) << "α at " << std::asctime(&record);
        EXPECT_LT(dDec, budget) << "δ at " << std::asctime(&record);
    }
    std::printf("moon vs libnova over %d dates 1950-2100:\n"
                "  series in double: max |Δα|cos δ = %.4f°, max |Δδ| = %.4f°\n"
                "  production float: max |Δα| = %.4f° (%.4f° of arc), max |Δδ| = %.4f°, "
                "worst α at %s",
                samples, seriesRa, seriesDec, worstRa, worstRaArc, worstDec,
                std::asctime(&worstDate));
    RecordProperty("max_ra_error_deg", std::to_string(worstRa));
    RecordProperty("max_dec_error_deg", std::to_string(worstDec));
}

} // namespace
} // namespace gv
