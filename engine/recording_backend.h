#pragma once
// A backend that draws nothing and records what it was asked, so that scene,
// overlay and text logic can be checked without a display.
#include "engine/render_backend.h"

#include <map>
#include <string>
#include <vector>

namespace gv {

class RecordingBackend : public RenderBackend {
  public:
    struct Call {
        std::string op;                      // "setRenderState", "drawScreen", ...
        uint32_t a = 0, b = 0, c = 0, d = 0; // the call's numeric arguments
    };
    struct Draw {
        std::string op;
        PrimitiveType type = PrimitiveType::TriangleList;
        uint32_t texture = 0;
        std::vector<ScreenVertex> screen;
        std::vector<uint16_t> indices;
        std::vector<LitVertex> lit;
        std::vector<UnlitVertex> unlit;
        uint32_t buffer = 0, firstIndex = 0, indexCount = 0, flags = 0;
        MaterialRecord material;
        uint32_t materialHandle = 0;
        Matrix4 world; // the world transform the draw was made with
        SurfaceEffects surface;
    };

    // What the fake device offers.
    bool hardwareAvailable = false;
    std::vector<uint32_t> zBufferDepths{32, 24, 16};
    PixelFormat display{32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0};
    uint32_t clientWidth = 640, clientHeight = 480;
    bool refuseModeChange = false;
    bool failVertexBuffers = false;
    bool failTextures = false; // the video memory is full

    std::vector<Call> calls;
    std::vector<Draw> draws;
    std::map<RenderState, uint32_t> renderStates;
    std::map<StageState, uint32_t> stageStates;
    std::map<uint32_t, std::vector<uint8_t>> textures; // id -> uploaded copy
    uint32_t boundTexture = 0;
    MaterialRecord material;
    uint32_t materialHandle = 0;
    Matrix4 world = Matrix4::identity(), view = Matrix4::identity(),
            projection = Matrix4::identity();
    uint32_t ambient = 0;
    SurfaceEffects surface;
    LightRecord light;
    bool lightAttached = false;
    Viewport viewport;
    std::vector<std::string> consoleLines;

    void clearLog() {
        calls.clear();
        draws.clear();
    }
    size_t countCalls(const std::string& op) const;

    const char* lastError() const override { return "recorded"; }
    bool setWindowMode(bool fullScreen, uint32_t width, uint32_t height, uint32_t bits,
                       bool& fellBack) override;
    void clientSize(uint32_t& width, uint32_t& height) override;
    uint32_t createSurfaces(uint32_t width, uint32_t height, bool waitForRefresh) override;
    void releaseSurfaces() override;
    uint32_t clearBackBuffer(uint32_t color) override;
    uint32_t present() override;
    PixelFormat displayFormat() override { return display; }
    bool findDevice(bool hardware) override;
    bool zBufferFormatAvailable(uint32_t bits) override;
    uint32_t createZBuffer(uint32_t bits) override;
    uint32_t createDevice() override;
    void releaseDevice() override;
    uint32_t setViewport(const Viewport& viewport) override;
    void clear(uint32_t flags, uint32_t color, float z) override;
    void beginScene() override;
    void endScene() override;
    void setTransform(TransformType type, const Matrix4& m) override;
    void setRenderState(RenderState state, uint32_t value) override;
    void setLightState(LightState state, uint32_t value) override;
    void setStageState(uint32_t stage, StageState state, uint32_t value) override;
    void setTexture(uint32_t stage, uint32_t textureId) override;
    void setMaterial(const MaterialRecord& material) override;
    void setLight(const LightRecord& light, bool attached) override;
    void setSurfaceEffects(const SurfaceEffects& effects) override;
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
    bool updateTexture(uint32_t id, const PixelFormat& format, uint32_t x, uint32_t y,
                       uint32_t width, uint32_t height, const uint8_t* pixels,
                       uint32_t rowPixels) override;
    bool readBackBuffer(uint8_t* bgr, uint32_t width, uint32_t height) override;
    bool readDepth(uint32_t x, uint32_t y, float& depth) override;
    void drawConsoleText(int x, int y, const char* text, uint32_t rgb) override;

    // Vertex buffers created so far: id -> (vertices, indices).
    std::map<uint32_t, std::pair<std::vector<BufferVertex>, std::vector<uint16_t>>> buffers;

  private:
    void log(const char* op, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0, uint32_t d = 0) {
        calls.push_back({op, a, b, c, d});
    }
    uint32_t nextId_ = 1;
};

} // namespace gv
