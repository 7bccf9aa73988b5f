#include "engine/gl/fixed_function_program.h"

#include "core/matrix4.h"

#include <algorithm>
#include <cstdio>

namespace gv::gl {

namespace {

const char* kVertexShader = R"(
layout(location = 0) in vec4 aPos;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aColor;
layout(location = 3) in vec4 aSpecular;
layout(location = 4) in vec2 aTex;

uniform int uKind;            // 0 lit by the device, 1 own colour, 2 screen
uniform mat4 uWorld;          // row-major as stored: GLSL sees the transpose
uniform mat4 uView;
uniform mat4 uProj;
uniform vec4 uClipMap;        // clip-space window of the viewport
uniform vec2 uScreen;
uniform bool uClipFix;        // no zero-to-one clip control: remap depth
uniform vec4 uMatDiffuse;
uniform vec4 uMatAmbient;
uniform vec4 uMatSpecular;
uniform vec4 uMatEmissive;
uniform float uMatPower;
uniform vec3 uAmbient;
uniform bool uLightOn;
uniform vec3 uLightPos;       // world space
uniform vec3 uLightColor;
uniform vec3 uAttenuation;
uniform bool uSpecularOn;

uniform int uSurface;         // the planet shading, for lit draws only

out vec4 vDiffuse;
out vec4 vSpecular;
out vec2 vTex;
// For the planet shading, per vertex and interpolated (the planet's mesh is
// fine enough): the sine of the sun's altitude (the normal dotted with the
// direction to the light) and how squarely the surface faces the eye.
out float vSunSine;
out float vFacing;
flat out int vSurface;

void main() {
    vTex = aTex;
    vSunSine = 0.0;
    vFacing = 0.0;
    vSurface = 0;
    if (uKind == 2) {
        float w = 1.0 / aPos.w;
        vec2 ndc = vec2(aPos.x / uScreen.x * 2.0 - 1.0, 1.0 - aPos.y / uScreen.y * 2.0);
        gl_Position = vec4(ndc * w, aPos.z * w, w);
        if (uClipFix) gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;
        vDiffuse = aColor;
        vSpecular = aSpecular;
        return;
    }
    vec4 viewPos = uView * (uWorld * vec4(aPos.xyz, 1.0));
    vec4 clip = uProj * viewPos;
    clip.x = clip.x * uClipMap.x + clip.w * uClipMap.y;
    clip.y = clip.y * uClipMap.z + clip.w * uClipMap.w;
    if (uClipFix) clip.z = 2.0 * clip.z - clip.w;
    gl_Position = clip;
    if (uKind == 1) {
        vDiffuse = aColor;
        vSpecular = aSpecular;
        return;
    }
    vec3 n = mat3(uView) * (mat3(uWorld) * aNormal);
    float nl = length(n);
    n = nl > 0.0 ? n / nl : vec3(0.0);
    vec3 colour = uMatEmissive.rgb + uMatAmbient.rgb * uAmbient;
    vec3 highlight = vec3(0.0);
    vSurface = uSurface;
    vFacing = dot(n, normalize(-viewPos.xyz));
    if (uLightOn) {
        vec3 lp = (uView * vec4(uLightPos, 1.0)).xyz;
        vec3 l = lp - viewPos.xyz;
        float d = length(l);
        l = d > 0.0 ? l / d : vec3(0.0);
        vSunSine = dot(n, l);
        float att = 1.0 / max(uAttenuation.x + uAttenuation.y * d + uAttenuation.z * d * d, 1e-6);
        float ndl = max(dot(n, l), 0.0);
        colour += uMatDiffuse.rgb * uLightColor * ndl * att;
        if (uSpecularOn && ndl > 0.0) {
            vec3 h = normalize(l + normalize(-viewPos.xyz));
            highlight = uMatSpecular.rgb * uLightColor * pow(max(dot(n, h), 0.0), uMatPower) * att;
        }
    }
    vDiffuse = clamp(vec4(colour, uMatDiffuse.a), 0.0, 1.0);
    vSpecular = vec4(clamp(highlight, 0.0, 1.0), 0.0);
}
)";

// The fragment shader is built in variants (SHAPE and PLANET, defined in the
// header build() puts before it): llvmpipe runs both sides of a branch, so
// the general weights and the planet's night-map read would cost every pixel
// of every draw unless compiled out.
const char* kFragmentShader = R"(
in vec4 vDiffuse;
in vec4 vSpecular;
in vec2 vTex;
in float vSunSine;
in float vFacing;
flat in int vSurface;
out vec4 fragColor;

uniform sampler2D uTexture;
uniform float uSpecularAdd;

#if SHAPE == 0
// Stage 0 without branches: each argument picks texture or diffuse (the
// current colour at stage 0), and the operation weighs arg1, arg2, their
// product and plain diffuse (disable). The weights are set when the stage
// states change.
uniform float uHasTexture;
uniform vec2 uColorArgs;   // 1 where the argument is the texture
uniform vec4 uColorWeights;
uniform vec2 uAlphaArgs;
uniform vec4 uAlphaWeights;
#endif

#if PLANET
// The planet shading (surface_effects.h): 1 the planet's faces, 2 the ring
// of air round its disc.
uniform sampler2D uNight;  // unit 1
uniform float uTwilight;   // sine of the twilight band's half width
uniform float uAir;
uniform vec3 uAirColour;

vec3 planet(vec3 rgb) {
    float t = clamp((uTwilight - vSunSine) / (2.0 * uTwilight), 0.0, 1.0);
    float night = t * t * (3.0 - 2.0 * t);
    // The day side samples no night map.
#if PLANET == 2
    if (night > 0.0) rgb += night * texture(uNight, vTex).rgb;
#endif
    // The rim: the air seen edgewise on the limb, lit where the sun is up
    // and fading across the terminator.
    if (uAir > 0.0) {
        float grazing = 1.0 - clamp(vFacing, 0.0, 1.0);
        float rim = grazing * grazing * grazing;
        float lit = clamp(vSunSine * 2.5 + 0.5, 0.0, 1.0);
        rgb += uAirColour * (uAir * rim * lit);
    }
    return min(rgb, vec3(1.0));
}

vec3 airRing() {
    // 1 at the planet's limb, 0 at the air's outer edge.
    float edge = clamp(vTex.x, 0.0, 1.0);
    // Brightest towards the sun, half as bright across the line of sight,
    // none on the far side.
    float sunward = clamp(0.5 + 0.5 * vSunSine, 0.0, 1.0);
    return uAirColour * (uAir * edge * edge * sunward);
}
#endif

void main() {
#if SHAPE == 1
    vec4 c = texture(uTexture, vTex) * vDiffuse;
    vec3 rgb = c.rgb;
    float a = c.a;
#elif SHAPE == 2
    vec3 rgb = vDiffuse.rgb;
    float a = vDiffuse.a;
#elif SHAPE == 3
    vec4 t = texture(uTexture, vTex);
    vec3 rgb = t.rgb * vDiffuse.rgb;
    float a = t.a;
#else
    // A stage without a texture reads opaque white.
    vec4 tex = mix(vec4(1.0), texture(uTexture, vTex), uHasTexture);
    vec3 c1 = mix(vDiffuse.rgb, tex.rgb, uColorArgs.x);
    vec3 c2 = mix(vDiffuse.rgb, tex.rgb, uColorArgs.y);
    vec3 rgb = c1 * uColorWeights.x + c2 * uColorWeights.y + c1 * c2 * uColorWeights.z +
               vDiffuse.rgb * uColorWeights.w;
    float a1 = mix(vDiffuse.a, tex.a, uAlphaArgs.x);
    float a2 = mix(vDiffuse.a, tex.a, uAlphaArgs.y);
    float a = a1 * uAlphaWeights.x + a2 * uAlphaWeights.y + a1 * a2 * uAlphaWeights.z +
              vDiffuse.a * uAlphaWeights.w;
#endif
    rgb = min(rgb + vSpecular.rgb * uSpecularAdd, vec3(1.0));
#if PLANET
    if (vSurface == 1) rgb = planet(rgb);
    if (vSurface == 2) {
        rgb = airRing();
        a = 1.0;
    }
#endif
    fragColor = vec4(rgb, a);
}
)";

