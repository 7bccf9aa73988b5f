#pragma once
// The back buffer: an offscreen framebuffer with an RGBA8 colour buffer and a
// depth buffer of 16, 24 or 32 bits. Presenting blits it to the window, so a
// read after the present still sees the finished frame.
#include <glad/gl.h>

#include <cstdint>
#include <string>

namespace gv::gl {

class BackBuffer {
  public:
    // The colour buffer; 0 or a result code.
    uint32_t create(uint32_t width, uint32_t height, std::string& error);
    // The colour buffer and the framebuffer (the depth buffer goes with the
    // device).
    void release();
    bool exists() const { return fbo_ != 0; }
    uint32_t width() const { return width_; }
    uint32_t height() const { return height_; }

    bool depthFormatAvailable(uint32_t bits) const;
    // Creates the depth buffer and attaches it; 0 or a result code.
    uint32_t createDepth(uint32_t bits, std::string& error);
    void releaseDepth();

    void bindForDrawing() const;
    // The whole colour buffer to one colour (alpha opaque).
    void fill(uint32_t rgb);
    // The device clear: colour and/or depth. A clear writes depth whatever
    // the depth-write state (restored to depthWrite after).
    void clear(uint32_t flags, uint32_t rgb, float z, bool depthWrite);
    // Copies the frame to the window's drawable of the given size.
    void blitToWindow(int width, int height);

    // Blue, green, red, top row first.
    bool read(uint8_t* bgr, uint32_t width, uint32_t height, std::string& error);
    // Depth 0..1 at (x, y), y counted from the top.
    bool readDepth(uint32_t x, uint32_t y, float& depth, std::string& error);

  private:
    GLuint fbo_ = 0, colour_ = 0, depth_ = 0;
    uint32_t width_ = 0, height_ = 0;
};

} // namespace gv::gl
