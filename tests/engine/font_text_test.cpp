#include "engine/bitmap_font.h"
#include "engine/display_device.h"
#include "engine/recording_backend.h"
#include "engine/renderer.h"
#include "engine/texture.h"
#include "platform/resources.h"
#include "resources/builtin_resources.h"
#include "tests/engine/test_images.h"
#include "tests/support/main_font_layout.h"

#include <gtest/gtest.h>

using namespace gv;

namespace {

std::vector<uint8_t> mainFontMetrics() {
    std::vector<test::GlyphSpec> glyphs;
    for (size_t row = 0; row < test::kMainFontRows.size(); ++row) {
        int x = 0;
        for (auto [code, width] : test::kMainFontRows[row]) {
            const int top = int(row) * 28;
            glyphs.push_back({uint8_t(code), uint16_t(width), 27, uint16_t(x * 256),
                              uint16_t(top * 256), uint16_t((x + width) * 256),
                              uint16_t((top + 27) * 256)});
            x += width + 1;
        }
    }
    return test::makePyxf(glyphs);
}

struct FontFixture : ::testing::Test {
    RecordingBackend* backend = nullptr;
    std::unique_ptr<DisplayDevice> device;
    std::unique_ptr<Renderer> renderer;
    void SetUp() override {
        auto b = std::make_unique<RecordingBackend>();
        backend = b.get();
        platform::DisplayInfo info;
        info.modes = {{640, 480, 16, 0}};
        device = std::make_unique<DisplayDevice>(std::move(b), std::vector{info}, 16);
        ASSERT_EQ(device->selectDriver(0), 0u);
        ASSERT_EQ(device->selectMode(0, true, false), 0u);
        renderer = std::make_unique<Renderer>(*device);
        ASSERT_EQ(renderer->create3D(true), 0u);
    }
    void TearDown() override { platform::setResourceTable({}); }
};

} // namespace

TEST_F(FontFixture, MainFontMetricsGiveTheGlyphQueries) {
    BitmapFont font(*device);
    const auto metrics = mainFontMetrics();
    ASSERT_TRUE(font.loadMetrics(metrics));
    EXPECT_EQ(font.codes().size(), 123u);
    EXPECT_EQ(font.lineHeight(), 27);
    EXPECT_EQ(font.glyphWidth('A'), 21);
    EXPECT_EQ(font.glyphWidth(0xE1), 16); // á
    EXPECT_EQ(font.glyphWidth(0xB0), 0);  // the degree sign is not in the font
    EXPECT_EQ(font.glyphWidth(-1), 0);
    EXPECT_EQ(font.glyphHeight(256), 0);
    EXPECT_FLOAT_EQ(font.texLeft(256), 0.0f);
    EXPECT_FLOAT_EQ(font.texLeft(' '), 0.0f);
    EXPECT_FLOAT_EQ(font.texTop(' '), 0.0f);
    EXPECT_FLOAT_EQ(font.texRight(' '), 9.0f / 256.0f);
    EXPECT_FLOAT_EQ(font.texBottom(' '), 27.0f / 256.0f);
    EXPECT_FLOAT_EQ(font.texTop('?'), 56.0f / 256.0f);
}

TEST_F(FontFixture, TextAdvancesByGlyphWidthsAndEscapesChangeTheColour) {
    BitmapFont font(*device);
    ASSERT_TRUE(font.loadMetrics(mainFontMetrics()));
    backend->clearLog();
    renderer->drawText(font, 8, 100, 0.5f, 0xFFFFFFFFu, 1.0f, 1.0f, "AB");
    EXPECT_FLOAT_EQ(renderer->lastTextX(), 49.0f);
    ASSERT_EQ(backend->draws.size(), 1u); // one batched draw for the whole text
    const auto& d = backend->draws[0];
    ASSERT_EQ(d.screen.size(), 8u);
    EXPECT_FLOAT_EQ(d.screen[0].sx, 8);
    EXPECT_FLOAT_EQ(d.screen[2].sx, 29);
    EXPECT_FLOAT_EQ(d.screen[2].sy, 127);
    EXPECT_FLOAT_EQ(d.screen[4].sx, 29);
    EXPECT_FLOAT_EQ(d.screen[0].rhw, 2.0f); // 1 / depth
    EXPECT_EQ(d.indices, (std::vector<uint16_t>{0, 2, 1, 0, 3, 2, 4, 6, 5, 4, 7, 6}));
    EXPECT_EQ(backend->renderStates[RenderState::AlphaBlendEnable], 0u);

    backend->clearLog();
    renderer->drawText(font, 10, 20, 0.5f, 0xFFFFFFFFu, 2.0f, 0.5f, "[\tFF00FF00I\tFFFFFFFF]\nA%d",
                       7);
    const auto& e = backend->draws.at(0);
    ASSERT_EQ(e.screen.size(), 5u * 4u);
    EXPECT_EQ(e.screen[0].color, 0xFFFFFFFFu); // [
    EXPECT_EQ(e.screen[4].color, 0xFF00FF00u); // I, green and opaque
    EXPECT_EQ(e.screen[8].color, 0xFFFFFFFFu); // ]
    EXPECT_FLOAT_EQ(e.screen[4].sx, 10 + 2 * 10.0f);
    // The line feed goes back to the starting x, one scaled line lower.
    EXPECT_FLOAT_EQ(e.screen[12].sx, 10);
    EXPECT_FLOAT_EQ(e.screen[12].sy, 20 + 27 * 0.5f);
    EXPECT_FLOAT_EQ(e.screen[13].sy, 20 + 27 * 0.5f + 27 * 0.5f);
    EXPECT_FLOAT_EQ(renderer->lastTextX(), 10 + 2 * (21.0f + 18.0f));
}

