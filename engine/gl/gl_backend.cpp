#include "engine/gl/gl_backend.h"

#include "core/log.h"
#include "engine/error_name.h"
#include "engine/gl/console_face.h"
#include "platform/gl_context.h"
#include "platform/window.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <array>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace gv {

namespace {

// One program emulates the fixed-function pipeline the renderer drives:
// per-vertex (Gouraud) lighting with one point light, texture stage 0 with
// select/modulate of texture and diffuse, specular added after the stage.
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

out vec4 vDiffuse;
out vec4 vSpecular;
out vec2 vTex;

void main() {
    vTex = aTex;
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
    if (uLightOn) {
        vec3 lp = (uView * vec4(uLightPos, 1.0)).xyz;
        vec3 l = lp - viewPos.xyz;
        float d = length(l);
        l = d > 0.0 ? l / d : vec3(0.0);
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
    fragColor = vec4(rgb, a);
}
)";

GLenum glPrimitive(PrimitiveType t) {
    switch (t) {
    case PrimitiveType::PointList:
        return GL_POINTS;
    case PrimitiveType::LineList:
        return GL_LINES;
    case PrimitiveType::LineStrip:
        return GL_LINE_STRIP;
    case PrimitiveType::TriangleList:
        return GL_TRIANGLES;
    case PrimitiveType::TriangleStrip:
        return GL_TRIANGLE_STRIP;
    case PrimitiveType::TriangleFan:
        return GL_TRIANGLE_FAN;
    }
    return GL_TRIANGLES;
}

GLenum glBlendFactor(uint32_t f) {
    using namespace d3d;
    switch (f) {
    case kBlendZero:
        return GL_ZERO;
    case kBlendOne:
        return GL_ONE;
    case kBlendSrcColor:
        return GL_SRC_COLOR;
    case kBlendInvSrcColor:
        return GL_ONE_MINUS_SRC_COLOR;
    case kBlendSrcAlpha:
        return GL_SRC_ALPHA;
    case kBlendInvSrcAlpha:
        return GL_ONE_MINUS_SRC_ALPHA;
    case kBlendDestAlpha:
        return GL_DST_ALPHA;
    case kBlendInvDestAlpha:
        return GL_ONE_MINUS_DST_ALPHA;
    case kBlendDestColor:
        return GL_DST_COLOR;
    case kBlendInvDestColor:
        return GL_ONE_MINUS_DST_COLOR;
    }
    return GL_ONE;
}

GLenum glCompare(uint32_t f) {
    using namespace d3d;
    switch (f) {
    case kCmpNever:
        return GL_NEVER;
    case kCmpLess:
        return GL_LESS;
    case kCmpEqual:
        return GL_EQUAL;
    case kCmpLessEqual:
        return GL_LEQUAL;
    case kCmpGreater:
        return GL_GREATER;
    case kCmpNotEqual:
        return GL_NOTEQUAL;
    case kCmpGreaterEqual:
        return GL_GEQUAL;
    case kCmpAlways:
        return GL_ALWAYS;
    }
    return GL_LEQUAL;
}

struct GlFormat {
    GLenum internal, format, type;
};

bool glFormatOf(const PixelFormat& f, GlFormat& out) {
    if (f.bits == 16 && f.redMask == 0xF800 && f.greenMask == 0x07E0 && f.blueMask == 0x1F &&
        f.alphaMask == 0)
        out = {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5};
    else if (f.bits == 16 && f.redMask == 0x7C00 && f.greenMask == 0x03E0 && f.blueMask == 0x1F)
        out = {GLenum(f.alphaMask == 0x8000 ? GL_RGB5_A1 : GL_RGB5), GL_BGRA,
               GL_UNSIGNED_SHORT_1_5_5_5_REV};
    else if (f.bits == 16 && f.redMask == 0x0F00 && f.greenMask == 0x00F0 && f.blueMask == 0x0F &&
             f.alphaMask == 0xF000)
        out = {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV};
    else if (f.bits == 24 && f.redMask == 0xFF0000 && f.greenMask == 0xFF00 && f.blueMask == 0xFF)
        out = {GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE};
    else if (f.bits == 32 && f.redMask == 0xFF0000 && f.greenMask == 0xFF00 && f.blueMask == 0xFF)
        out = {GLenum(f.alphaMask == 0xFF000000u ? GL_RGBA8 : GL_RGB8), GL_BGRA, GL_UNSIGNED_BYTE};
    else
        return false;
    return true;
}

// A vertex stream written front to back within one storage, so that draws
// queued earlier keep their vertices; new storage only when it is full.
struct StreamBuffer {
    GLuint vao = 0, vbo = 0;
    size_t capacity = 0;
    size_t used = 0;
};

class GlBackend final : public RenderBackend {
  public:
    explicit GlBackend(platform::Window& window) : window_(window) {}
    ~GlBackend() override;

