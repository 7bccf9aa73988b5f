#pragma once
#include "core/vector3.h"

namespace gv {

// The plane a·x + b·y + c·z = d with the unit normal (a, b, c).
struct Plane {
    float a = 0.0f;
    float b = 0.0f;
    float c = 0.0f;
    float d = 0.0f;

    constexpr Plane() = default;
    constexpr Plane(float a_, float b_, float c_, float d_) : a(a_), b(b_), c(c_), d(d_) {}

    void set(float a_, float b_, float c_, float d_);
    Vector3 normal() const { return {a, b, c}; }

    // The plane through three points, its normal by the winding p1 -> p2 -> p3.
    static Plane fromTriangle(const Vector3& p1, const Vector3& p2, const Vector3& p3);
};

// Positive on the side the normal points to.
float signedDistance(const Plane& plane, const Vector3& p);

} // namespace gv