// The uniforms every variant may use, with their GLSL names and sizes in
// floats (ints are held as floats: they are small).
struct UniformInfo {
    const char* name;
    int size;
    bool integer;
};

constexpr UniformInfo kUniforms[size_t(Uniform::Count)] = {
    {"uKind", 1, true},          {"uWorld", 16, false},      {"uView", 16, false},
    {"uProj", 16, false},        {"uClipMap", 4, false},     {"uScreen", 2, false},
    {"uClipFix", 1, true},       {"uMatDiffuse", 4, false},  {"uMatAmbient", 4, false},
    {"uMatSpecular", 4, false},  {"uMatEmissive", 4, false}, {"uMatPower", 1, false},
    {"uAmbient", 3, false},      {"uLightOn", 1, true},      {"uLightPos", 3, false},
    {"uLightColor", 3, false},   {"uAttenuation", 3, false}, {"uSpecularOn", 1, true},
    {"uSpecularAdd", 1, false},  {"uHasTexture", 1, false},  {"uColorArgs", 2, false},
    {"uColorWeights", 4, false}, {"uAlphaArgs", 2, false},   {"uAlphaWeights", 4, false},
    {"uSurface", 1, true},       {"uTwilight", 1, false},    {"uAir", 1, false},
    {"uAirColour", 3, false},
};

