// The text atlas on the recording backend with the program's own main font:
// a line's texels are the sheet's glyphs side by side, each line is drawn
// into the atlas once, a batch draws a quad a line where the glyph quads
// were, and the atlas stays within its cap.
#include "engine/bitmap_font.h"
#include "engine/display_device.h"
#include "engine/recording_backend.h"
#include "engine/renderer.h"
#include "engine/text_atlas.h"
#include "engine/texture.h"
#include "platform/resources.h"
#include "resources/builtin_resources.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

using namespace gv;

namespace {

struct Atlas : ::testing::Test {
    RecordingBackend* backend = nullptr;
    std::unique_ptr<DisplayDevice> device;
    std::unique_ptr<Renderer> renderer;
    std::unique_ptr<BitmapFont> font;
    void SetUp() override {
        resources::registerBuiltinResources();
        auto b = std::make_unique<RecordingBackend>();
        backend = b.get();
        platform::DisplayInfo info;
        info.modes = {{640, 480, 16, 0}};
        device = std::make_unique<DisplayDevice>(std::move(b), std::vector{info}, 16);
        ASSERT_EQ(device->selectDriver(0), 0u);
        ASSERT_EQ(device->selectMode(0, true, false), 0u);
        renderer = std::make_unique<Renderer>(*device);
        ASSERT_EQ(renderer->create3D(true), 0u);
        font = std::make_unique<BitmapFont>(*device);
        ASSERT_TRUE(font->loadFont(resources::kMainFontMetrics, resources::kMainFontSheet));
    }
    void TearDown() override { platform::setResourceTable({}); }

