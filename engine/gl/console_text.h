#pragma once
// The start-up console's text drawn like the platform's text output: the
// small built-in face (console_face.h) straight onto the back buffer, no
// depth, only the glyph pixels, every state it touches put back afterwards.
#include "engine/device_types.h"

#include <glad/gl.h>

#include <cstdint>
#include <vector>

namespace gv::gl {

class BackBuffer;
class FixedFunctionProgram;
class RenderStateEmulation;
class VertexStreams;

class ConsoleText {
  public:
    ConsoleText(FixedFunctionProgram& program, VertexStreams& streams, RenderStateEmulation& states,
                BackBuffer& backBuffer)
        : program_(program), streams_(streams), states_(states), backBuffer_(backBuffer) {}

    // At most 1024 glyphs of one line at (x, y), the cell's top left corner.
    void draw(int x, int y, const char* text, uint32_t rgb);
    void release();

  private:
    void prepareFace();

    FixedFunctionProgram& program_;
    VertexStreams& streams_;
    RenderStateEmulation& states_;
    BackBuffer& backBuffer_;
    GLuint face_ = 0;
    std::vector<ScreenVertex> vertices_;
    std::vector<uint16_t> indices_;
};

} // namespace gv::gl