// Variant index: the stage's shape (0 the general stage), and the same
// again with the planet shading after the stage, without and with its night
// map (PLANET 0, 1, 2).
constexpr int kShapes = 4;
static_assert(int(StageShape::TextureTimesDiffuseAlphaTexture) == kShapes - 1);
int variantIndex(StageShape shape, int planet) {
    return int(shape) + planet * kShapes;
}

GLuint compile(GLenum type, const char* header, const char* source, std::string& error) {
    GLuint s = glCreateShader(type);
    const char* parts[2] = {header, source};
    glShaderSource(s, 2, parts, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024];
        glGetShaderInfoLog(s, sizeof log, nullptr, log);
        error = log;
        glDeleteShader(s);
        return 0;
    }
    return s;
}

GLuint link(GLuint vs, GLuint fs, std::string& error) {
    GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) {
        char log[1024];
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        error = log;
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

} // namespace

FixedFunctionProgram::FixedFunctionProgram() {
    const Matrix4 identity = Matrix4::identity();
    set(Uniform::World, &identity.m[0][0]);
    set(Uniform::View, &identity.m[0][0]);
    set(Uniform::Proj, &identity.m[0][0]);
    setVector(Uniform::ClipMap, 1.0f, 0.0f, 1.0f, 0.0f);
    setVector(Uniform::Attenuation, 1.0f, 0.0f, 0.0f);
    setVector(Uniform::Twilight, kTwilightSine);
    setVector(Uniform::AirColour, kAirColour.r, kAirColour.g, kAirColour.b);
}

bool FixedFunctionProgram::build(std::string& error) {
    GLuint vs = compile(GL_VERTEX_SHADER, "#version 330 core\n", kVertexShader, error);
    if (!vs) return false;
    bool ok = true;
    for (int i = 0; i < kVariants && ok; ++i) {
        char header[64];
        std::snprintf(header, sizeof header,
                      "#version 330 core\n#define SHAPE %d\n#define PLANET %d\n", i % kShapes,
                      i / kShapes);
        GLuint fs = compile(GL_FRAGMENT_SHADER, header, kFragmentShader, error);
        Variant& v = variants_[size_t(i)];
        v.program = fs ? link(vs, fs, error) : 0;
        if (fs) glDeleteShader(fs);
        ok = v.program != 0;
        if (!ok) break;
        glUseProgram(v.program);
        glUniform1i(glGetUniformLocation(v.program, "uTexture"), 0);
        glUniform1i(glGetUniformLocation(v.program, "uNight"), 1);
        for (size_t u = 0; u < size_t(Uniform::Count); ++u) {
            v.location[u] = glGetUniformLocation(v.program, kUniforms[u].name);
            v.synced[u] = 0;
        }
    }
    glDeleteShader(vs);
    if (!ok) {
        release();
        return false;
    }
    current_ = -1;
    return true;
}

void FixedFunctionProgram::release() {
    for (Variant& v : variants_) {
        if (v.program) glDeleteProgram(v.program);
        v.program = 0;
    }
    current_ = -1;
}

void FixedFunctionProgram::set(Uniform u, const float* values) {
    Value& v = values_[size_t(u)];
    const size_t n = size_t(kUniforms[size_t(u)].size);
    if (std::equal(values, values + n, v.f)) return;
    std::copy(values, values + n, v.f);
    ++v.version;
}

void FixedFunctionProgram::setVector(Uniform u, float x, float y, float z, float w) {
    const float f[4] = {x, y, z, w};
    set(u, f);
}

void FixedFunctionProgram::upload(const Variant& v, size_t u) const {
    const GLint at = v.location[u];
    const float* f = values_[u].f;
    if (kUniforms[u].integer) {
        glUniform1i(at, int(f[0]));
        return;
    }
    switch (kUniforms[u].size) {
    case 1:
        glUniform1f(at, f[0]);
        break;
    case 2:
        glUniform2f(at, f[0], f[1]);
        break;
    case 3:
        glUniform3f(at, f[0], f[1], f[2]);
        break;
    case 4:
        glUniform4f(at, f[0], f[1], f[2], f[3]);
        break;
    default:
        // Row-major as stored: GLSL sees the transpose.
        glUniformMatrix4fv(at, 1, GL_FALSE, f);
        break;
    }
}

