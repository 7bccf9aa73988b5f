#include "locations/earth_occlusion.h"

#include "engine/mesh.h"

#include <cmath>

namespace gv {

EarthOcclusion::EarthOcclusion(const Camera& camera, const Vector3& earthCentre, int width,
                               int height)
    : eye_(camera.position()), centre_(earthCentre) {
    const Matrix4& v = camera.view();
    axisX_ = {v.m[0][0], v.m[1][0], v.m[2][0]};
    axisY_ = {v.m[0][1], v.m[1][1], v.m[2][1]};
    axisZ_ = {v.m[0][2], v.m[1][2], v.m[2][2]};
    const Matrix4& p = camera.projection();
    if (p.m[0][0] != 0.0f && p.m[1][1] != 0.0f) {
        slopeX_ = p.m[2][3] / p.m[0][0];
        slopeY_ = p.m[2][3] / p.m[1][1];
    }
    halfWidth_ = float(width) * 0.5f;
    halfHeight_ = float(height) * 0.5f;
    // From inside the markers' sphere nothing is culled.
    outside_ = length(centre_ - eye_) > 130.0f;
}

bool EarthOcclusion::hits(const Vector3& direction, float radius, float beyond) const {
    if (!outside_) return false;
    const Vector3 toCentre = centre_ - eye_;
    const float along = dot(toCentre, direction);
    if (along <= 0.0f) return false;
    const float miss2 = dot(toCentre, toCentre) - along * along;
    if (miss2 >= radius * radius) return false;
    // Where the ray enters the sphere: before the point it looks for.
    return along - std::sqrt(radius * radius - miss2) < beyond;
}

bool EarthOcclusion::coversPixel(float sx, float sy, float radius) const {
    // The projection's own inverse: the width scales both axes.
    const float x = (sx - halfWidth_) / halfWidth_ * slopeX_;
    const float y = (halfHeight_ - sy) / halfWidth_ * slopeY_;
    const Vector3 direction = normalize(axisX_ * x + axisY_ * y + axisZ_);
    return hits(direction, radius, 1e30f);
}

bool EarthOcclusion::coversPoint(const Vector3& point, float radius) const {
    const Vector3 d = point - eye_;
    const float far = length(d);
    if (far <= 0.0f) return false;
    return hits(d * (1.0f / far), radius, far);
}

} // namespace gv