    const char* lastError() const override { return error_.c_str(); }
    bool setWindowMode(bool fullScreen, uint32_t width, uint32_t height, uint32_t bits,
                       bool& fellBack) override;
    void clientSize(uint32_t& width, uint32_t& height) override;
    uint32_t createSurfaces(uint32_t width, uint32_t height, bool waitForRefresh) override;
    void releaseSurfaces() override;
    uint32_t clearBackBuffer(uint32_t color) override;
    uint32_t present() override;
    PixelFormat displayFormat() override;
    bool findDevice(bool hardware) override;
    bool zBufferFormatAvailable(uint32_t bits) override;
    uint32_t createZBuffer(uint32_t bits) override;
    uint32_t createDevice() override;
    void releaseDevice() override;
    uint32_t setViewport(const Viewport& viewport) override;
    void clear(uint32_t flags, uint32_t color, float z) override;
    void beginScene() override {}
    void endScene() override {}
    void setTransform(TransformType type, const Matrix4& m) override;
    void setRenderState(RenderState state, uint32_t value) override;
    void setLightState(LightState state, uint32_t value) override;
    void setStageState(uint32_t stage, StageState state, uint32_t value) override;
    void setTexture(uint32_t stage, uint32_t textureId) override;
    void setMaterial(const MaterialRecord& material) override;
    void setLight(const LightRecord& light, bool attached) override;
    uint32_t createVertexBuffer(const BufferVertex* vertices, uint32_t vertexCount,
                                const uint16_t* indices, uint32_t indexCount) override;
    void releaseVertexBuffer(uint32_t id) override;
    bool updateVertexBuffer(uint32_t id, const BufferVertex* vertices,
                            uint32_t vertexCount) override;
    void drawIndexedBuffer(PrimitiveType type, uint32_t id, uint32_t firstIndex,
                           uint32_t indexCount, uint32_t flags) override;
    void drawUnlit(PrimitiveType type, const UnlitVertex* v, uint32_t count,
                   uint32_t flags) override;
    void drawLit(PrimitiveType type, const LitVertex* v, uint32_t count, uint32_t flags) override;
    void drawScreen(PrimitiveType type, const ScreenVertex* v, uint32_t vertexCount,
                    const uint16_t* indices, uint32_t indexCount, uint32_t flags) override;
    bool textureFormatAvailable(const PixelFormat& format) override;
    uint32_t createTexture(const PixelFormat& format, uint32_t width, uint32_t height,
                           const uint8_t* pixels) override;
    void releaseTexture(uint32_t id) override;
    bool readBackBuffer(uint8_t* bgr, uint32_t width, uint32_t height) override;
    bool readDepth(uint32_t x, uint32_t y, float& depth) override;
    void drawConsoleText(int x, int y, const char* text, uint32_t rgb) override;

  private:
    struct Uniforms {
        GLint kind, world, view, proj, clipMap, screen, clipFix, matDiffuse, matAmbient,
            matSpecular, matEmissive, matPower, ambient, lightOn, lightPos, lightColor, attenuation,
            specularOn, specularOnFragment, texture, hasTexture, colorArgs, colorWeights, alphaArgs,
            alphaWeights;
    };
    struct VertexBufferObjects {
        GLuint vao = 0, vbo = 0, ibo = 0;
        uint32_t vertexCount = 0;
    };

    bool failGl(const char* what);
    void setupStream(StreamBuffer& s, size_t stride, void (*layout)());
    // Appends the vertices; returns the index of the first one in the buffer.
    GLint stream(StreamBuffer& s, const void* data, size_t bytes, size_t stride);
    void setKind(int kind);
    void applyAllStates();
    void applyRenderState(RenderState state, uint32_t value);
    void applyStage(StageState state, uint32_t value);
    void applySampler();
    void applyCull();
    void bindDrawTarget();
    uint32_t ensureConsoleFace();

    platform::Window& window_;
    std::unique_ptr<platform::GlContext> context_;
    std::string error_;
    GLuint fbo_ = 0, colorRb_ = 0, depthRb_ = 0;
    uint32_t width_ = 0, height_ = 0;
    bool deviceReady_ = false;
    bool clipControl_ = false;
    GLuint program_ = 0;
    Uniforms u_{};
    GLuint sampler_ = 0;
    StreamBuffer unlitStream_, litStream_, screenStream_;
    GLuint screenIbo_ = 0;
    size_t screenIboCapacity_ = 0;
    size_t screenIboUsed_ = 0;
    int kind_ = -1;

    std::array<uint32_t, size_t(RenderState::Count)> rs_{};
    std::array<uint32_t, size_t(StageState::Count)> ss_{};
    uint32_t boundTexture_ = 0;
    bool depthMask_ = true;

    std::unordered_map<uint32_t, VertexBufferObjects> buffers_;
    std::unordered_map<uint32_t, GLuint> textures_;
    uint32_t nextId_ = 1;
    GLuint consoleTexture_ = 0;
    std::vector<ScreenVertex> consoleVertices_;
    std::vector<uint16_t> consoleIndices_;
};

GlBackend::~GlBackend() {
    if (!context_) return;
    context_->makeCurrent();
    releaseDevice();
    for (auto& [id, b] : buffers_) {
        glDeleteVertexArrays(1, &b.vao);
        glDeleteBuffers(1, &b.vbo);
        glDeleteBuffers(1, &b.ibo);
    }
    for (auto& [id, t] : textures_)
        glDeleteTextures(1, &t);
    if (consoleTexture_) glDeleteTextures(1, &consoleTexture_);
    releaseSurfaces();
}

bool GlBackend::failGl(const char* what) {
    const GLenum e = glGetError();
    if (e == GL_NO_ERROR) return false;
    error_ = std::string(what) + ": GL error 0x" + [&] {
        char b[16];
        std::snprintf(b, sizeof b, "%04X", unsigned(e));
        return std::string(b);
    }();
    logWrite("(GL: %s)", error_.c_str());
    return true;
}

bool GlBackend::setWindowMode(bool fullScreen, uint32_t width, uint32_t height, uint32_t bits,
                              bool& fellBack) {
    fellBack = false;
    SDL_Window* w = window_.sdlWindow();
    if (!w) return false;
    if (!fullScreen) return SDL_SetWindowFullscreen(w, 0) == 0;
    SDL_DisplayMode mode{};
    mode.w = int(width);
    mode.h = int(height);
    mode.format = bits <= 16 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
    bool real = SDL_SetWindowDisplayMode(w, &mode) == 0 &&
                SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN) == 0;
    if (real) {
        int ww = 0, wh = 0;
        SDL_GetWindowSize(w, &ww, &wh);
        real = uint32_t(ww) == width && uint32_t(wh) == height;
    }
    if (!real) {
        // The system would not change the mode (Xvfb has one): cover the
        // desktop instead.
        error_ = SDL_GetError();
        fellBack = true;
        if (SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
            error_ = SDL_GetError();
            logWrite("(SDL: %s)", error_.c_str());
            return false;
        }
    }
    return true;
}

