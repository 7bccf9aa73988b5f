#include <gtest/gtest.h>

#include <vector>

#include "core/spline_path.h"

namespace gv {
namespace {

void expectNear(const Vector3& a, const Vector3& b, float eps = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

TEST(SplinePath, EmptyPathGivesOrigin) {
    SplinePath path;
    EXPECT_TRUE(equals(path.evaluate(0.5f), {0, 0, 0}));
    EXPECT_EQ(path.s1, 0.0f);
    EXPECT_EQ(path.s2, 0.0f);
    EXPECT_EQ(path.s3, 0.0f);
}

TEST(SplinePath, TwoPointsEndToEnd) {
    const Vector3 a{1, 2, 3}, b{-7, 4, 10};
    SplinePath path;
    path.append(&a);
    path.append(&b);
    EXPECT_TRUE(equals(path.evaluate(0.0f), a));
    expectNear(path.evaluate(1.0f), b, 0.0f);
    expectNear(path.evaluate(0.999f), b, 0.05f);
    // Closed: the second segment runs back to the first point.
    expectNear(path.evaluate(1.999f), a, 0.05f);
}

TEST(SplinePath, ClearedPathKeepsItsSlotsForTheNextPoints) {
    const Vector3 a{1, 2, 3}, b{-7, 4, 10}, c{5, 5, 5};
    SplinePath path;
    path.append(&a);
    path.append(&b);
    path.clear();
    EXPECT_EQ(path.count(), 0u);
    EXPECT_EQ(path.capacity(), 16u);
    EXPECT_TRUE(equals(path.evaluate(0.5f), Vector3{}));
    path.append(&c);
    path.append(&a);
    EXPECT_EQ(path.capacity(), 16u);
    EXPECT_EQ(path.point(0), &c);
    EXPECT_TRUE(equals(path.evaluate(1.0f), a));
}

TEST(SplinePath, ZeroShapeIsUniformCatmullRom) {
    const std::vector<Vector3> pts = {{0, 0, 0}, {10, 0, 5}, {10, 10, -5}, {0, 10, 2}, {-5, 5, 1}};
    SplinePath path;
    for (const auto& p : pts)
        path.append(&p);
    const float t = 0.3f;
    // Segment 4 wraps: P-1 = 3, P0 = 4, P1 = 0, P2 = 1.
    const Vector3 &pm = pts[3], &p0 = pts[4], &p1 = pts[0], &p2 = pts[1];
    auto cr = [t](float vm, float v0, float v1, float v2) {
        return 0.5f * (2 * v0 + (v1 - vm) * t + (2 * vm - 5 * v0 + 4 * v1 - v2) * t * t +
                       (3 * v0 - vm - 3 * v1 + v2) * t * t * t);
    };
    expectNear(path.evaluate(4.0f + t), {cr(pm.x, p0.x, p1.x, p2.x), cr(pm.y, p0.y, p1.y, p2.y),
                                         cr(pm.z, p0.z, p1.z, p2.z)});
}

TEST(SplinePath, ShapedPathStillPassesThroughItsPointsAndIsContinuous) {
    const std::vector<Vector3> pts = {{0, 0, 0}, {10, 0, 5}, {10, 10, -5}, {0, 10, 2}};
    SplinePath path;
    for (const auto& p : pts)
        path.append(&p);
    path.s1 = 0.3f;
    path.s2 = -0.2f;
    path.s3 = 0.5f;
    for (std::size_t i = 0; i < pts.size(); ++i) {
        expectNear(path.evaluate(static_cast<float>(i)), pts[i]);
        expectNear(path.evaluate(static_cast<float>(i) + 0.99999f), pts[(i + 1) % pts.size()],
                   1e-3f);
    }
}

TEST(SplinePath, GrowsFromSixteenByDoubling) {
    std::vector<Vector3> pts(40);
    SplinePath path;
    path.append(&pts[0]);
    EXPECT_EQ(path.capacity(), 16u);
    for (int i = 1; i < 17; ++i)
        path.append(&pts[i]);
    EXPECT_EQ(path.capacity(), 32u);
    for (int i = 17; i < 33; ++i)
        path.append(&pts[i]);
    EXPECT_EQ(path.capacity(), 64u);
    EXPECT_EQ(path.count(), 33u);
    for (uint32_t i = 0; i < path.count(); ++i)
        EXPECT_EQ(path.point(i), &pts[i]);
    // A copy owns its own array of the same pointers.
    SplinePath copy = path;
    path.append(&pts[33]);
    EXPECT_EQ(copy.count(), 33u);
    EXPECT_EQ(copy.point(32), &pts[32]);
}

} // namespace
} // namespace gv
