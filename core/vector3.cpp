#include "core/vector3.h"

#include <cmath>

namespace gv {

namespace {
float lengthOrOne(const Vector3& v) {
    const float len = length(v);
    return len == 0.0f ? 1.0f : len;
}
} // namespace

void Vector3::normalize() {
    const float len = lengthOrOne(*this);
    x /= len;
    y /= len;
    z /= len;
}

Vector3 add(const Vector3& a, const Vector3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

Vector3 subtract(const Vector3& a, const Vector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Vector3 scale(const Vector3& v, float s) {
    return {v.x * s, v.y * s, v.z * s};
}

Vector3 scale(float s, const Vector3& v) {
    return scale(v, s);
}

float dot(const Vector3& a, const Vector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vector3 cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float length(const Vector3& v) {
    return std::sqrt(dot(v, v));
}

Vector3 normalize(const Vector3& v) {
    Vector3 r = v;
    r.normalize();
    return r;
}

float distance(const Vector3& a, const Vector3& b) {
    return length(subtract(a, b));
}

bool equals(const Vector3& a, const Vector3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

Vector3 lerp(const Vector3& a, const Vector3& b, float t) {
    return add(a, scale(subtract(b, a), t));
}

Vector3 triangleNormal(const Vector3& p1, const Vector3& p2, const Vector3& p3) {
    return normalize(cross(subtract(p2, p1), subtract(p3, p2)));
}

} // namespace gv