void GlBackend::clientSize(uint32_t& width, uint32_t& height) {
    int w = 0, h = 0;
    if (context_)
        context_->drawableSize(w, h);
    else
        SDL_GetWindowSize(window_.sdlWindow(), &w, &h);
    width = uint32_t(w > 0 ? w : 0);
    height = uint32_t(h > 0 ? h : 0);
}

uint32_t GlBackend::createSurfaces(uint32_t width, uint32_t height, bool waitForRefresh) {
    if (!context_) {
        context_ = platform::GlContext::create(window_.sdlWindow(), error_);
        if (!context_) {
            logWrite("(SDL: %s)", error_.c_str());
            return kErrNoDirectDrawSupport;
        }
    }
    context_->makeCurrent();
    // Refusal (Xvfb refuses) is not an error: the frame is simply not paced.
    context_->setSwapInterval(waitForRefresh ? 1 : 0);
    releaseSurfaces();
    if (width == 0 || height == 0) return kErrInvalidParams;
    glGetError();
    glGenFramebuffers(1, &fbo_);
    glGenRenderbuffers(1, &colorRb_);
    glBindRenderbuffer(GL_RENDERBUFFER, colorRb_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, GLsizei(width), GLsizei(height));
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorRb_);
    if (failGl("back buffer") ||
        glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        releaseSurfaces();
        return kErrOutOfVideoMemory;
    }
    width_ = width;
    height_ = height;
    return kResultOk;
}

void GlBackend::releaseSurfaces() {
    if (!context_) return;
    if (fbo_) glDeleteFramebuffers(1, &fbo_);
    if (colorRb_) glDeleteRenderbuffers(1, &colorRb_);
    fbo_ = colorRb_ = 0;
    width_ = height_ = 0;
}

void GlBackend::bindDrawTarget() {
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
}

uint32_t GlBackend::clearBackBuffer(uint32_t color) {
    if (!fbo_) return kErrSurfaceLost;
    bindDrawTarget();
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(float((color >> 16) & 0xFF) / 255.0f, float((color >> 8) & 0xFF) / 255.0f,
                 float(color & 0xFF) / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    return kResultOk;
}

uint32_t GlBackend::present() {
    if (!fbo_) return kErrSurfaceLost;
    int w = 0, h = 0;
    context_->drawableSize(w, h);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // The back buffer goes to the window whole, stretched when the sizes
    // differ, as a blit to the window's rectangle did.
    glBlitFramebuffer(0, 0, GLint(width_), GLint(height_), 0, 0, w, h, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    context_->swap();
    bindDrawTarget();
    return kResultOk;
}

PixelFormat GlBackend::displayFormat() {
    SDL_DisplayMode desk{};
    const int display = SDL_GetWindowDisplayIndex(window_.sdlWindow());
    if (SDL_GetDesktopDisplayMode(display < 0 ? 0 : display, &desk) == 0 &&
        SDL_BITSPERPIXEL(desk.format) == 16)
        return {16, 0xF800, 0x07E0, 0x001F, 0};
    if (SDL_BITSPERPIXEL(desk.format) == 32) return {32, 0xFF0000, 0xFF00, 0xFF, 0};
    return {24, 0xFF0000, 0xFF00, 0xFF, 0};
}

bool GlBackend::findDevice(bool hardware) {
    if (!context_) return false;
    GLint major = 0, minor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    if (major * 10 + minor < 33) {
        error_ = "OpenGL 3.3 is not available";
        return false;
    }
    if (!hardware) return true;
    const char* r = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const std::string name = r ? r : "";
    for (const char* soft : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"})
        if (name.find(soft) != std::string::npos) return false;
    return true;
}

GLenum depthFormat(uint32_t bits) {
    return bits == 32   ? GL_DEPTH_COMPONENT32
           : bits == 24 ? GL_DEPTH_COMPONENT24
                        : GL_DEPTH_COMPONENT16;
}

bool GlBackend::zBufferFormatAvailable(uint32_t bits) {
    if (!fbo_) return false;
    glGetError();
    GLuint rb = 0;
    glGenRenderbuffers(1, &rb);
    glBindRenderbuffer(GL_RENDERBUFFER, rb);
    glRenderbufferStorage(GL_RENDERBUFFER, depthFormat(bits), 1, 1);
    GLint depth = 0;
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_DEPTH_SIZE, &depth);
    const bool ok = glGetError() == GL_NO_ERROR && uint32_t(depth) == bits;
    glDeleteRenderbuffers(1, &rb);
    return ok;
}

uint32_t GlBackend::createZBuffer(uint32_t bits) {
    if (!fbo_) return kErrSurfaceLost;
    glGetError();
    if (depthRb_) glDeleteRenderbuffers(1, &depthRb_);
    glGenRenderbuffers(1, &depthRb_);
    glBindRenderbuffer(GL_RENDERBUFFER, depthRb_);
    glRenderbufferStorage(GL_RENDERBUFFER, depthFormat(bits), GLsizei(width_), GLsizei(height_));
    if (failGl("depth buffer")) return kErrOutOfVideoMemory;
    bindDrawTarget();
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthRb_);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        error_ = "depth attachment incomplete";
        logWrite("(GL: %s)", error_.c_str());
        return kErrCannotAttachSurface;
    }
    return kResultOk;
}

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

