#include "engine/stage_shape.h"

#include "engine/device_types.h"

namespace gv {

namespace {

// One channel's result as the factors it multiplies: the texture, the
// diffuse colour, or something no shape covers.
enum Factors : int { kOne = 0, kTexture = 1, kDiffuse = 2, kBoth = 3, kOther = 4 };

int argument(uint32_t arg, bool textureBound) {
    // Any argument other than the texture reads the diffuse colour at stage 0
    // (the current colour there is the diffuse one).
    if (arg != d3d::kArgTexture) return kDiffuse;
    return textureBound ? kTexture : kOne;
}

int channel(uint32_t op, uint32_t arg1, uint32_t arg2, bool textureBound) {
    using namespace d3d;
    const int a = argument(arg1, textureBound), b = argument(arg2, textureBound);
    switch (op) {
    case kOpSelectArg1:
        return a;
    case kOpSelectArg2:
        return b;
    case kOpModulate:
        // Texture times texture or diffuse times diffuse is a square: no shape.
        return (a & b) ? kOther : (a | b);
    default:
        // Disabled: the diffuse colour goes through.
        return kDiffuse;
    }
}

} // namespace

StageShape stageShape(const StageSetup& s, bool textureBound) {
    const int colour = channel(s.colorOp, s.colorArg1, s.colorArg2, textureBound);
    const int alpha = channel(s.alphaOp, s.alphaArg1, s.alphaArg2, textureBound);
    if (colour == kBoth && alpha == kBoth) return StageShape::TextureTimesDiffuse;
    if (colour == kDiffuse && alpha == kDiffuse) return StageShape::Diffuse;
    if (colour == kBoth && alpha == kTexture) return StageShape::TextureTimesDiffuseAlphaTexture;
    return StageShape::General;
}

} // namespace gv