TEST_F(FontFixture, UnknownCodesNeitherDrawNorMoveThePen) {
    BitmapFont font(*device);
    ASSERT_TRUE(font.loadMetrics(mainFontMetrics()));
    backend->clearLog();
    renderer->drawText(font, 0, 0, 1.0f, 0xFFFFFFFFu, 1, 1, "%s",
                       "\xB0"
                       "A");
    EXPECT_FLOAT_EQ(renderer->lastTextX(), 21.0f);
    ASSERT_EQ(backend->draws.size(), 1u);
    EXPECT_EQ(backend->draws[0].screen.size(), 4u);
    backend->clearLog();
    renderer->drawText(font, 0, 0, 1.0f, 0xFFFFFFFFu, 1, 1, "%s", "");
    EXPECT_TRUE(backend->draws.empty());
    // A tab cut short by the end of the text changes nothing and reads no further.
    renderer->drawText(font, 0, 0, 1.0f, 0xFF0000FFu, 1, 1, "A\tFF");
    EXPECT_EQ(backend->draws.back().screen[0].color, 0xFF0000FFu);
}

TEST_F(FontFixture, MetricsEdgeCases) {
    BitmapFont font(*device);
    EXPECT_FALSE(font.loadMetrics(test::makePyxf({{'A', 5, 6, 0, 0, 10, 10}}, "PYXG")));
    EXPECT_FALSE(font.loadMetrics(std::vector<uint8_t>{'P', 'Y', 'X'}));
    // A count that promises more records than the block holds is refused.
    auto shortBlock = test::makePyxf({{'A', 5, 6, 0, 0, 10, 10}, {'B', 5, 6, 0, 0, 10, 10}});
    shortBlock.resize(shortBlock.size() - 1);
    EXPECT_FALSE(font.loadMetrics(shortBlock));

    BitmapFont empty(*device);
    ASSERT_TRUE(empty.loadMetrics(test::makePyxf({})));
    EXPECT_EQ(empty.lineHeight(), 0);
    backend->clearLog();
    renderer->drawText(empty, 0, 0, 1.0f, 0xFFFFFFFFu, 1, 1, "ABC");
    EXPECT_EQ(backend->countCalls("drawScreen"), 0u);

    // A code listed twice takes the later record; trailing bytes are ignored.
    BitmapFont twice(*device);
    auto block = test::makePyxf({{'A', 5, 6, 0, 0, 10, 10}, {'A', 7, 8, 0, 0, 10, 10}});
    block.insert(block.end(), {1, 2, 3});
    ASSERT_TRUE(twice.loadMetrics(block));
    EXPECT_EQ(twice.glyphWidth('A'), 7);
    EXPECT_EQ(twice.lineHeight(), 8);
}

TEST_F(FontFixture, LoadFontMakesAColourKeyedSheetTexture) {
    // Sheet: background index 0 at the top left, glyph pixels index 1, and an
    // inner background pixel that must turn transparent too.
    std::vector<uint8_t> idx(8 * 4, 1);
    idx[0] = 0;
    idx[8 + 3] = 0;
    const auto sheet = test::makeDib8(8, 4, {{0, 0, 0}, {255, 255, 255}}, idx);
    const auto metrics = test::makePyxf({{'A', 4, 4, 0, 0, 32768, 65535}});
    const platform::ResourceEntry table[] = {{platform::kResourceBinary, 135, metrics},
                                             {platform::kResourceBitmap, 134, sheet}};
    platform::setResourceTable(table);
    BitmapFont font(*device);
    EXPECT_FALSE(font.loadFont(135, 999)); // no sheet
    EXPECT_FALSE(font.loaded());
    EXPECT_FALSE(font.loadFont(999, 134)); // no metrics
    ASSERT_TRUE(font.loadFont(135, 134));
    EXPECT_TRUE(font.loaded());
    Texture* t = font.texture();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->name(), "font");
    EXPECT_EQ(t->format().bits, 16u);
    EXPECT_EQ(t->format().alphaMask, 0x8000u);
    EXPECT_EQ(t->pixel(0, 0) & 0x8000u, 0u);
    EXPECT_EQ(t->pixel(3, 1) & 0x8000u, 0u);
    EXPECT_EQ(t->pixel(1, 0), 0xFFFFu);
    EXPECT_EQ(t->pixel(7, 3), 0xFFFFu);
}

