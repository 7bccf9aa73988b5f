#include "engine/renderer.h"

#include "core/log.h"
#include "engine/bitmap_font.h"
#include "engine/display_device.h"
#include "engine/error_name.h"
#include "engine/mesh.h"
#include "engine/render_backend.h"
#include "engine/text_atlas.h"
#include "engine/texture.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace gv {

namespace {

// A screen quad from (x0, y0) to (x1, y1) over the texture coordinates (l, t)
// to (r, b): top left, bottom left, bottom right, top right.
struct ScreenQuad {
    ScreenVertex v[4];
    ScreenQuad(float x0, float y0, float x1, float y1, float depth, float rhw, uint32_t colour,
               float l, float t, float r, float b)
        : v{{x0, y0, depth, rhw, colour, 0, l, t},
            {x0, y1, depth, rhw, colour, 0, l, b},
            {x1, y1, depth, rhw, colour, 0, r, b},
            {x1, y0, depth, rhw, colour, 0, r, t}} {}
};

uint32_t channel255(float v) {
    if (!(v > 0.0f)) return 0;
    if (v >= 1.0f) return 255;
    return uint32_t(v * 255.0f);
}

bool anyTranslucent(const MaterialRecord& r) {
    return r.diffuse.a < 1.0f || r.ambient.a < 1.0f || r.specular.a < 1.0f || r.emissive.a < 1.0f;
}

constexpr size_t kMaxGlyphs = 1024;

} // namespace

// --- Material ---

void Material::setRecord(const MaterialRecord& record) {
    record_ = record;
    translucent_ = anyTranslucent(record_);
}

void Material::setDiffuse(float r, float g, float b, float a) {
    record_.diffuse = {r, g, b, a};
    translucent_ = a < 1.0f;
}

void Material::setAmbient(float r, float g, float b, float a) {
    record_.ambient = {r, g, b, a};
}

void Material::setSpecular(float r, float g, float b, float a) {
    record_.specular = {r, g, b, a};
}

void Material::setEmissive(float r, float g, float b, float a) {
    record_.emissive = {r, g, b, a};
}

// --- Light ---

Light::Light(Renderer& renderer) : renderer_(renderer), rendererAlive_(renderer.aliveToken()) {
    attach();
}

Light::~Light() {
    if (!*rendererAlive_) return;
    renderer_.backend().setLight(record_, false);
    if (renderer_.light_ == this) renderer_.light_ = nullptr;
}

void Light::attach() {
    if (!*rendererAlive_) return;
    renderer_.backend().setLight(record_, true);
}

void Light::setType(LightType type) {
    record_.type = type;
    attach();
}

void Light::setColour(float r, float g, float b, float a) {
    record_.color = {r, g, b, a};
    attach();
}

void Light::setPosition(float x, float y, float z) {
    record_.position = {x, y, z};
    attach();
}

// --- Renderer ---

Renderer::Renderer(DisplayDevice& device) : device_(device) {
    buffers_.reserve(16);
    materials_.reserve(16);
    textVertices_.resize(kMaxGlyphs * 4);
    textIndices_.resize(kMaxGlyphs * 6);
    fillQuadIndices(textIndices_.data(), kMaxGlyphs);
    text_[0] = 0;
}

Renderer::~Renderer() {
    for (VertexBuffer& vb : buffers_)
        if (vb.id) backend().releaseVertexBuffer(vb.id);
    release3D();
    *alive_ = false;
}

RenderBackend& Renderer::backend() {
    return device_.backend();
}

