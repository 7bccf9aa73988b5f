#include "engine/gl/render_state_emulation.h"

#include "engine/gl/gl_names.h"

namespace gv::gl {

namespace {

// Weights of arg1, arg2, arg1 x arg2 and plain diffuse for an operation.
void opWeights(uint32_t op, float w[4]) {
    using namespace d3d;
    w[0] = op == kOpSelectArg1 ? 1.0f : 0.0f;
    w[1] = op == kOpSelectArg2 ? 1.0f : 0.0f;
    w[2] = op == kOpModulate ? 1.0f : 0.0f;
    w[3] = (op != kOpSelectArg1 && op != kOpSelectArg2 && op != kOpModulate) ? 1.0f : 0.0f;
}

} // namespace

void RenderStateEmulation::attach(FixedFunctionProgram& program) {
    program_ = &program;
    glGenSamplers(1, &sampler_);
    glBindSampler(0, sampler_);
    glBindSampler(1, sampler_);
}

void RenderStateEmulation::detach() {
    if (sampler_) glDeleteSamplers(1, &sampler_);
    sampler_ = 0;
    program_ = nullptr;
}

void RenderStateEmulation::setDefaults() {
    using namespace d3d;
    rs_.fill(0);
    rs_[size_t(RenderState::ZFunc)] = kCmpLessEqual;
    rs_[size_t(RenderState::CullMode)] = kCullCCW;
    rs_[size_t(RenderState::FillMode)] = kFillSolid;
    rs_[size_t(RenderState::ShadeMode)] = kShadeGouraud;
    rs_[size_t(RenderState::ZEnable)] = 1;
    rs_[size_t(RenderState::ZWriteEnable)] = 1;
    rs_[size_t(RenderState::SrcBlend)] = kBlendOne;
    rs_[size_t(RenderState::DestBlend)] = kBlendZero;
    rs_[size_t(RenderState::TextureAddress)] = kAddressWrap;
    rs_[size_t(RenderState::TextureMag)] = kFilterNearest;
    rs_[size_t(RenderState::TextureMin)] = kFilterNearest;
    ss_.fill(0);
    ss_[size_t(StageState::ColorOp)] = kOpModulate;
    ss_[size_t(StageState::ColorArg1)] = kArgTexture;
    ss_[size_t(StageState::ColorArg2)] = kArgCurrent;
    ss_[size_t(StageState::AlphaOp)] = kOpSelectArg1;
    ss_[size_t(StageState::AlphaArg1)] = kArgTexture;
    ss_[size_t(StageState::AlphaArg2)] = kArgCurrent;
    ss_[size_t(StageState::AddressMode)] = kAddressWrap;
    boundTexture_ = 0;
    nightTexture_ = 0;
}

void RenderStateEmulation::applyAll() {
    if (!program_) return;
    for (size_t i = 0; i < rs_.size(); ++i)
        applyRenderState(RenderState(i), rs_[i]);
    for (size_t i = 0; i < ss_.size(); ++i)
        applyStage(StageState(i));
    applySampler();
    bindNightTexture(nightTexture_);
    bindTexture(boundTexture_);
}

void RenderStateEmulation::setRenderState(RenderState state, uint32_t value) {
    if (state >= RenderState::Count) return;
    rs_[size_t(state)] = value;
    if (program_) applyRenderState(state, value);
}

void RenderStateEmulation::setStageState(StageState state, uint32_t value) {
    if (state >= StageState::Count) return;
    ss_[size_t(state)] = value;
    if (program_) applyStage(state);
}

void RenderStateEmulation::bindTexture(uint32_t id) {
    boundTexture_ = id;
    if (!program_) return;
    const GLuint t = textures_.find(id);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, t);
    program_->setTextureBound(t != 0);
}

StageShape RenderStateEmulation::stageShape() const {
    auto at = [&](StageState s) { return ss_[size_t(s)]; };
    const StageSetup stage{at(StageState::ColorOp),   at(StageState::ColorArg1),
                           at(StageState::ColorArg2), at(StageState::AlphaOp),
                           at(StageState::AlphaArg1), at(StageState::AlphaArg2)};
    return gv::stageShape(stage, boundGlTexture() != 0);
}

void RenderStateEmulation::bindNightTexture(uint32_t id) {
    nightTexture_ = id;
    if (!program_) return;
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, textures_.find(id));
    // Unit 0 stays the active one: uploads and stage 0 rely on it.
    glActiveTexture(GL_TEXTURE0);
}

