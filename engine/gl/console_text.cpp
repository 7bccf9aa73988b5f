#include "engine/gl/console_text.h"

#include "engine/gl/back_buffer.h"
#include "engine/gl/console_face.h"
#include "engine/gl/fixed_function_program.h"
#include "engine/gl/render_state_emulation.h"
#include "engine/gl/vertex_streams.h"

namespace gv::gl {

namespace {
constexpr size_t kMaxGlyphs = 1024;
}

void ConsoleText::prepareFace() {
    if (face_) return;
    std::vector<uint8_t> sheet(size_t(kConsoleSheetWidth) * kConsoleSheetHeight);
    buildConsoleSheet(sheet.data());
    glGenTextures(1, &face_);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, face_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, kConsoleSheetWidth, kConsoleSheetHeight, 0, GL_RED,
                 GL_UNSIGNED_BYTE, sheet.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // White glyphs whose coverage is the alpha.
    const GLint swizzle[4] = {GL_ONE, GL_ONE, GL_ONE, GL_RED};
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
    // Put back the texture the stage had.
    glBindTexture(GL_TEXTURE_2D, states_.boundGlTexture());
    vertices_.resize(kMaxGlyphs * 4);
    indices_.resize(kMaxGlyphs * 6);
    fillQuadIndices(indices_.data(), kMaxGlyphs);
}

void ConsoleText::release() {
    if (face_) glDeleteTextures(1, &face_);
    face_ = 0;
}

void ConsoleText::draw(int x, int y, const char* text, uint32_t rgb) {
    if (!program_.built() || !text) return;
    prepareFace();
    size_t quads = 0;
    float penX = float(x);
    for (const char* p = text; *p && quads < kMaxGlyphs; ++p) {
        float l, t, r, b;
        if (consoleGlyphRect(static_cast<unsigned char>(*p), l, t, r, b)) {
            ScreenVertex* v = &vertices_[quads * 4];
            const float x0 = penX, y0 = float(y), x1 = penX + kConsoleCellWidth,
                        y1 = float(y) + kConsoleCellHeight;
            v[0] = {x0, y0, 0.0f, 1.0f, 0, 0, l, t};
            v[1] = {x0, y1, 0.0f, 1.0f, 0, 0, l, b};
            v[2] = {x1, y1, 0.0f, 1.0f, 0, 0, r, b};
            v[3] = {x1, y0, 0.0f, 1.0f, 0, 0, r, t};
            ++quads;
        }
        penX += kConsoleCellWidth;
    }
    if (!quads) return;
    // Coverage is 0 or 1, so blending by it is exact.
    const uint32_t colour = 0xFF000000u | (rgb & 0xFFFFFFu);
    for (size_t i = 0; i < quads * 4; ++i)
        vertices_[i].color = colour;
    backBuffer_.bindForDrawing();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, face_);
    glBindSampler(0, 0);
    const float diffuse[4] = {1.0f, 0.0f, 0.0f, 0.0f};
    const float coverageTimesDiffuse[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    program_.setTextureBound(true);
    program_.setSpecular(false);
    program_.setColorStage(0.0f, 0.0f, diffuse);
    program_.setAlphaStage(1.0f, 0.0f, coverageTimesDiffuse);
    program_.prepareDraw(VertexKind::Screen, StageShape::General);
    streams_.drawScreen(GL_TRIANGLES, vertices_.data(), uint32_t(quads * 4), indices_.data(),
                        uint32_t(quads * 6));
    glBindSampler(0, states_.sampler());
    states_.applyAll();
}

} // namespace gv::gl
