#include "scene/planet_motion.h"

#include <cmath>

#include "core/angles.h"
#include "scene/astronomy/moon.h"
#include "scene/astronomy/nutation.h"
#include "scene/astronomy/sidereal_time.h"
#include "scene/astronomy/sun.h"
#include "scene/astronomy/time_argument.h"
#include "scene/earth_frame.h"

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
    state.trueSeasons = false;
    state.earthAxis = {0.0f, 1.0f, 0.0f};
    state.siderealAngle = wrapSigned(state.earthYaw - kPi);
}

void updateTrueEarth(SceneState& state, const ClockSample& clock, uint32_t sunDistance,
                     float tilt) {
    const double days = preciseDaysSinceJ2000(clock.utc);
    const float t = static_cast<float>(days / 36525.0);
    const Nutation nutation = nutationLowAccuracy(t);
    const double obliquity = double(meanObliquity(t)) + double(nutation.obliquity);
    const double sidereal = greenwichApparentSiderealAngle(days, nutation.longitude, obliquity);

    // The earth stands opposite the sun's apparent longitude, so that the
    // sun is seen from it where the sky has it.
    const Vector3 towardsSun = worldDirectionOfEcliptic(sunApparentLongitude(t), 0.0);
    state.earthPosition = static_cast<float>(sunDistance) * -1.0f * towardsSun;
    state.earthPosition.y = 0.0f;
    state.orbitAngleNegated = -atan2Positive(state.earthPosition.z, state.earthPosition.x);

    state.trueSeasons = true;
    state.siderealAngle = static_cast<float>(sidereal);
    // The turn about the axis as the untilted earth would show it.
    state.earthYaw = wrapSigned(static_cast<float>(sidereal) + kPi);
    state.earthTransform = tiltedEarthRotation(sidereal, obliquity, double(tilt));
    state.earthAxis = {state.earthTransform.m[1][0], state.earthTransform.m[1][1],
                       state.earthTransform.m[1][2]};
    state.earthTransform.setTranslation(state.earthPosition.x, state.earthPosition.y,
                                        state.earthPosition.z);
}

void updateEarth(SceneState& state, const ClockSample& clock, const Preferences& prefs,
                 float tilt) {
    if (optionOn(prefs, OptionFlag::TrueSeasons))
        updateTrueEarth(state, clock, prefs.sunDistance, tilt);
    else
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
    if (state.trueSeasons) {
        // Over the point where the moon stands overhead, turned with the
        // earth: the sub-lunar point is the sky's, and the angle between the
        // sun and the moon seen from the earth (the phase) too.
        const Vector3 over = earthFrameDirection(
            moon.declination, wrapSigned(moon.rightAscension - state.siderealAngle));
        state.moonPosition =
            add(state.earthPosition,
                scale(kMoonSceneDistance, earthToWorld(state.earthTransform, over)));
        state.moonAccumulator = 0;
        return true;
    }
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
