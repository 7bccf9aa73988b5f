#include "core/plane.h"

namespace gv {

void Plane::set(float a_, float b_, float c_, float d_) {
    a = a_;
    b = b_;
    c = c_;
    d = d_;
}

Plane Plane::fromTriangle(const Vector3& p1, const Vector3& p2, const Vector3& p3) {
    const Vector3 n = triangleNormal(p1, p2, p3);
    return {n.x, n.y, n.z, dot(n, p2)};
}

float signedDistance(const Plane& plane, const Vector3& p) {
    return dot(plane.normal(), p) - plane.d;
}

} // namespace gv
