#include "resources/builtin_resources.h"

#include "tests/resources/resource_views.h"
#include "tests/support/main_font_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace gv {
namespace {

std::vector<test::GlyphRecord> loadMetrics(uint32_t id) {
    resources::registerBuiltinResources();
    auto glyphs = test::parsePyxf(platform::findResource("BINARY", id));
    platform::setResourceTable({});
    return glyphs ? *glyphs : std::vector<test::GlyphRecord>{};
}

test::DibView loadSheet(uint32_t id) {
    resources::registerBuiltinResources(); // the table is static: the view stays valid
    auto dib = test::parseDib8(platform::findResource("BITMAP", id));
    platform::setResourceTable({});
    return dib ? *dib : test::DibView{};
}

TEST(MainFont, GlyphsLieOnTheSheetRowByRowWithTheirWidths) {
    const auto glyphs = loadMetrics(108);
    ASSERT_EQ(glyphs.size(), 123u);
    std::size_t i = 0;
    const auto& rows = test::kMainFontRows;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        uint32_t x = 0;
        for (auto [code, w] : rows[row]) {
            const uint32_t width = uint32_t(w);
            SCOPED_TRACE("glyph " + std::to_string(i) + ", code " + std::to_string(code));
            ASSERT_LT(i, glyphs.size());
            const test::GlyphRecord& g = glyphs[i++];
            EXPECT_EQ(g.code, code);
            EXPECT_EQ(g.width, width);
            EXPECT_EQ(g.height, 27);
            // Sheet coordinates in 1/65536 of 256 pixels: 256 units a pixel.
            EXPECT_EQ(g.left, x * 256);
            EXPECT_EQ(g.right, (x + width) * 256);
            EXPECT_EQ(g.top, row * 28 * 256);
            EXPECT_EQ(g.bottom, (row * 28 + 27) * 256);
            x += width + 1u;
        }
        EXPECT_LE(x - 1, 256u) << "row " << row;
    }
    EXPECT_EQ(i, glyphs.size());
    EXPECT_EQ(test::lineHeight(glyphs), 27);
}

TEST(MainFont, SpaceGlyphRectangle) {
    const auto glyphs = loadMetrics(108);
    ASSERT_FALSE(glyphs.empty());
    const test::GlyphRecord& space = glyphs[0];
    ASSERT_EQ(space.code, ' ');
    EXPECT_EQ(space.left / 65536.0f, 0.0f);
    EXPECT_EQ(space.top / 65536.0f, 0.0f);
    EXPECT_EQ(space.right / 65536.0f, 9.0f / 256.0f);
    EXPECT_EQ(space.bottom / 65536.0f, 27.0f / 256.0f);
}

TEST(KeyHintFont, FourArrowsOfTheirSizes) {
    const auto glyphs = loadMetrics(135);
    ASSERT_EQ(glyphs.size(), 4u);
    const struct {
        uint8_t code;
        uint16_t width, height;
    } expected[] = {{0xE1, 26, 31}, {0xE2, 26, 31}, {0xDF, 28, 31}, {0xE0, 28, 31}};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const test::GlyphRecord& g = glyphs[i];
        EXPECT_EQ(g.code, expected[i].code);
        EXPECT_EQ(g.width, expected[i].width);
        EXPECT_EQ(g.height, expected[i].height);
        // 64-pixel sheet: 1024 units a pixel; the rectangle is the glyph's size.
        EXPECT_EQ(g.right - g.left, g.width * 1024);
        EXPECT_EQ(g.bottom - g.top, g.height * 1024);
        EXPECT_EQ(g.left % 1024, 0);
        EXPECT_EQ(g.top % 1024, 0);
        EXPECT_LE(g.right, 64 * 1024 - 1);
        EXPECT_LE(g.bottom, 64 * 1024 - 1);
    }
    EXPECT_EQ(test::lineHeight(glyphs), 31);
}

// The sheet as the colour-keyed texture sees it: the top-left pixel is the
// background; every glyph but the space has ink inside its rectangle, no ink
// lies outside the rectangles, and no ink pixel collapses onto the key colour
// when the texture keeps 5 bits a channel.
void checkSheet(uint32_t metricsId, uint32_t sheetId, int side) {
    const auto glyphs = loadMetrics(metricsId);
    const test::DibView sheet = loadSheet(sheetId);
    ASSERT_EQ(sheet.width, side);
    ASSERT_EQ(sheet.height, side);
    const int unit = 65536 / side;
    std::vector<int> owner(std::size_t(side * side), -1);
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const auto& g = glyphs[i];
        for (int y = g.top / unit; y < g.bottom / unit; ++y)
            for (int x = g.left / unit; x < g.right / unit; ++x) {
                ASSERT_EQ(owner[std::size_t(y * side + x)], -1) << "glyphs overlap";
                owner[std::size_t(y * side + x)] = int(i);
            }
    }
    const auto key = sheet.colour(0, 0);
    auto fiveBits = [](std::array<uint8_t, 3> c) {
        return std::array<int, 3>{c[0] >> 3, c[1] >> 3, c[2] >> 3};
    };
    std::vector<int> ink(glyphs.size(), 0);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const auto c = sheet.colour(x, y);
            if (c == key) continue;
            const int o = owner[std::size_t(y * side + x)];
            ASSERT_NE(o, -1) << "ink outside every glyph at " << x << "," << y;
            ++ink[std::size_t(o)];
            ASSERT_NE(fiveBits(c), fiveBits(key)) << "ink as dark as the key at " << x << "," << y;
        }
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        if (glyphs[i].code != ' ') {
            EXPECT_GT(ink[i], 0) << "glyph " << int(glyphs[i].code);
        }
    }
}

TEST(MainFont, SheetHoldsEachGlyphInsideItsRectangle) {
    checkSheet(108, 107, 256);
}
TEST(KeyHintFont, SheetHoldsEachGlyphInsideItsRectangle) {
    checkSheet(135, 134, 64);
}

} // namespace
} // namespace gv
