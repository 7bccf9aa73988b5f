// JPEG and PNG through the loader: files written by ImageMagick decoded as
// ImageMagick decodes them, what their pixels carry (colour, greys, alpha),
// damaged files and sizes past the caps refused with a reason.
#include "imaging/image_loader.h"
#include "picture_builders.h"
#include "picture_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>

namespace gv {
namespace {

using test::Bytes;

struct PhotoFixture {
    const char* file;
    ImageFormat format;
    uint32_t bits;
    PictureChannels channels;
    // Largest channel difference allowed against ImageMagick's decoding.
    uint32_t tolerance;
};

void PrintTo(const PhotoFixture& f, std::ostream* os) {
    *os << f.file;
}

class PhotoDecoder : public ::testing::TestWithParam<PhotoFixture> {};

TEST_P(PhotoDecoder, DecodesAsImageMagickDoes) {
    const PhotoFixture& f = GetParam();
    const test::RgbPicture reference =
        test::readPpm(test::fixturePath(std::string(f.file) + ".ppm"));
    ASSERT_GT(reference.width, 0u) << "no reference picture";
    ImageLoader loader;
    ASSERT_TRUE(loader.load(test::fixturePath(f.file))) << loader.refusal();
    EXPECT_EQ(loader.format(), f.format);
    EXPECT_EQ(loader.picture().bits(), f.bits);
    EXPECT_EQ(loader.channels(), f.channels);
    EXPECT_TRUE(loader.refusal().empty());
    const test::RgbPicture decoded = test::pictureRgb(loader.picture());
    ASSERT_EQ(decoded.width, reference.width);
    ASSERT_EQ(decoded.height, reference.height);
    if (f.tolerance == 0)
        EXPECT_EQ(test::firstDifference(decoded, reference), "");
    else
        EXPECT_LE(test::largestDifference(decoded.rgb, reference.rgb), f.tolerance);
}

constexpr auto kJpeg = ImageFormat::Jpeg, kPng = ImageFormat::Png;
constexpr auto kColour = PictureChannels::Colour, kGrey = PictureChannels::Grey,
               kAlpha = PictureChannels::Alpha;

// ImageMagick decodes JPEG through the same library (the system's
// libjpeg-turbo) with the same accurate inverse DCT and smooth chroma
// upsampling, so the pictures agree exactly; the progressive one too. PNG is
// lossless: exact, and sixteen bits a channel come down to eight by rounding
// (v / 257), as ImageMagick's reference has them.
INSTANTIATE_TEST_SUITE_P(
    ImageMagickFiles, PhotoDecoder,
    ::testing::Values(PhotoFixture{"jpeg_grey.jpg", kJpeg, 8, kGrey, 0},
                      PhotoFixture{"jpeg_progressive.jpg", kJpeg, 8, kGrey, 0},
                      PhotoFixture{"jpeg_colour.jpg", kJpeg, 24, kColour, 0},
                      PhotoFixture{"jpeg_grey_in_colour.jpg", kJpeg, 24, kGrey, 0},
                      PhotoFixture{"png_16.png", kPng, 24, kColour, 0},
                      PhotoFixture{"png_grey.png", kPng, 8, kGrey, 0},
                      PhotoFixture{"png_grey_in_colour.png", kPng, 24, kGrey, 0},
                      PhotoFixture{"png_colour.png", kPng, 24, kColour, 0},
                      PhotoFixture{"png_palette.png", kPng, 24, kColour, 0},
                      PhotoFixture{"png_alpha.png", kPng, 32, kAlpha, 0},
                      PhotoFixture{"png_grey_alpha.png", kPng, 32, kAlpha, 0}));

// The alpha of pictures with transparency, against ImageMagick's PAM.
TEST(PhotoDecoders, AlphaIsKeptAsTheFourthByte) {
    for (const char* name : {"png_alpha.png", "png_grey_alpha.png"}) {
        const test::RgbaPicture reference =
            test::readPam(test::fixturePath(std::string(name) + ".pam"));
        ASSERT_GT(reference.width, 0u) << name;
        ImageLoader loader;
        ASSERT_TRUE(loader.load(test::fixturePath(name))) << name;
        const test::RgbaPicture decoded = test::pictureRgba(loader.picture());
        EXPECT_EQ(test::largestDifference(decoded.rgba, reference.rgba), 0u) << name;
        // Not one opacity throughout: the fixture's alpha is a gradient.
        uint32_t lo = 255, hi = 0;
        for (size_t i = 3; i < decoded.rgba.size(); i += 4) {
            lo = std::min<uint32_t>(lo, decoded.rgba[i]);
            hi = std::max<uint32_t>(hi, decoded.rgba[i]);
        }
        EXPECT_LT(lo, 20u) << name;
        EXPECT_GT(hi, 235u) << name;
    }
}

TEST(PhotoDecoders, RecognisedByContentAfterTheOtherFormats) {
    test::TempDir dir;
    ImageLoader loader;
    test::writeBytes(dir.file("clouds.gif"), test::fixtureBytes("png_grey.png"));
    ASSERT_TRUE(loader.load(dir.file("clouds.gif")));
    EXPECT_EQ(loader.format(), ImageFormat::Png);
    test::writeBytes(dir.file("clouds.png"), test::fixtureBytes("jpeg_colour.jpg"));
    ASSERT_TRUE(loader.load(dir.file("clouds.png")));
    EXPECT_EQ(loader.format(), ImageFormat::Jpeg);
    EXPECT_EQ(loader.width(), 37u);
    EXPECT_EQ(loader.picture().field(dib::kXPelsPerMeter), 2954u);
    // The older formats keep their colours, greys or not.
    ASSERT_TRUE(loader.load(test::fixturePath("gif_mono.gif")));
    EXPECT_EQ(loader.channels(), PictureChannels::Colour);
}

// --- damaged files and sizes past the caps -------------------------------

// A refused file leaves the loader's picture as it was and says why.
void expectRefused(const Bytes& bytes, const char* reasonStart, const char* reasonPart) {
    ImageLoader loader;
    ASSERT_TRUE(loader.load(test::fixturePath("gif_4.gif")));
    EXPECT_FALSE(loader.loadBytes(bytes));
    EXPECT_EQ(loader.refusal().rfind(reasonStart, 0), 0u) << loader.refusal();
    EXPECT_NE(loader.refusal().find(reasonPart), std::string::npos) << loader.refusal();
    EXPECT_EQ(loader.format(), ImageFormat::Gif);
    EXPECT_EQ(loader.width(), 37u);
    EXPECT_EQ(loader.channels(), PictureChannels::Colour);
}

TEST(PhotoDecoders, DamagedFilesAreRefused) {
    // Half the scan data: the library's warning refuses it, however much of
    // the picture it could show.
    expectRefused(test::fixtureBytes("jpeg_cut_in_half.jpg"), "JPEG: ", "end");
    // The image data's checksum does not match.
    expectRefused(test::fixtureBytes("png_bad_crc.png"), "PNG: ", "CRC");
    // A PNG cut in its image data, and one cut after it (no end chunk).
    Bytes png = test::fixtureBytes("png_colour.png");
    const char* cut = "a chunk runs past the end of the file, or there is no end chunk";
    expectRefused(Bytes(png.begin(), png.begin() + long(png.size() / 2)), "PNG: ", cut);
    expectRefused(Bytes(png.begin(), png.end() - 12), "PNG: ", cut);
    // Markers and signatures alone.
    expectRefused({0xFF, 0xD8, 0xFF}, "JPEG: ", "ends before the picture's size");
    expectRefused({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, "PNG: ", cut);
}

// Where the frame header (SOF0 or SOF2) of a JPEG gives its size.
size_t frameHeader(const Bytes& jpeg) {
    for (size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) return i;
    return 0;
}

Bytes withJpegSize(Bytes jpeg, uint32_t width, uint32_t height) {
    const size_t at = frameHeader(jpeg);
    EXPECT_NE(at, 0u);
    jpeg[at + 5] = uint8_t(height >> 8);
    jpeg[at + 6] = uint8_t(height);
    jpeg[at + 7] = uint8_t(width >> 8);
    jpeg[at + 8] = uint8_t(width);
    return jpeg;
}

uint32_t crc32(const uint8_t* p, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

// The PNG with another size in its header, the header's checksum made good.
Bytes withPngSize(Bytes png, uint32_t width, uint32_t height) {
    const auto be32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            png[at + size_t(i)] = uint8_t(v >> (24 - 8 * i));
    };
    be32(16, width);
    be32(20, height);
    be32(29, crc32(png.data() + 12, 17));
    return png;
}

// A chunk (type, data) with its length and checksum, put before the end chunk.
Bytes withChunkBeforeEnd(Bytes png, const char* type, const Bytes& data, uint32_t length) {
    Bytes chunk;
    for (int i = 0; i < 4; ++i)
        chunk.push_back(uint8_t(length >> (24 - 8 * i)));
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    const uint32_t crc = crc32(chunk.data() + 4, chunk.size() - 4);
    for (int i = 0; i < 4; ++i)
        chunk.push_back(uint8_t(crc >> (24 - 8 * i)));
    png.insert(png.end() - 12, chunk.begin(), chunk.end());
    return png;
}

TEST(PhotoDecoders, ChunksAreBoundByTheFileAndTextIsSkipped) {
    const Bytes png = test::fixtureBytes("png_colour.png");
    // A text chunk that claims a gigabyte: the library would allocate it.
    expectRefused(withChunkBeforeEnd(png, "tEXt", {'a', 0, 'b'}, 1067250469),
                  "PNG: ", "past the end");
    // Text, a colour profile that would not inflate, and a chunk no one
    // knows are skipped: the picture is the same.
    Bytes extra = withChunkBeforeEnd(png, "tEXt", Bytes(300, 'x'), 300);
    extra = withChunkBeforeEnd(extra, "iCCP", {'p', 0, 0, 1, 2, 3}, 6);
    extra = withChunkBeforeEnd(extra, "abCd", Bytes(40, 7), 40);
    ImageLoader plain, withExtra;
    ASSERT_TRUE(plain.loadBytes(png));
    ASSERT_TRUE(withExtra.loadBytes(extra)) << withExtra.refusal();
    EXPECT_EQ(test::firstDifference(test::pictureRgb(withExtra.picture()),
                                    test::pictureRgb(plain.picture())),
              "");
}

TEST(PhotoDecoders, SizesPastTheCapsAreRefusedBeforeDecoding) {
    const Bytes jpeg = test::fixtureBytes("jpeg_grey.jpg");
    // Over the side cap, and over the bytes cap within the side cap
    // (16384 x 16384 x 3 is 768 MiB).
    expectRefused(withJpegSize(jpeg, 20000, 100), "JPEG: ", "20000 x 100 is larger");
    expectRefused(withJpegSize(test::fixtureBytes("jpeg_colour.jpg"), 16384, 16384),
                  "JPEG: ", "larger");
    const Bytes png = test::fixtureBytes("png_alpha.png");
    // Over the side cap the library's own limit speaks first.
    expectRefused(withPngSize(png, 20000, 1), "PNG: ", "Invalid IHDR data");
    expectRefused(withPngSize(png, 16384, 16384), "PNG: ", "16384 x 16384 is larger");
    // The header check alone is sound: the same file at its own size decodes.
    ImageLoader loader;
    EXPECT_TRUE(loader.loadBytes(withPngSize(png, 37, 23)));
}

// A progressive JPEG is decoded through coefficients of the whole picture:
// 16384 x 9000 greys fit the picture cap (144 MiB) but their coefficients
// (2049 x 1126 blocks of 128 bytes, 282 MiB) do not. The same size as a
// baseline JPEG gets past the caps and fails only on its missing data.
TEST(PhotoDecoders, ProgressiveFramesCountTheirCoefficients) {
    const Bytes progressive = test::fixtureBytes("jpeg_progressive.jpg");
    ASSERT_EQ(progressive[frameHeader(progressive) + 1], 0xC2);
    expectRefused(withJpegSize(progressive, 16384, 9000), "JPEG: ", "16384 x 9000 is larger");
    ImageLoader loader;
    EXPECT_FALSE(loader.loadBytes(withJpegSize(test::fixtureBytes("jpeg_grey.jpg"), 16384, 9000)));
    EXPECT_EQ(loader.refusal().find("larger"), std::string::npos) << loader.refusal();
    // At its own size it decodes as the baseline one does.
    ASSERT_TRUE(loader.loadBytes(progressive));
    EXPECT_EQ(loader.channels(), PictureChannels::Grey);
}

} // namespace
} // namespace gv
