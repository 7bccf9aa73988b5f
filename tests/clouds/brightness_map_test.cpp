// Pictures of greys and pictures with alpha as cloud maps: every pixel is
// cloud, its brightness (or its colour scaled by its alpha) giving its
// colour and opacity, then the same smoothing as for colour pictures.
#include "clouds/cloud_map.h"
#include "formats/preferences.h"

#include <gtest/gtest.h>

#include <vector>

namespace gv {
namespace {

// A picture of 8-bit greys (a table of 256 greys), rows bottom first.
PackedDib greyPicture(uint32_t w, uint32_t h, const std::vector<uint8_t>& bottomUp) {
    PackedDib p;
    EXPECT_TRUE(p.allocate(w, h, 8, 256));
    for (uint32_t i = 0; i < 256; ++i)
        p.setColour(i, uint8_t(i), uint8_t(i), uint8_t(i));
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            p.row(y)[x] = bottomUp[size_t(y) * w + x];
    return p;
}

// A 32-bit picture from 0xAARRGGBB values, rows bottom first.
PackedDib alphaPicture(uint32_t w, uint32_t h, const std::vector<uint32_t>& bottomUp) {
    PackedDib p;
    EXPECT_TRUE(p.allocate(w, h, 32, 0));
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t c = bottomUp[size_t(y) * w + x];
            uint8_t* px = p.row(y) + size_t(x) * 4;
            px[0] = uint8_t(c);
            px[1] = uint8_t(c >> 8);
            px[2] = uint8_t(c >> 16);
            px[3] = uint8_t(c >> 24);
        }
    return p;
}

TEST(BrightnessMap, EachGreyIsCloudAsOpaqueAsItIsBright) {
    const BrightnessSourceColours source;
    const uint32_t in[] = {0x000000, 0x3C3C3C, 0xC8C8C8, 0xFFFFFF, 0x102030};
    uint32_t out[5];
    source.map(in, out, 5);
    EXPECT_EQ(out[0], 0u);          // black is clear sky
    EXPECT_EQ(out[1], 0x3B3C3C3Cu); // 180 x 0.33333 = 59.9994 -> 59
    EXPECT_EQ(out[2], 0xC7C8C8C8u); // 600 x 0.33333 = 199.998 -> 199
    EXPECT_EQ(out[3], 0xFEFFFFFFu); // 765 x 0.33333 = 254.997 -> 254
    EXPECT_EQ(out[4], 0x1F102030u); // 96 x 0.33333 = 31.99968 -> 31
}

TEST(BrightnessMap, AlphaScalesTheColourFirst) {
    const AlphaSourceColours source;
    const uint32_t in[] = {0x80FFFFFF, 0xFF303030, 0x00FFFFFF, 0x40C8C8C8, 0x80204060};
    uint32_t out[5];
    source.map(in, out, 5);
    EXPECT_EQ(out[0], 0x7F808080u); // 255 x 128 / 255 = 128; 384 x 0.33333 -> 127
    EXPECT_EQ(out[1], 0x2F303030u); // opaque: 48; 144 x 0.33333 = 47.99952 -> 47
    EXPECT_EQ(out[2], 0u);          // transparent: nothing
    EXPECT_EQ(out[3], 0x31323232u); // 200 x 64 / 255 = 50.2 -> 50; 150 -> 49
    // 32, 64, 96 x 128 / 255 = 16.06, 32.13, 48.19 -> 16, 32, 48; 96 -> 31
    EXPECT_EQ(out[4], 0x1F102030u);
}

// By hand, on a 2 x 2 picture of greys, bottom row 60, 0 and top row 200,
// 30 (the work-area walk as in the colour filter's hand calculation: work
// rows 0 and 3 black, row 1 = 0 60 0 60 (i4..i7), row 2 = 30 200 30 200
// (i8..i11), only row 1 walked; one channel, the three are equal):
//   pass 1: i4: 60 + 60 + 30 + 200 = 350 -> 38
//           i5: 38 + 60 + 0 + 30 + 200 + 30 = 358 -> 39
//           i6: 39 + 0 + 60 + 200 + 30 + 200 = 529 -> 58
//           i7: 38 (i4) + 58 + 60 + 30 + 30 + 200 = 416 -> 46
//   pass 2: i4: 38 + 39 + 46 + 30 + 200 = 353 -> 39
//           i5: 39 + 39 + 58 + 30 + 200 + 30 = 396 -> 43 (43.99956)
//           i6: 43 + 58 + 46 + 200 + 30 + 200 = 577 -> 64
//           i7: 39 + 64 + 46 + 30 + 30 + 200 = 409 -> 45
//   pass 3: i4: 39 + 43 + 45 + 30 + 200 = 357 -> 39
//           i5: 39 + 43 + 64 + 30 + 200 + 30 = 406 -> 45
//           i6: 45 + 64 + 45 + 200 + 30 + 200 = 584 -> 64
// Bottom row: 45 with alpha 135 x 0.33333 -> 44, 64 with alpha 192 x
// 0.33333 -> 63. The top row keeps its classified greys: 200 with alpha
// 199, 30 with alpha 29.
TEST(BrightnessMap, HandCalculatedGreyPicture) {
    const PackedDib picture = greyPicture(2, 2, {60, 0, 200, 30});
    const BrightnessSourceColours source;
    std::vector<uint32_t> map;
    ASSERT_TRUE(stretchPicture(picture, &source, 2, 2, map));
    smoothCloudMap(map, 2, 2);
    EXPECT_EQ(map, (std::vector<uint32_t>{0x2C2D2D2D, 0x3F404040, 0xC7C8C8C8, 0x1D1E1E1E}));
}

// By hand, on a 2 x 2 picture with alpha: bottom row white at alpha 128
// (-> 128) and 0x303030 opaque (-> 48), top row white fully transparent
// (-> 0) and 0xC8C8C8 at alpha 64 (-> 50). Row 1 = 48 128 48 128, row 2 =
// 50 0 50 0:
//   pass 1: i4: 48 + 128 + 128 + 50 = 354 -> 39
//           i5: 39 + 128 + 48 + 50 + 0 + 50 = 315 -> 34 (34.99965)
//           i6: 34 + 48 + 128 + 0 + 50 + 0 = 260 -> 28
//           i7: 39 + 28 + 128 + 50 + 50 + 0 = 295 -> 32
//   pass 2: i4: 39 + 34 + 32 + 50 + 0 = 155 -> 17
//           i5: 17 + 34 + 28 + 50 + 0 + 50 = 179 -> 19
//           i6: 19 + 28 + 32 + 0 + 50 + 0 = 129 -> 14
//           i7: 17 + 14 + 32 + 50 + 50 + 0 = 163 -> 18
//   pass 3: i4: 17 + 19 + 18 + 50 + 0 = 104 -> 11
//           i5: 11 + 19 + 14 + 50 + 0 + 50 = 144 -> 15 (15.99984)
//           i6: 15 + 14 + 18 + 0 + 50 + 0 = 97 -> 10
// Bottom row: 15 with alpha 45 x 0.33333 -> 14, 10 with alpha 30 x 0.33333
// -> 9. Top row: transparent, and 50 with alpha 49.
TEST(BrightnessMap, HandCalculatedAlphaPicture) {
    const PackedDib picture = alphaPicture(2, 2, {0x80FFFFFF, 0xFF303030, 0x00FFFFFF, 0x40C8C8C8});
    const AlphaSourceColours source;
    std::vector<uint32_t> map;
    ASSERT_TRUE(stretchPicture(picture, &source, 2, 2, map));
    smoothCloudMap(map, 2, 2);
    EXPECT_EQ(map, (std::vector<uint32_t>{0x0E0F0F0F, 0x090A0A0A, 0x00000000, 0x31323232}));
}

// The map's own entry picks the classification by what the picture
// carries: the same greys as a colour picture match no cloud colour.
TEST(BrightnessMap, ChannelsChooseTheClassification) {
    const Preferences prefs = defaultPreferences();
    const CloudColours colours(prefs.cloudColours);
    std::vector<uint8_t> greys(size_t(kCloudMapWidth) * kCloudMapHeight, 0);
    greys[size_t(100) * kCloudMapWidth + 10] = 200;
    greys[size_t(100) * kCloudMapWidth + 11] = 0xFF;
    const PackedDib picture = greyPicture(kCloudMapWidth, kCloudMapHeight, greys);
    CloudMap map;
    ASSERT_TRUE(stretchCloudPicture(picture, PictureChannels::Grey, colours, map));
    EXPECT_EQ(map[size_t(100) * kCloudMapWidth + 10], 0xC7C8C8C8u);
    EXPECT_EQ(map[size_t(100) * kCloudMapWidth + 11], 0xFEFFFFFFu);
    EXPECT_EQ(map[size_t(100) * kCloudMapWidth + 12], 0u);
    // As colours: 0xC8C8C8 is no cloud colour, white is.
    ASSERT_TRUE(stretchCloudPicture(picture, PictureChannels::Colour, colours, map));
    EXPECT_EQ(map[size_t(100) * kCloudMapWidth + 10], 0u);
    EXPECT_EQ(map[size_t(100) * kCloudMapWidth + 11], 0xFFFFFFFFu);

    std::vector<uint32_t> argb(size_t(kCloudMapWidth) * kCloudMapHeight, 0x00FFFFFF);
    argb[size_t(7) * kCloudMapWidth + 500] = 0x80FFFFFF;
    const PackedDib withAlpha = alphaPicture(kCloudMapWidth, kCloudMapHeight, argb);
    ASSERT_TRUE(stretchCloudPicture(withAlpha, PictureChannels::Alpha, colours, map));
    EXPECT_EQ(map[size_t(7) * kCloudMapWidth + 500], 0x7F808080u);
    EXPECT_EQ(map[size_t(7) * kCloudMapWidth + 501], 0u);
    // Its colours alone are white everywhere: all cloud.
    ASSERT_TRUE(stretchCloudPicture(withAlpha, PictureChannels::Colour, colours, map));
    EXPECT_EQ(map[size_t(7) * kCloudMapWidth + 501], 0xFFFFFFFFu);
}

} // namespace
} // namespace gv
