#pragma once
// Positions and angles of the planets that the scene shares each frame:
// written by updateEarth and updateMoon, read by the cameras, the cloud
// layer, the location markers and the drawing.
#include <cstdint>

#include "core/matrix4.h"
#include "core/vector3.h"

namespace gv {

struct SceneState {
    Vector3 earthPosition;                        // earth's centre; y is always 0
    float earthYaw = 0;                           // spin about y, radians in [-π, π]
    float orbitAngleNegated = 0;                  // minus the earth's orbital angle, radians
    Matrix4 earthTransform = Matrix4::identity(); // rotate(0, earthYaw, 0) at earthPosition,
                                                  // or the tilted earth's rotation there
    // With "TRUE SEASONS": the axis tilted (earthTransform turns the earth's
    // frame, see earth_frame.h), earthYaw its turn about it, and the
    // Greenwich sidereal angle the earth has turned by.
    bool trueSeasons = false;
    Vector3 earthAxis{0.0f, 1.0f, 0.0f}; // towards the north pole, in the world
    float siderealAngle = 0;             // radians
    Vector3 moonPosition;                // moon's centre
    uint32_t moonAccumulator = 0;        // ms gathered since the last moon recalculation
};

} // namespace gv
