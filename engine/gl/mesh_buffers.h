#pragma once
// The device vertex buffers of the meshes: vertices and indices uploaded
// once, drawn by id.
#include "engine/device_types.h"

#include <glad/gl.h>

#include <cstdint>
#include <string>
#include <unordered_map>

namespace gv::gl {

class MeshBuffers {
  public:
    // Uploads a buffer under id; false when GL refuses it (error says why).
    bool create(uint32_t id, const BufferVertex* vertices, uint32_t vertexCount,
                const uint16_t* indices, uint32_t indexCount, std::string& error);
    // The vertex array of an id, with its indices; 0 for none.
    GLuint vertexArray(uint32_t id) const;
    // Rewrites the first vertexCount vertices of an id's buffer in place;
    // false for an unknown id or more vertices than it was made with.
    bool update(uint32_t id, const BufferVertex* vertices, uint32_t vertexCount);
    void release(uint32_t id);
    void releaseAll();

  private:
    struct Objects {
        GLuint vao = 0, vbo = 0, ibo = 0;
        uint32_t vertexCount = 0;
    };
    static void destroy(Objects& b);

    std::unordered_map<uint32_t, Objects> buffers_;
};

} // namespace gv::gl
