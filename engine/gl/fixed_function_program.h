#pragma once
// The shader programs that emulate the fixed-function pipeline the renderer
// drives: per-vertex (Gouraud) lighting with one point light, texture stage 0
// selecting or modulating texture and diffuse, specular added after the
// stage, and pre-transformed screen vertices; and, for lit meshes, the
// planet's per-pixel shading (surface_effects.h) after the stage. One vertex
// shader; the fragment shader in variants: the general stage or one of its
// common shapes (stage_shape.h) computed directly, each without the planet
// shading, with it, and with it and its night map. The inputs are kept here and reach a
// variant's uniforms when a draw uses it.
#include "engine/device_types.h"
#include "engine/stage_shape.h"
#include "engine/surface_effects.h"

#include <glad/gl.h>

#include <array>
#include <cstdint>
#include <string>

namespace gv::gl {

// What a draw's vertices are.
enum class VertexKind : int {
    LitByDevice = 0, // lit by the light, the material and the ambient level
    OwnColour = 1,   // the vertex's own colours, transformed
    Screen = 2,      // already in screen pixels with reciprocal w
};

enum class Uniform : int {
    Kind,
    World,
    View,
    Proj,
    ClipMap,
    Screen,
    ClipFix,
    MatDiffuse,
    MatAmbient,
    MatSpecular,
    MatEmissive,
    MatPower,
    Ambient,
    LightOn,
    LightPos,
    LightColor,
    Attenuation,
    SpecularOn,
    SpecularAdd,
    HasTexture,
    ColorArgs,
    ColorWeights,
    AlphaArgs,
    AlphaWeights,
    Surface,
    Twilight,
    Air,
    AirColour,
    Count
};

class FixedFunctionProgram {
  public:
    FixedFunctionProgram();

    // Compiles and links the variants; false with the compiler's or
    // linker's text in error.
    bool build(std::string& error);
    void release();
    bool built() const { return variants_[0].program != 0; }

    // The inputs of the lighting, the transforms and the stage; kept until a
    // draw needs them, built or not.
    void setTransform(TransformType type, const Matrix4& m);
    // Maps the viewport's clip-space window onto GL's -1..1 and gives screen
    // vertices the viewport's size in pixels.
    void setViewportMap(const Viewport& viewport);
    void setMaterial(const MaterialRecord& material);
    void setLight(const LightRecord& light, bool attached);
    void switchLightOff();
    // The ambient light as 0x00RRGGBB.
    void setAmbient(uint32_t rgb);
    // Depth comes out of the clip space as 0..1 (GL's clip control) or as
    // -1..1, which the program then remaps.
    void setDepthRemap(bool remap);
    // The planet shading's inputs; its night map is bound on unit 1 by the
    // render states.
    void setSurfaceEffects(const SurfaceEffects& effects, bool nightBound);
    void setTextureBound(bool bound);
    // Specular highlights computed and added after the stage.
    void setSpecular(bool on);
    // Stage 0: which arguments are the texture (1) rather than diffuse (0),
    // and the weights of arg1, arg2, arg1 x arg2 and plain diffuse.
    void setColorStage(float arg1IsTexture, float arg2IsTexture, const float weights[4]);
    void setAlphaStage(float arg1IsTexture, float arg2IsTexture, const float weights[4]);

    // Before a draw: makes current the variant for the vertex kind and the
    // stage's shape and gives it the inputs changed since it last drew.
    void prepareDraw(VertexKind kind, StageShape shape);
    // After something else made a program current.
    void forgetProgram() { current_ = -1; }

  private:
    // The four stage shapes, without the planet shading, with it, and with
    // it and its night map.
    static constexpr int kVariants = 12;
    struct Value {
        float f[16] = {};
        uint32_t version = 1;
    };
    struct Variant {
        GLuint program = 0;
        std::array<GLint, size_t(Uniform::Count)> location{};
        std::array<uint32_t, size_t(Uniform::Count)> synced{};
    };

    void set(Uniform u, const float* values);
    void setVector(Uniform u, float x, float y = 0.0f, float z = 0.0f, float w = 0.0f);
    void upload(const Variant& v, size_t u) const;

    std::array<Value, size_t(Uniform::Count)> values_{};
    std::array<Variant, kVariants> variants_{};
    int current_ = -1;
    bool surfaceShading_ = false;
    bool nightBound_ = false;
};

} // namespace gv::gl