uint32_t Renderer::create3D(bool preferHardware) {
    release3D();
    RenderBackend& b = backend();
    if (!device_.surfacesExist()) {
        logWrite("(d3d3 error)");
        return kErrNotInitialized;
    }
    bool hw = preferHardware;
    if (!b.findDevice(hw)) {
        if (!b.findDevice(false)) return kErrNo3D;
        hw = false;
    }
    hardware_ = hw;

    uint32_t depth = 0;
    for (uint32_t bits : {32u, 24u, 16u})
        if (b.zBufferFormatAvailable(bits)) {
            depth = bits;
            break;
        }
    if (depth == 0) {
        logWrite("(enum zbuffer error)");
        return kErrGeneric;
    }
    uint32_t r = b.createZBuffer(depth);
    if (r == kErrCannotAttachSurface) {
        logWrite("(zbuffer attach error %s)", ErrorName(r));
        return r;
    }
    if (r != kResultOk) {
        logWrite("(%ubit zbuffer error %s)", unsigned(depth), ErrorName(r));
        return r;
    }
    zBits_ = depth;
    r = b.createDevice();
    if (r != kResultOk) {
        logWrite("(d3ddev error)");
        return r;
    }
    // Clip-space y spans 2h/w: the projection carries no aspect term.
    const float w = float(device_.width()), h = float(device_.height());
    Viewport vp;
    vp.width = device_.width();
    vp.height = device_.height();
    vp.clipX = -1.0f;
    vp.clipWidth = 2.0f;
    vp.clipY = h / w;
    vp.clipHeight = 2.0f * h / w;
    vp.minZ = 0.0f;
    vp.maxZ = 1.0f;
    r = b.setViewport(vp);
    if (r != kResultOk) {
        logWrite("(selvp2 error %s)", ErrorName(r));
        return r;
    }
    created_ = true;
    setDefaultRenderStates();
    // A new device starts without the planet shading.
    surface_ = SurfaceEffects{};
    b.setSurfaceEffects(surface_);
    return kResultOk;
}

void Renderer::setDefaultRenderStates() {
    using namespace d3d;
    RenderBackend& b = backend();
    const bool hw = hardware_;
    b.setRenderState(RenderState::TextureAddress, hw ? kAddressClamp : kAddressWrap);
    b.setRenderState(RenderState::TexturePerspective, 1);
    b.setRenderState(RenderState::TextureMag, hw ? kFilterLinear : kFilterNearest);
    b.setRenderState(RenderState::TextureMin, hw ? kFilterLinear : kFilterNearest);
    bilinear_ = hw;
    b.setRenderState(RenderState::SubPixel, hw ? 1 : 0);
    b.setRenderState(RenderState::Antialias, kAntialiasNone);
    b.setRenderState(RenderState::FillMode, kFillSolid);
    b.setRenderState(RenderState::ShadeMode, kShadeGouraud);
    b.setRenderState(RenderState::CullMode, kCullCCW);
    b.setRenderState(RenderState::DitherEnable, hw ? 1 : 0);
    b.setRenderState(RenderState::SpecularEnable, hw ? 1 : 0);
    b.setRenderState(RenderState::ZEnable, 1);
    if (hw) b.setRenderState(RenderState::ZFunc, kCmpLessEqual);
    b.setRenderState(RenderState::ZWriteEnable, 1);
    if (!hw) b.setRenderState(RenderState::Anisotropy, 0);
    b.setRenderState(RenderState::AlphaBlendEnable, 0);
    b.setRenderState(RenderState::SrcBlend, kBlendSrcAlpha);
    b.setRenderState(RenderState::DestBlend, kBlendInvSrcAlpha);
    b.setRenderState(RenderState::TranslucentSortIndependent, 1);
    if (hw) b.setRenderState(RenderState::ColorKeyEnable, 1);
    if (hw) b.setRenderState(RenderState::FogEnable, 0);
}

void Renderer::release3D() {
    if (!created_) return;
    backend().releaseDevice();
    created_ = false;
    zBits_ = 0;
}

void Renderer::beginFrame(const Camera& camera, uint32_t clearFlags) {
    RenderBackend& b = backend();
    b.clear(clearFlags, 0, 1.0f);
    b.beginScene();
    b.setTransform(TransformType::Projection, camera.projection());
    b.setTransform(TransformType::View, camera.view());
}

void Renderer::endFrame() {
    backend().endScene();
}

void Renderer::setWorldMatrix(const Matrix4& world) {
    backend().setTransform(TransformType::World, world);
}

uint32_t Renderer::createMaterial() {
    const uint32_t index = uint32_t(materials_.size());
    materials_.push_back(std::make_unique<Material>(*this, index + 1));
    return index;
}

