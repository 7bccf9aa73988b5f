#include "engine/gl/gl_backend.h"

#include "core/log.h"
#include "engine/error_name.h"
#include "engine/gl/back_buffer.h"
#include "engine/gl/console_text.h"
#include "engine/gl/fixed_function_program.h"
#include "engine/gl/gl_error.h"
#include "engine/gl/gl_names.h"
#include "engine/gl/mesh_buffers.h"
#include "engine/gl/render_state_emulation.h"
#include "engine/gl/texture_table.h"
#include "engine/gl/vertex_streams.h"
#include "platform/gl_context.h"
#include "platform/window.h"

#include <SDL.h>
#include <glad/gl.h>

#include <string>

namespace gv {

namespace {

GLADapiproc glEntryPoint(const char* name) {
    return reinterpret_cast<GLADapiproc>(SDL_GL_GetProcAddress(name));
}

// The backend over its parts: the window's GL context, the back buffer, the
// fixed-function program with its render-state emulation, the vertex streams,
// the meshes' buffers, the textures and the console's text.
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
    void setTransform(TransformType type, const Matrix4& m) override {
        program_.setTransform(type, m);
    }
    void setRenderState(RenderState state, uint32_t value) override {
        states_.setRenderState(state, value);
    }
    void setLightState(LightState state, uint32_t value) override;
    void setStageState(uint32_t stage, StageState state, uint32_t value) override {
        if (stage == 0) states_.setStageState(state, value); // one stage is all the program uses
    }
    void setTexture(uint32_t stage, uint32_t textureId) override {
        if (stage == 0) states_.bindTexture(textureId);
    }
    void setMaterial(const MaterialRecord& material) override { program_.setMaterial(material); }
    void setLight(const LightRecord& light, bool attached) override {
        program_.setLight(light, attached);
    }
    void setSurfaceEffects(const SurfaceEffects& effects) override;
    uint32_t createVertexBuffer(const BufferVertex* vertices, uint32_t vertexCount,
                                const uint16_t* indices, uint32_t indexCount) override;
    void releaseVertexBuffer(uint32_t id) override { meshBuffers_.release(id); }
    bool updateVertexBuffer(uint32_t id, const BufferVertex* vertices,
                            uint32_t vertexCount) override {
        return context_ && meshBuffers_.update(id, vertices, vertexCount);
    }
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
    bool updateTexture(uint32_t id, const PixelFormat& format, uint32_t x, uint32_t y,
                       uint32_t width, uint32_t height, const uint8_t* pixels,
                       uint32_t rowPixels) override;
    bool readBackBuffer(uint8_t* bgr, uint32_t width, uint32_t height) override {
        return backBuffer_.read(bgr, width, height, error_);
    }
    bool readDepth(uint32_t x, uint32_t y, float& depth) override {
        return backBuffer_.readDepth(x, y, depth, error_);
    }
    void drawConsoleText(int x, int y, const char* text, uint32_t rgb) override {
        consoleText_.draw(x, y, text, rgb);
    }

  private:
    void setFixedGlState();

    platform::Window& window_;
    std::unique_ptr<platform::GlContext> context_;
    std::string error_;
    gl::BackBuffer backBuffer_;
    gl::FixedFunctionProgram program_;
    gl::TextureTable textures_;
    gl::RenderStateEmulation states_{textures_};
    gl::VertexStreams streams_;
    gl::MeshBuffers meshBuffers_;
    gl::ConsoleText consoleText_{program_, streams_, states_, backBuffer_};
    bool deviceReady_ = false;
    SurfaceEffects surface_;
    // Buffers and textures share one run of ids.
    uint32_t nextId_ = 1;
};

GlBackend::~GlBackend() {
    if (!context_) return;
    context_->makeCurrent();
    releaseDevice();
    meshBuffers_.releaseAll();
    textures_.releaseAll();
    consoleText_.release();
    releaseSurfaces();
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
        context_->makeCurrent();
        // The entry points are the context's own: looked up once it is current.
        if (gladLoadGL(glEntryPoint) == 0) {
            error_ = "the OpenGL entry points cannot be loaded";
            logWrite("(%s)", error_.c_str());
            context_.reset();
            return kErrNoDirectDrawSupport;
        }
    }
    context_->makeCurrent();
    // Refusal (Xvfb refuses) is not an error: the frame is simply not paced.
    context_->setSwapInterval(waitForRefresh ? 1 : 0);
    return backBuffer_.create(width, height, error_);
}

