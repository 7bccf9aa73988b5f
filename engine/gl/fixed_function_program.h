#pragma once
// The one shader program that emulates the fixed-function pipeline the
// renderer drives: per-vertex (Gouraud) lighting with one point light,
// texture stage 0 selecting or modulating texture and diffuse, specular added
// after the stage, and pre-transformed screen vertices; and, for lit meshes,
// the planet's per-pixel shading (surface_effects.h) after the stage.
#include "engine/device_types.h"
#include "engine/surface_effects.h"

#include <glad/gl.h>

#include <cstdint>
#include <string>

namespace gv::gl {

struct ProgramUniforms {
    GLint kind, world, view, proj, clipMap, screen, clipFix, matDiffuse, matAmbient, matSpecular,
        matEmissive, matPower, ambient, lightOn, lightPos, lightColor, attenuation, specularOn,
        specularOnFragment, texture, hasTexture, colorArgs, colorWeights, alphaArgs, alphaWeights,
        surface, night, hasNight, twilight, air, airColour;
};

// What a draw's vertices are.
enum class VertexKind : int {
    LitByDevice = 0, // lit by the light, the material and the ambient level
    OwnColour = 1,   // the vertex's own colours, transformed
    Screen = 2,      // already in screen pixels with reciprocal w
};

class FixedFunctionProgram {
  public:
    // Compiles and links the program, makes it current and gives its
    // transforms and clip map their identity values; false with the
    // compiler's or linker's text in error.
    bool build(std::string& error);
    void release();
    bool built() const { return program_ != 0; }
    const ProgramUniforms& uniforms() const { return u_; }

    // The inputs of the lighting and the transforms; only while built.
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
    // The planet shading's uniforms; its night map is bound on unit 1 by the
    // render states.
    void setSurfaceEffects(const SurfaceEffects& effects, bool nightBound);

    // Switches the vertex kind; a repeat costs nothing.
    void useKind(VertexKind kind);
    // After the program's state was disturbed: the next useKind sets it.
    void forgetKind() { kind_ = -1; }

  private:
    GLuint program_ = 0;
    ProgramUniforms u_{};
    int kind_ = -1;
};

} // namespace gv::gl
