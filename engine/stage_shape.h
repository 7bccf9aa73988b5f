#pragma once
// What texture stage 0 computes, reduced to the few shapes most draws take,
// so that a backend can compute those directly instead of through the
// general weights of every operation and argument.
#include <cstdint>

namespace gv {

enum class StageShape : int {
    General = 0,                         // anything else
    TextureTimesDiffuse = 1,             // colour and alpha: texture x diffuse
    Diffuse = 2,                         // colour and alpha: diffuse
    TextureTimesDiffuseAlphaTexture = 3, // colour texture x diffuse, alpha texture
};

struct StageSetup {
    uint32_t colorOp, colorArg1, colorArg2;
    uint32_t alphaOp, alphaArg1, alphaArg2;
};

// The shape of stage 0 with these operations and arguments (the device's
// d3d constants); without a texture the stage reads opaque white for it.
StageShape stageShape(const StageSetup& stage, bool textureBound);

} // namespace gv
