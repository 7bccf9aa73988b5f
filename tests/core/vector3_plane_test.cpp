#include <gtest/gtest.h>

#include "core/plane.h"
#include "core/vector3.h"

namespace gv {
namespace {

void expectNear(const Vector3& a, const Vector3& b, float eps = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

TEST(Vector3, ArithmeticAndProducts) {
    const Vector3 a{1, 2, 3}, b{-4, 5, 0.5f};
    expectNear(add(a, b), {-3, 7, 3.5f});
    expectNear(subtract(a, b), {5, -3, 2.5f});
    expectNear(scale(a, 2), scale(2, a));
    expectNear(scale(2, a), {2, 4, 6});
    EXPECT_FLOAT_EQ(dot(a, b), -4 + 10 + 1.5f);
    // Orientation of the cross product: x × y = z.
    expectNear(cross({1, 0, 0}, {0, 1, 0}), {0, 0, 1});
    expectNear(cross(a, b), {2 * 0.5f - 3 * 5, 3 * -4 - 1 * 0.5f, 1 * 5 - 2 * -4});
    EXPECT_FLOAT_EQ(length({3, 4, 12}), 13);
    EXPECT_FLOAT_EQ(distance({1, 1, 1}, {4, 5, 1}), 5);
    expectNear(lerp(a, b, 0.25f), {1 - 1.25f, 2.75f, 3 - 0.625f});
}

TEST(Vector3, EqualityIsExact) {
    EXPECT_TRUE(equals({1, 2, 3}, {1, 2, 3}));
    EXPECT_FALSE(equals({1, 2, 3}, {1, 2, 3.0000005f}));
}

TEST(Vector3, NormalizeGuardsTheZeroVector) {
    Vector3 zero{0, 0, 0};
    zero.normalize();
    EXPECT_TRUE(equals(zero, {0, 0, 0}));
    EXPECT_TRUE(equals(normalize({0, 0, 0}), {0, 0, 0}));
    Vector3 v{0, -3, 4};
    v.normalize();
    expectNear(v, {0, -0.6f, 0.8f});
}

TEST(Vector3, TriangleNormalFollowsWindingAndDegeneracy) {
    expectNear(triangleNormal({0, 0, 0}, {1, 0, 0}, {1, 1, 0}), {0, 0, 1});
    expectNear(triangleNormal({0, 0, 0}, {1, 1, 0}, {1, 0, 0}), {0, 0, -1});
    EXPECT_TRUE(equals(triangleNormal({0, 0, 0}, {1, 1, 1}, {2, 2, 2}), {0, 0, 0}));
}

TEST(Plane, FromTriangleAndSignedDistance) {
    const Plane p = Plane::fromTriangle({0, 2, 0}, {1, 2, 0}, {1, 2, -1});
    expectNear(p.normal(), {0, 1, 0});
    EXPECT_FLOAT_EQ(p.d, 2);
    EXPECT_FLOAT_EQ(signedDistance(p, {5, 7, -3}), 5);
    EXPECT_FLOAT_EQ(signedDistance(p, {0, -1, 0}), -3);
    Plane q;
    q.set(0, 0, 1, -1);
    EXPECT_FLOAT_EQ(signedDistance(q, {9, 9, 1}), 2);
}

} // namespace
} // namespace gv