void Renderer::applyMaterial(Material& m, uint32_t stage) {
    using namespace d3d;
    RenderBackend& b = backend();
    auto colour = [&](uint32_t op, uint32_t arg1, uint32_t arg2, bool setArg2) {
        b.setStageState(stage, StageState::ColorOp, op);
        b.setStageState(stage, StageState::ColorArg1, arg1);
        if (setArg2) b.setStageState(stage, StageState::ColorArg2, arg2);
    };
    auto alpha = [&](uint32_t op, uint32_t arg1, uint32_t arg2, bool setArg2) {
        b.setStageState(stage, StageState::AlphaOp, op);
        b.setStageState(stage, StageState::AlphaArg1, arg1);
        if (setArg2) b.setStageState(stage, StageState::AlphaArg2, arg2);
    };
    auto blend = [&](bool on, uint32_t src, uint32_t dst) {
        b.setRenderState(RenderState::AlphaBlendEnable, on ? 1 : 0);
        b.setRenderState(RenderState::SrcBlend, src);
        b.setRenderState(RenderState::DestBlend, dst);
    };
    const MaterialBlendMode mode = m.blendMode();
    if (mode != MaterialBlendMode::Multiply)
        b.setTexture(stage, m.texture() ? m.texture()->deviceId() : 0);
    switch (mode) {
    case MaterialBlendMode::Opaque:
        colour(kOpModulate, kArgTexture, kArgDiffuse, true);
        alpha(kOpSelectArg1, kArgTexture, 0, false);
        blend(false, kBlendOne, kBlendZero);
        break;
    case MaterialBlendMode::VertexAlpha:
        colour(kOpModulate, kArgDiffuse, 0, false);
        alpha(kOpSelectArg1, kArgDiffuse, 0, false);
        blend(true, kBlendSrcAlpha, kBlendInvSrcAlpha);
        break;
    case MaterialBlendMode::TextureAlpha:
        colour(kOpModulate, kArgTexture, kArgDiffuse, true);
        alpha(kOpSelectArg1, kArgTexture, 0, false);
        blend(true, kBlendSrcAlpha, kBlendInvSrcAlpha);
        break;
    case MaterialBlendMode::CombinedAlpha:
        colour(kOpModulate, kArgTexture, kArgDiffuse, true);
        alpha(kOpModulate, kArgTexture, kArgDiffuse, true);
        blend(true, kBlendSrcAlpha, kBlendInvSrcAlpha);
        break;
    case MaterialBlendMode::Additive:
        colour(kOpModulate, kArgTexture, kArgDiffuse, true);
        alpha(kOpSelectArg1, kArgTexture, 0, false);
        blend(true, kBlendOne, kBlendOne);
        break;
    case MaterialBlendMode::LightColourTextureShape:
        colour(kOpSelectArg1, kArgDiffuse, 0, false);
        alpha(kOpSelectArg1, kArgTexture, 0, false);
        blend(true, kBlendSrcAlpha, kBlendInvSrcAlpha);
        break;
    case MaterialBlendMode::Multiply:
        colour(kOpModulate, kArgTexture, 0, false);
        if (m.translucent()) alpha(kOpSelectArg1, kArgTexture, 0, false);
        blend(true, kBlendZero, kBlendSrcColor);
        break;
    }
    b.setRenderState(RenderState::CullMode, m.cullMode);
    b.setRenderState(RenderState::ZEnable, m.zTest ? 1 : 0);
    b.setRenderState(RenderState::ZWriteEnable, m.zWrite ? 1 : 0);
    b.setRenderState(RenderState::FillMode, m.fillMode);
    b.setMaterial(m.record());
    b.setLightState(LightState::Material, m.handle());
    SurfaceEffects surface;
    surface.shading = m.surfaceShading();
    if (surface.shading != SurfaceShading::None) {
        surface.nightTexture = m.nightTexture() ? m.nightTexture()->deviceId() : 0;
        surface.air = m.air();
    }
    setSurfaceEffects(surface);
}

void Renderer::setSurfaceEffects(const SurfaceEffects& effects) {
    if (effects == surface_) return;
    surface_ = effects;
    backend().setSurfaceEffects(effects);
}

std::unique_ptr<Light> Renderer::createLight() {
    auto light = std::make_unique<Light>(*this);
    light_ = light.get();
    return light;
}