void FixedFunctionProgram::prepareDraw(VertexKind kind, StageShape shape) {
    if (!built()) return;
    setVector(Uniform::Kind, float(int(kind)));
    // Only lit draws see the planet shading.
    const int planet = kind != VertexKind::LitByDevice || !surfaceShading_ ? 0
                       : nightBound_                                       ? 2
                                                                           : 1;
    const int index = variantIndex(shape, planet);
    Variant& v = variants_[size_t(index)];
    if (index != current_) {
        glUseProgram(v.program);
        current_ = index;
    }
    for (size_t u = 0; u < size_t(Uniform::Count); ++u) {
        if (v.location[u] < 0 || v.synced[u] == values_[u].version) continue;
        upload(v, u);
        v.synced[u] = values_[u].version;
    }
}

void FixedFunctionProgram::setTransform(TransformType type, const Matrix4& m) {
    const Uniform u = type == TransformType::World  ? Uniform::World
                      : type == TransformType::View ? Uniform::View
                                                    : Uniform::Proj;
    set(u, &m.m[0][0]);
}

void FixedFunctionProgram::setViewportMap(const Viewport& vp) {
    const float sx = 2.0f / vp.clipWidth, ox = -2.0f * vp.clipX / vp.clipWidth - 1.0f;
    const float sy = 2.0f / vp.clipHeight,
                oy = -2.0f * (vp.clipY - vp.clipHeight) / vp.clipHeight - 1.0f;
    setVector(Uniform::ClipMap, sx, ox, sy, oy);
    setVector(Uniform::Screen, float(vp.width), float(vp.height));
}

void FixedFunctionProgram::setMaterial(const MaterialRecord& m) {
    setVector(Uniform::MatDiffuse, m.diffuse.r, m.diffuse.g, m.diffuse.b, m.diffuse.a);
    setVector(Uniform::MatAmbient, m.ambient.r, m.ambient.g, m.ambient.b, m.ambient.a);
    setVector(Uniform::MatSpecular, m.specular.r, m.specular.g, m.specular.b, m.specular.a);
    setVector(Uniform::MatEmissive, m.emissive.r, m.emissive.g, m.emissive.b, m.emissive.a);
    setVector(Uniform::MatPower, m.power);
}

void FixedFunctionProgram::setLight(const LightRecord& l, bool attached) {
    setVector(Uniform::LightOn, attached && (l.flags & 1) ? 1.0f : 0.0f);
    setVector(Uniform::LightPos, l.position.x, l.position.y, l.position.z);
    setVector(Uniform::LightColor, l.color.r, l.color.g, l.color.b);
    setVector(Uniform::Attenuation, l.attenuation0, l.attenuation1, l.attenuation2);
}

void FixedFunctionProgram::switchLightOff() {
    setVector(Uniform::LightOn, 0.0f);
}

void FixedFunctionProgram::setAmbient(uint32_t rgb) {
    setVector(Uniform::Ambient, float((rgb >> 16) & 0xFF) / 255.0f,
              float((rgb >> 8) & 0xFF) / 255.0f, float(rgb & 0xFF) / 255.0f);
}

void FixedFunctionProgram::setDepthRemap(bool remap) {
    setVector(Uniform::ClipFix, remap ? 1.0f : 0.0f);
}

void FixedFunctionProgram::setSurfaceEffects(const SurfaceEffects& e, bool nightBound) {
    setVector(Uniform::Surface, float(int(e.shading)));
    setVector(Uniform::Air, e.air);
    surfaceShading_ = e.shading != SurfaceShading::None;
    nightBound_ = nightBound;
}

void FixedFunctionProgram::setTextureBound(bool bound) {
    setVector(Uniform::HasTexture, bound ? 1.0f : 0.0f);
}

void FixedFunctionProgram::setSpecular(bool on) {
    setVector(Uniform::SpecularOn, on ? 1.0f : 0.0f);
    setVector(Uniform::SpecularAdd, on ? 1.0f : 0.0f);
}

void FixedFunctionProgram::setColorStage(float arg1IsTexture, float arg2IsTexture,
                                         const float weights[4]) {
    setVector(Uniform::ColorArgs, arg1IsTexture, arg2IsTexture);
    set(Uniform::ColorWeights, weights);
}

void FixedFunctionProgram::setAlphaStage(float arg1IsTexture, float arg2IsTexture,
                                         const float weights[4]) {
    setVector(Uniform::AlphaArgs, arg1IsTexture, arg2IsTexture);
    set(Uniform::AlphaWeights, weights);
}

} // namespace gv::gl
