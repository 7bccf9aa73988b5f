#include "engine/gl/mesh_buffers.h"

#include "engine/gl/gl_error.h"
#include "engine/gl/vertex_streams.h"

namespace gv::gl {

void MeshBuffers::destroy(Objects& b) {
    glDeleteVertexArrays(1, &b.vao);
    glDeleteBuffers(1, &b.vbo);
    glDeleteBuffers(1, &b.ibo);
}

bool MeshBuffers::create(uint32_t id, const BufferVertex* vertices, uint32_t vertexCount,
                         const uint16_t* indices, uint32_t indexCount, std::string& error) {
    glGetError();
    Objects b;
    glGenVertexArrays(1, &b.vao);
    glGenBuffers(1, &b.vbo);
    glGenBuffers(1, &b.ibo);
    glBindVertexArray(b.vao);
    glBindBuffer(GL_ARRAY_BUFFER, b.vbo);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(size_t(vertexCount) * sizeof(BufferVertex)), vertices,
                 GL_STATIC_DRAW);
    layoutBufferVertex();
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, b.ibo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(size_t(indexCount) * 2), indices,
                 GL_STATIC_DRAW);
    glBindVertexArray(0);
    if (failed("vertex buffer", error)) {
        destroy(b);
        return false;
    }
    buffers_[id] = b;
    return true;
}

GLuint MeshBuffers::vertexArray(uint32_t id) const {
    auto it = buffers_.find(id);
    return it == buffers_.end() ? 0 : it->second.vao;
}

void MeshBuffers::release(uint32_t id) {
    auto it = buffers_.find(id);
    if (it == buffers_.end()) return;
    destroy(it->second);
    buffers_.erase(it);
}

void MeshBuffers::releaseAll() {
    for (auto& [id, b] : buffers_)
        destroy(b);
    buffers_.clear();
}

} // namespace gv::gl
