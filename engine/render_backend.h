#pragma once
// The interface that the display device, the renderer and the textures drive.
// One implementation runs on OpenGL; another only records the calls, so that
// scene and overlay logic can be tested without a display.
#include "engine/device_types.h"
#include "engine/surface_effects.h"

#include <cstdint>
#include <string>

namespace gv {

class RenderBackend {
  public:
    virtual ~RenderBackend() = default;

    // Text of the last failure of the underlying layer (for the log).
    virtual const char* lastError() const = 0;

    // --- display ---
    // Full screen with the given mode, or a window. fellBack is set when the
    // system refused a real mode change and the desktop size was kept.
    virtual bool setWindowMode(bool fullScreen, uint32_t width, uint32_t height, uint32_t bits,
                               bool& fellBack) = 0;
    virtual void clientSize(uint32_t& width, uint32_t& height) = 0;
    // Front and back surfaces of the given size; 0 or a result code.
    virtual uint32_t createSurfaces(uint32_t width, uint32_t height, bool waitForRefresh) = 0;
    virtual void releaseSurfaces() = 0;
    virtual uint32_t clearBackBuffer(uint32_t color) = 0;
    virtual uint32_t present() = 0;
    // The display's own pixel layout (used for textures without alpha).
    virtual PixelFormat displayFormat() = 0;

    // --- 3D device ---
    // Finds a device; hardware asks for one that is not a software rasteriser.
    virtual bool findDevice(bool hardware) = 0;
    // True when a depth buffer of exactly that many bits can be made.
    virtual bool zBufferFormatAvailable(uint32_t bits) = 0;
    // Creates the depth buffer and attaches it to the back buffer.
    virtual uint32_t createZBuffer(uint32_t bits) = 0;
    virtual uint32_t createDevice() = 0;
    virtual void releaseDevice() = 0;
    virtual uint32_t setViewport(const Viewport& viewport) = 0;
    virtual void clear(uint32_t flags, uint32_t color, float z) = 0;
    virtual void beginScene() = 0;
    virtual void endScene() = 0;
    virtual void setTransform(TransformType type, const Matrix4& m) = 0;
    virtual void setRenderState(RenderState state, uint32_t value) = 0;
    virtual void setLightState(LightState state, uint32_t value) = 0;
    virtual void setStageState(uint32_t stage, StageState state, uint32_t value) = 0;
    virtual void setTexture(uint32_t stage, uint32_t textureId) = 0;
    virtual void setMaterial(const MaterialRecord& material) = 0;
    virtual void setLight(const LightRecord& light, bool attached) = 0;
    // The planet's per-pixel shading for the draws that follow (lit mesh
    // draws only); None switches it off.
    virtual void setSurfaceEffects(const SurfaceEffects& effects) = 0;

    // Device vertex buffer with its index array; 0 on failure.
    virtual uint32_t createVertexBuffer(const BufferVertex* vertices, uint32_t vertexCount,
                                        const uint16_t* indices, uint32_t indexCount) = 0;
    virtual void releaseVertexBuffer(uint32_t id) = 0;
    // New vertices for a buffer, no more than it was made with (the indices
    // stay); false when there is no such buffer or too many vertices.
    virtual bool updateVertexBuffer(uint32_t id, const BufferVertex* vertices,
                                    uint32_t vertexCount) = 0;
    virtual void drawIndexedBuffer(PrimitiveType type, uint32_t id, uint32_t firstIndex,
                                   uint32_t indexCount, uint32_t flags) = 0;
    virtual void drawUnlit(PrimitiveType type, const UnlitVertex* v, uint32_t count,
                           uint32_t flags) = 0;
    virtual void drawLit(PrimitiveType type, const LitVertex* v, uint32_t count,
                         uint32_t flags) = 0;
    virtual void drawScreen(PrimitiveType type, const ScreenVertex* v, uint32_t vertexCount,
                            const uint16_t* indices, uint32_t indexCount, uint32_t flags) = 0;

    // --- textures ---
    virtual bool textureFormatAvailable(const PixelFormat& format) = 0;
    // Texture from a system-memory copy, rows top first, tightly packed.
    virtual uint32_t createTexture(const PixelFormat& format, uint32_t width, uint32_t height,
                                   const uint8_t* pixels) = 0;
    virtual void releaseTexture(uint32_t id) = 0;
    // New pixels for a rectangle of a texture made by createTexture, in the
    // format it was made with; rows rowPixels apart, top row first.
    virtual bool updateTexture(uint32_t id, const PixelFormat& format, uint32_t x, uint32_t y,
                               uint32_t width, uint32_t height, const uint8_t* pixels,
                               uint32_t rowPixels) = 0;

    // --- read back ---
    // The back buffer as 24-bit blue, green, red, top row first.
    virtual bool readBackBuffer(uint8_t* bgr, uint32_t width, uint32_t height) = 0;
    virtual bool readDepth(uint32_t x, uint32_t y, float& depth) = 0;
    // The console's text: a small built-in face straight onto the back buffer.
    virtual void drawConsoleText(int x, int y, const char* text, uint32_t rgb) = 0;
};

} // namespace gv