bool Renderer::layoutVertices(const std::vector<MeshVertex>& vertices,
                              const std::vector<MeshFace>& faces, std::vector<BufferVertex>& out,
                              uint16_t* indices) {
    out.assign(vertices.size(), BufferVertex{});
    for (size_t f = 0; f < faces.size(); ++f) {
        const MeshFace& face = faces[f];
        const uint32_t corners[3] = {face.a, face.b, face.c};
        uint32_t colour = 0xFFFFFFFFu;
        if (face.material >= 0 && size_t(face.material) < materials_.size()) {
            const ColorValue d = materials_[size_t(face.material)]->diffuse();
            colour = channel255(d.a) << 24 | channel255(d.r) << 16 | channel255(d.g) << 8 |
                     channel255(d.b);
        }
        for (int k = 0; k < 3; ++k) {
            const uint32_t i = corners[k];
            if (i >= vertices.size()) return false;
            if (indices) indices[f * 3 + size_t(k)] = uint16_t(i);
            const MeshVertex& v = vertices[i];
            out[i] = BufferVertex{v.x,    v.y, v.z, v.nx,       v.ny,      v.nz,
                                  colour, v.u, v.v, face.u2[k], face.v2[k]};
        }
    }
    return true;
}

bool Renderer::buildVertexBuffer(const std::vector<MeshVertex>& vertices,
                                 const std::vector<MeshFace>& faces, uint32_t& handle) {
    handle = kNoBuffer;
    if (faces.empty()) return true;
    // 16-bit indices: a mesh must fit them.
    if (vertices.size() > 65536 || faces.size() > 0x7FFFFFFF / 3) {
        logWrite("[VB FAILED!]");
        return false;
    }
    std::vector<BufferVertex> out;
    VertexBuffer vb;
    vb.indices.resize(faces.size() * 3 + 1, 0);
    if (!layoutVertices(vertices, faces, out, vb.indices.data())) {
        logWrite("[VB FAILED!]");
        return false;
    }
    vb.id = backend().createVertexBuffer(out.data(), uint32_t(out.size()), vb.indices.data(),
                                         uint32_t(faces.size() * 3));
    if (vb.id == 0) {
        logWrite("[VB FAILED!]");
        return false;
    }
    buffers_.push_back(std::move(vb));
    handle = uint32_t(buffers_.size() - 1);
    return true;
}

bool Renderer::updateVertexBuffer(uint32_t handle, const std::vector<MeshVertex>& vertices,
                                  const std::vector<MeshFace>& faces) {
    if (handle >= buffers_.size() || buffers_[handle].id == 0) return false;
    if (!layoutVertices(vertices, faces, updateScratch_, nullptr)) return false;
    return backend().updateVertexBuffer(buffers_[handle].id, updateScratch_.data(),
                                        uint32_t(updateScratch_.size()));
}

void Renderer::releaseVertexBuffer(uint32_t handle) {
    if (handle >= buffers_.size()) return;
    VertexBuffer& vb = buffers_[handle];
    if (vb.id) backend().releaseVertexBuffer(vb.id);
    vb.id = 0;
    vb.indices.clear();
    vb.indices.shrink_to_fit();
}

void Renderer::drawVertexBuffer(PrimitiveType type, uint32_t handle, uint32_t firstFace,
                                uint32_t faceCount, uint32_t flags) {
    if (handle >= buffers_.size() || buffers_[handle].id == 0) return;
    const VertexBuffer& vb = buffers_[handle];
    const uint64_t end = (uint64_t(firstFace) + faceCount) * 3;
    if (end > vb.indices.size() - 1) return;
    backend().drawIndexedBuffer(type, vb.id, firstFace * 3, faceCount * 3, flags);
}

void Renderer::drawTriangle(PrimitiveType type, const float v0[8], const float v1[8],
                            const float v2[8], Texture* texture, uint32_t flags) {
    // A lit triangle is no planet surface, whatever material came last.
    setSurfaceEffects(SurfaceEffects{});
    if (texture) backend().setTexture(0, texture->deviceId());
    const float* in[3] = {v0, v1, v2};
    UnlitVertex v[3];
    for (int i = 0; i < 3; ++i)
        v[i] = {in[i][0], in[i][1], in[i][2], 0, 0, 0, in[i][6], in[i][7]};
    backend().drawUnlit(type, v, 3, flags);
}

