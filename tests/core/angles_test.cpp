#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "core/angles.h"

namespace gv {
namespace {

constexpr float kEps = 1e-6f;

TEST(FloorToInt, RoundsTowardsMinusInfinity) {
    EXPECT_EQ(floorToInt(2.7f), 2);
    EXPECT_EQ(floorToInt(3.0f), 3);
    EXPECT_EQ(floorToInt(-3.0f), -3);
    EXPECT_EQ(floorToInt(-0.5f), -1);
    EXPECT_EQ(floorToInt(-2.7f), -3);
}

TEST(WrapSigned, KeepsBothEndsAndFoldsWholeTurns) {
    EXPECT_EQ(wrapSigned(kPi), kPi);
    EXPECT_EQ(wrapSigned(-kPi), -kPi);
    EXPECT_NEAR(wrapSigned(3.0f * kPi), kPi, kEps);
    EXPECT_NEAR(wrapSigned(-3.0f * kPi), -kPi, kEps);
    EXPECT_NEAR(wrapSigned(1.5f * kPi), -0.5f * kPi, kEps);
    EXPECT_NEAR(wrapSigned(-1.5f * kPi), 0.5f * kPi, kEps);
    EXPECT_NEAR(wrapSigned(2.0f * kPi + 0.25f), 0.25f, 1e-5f);
    EXPECT_EQ(wrapSigned(0.5f), 0.5f);
    // Many turns away still lands in range.
    const float far = wrapSigned(1000.0f);
    EXPECT_NEAR(far, 1000.0f - 159.0f * 2.0 * std::numbers::pi, 1e-3);
    EXPECT_LE(std::fabs(wrapSigned(-12345.678f)), kPi);
}

TEST(ReduceAngles, LandInTheirTurn) {
    EXPECT_FLOAT_EQ(reduceDegrees(-30.0f), 330.0f);
    EXPECT_FLOAT_EQ(reduceDegrees(725.0f), 5.0f);
    EXPECT_FLOAT_EQ(reduceDegrees(360.0f), 0.0f);
    EXPECT_NEAR(reduceDegrees(-3000000.25f), 239.75f, 0.01f);
    EXPECT_NEAR(reduceRadians(-0.5f), kTwoPi - 0.5f, kEps);
    EXPECT_NEAR(reduceRadians(7.0f), 7.0f - kTwoPi, kEps);
    // The reduction comes before the conversion.
    EXPECT_NEAR(degreesToRadians(-90.0f), 1.5f * kPi, 1e-5f);
    EXPECT_NEAR(degreesToRadians(450.0f), 0.5f * kPi, 1e-5f);
}

TEST(Atan2Positive, CoversEveryQuadrantAndTheAxes) {
    EXPECT_EQ(atan2Positive(0.0f, 0.0f), 0.0f);
    EXPECT_NEAR(atan2Positive(1.0f, 1.0f), 0.25f * kPi, kEps);
    EXPECT_NEAR(atan2Positive(1.0f, -1.0f), 0.75f * kPi, kEps);
    EXPECT_NEAR(atan2Positive(-1.0f, -1.0f), 1.25f * kPi, kEps);
    EXPECT_NEAR(atan2Positive(-1.0f, 1.0f), 1.75f * kPi, kEps);
    EXPECT_NEAR(atan2Positive(1.0f, 0.0f), 0.5f * kPi, kEps);
    EXPECT_NEAR(atan2Positive(-1.0f, 0.0f), 1.5f * kPi, kEps);
    EXPECT_NEAR(atan2Positive(0.0f, -2.0f), kPi, kEps);
    EXPECT_EQ(atan2Positive(0.0f, 2.0f), 0.0f);
    for (int i = 0; i < 360; i += 7) {
        const double a = i * std::numbers::pi / 180.0;
        const float r =
            atan2Positive(static_cast<float>(std::sin(a)), static_cast<float>(std::cos(a)));
        EXPECT_NEAR(r, a, 1e-5) << i << " degrees";
    }
}

} // namespace
} // namespace gv
