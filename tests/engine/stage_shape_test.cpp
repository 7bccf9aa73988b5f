#include "engine/device_types.h"
#include "engine/stage_shape.h"

#include <gtest/gtest.h>

using namespace gv;
using namespace gv::d3d;

namespace {

StageSetup stage(uint32_t cop, uint32_t c1, uint32_t c2, uint32_t aop, uint32_t a1, uint32_t a2) {
    return {cop, c1, c2, aop, a1, a2};
}

} // namespace

// The setups the renderer's materials, text and rectangles use, by what the
// stage computes from them.
TEST(StageShape, CommonSetupsReduceToTheirProducts) {
    // Text and combined-alpha sprites: both channels texture x diffuse, in
    // either argument order and with "current" standing for diffuse.
    EXPECT_EQ(stageShape(stage(kOpModulate, kArgTexture, kArgDiffuse, kOpModulate, kArgTexture,
                               kArgDiffuse),
                         true),
              StageShape::TextureTimesDiffuse);
    EXPECT_EQ(stageShape(stage(kOpModulate, kArgCurrent, kArgTexture, kOpModulate, kArgDiffuse,
                               kArgTexture),
                         true),
              StageShape::TextureTimesDiffuse);
    // Opaque and additive materials: colour modulated, alpha the texture's.
    EXPECT_EQ(
        stageShape(stage(kOpModulate, kArgTexture, kArgDiffuse, kOpSelectArg1, kArgTexture, 0),
                   true),
        StageShape::TextureTimesDiffuseAlphaTexture);
    // A rectangle: colour the diffuse one, alpha texture x diffuse with no
    // texture bound, which reads white.
    EXPECT_EQ(
        stageShape(stage(kOpSelectArg1, kArgDiffuse, 0, kOpModulate, kArgTexture, kArgDiffuse),
                   false),
        StageShape::Diffuse);
    EXPECT_EQ(stageShape(stage(kOpDisable, kArgTexture, kArgTexture, kOpSelectArg2, kArgTexture,
                               kArgDiffuse),
                         true),
              StageShape::Diffuse);
}

TEST(StageShape, WhatNoShapeCoversStaysGeneral) {
    // The texture alone.
    EXPECT_EQ(stageShape(stage(kOpSelectArg1, kArgTexture, 0, kOpSelectArg1, kArgTexture, 0), true),
              StageShape::General);
    // A square of the texture.
    EXPECT_EQ(stageShape(stage(kOpModulate, kArgTexture, kArgTexture, kOpModulate, kArgTexture,
                               kArgDiffuse),
                         true),
              StageShape::General);
    // Colour and alpha of different shapes.
    EXPECT_EQ(
        stageShape(stage(kOpModulate, kArgTexture, kArgDiffuse, kOpSelectArg1, kArgDiffuse, 0),
                   true),
        StageShape::General);
    // The console's face: diffuse colour, coverage x diffuse alpha.
    EXPECT_EQ(
        stageShape(stage(kOpSelectArg1, kArgDiffuse, 0, kOpModulate, kArgTexture, kArgDiffuse),
                   true),
        StageShape::General);
    // Without a texture, an opaque material's alpha is white: not a shape.
    EXPECT_EQ(
        stageShape(stage(kOpModulate, kArgTexture, kArgDiffuse, kOpSelectArg1, kArgTexture, 0),
                   false),
        StageShape::General);
}