// One attribute of the interleaved vertex layouts below.
void vertexAttribute(GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride,
                     std::size_t offset) {
    glEnableVertexAttribArray(index);
    glVertexAttribPointer(index, size, type, normalized, stride, reinterpret_cast<void*>(offset));
}

void layoutUnlit() {
    const GLsizei st = sizeof(UnlitVertex);
    vertexAttribute(0, 3, GL_FLOAT, GL_FALSE, st, 0);
    vertexAttribute(1, 3, GL_FLOAT, GL_FALSE, st, 12);
    vertexAttribute(4, 2, GL_FLOAT, GL_FALSE, st, 24);
}

void layoutLit() {
    const GLsizei st = sizeof(LitVertex);
    vertexAttribute(0, 3, GL_FLOAT, GL_FALSE, st, 0);
    vertexAttribute(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, st, 16);
    vertexAttribute(3, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, st, 20);
    vertexAttribute(4, 2, GL_FLOAT, GL_FALSE, st, 24);
}

void layoutScreen() {
    const GLsizei st = sizeof(ScreenVertex);
    vertexAttribute(0, 4, GL_FLOAT, GL_FALSE, st, 0);
    vertexAttribute(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, st, 16);
    vertexAttribute(3, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, st, 20);
    vertexAttribute(4, 2, GL_FLOAT, GL_FALSE, st, 24);
}

void layoutBuffer() {
    const GLsizei st = sizeof(BufferVertex);
    vertexAttribute(0, 3, GL_FLOAT, GL_FALSE, st, 0);
    vertexAttribute(1, 3, GL_FLOAT, GL_FALSE, st, 12);
    vertexAttribute(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, st, 24);
    vertexAttribute(4, 2, GL_FLOAT, GL_FALSE, st, 28);
}

void GlBackend::setupStream(StreamBuffer& s, size_t stride, void (*layout)()) {
    glGenVertexArrays(1, &s.vao);
    glGenBuffers(1, &s.vbo);
    glBindVertexArray(s.vao);
    glBindBuffer(GL_ARRAY_BUFFER, s.vbo);
    s.capacity = stride * 4096;
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(s.capacity), nullptr, GL_STREAM_DRAW);
    layout();
}

GLint GlBackend::stream(StreamBuffer& s, const void* data, size_t bytes, size_t stride) {
    glBindVertexArray(s.vao);
    glBindBuffer(GL_ARRAY_BUFFER, s.vbo);
    // Start the next vertex on a whole vertex.
    size_t at = (s.used + stride - 1) / stride * stride;
    if (at + bytes > s.capacity) {
        if (bytes > s.capacity) s.capacity = bytes;
        // Orphan the old storage so the driver need not wait for earlier draws.
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(s.capacity), nullptr, GL_STREAM_DRAW);
        at = 0;
    }
    glBufferSubData(GL_ARRAY_BUFFER, GLintptr(at), GLsizeiptr(bytes), data);
    s.used = at + bytes;
    return GLint(at / stride);
}

