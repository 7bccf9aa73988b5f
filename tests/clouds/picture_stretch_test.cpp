// The stretch to a fixed size: copies at equal size, averages what it
// shrinks, interpolates what it enlarges; expected values by hand.
#include "clouds/cloud_map.h"

#include <gtest/gtest.h>

#include <vector>

namespace gv {
namespace {

// A 24-bit picture from grey levels given top row first.
PackedDib greyPicture(uint32_t w, uint32_t h, const std::vector<uint8_t>& levels) {
    PackedDib p;
    EXPECT_TRUE(p.allocate(w, h, 24, 0));
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* px = p.row(h - 1 - y) + x * 3;
            px[0] = px[1] = px[2] = levels[y * w + x];
        }
    return p;
}

uint32_t grey(uint32_t level) {
    return 0xFF000000u | level << 16 | level << 8 | level;
}

TEST(PictureStretch, SameSizePassesThroughUnchanged) {
    PackedDib p;
    ASSERT_TRUE(p.allocate(5, 3, 24, 0));
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x) {
            uint8_t* px = p.row(y) + x * 3;
            px[0] = uint8_t(x * 50 + 1);
            px[1] = uint8_t(y * 80 + 2);
            px[2] = uint8_t(x * y * 17 + 3);
        }
    std::vector<uint32_t> out;
    ASSERT_TRUE(stretchPicture(p, nullptr, 5, 3, out));
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            EXPECT_EQ(out[y * 5 + x], 0xFF000000u | uint32_t(x * y * 17 + 3) << 16 |
                                          uint32_t(y * 80 + 2) << 8 | uint32_t(x * 50 + 1));
}

TEST(PictureStretch, ShrinkingAverages) {
    // 4 x 2 to 2 x 1: each target pixel is the mean of a 2 x 2 block.
    const PackedDib p = greyPicture(4, 2, {10, 20, 100, 200, 30, 40, 0, 100});
    std::vector<uint32_t> out;
    ASSERT_TRUE(stretchPicture(p, nullptr, 2, 1, out));
    EXPECT_EQ(out[0], grey(25));  // (10 + 20 + 30 + 40) / 4
    EXPECT_EQ(out[1], grey(100)); // (100 + 200 + 0 + 100) / 4
    // Halves round up: 1.5 -> 2, 1.75 -> 2, 2.25 -> 2, 2.5 -> 3.
    const PackedDib r = greyPicture(8, 2, {1, 1, 1, 2, 2, 2, 2, 3, 2, 2, 2, 2, 2, 3, 2, 3});
    ASSERT_TRUE(stretchPicture(r, nullptr, 4, 1, out));
    EXPECT_EQ(out, (std::vector<uint32_t>{grey(2), grey(2), grey(2), grey(3)}));
    // The same blocks one pixel wider are no longer halves: the general
    // weighting agrees on the whole blocks.
    const PackedDib wide = greyPicture(3, 2, {10, 20, 90, 30, 40, 90});
    ASSERT_TRUE(stretchPicture(wide, nullptr, 1, 1, out));
    EXPECT_EQ(out[0], grey(47)); // (10 + 20 + 90 + 30 + 40 + 90) / 6 = 46.67
    // 3 to 2 across: the first target pixel covers source 0 whole and half
    // of source 1, the second the other half of 1 and all of 2.
    const PackedDib q = greyPicture(3, 1, {0, 90, 180});
    ASSERT_TRUE(stretchPicture(q, nullptr, 2, 1, out));
    EXPECT_EQ(out[0], grey(30));  // (0 x 1 + 90 x 0.5) / 1.5
    EXPECT_EQ(out[1], grey(150)); // (90 x 0.5 + 180 x 1) / 1.5
}

TEST(PictureStretch, EnlargingInterpolates) {
    // 2 to 4 across: target centres at 0.5, 1.5, 2.5, 3.5 map to source
    // positions -0.25 (the edge pixel), 0.25, 0.75 and 1.25 (the edge).
    const PackedDib p = greyPicture(2, 1, {0, 200});
    std::vector<uint32_t> out;
    ASSERT_TRUE(stretchPicture(p, nullptr, 4, 1, out));
    EXPECT_EQ(out[0], grey(0));
    EXPECT_EQ(out[1], grey(50));
    EXPECT_EQ(out[2], grey(150));
    EXPECT_EQ(out[3], grey(200));
    // And down the rows the same way (the top row first in the picture is
    // the last row of the output).
    const PackedDib q = greyPicture(1, 2, {200, 0});
    ASSERT_TRUE(stretchPicture(q, nullptr, 1, 4, out));
    EXPECT_EQ(out[0], grey(0));
    EXPECT_EQ(out[1], grey(50));
    EXPECT_EQ(out[2], grey(150));
    EXPECT_EQ(out[3], grey(200));
}

