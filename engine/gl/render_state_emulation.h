#pragma once
// Direct3D's render states and texture-stage states kept as the renderer
// sets them and carried over to GL: depth, blending, culling, fill mode, the
// sampler's filter and address mode, and stage 0's colour and alpha
// operations as weights of the fixed-function program; and the textures of
// unit 0 (stage 0) and unit 1 (the planet's night map).
#include "engine/device_types.h"
#include "engine/gl/fixed_function_program.h"
#include "engine/gl/texture_table.h"
#include "engine/stage_shape.h"

#include <array>
#include <cstdint>

namespace gv::gl {

class RenderStateEmulation {
  public:
    explicit RenderStateEmulation(const TextureTable& textures) : textures_(textures) {}

    // The program the stage states go to; makes the sampler of stage 0.
    // Until then (and after detach) states are only recorded.
    void attach(FixedFunctionProgram& program);
    void detach();
    bool attached() const { return program_ != nullptr; }

    // The device's default table: depth test and writes on, less-or-equal,
    // counter-clockwise culling, solid, no blending (one, zero), wrap,
    // nearest filtering; stage 0 modulates texture and diffuse and takes the
    // texture's alpha; no texture.
    void setDefaults();
    // Sends every recorded state to GL again (after device creation, or after
    // something else touched GL's state).
    void applyAll();

    void setRenderState(RenderState state, uint32_t value);
    void setStageState(StageState state, uint32_t value);
    void bindTexture(uint32_t id);
    uint32_t boundTexture() const { return boundTexture_; }
    // The planet shading's night map on unit 1, sampled as stage 0 is.
    void bindNightTexture(uint32_t id);
    uint32_t boundNightTexture() const { return nightTexture_; }
    GLuint boundGlTexture() const { return textures_.find(boundTexture_); }
    bool depthWrite() const { return depthMask_; }
    GLuint sampler() const { return sampler_; }
    // The shape stage 0 takes with its current operations and texture.
    StageShape stageShape() const;

  private:
    void applyRenderState(RenderState state, uint32_t value);
    void applyStage(StageState state);
    void applySampler();
    void applyCull();

    const TextureTable& textures_;
    FixedFunctionProgram* program_ = nullptr;
    GLuint sampler_ = 0;
    std::array<uint32_t, size_t(RenderState::Count)> rs_{};
    std::array<uint32_t, size_t(StageState::Count)> ss_{};
    uint32_t boundTexture_ = 0;
    uint32_t nightTexture_ = 0;
    bool depthMask_ = true;
};

} // namespace gv::gl