uint32_t GlBackend::createDevice() {
    if (!context_ || !fbo_) return kErrNotInitialized;
    glGetError();
    std::string err;
    GLuint vs = compile(GL_VERTEX_SHADER, kVertexShader, err);
    GLuint fs = vs ? compile(GL_FRAGMENT_SHADER, kFragmentShader, err) : 0;
    if (!vs || !fs) {
        error_ = err;
        logWrite("(GL: %s)", error_.c_str());
        if (vs) glDeleteShader(vs);
        return kErrNo3D;
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
        error_ = log;
        logWrite("(GL: %s)", error_.c_str());
        glDeleteProgram(program_);
        program_ = 0;
        return kErrNo3D;
    }
    glUseProgram(program_);
    auto loc = [&](const char* n) { return glGetUniformLocation(program_, n); };
    u_ = {loc("uKind"),        loc("uWorld"),       loc("uView"),         loc("uProj"),
          loc("uClipMap"),     loc("uScreen"),      loc("uClipFix"),      loc("uMatDiffuse"),
          loc("uMatAmbient"),  loc("uMatSpecular"), loc("uMatEmissive"),  loc("uMatPower"),
          loc("uAmbient"),     loc("uLightOn"),     loc("uLightPos"),     loc("uLightColor"),
          loc("uAttenuation"), loc("uSpecularOn"),  loc("uSpecularAdd"),  loc("uTexture"),
          loc("uHasTexture"),  loc("uColorArgs"),   loc("uColorWeights"), loc("uAlphaArgs"),
          loc("uAlphaWeights")};
    glUniform1i(u_.texture, 0);
    glUniform3f(u_.attenuation, 1.0f, 0.0f, 0.0f);
    const Matrix4 identity = Matrix4::identity();
    glUniformMatrix4fv(u_.world, 1, GL_FALSE, &identity.m[0][0]);
    glUniformMatrix4fv(u_.view, 1, GL_FALSE, &identity.m[0][0]);
    glUniformMatrix4fv(u_.proj, 1, GL_FALSE, &identity.m[0][0]);
    glUniform4f(u_.clipMap, 1.0f, 0.0f, 1.0f, 0.0f);

    setupStream(unlitStream_, sizeof(UnlitVertex), layoutUnlit);
    setupStream(litStream_, sizeof(LitVertex), layoutLit);
    setupStream(screenStream_, sizeof(ScreenVertex), layoutScreen);
    glGenBuffers(1, &screenIbo_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, screenIbo_); // recorded in the screen VAO
    screenIboCapacity_ = 6144 * sizeof(uint16_t);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(screenIboCapacity_), nullptr, GL_STREAM_DRAW);
    glGenSamplers(1, &sampler_);
    glBindSampler(0, sampler_);

    // Every GL state the renderer relies on, set here rather than assumed.
    clipControl_ = epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
    if (clipControl_) glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    glUniform1i(u_.clipFix, clipControl_ ? 0 : 1);
    glDepthRange(0.0, 1.0);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_PRIMITIVE_RESTART);
    glDisable(GL_PROGRAM_POINT_SIZE);
    glDisable(GL_MULTISAMPLE);
    glDisable(GL_FRAMEBUFFER_SRGB);
    glDisable(GL_SAMPLE_ALPHA_TO_COVERAGE);
    glPointSize(1.0f);
    glLineWidth(1.0f);
    glBlendEquation(GL_FUNC_ADD);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glActiveTexture(GL_TEXTURE0);
    // Colour and specular when a vertex carries none: opaque white, none.
    glVertexAttrib4f(2, 1.0f, 1.0f, 1.0f, 1.0f);
    glVertexAttrib4f(3, 0.0f, 0.0f, 0.0f, 0.0f);
    glVertexAttrib3f(1, 0.0f, 0.0f, 0.0f);
    glVertexAttrib2f(4, 0.0f, 0.0f);
    bindDrawTarget();

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
    applyAllStates();
    glUniform1i(u_.lightOn, 0);
    glUniform3f(u_.ambient, 0.0f, 0.0f, 0.0f);
    MaterialRecord m;
    setMaterial(m);
    kind_ = -1;
    if (failGl("device")) return kErrNo3D;
    deviceReady_ = true;
    return kResultOk;
}

void GlBackend::applyAllStates() {
    for (size_t i = 0; i < rs_.size(); ++i)
        applyRenderState(RenderState(i), rs_[i]);
    for (size_t i = 0; i < ss_.size(); ++i)
        applyStage(StageState(i), ss_[i]);
    applySampler();
    setTexture(0, boundTexture_);
}

void GlBackend::releaseDevice() {
    if (!context_) return;
    if (fbo_ && depthRb_) {
        bindDrawTarget();
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, 0);
    }
    if (depthRb_) glDeleteRenderbuffers(1, &depthRb_);
    depthRb_ = 0;
    for (StreamBuffer* s : {&unlitStream_, &litStream_, &screenStream_}) {
        if (s->vao) glDeleteVertexArrays(1, &s->vao);
        if (s->vbo) glDeleteBuffers(1, &s->vbo);
        *s = StreamBuffer{};
    }
    if (screenIbo_) glDeleteBuffers(1, &screenIbo_);
    screenIbo_ = 0;
    screenIboUsed_ = 0;
    if (sampler_) glDeleteSamplers(1, &sampler_);
    sampler_ = 0;
    if (program_) glDeleteProgram(program_);
    program_ = 0;
    deviceReady_ = false;
}

uint32_t GlBackend::setViewport(const Viewport& vp) {
    if (!deviceReady_ && !program_) return kErrNotInitialized;
    glViewport(GLint(vp.x), GLint(vp.y), GLsizei(vp.width), GLsizei(vp.height));
    // Map the viewport's clip-space window onto GL's -1..1.
    const float sx = 2.0f / vp.clipWidth, ox = -2.0f * vp.clipX / vp.clipWidth - 1.0f;
    const float sy = 2.0f / vp.clipHeight,
                oy = -2.0f * (vp.clipY - vp.clipHeight) / vp.clipHeight - 1.0f;
    glUniform4f(u_.clipMap, sx, ox, sy, oy);
    glUniform2f(u_.screen, float(vp.width), float(vp.height));
    glDepthRange(vp.minZ, vp.maxZ);
    return kResultOk;
}

