#include "scene/astronomy/nutation.h"

#include <cmath>

#include "core/angles.h"

namespace gv {

namespace {
constexpr float kRadiansPerArcsecond = 0.017453292f * 0.00027777778f;
}

Nutation nutationLowAccuracy(float t) {
    const float omega = degreesToRadians(125.04452f - 1934.1362f * t);
    const float sunLongitude = degreesToRadians(280.4665f + 36000.77f * t);
    const float moonLongitude = degreesToRadians(218.3165f + 481267.875f * t);
    Nutation n;
    n.longitude = (-17.2f * std::sin(omega) - 1.32f * std::sin(2.0f * sunLongitude) -
                   0.23f * std::sin(2.0f * moonLongitude) + 0.21f * std::sin(2.0f * omega)) *
                  kRadiansPerArcsecond;
    n.obliquity = (9.2f * std::cos(omega) + 0.57f * std::cos(2.0f * sunLongitude) +
                   0.1f * std::cos(2.0f * moonLongitude) - 0.09f * std::cos(2.0f * omega)) *
                  kRadiansPerArcsecond;
    return n;
}

float meanObliquity(float t) {
    const float arcseconds = ((0.001813f * t - 0.00059f) * t - 46.815f) * t + 84381.445f;
    return degreesToRadians(arcseconds * 0.00027777778f);
}

} // namespace gv