void Renderer::drawLine(float x1, float y1, float z1, float x2, float y2, float z2) {
    const UnlitVertex v[2] = {{x1, y1, z1, 0, 0, 0, 0, 0}, {x2, y2, z2, 0, 0, 0, 0, 0}};
    backend().drawUnlit(PrimitiveType::LineList, v, 2, kDrawDoNotLight | kDrawDoNotUpdateExtents);
}

void Renderer::drawPoint(float x, float y, float z, uint32_t argb) {
    const LitVertex v{x, y, z, 0, argb, 0, 0.0f, 0.0f};
    backend().drawLit(PrimitiveType::PointList, &v, 1, kDrawDoNotUpdateExtents);
}

void Renderer::drawPoints(const LitVertex* points, uint32_t count) {
    if (count) backend().drawLit(PrimitiveType::PointList, points, count, kDrawDoNotUpdateExtents);
}

void Renderer::drawScreenRect(float left, float top, float right, float bottom, uint32_t argb,
                              bool zTest, float depth) {
    using namespace d3d;
    RenderBackend& b = backend();
    b.setRenderState(RenderState::AlphaBlendEnable, 1);
    b.setStageState(0, StageState::ColorOp, kOpSelectArg1);
    b.setStageState(0, StageState::ColorArg1, kArgDiffuse);
    b.setStageState(0, StageState::AlphaOp, kOpModulate);
    b.setStageState(0, StageState::AlphaArg1, kArgTexture);
    b.setStageState(0, StageState::AlphaArg2, kArgDiffuse);
    b.setRenderState(RenderState::SrcBlend, kBlendSrcAlpha);
    b.setRenderState(RenderState::DestBlend, kBlendInvSrcAlpha);
    b.setRenderState(RenderState::ZEnable, zTest ? 1 : 0);
    b.setRenderState(RenderState::ZWriteEnable, 0);
    const ScreenVertex v[4] = {
        {left, top, depth, 1000.0f, argb, 0, 0.0f, 0.0f},
        {left, bottom, depth, 1000.0f, argb, 0, 0.0f, 1.0f},
        {right, bottom, depth, 1000.0f, argb, 0, 1.0f, 1.0f},
        {right, top, depth, 1000.0f, argb, 0, 1.0f, 0.0f},
    };
    static const uint16_t indices[6] = {0, 2, 1, 0, 3, 2};
    b.drawScreen(PrimitiveType::TriangleList, v, 4, indices, 6, kDrawDoNotUpdateExtents);
    b.setRenderState(RenderState::AlphaBlendEnable, 0);
    b.setRenderState(RenderState::ZEnable, 1);
    b.setRenderState(RenderState::ZWriteEnable, 1);
}

void Renderer::drawText(const BitmapFont& font, float x, float y, float depth, uint32_t argb,
                        float scaleX, float scaleY, const char* format, ...) {
    va_list args;
    va_start(args, format);
    drawTextV(font, x, y, depth, argb, scaleX, scaleY, format, args);
    va_end(args);
}

void Renderer::setTextStates(const BitmapFont& font) {
    using namespace d3d;
    RenderBackend& b = backend();
    b.setTexture(0, font.texture() ? font.texture()->deviceId() : 0);
    b.setRenderState(RenderState::AlphaBlendEnable, 1);
    b.setStageState(0, StageState::ColorOp, kOpModulate);
    b.setStageState(0, StageState::ColorArg1, kArgTexture);
    b.setStageState(0, StageState::ColorArg2, kArgDiffuse);
    b.setStageState(0, StageState::AlphaOp, kOpModulate);
    b.setStageState(0, StageState::AlphaArg1, kArgTexture);
    b.setStageState(0, StageState::AlphaArg2, kArgDiffuse);
    b.setRenderState(RenderState::SrcBlend, kBlendSrcAlpha);
    b.setRenderState(RenderState::DestBlend, kBlendInvSrcAlpha);
}