TEST(PictureStretch, CloudsBlendWithTransparencyNotIntoOtherColours) {
    // White cloud beside black (no cloud), shrunk 2 to 1: half-covered
    // white, 127.5 rounded up, in colour and opacity alike.
    const Preferences prefs = defaultPreferences();
    const CloudColours colours(prefs.cloudColours);
    const CloudSourceColours source(colours);
    const PackedDib p = greyPicture(2, 1, {255, 0});
    std::vector<uint32_t> out;
    ASSERT_TRUE(stretchPicture(p, &source, 1, 1, out));
    EXPECT_EQ(out[0], 0x80808080u);
    // Two cloud greys averaged stay cloud, though their mean colour is on
    // no list: opaque, of the mean grey.
    const PackedDib q = greyPicture(2, 1, {0xFF, 0xEF}); // 0xFFFFFF and 0xEFEFEF
    ASSERT_TRUE(stretchPicture(q, &source, 1, 1, out));
    EXPECT_EQ(out[0], 0xFFF7F7F7u);
}

TEST(PictureStretch, PaletteDepths) {
    // 1, 4 and 8 bits through their tables; an index past the table is black.
    PackedDib p;
    ASSERT_TRUE(p.allocate(3, 1, 4, 16));
    p.setField(dib::kColoursUsed, 16);
    p.setColour(1, 10, 20, 30);
    p.setColour(2, 40, 50, 60);
    p.row(0)[0] = 0x12; // pixels 1 and 2
    p.row(0)[1] = 0xF0; // pixel 15: an entry left black
    std::vector<uint32_t> out;
    ASSERT_TRUE(stretchPicture(p, nullptr, 3, 1, out));
    EXPECT_EQ(out[0], 0xFF0A141Eu);
    EXPECT_EQ(out[1], 0xFF28323Cu);
    EXPECT_EQ(out[2], 0xFF000000u);

    PackedDib m;
    ASSERT_TRUE(m.allocate(9, 1, 1, 2));
    m.setColour(1, 255, 255, 255);
    m.row(0)[0] = 0xA0; // 1 0 1 0 0 0 0 0
    m.row(0)[1] = 0x80; // the ninth pixel: 1
    ASSERT_TRUE(stretchPicture(m, nullptr, 9, 1, out));
    EXPECT_EQ(out[0], 0xFFFFFFFFu);
    EXPECT_EQ(out[1], 0xFF000000u);
    EXPECT_EQ(out[2], 0xFFFFFFFFu);
    EXPECT_EQ(out[8], 0xFFFFFFFFu);
}

TEST(PictureStretch, SixteenAndThirtyTwoBits) {
    PackedDib p;
    ASSERT_TRUE(p.allocate(1, 1, 16, 0));
    // 5-5-5: red 31, green 0, blue 16 -> 255, 0, 132 (bits repeated below).
    const uint16_t v = 31 << 10 | 16;
    p.row(0)[0] = uint8_t(v);
    p.row(0)[1] = uint8_t(v >> 8);
    std::vector<uint32_t> out;
    ASSERT_TRUE(stretchPicture(p, nullptr, 1, 1, out));
    EXPECT_EQ(out[0], 0xFFFF0084u);
    PackedDib q;
    ASSERT_TRUE(q.allocate(1, 1, 32, 0));
    q.row(0)[0] = 1;
    q.row(0)[1] = 2;
    q.row(0)[2] = 3;
    q.row(0)[3] = 77; // the fourth byte is no alpha
    ASSERT_TRUE(stretchPicture(q, nullptr, 1, 1, out));
    EXPECT_EQ(out[0], 0xFF030201u);
}

TEST(PictureStretch, RefusesWhatItCannotRead) {
    PackedDib empty;
    std::vector<uint32_t> out;
    EXPECT_FALSE(stretchPicture(empty, nullptr, 4, 4, out));
    PackedDib p;
    ASSERT_TRUE(p.allocate(2, 2, 24, 0));
    EXPECT_FALSE(stretchPicture(p, nullptr, 0, 4, out));
}

} // namespace
} // namespace gv
