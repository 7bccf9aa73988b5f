#include "scene/astronomy/sun.h"

#include <cmath>

#include "core/angles.h"
#include "scene/astronomy/nutation.h"

namespace gv {

float sunApparentLongitude(float t) {
    const float meanLongitude = 280.46646f + (36000.76983f + 0.0003032f * t) * t;
    const float meanAnomaly = degreesToRadians(357.52911f + (35999.05029f - 0.0001537f * t) * t);
    const float centre = (1.914602f - (0.004817f + 0.000014f * t) * t) * std::sin(meanAnomaly) +
                         (0.019993f - 0.000101f * t) * std::sin(2.0f * meanAnomaly) +
                         0.000289f * std::sin(3.0f * meanAnomaly);
    const float omega = degreesToRadians(125.04f - 1934.136f * t);
    // True longitude, then aberration and nutation in longitude.
    return degreesToRadians(meanLongitude + centre - 0.00569f - 0.00478f * std::sin(omega));
}

EquatorialPosition sunApparentEquatorial(float t) {
    const float apparentLongitude = sunApparentLongitude(t);
    const float omega = degreesToRadians(125.04f - 1934.136f * t);
    const float obliquity = meanObliquity(t) + 0.00256f * kRadiansPerDegree * std::cos(omega);
    return eclipticToEquatorial(apparentLongitude, 0.0f, obliquity);
}

} // namespace gv