void GlBackend::clear(uint32_t flags, uint32_t color, float z) {
    if (!fbo_) return;
    bindDrawTarget();
    GLbitfield mask = 0;
    if (flags & kClearTarget) {
        glClearColor(float((color >> 16) & 0xFF) / 255.0f, float((color >> 8) & 0xFF) / 255.0f,
                     float(color & 0xFF) / 255.0f, 1.0f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & kClearZBuffer) {
        glClearDepth(z);
        // A clear writes depth whatever the z-write state says.
        glDepthMask(GL_TRUE);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    glClear(mask);
    glDepthMask(depthMask_ ? GL_TRUE : GL_FALSE);
}

void GlBackend::setTransform(TransformType type, const Matrix4& m) {
    if (!program_) return;
    const GLint loc = type == TransformType::World  ? u_.world
                      : type == TransformType::View ? u_.view
                                                    : u_.proj;
    glUniformMatrix4fv(loc, 1, GL_FALSE, &m.m[0][0]);
}

void GlBackend::applyCull() {
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

void GlBackend::applySampler() {
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

void GlBackend::applyRenderState(RenderState state, uint32_t value) {
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
        glUniform1i(u_.specularOn, value ? 1 : 0);
        glUniform1f(u_.specularOnFragment, value ? 1.0f : 0.0f);
        break;
    case RenderState::ZEnable:
        if (value)
            glEnable(GL_DEPTH_TEST);
        else
            glDisable(GL_DEPTH_TEST);
        break;
    case RenderState::ZFunc:
        glDepthFunc(glCompare(value));
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
        glBlendFunc(glBlendFactor(rs_[size_t(RenderState::SrcBlend)]),
                    glBlendFactor(rs_[size_t(RenderState::DestBlend)]));
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

void GlBackend::setRenderState(RenderState state, uint32_t value) {
    if (state >= RenderState::Count) return;
    rs_[size_t(state)] = value;
    if (program_) applyRenderState(state, value);
}

void GlBackend::setLightState(LightState state, uint32_t value) {
    if (!program_) return;
    if (state == LightState::Ambient)
        glUniform3f(u_.ambient, float((value >> 16) & 0xFF) / 255.0f,
                    float((value >> 8) & 0xFF) / 255.0f, float(value & 0xFF) / 255.0f);
    // The material handle needs nothing more: setMaterial carried its record.
}

// Weights of arg1, arg2, arg1 x arg2 and plain diffuse for an operation.
void opWeights(uint32_t op, float w[4]) {
    using namespace d3d;
    w[0] = op == kOpSelectArg1 ? 1.0f : 0.0f;
    w[1] = op == kOpSelectArg2 ? 1.0f : 0.0f;
    w[2] = op == kOpModulate ? 1.0f : 0.0f;
    w[3] = (op != kOpSelectArg1 && op != kOpSelectArg2 && op != kOpModulate) ? 1.0f : 0.0f;
}

void GlBackend::applyStage(StageState state, uint32_t) {
    using namespace d3d;
    auto isTexture = [&](StageState s) { return ss_[size_t(s)] == kArgTexture ? 1.0f : 0.0f; };
    float w[4];
    switch (state) {
    case StageState::ColorOp:
        opWeights(ss_[size_t(StageState::ColorOp)], w);
        glUniform4f(u_.colorWeights, w[0], w[1], w[2], w[3]);
        break;
    case StageState::ColorArg1:
    case StageState::ColorArg2:
        glUniform2f(u_.colorArgs, isTexture(StageState::ColorArg1),
                    isTexture(StageState::ColorArg2));
        break;
    case StageState::AlphaOp:
        opWeights(ss_[size_t(StageState::AlphaOp)], w);
        glUniform4f(u_.alphaWeights, w[0], w[1], w[2], w[3]);
        break;
    case StageState::AlphaArg1:
    case StageState::AlphaArg2:
        glUniform2f(u_.alphaArgs, isTexture(StageState::AlphaArg1),
                    isTexture(StageState::AlphaArg2));
        break;
    case StageState::AddressMode:
        applySampler();
        break;
    case StageState::Count:
        break;
    }
}

void GlBackend::setStageState(uint32_t stage, StageState state, uint32_t value) {
    if (stage != 0 || state >= StageState::Count) return; // one stage is all the program uses
    ss_[size_t(state)] = value;
    if (program_) applyStage(state, value);
}

void GlBackend::setTexture(uint32_t stage, uint32_t textureId) {
    if (stage != 0) return;
    boundTexture_ = textureId;
    if (!program_) return;
    auto it = textures_.find(textureId);
    const GLuint t = it == textures_.end() ? 0 : it->second;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, t);
    glUniform1f(u_.hasTexture, t ? 1.0f : 0.0f);
}

void GlBackend::setMaterial(const MaterialRecord& m) {
    if (!program_) return;
    glUniform4f(u_.matDiffuse, m.diffuse.r, m.diffuse.g, m.diffuse.b, m.diffuse.a);
    glUniform4f(u_.matAmbient, m.ambient.r, m.ambient.g, m.ambient.b, m.ambient.a);
    glUniform4f(u_.matSpecular, m.specular.r, m.specular.g, m.specular.b, m.specular.a);
    glUniform4f(u_.matEmissive, m.emissive.r, m.emissive.g, m.emissive.b, m.emissive.a);
    glUniform1f(u_.matPower, m.power);
}

void GlBackend::setLight(const LightRecord& l, bool attached) {
    if (!program_) return;
    glUniform1i(u_.lightOn, attached && (l.flags & 1) ? 1 : 0);
    glUniform3f(u_.lightPos, l.position.x, l.position.y, l.position.z);
    glUniform3f(u_.lightColor, l.color.r, l.color.g, l.color.b);
    glUniform3f(u_.attenuation, l.attenuation0, l.attenuation1, l.attenuation2);
}

uint32_t GlBackend::createVertexBuffer(const BufferVertex* vertices, uint32_t vertexCount,
                                       const uint16_t* indices, uint32_t indexCount) {
    if (!context_) return 0;
    glGetError();
    VertexBufferObjects b;
    b.vertexCount = vertexCount;
    glGenVertexArrays(1, &b.vao);
    glGenBuffers(1, &b.vbo);
    glGenBuffers(1, &b.ibo);
    glBindVertexArray(b.vao);
    glBindBuffer(GL_ARRAY_BUFFER, b.vbo);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(size_t(vertexCount) * sizeof(BufferVertex)), vertices,
                 GL_STATIC_DRAW);
    layoutBuffer();
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, b.ibo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(size_t(indexCount) * 2), indices,
                 GL_STATIC_DRAW);
    glBindVertexArray(0);
    if (failGl("vertex buffer")) {
        glDeleteVertexArrays(1, &b.vao);
        glDeleteBuffers(1, &b.vbo);
        glDeleteBuffers(1, &b.ibo);
        return 0;
    }
    const uint32_t id = nextId_++;
    buffers_[id] = b;
    return id;
}

void GlBackend::releaseVertexBuffer(uint32_t id) {
    auto it = buffers_.find(id);
    if (it == buffers_.end()) return;
    glDeleteVertexArrays(1, &it->second.vao);
    glDeleteBuffers(1, &it->second.vbo);
    glDeleteBuffers(1, &it->second.ibo);
    buffers_.erase(it);
}

bool GlBackend::updateVertexBuffer(uint32_t id, const BufferVertex* vertices,
                                   uint32_t vertexCount) {
    auto it = buffers_.find(id);
    if (!context_ || it == buffers_.end() || vertexCount > it->second.vertexCount) return false;
    glBindBuffer(GL_ARRAY_BUFFER, it->second.vbo);
    glBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(size_t(vertexCount) * sizeof(BufferVertex)),
                    vertices);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return true;
}

void GlBackend::setKind(int kind) {
    if (kind == kind_) return;
    kind_ = kind;
    glUniform1i(u_.kind, kind);
}

void GlBackend::drawIndexedBuffer(PrimitiveType type, uint32_t id, uint32_t firstIndex,
                                  uint32_t indexCount, uint32_t flags) {
    if (!program_) return;
    auto it = buffers_.find(id);
    if (it == buffers_.end()) return;
    setKind(flags & kDrawDoNotLight ? 1 : 0);
    glBindVertexArray(it->second.vao);
    glDrawElements(glPrimitive(type), GLsizei(indexCount), GL_UNSIGNED_SHORT,
                   reinterpret_cast<void*>(uintptr_t(firstIndex) * 2));
}

void GlBackend::drawUnlit(PrimitiveType type, const UnlitVertex* v, uint32_t count,
                          uint32_t flags) {
    if (!program_ || count == 0) return;
    // Without lighting such a vertex has no colour of its own: white.
    setKind(flags & kDrawDoNotLight ? 1 : 0);
    const GLint first =
        stream(unlitStream_, v, size_t(count) * sizeof(UnlitVertex), sizeof(UnlitVertex));
    glDrawArrays(glPrimitive(type), first, GLsizei(count));
}

void GlBackend::drawLit(PrimitiveType type, const LitVertex* v, uint32_t count, uint32_t) {
    if (!program_ || count == 0) return;
    setKind(1);
    const GLint first = stream(litStream_, v, size_t(count) * sizeof(LitVertex), sizeof(LitVertex));
    glDrawArrays(glPrimitive(type), first, GLsizei(count));
}

void GlBackend::drawScreen(PrimitiveType type, const ScreenVertex* v, uint32_t vertexCount,
                           const uint16_t* indices, uint32_t indexCount, uint32_t) {
    if (!program_ || vertexCount == 0 || indexCount == 0) return;
    setKind(2);
    const GLint base =
        stream(screenStream_, v, size_t(vertexCount) * sizeof(ScreenVertex), sizeof(ScreenVertex));
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, screenIbo_);
    const size_t bytes = size_t(indexCount) * 2;
    size_t at = screenIboUsed_;
    if (at + bytes > screenIboCapacity_) {
        if (bytes > screenIboCapacity_) screenIboCapacity_ = bytes;
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(screenIboCapacity_), nullptr,
                     GL_STREAM_DRAW);
        at = 0;
    }
    glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, GLintptr(at), GLsizeiptr(bytes), indices);
    screenIboUsed_ = at + bytes;
    glDrawElementsBaseVertex(glPrimitive(type), GLsizei(indexCount), GL_UNSIGNED_SHORT,
                             reinterpret_cast<void*>(uintptr_t(at)), base);
}

