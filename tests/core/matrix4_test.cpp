#include <gtest/gtest.h>

#include <cmath>

#include "core/angles.h"
#include "core/matrix4.h"

namespace gv {
namespace {

void expectNear(const Vector3& a, const Vector3& b, float eps = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

Matrix4 rotationX(float a) {
    Matrix4 m;
    m.setRotationX(a);
    return m;
}
Matrix4 rotationY(float a) {
    Matrix4 m;
    m.setRotationY(a);
    return m;
}
Matrix4 rotationZ(float a) {
    Matrix4 m;
    m.setRotationZ(a);
    return m;
}

TEST(Matrix4, RotationSignsWithRowVectors) {
    const float a = 0.3f, c = std::cos(a), s = std::sin(a);
    expectNear(transformPoint({1, 0, 0}, rotationY(a)), {c, 0, s});
    expectNear(transformPoint({0, 0, 1}, rotationY(a)), {-s, 0, c});
    expectNear(transformPoint({0, 1, 0}, rotationX(a)), {0, c, -s});
    expectNear(transformPoint({1, 0, 0}, rotationZ(a)), {c, -s, 0});
    // A rotation about y adds its angle to a point's azimuth atan2(z, x).
    const Vector3 p = transformPoint({std::cos(1.0f), 0, std::sin(1.0f)}, rotationY(0.5f));
    EXPECT_NEAR(std::atan2(p.z, p.x), 1.5f, 1e-5f);
}

TEST(Matrix4, ProductOrderAndTranslationRow) {
    // this × N: the point meets this first, then N.
    Matrix4 m = rotationY(kPi / 2);
    m.translate(10, 0, 0);
    expectNear(transformPoint({1, 0, 0}, m), {10, 0, 1});
    Matrix4 n = Matrix4::identity();
    n.setTranslation(10, 0, 0);
    n.multiply(rotationY(kPi / 2));
    expectNear(transformPoint({1, 0, 0}, n), {0, 0, 11});

    // setTranslation touches row 3 only.
    Matrix4 r = rotationZ(0.7f);
    const Matrix4 before = r;
    r.setTranslation(1, 2, 3);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_EQ(r.m[i][j], before.m[i][j]);
    EXPECT_EQ(r.m[3][0], 1);
    EXPECT_EQ(r.m[3][1], 2);
    EXPECT_EQ(r.m[3][2], 3);
    EXPECT_EQ(r.m[3][3], 1);
}

TEST(Matrix4, RotateAppliesXThenYThenZAndSkipsZeros) {
    Matrix4 m = Matrix4::identity();
    m.rotate(0.2f, 0.4f, -0.6f);
    const Matrix4 expected = rotationX(0.2f) * rotationY(0.4f) * rotationZ(-0.6f);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(m.m[i][j], expected.m[i][j], 1e-6f);

    Matrix4 t = Matrix4::identity();
    t.setTranslation(5, 6, 7);
    t.rotate(0, 0, 0);
    EXPECT_EQ(t.m[3][0], 5);
    EXPECT_EQ(t.m[0][0], 1);

    Matrix4 s;
    s.setScale(2.5f);
    expectNear(transformPoint({1, -2, 4}, s), {2.5f, -5, 10});
    Matrix4 z;
    z.setZero();
    for (auto& row : z.m)
        for (float e : row)
            EXPECT_EQ(e, 0.0f);
}

TEST(Matrix4, LookAtIsALeftHandedViewDownPlusZ) {
    const Vector3 eye{10, 5, -20}, target{1, 2, 3}, up{0, 1, 0};
    Matrix4 v;
    v.setLookAt(eye, target, up, 0.0f);
    const float dist = distance(eye, target);
    expectNear(transformPoint(target, v), {0, 0, dist});
    expectNear(transformPoint(eye, v), {0, 0, 0});
    // Up stays up, and with a left-handed frame world +x seen from -z is to the right.
    Matrix4 simple;
    simple.setLookAt({0, 0, -10}, {0, 0, 0}, up, 0.0f);
    expectNear(transformPoint({0, 1, 0}, simple), {0, 1, 10});
    expectNear(transformPoint({1, 0, 0}, simple), {1, 0, 10});
    // Roll turns the view about its axis: a rolled camera sees +y tipped.
    Matrix4 rolled;
    rolled.setLookAt({0, 0, -10}, {0, 0, 0}, up, kPi / 2);
    const Vector3 seen = transformPoint({0, 1, 0}, rolled);
    EXPECT_NEAR(std::fabs(seen.x), 1.0f, 1e-5f);
    EXPECT_NEAR(seen.y, 0.0f, 1e-5f);
    EXPECT_NEAR(seen.z, 10.0f, 1e-5f);
    EXPECT_NEAR(seen.x, -1.0f, 1e-5f); // this × Rz(-roll)
}

TEST(Matrix4, FacingTurnsPlusZAtTheTarget) {
    const Vector3 pos{3, -1, 2}, target{-5, 4, 9};
    Matrix4 f;
    f.setFacing(pos, target);
    const Vector3 dir = normalize(subtract(target, pos));
    expectNear(subtract(transformPoint({0, 0, 1}, f), pos), dir);
    // Rows 0..2 are orthonormal, y leans up.
    const Vector3 x{f.m[0][0], f.m[0][1], f.m[0][2]};
    const Vector3 y{f.m[1][0], f.m[1][1], f.m[1][2]};
    EXPECT_NEAR(dot(x, y), 0.0f, 1e-5f);
    EXPECT_NEAR(dot(y, dir), 0.0f, 1e-5f);
    EXPECT_NEAR(length(x), 1.0f, 1e-5f);
    EXPECT_GT(y.y, 0.0f);
    EXPECT_EQ(f.m[3][3], 1.0f);
    EXPECT_EQ(f.m[0][3], 0.0f);
}

TEST(Matrix4, ProjectionMapsNearAndFarToZeroAndOne) {
    const float nearPlane = 2, farPlane = 5000, fov = 0.8f;
    Matrix4 p;
    p.setProjection(nearPlane, farPlane, fov);
    EXPECT_NEAR(transformPoint({0, 0, nearPlane}, p).z, 0.0f, 1e-6f);
    EXPECT_NEAR(transformPoint({0, 0, farPlane}, p).z, 1.0f, 1e-5f);
    // The edge of the vertical field of view lands on y = 1.
    const float z = 100;
    EXPECT_NEAR(transformPoint({0, z * std::tan(fov / 2), z}, p).y, 1.0f, 1e-5f);
    EXPECT_EQ(p.m[3][3], 0.0f);
    EXPECT_FLOAT_EQ(p.m[2][3], std::sin(fov / 2));
}

} // namespace
} // namespace gv
