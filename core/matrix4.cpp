#include "core/matrix4.h"

#include <cmath>

namespace gv {

void Matrix4::setZero() {
    for (auto& row : m)
        for (float& e : row)
            e = 0.0f;
}

void Matrix4::setIdentity() {
    setZero();
    for (int i = 0; i < 4; ++i)
        m[i][i] = 1.0f;
}

Matrix4 Matrix4::identity() {
    Matrix4 r;
    r.setIdentity();
    return r;
}

Matrix4 operator*(const Matrix4& a, const Matrix4& b) {
    Matrix4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float s = 0.0f;
            for (int k = 0; k < 4; ++k)
                s += a.m[i][k] * b.m[k][j];
            r.m[i][j] = s;
        }
    return r;
}

void Matrix4::multiply(const Matrix4& n) {
    *this = *this * n;
}

void Matrix4::setTranslation(float x, float y, float z) {
    m[3][0] = x;
    m[3][1] = y;
    m[3][2] = z;
}

void Matrix4::translate(float x, float y, float z) {
    Matrix4 t = identity();
    t.setTranslation(x, y, z);
    multiply(t);
}

void Matrix4::setRotationX(float a) {
    setIdentity();
    const float c = std::cos(a), s = std::sin(a);
    m[1][1] = c;
    m[1][2] = -s;
    m[2][1] = s;
    m[2][2] = c;
}

void Matrix4::setRotationY(float a) {
    setIdentity();
    const float c = std::cos(a), s = std::sin(a);
    m[0][0] = c;
    m[0][2] = s;
    m[2][0] = -s;
    m[2][2] = c;
}

void Matrix4::setRotationZ(float a) {
    setIdentity();
    const float c = std::cos(a), s = std::sin(a);
    m[0][0] = c;
    m[0][1] = -s;
    m[1][0] = s;
    m[1][1] = c;
}

void Matrix4::setScale(float s) {
    setIdentity();
    m[0][0] = s;
    m[1][1] = s;
    m[2][2] = s;
}

void Matrix4::rotate(float ax, float ay, float az) {
    Matrix4 r;
    if (ax != 0.0f) {
        r.setRotationX(ax);
        multiply(r);
    }
    if (ay != 0.0f) {
        r.setRotationY(ay);
        multiply(r);
    }
    if (az != 0.0f) {
        r.setRotationZ(az);
        multiply(r);
    }
}

void Matrix4::setLookAt(const Vector3& eye, const Vector3& target, const Vector3& up, float roll) {
    const Vector3 zAxis = normalize(subtract(target, eye));
    const Vector3 xAxis = normalize(cross(up, zAxis));
    const Vector3 yAxis = normalize(cross(zAxis, xAxis));
    const Vector3 axes[3] = {xAxis, yAxis, zAxis};
    for (int c = 0; c < 3; ++c) {
        m[0][c] = axes[c].x;
        m[1][c] = axes[c].y;
        m[2][c] = axes[c].z;
        m[c][3] = 0.0f;
    }
    m[3][0] = -dot(xAxis, eye);
    m[3][1] = -dot(yAxis, eye);
    m[3][2] = -dot(zAxis, eye);
    m[3][3] = 1.0f;
    if (roll != 0.0f) {
        Matrix4 r;
        r.setRotationZ(-roll);
        multiply(r);
    }
}

void Matrix4::setFacing(const Vector3& position, const Vector3& target) {
    const Vector3 z = normalize(subtract(target, position));
    const Vector3 worldUp{0.0f, 1.0f, 0.0f};
    const Vector3 y = normalize(subtract(worldUp, scale(z, dot(worldUp, z))));
    const Vector3 x = cross(y, z);
    const Vector3 rows[4] = {x, y, z, position};
    for (int r = 0; r < 4; ++r) {
        m[r][0] = rows[r].x;
        m[r][1] = rows[r].y;
        m[r][2] = rows[r].z;
        m[r][3] = r == 3 ? 1.0f : 0.0f;
    }
}

void Matrix4::setProjection(float nearPlane, float farPlane, float fov) {
    const float c = std::cos(fov * 0.5f);
    const float s = std::sin(fov * 0.5f);
    const float q = s / (1.0f - nearPlane / farPlane);
    setZero();
    m[0][0] = c;
    m[1][1] = c;
    m[2][2] = q;
    m[2][3] = s;
    m[3][2] = -q * nearPlane;
}

Vector3 transformPoint(const Vector3& v, const Matrix4& m) {
    const float w = v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + m.m[3][3];
    const float x = v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0];
    const float y = v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1];
    const float z = v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2];
    return {x / w, y / w, z / w};
}

} // namespace gv
