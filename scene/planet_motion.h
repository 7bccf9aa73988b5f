#pragma once
// The sun stays at the origin; the earth runs a circular yearly orbit in the
// x-z plane and spins about y with the UTC hour (no axial tilt, so the
// terminator always runs through the poles); the moon stands 300 units from
// the earth in its true direction. With "TRUE SEASONS" the earth's axis is
// tilted by the obliquity of the date towards the celestial pole, the earth
// turns with Greenwich sidereal time and stands on its orbit where the sun's
// longitude puts it.
#include <cstdint>

#include "formats/preferences.h"
#include "scene/scene_state.h"
#include "scene/sim_clock.h"

namespace gv {

// The scene's moon distance from the earth's centre, whatever the true one.
inline constexpr float kMoonSceneDistance = 300.0f;

// Places and turns the earth for the clock sample; sunDistance is "WORLD
// DISTANCE TO SUN" in world units. Writes earthPosition, orbitAngleNegated,
// earthYaw and earthTransform.
void updateEarth(SceneState& state, const ClockSample& clock, uint32_t sunDistance);
// The tilted earth; tilt (0..1) is the share of the obliquity applied, 1 but
// while the locations manager straightens the globe into its upright map.
void updateTrueEarth(SceneState& state, const ClockSample& clock, uint32_t sunDistance, float tilt);
// As the options say.
void updateEarth(SceneState& state, const ClockSample& clock, const Preferences& prefs,
                 float tilt = 1.0f);

// Moon recalculation rule, once per frame while the moon is shown, after
// updateEarth. frameMs is the unsmoothed frame time, frameCounter is 1 on the
// first frame. Returns true when moonPosition was recomputed this frame.
bool updateMoon(SceneState& state, const ClockSample& clock, uint32_t frameMs,
                uint32_t frameCounter, uint32_t moonRecalcTimeMs, uint32_t extraSeconds);
bool updateMoon(SceneState& state, const ClockSample& clock, uint32_t frameMs,
                uint32_t frameCounter, const Preferences& prefs);

// Makes the next updateMoon recalculate.
void forceMoonRecalculation(SceneState& state, uint32_t moonRecalcTimeMs);
void forceMoonRecalculation(SceneState& state, const Preferences& prefs);

// The moon's azimuth about the earth in the world frame, radians in [-π, π]:
// the sun's azimuth seen from the earth plus the moon's right ascension
// ahead of the sun's, so the moon shows its true phase and stands over its
// true sub-lunar longitude. Needs earthPosition/orbitAngleNegated current.
float moonAzimuth(const SceneState& state, float moonRightAscension, float sunRightAscension);

} // namespace gv
