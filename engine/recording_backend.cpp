#include "engine/recording_backend.h"

#include "engine/error_name.h"

#include <algorithm>
#include <cstring>

namespace gv {

size_t RecordingBackend::countCalls(const std::string& op) const {
    size_t n = 0;
    for (const Call& c : calls)
        if (c.op == op) ++n;
    return n;
}

bool RecordingBackend::setWindowMode(bool fullScreen, uint32_t width, uint32_t height,
                                     uint32_t bits, bool& fellBack) {
    log("setWindowMode", fullScreen, width, height, bits);
    fellBack = fullScreen && refuseModeChange;
    if (fullScreen && !fellBack) {
        clientWidth = width;
        clientHeight = height;
    }
    return true;
}

void RecordingBackend::clientSize(uint32_t& width, uint32_t& height) {
    width = clientWidth;
    height = clientHeight;
}

uint32_t RecordingBackend::createSurfaces(uint32_t width, uint32_t height, bool waitForRefresh) {
    log("createSurfaces", width, height, waitForRefresh);
    return kResultOk;
}

void RecordingBackend::releaseSurfaces() {
    log("releaseSurfaces");
}

uint32_t RecordingBackend::clearBackBuffer(uint32_t color) {
    log("clearBackBuffer", color);
    return kResultOk;
}

uint32_t RecordingBackend::present() {
    log("present");
    return kResultOk;
}

bool RecordingBackend::findDevice(bool hardware) {
    log("findDevice", hardware);
    return !hardware || hardwareAvailable;
}

bool RecordingBackend::zBufferFormatAvailable(uint32_t bits) {
    for (uint32_t d : zBufferDepths)
        if (d == bits) return true;
    return false;
}

uint32_t RecordingBackend::createZBuffer(uint32_t bits) {
    log("createZBuffer", bits);
    return kResultOk;
}

uint32_t RecordingBackend::createDevice() {
    log("createDevice");
    return kResultOk;
}

void RecordingBackend::releaseDevice() {
    log("releaseDevice");
}

uint32_t RecordingBackend::setViewport(const Viewport& vp) {
    viewport = vp;
    log("setViewport", vp.width, vp.height);
    return kResultOk;
}

void RecordingBackend::clear(uint32_t flags, uint32_t color, float) {
    log("clear", flags, color);
}

void RecordingBackend::beginScene() {
    log("beginScene");
}

void RecordingBackend::endScene() {
    log("endScene");
}

void RecordingBackend::setTransform(TransformType type, const Matrix4& m) {
    (type == TransformType::World ? world : type == TransformType::View ? view : projection) = m;
    log("setTransform", uint32_t(type));
}

void RecordingBackend::setSurfaceEffects(const SurfaceEffects& effects) {
    surface = effects;
    log("setSurfaceEffects", uint32_t(effects.shading), effects.nightTexture);
}

void RecordingBackend::setRenderState(RenderState state, uint32_t value) {
    renderStates[state] = value;
    log("setRenderState", uint32_t(state), value);
}

void RecordingBackend::setLightState(LightState state, uint32_t value) {
    if (state == LightState::Ambient) ambient = value;
    if (state == LightState::Material) materialHandle = value;
    log("setLightState", uint32_t(state), value);
}

void RecordingBackend::setStageState(uint32_t stage, StageState state, uint32_t value) {
    if (stage == 0) stageStates[state] = value;
    log("setStageState", stage, uint32_t(state), value);
}

void RecordingBackend::setTexture(uint32_t stage, uint32_t textureId) {
    if (stage == 0) boundTexture = textureId;
    log("setTexture", stage, textureId);
}

void RecordingBackend::setMaterial(const MaterialRecord& m) {
    material = m;
    log("setMaterial");
}

void RecordingBackend::setLight(const LightRecord& l, bool attached) {
    light = l;
    lightAttached = attached;
    log("setLight", attached);
}

uint32_t RecordingBackend::createVertexBuffer(const BufferVertex* vertices, uint32_t vertexCount,
                                              const uint16_t* indices, uint32_t indexCount) {
    if (failVertexBuffers) return 0;
    const uint32_t id = nextId_++;
    buffers[id] = {std::vector<BufferVertex>(vertices, vertices + vertexCount),
                   std::vector<uint16_t>(indices, indices + indexCount)};
    log("createVertexBuffer", id, vertexCount, indexCount);
    return id;
}

void RecordingBackend::releaseVertexBuffer(uint32_t id) {
    buffers.erase(id);
    log("releaseVertexBuffer", id);
}

bool RecordingBackend::updateVertexBuffer(uint32_t id, const BufferVertex* vertices,
                                          uint32_t vertexCount) {
    auto it = buffers.find(id);
    if (it == buffers.end() || vertexCount > it->second.first.size()) return false;
    std::copy(vertices, vertices + vertexCount, it->second.first.begin());
    log("updateVertexBuffer", id, vertexCount);
    return true;
}

void RecordingBackend::drawIndexedBuffer(PrimitiveType type, uint32_t id, uint32_t firstIndex,
                                         uint32_t indexCount, uint32_t flags) {
    Draw d;
    d.world = world;
    d.surface = surface;
    d.op = "drawIndexedBuffer";
    d.type = type;
    d.texture = boundTexture;
    d.buffer = id;
    d.firstIndex = firstIndex;
    d.indexCount = indexCount;
    d.flags = flags;
    d.material = material;
    d.materialHandle = materialHandle;
    draws.push_back(std::move(d));
    log("drawIndexedBuffer", id, firstIndex, indexCount, flags);
}

void RecordingBackend::drawUnlit(PrimitiveType type, const UnlitVertex* v, uint32_t count,
                                 uint32_t flags) {
    Draw d;
    d.world = world;
    d.surface = surface;
    d.op = "drawUnlit";
    d.type = type;
    d.texture = boundTexture;
    d.unlit.assign(v, v + count);
    d.flags = flags;
    draws.push_back(std::move(d));
    log("drawUnlit", uint32_t(type), count, flags);
}

void RecordingBackend::drawLit(PrimitiveType type, const LitVertex* v, uint32_t count,
                               uint32_t flags) {
    Draw d;
    d.world = world;
    d.surface = surface;
    d.op = "drawLit";
    d.type = type;
    d.texture = boundTexture;
    d.lit.assign(v, v + count);
    d.flags = flags;
    draws.push_back(std::move(d));
    log("drawLit", uint32_t(type), count, flags);
}

void RecordingBackend::drawScreen(PrimitiveType type, const ScreenVertex* v, uint32_t vertexCount,
                                  const uint16_t* indices, uint32_t indexCount, uint32_t flags) {
    Draw d;
    d.world = world;
    d.surface = surface;
    d.op = "drawScreen";
    d.type = type;
    d.texture = boundTexture;
    d.screen.assign(v, v + vertexCount);
    d.indices.assign(indices, indices + indexCount);
    d.flags = flags;
    draws.push_back(std::move(d));
    log("drawScreen", uint32_t(type), vertexCount, indexCount, flags);
}

bool RecordingBackend::textureFormatAvailable(const PixelFormat&) {
    return false;
}

uint32_t RecordingBackend::createTexture(const PixelFormat& format, uint32_t width, uint32_t height,
                                         const uint8_t* pixels) {
    if (failTextures) return 0;
    const uint32_t id = nextId_++;
    textures[id].assign(pixels, pixels + size_t(width) * height * (format.bits / 8));
    log("createTexture", id, width, height, format.bits);
    return id;
}

void RecordingBackend::releaseTexture(uint32_t id) {
    textures.erase(id);
    log("releaseTexture", id);
}

bool RecordingBackend::updateTexture(uint32_t id, const PixelFormat& format, uint32_t x, uint32_t y,
                                     uint32_t width, uint32_t height, const uint8_t* pixels,
                                     uint32_t rowPixels) {
    auto it = textures.find(id);
    if (it == textures.end()) return false;
    // The copy is kept at the width of the source rows (the texture's own).
    const size_t bpp = format.bits / 8;
    std::vector<uint8_t>& copy = it->second;
    for (uint32_t row = 0; row < height; ++row) {
        const size_t at = ((size_t(y) + row) * rowPixels + x) * bpp;
        if (at + width * bpp > copy.size()) return false;
        std::memcpy(copy.data() + at, pixels + size_t(row) * rowPixels * bpp, width * bpp);
    }
    log("updateTexture", id, x, y, width * 65536u + height);
    return true;
}

bool RecordingBackend::readBackBuffer(uint8_t* bgr, uint32_t width, uint32_t height) {
    std::memset(bgr, 0, size_t(width) * height * 3);
    return true;
}

bool RecordingBackend::readDepth(uint32_t, uint32_t, float& depth) {
    depth = 1.0f;
    return true;
}

void RecordingBackend::drawConsoleText(int x, int y, const char* text, uint32_t rgb) {
    consoleLines.push_back(text);
    log("drawConsoleText", uint32_t(x), uint32_t(y), rgb);
}

} // namespace gv