void GlBackend::releaseSurfaces() {
    if (context_) backBuffer_.release();
}

uint32_t GlBackend::clearBackBuffer(uint32_t color) {
    if (!backBuffer_.exists()) return kErrSurfaceLost;
    backBuffer_.fill(color);
    return kResultOk;
}

uint32_t GlBackend::present() {
    if (!backBuffer_.exists()) return kErrSurfaceLost;
    int w = 0, h = 0;
    context_->drawableSize(w, h);
    backBuffer_.blitToWindow(w, h);
    context_->swap();
    backBuffer_.bindForDrawing();
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

bool GlBackend::zBufferFormatAvailable(uint32_t bits) {
    return backBuffer_.depthFormatAvailable(bits);
}

uint32_t GlBackend::createZBuffer(uint32_t bits) {
    return backBuffer_.createDepth(bits, error_);
}

// Every GL state the renderer relies on, set here rather than assumed.
void GlBackend::setFixedGlState() {
    const bool clipControl = GLAD_GL_VERSION_4_5 || GLAD_GL_ARB_clip_control;
    if (clipControl) glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    program_.setDepthRemap(!clipControl);
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
}

uint32_t GlBackend::createDevice() {
    if (!context_ || !backBuffer_.exists()) return kErrNotInitialized;
    glGetError();
    std::string err;
    if (!program_.build(err)) {
        error_ = err;
        logWrite("(GL: %s)", error_.c_str());
        return kErrNo3D;
    }
    streams_.create();
    states_.attach(program_);
    setFixedGlState();
    backBuffer_.bindForDrawing();

    states_.setDefaults();
    states_.applyAll();
    surface_ = SurfaceEffects{};
    program_.switchLightOff();
    program_.setAmbient(0);
    program_.setMaterial(MaterialRecord{});
    program_.forgetProgram();
    if (gl::failed("device", error_)) return kErrNo3D;
    deviceReady_ = true;
    return kResultOk;
}

void GlBackend::releaseDevice() {
    if (!context_) return;
    backBuffer_.releaseDepth();
    streams_.release();
    states_.detach();
    program_.release();
    deviceReady_ = false;
}

uint32_t GlBackend::setViewport(const Viewport& vp) {
    if (!deviceReady_ && !program_.built()) return kErrNotInitialized;
    glViewport(GLint(vp.x), GLint(vp.y), GLsizei(vp.width), GLsizei(vp.height));
    program_.setViewportMap(vp);
    glDepthRange(vp.minZ, vp.maxZ);
    return kResultOk;
}

void GlBackend::clear(uint32_t flags, uint32_t color, float z) {
    if (!backBuffer_.exists()) return;
    backBuffer_.clear(flags, color, z, states_.depthWrite());
}

void GlBackend::setSurfaceEffects(const SurfaceEffects& effects) {
    surface_ = effects;
    states_.bindNightTexture(effects.nightTexture);
    program_.setSurfaceEffects(effects, textures_.find(effects.nightTexture) != 0);
}

void GlBackend::setLightState(LightState state, uint32_t value) {
    // The material handle needs nothing more: setMaterial carried its record.
    if (state == LightState::Ambient) program_.setAmbient(value);
}

uint32_t GlBackend::createVertexBuffer(const BufferVertex* vertices, uint32_t vertexCount,
                                       const uint16_t* indices, uint32_t indexCount) {
    if (!context_) return 0;
    const uint32_t id = nextId_;
    if (!meshBuffers_.create(id, vertices, vertexCount, indices, indexCount, error_)) return 0;
    ++nextId_;
    return id;
}

void GlBackend::drawIndexedBuffer(PrimitiveType type, uint32_t id, uint32_t firstIndex,
                                  uint32_t indexCount, uint32_t flags) {
    if (!program_.built()) return;
    const GLuint vao = meshBuffers_.vertexArray(id);
    if (!vao) return;
    program_.prepareDraw(flags & kDrawDoNotLight ? gl::VertexKind::OwnColour
                                                 : gl::VertexKind::LitByDevice,
                         states_.stageShape());
    glBindVertexArray(vao);
    glDrawElements(gl::primitive(type), GLsizei(indexCount), GL_UNSIGNED_SHORT,
                   reinterpret_cast<void*>(uintptr_t(firstIndex) * 2));
}

void GlBackend::drawUnlit(PrimitiveType type, const UnlitVertex* v, uint32_t count,
                          uint32_t flags) {
    if (!program_.built() || count == 0) return;
    // Without lighting such a vertex has no colour of its own: white.
    program_.prepareDraw(flags & kDrawDoNotLight ? gl::VertexKind::OwnColour
                                                 : gl::VertexKind::LitByDevice,
                         states_.stageShape());
    streams_.drawUnlit(gl::primitive(type), v, count);
}

void GlBackend::drawLit(PrimitiveType type, const LitVertex* v, uint32_t count, uint32_t) {
    if (!program_.built() || count == 0) return;
    program_.prepareDraw(gl::VertexKind::OwnColour, states_.stageShape());
    streams_.drawLit(gl::primitive(type), v, count);
}

void GlBackend::drawScreen(PrimitiveType type, const ScreenVertex* v, uint32_t vertexCount,
                           const uint16_t* indices, uint32_t indexCount, uint32_t) {
    if (!program_.built() || vertexCount == 0 || indexCount == 0) return;
    program_.prepareDraw(gl::VertexKind::Screen, states_.stageShape());
    streams_.drawScreen(gl::primitive(type), v, vertexCount, indices, indexCount);
}

bool GlBackend::textureFormatAvailable(const PixelFormat& format) {
    gl::TextureFormat f;
    return gl::textureFormatOf(format, f);
}

uint32_t GlBackend::createTexture(const PixelFormat& format, uint32_t width, uint32_t height,
                                  const uint8_t* pixels) {
    gl::TextureFormat f;
    if (!context_ || !gl::textureFormatOf(format, f)) return 0;
    const GLuint t =
        gl::TextureTable::upload(f, width, height, pixels, states_.boundGlTexture(), error_);
    if (!t) return 0;
    const uint32_t id = nextId_++;
    textures_.add(id, t);
    return id;
}

void GlBackend::releaseTexture(uint32_t id) {
    if (!textures_.release(id)) return;
    if (states_.boundTexture() == id) states_.bindTexture(0);
    if (states_.boundNightTexture() == id) {
        surface_.nightTexture = 0;
        setSurfaceEffects(surface_);
    }
}

bool GlBackend::updateTexture(uint32_t id, const PixelFormat& format, uint32_t x, uint32_t y,
                              uint32_t width, uint32_t height, const uint8_t* pixels,
                              uint32_t rowPixels) {
    gl::TextureFormat f;
    const GLuint t = textures_.find(id);
    if (!context_ || !t || !gl::textureFormatOf(format, f)) return false;
    return gl::TextureTable::update(t, f, x, y, width, height, pixels, rowPixels,
                                    states_.boundGlTexture(), error_);
}

} // namespace

std::unique_ptr<RenderBackend> createGlBackend(platform::Window& window) {
    return std::make_unique<GlBackend>(window);
}

} // namespace gv