    // A texel of the sheet where a glyph's quad samples it.
    uint32_t sheetTexel(int c, uint32_t dx, uint32_t dy) const {
        const Texture& s = *font->texture();
        return s.pixel(uint32_t(std::lround(font->texLeft(c) * float(s.width()))) + dx,
                       uint32_t(std::lround(font->texTop(c) * float(s.height()))) + dy);
    }
    uint32_t transparent() const {
        const Texture& s = *font->texture();
        return s.pixel(0, 0) & ~s.format().alphaMask;
    }
};

TEST_F(Atlas, ALinesTexelsAreTheSheetsGlyphsSideBySideInATransparentBorder) {
    TextAtlas atlas(*device, *font);
    atlas.beginFrame();
    const TextAtlas::Line* line = atlas.find("Wa 1", 4);
    ASSERT_NE(line, nullptr);
    const uint32_t w = font->glyphWidth('W') + font->glyphWidth('a') + font->glyphWidth(' ') +
                       font->glyphWidth('1');
    EXPECT_EQ(line->width, w);
    const Texture& t = *atlas.texture();
    EXPECT_EQ(t.format().bits, font->texture()->format().bits) << "the sheet's own texel format";
    EXPECT_EQ(t.width(), 2048u);
    // Glyph by glyph, every texel as on the sheet.
    uint32_t x = line->x;
    for (char c : std::string("Wa 1")) {
        const uint32_t gw = font->glyphWidth(uint8_t(c));
        for (uint32_t dy = 0; dy < font->lineHeight(); ++dy)
            for (uint32_t dx = 0; dx < gw; ++dx)
                ASSERT_EQ(t.pixel(x + dx, line->y + dy), sheetTexel(uint8_t(c), dx, dy))
                    << "'" << c << "' at " << dx << ", " << dy;
        x += gw;
    }
    // The border round the line is clear.
    for (uint32_t dy = 0; dy < font->lineHeight() + 2u; ++dy) {
        EXPECT_EQ(t.pixel(line->x - 1, line->y - 1 + dy), transparent());
        EXPECT_EQ(t.pixel(line->x + w, line->y - 1 + dy), transparent());
    }
    EXPECT_EQ(t.pixel(line->x + 3, line->y - 1), transparent());
    EXPECT_EQ(t.pixel(line->x + 3, line->y + font->lineHeight()), transparent());
    // The ink box holds every texel with alpha, with a clear texel round
    // it where the line has room.
    const uint32_t alpha = t.format().alphaMask;
    bool inkAtEachEdge[4] = {};
    for (uint32_t dy = 0; dy < font->lineHeight(); ++dy)
        for (uint32_t dx = 0; dx < w; ++dx) {
            const bool ink = (t.pixel(line->x + dx, line->y + dy) & alpha) != 0;
            const bool inBox = dx >= line->inkLeft && dx < line->inkRight && dy >= line->inkTop &&
                               dy < line->inkBottom;
            ASSERT_FALSE(ink && !inBox) << "ink outside the box at " << dx << ", " << dy;
            inkAtEachEdge[0] |= ink && dx == line->inkLeft + 1u;
            inkAtEachEdge[1] |= ink && dx + 2u == line->inkRight;
            inkAtEachEdge[2] |= ink && dy == line->inkTop + 1u;
            inkAtEachEdge[3] |= ink && dy + 2u == line->inkBottom;
        }
    EXPECT_TRUE(inkAtEachEdge[0] && inkAtEachEdge[1] && inkAtEachEdge[2] && inkAtEachEdge[3])
        << "no wider than the ink and its clear texel";
    EXPECT_LT(line->inkBottom - line->inkTop, int(font->lineHeight()))
        << "the cell's blank rows go";
    // And the device has it: its copy of the texture is the atlas's.
    const auto& sent = backend->textures[t.deviceId()];
    ASSERT_EQ(sent.size(), t.surface().size());
    EXPECT_EQ(0, std::memcmp(sent.data(), t.surface().data(), sent.size()));
}

TEST_F(Atlas, EachLineIsDrawnOnceAndLinesNeverShareTexels) {
    TextAtlas atlas(*device, *font);
    atlas.beginFrame();
    const TextAtlas::Line* a = atlas.find("Paris", 5);
    const TextAtlas::Line* again = atlas.find("Paris", 5);
    EXPECT_EQ(a, again);
    EXPECT_EQ(atlas.linesDrawn(), 1u);
    const TextAtlas::Line* b = atlas.find("Paris!", 5); // the same five letters
    EXPECT_EQ(b, a);
    const TextAtlas::Line* c = atlas.find("12:00:59", 8);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(atlas.linesDrawn(), 2u);
    EXPECT_STREQ(atlas.textAt(c->x, c->y), "12:00:59");
    // Cells with their borders apart.
    const bool apart = c->x >= a->x + a->width + 2 || a->x >= c->x + c->width + 2 ||
                       c->y >= a->y + font->lineHeight() + 2 ||
                       a->y >= c->y + font->lineHeight() + 2;
    EXPECT_TRUE(apart);
    // Nothing for an empty or a too long line.
    EXPECT_EQ(atlas.find("", 0), nullptr);
    const std::string longLine(TextAtlas::kMaxLine + 1, 'A');
    EXPECT_EQ(atlas.find(longLine.data(), longLine.size()), nullptr);
}

TEST_F(Atlas, ABatchDrawsAQuadALineWhereTheGlyphQuadsWere) {
    TextAtlas atlas(*device, *font);
    const float x = 100.0f, y = 50.0f, scale = 0.5f;
    // The glyph quads without the atlas.
    backend->clearLog();
    renderer->beginTextBatch(*font);
    renderer->drawText(*font, x, y, 0.25f, 0x80D0B0FFu, scale, scale, "%s\n%s", "Oslo", "13:00:59");
    renderer->endTextBatch();
    ASSERT_EQ(backend->draws.size(), 1u);
    const std::vector<ScreenVertex> glyphs = backend->draws[0].screen;
    // With it.
    backend->clearLog();
    renderer->beginTextBatch(*font, &atlas);
    renderer->drawText(*font, x, y, 0.25f, 0x80D0B0FFu, scale, scale, "%s\n%s", "Oslo", "13:00:59");
    EXPECT_FLOAT_EQ(renderer->lastTextX(), glyphs.back().sx) << "the pen ends where it did";
    renderer->endTextBatch();
    ASSERT_EQ(backend->draws.size(), 1u);
    const auto& d = backend->draws[0];
    EXPECT_EQ(d.texture, atlas.texture()->deviceId());
    ASSERT_EQ(d.screen.size(), 8u) << "two lines, two quads";
    // Each line's quad lies within its glyph quads' span, from the first's
    // left top to the last's right bottom (cut to the ink).
    const std::size_t firstLineGlyphs = 4;
    const ScreenVertex* lines[2][2] = {{&glyphs[0], &glyphs[firstLineGlyphs * 4 - 2]},
                                       {&glyphs[firstLineGlyphs * 4], &glyphs[glyphs.size() - 2]}};
    for (int i = 0; i < 2; ++i) {
        const ScreenVertex* q = &d.screen[std::size_t(i) * 4];
        EXPECT_GE(q[0].sx, lines[i][0]->sx) << "line " << i;
        EXPECT_GE(q[0].sy, lines[i][0]->sy) << "line " << i;
        EXPECT_LE(q[2].sx, lines[i][1]->sx + 1e-3f) << "line " << i;
        EXPECT_LE(q[2].sy, lines[i][1]->sy + 1e-3f) << "line " << i;
        EXPECT_GT(q[2].sx - q[0].sx, (lines[i][1]->sx - lines[i][0]->sx) * 0.8f) << "line " << i;
        EXPECT_EQ(q[0].color, 0x80D0B0FFu);
        EXPECT_FLOAT_EQ(q[0].sz, 0.25f);
        // Its texture coordinates cover the line's texels exactly.
        const float tw = float(atlas.texture()->width()), th = float(atlas.texture()->height());
        const char* text =
            atlas.textAt(uint32_t(std::lround(q[0].u * tw)), uint32_t(std::lround(q[0].v * th)));
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(text, i == 0 ? "Oslo" : "13:00:59");
        const float texels = (q[2].u - q[0].u) * tw;
        EXPECT_NEAR(texels * scale, q[2].sx - q[0].sx, 1e-3f) << "one texel a glyph texel";
        EXPECT_NEAR((q[2].v - q[0].v) * th * scale, q[2].sy - q[0].sy, 1e-3f);
    }
    // A second frame draws nothing into the atlas.
    const uint64_t drawn = atlas.linesDrawn();
    renderer->beginTextBatch(*font, &atlas);
    renderer->drawText(*font, x, y, 0.25f, 0x80D0B0FFu, scale, scale, "Oslo\n13:00:59");
    renderer->endTextBatch();
    EXPECT_EQ(atlas.linesDrawn(), drawn);
}

TEST_F(Atlas, ItGrowsToItsCapThenDropsStaleLinesAndDrawsTheRestGlyphByGlyph) {
    TextAtlas atlas(*device, *font);
    atlas.beginFrame();
    EXPECT_EQ(atlas.height(), 0u) << "made at the first line";
    char text[32];
    auto line = [&](int i) {
        std::snprintf(text, sizeof text, "Place number %05d", i);
        return atlas.find(text, std::strlen(text));
    };
    ASSERT_NE(line(0), nullptr);
    EXPECT_EQ(atlas.height(), TextAtlas::kFirstHeight);
    int n = 1;
    while (line(n) && n < 100000)
        ++n;
    // 2048 x 4096 texels at most: 141 rows of 29 texels, 7 or 8 lines of
    // about 260 texels a row.
    EXPECT_EQ(atlas.height(), 4096u);
    EXPECT_GE(n, 7 * 141);
    EXPECT_LE(n, 8 * 141);
    EXPECT_EQ(atlas.lineCount(), std::size_t(n));
    // Still full at the next frame while most lines are in use...
    for (int i = 0; i < n; ++i)
        line(i);
    atlas.beginFrame();
    EXPECT_EQ(line(n + 1), nullptr);
    for (int i = 0; i < n; ++i)
        ASSERT_NE(line(i), nullptr);
    // ...and a renderer batch draws what finds no room glyph by glyph.
    backend->clearLog();
    renderer->beginTextBatch(*font, &atlas);
    renderer->drawText(*font, 0, 0, 0.5f, 0xFFFFFFFFu, 1, 1, "%s\nNo room", "Place number 00000");
    renderer->endTextBatch();
    ASSERT_EQ(backend->draws.size(), 2u);
    EXPECT_EQ(backend->draws[0].texture, font->texture()->deviceId());
    EXPECT_EQ(backend->draws[0].screen.size(), 4u * 7u) << "\"No room\": seven glyphs";
    EXPECT_EQ(backend->draws[1].texture, atlas.texture()->deviceId());
    EXPECT_EQ(backend->draws[1].screen.size(), 4u);
    // A frame after one that ran full using few lines starts afresh.
    atlas.beginFrame();
    EXPECT_EQ(atlas.lineCount(), 0u);
    EXPECT_NE(line(n + 3), nullptr);
    EXPECT_EQ(atlas.height(), TextAtlas::kMaxHeight) << "never shrinks";
}

} // namespace
