#include "engine/gl/texture_table.h"

#include "engine/gl/gl_error.h"

namespace gv::gl {

GLuint TextureTable::upload(const TextureFormat& f, uint32_t width, uint32_t height,
                            const uint8_t* pixels, GLuint restore, std::string& error) {
    glGetError();
    GLuint t = 0;
    glGenTextures(1, &t);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, t);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(f.internal), GLsizei(width), GLsizei(height), 0, f.format,
                 f.type, pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    const bool refused = failed("texture", error);
    glBindTexture(GL_TEXTURE_2D, restore);
    if (refused) {
        glDeleteTextures(1, &t);
        return 0;
    }
    return t;
}

bool TextureTable::update(GLuint texture, const TextureFormat& f, uint32_t x, uint32_t y,
                          uint32_t width, uint32_t height, const uint8_t* pixels,
                          uint32_t rowPixels, GLuint restore, std::string& error) {
    glGetError();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, GLint(rowPixels));
    glTexSubImage2D(GL_TEXTURE_2D, 0, GLint(x), GLint(y), GLsizei(width), GLsizei(height), f.format,
                    f.type, pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    const bool refused = failed("texture update", error);
    glBindTexture(GL_TEXTURE_2D, restore);
    return !refused;
}

GLuint TextureTable::find(uint32_t id) const {
    auto it = textures_.find(id);
    return it == textures_.end() ? 0 : it->second;
}

bool TextureTable::release(uint32_t id) {
    auto it = textures_.find(id);
    if (it == textures_.end()) return false;
    glDeleteTextures(1, &it->second);
    textures_.erase(it);
    return true;
}

void TextureTable::releaseAll() {
    for (auto& [id, t] : textures_)
        glDeleteTextures(1, &t);
    textures_.clear();
}

} // namespace gv::gl
