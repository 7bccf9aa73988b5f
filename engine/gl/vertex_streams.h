#pragma once
// Vertices that come with each draw (unlit, pre-lit and screen vertices, and
// the screen quads' indices) streamed through one buffer per kind, each with
// the attribute layout of its vertex record.
#include "engine/device_types.h"

#include <glad/gl.h>

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
    // Written front to back within one storage, so that draws queued earlier
    // keep their vertices; new storage only when it is full.
    struct Stream {
        GLuint vao = 0, vbo = 0;
        size_t capacity = 0;
        size_t used = 0;
    };
    static void setup(Stream& s, size_t stride, void (*layout)());
    // Appends the vertices; returns the index of the first one in the buffer.
    static GLint upload(Stream& s, const void* data, size_t bytes, size_t stride);

    Stream unlit_, lit_, screen_;
    GLuint screenIndices_ = 0;
    size_t screenIndexCapacity_ = 0;
    size_t screenIndexUsed_ = 0;
};

} // namespace gv::gl
