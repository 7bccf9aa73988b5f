#include "scene/planet_motion.h"

#include <cmath>

#include "core/angles.h"
#include "scene/astronomy/moon.h"
#include "scene/astronomy/sun.h"
#include "scene/astronomy/time_argument.h"

namespace gv {

namespace {
constexpr float kOrbitRadiansPerDay = 0.0172142f; // 2π/365: the year has 365 equal steps
constexpr float kRadiansPerHour = 0.2617994f;     // 15° per hour
} // namespace

void updateEarth(SceneState& state, const ClockSample& clock, uint32_t sunDistance) {
    const float theta =
        (static_cast<float>(clock.localDayOfYear) + clock.utcDayFraction) * kOrbitRadiansPerDay;
    const float radius = static_cast<float>(sunDistance);
    state.earthPosition = {std::cos(theta) * radius, 0.0f, std::sin(theta) * radius};

    // The orbital angle recovered from the position. The constants 3.14 and
    // 6.28 (not π, 2π) are kept as the scene has always used them; they leave
    // the recovered angle at most 0.0032 rad (0.18°) short.
    const float x = state.earthPosition.x;
    const float z = state.earthPosition.z;
    float orbitAngle = x == 0.0f ? std::atan(z) : std::atan(z / x);
    if (x < 0.0f)
        orbitAngle += 3.14f;
    else if (x > 0.0f && z < 0.0f)
        orbitAngle += 6.28f;
    state.orbitAngleNegated = -orbitAngle;

    // A mesh point at azimuth θ is carried to θ + earthYaw and longitude λ
    // sits at mesh azimuth λ + π, so the point facing the sun (azimuth
    // orbitAngle + π) has longitude orbitAngle - earthYaw. Noon at Greenwich
    // at 12:00 UTC, 15° west per hour: λ = (12 - UTC hours)·π/12.
    const float utcHours = clock.localHours - clock.zoneOffsetHours;
    state.earthYaw = wrapSigned((utcHours - 12.0f) * kRadiansPerHour + orbitAngle);

    state.earthTransform.setIdentity();
    state.earthTransform.rotate(0.0f, state.earthYaw, 0.0f);
    state.earthTransform.setTranslation(state.earthPosition.x, state.earthPosition.y,
                                        state.earthPosition.z);
}

void updateEarth(SceneState& state, const ClockSample& clock, const Preferences& prefs) {
    updateEarth(state, clock, prefs.sunDistance);
}

float moonAzimuth(const SceneState& state, float moonRightAscension, float sunRightAscension) {
    const float sunAzimuth = -state.orbitAngleNegated + kPi;
    return wrapSigned(sunAzimuth + (moonRightAscension - sunRightAscension));
}

bool updateMoon(SceneState& state, const ClockSample& clock, uint32_t frameMs,
                uint32_t frameCounter, uint32_t moonRecalcTimeMs, uint32_t extraSeconds) {
    state.moonAccumulator += frameMs;
    const bool due =
        frameCounter == 1 || state.moonAccumulator >= moonRecalcTimeMs || extraSeconds != 0;
    if (!due) return false;

    const float t = centuriesSinceJ2000(clock.utc);
    const EquatorialPosition moon = moonEquatorialAt(t);
    const EquatorialPosition sun = sunApparentEquatorial(t);
    const float phi = moonAzimuth(state, moon.rightAscension, sun.rightAscension);

    // p = δ - 1.57 turns the declination into a polar angle from +y (the
    // sign flip of sin p puts the moon on the φ side).
    const float p = moon.declination - 1.57f;
    const Vector3 offset{-kMoonSceneDistance * std::sin(p) * std::cos(phi),
                         kMoonSceneDistance * std::cos(p),
                         -kMoonSceneDistance * std::sin(p) * std::sin(phi)};
    state.moonPosition = add(state.earthPosition, offset);
    state.moonAccumulator = 0;
    return true;
}

bool updateMoon(SceneState& state, const ClockSample& clock, uint32_t frameMs,
                uint32_t frameCounter, const Preferences& prefs) {
    return updateMoon(state, clock, frameMs, frameCounter, prefs.moonRecalcTime,
                      prefs.extraSeconds);
}

void forceMoonRecalculation(SceneState& state, uint32_t moonRecalcTimeMs) {
    state.moonAccumulator = moonRecalcTimeMs;
}

void forceMoonRecalculation(SceneState& state, const Preferences& prefs) {
    forceMoonRecalculation(state, prefs.moonRecalcTime);
}

} // namespace gv
