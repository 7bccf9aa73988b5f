#include "engine/gl/gl_names.h"

namespace gv::gl {

GLenum primitive(PrimitiveType type) {
    switch (type) {
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

GLenum blendFactor(uint32_t factor) {
    using namespace d3d;
    switch (factor) {
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

GLenum compareFunction(uint32_t function) {
    using namespace d3d;
    switch (function) {
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

bool textureFormatOf(const PixelFormat& f, TextureFormat& out) {
    // The 16-bit layouts go up as they are but are kept at 8 bits a channel:
    // software rasterisers (llvmpipe) filter 8-bit channels on a fast path
    // and convert every other layout texel by texel, which made the textures'
    // fill the largest cost of a frame. The values are those of the 16-bit
    // texels (each channel widened as GL does).
    if (f.bits == 16 && f.redMask == 0xF800 && f.greenMask == 0x07E0 && f.blueMask == 0x1F &&
        f.alphaMask == 0)
        out = {GL_RGB8, GL_RGB, GL_UNSIGNED_SHORT_5_6_5};
    else if (f.bits == 16 && f.redMask == 0x7C00 && f.greenMask == 0x03E0 && f.blueMask == 0x1F)
        out = {GLenum(f.alphaMask == 0x8000 ? GL_RGBA8 : GL_RGB8), GL_BGRA,
               GL_UNSIGNED_SHORT_1_5_5_5_REV};
    else if (f.bits == 16 && f.redMask == 0x0F00 && f.greenMask == 0x00F0 && f.blueMask == 0x0F &&
             f.alphaMask == 0xF000)
        out = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV};
    else if (f.bits == 24 && f.redMask == 0xFF0000 && f.greenMask == 0xFF00 && f.blueMask == 0xFF)
        out = {GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE};
    else if (f.bits == 32 && f.redMask == 0xFF0000 && f.greenMask == 0xFF00 && f.blueMask == 0xFF)
        out = {GLenum(f.alphaMask == 0xFF000000u ? GL_RGBA8 : GL_RGB8), GL_BGRA, GL_UNSIGNED_BYTE};
    else
        return false;
    return true;
}

GLenum depthFormat(uint32_t bits) {
    return bits == 32   ? GL_DEPTH_COMPONENT32
           : bits == 24 ? GL_DEPTH_COMPONENT24
                        : GL_DEPTH_COMPONENT16;
}

} // namespace gv::gl
