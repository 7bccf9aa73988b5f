#include "core/angles.h"

#include <cmath>

namespace gv {

int32_t floorToInt(float x) {
    const auto truncated = static_cast<int32_t>(x);
    return (x < 0.0f && static_cast<float>(truncated) != x) ? truncated - 1 : truncated;
}

float wrapSigned(float a) {
    if (!std::isfinite(a)) return a;
    // Whole turns first so that a huge angle does not loop for long; the
    // stepwise rule below then settles the ends of the range.
    if (std::fabs(a) > 64.0f * kPi) a = std::fmod(a, kTwoPi);
    while (a >= kTwoPi)
        a -= kTwoPi;
    while (a <= -kTwoPi)
        a += kTwoPi;
    if (a < -kPi) a += kTwoPi;
    if (a > kPi) a -= kTwoPi;
    return a;
}

float reduceDegrees(float x) {
    float r = x - 360.0f * static_cast<float>(floorToInt(x / 360.0f));
    if (r < 0.0f) r += 360.0f;
    return r;
}

float reduceRadians(float x) {
    float r = x - kTwoPi * static_cast<float>(floorToInt(x / kTwoPi));
    if (r < 0.0f) r += kTwoPi;
    return r;
}

float degreesToRadians(float x) {
    return reduceDegrees(x) * kRadiansPerDegree;
}

float atan2Positive(float y, float x) {
    if (x == 0.0f) {
        if (y > 0.0f) return 0.5f * kPi;
        if (y < 0.0f) return 1.5f * kPi;
        return 0.0f;
    }
    float a = std::atan(y / x);
    if (x < 0.0f)
        a += kPi;
    else if (y < 0.0f)
        a += kTwoPi;
    return a;
}

} // namespace gv
