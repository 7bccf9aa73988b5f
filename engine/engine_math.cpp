#include "engine/engine_math.h"

namespace gv::engine {

void Mat4::multiply(const Mat4& n) {
    Mat4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = m[i][0] * n.m[0][j] + m[i][1] * n.m[1][j] + m[i][2] * n.m[2][j] +
                        m[i][3] * n.m[3][j];
    *this = r;
}

void Mat4::translate(float x, float y, float z) {
    Mat4 t;
    t.setTranslation(x, y, z);
    multiply(t);
}

Mat4 Mat4::rotationX(float a) {
    Mat4 r;
    r.m[1][1] = std::cos(a);
    r.m[1][2] = -std::sin(a);
    r.m[2][1] = std::sin(a);
    r.m[2][2] = std::cos(a);
    return r;
}

Mat4 Mat4::rotationY(float a) {
    Mat4 r;
    r.m[0][0] = std::cos(a);
    r.m[0][2] = std::sin(a);
    r.m[2][0] = -std::sin(a);
    r.m[2][2] = std::cos(a);
    return r;
}

Mat4 Mat4::rotationZ(float a) {
    Mat4 r;
    r.m[0][0] = std::cos(a);
    r.m[0][1] = -std::sin(a);
    r.m[1][0] = std::sin(a);
    r.m[1][1] = std::cos(a);
    return r;
}

void Mat4::rotate(float ax, float ay, float az) {
    if (ax != 0.0f) multiply(rotationX(ax));
    if (ay != 0.0f) multiply(rotationY(ay));
    if (az != 0.0f) multiply(rotationZ(az));
}

void Mat4::setLookAt(const Vec3& eye, const Vec3& target, const Vec3& up) {
    const Vec3 zAxis = normalized(target - eye);
    const Vec3 xAxis = normalized(cross(up, zAxis));
    const Vec3 yAxis = normalized(cross(zAxis, xAxis));
    const float* axes[3] = {&xAxis.x, &yAxis.x, &zAxis.x};
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 3; ++i)
            m[i][c] = axes[c][i];
    m[3][0] = -dot(xAxis, eye);
    m[3][1] = -dot(yAxis, eye);
    m[3][2] = -dot(zAxis, eye);
    m[0][3] = m[1][3] = m[2][3] = 0.0f;
    m[3][3] = 1.0f;
}

void Mat4::setProjection(float nearZ, float farZ, float fov) {
    const float c = std::cos(fov * 0.5f);
    const float s = std::sin(fov * 0.5f);
    const float q = s / (1.0f - nearZ / farZ);
    *this = Mat4{};
    m[0][0] = c;
    m[1][1] = c;
    m[2][2] = q;
    m[2][3] = s;
    m[3][2] = -q * nearZ;
    m[3][3] = 0.0f;
}

Vec3 transformPoint(const Vec3& p, const Mat4& m) {
    const float w = p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3];
    return {(p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0]) / w,
            (p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1]) / w,
            (p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]) / w};
}

} // namespace gv::engine
