#include "scene/astronomy/moon.h"

#include <cmath>
#include <cstdlib>

#include "core/angles.h"
#include "scene/astronomy/moon_terms.h"
#include "scene/astronomy/nutation.h"
#include "scene/astronomy/time_argument.h"

namespace gv {

namespace {

// c0 + c1·T + c2·T² + c3·T³ + c4·T⁴ in degrees, reduced to radians.
float polynomialAngle(float t, float c0, float c1, float c2, float c3, float c4) {
    return degreesToRadians((((c4 * t + c3) * t + c2) * t + c1) * t + c0);
}

template <std::size_t N>
float sumSeries(const std::array<MoonTerm, N>& terms, const MoonEcliptic& e) {
    const float e2 = e.eccentricity * e.eccentricity;
    float sum = 0.0f;
    for (const MoonTerm& term : terms) {
        const float argument = static_cast<float>(term.d) * e.meanElongation +
                               static_cast<float>(term.m) * e.sunMeanAnomaly +
                               static_cast<float>(term.mPrime) * e.moonMeanAnomaly +
                               static_cast<float>(term.f) * e.argumentOfLatitude;
        float amplitude = static_cast<float>(term.amplitude);
        // Terms with the sun's anomaly shrink as the earth's orbit gets rounder.
        switch (std::abs(term.m)) {
        case 1:
            amplitude *= e.eccentricity;
            break;
        case 2:
            amplitude *= e2;
            break;
        default:
            break;
        }
        sum += amplitude * std::sin(argument);
    }
    return sum;
}

} // namespace

MoonEcliptic moonEcliptic(float t) {
    MoonEcliptic e;
    e.meanElongation =
        polynomialAngle(t, 297.85019f, 445267.125f, -0.00163f, 1.8319447e-6f, 8.84447e-9f);
    e.sunMeanAnomaly = polynomialAngle(t, 357.52911f, 35999.05f, -0.0001536f, 4.0832994e-8f, 0.0f);
    e.moonMeanAnomaly =
        polynomialAngle(t, 134.96341f, 477198.875f, 0.008997f, -2.8280542e-7f, 6.7971726e-8f);
    e.meanLongitude =
        polynomialAngle(t, 218.31645f, 481267.875f, -0.0013268f, 1.8558351e-6f, -1.5338834e-8f);
    e.argumentOfLatitude =
        polynomialAngle(t, 93.2721f, 483202.03f, -0.0034029f, -2.8360748e-7f, 1.1583324e-9f);
    e.eccentricity = 1.0f - 0.002516f * t - 0.0000074f * t * t;

    const float a1 = degreesToRadians(119.75f + 131.849f * t);
    const float a2 = degreesToRadians(53.09f + 479264.28f * t);
    const float a3 = degreesToRadians(313.45f + 481266.0f * t);
    const float lp = e.meanLongitude;
    const float f = e.argumentOfLatitude;

    // Additive terms: Venus (A1), Jupiter (A2) and the earth's flattening.
    e.sumLongitude = sumSeries(kMoonLongitudeTerms, e) + 3958.0f * std::sin(a1) +
                     1962.0f * std::sin(lp - f) + 318.0f * std::sin(a2);
    e.sumLatitude = sumSeries(kMoonLatitudeTerms, e) - 2235.0f * std::sin(lp) +
                    382.0f * std::sin(a3) + 175.0f * std::sin(a1 - f) + 175.0f * std::sin(a1 + f) +
                    127.0f * std::sin(lp - e.moonMeanAnomaly) -
                    115.0f * std::sin(lp + e.moonMeanAnomaly);

    e.longitude = reduceRadians(lp + degreesToRadians(e.sumLongitude * 1e-6f));
    e.latitude = degreesToRadians(e.sumLatitude * 1e-6f);
    return e;
}

EquatorialPosition eclipticToEquatorial(float longitude, float latitude, float obliquity) {
    const float sinE = std::sin(obliquity), cosE = std::cos(obliquity);
    const float sinL = std::sin(longitude);
    EquatorialPosition p;
    p.rightAscension = atan2Positive(sinL * cosE - std::tan(latitude) * sinE, std::cos(longitude));
    // Rounding can push the sine a hair past ±1 near the poles.
    const float sinD = std::sin(latitude) * cosE + std::cos(latitude) * sinE * sinL;
    p.declination = std::asin(std::fmax(-1.0f, std::fmin(1.0f, sinD)));
    return p;
}

EquatorialPosition moonEquatorialAt(float t) {
    const MoonEcliptic e = moonEcliptic(t);
    const Nutation n = nutationLowAccuracy(t);
    const float obliquity = meanObliquity(t) + n.obliquity;
    return eclipticToEquatorial(e.longitude + n.longitude, e.latitude, obliquity);
}

EquatorialPosition moonEquatorial(const std::tm& utc) {
    return moonEquatorialAt(centuriesSinceJ2000(utc));
}

} // namespace gv
