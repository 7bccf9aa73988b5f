#pragma once
// The 3D device's vocabulary: render states, texture-stage operations, blend
// factors, vertex records and the material and light records, named and
// numbered as the renderer's callers know them. Backends map them onto their
// own interface.
#include "core/matrix4.h"

#include <cstddef>
#include <cstdint>

namespace gv {

struct ColorValue {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
};

struct MaterialRecord {
    ColorValue diffuse{1.0f, 1.0f, 1.0f, 1.0f};
    ColorValue ambient{0.5f, 0.5f, 0.5f, 1.0f};
    ColorValue specular{0.75f, 0.75f, 0.75f, 1.0f};
    ColorValue emissive{0.0f, 0.0f, 0.0f, 1.0f};
    float power = 3.0f;
};

enum class LightType : uint32_t { Point = 1, Spot = 2, Directional = 3 };

struct LightRecord {
    LightType type = LightType::Point;
    ColorValue color{1.0f, 1.0f, 1.0f, 1.0f};
    Vector3 position{0.0f, 0.0f, 0.0f};
    Vector3 direction{0.0f, 0.0f, 1.0f};
    float range = 1.8446742974197924e19f; // sqrt(FLT_MAX): unlimited
    float falloff = 1.0f;
    float attenuation0 = 1.0f, attenuation1 = 0.0f, attenuation2 = 0.0f;
    float theta = 0.25f, phi = 0.75f;
    uint32_t flags = 1; // active
};

enum class PrimitiveType : uint32_t {
    PointList = 1,
    LineList = 2,
    LineStrip = 3,
    TriangleList = 4,
    TriangleStrip = 5,
    TriangleFan = 6,
};

// Draw flags.
inline constexpr uint32_t kDrawWait = 0x1;
inline constexpr uint32_t kDrawDoNotClip = 0x4;
inline constexpr uint32_t kDrawDoNotUpdateExtents = 0x8;
inline constexpr uint32_t kDrawDoNotLight = 0x10;

// Clear flags of begin frame.
inline constexpr uint32_t kClearTarget = 0x1;
inline constexpr uint32_t kClearZBuffer = 0x2;

enum class TransformType : uint32_t { World = 1, View = 2, Projection = 3 };

enum class RenderState : uint32_t {
    TextureAddress,
    TexturePerspective,
    TextureMag,
    TextureMin,
    SubPixel,
    Antialias,
    FillMode,
    ShadeMode,
    CullMode,
    DitherEnable,
    SpecularEnable,
    ZEnable,
    ZFunc,
    ZWriteEnable,
    Anisotropy,
    AlphaBlendEnable,
    SrcBlend,
    DestBlend,
    TranslucentSortIndependent,
    ColorKeyEnable,
    FogEnable,
    Count
};

enum class LightState : uint32_t { Material, Ambient, Count };

enum class StageState : uint32_t {
    ColorOp,
    ColorArg1,
    ColorArg2,
    AlphaOp,
    AlphaArg1,
    AlphaArg2,
    AddressMode,
    Count
};

namespace d3d {
// Texture-stage operations and arguments.
inline constexpr uint32_t kOpDisable = 1, kOpSelectArg1 = 2, kOpSelectArg2 = 3, kOpModulate = 4;
inline constexpr uint32_t kArgDiffuse = 0, kArgCurrent = 1, kArgTexture = 2;
// Blend factors.
inline constexpr uint32_t kBlendZero = 1, kBlendOne = 2, kBlendSrcColor = 3, kBlendInvSrcColor = 4,
                          kBlendSrcAlpha = 5, kBlendInvSrcAlpha = 6, kBlendDestAlpha = 7,
                          kBlendInvDestAlpha = 8, kBlendDestColor = 9, kBlendInvDestColor = 10;
inline constexpr uint32_t kCullNone = 1, kCullCW = 2, kCullCCW = 3;
inline constexpr uint32_t kFillPoint = 1, kFillWireframe = 2, kFillSolid = 3;
inline constexpr uint32_t kShadeFlat = 1, kShadeGouraud = 2;
inline constexpr uint32_t kCmpNever = 1, kCmpLess = 2, kCmpEqual = 3, kCmpLessEqual = 4,
                          kCmpGreater = 5, kCmpNotEqual = 6, kCmpGreaterEqual = 7, kCmpAlways = 8;
inline constexpr uint32_t kAddressWrap = 1, kAddressMirror = 2, kAddressClamp = 3;
inline constexpr uint32_t kFilterNearest = 1, kFilterLinear = 2;
inline constexpr uint32_t kAntialiasNone = 0;
} // namespace d3d

// Vertex of a mesh's device buffer: 44 bytes.
struct BufferVertex {
    float x, y, z;
    float nx, ny, nz;
    uint32_t diffuse;
    float u0, v0;
    float u1, v1;
};
static_assert(sizeof(BufferVertex) == 44);

// Untransformed vertex that the device lights.
struct UnlitVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};

// Untransformed vertex that carries its own colour.
struct LitVertex {
    float x, y, z;
    uint32_t reserved;
    uint32_t color;
    uint32_t specular;
    float u, v;
};

// Pre-transformed vertex in screen pixels with depth and reciprocal w.
struct ScreenVertex {
    float sx, sy, sz, rhw;
    uint32_t color;
    uint32_t specular;
    float u, v;
};

// Indices of quads of four screen vertices each (top left, bottom left,
// bottom right, top right), two triangles a quad: (0, 2, 1) and (0, 3, 2).
// indices holds 6 per quad.
inline void fillQuadIndices(uint16_t* indices, std::size_t quads) {
    for (std::size_t i = 0; i < quads; ++i) {
        const uint16_t b = uint16_t(i * 4);
        const uint16_t quad[6] = {b, uint16_t(b + 2), uint16_t(b + 1),
                                  b, uint16_t(b + 3), uint16_t(b + 2)};
        for (std::size_t k = 0; k < 6; ++k)
            indices[i * 6 + k] = quad[k];
    }
}

// Pixel layout of a surface: bits per pixel and channel masks.
struct PixelFormat {
    uint32_t bits = 0;
    uint32_t redMask = 0, greenMask = 0, blueMask = 0, alphaMask = 0;
    bool operator==(const PixelFormat&) const = default;
};

struct Viewport {
    uint32_t x = 0, y = 0, width = 0, height = 0;
    float clipX = -1.0f, clipY = 1.0f, clipWidth = 2.0f, clipHeight = 2.0f;
    float minZ = 0.0f, maxZ = 1.0f;
};

} // namespace gv
