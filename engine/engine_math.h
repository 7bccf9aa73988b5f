#pragma once
// The few matrix and vector operations the engine needs itself, in the scene's
// conventions: row vectors multiplied from the left, matrices stored row by
// row, translation in row 3, a left-handed view looking down +z.
#include <cmath>

namespace gv::engine {

struct Vec3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

inline Vec3 operator-(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator+(const Vec3& a, const Vec3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline float dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline Vec3 normalized(const Vec3& v) {
    float len = std::sqrt(dot(v, v));
    if (len == 0.0f) len = 1.0f;
    return {v.x / len, v.y / len, v.z / len};
}

struct Mat4 {
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

    void setIdentity() { *this = Mat4{}; }
    // this = this x n
    void multiply(const Mat4& n);
    void translate(float x, float y, float z);
    void setTranslation(float x, float y, float z) {
        m[3][0] = x;
        m[3][1] = y;
        m[3][2] = z;
    }
    // For each angle that is not zero, in the order x, y, z: this = this x R.
    void rotate(float ax, float ay, float az);
    void setLookAt(const Vec3& eye, const Vec3& target, const Vec3& up);
    // Full vertical angle; no aspect term (the viewport carries it).
    void setProjection(float nearZ, float farZ, float fov);

    static Mat4 rotationX(float a);
    static Mat4 rotationY(float a);
    static Mat4 rotationZ(float a);
};

// p x M with the homogeneous divide.
Vec3 transformPoint(const Vec3& p, const Mat4& m);

} // namespace gv::engine
