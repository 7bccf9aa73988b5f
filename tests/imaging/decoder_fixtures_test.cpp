// Every decoder against files written by ImageMagick, and against files built
// by hand for what ImageMagick does not write: the decoded picture must be
// ImageMagick's own decoding of the same file, pixel for pixel.
#include "imaging/image_loader.h"
#include "picture_files.h"

#include <gtest/gtest.h>

namespace gv {
namespace {

struct Fixture {
    const char* file;
    ImageFormat format;
    uint32_t bits;        // of the decoded picture
    uint32_t paletteKind; // 0 for 24 bits, 1 for 8, 2 for 4, 5 for 1
};

void PrintTo(const Fixture& f, std::ostream* os) {
    *os << f.file;
}

class DecoderFixture : public ::testing::TestWithParam<Fixture> {};

TEST_P(DecoderFixture, DecodesAsImageMagickDoes) {
    const Fixture& f = GetParam();
    const test::RgbPicture reference =
        test::readPpm(test::fixturePath(std::string(f.file) + ".ppm"));
    ASSERT_GT(reference.width, 0u) << "no reference picture";
    ImageLoader loader;
    ASSERT_TRUE(loader.load(test::fixturePath(f.file)));
    EXPECT_EQ(loader.format(), f.format);
    EXPECT_EQ(loader.picture().bits(), f.bits);
    EXPECT_EQ(loader.paletteKind(), f.paletteKind);
    EXPECT_EQ(loader.width(), reference.width);
    EXPECT_EQ(loader.height(), reference.height);
    const test::RgbPicture decoded = test::pictureRgb(loader.picture());
    EXPECT_EQ(test::firstDifference(decoded, reference), "");
}

constexpr ImageFormat kBmp = ImageFormat::WindowsBitmap, kOs2 = ImageFormat::Os2Bitmap,
                      kRle = ImageFormat::RunLengthBitmap, kPcx = ImageFormat::Pcx,
                      kGif = ImageFormat::Gif, kTga = ImageFormat::Tga;

INSTANTIATE_TEST_SUITE_P(
    ImageMagickFiles, DecoderFixture,
    ::testing::Values(Fixture{"bmp3_24.bmp", kBmp, 24, 0}, Fixture{"bmp3_8.bmp", kBmp, 8, 1},
                      Fixture{"bmp3_4.bmp", kBmp, 4, 2}, Fixture{"bmp3_1.bmp", kBmp, 1, 5},
                      Fixture{"bmp3_rle8.bmp", kRle, 8, 1}, Fixture{"os2_8.bmp", kOs2, 8, 1},
                      Fixture{"os2_24.bmp", kOs2, 24, 0}, Fixture{"pcx_1.pcx", kPcx, 1, 5},
                      Fixture{"pcx_8.pcx", kPcx, 8, 1}, Fixture{"pcx_24.pcx", kPcx, 24, 0},
                      // 256 colours; non-interlaced and interlaced.
                      Fixture{"gif_plain.gif", kGif, 8, 1},
                      Fixture{"gif_interlaced.gif", kGif, 8, 1},
                      // A 16-colour table under an 8-bit colour resolution
                      // stays 8 bits; a 4-colour table takes 4 bits; two
                      // colours keep the colour resolution's 8 bits.
                      Fixture{"gif_16.gif", kGif, 8, 1}, Fixture{"gif_4.gif", kGif, 4, 2},
                      Fixture{"gif_mono.gif", kGif, 8, 1}, Fixture{"gif_grey.gif", kGif, 8, 1},
                      Fixture{"tga_8.tga", kTga, 8, 1}, Fixture{"tga_8_rle.tga", kTga, 8, 1},
                      Fixture{"tga_24.tga", kTga, 24, 0}, Fixture{"tga_24_rle.tga", kTga, 24, 0},
                      Fixture{"tga_24_top.tga", kTga, 24, 0},
                      Fixture{"tga_24_rle_top.tga", kTga, 24, 0},
                      Fixture{"tga_24_top_right.tga", kTga, 24, 0},
                      Fixture{"tga_8_bottom_right.tga", kTga, 8, 1}));

INSTANTIATE_TEST_SUITE_P(HandBuiltFiles, DecoderFixture,
                         ::testing::Values(Fixture{"bmp_rle4.bmp", kRle, 4, 2},
                                           Fixture{"pcx_4plane.pcx", kPcx, 4, 2},
                                           // A 600-byte comment, an XMP block and a plain-text
                                           // block, each of several sub-blocks.
                                           Fixture{"gif_extensions.gif", kGif, 8, 1},
                                           // Codes go on after the table is full, without a clear.
                                           Fixture{"gif_deferred_clear.gif", kGif, 8, 1},
                                           // No colour table at all: black and white.
                                           Fixture{"gif_no_table.gif", kGif, 1, 5},
                                           Fixture{"gif_local_table.gif", kGif, 4, 2},
                                           // A 16-colour table needs 4 bits even under a one-bit
                                           // colour resolution.
                                           Fixture{"gif_16_resolution1.gif", kGif, 4, 2},
                                           Fixture{"gif_interlaced_row.gif", kGif, 8, 1}));

TEST(DecoderFixtures, GraphicControlTransparencyIsKept) {
    ImageLoader loader;
    ASSERT_TRUE(loader.load(test::fixturePath("gif_extensions.gif")));
    EXPECT_EQ(loader.transparentColour(), kTransparentFlag | 5u);
    ASSERT_TRUE(loader.load(test::fixturePath("gif_plain.gif")));
    EXPECT_EQ(loader.transparentColour(), 0u);
}

// Resolution: the Windows bitmap keeps the file's, PCX computes it from its
// dots per inch, the others get 75 dots per inch (2954 per metre).
TEST(DecoderFixtures, Resolution) {
    ImageLoader loader;
    ASSERT_TRUE(loader.load(test::fixturePath("bmp_rle4.bmp")));
    EXPECT_EQ(loader.picture().field(dib::kXPelsPerMeter), 2835u);
    ASSERT_TRUE(loader.load(test::fixturePath("pcx_4plane.pcx")));
    // 150 dpi x 39.37007874 + 0.5 = 5906.01, truncated.
    EXPECT_EQ(loader.picture().field(dib::kXPelsPerMeter), 5906u);
    EXPECT_EQ(loader.picture().field(dib::kYPelsPerMeter), 5906u);
    for (const char* name : {"gif_plain.gif", "tga_24.tga", "os2_8.bmp"}) {
        ASSERT_TRUE(loader.load(test::fixturePath(name)));
        EXPECT_EQ(loader.picture().field(dib::kXPelsPerMeter), 2954u) << name;
        EXPECT_EQ(loader.picture().field(dib::kYPelsPerMeter), 2954u) << name;
    }
}

// The packed picture's header, table and strides, on a 37-pixel-wide file.
TEST(DecoderFixtures, PackedPictureLayout) {
    ImageLoader loader;
    ASSERT_TRUE(loader.load(test::fixturePath("gif_4.gif")));
    const PackedDib& p = loader.picture();
    EXPECT_EQ(p.field(dib::kSize), 40u);
    EXPECT_EQ(p.field(dib::kWidth), 37u);
    EXPECT_EQ(p.field(dib::kHeight), 23u);
    EXPECT_EQ(p.field(dib::kPlanes) & 0xFFFF, 1u);
    EXPECT_EQ(p.field(dib::kCompression), 0u);
    // 37 pixels of 4 bits = 148 bits, padded to 160: 20 bytes a row.
    EXPECT_EQ(p.stride(), 20u);
    EXPECT_EQ(p.field(dib::kImageSize), 20u * 23u);
    EXPECT_EQ(p.colours(), 16u);
    EXPECT_EQ(p.size(), 40u + 16u * 4u + 20u * 23u);
    ASSERT_TRUE(loader.load(test::fixturePath("tga_24.tga")));
    // 37 x 3 = 111 bytes, padded to 112; no colour table.
    EXPECT_EQ(loader.picture().stride(), 112u);
    EXPECT_EQ(loader.picture().colours(), 0u);
    EXPECT_EQ(loader.picture().size(), 40u + 112u * 23u);
}

} // namespace
} // namespace gv
