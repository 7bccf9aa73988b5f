#include "engine/surface_effects.h"

#include <algorithm>

namespace gv {

float twilightWeight(float sunSine) {
    const float t = std::clamp((kTwilightSine - sunSine) / (2.0f * kTwilightSine), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

} // namespace gv
