#include "engine/gl/vertex_streams.h"

#include <initializer_list>

namespace gv::gl {

namespace {

// One attribute of the interleaved vertex layouts below.
void vertexAttribute(GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride,
                     std::size_t offset) {
    glEnableVertexAttribArray(index);
    glVertexAttribPointer(index, size, type, normalized, stride, reinterpret_cast<void*>(offset));
}

void layoutUnlit() {
    const GLsizei st = sizeof(UnlitVertex);
    vertexAttribute(0, 3, GL_FLOAT, GL_FALSE, st, 0);
    vertexAttribute(1, 3, GL_FLOAT, GL_FALSE, st, 12);
    vertexAttribute(4, 2, GL_FLOAT, GL_FALSE, st, 24);
}

void layoutLit() {
    const GLsizei st = sizeof(LitVertex);
    vertexAttribute(0, 3, GL_FLOAT, GL_FALSE, st, 0);
    vertexAttribute(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, st, 16);
    vertexAttribute(3, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, st, 20);
    vertexAttribute(4, 2, GL_FLOAT, GL_FALSE, st, 24);
}

void layoutScreen() {
    const GLsizei st = sizeof(ScreenVertex);
    vertexAttribute(0, 4, GL_FLOAT, GL_FALSE, st, 0);
    vertexAttribute(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, st, 16);
    vertexAttribute(3, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, st, 20);
    vertexAttribute(4, 2, GL_FLOAT, GL_FALSE, st, 24);
}

} // namespace

void layoutBufferVertex() {
    const GLsizei st = sizeof(BufferVertex);
    vertexAttribute(0, 3, GL_FLOAT, GL_FALSE, st, 0);
    vertexAttribute(1, 3, GL_FLOAT, GL_FALSE, st, 12);
    vertexAttribute(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, st, 24);
    vertexAttribute(4, 2, GL_FLOAT, GL_FALSE, st, 28);
}

void VertexStreams::setup(Stream& s, size_t stride, void (*layout)()) {
    glGenVertexArrays(1, &s.vao);
    glGenBuffers(1, &s.vbo);
    glBindVertexArray(s.vao);
    glBindBuffer(GL_ARRAY_BUFFER, s.vbo);
    s.capacity = stride * 4096;
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(s.capacity), nullptr, GL_STREAM_DRAW);
    layout();
}

void VertexStreams::upload(Stream& s, const void* data, size_t bytes) {
    glBindVertexArray(s.vao);
    glBindBuffer(GL_ARRAY_BUFFER, s.vbo);
    if (bytes > s.capacity) s.capacity = bytes;
    // Orphan the old storage so the driver need not wait for earlier draws.
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(s.capacity), nullptr, GL_STREAM_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(bytes), data);
}

void VertexStreams::create() {
    setup(unlit_, sizeof(UnlitVertex), layoutUnlit);
    setup(lit_, sizeof(LitVertex), layoutLit);
    setup(screen_, sizeof(ScreenVertex), layoutScreen);
    glGenBuffers(1, &screenIndices_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, screenIndices_); // recorded in the screen VAO
    screenIndexCapacity_ = 6144 * sizeof(uint16_t);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(screenIndexCapacity_), nullptr,
                 GL_STREAM_DRAW);
}

void VertexStreams::release() {
    for (Stream* s : {&unlit_, &lit_, &screen_}) {
        if (s->vao) glDeleteVertexArrays(1, &s->vao);
        if (s->vbo) glDeleteBuffers(1, &s->vbo);
        *s = Stream{};
    }
    if (screenIndices_) glDeleteBuffers(1, &screenIndices_);
    screenIndices_ = 0;
}

void VertexStreams::drawUnlit(GLenum mode, const UnlitVertex* v, uint32_t count) {
    upload(unlit_, v, size_t(count) * sizeof(UnlitVertex));
    glDrawArrays(mode, 0, GLsizei(count));
}

void VertexStreams::drawLit(GLenum mode, const LitVertex* v, uint32_t count) {
    upload(lit_, v, size_t(count) * sizeof(LitVertex));
    glDrawArrays(mode, 0, GLsizei(count));
}

void VertexStreams::drawScreen(GLenum mode, const ScreenVertex* v, uint32_t vertexCount,
                               const uint16_t* indices, uint32_t indexCount) {
    upload(screen_, v, size_t(vertexCount) * sizeof(ScreenVertex));
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, screenIndices_);
    const size_t bytes = size_t(indexCount) * 2;
    if (bytes > screenIndexCapacity_) screenIndexCapacity_ = bytes;
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(screenIndexCapacity_), nullptr,
                 GL_STREAM_DRAW);
    glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, GLsizeiptr(bytes), indices);
    glDrawElements(mode, GLsizei(indexCount), GL_UNSIGNED_SHORT, nullptr);
}

} // namespace gv::gl
