#pragma once
// The device's textures by the ids the backend hands out.
#include "engine/gl/gl_names.h"

#include <glad/gl.h>

#include <cstdint>
#include <string>
#include <unordered_map>

namespace gv::gl {

class TextureTable {
  public:
    // Uploads tightly packed rows, top row first, as a texture without mip
    // levels; 0 when GL refuses it (error says why). Stage 0 is left bound to
    // restore.
    static GLuint upload(const TextureFormat& format, uint32_t width, uint32_t height,
                         const uint8_t* pixels, GLuint restore, std::string& error);

    // A rectangle of an uploaded texture, rows rowPixels apart; stage 0 is
    // left bound to restore.
    static bool update(GLuint texture, const TextureFormat& format, uint32_t x, uint32_t y,
                       uint32_t width, uint32_t height, const uint8_t* pixels, uint32_t rowPixels,
                       GLuint restore, std::string& error);

    void add(uint32_t id, GLuint texture) { textures_[id] = texture; }
    // The GL texture of an id; 0 for none.
    GLuint find(uint32_t id) const;
    // Deletes the texture; false when the id is unknown.
    bool release(uint32_t id);
    void releaseAll();

  private:
    std::unordered_map<uint32_t, GLuint> textures_;
};

} // namespace gv::gl
