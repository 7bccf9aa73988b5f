// The ring of air round the earth's disc, placed for where the camera stands.
#include "recording_scene.h"

#include "scene/air_shell.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace gv;

namespace {

using AirRing = gv::testing::RecordingScene;

// Distance from point c to the line through a and b.
float lineDistance(const Vector3& a, const Vector3& b, const Vector3& c) {
    const Vector3 d = normalize(b - a);
    const Vector3 ac = c - a;
    return length(ac - dot(ac, d) * d);
}

TEST_F(AirRing, SpansTheEarthsLimbToTheAirsLimbAsTheCameraSeesThem) {
    auto ring = buildAirRing(*renderer, 0);
    ASSERT_NE(ring, nullptr);
    ASSERT_EQ(ring->vertices().size(), 2u * kAirRingSegments);
    const Vector3 earth{700.0f, 0.0f, -300.0f};
    for (const Vector3& eye : {Vector3{700.0f, 0.0f, 200.0f}, Vector3{1000.0f, 350.0f, -100.0f},
                               Vector3{700.0f, 230.0f, -300.0f}}) {
        ASSERT_TRUE(placeAirRing(*ring, earth, 128.0f, eye));
        const auto& v = ring->vertices();
        const Matrix4& w = ring->world();
        for (int i = 0; i < kAirRingSegments; ++i) {
            const MeshVertex& in = v[size_t(2 * i)];
            const MeshVertex& out = v[size_t(2 * i + 1)];
            // In the world, by the ring's transform.
            const Vector3 pi = transformPoint({in.x, in.y, in.z}, w);
            const Vector3 po = transformPoint({out.x, out.y, out.z}, w);
            const Vector3 n = transformPoint({out.nx, out.ny, out.nz}, w) - earth;
            // The outer edge: the air's tangent points, its line of sight
            // grazing the air's sphere.
            EXPECT_NEAR(distance(po, earth), kAirShellRadius, 0.01f);
            EXPECT_NEAR(lineDistance(eye, po, earth), kAirShellRadius, 0.05f);
            // The inner edge: just inside the earth's limb, so the earth
            // covers it.
            const float inner = lineDistance(eye, pi, earth);
            EXPECT_LT(inner, 128.0f);
            EXPECT_GT(inner, 0.97f * 128.0f);
            // 1 at the limb, 0 outside; normals away from the earth.
            EXPECT_EQ(in.u, 1.0f);
            EXPECT_EQ(out.u, 0.0f);
            EXPECT_NEAR(dot(n, normalize(po - earth)), 1.0f, 1e-4f);
        }
    }
    // A camera inside the air has no ring round the disc.
    EXPECT_FALSE(placeAirRing(*ring, earth, 128.0f, earth + Vector3{0.0f, 0.0f, 130.0f}));
}

} // namespace
