#pragma once
// Vertices that come with each draw (unlit, pre-lit and screen vertices, and
// the screen quads' indices) streamed through one buffer per kind, each with
// the attribute layout of its vertex record.
#include "engine/device_types.h"

#include <epoxy/gl.h>

#include <cstddef>
#include <cstdint>

namespace gv::gl {

// The attribute layout of a device vertex buffer (BufferVertex) in the bound
// vertex array.
void layoutBufferVertex();

class VertexStreams {
  public:
    void create();
    void release();

    void drawUnlit(GLenum mode, const UnlitVertex* v, uint32_t count);
    void drawLit(GLenum mode, const LitVertex* v, uint32_t count);
    void drawScreen(GLenum mode, const ScreenVertex* v, uint32_t vertexCount,
                    const uint16_t* indices, uint32_t indexCount);

  private:
    struct Stream {
        GLuint vao = 0, vbo = 0;
        size_t capacity = 0;
    };
    static void setup(Stream& s, size_t stride, void (*layout)());
    static void upload(Stream& s, const void* data, size_t bytes);

    Stream unlit_, lit_, screen_;
    GLuint screenIndices_ = 0;
    size_t screenIndexCapacity_ = 0;
};

} // namespace gv::gl