bool GlBackend::textureFormatAvailable(const PixelFormat& format) {
    GlFormat f;
    return glFormatOf(format, f);
}

uint32_t GlBackend::createTexture(const PixelFormat& format, uint32_t width, uint32_t height,
                                  const uint8_t* pixels) {
    GlFormat f;
    if (!context_ || !glFormatOf(format, f)) return 0;
    glGetError();
    GLuint t = 0;
    glGenTextures(1, &t);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, t);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(f.internal), GLsizei(width), GLsizei(height), 0, f.format,
                 f.type, pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    const bool failed = failGl("texture");
    // Put back the texture the stage had.
    auto it = textures_.find(boundTexture_);
    glBindTexture(GL_TEXTURE_2D, it == textures_.end() ? 0 : it->second);
    if (failed) {
        glDeleteTextures(1, &t);
        return 0;
    }
    const uint32_t id = nextId_++;
    textures_[id] = t;
    return id;
}

void GlBackend::releaseTexture(uint32_t id) {
    auto it = textures_.find(id);
    if (it == textures_.end()) return;
    glDeleteTextures(1, &it->second);
    textures_.erase(it);
    if (boundTexture_ == id) setTexture(0, 0);
}

bool GlBackend::readBackBuffer(uint8_t* bgr, uint32_t width, uint32_t height) {
    if (!fbo_ || width > width_ || height > height_) return false;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, GLsizei(width), GLsizei(height), GL_BGR, GL_UNSIGNED_BYTE, bgr);
    // GL rows run bottom up; the image is kept top row first.
    const size_t row = size_t(width) * 3;
    std::vector<uint8_t> tmp(row);
    for (uint32_t y = 0; y < height / 2; ++y) {
        uint8_t* a = bgr + y * row;
        uint8_t* b = bgr + (height - 1 - y) * row;
        std::memcpy(tmp.data(), a, row);
        std::memcpy(a, b, row);
        std::memcpy(b, tmp.data(), row);
    }
    return !failGl("read back");
}

