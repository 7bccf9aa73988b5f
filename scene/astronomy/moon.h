#pragma once
// The moon's apparent direction from the earth's centre: the truncated
// ELP-2000/82 series of Meeus, "Astronomical Algorithms", chapter 47, with
// the low-accuracy nutation and mean obliquity of chapter 22. Single
// precision throughout, good to a few hundredths of a degree in 1950-2100.
#include <ctime>

namespace gv {

struct EquatorialPosition {
    float rightAscension = 0; // radians, [0, 2π)
    float declination = 0;    // radians, [-π/2, π/2]
};

// The intermediate results of the series, all angles in radians.
struct MoonEcliptic {
    float meanElongation = 0;     // D
    float sunMeanAnomaly = 0;     // M
    float moonMeanAnomaly = 0;    // M'
    float meanLongitude = 0;      // L'
    float argumentOfLatitude = 0; // F
    float eccentricity = 0;       // E
    float sumLongitude = 0;       // Σl, 1e-6 degree
    float sumLatitude = 0;        // Σb, 1e-6 degree
    float longitude = 0;          // λ, mean equinox of date, [0, 2π)
    // β reduced to [0, 2π): a southern latitude comes out near 2π, which is
    // harmless because only its sine, cosine and tangent are used.
    float latitude = 0;
};

// T in Julian centuries from J2000.0.
MoonEcliptic moonEcliptic(float t);
EquatorialPosition moonEquatorialAt(float t);
// The moon for the clock's UTC broken-down record.
EquatorialPosition moonEquatorial(const std::tm& utc);

// Ecliptic (longitude, latitude) to equatorial coordinates for obliquity ε.
EquatorialPosition eclipticToEquatorial(float longitude, float latitude, float obliquity);

} // namespace gv
