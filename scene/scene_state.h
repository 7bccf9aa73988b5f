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
    Matrix4 earthTransform = Matrix4::identity(); // rotate(0, earthYaw, 0) at earthPosition
    Vector3 moonPosition;                         // moon's centre
    uint32_t moonAccumulator = 0;                 // ms gathered since the last moon recalculation
};

} // namespace gv
