#pragma once
// The crosshair over the point below the user view while it is being
// steered: arcs of a sphere a little above the clouds, along the meridian
// and the parallel through that point, leaving a gap round it.
#include "core/vector3.h"

#include <utility>
#include <vector>

namespace gv {

class Renderer;

inline constexpr float kCrosshairRadius = 148.0f;

// The point at polar angle q and azimuth m on the crosshair's sphere, earth
// centred.
Vector3 crosshairPoint(float q, float m);

// The line segments, earth centred, for the user view's polar angle phi and
// azimuth lambda (as the view places itself).
std::vector<std::pair<Vector3, Vector3>> crosshairSegments(float phi, float lambda);

// Draws them with depth test, so that the earth hides the far side.
void drawUserCrosshair(Renderer& renderer, const Vector3& earthPosition, float phi, float lambda);

} // namespace gv
