#pragma once
// 4x4 single-precision matrix stored row by row, m[row][column]. Points are
// row vectors multiplied on the left (p' = p · M) and a transform's
// translation lives in row 3: the layout the renderer takes unchanged.
#include "core/vector3.h"

namespace gv {

struct Matrix4 {
    float m[4][4] = {};

    void setIdentity();
    void setZero();
    // this = this × n
    void multiply(const Matrix4& n);
    // Writes row 3 only.
    void setTranslation(float x, float y, float z);
    // this = this × T(x, y, z)
    void translate(float x, float y, float z);
    // Rotations about the axes; with row vectors setRotationY(a) carries +x to
    // (cos a, 0, sin a).
    void setRotationX(float a);
    void setRotationY(float a);
    void setRotationZ(float a);
    void setScale(float s);
    // this = this × Rx(ax) × Ry(ay) × Rz(az), skipping zero angles.
    void rotate(float ax, float ay, float az);
    // Left-handed view matrix: the camera at eye looks down its +z towards
    // target; a non-zero roll turns the view about that axis.
    void setLookAt(const Vector3& eye, const Vector3& target, const Vector3& up, float roll);
    // Object orientation: +z towards target, y as near world-up as possible,
    // translation = position.
    void setFacing(const Vector3& position, const Vector3& target);
    // Perspective with the full vertical field of view fov (radians); the
    // aspect ratio is applied elsewhere.
    void setProjection(float nearPlane, float farPlane, float fov);

    static Matrix4 identity();
};

Matrix4 operator*(const Matrix4& a, const Matrix4& b);

// p · M with the homogeneous divide.
Vector3 transformPoint(const Vector3& v, const Matrix4& m);

} // namespace gv