void Renderer::drawTextV(const BitmapFont& font, float x, float y, float depth, uint32_t argb,
                         float scaleX, float scaleY, const char* format, va_list args) {
    std::vsnprintf(text_, kTextBuffer, format, args);
    penX_ = x;
    penY_ = y;
    if (text_[0] == 0) return;
    const bool batched = batchFont_ == &font;
    if (batched && batchAtlas_ && !std::strchr(text_, 9)) {
        atlasText(font, x, y, depth, argb, scaleX, scaleY);
        return;
    }
    if (!batched) setTextStates(font);

    const float rhw = 1.0f / depth;
    const float lineHeight = float(font.lineHeight()) * scaleY;
    uint32_t colour = argb;
    float penX = x, penY = y;
    size_t quads = 0;
    for (size_t i = 0; text_[i] != 0; ++i) {
        const unsigned char c = static_cast<unsigned char>(text_[i]);
        if (c == 9) {
            uint32_t value = 0;
            int digits = 0;
            for (; digits < 8 && text_[i + 1] != 0; ++digits) {
                const char h = text_[++i];
                value = (value << 4) | (uint32_t(h >= 'A' ? h - 'A' + 10 : h - '0') & 0xF);
            }
            if (digits == 8) colour = value;
            continue;
        }
        if (c == 10) {
            penX = x;
            penY += lineHeight;
            continue;
        }
        const float w = float(font.glyphWidth(c)) * scaleX;
        const float h = float(font.glyphHeight(c)) * scaleY;
        if (w != 0.0f && h != 0.0f && quads < kMaxGlyphs) {
            const ScreenQuad q(penX, penY, penX + w, penY + h, depth, rhw, colour, font.texLeft(c),
                               font.texTop(c), font.texRight(c), font.texBottom(c));
            if (batched)
                batchVertices_.insert(batchVertices_.end(), q.v, q.v + 4);
            else
                std::copy(q.v, q.v + 4, &textVertices_[quads * 4]);
            ++quads;
        }
        penX += w;
    }
    penX_ = penX;
    penY_ = penY;
    if (batched) return;
    if (quads)
        backend().drawScreen(PrimitiveType::TriangleList, textVertices_.data(), uint32_t(quads * 4),
                             textIndices_.data(), uint32_t(quads * 6), kDrawDoNotUpdateExtents);
    backend().setRenderState(RenderState::AlphaBlendEnable, 0);
}

void Renderer::atlasText(const BitmapFont& font, float x, float y, float depth, uint32_t argb,
                         float scaleX, float scaleY) {
    const float rhw = 1.0f / depth;
    const float lineHeight = float(font.lineHeight()) * scaleY;
    float penX = x, penY = y;
    for (const char* line = text_;;) {
        const char* end = std::strchr(line, 10);
        const size_t length = end ? size_t(end - line) : std::strlen(line);
        penX = x;
        if (const TextAtlas::Line* at = batchAtlas_->find(line, length)) {
            // Over the line's ink box only: the samples outside it are
            // clear and would leave the pixels as they are. Texels for now;
            // endTextBatch divides by the atlas's size.
            if (at->inkRight > at->inkLeft) {
                const float x0 = penX + float(at->inkLeft) * scaleX,
                            x1 = penX + float(at->inkRight) * scaleX;
                const float y0 = penY + float(at->inkTop) * scaleY,
                            y1 = penY + float(at->inkBottom) * scaleY;
                const ScreenQuad q(x0, y0, x1, y1, depth, rhw, argb, float(at->x + at->inkLeft),
                                   float(at->y + at->inkTop), float(at->x + at->inkRight),
                                   float(at->y + at->inkBottom));
                atlasVertices_.insert(atlasVertices_.end(), q.v, q.v + 4);
            }
            penX += float(at->width) * scaleX;
        } else {
            for (size_t i = 0; i < length; ++i) {
                const unsigned char c = static_cast<unsigned char>(line[i]);
                const float w = float(font.glyphWidth(c)) * scaleX;
                const float h = float(font.glyphHeight(c)) * scaleY;
                if (w != 0.0f && h != 0.0f) {
                    const ScreenQuad q(penX, penY, penX + w, penY + h, depth, rhw, argb,
                                       font.texLeft(c), font.texTop(c), font.texRight(c),
                                       font.texBottom(c));
                    batchVertices_.insert(batchVertices_.end(), q.v, q.v + 4);
                }
                penX += w;
            }
        }
        if (!end) break;
        line = end + 1;
        penY += lineHeight;
    }
    penX_ = penX;
    penY_ = penY;
}

