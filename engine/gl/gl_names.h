#pragma once
// The backend interface's Direct3D names translated to their OpenGL names.
#include "engine/device_types.h"

#include <glad/gl.h>

#include <cstdint>

namespace gv::gl {

GLenum primitive(PrimitiveType type);
// A d3d::kBlend* factor.
GLenum blendFactor(uint32_t factor);
// A d3d::kCmp* function.
GLenum compareFunction(uint32_t function);

// How pixels of a texture format go up to GL, and what GL keeps them as.
struct TextureFormat {
    GLenum internal = 0, format = 0, type = 0;
};
// False for a layout GL has no upload for.
bool textureFormatOf(const PixelFormat& format, TextureFormat& out);

// The renderbuffer format of a depth buffer of 16, 24 or 32 bits.
GLenum depthFormat(uint32_t bits);

} // namespace gv::gl
