#include "engine/gl/fixed_function_program.h"

#include "core/matrix4.h"

namespace gv::gl {

namespace {

const char* kVertexShader = R"(#version 330 core
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

const char* kFragmentShader = R"(#version 330 core
in vec4 vDiffuse;
in vec4 vSpecular;
in vec2 vTex;
in float vSunSine;
in float vFacing;
flat in int vSurface;
out vec4 fragColor;

// Stage 0 without branches: each argument picks texture or diffuse (the
// current colour at stage 0), and the operation weighs arg1, arg2, their
// product and plain diffuse (disable). The weights are set when the stage
// states change.
uniform sampler2D uTexture;
uniform float uHasTexture;
uniform vec2 uColorArgs;   // 1 where the argument is the texture
uniform vec4 uColorWeights;
uniform vec2 uAlphaArgs;
uniform vec4 uAlphaWeights;
uniform float uSpecularAdd;

// The planet shading (surface_effects.h): 1 the planet's faces, 2 the ring
// of air round its disc.
uniform sampler2D uNight;  // unit 1
uniform float uHasNight;
uniform float uTwilight;   // sine of the twilight band's half width
uniform float uAir;
uniform vec3 uAirColour;

vec3 planet(vec3 rgb) {
    float t = clamp((uTwilight - vSunSine) / (2.0 * uTwilight), 0.0, 1.0);
    float night = t * t * (3.0 - 2.0 * t);
    // The day side samples no night map.
    if (uHasNight > 0.0 && night > 0.0) rgb += night * texture(uNight, vTex).rgb;
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

void main() {
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
    rgb = min(rgb + vSpecular.rgb * uSpecularAdd, vec3(1.0));
    if (vSurface == 1) rgb = planet(rgb);
    if (vSurface == 2) {
        rgb = airRing();
        a = 1.0;
    }
    fragColor = vec4(rgb, a);
}
)";

GLuint compile(GLenum type, const char* source, std::string& error) {
    GLuint s = glCreateShader(type);
    glShaderSource(s, 1, &source, nullptr);
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

} // namespace

bool FixedFunctionProgram::build(std::string& error) {
    GLuint vs = compile(GL_VERTEX_SHADER, kVertexShader, error);
    GLuint fs = vs ? compile(GL_FRAGMENT_SHADER, kFragmentShader, error) : 0;
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        return false;
    }
    program_ = glCreateProgram();
    glAttachShader(program_, vs);
    glAttachShader(program_, fs);
    glLinkProgram(program_);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint linked = 0;
    glGetProgramiv(program_, GL_LINK_STATUS, &linked);
    if (!linked) {
        char log[1024];
        glGetProgramInfoLog(program_, sizeof log, nullptr, log);
        error = log;
        glDeleteProgram(program_);
        program_ = 0;
        return false;
    }
    glUseProgram(program_);
    auto loc = [&](const char* n) { return glGetUniformLocation(program_, n); };
    u_ = {loc("uKind"),         loc("uWorld"),       loc("uView"),         loc("uProj"),
          loc("uClipMap"),      loc("uScreen"),      loc("uClipFix"),      loc("uMatDiffuse"),
          loc("uMatAmbient"),   loc("uMatSpecular"), loc("uMatEmissive"),  loc("uMatPower"),
          loc("uAmbient"),      loc("uLightOn"),     loc("uLightPos"),     loc("uLightColor"),
          loc("uAttenuation"),  loc("uSpecularOn"),  loc("uSpecularAdd"),  loc("uTexture"),
          loc("uHasTexture"),   loc("uColorArgs"),   loc("uColorWeights"), loc("uAlphaArgs"),
          loc("uAlphaWeights"), loc("uSurface"),     loc("uNight"),        loc("uHasNight"),
          loc("uTwilight"),     loc("uAir"),         loc("uAirColour")};
    glUniform1i(u_.texture, 0);
    glUniform1i(u_.night, 1);
    glUniform1f(u_.twilight, kTwilightSine);
    glUniform3f(u_.airColour, kAirColour.r, kAirColour.g, kAirColour.b);
    setSurfaceEffects(SurfaceEffects{}, false);
    glUniform3f(u_.attenuation, 1.0f, 0.0f, 0.0f);
    const Matrix4 identity = Matrix4::identity();
    glUniformMatrix4fv(u_.world, 1, GL_FALSE, &identity.m[0][0]);
    glUniformMatrix4fv(u_.view, 1, GL_FALSE, &identity.m[0][0]);
    glUniformMatrix4fv(u_.proj, 1, GL_FALSE, &identity.m[0][0]);
    glUniform4f(u_.clipMap, 1.0f, 0.0f, 1.0f, 0.0f);
    kind_ = -1;
    return true;
}

void FixedFunctionProgram::release() {
    if (program_) glDeleteProgram(program_);
    program_ = 0;
}

void FixedFunctionProgram::setTransform(TransformType type, const Matrix4& m) {
    if (!program_) return;
    const GLint loc = type == TransformType::World  ? u_.world
                      : type == TransformType::View ? u_.view
                                                    : u_.proj;
    glUniformMatrix4fv(loc, 1, GL_FALSE, &m.m[0][0]);
}

void FixedFunctionProgram::setViewportMap(const Viewport& vp) {
    const float sx = 2.0f / vp.clipWidth, ox = -2.0f * vp.clipX / vp.clipWidth - 1.0f;
    const float sy = 2.0f / vp.clipHeight,
                oy = -2.0f * (vp.clipY - vp.clipHeight) / vp.clipHeight - 1.0f;
    glUniform4f(u_.clipMap, sx, ox, sy, oy);
    glUniform2f(u_.screen, float(vp.width), float(vp.height));
}

void FixedFunctionProgram::setMaterial(const MaterialRecord& m) {
    if (!program_) return;
    glUniform4f(u_.matDiffuse, m.diffuse.r, m.diffuse.g, m.diffuse.b, m.diffuse.a);
    glUniform4f(u_.matAmbient, m.ambient.r, m.ambient.g, m.ambient.b, m.ambient.a);
    glUniform4f(u_.matSpecular, m.specular.r, m.specular.g, m.specular.b, m.specular.a);
    glUniform4f(u_.matEmissive, m.emissive.r, m.emissive.g, m.emissive.b, m.emissive.a);
    glUniform1f(u_.matPower, m.power);
}

void FixedFunctionProgram::setLight(const LightRecord& l, bool attached) {
    if (!program_) return;
    glUniform1i(u_.lightOn, attached && (l.flags & 1) ? 1 : 0);
    glUniform3f(u_.lightPos, l.position.x, l.position.y, l.position.z);
    glUniform3f(u_.lightColor, l.color.r, l.color.g, l.color.b);
    glUniform3f(u_.attenuation, l.attenuation0, l.attenuation1, l.attenuation2);
}

void FixedFunctionProgram::switchLightOff() {
    if (program_) glUniform1i(u_.lightOn, 0);
}

void FixedFunctionProgram::setAmbient(uint32_t rgb) {
    if (!program_) return;
    glUniform3f(u_.ambient, float((rgb >> 16) & 0xFF) / 255.0f, float((rgb >> 8) & 0xFF) / 255.0f,
                float(rgb & 0xFF) / 255.0f);
}

void FixedFunctionProgram::setDepthRemap(bool remap) {
    glUniform1i(u_.clipFix, remap ? 1 : 0);
}

void FixedFunctionProgram::setSurfaceEffects(const SurfaceEffects& e, bool nightBound) {
    if (!program_) return;
    glUniform1i(u_.surface, int(e.shading));
    glUniform1f(u_.hasNight, nightBound ? 1.0f : 0.0f);
    glUniform1f(u_.air, e.air);
}

void FixedFunctionProgram::useKind(VertexKind kind) {
    if (int(kind) == kind_) return;
    kind_ = int(kind);
    glUniform1i(u_.kind, kind_);
}

} // namespace gv::gl