void RenderStateEmulation::applyCull() {
    using namespace d3d;
    // Culling by on-screen winding: what turns counter-clockwise on screen in
    // the device's frame turns counter-clockwise in GL's window too, so
    // "cull counter-clockwise" keeps clockwise faces as the front.
    const uint32_t cull = rs_[size_t(RenderState::CullMode)];
    if (cull == kCullNone) {
        glDisable(GL_CULL_FACE);
        return;
    }
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(cull == kCullCCW ? GL_CW : GL_CCW);
}

void RenderStateEmulation::applySampler() {
    using namespace d3d;
    if (!sampler_) return;
    const GLint mag =
        rs_[size_t(RenderState::TextureMag)] == kFilterLinear ? GL_LINEAR : GL_NEAREST;
    const GLint min =
        rs_[size_t(RenderState::TextureMin)] == kFilterLinear ? GL_LINEAR : GL_NEAREST;
    const uint32_t address = ss_[size_t(StageState::AddressMode)];
    const GLint wrap = address == kAddressClamp    ? GL_CLAMP_TO_EDGE
                       : address == kAddressMirror ? GL_MIRRORED_REPEAT
                                                   : GL_REPEAT;
    glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER, mag);
    glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER, min);
    glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_S, wrap);
    glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_T, wrap);
}

void RenderStateEmulation::applyRenderState(RenderState state, uint32_t value) {
    using namespace d3d;
    switch (state) {
    case RenderState::TextureAddress:
        // Sets the address mode of the stage as well.
        ss_[size_t(StageState::AddressMode)] = value;
        applySampler();
        break;
    case RenderState::TextureMag:
    case RenderState::TextureMin:
        applySampler();
        break;
    case RenderState::FillMode:
        glPolygonMode(GL_FRONT_AND_BACK, value == kFillPoint       ? GL_POINT
                                         : value == kFillWireframe ? GL_LINE
                                                                   : GL_FILL);
        break;
    case RenderState::CullMode:
        applyCull();
        break;
    case RenderState::DitherEnable:
        if (value)
            glEnable(GL_DITHER);
        else
            glDisable(GL_DITHER);
        break;
    case RenderState::SpecularEnable:
        program_->setSpecular(value != 0);
        break;
    case RenderState::ZEnable:
        if (value)
            glEnable(GL_DEPTH_TEST);
        else
            glDisable(GL_DEPTH_TEST);
        break;
    case RenderState::ZFunc:
        glDepthFunc(compareFunction(value));
        break;
    case RenderState::ZWriteEnable:
        depthMask_ = value != 0;
        glDepthMask(depthMask_ ? GL_TRUE : GL_FALSE);
        break;
    case RenderState::AlphaBlendEnable:
        if (value)
            glEnable(GL_BLEND);
        else
            glDisable(GL_BLEND);
        break;
    case RenderState::SrcBlend:
    case RenderState::DestBlend:
        glBlendFunc(blendFactor(rs_[size_t(RenderState::SrcBlend)]),
                    blendFactor(rs_[size_t(RenderState::DestBlend)]));
        break;
    case RenderState::TexturePerspective: // GL interpolates with perspective always
    case RenderState::SubPixel:           // and with sub-pixel precision always
    case RenderState::Antialias:          // only "none" is ever asked
    case RenderState::ShadeMode:          // only Gouraud is ever asked
    case RenderState::Anisotropy:         // no mipmaps, no anisotropy
    case RenderState::TranslucentSortIndependent:
    case RenderState::ColorKeyEnable: // no texture carries a colour key; alpha does
    case RenderState::FogEnable:      // fog is never switched on
    case RenderState::Count:
        break;
    }
}

void RenderStateEmulation::applyStage(StageState state) {
    auto isTexture = [&](StageState s) { return ss_[size_t(s)] == d3d::kArgTexture ? 1.0f : 0.0f; };
    float w[4];
    switch (state) {
    case StageState::ColorOp:
    case StageState::ColorArg1:
    case StageState::ColorArg2:
        opWeights(ss_[size_t(StageState::ColorOp)], w);
        program_->setColorStage(isTexture(StageState::ColorArg1), isTexture(StageState::ColorArg2),
                                w);
        break;
    case StageState::AlphaOp:
    case StageState::AlphaArg1:
    case StageState::AlphaArg2:
        opWeights(ss_[size_t(StageState::AlphaOp)], w);
        program_->setAlphaStage(isTexture(StageState::AlphaArg1), isTexture(StageState::AlphaArg2),
                                w);
        break;
    case StageState::AddressMode:
        applySampler();
        break;
    case StageState::Count:
        break;
    }
}

} // namespace gv::gl