void Renderer::beginTextBatch(const BitmapFont& font, TextAtlas* atlas) {
    batchFont_ = &font;
    batchAtlas_ = atlas && &atlas->font() == &font ? atlas : nullptr;
    if (batchAtlas_) batchAtlas_->beginFrame();
    batchVertices_.clear();
    atlasVertices_.clear();
}

void Renderer::drawQuads(const std::vector<ScreenVertex>& vertices) {
    // 16-bit indices reach 16384 quads per draw.
    constexpr size_t kQuadsPerDraw = 16384;
    const size_t quads = vertices.size() / 4;
    const size_t perDraw = std::min(quads, kQuadsPerDraw);
    if (batchIndices_.size() < perDraw * 6) {
        batchIndices_.resize(perDraw * 6);
        for (size_t i = 0; i < perDraw; ++i) {
            const uint16_t b = uint16_t(i * 4);
            const uint16_t quad[6] = {b, uint16_t(b + 2), uint16_t(b + 1),
                                      b, uint16_t(b + 3), uint16_t(b + 2)};
            std::copy(quad, quad + 6, &batchIndices_[i * 6]);
        }
    }
    for (size_t first = 0; first < quads; first += kQuadsPerDraw) {
        const size_t n = std::min(kQuadsPerDraw, quads - first);
        backend().drawScreen(PrimitiveType::TriangleList, &vertices[first * 4], uint32_t(n * 4),
                             batchIndices_.data(), uint32_t(n * 6), kDrawDoNotUpdateExtents);
    }
}

void Renderer::endTextBatch() {
    const BitmapFont* font = batchFont_;
    TextAtlas* atlas = batchAtlas_;
    batchFont_ = nullptr;
    batchAtlas_ = nullptr;
    if (!font) return;
    if (!batchVertices_.empty()) {
        setTextStates(*font);
        drawQuads(batchVertices_);
    }
    if (atlas && !atlasVertices_.empty()) {
        // The quads hold texels until now: the atlas may have grown since.
        const float w = float(atlas->texture()->width()), h = float(atlas->texture()->height());
        for (ScreenVertex& v : atlasVertices_) {
            v.u /= w;
            v.v /= h;
        }
        setTextStates(*font);
        backend().setTexture(0, atlas->texture()->deviceId());
        drawQuads(atlasVertices_);
    }
    backend().setRenderState(RenderState::AlphaBlendEnable, 0);
}

void Renderer::bindTexture(Texture* texture) {
    backend().setTexture(0, texture ? texture->deviceId() : 0);
}

void Renderer::setAmbientLight(float r, float g, float b) {
    ambient_[0] = r;
    ambient_[1] = g;
    ambient_[2] = b;
    const uint32_t argb = 0xFF000000u | channel255(r) << 16 | channel255(g) << 8 | channel255(b);
    backend().setLightState(LightState::Ambient, argb);
}

void Renderer::getAmbientLight(float& r, float& g, float& b) const {
    r = ambient_[0];
    g = ambient_[1];
    b = ambient_[2];
}

void Renderer::setBilinearFiltering(bool on) {
    const uint32_t f = on ? d3d::kFilterLinear : d3d::kFilterNearest;
    backend().setRenderState(RenderState::TextureMag, f);
    backend().setRenderState(RenderState::TextureMin, f);
    bilinear_ = on;
}

void Renderer::textureClamp() {
    backend().setStageState(0, StageState::AddressMode, d3d::kAddressClamp);
}

void Renderer::textureWrap() {
    backend().setStageState(0, StageState::AddressMode, d3d::kAddressWrap);
}

void Renderer::drawConsoleText(int x, int y, const char* text, uint32_t rgb) {
    backend().drawConsoleText(x, y, text, rgb);
}

} // namespace gv
