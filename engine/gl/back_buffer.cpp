#include "engine/gl/back_buffer.h"

#include "core/log.h"
#include "engine/device_types.h"
#include "engine/error_name.h"
#include "engine/gl/gl_error.h"
#include "engine/gl/gl_names.h"

#include <cstring>
#include <vector>

namespace gv::gl {

namespace {

void setClearColour(uint32_t rgb) {
    glClearColor(float((rgb >> 16) & 0xFF) / 255.0f, float((rgb >> 8) & 0xFF) / 255.0f,
                 float(rgb & 0xFF) / 255.0f, 1.0f);
}

} // namespace

uint32_t BackBuffer::create(uint32_t width, uint32_t height, std::string& error) {
    release();
    if (width == 0 || height == 0) return kErrInvalidParams;
    glGetError();
    glGenFramebuffers(1, &fbo_);
    glGenRenderbuffers(1, &colour_);
    glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, GLsizei(width), GLsizei(height));
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    if (failed("back buffer", error) ||
        glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        release();
        return kErrOutOfVideoMemory;
    }
    width_ = width;
    height_ = height;
    return kResultOk;
}

void BackBuffer::release() {
    if (fbo_) glDeleteFramebuffers(1, &fbo_);
    if (colour_) glDeleteRenderbuffers(1, &colour_);
    fbo_ = colour_ = 0;
    width_ = height_ = 0;
}

bool BackBuffer::depthFormatAvailable(uint32_t bits) const {
    if (!fbo_) return false;
    glGetError();
    GLuint rb = 0;
    glGenRenderbuffers(1, &rb);
    glBindRenderbuffer(GL_RENDERBUFFER, rb);
    glRenderbufferStorage(GL_RENDERBUFFER, depthFormat(bits), 1, 1);
    GLint depth = 0;
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_DEPTH_SIZE, &depth);
    const bool ok = glGetError() == GL_NO_ERROR && uint32_t(depth) == bits;
    glDeleteRenderbuffers(1, &rb);
    return ok;
}

uint32_t BackBuffer::createDepth(uint32_t bits, std::string& error) {
    if (!fbo_) return kErrSurfaceLost;
    glGetError();
    if (depth_) glDeleteRenderbuffers(1, &depth_);
    glGenRenderbuffers(1, &depth_);
    glBindRenderbuffer(GL_RENDERBUFFER, depth_);
    glRenderbufferStorage(GL_RENDERBUFFER, depthFormat(bits), GLsizei(width_), GLsizei(height_));
    if (failed("depth buffer", error)) return kErrOutOfVideoMemory;
    bindForDrawing();
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        error = "depth attachment incomplete";
        logWrite("(GL: %s)", error.c_str());
        return kErrCannotAttachSurface;
    }
    return kResultOk;
}

void BackBuffer::releaseDepth() {
    if (fbo_ && depth_) {
        bindForDrawing();
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, 0);
    }
    if (depth_) glDeleteRenderbuffers(1, &depth_);
    depth_ = 0;
}

void BackBuffer::bindForDrawing() const {
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
}

void BackBuffer::fill(uint32_t rgb) {
    bindForDrawing();
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    setClearColour(rgb);
    glClear(GL_COLOR_BUFFER_BIT);
}

void BackBuffer::clear(uint32_t flags, uint32_t rgb, float z, bool depthWrite) {
    bindForDrawing();
    GLbitfield mask = 0;
    if (flags & kClearTarget) {
        setClearColour(rgb);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & kClearZBuffer) {
        glClearDepth(z);
        glDepthMask(GL_TRUE);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    glClear(mask);
    glDepthMask(depthWrite ? GL_TRUE : GL_FALSE);
}

void BackBuffer::blitToWindow(int width, int height) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // The back buffer goes to the window whole, stretched when the sizes
    // differ, as a blit to the window's rectangle did.
    glBlitFramebuffer(0, 0, GLint(width_), GLint(height_), 0, 0, width, height, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
}

bool BackBuffer::read(uint8_t* bgr, uint32_t width, uint32_t height, std::string& error) {
    if (!fbo_ || width > width_ || height > height_) return false;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, GLsizei(width), GLsizei(height), GL_BGR, GL_UNSIGNED_BYTE, bgr);
    // GL rows run bottom up; the image is kept top row first.
    const size_t row = size_t(width) * 3;
    std::vector<uint8_t> tmp(row);
    for (uint32_t y = 0; y < height / 2; ++y) {
        uint8_t* a = bgr + y * row;
        uint8_t* b = bgr + (height - 1 - y) * row;
        std::memcpy(tmp.data(), a, row);
        std::memcpy(a, b, row);
        std::memcpy(b, tmp.data(), row);
    }
    return !failed("read back", error);
}

bool BackBuffer::readDepth(uint32_t x, uint32_t y, float& depth, std::string& error) {
    if (!fbo_ || !depth_ || x >= width_ || y >= height_) return false;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
    glReadPixels(GLint(x), GLint(height_ - 1 - y), 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    return !failed("depth read", error);
}

} // namespace gv::gl