TEST_F(FontFixture, BuiltInFontsLoadWithTheirMetrics) {
    resources::registerBuiltinResources();
    BitmapFont main(*device), keys(*device);
    ASSERT_TRUE(main.loadFont(resources::kMainFontMetrics, resources::kMainFontSheet));
    ASSERT_TRUE(keys.loadFont(resources::kKeyHintFontMetrics, resources::kKeyHintFontSheet));
    EXPECT_EQ(main.lineHeight(), 27);
    EXPECT_EQ(keys.lineHeight(), 31);
    EXPECT_EQ(main.glyphWidth(0xE1), 16);
    EXPECT_EQ(keys.glyphWidth(0xE1), 26);
    EXPECT_EQ(keys.glyphWidth(0xDF), 28);
    EXPECT_FLOAT_EQ(main.texRight(' '), 9.0f / 256.0f);
    renderer->drawText(main, 8, 0, 0.5f, 0xFFFFFFFFu, 1, 1, "AB");
    EXPECT_FLOAT_EQ(renderer->lastTextX(), 49.0f);
    // The sheet's background (its top-left pixel) is transparent.
    EXPECT_EQ(main.texture()->pixel(0, 0) & main.texture()->format().alphaMask, 0u);
}

TEST_F(FontFixture, BatchedTextGoesOutInOneDrawInTheOrderDrawn) {
    BitmapFont font(*device), other(*device);
    ASSERT_TRUE(font.loadMetrics(mainFontMetrics()));
    ASSERT_TRUE(other.loadMetrics(mainFontMetrics()));
    backend->clearLog();
    renderer->beginTextBatch(font);
    renderer->drawText(font, 8, 100, 0.5f, 0xFF112233u, 1.0f, 1.0f, "AB");
    EXPECT_FLOAT_EQ(renderer->lastTextX(), 49.0f) << "the pen moves as always";
    renderer->drawText(other, 0, 0, 0.5f, 0xFFFFFFFFu, 1.0f, 1.0f, "A");
    renderer->drawText(font, 20, 200, 0.99f, 0xFF445566u, 0.5f, 0.5f, "\tFF00FF00B");
    EXPECT_EQ(backend->draws.size(), 1u) << "only the other font's text is drawn at once";
    renderer->endTextBatch();
    ASSERT_EQ(backend->draws.size(), 2u);
    const auto& d = backend->draws[1];
    ASSERT_EQ(d.screen.size(), 12u);
    ASSERT_EQ(d.indices.size(), 18u);
    EXPECT_EQ(d.screen[0].color, 0xFF112233u);
    EXPECT_FLOAT_EQ(d.screen[4].sx, 29.0f);
    EXPECT_FLOAT_EQ(d.screen[8].sx, 20.0f);
    EXPECT_FLOAT_EQ(d.screen[9].sy, 200.0f + 13.5f);
    EXPECT_EQ(d.screen[8].color, 0xFF00FF00u) << "colour escapes work in a batch";
    EXPECT_FLOAT_EQ(d.screen[8].sz, 0.99f);
    EXPECT_EQ(std::vector<uint16_t>(d.indices.begin() + 12, d.indices.end()),
              (std::vector<uint16_t>{8, 10, 9, 8, 11, 10}));
    EXPECT_EQ(backend->renderStates[RenderState::AlphaBlendEnable], 0u);
    // An empty batch draws nothing; after it text is drawn at once again.
    backend->clearLog();
    renderer->beginTextBatch(font);
    renderer->endTextBatch();
    EXPECT_TRUE(backend->draws.empty());
    renderer->drawText(font, 8, 100, 0.5f, 0xFFFFFFFFu, 1.0f, 1.0f, "A");
    EXPECT_EQ(backend->draws.size(), 1u);
}

TEST_F(FontFixture, ABatchBeyondTheIndexRangeIsSplit) {
    BitmapFont font(*device);
    ASSERT_TRUE(font.loadMetrics(mainFontMetrics()));
    backend->clearLog();
    renderer->beginTextBatch(font);
    // 20000 glyphs: 16384 in the first draw (65536 vertices), the rest after.
    for (int i = 0; i < 2000; ++i)
        renderer->drawText(font, 0, 0, 0.5f, 0xFFFFFFFFu, 1.0f, 1.0f, "ABCDEFGHIJ");
    renderer->endTextBatch();
    ASSERT_EQ(backend->draws.size(), 2u);
    EXPECT_EQ(backend->draws[0].screen.size(), 65536u);
    EXPECT_EQ(backend->draws[1].screen.size(), (20000u - 16384u) * 4u);
    EXPECT_EQ(backend->draws[1].indices.back(), uint16_t((20000 - 16384) * 4 - 2));
}
