#pragma once
// Whether the earth hides a point or a pixel from the camera. Places whose
// marker and label the earth covers entirely need not be drawn at all: the
// depth test would throw every pixel of them away.
#include "core/matrix4.h"
#include "core/vector3.h"

namespace gv {

class Camera;

// Safely inside the drawn globe at every mesh resolution: the coarsest
// globe's facets come no nearer than about 119 units to the centre.
inline constexpr float kEarthCoverRadius = 116.0f;

class EarthOcclusion {
  public:
    EarthOcclusion(const Camera& camera, const Vector3& earthCentre, int width, int height);

    // The ray through a screen pixel meets the sphere in front of the camera.
    bool coversPixel(float sx, float sy, float radius) const;
    // The sphere lies between the camera and the point.
    bool coversPoint(const Vector3& point, float radius) const;

  private:
    bool hits(const Vector3& direction, float radius, float beyond) const;

    Vector3 eye_, centre_, axisX_, axisY_, axisZ_;
    float slopeX_ = 0, slopeY_ = 0; // view-space x / z and y / z at the screen's edge
    float halfWidth_ = 1, halfHeight_ = 1;
    bool outside_ = false; // no culling with the camera inside the sphere
};

} // namespace gv
