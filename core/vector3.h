#pragma once
// Single-precision 3-vector of the scene. World frame: y is up (the earth's
// spin axis), x and z span the plane of the earth's orbit.

namespace gv {

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr Vector3() = default;
    constexpr Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    // In-place normalisation; a zero vector stays zero rather than turning into NaNs.
    void normalize();
};

Vector3 add(const Vector3& a, const Vector3& b);
Vector3 subtract(const Vector3& a, const Vector3& b);
Vector3 scale(const Vector3& v, float s);
Vector3 scale(float s, const Vector3& v);
float dot(const Vector3& a, const Vector3& b);
Vector3 cross(const Vector3& a, const Vector3& b);
float length(const Vector3& v);
Vector3 normalize(const Vector3& v);
float distance(const Vector3& a, const Vector3& b);
// Exact comparison, no tolerance: callers use it to detect unchanged values.
bool equals(const Vector3& a, const Vector3& b);
Vector3 lerp(const Vector3& a, const Vector3& b, float t);
// Unit normal of the triangle p1, p2, p3 (zero for a degenerate triangle).
Vector3 triangleNormal(const Vector3& p1, const Vector3& p2, const Vector3& p3);

inline Vector3 operator+(const Vector3& a, const Vector3& b) {
    return add(a, b);
}
inline Vector3 operator-(const Vector3& a, const Vector3& b) {
    return subtract(a, b);
}
inline Vector3 operator*(const Vector3& v, float s) {
    return scale(v, s);
}
inline Vector3 operator*(float s, const Vector3& v) {
    return scale(s, v);
}

} // namespace gv