bool GlBackend::readDepth(uint32_t x, uint32_t y, float& depth) {
    if (!fbo_ || !depthRb_ || x >= width_ || y >= height_) return false;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
    glReadPixels(GLint(x), GLint(height_ - 1 - y), 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    return !failGl("depth read");
}

uint32_t GlBackend::ensureConsoleFace() {
    if (consoleTexture_) return kResultOk;
    std::vector<uint8_t> sheet(size_t(kConsoleSheetWidth) * kConsoleSheetHeight);
    buildConsoleSheet(sheet.data());
    glGenTextures(1, &consoleTexture_);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, consoleTexture_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, kConsoleSheetWidth, kConsoleSheetHeight, 0, GL_RED,
                 GL_UNSIGNED_BYTE, sheet.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // White glyphs whose coverage is the alpha.
    const GLint swizzle[4] = {GL_ONE, GL_ONE, GL_ONE, GL_RED};
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
    // Put back the texture the stage had.
    auto bound = textures_.find(boundTexture_);
    glBindTexture(GL_TEXTURE_2D, bound == textures_.end() ? 0 : bound->second);
    consoleVertices_.resize(1024 * 4);
    consoleIndices_.resize(1024 * 6);
    for (size_t i = 0; i < 1024; ++i) {
        const uint16_t b = uint16_t(i * 4);
        const uint16_t q[6] = {b, uint16_t(b + 2), uint16_t(b + 1),
                               b, uint16_t(b + 3), uint16_t(b + 2)};
        for (int k = 0; k < 6; ++k)
            consoleIndices_[i * 6 + size_t(k)] = q[k];
    }
    return kResultOk;
}

void GlBackend::drawConsoleText(int x, int y, const char* text, uint32_t rgb) {
    if (!program_ || !text) return;
    ensureConsoleFace();
    size_t quads = 0;
    float penX = float(x);
    for (const char* p = text; *p && quads < 1024; ++p) {
        float l, t, r, b;
        if (consoleGlyphRect(static_cast<unsigned char>(*p), l, t, r, b)) {
            ScreenVertex* v = &consoleVertices_[quads * 4];
            const float x0 = penX, y0 = float(y), x1 = penX + kConsoleCellWidth,
                        y1 = float(y) + kConsoleCellHeight;
            v[0] = {x0, y0, 0.0f, 1.0f, 0, 0, l, t};
            v[1] = {x0, y1, 0.0f, 1.0f, 0, 0, l, b};
            v[2] = {x1, y1, 0.0f, 1.0f, 0, 0, r, b};
            v[3] = {x1, y0, 0.0f, 1.0f, 0, 0, r, t};
            ++quads;
        }
        penX += kConsoleCellWidth;
    }
    if (!quads) return;
    // Drawn like the platform's text output: straight onto the back buffer,
    // no depth, only the glyph pixels (coverage is 0 or 1, so blending by it
    // is exact); every state touched is put back afterwards.
    const uint32_t colour = 0xFF000000u | (rgb & 0xFFFFFFu);
    for (size_t i = 0; i < quads * 4; ++i)
        consoleVertices_[i].color = colour;
    bindDrawTarget();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, consoleTexture_);
    glBindSampler(0, 0);
    glUniform1f(u_.hasTexture, 1.0f);
    glUniform1f(u_.specularOnFragment, 0.0f);
    glUniform2f(u_.colorArgs, 0.0f, 0.0f);
    glUniform4f(u_.colorWeights, 1.0f, 0.0f, 0.0f, 0.0f); // diffuse
    glUniform2f(u_.alphaArgs, 1.0f, 0.0f);
    glUniform4f(u_.alphaWeights, 0.0f, 0.0f, 1.0f, 0.0f); // coverage x diffuse
    drawScreen(PrimitiveType::TriangleList, consoleVertices_.data(), uint32_t(quads * 4),
               consoleIndices_.data(), uint32_t(quads * 6), 0);
    glBindSampler(0, sampler_);
    applyAllStates();
}

} // namespace

std::unique_ptr<RenderBackend> createGlBackend(platform::Window& window) {
    return std::make_unique<GlBackend>(window);
}

} // namespace gv
