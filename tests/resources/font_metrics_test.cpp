#include "resources/builtin_resources.h"

#include "tests/resources/resource_views.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace gv {
namespace {

using Row = std::vector<std::pair<uint8_t, uint16_t>>; // Windows-1252 code, width

// The main font's sheet, row by row as the glyphs lie on it.
std::vector<Row> mainFontRows() {
    std::vector<Row> rows = {
        {{' ', 9},
         {'!', 10},
         {'"', 9},
         {'#', 18},
         {'$', 18},
         {'%', 23},
         {'&', 23},
         {'\'', 5},
         {'(', 10},
         {')', 10},
         {'*', 14},
         {'+', 19},
         {',', 9},
         {'-', 11},
         {'.', 9},
         {'/', 10},
         {'0', 18}},
        {},
        {{'?', 15},
         {'@', 23},
         {'A', 21},
         {'B', 20},
         {'C', 19},
         {'D', 22},
         {'E', 17},
         {'F', 17},
         {'G', 21},
         {'H', 21},
         {'I', 9},
         {'J', 17},
         {'K', 19}},
        {{'L', 16},
         {'M', 27},
         {'N', 22},
         {'O', 22},
         {'P', 18},
         {'Q', 22},
         {'R', 19},
         {'S', 18},
         {'T', 18},
         {'U', 21},
         {'V', 19}},
        {{'W', 28},
         {'X', 20},
         {'Y', 18},
         {'Z', 19},
         {'[', 10},
         {'\\', 10},
         {']', 10},
         {'^', 23},
         {'_', 12},
         {'`', 12},
         {'a', 16},
         {'b', 18},
         {'c', 16},
         {'d', 18}},
        {{'e', 16},
         {'f', 11},
         {'g', 18},
         {'h', 18},
         {'i', 8},
         {'j', 8},
         {'k', 17},
         {'l', 8},
         {'m', 26},
         {'n', 18},
         {'o', 18},
         {'p', 18},
         {'q', 18},
         {'r', 12},
         {'s', 15}},
        {{'t', 12},
         {'u', 18},
         {'v', 16},
         {'w', 25},
         {'x', 16},
         {'y', 16},
         {'z', 15},
         {'{', 12},
         {'|', 12},
         {'}', 12},
         {'~', 19},
         {0xA6, 12},
         {0xA9, 19},
         {0xE1, 16},
         {0xE9, 16}},
        {{0xED, 8},
         {0xF3, 18},
         {0xFA, 18},
         {0xC1, 21},
         {0xC9, 17},
         {0xCD, 9},
         {0xD3, 22},
         {0xDA, 21},
         {0xE0, 16},
         {0xC0, 21},
         {0xE3, 16},
         {0xF5, 18},
         {0xC3, 21}},
        {{0xD5, 22},
         {0xE2, 16},
         {0xF4, 18},
         {0xC2, 21},
         {0xD4, 22},
         {0xF1, 18},
         {0xD1, 22},
         {0xE7, 16},
         {0xC7, 19},
         {0xFC, 18},
         {0xDC, 21}},
    };
    for (uint8_t d = '1'; d <= '9'; ++d)
        rows[1].push_back({d, 18});
    for (auto [c, w] : Row{{':', 10}, {';', 10}, {'<', 19}, {'=', 19}, {'>', 19}})
        rows[1].push_back({c, w});
    return rows;
}

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
    const auto rows = mainFontRows();
    for (std::size_t row = 0; row < rows.size(); ++row) {
        uint32_t x = 0;
        for (auto [code, width] : rows[row]) {
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
