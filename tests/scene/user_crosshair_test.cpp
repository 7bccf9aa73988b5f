#include "engine/display_device.h"
#include "engine/recording_backend.h"
#include "engine/renderer.h"
#include "scene/user_crosshair.h"

#include <gtest/gtest.h>

#include <cmath>

namespace gv {
namespace {

float angleBetween(const Vector3& a, const Vector3& b) {
    const float dot = a.x * b.x + a.y * b.y + a.z * b.z;
    const float la = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    const float lb = std::sqrt(b.x * b.x + b.y * b.y + b.z * b.z);
    return std::acos(std::fmax(-1.0f, std::fmin(1.0f, dot / (la * lb))));
}

TEST(UserCrosshair, FourArmsOnTheSphereWithAGapRoundThePointBelowTheView) {
    const float phi = 0.7f + 0.0085f, lambda = -2.0f;
    // The centre is where the user view stands, seen from the earth's centre.
    // p = 0.7085 - 1.57 = -0.8615: cos(-2) sin p = -0.416147 * -0.758823 =
    // 0.315781, cos p = 0.651300, sin(-2) sin p = -0.909297 * -0.758823 =
    // 0.689993; times the radius 148.
    const Vector3 centre = crosshairPoint(phi, lambda);
    EXPECT_NEAR(centre.x, 46.736f, 1e-3f);
    EXPECT_NEAR(centre.y, 96.392f, 1e-3f);
    EXPECT_NEAR(centre.z, 102.119f, 1e-3f);

    const auto segments = crosshairSegments(phi, lambda);
    EXPECT_EQ(segments.size(), 4u * 8u);
    // The first sixteen run along the meridian, a gap of 0.1 from the centre
    // out to a quarter turn; the rest along the parallel, 0.1 of azimuth away.
    float nearest = 10.0f, farthest = 0.0f;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const auto& [a, b] = segments[i];
        for (const Vector3& v : {a, b}) {
            EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), kCrosshairRadius, 1e-3f);
            if (i < 16) {
                nearest = std::fmin(nearest, angleBetween(v, centre));
                farthest = std::fmax(farthest, angleBetween(v, centre));
            } else {
                EXPECT_NEAR(v.y, centre.y, 1e-3f) << "off the parallel";
            }
        }
        EXPECT_LE(angleBetween(a, b), 0.2f + 1e-3f) << "steps of 0.2 radians at most";
    }
    EXPECT_NEAR(nearest, 0.1f, 1e-3f);
    EXPECT_NEAR(farthest, 1.57f, 1e-3f);
    EXPECT_EQ(segments[16].first.x, crosshairPoint(phi, lambda + 0.1f).x);
}

TEST(UserCrosshair, DrawnAsLinesWithDepthTestAroundTheEarth) {
    auto b = std::make_unique<RecordingBackend>();
    RecordingBackend* backend = b.get();
    platform::DisplayInfo info;
    info.modes = {{640, 480, 32, 0}};
    DisplayDevice device(std::move(b), {info}, 32);
    ASSERT_EQ(device.selectDriver(0), 0u);
    ASSERT_EQ(device.selectMode(0, true, false), 0u);
    Renderer renderer(device);
    ASSERT_EQ(renderer.create3D(true), 0u);
    backend->clearLog();
    drawUserCrosshair(renderer, {10.0f, 0.0f, -20.0f}, 0.5f, 0.25f);
    EXPECT_EQ(backend->countCalls("drawUnlit"), 32u);
    EXPECT_EQ(backend->renderStates[RenderState::ZEnable], 1u);
    for (const auto& d : backend->draws)
        EXPECT_EQ(d.type, PrimitiveType::LineList);
}

} // namespace
} // namespace gv
