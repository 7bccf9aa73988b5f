// The decoders on files cut short and on files whose fields lie: a clean
// refusal or a partial picture, never a read outside the file. Expected
// pixels by hand from the bytes written.
#include "imaging/bmp_decoder.h"
#include "imaging/gif_decoder.h"
#include "imaging/image_loader.h"
#include "imaging/pcx_decoder.h"
#include "imaging/tga_decoder.h"
#include "picture_builders.h"
#include "picture_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace gv {
namespace {

using test::Bytes;

// Index of a pixel in an 8- or 4-bit picture, x from the left, y from the top.
uint32_t indexAt(const PackedDib& p, uint32_t x, uint32_t y) {
    const uint8_t* row = p.row(p.height() - 1 - y);
    if (p.bits() == 8) return row[x];
    if (p.bits() == 4) return (x & 1) ? row[x / 2] & 15 : row[x / 2] >> 4;
    return (row[x / 8] >> (7 - x % 8)) & 1;
}

bool decodes(bool (*decode)(std::span<const uint8_t>, DecodedImage&), const Bytes& file,
             DecodedImage& out) {
    return decode(std::span<const uint8_t>(file.data(), file.size()), out);
}

// --- files cut short ------------------------------------------------------

struct Cut {
    const char* file;
    bool refused; // true: a shortened file is refused as a whole
};

class TruncatedFile : public ::testing::TestWithParam<Cut> {};

// Rows the file still holds match the whole file's decoding, the others
// are 0, but for the one row the data ended in.
TEST_P(TruncatedFile, DecodesAsFarAsItsDataGoes) {
    const Bytes whole = test::fixtureBytes(GetParam().file);
    ASSERT_GT(whole.size(), 150u);
    ImageLoader full;
    ASSERT_TRUE(full.loadBytes(whole));
    // Headers alone, or less, are never a picture.
    for (size_t n : {size_t(0), size_t(1), size_t(5), size_t(13), size_t(17)}) {
        ImageLoader l;
        EXPECT_FALSE(l.loadBytes(std::span<const uint8_t>(whole.data(), n))) << n;
    }
    for (size_t n = whole.size() / 2; n < whole.size(); n += whole.size() / 7) {
        ImageLoader cut;
        const bool ok = cut.loadBytes(std::span<const uint8_t>(whole.data(), n));
        if (GetParam().refused) {
            EXPECT_FALSE(ok) << n;
            continue;
        }
        ASSERT_TRUE(ok) << n;
        EXPECT_EQ(cut.width(), full.width());
        EXPECT_EQ(cut.height(), full.height());
        EXPECT_EQ(cut.format(), full.format());
        const PackedDib &a = cut.picture(), &b = full.picture();
        uint32_t partial = 0, blank = 0;
        for (uint32_t y = 0; y < a.height(); ++y) {
            const uint8_t *ra = a.row(y), *rb = b.row(y);
            bool same = true, zero = true;
            // The picture's own columns, not the row padding.
            const size_t used = (size_t(a.width()) * a.bits() + 7) / 8;
            for (size_t i = 0; i < used; ++i) {
                same = same && ra[i] == rb[i];
                zero = zero && ra[i] == 0;
            }
            if (!same && zero) ++blank;
            if (!same && !zero) ++partial;
        }
        EXPECT_LE(partial, 1u) << n;
        EXPECT_GT(blank + partial, 0u) << n;
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryFormat, TruncatedFile,
    ::testing::Values(Cut{"bmp3_24.bmp", false}, Cut{"bmp3_8.bmp", false},
                      Cut{"bmp3_rle8.bmp", false}, Cut{"bmp_rle4.bmp", false},
                      Cut{"os2_24.bmp", false}, Cut{"pcx_24.pcx", false},
                      Cut{"pcx_4plane.pcx", false}, Cut{"gif_plain.gif", false},
                      Cut{"gif_interlaced.gif", false}, Cut{"gif_deferred_clear.gif", false},
                      Cut{"tga_24_rle.tga", false}, Cut{"tga_8_rle.tga", false},
                      Cut{"tga_24.tga", true}, Cut{"tga_8.tga", true}));

TEST(TruncatedFile, Os2BitmapKeepsTheRowsItHolds) {
    // The pixel area cut after its first 10 rows: they are there (the
    // bottom ones), the 13 above are 0.
    const Bytes whole = test::fixtureBytes("os2_24.bmp");
    ImageLoader full, cut;
    ASSERT_TRUE(full.loadBytes(whole));
    const size_t stride = full.picture().stride(); // 112 for 37 pixels
    ASSERT_EQ(stride, 112u);
    const size_t pixelsAt = 26; // no table for 24 bits
    ASSERT_TRUE(cut.loadBytes(std::span<const uint8_t>(whole.data(), pixelsAt + 10 * stride)));
    EXPECT_EQ(cut.format(), ImageFormat::Os2Bitmap);
    for (uint32_t y = 0; y < 23; ++y)
        for (size_t i = 0; i < stride; ++i)
            ASSERT_EQ(cut.picture().row(y)[i], y < 10 ? full.picture().row(y)[i] : 0) << y;
}

// --- Windows bitmaps ------------------------------------------------------

TEST(BmpDecoder, RefusesOtherHeadersAndCompressions) {
    DecodedImage out;
    Bytes rgb = test::bmpFile(2, 2, 24, 0, {}, Bytes(16, 0));
    EXPECT_TRUE(decodes(decodeBmp, rgb, out));
    Bytes v5 = rgb;
    v5[14] = 124; // a version 5 header
    EXPECT_FALSE(decodes(decodeBmp, v5, out));
    EXPECT_FALSE(decodes(decodeBmp, test::bmpFile(2, 2, 32, 3, {}, Bytes(16, 0)), out));
    EXPECT_FALSE(decodes(decodeBmp, test::bmpFile(2, 2, 4, 1, {0, 0}, Bytes(8, 0)), out));
    EXPECT_FALSE(decodes(decodeBmp, test::bmpFile(2, 2, 8, 2, {0, 0}, Bytes(8, 0)), out));
    EXPECT_FALSE(decodes(decodeBmp, test::bmpFile(0, 2, 24, 0, {}, Bytes(16, 0)), out));
    EXPECT_FALSE(decodes(decodeBmp, test::bmpFile(2, 0, 24, 0, {}, Bytes(16, 0)), out));
    EXPECT_FALSE(decodes(decodeBmp, test::bmpFile(-2, 2, 24, 0, {}, Bytes(16, 0)), out));
    Bytes notBm = rgb;
    notBm[1] = 'A';
    EXPECT_FALSE(decodes(decodeBmp, notBm, out));
}

TEST(BmpDecoder, SizesAreCappedBeforeAnythingIsAllocated) {
    DecodedImage out;
    // 16385 wide: above the side cap.
    EXPECT_FALSE(decodes(decodeBmp, test::bmpFile(16385, 1, 8, 0, {0}, Bytes(4, 0)), out));
    // 16384 x 16384 of 24 bits is 768 MiB: above the block cap.
    EXPECT_FALSE(decodes(decodeBmp, test::bmpFile(16384, 16384, 24, 0, {}, Bytes(4, 0)), out));
    // 16384 x 16384 of 1 bit is 32 MiB: taken, all but the bytes given 0.
    ASSERT_TRUE(decodes(decodeBmp, test::bmpFile(16384, 16384, 1, 0, {0, 0xFFFFFF}, {0xFF}), out));
    EXPECT_EQ(out.picture.width(), 16384u);
    EXPECT_EQ(out.picture.row(0)[0], 0xFF);
    EXPECT_EQ(out.picture.row(0)[1], 0);
    // A height of -2^31 has no positive counterpart.
    EXPECT_FALSE(decodes(decodeBmp, test::bmpFile(1, INT32_MIN, 24, 0, {}, Bytes(4, 0)), out));
}

TEST(BmpDecoder, TopDownFileIsTurnedRightWayUp) {
    // Height -2: the first row in the file is the top one.
    const Bytes file = test::bmpFile(1, -2, 24, 0, {}, {1, 2, 3, 0, 4, 5, 6, 0});
    DecodedImage out;
    ASSERT_TRUE(decodes(decodeBmp, file, out));
    EXPECT_EQ(out.picture.height(), 2u);
    EXPECT_EQ(out.picture.row(1)[0], 1); // top row
    EXPECT_EQ(out.picture.row(0)[0], 4);
}

TEST(BmpDecoder, RunLengthMovesAreClippedToThePicture) {
    // 4 x 3, 8 bits. A delta of 200 right and 0 up stops at the last
    // column; writes run on into the next row; a delta of 9 up stops at the
    // top row; what passes the top is dropped.
    const Bytes data = {0, 2, 200, 0, // a delta far right: column 3 of row 0
                        3, 7,         // column 3, then on at the start of row 1: columns 0, 1
                        0, 0,         // end of row: row 2
                        0, 2, 1,   9, // one right, nine up: the top row (2), column 1
                        5, 9,         // columns 1, 2, 3, then past the top: dropped
                        0, 0, 2,   8, // end of row (past the top), a run that goes nowhere
                        0, 1};
    const Bytes file = test::bmpFile(4, 3, 8, 1, std::vector<uint32_t>(10, 0), data);
    DecodedImage out;
    ASSERT_TRUE(decodes(decodeBmp, file, out));
    const PackedDib& p = out.picture;
    EXPECT_EQ(out.format, ImageFormat::RunLengthBitmap);
    EXPECT_EQ(p.field(dib::kCompression), 0u);
    // Rows as one reads them, top first.
    const uint32_t expected[3][4] = {{0, 9, 9, 9}, {7, 7, 0, 0}, {0, 0, 0, 7}};
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            EXPECT_EQ(indexAt(p, x, y), expected[y][x]) << x << ", " << y;
}

// --- PCX --------------------------------------------------------------------

TEST(PcxDecoder, ShortLinesAndLongRuns) {
    // 6 pixels wide, but 4 bytes a line: columns 4 and 5 stay 0. A run of
    // 10 in a 4-byte line is cut at the line's end; the next line starts
    // with the byte after the run.
    Bytes file = test::pcxHeader(6, 2, 8, 1, 4);
    const Bytes lines = {0xC0 + 10, 5, 1, 2, 3, 4};
    file.insert(file.end(), lines.begin(), lines.end());
    file.push_back(12); // palette marker, then 768 bytes
    for (int i = 0; i < 256; ++i)
        file.insert(file.end(), {uint8_t(i), 0, 0});
    DecodedImage out;
    ASSERT_TRUE(decodes(decodePcx, file, out));
    const PackedDib& p = out.picture;
    EXPECT_EQ(p.width(), 6u);
    EXPECT_EQ(p.bits(), 8u);
    const uint32_t top[6] = {5, 5, 5, 5, 0, 0}, bottom[6] = {1, 2, 3, 4, 0, 0};
    for (uint32_t x = 0; x < 6; ++x) {
        EXPECT_EQ(indexAt(p, x, 0), top[x]) << x;
        EXPECT_EQ(indexAt(p, x, 1), bottom[x]) << x;
    }
    // The palette follows the marker after the image data: entry i is red i.
    EXPECT_EQ(p.colour(5), 0x050000u);
    EXPECT_EQ(p.colour(255), 0xFF0000u);
}

TEST(PcxDecoder, HeaderChecksAndOtherLayouts) {
    DecodedImage out;
    Bytes file = test::pcxHeader(4, 4, 8, 1, 4);
    file.resize(128 + 16, 0x01);
    EXPECT_TRUE(decodes(decodePcx, file, out));
    Bytes notPcx = file;
    notPcx[0] = 11;
    EXPECT_FALSE(decodes(decodePcx, notPcx, out));
    Bytes plain = file;
    plain[2] = 0; // encoding must be 1
    EXPECT_FALSE(decodes(decodePcx, plain, out));
    Bytes backwards = file;
    backwards[8] = 0; // x max below x min
    backwards[4] = 5;
    EXPECT_FALSE(decodes(decodePcx, backwards, out));
    // Two planes of 1 bit: taken, but blank.
    Bytes twoPlanes = test::pcxHeader(4, 4, 1, 2, 2);
    twoPlanes.resize(128 + 16, 0xFF);
    ASSERT_TRUE(decodes(decodePcx, twoPlanes, out));
    for (size_t i = 0; i < out.picture.pixelBytes(); ++i)
        ASSERT_EQ(out.picture.pixels()[i], 0);
    // No bytes a line: no pixels, and no endless loop.
    Bytes empty = test::pcxHeader(4, 4, 8, 1, 0);
    ASSERT_TRUE(decodes(decodePcx, empty, out));
}

// --- GIF ------------------------------------------------------------------

// Minimum code size 2: clear 4, end 5, codes of 3 bits while the table is
// below 8 entries.
const std::vector<uint32_t> kFour = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};

TEST(GifDecoder, CodeThatRepeatsItsOwnString) {
    // Codes: clear, 1, 6 (the entry being made: "1" + its first index
    // "1"), end: pixels 1, 1, 1; the fourth stays 0.
    const Bytes file =
        test::gifFile(4, 1, 0xF1, kFour, 2, test::gifCodes({{4, 3}, {1, 3}, {6, 3}, {5, 3}}));
    DecodedImage out;
    ASSERT_TRUE(decodes(decodeGif, file, out));
    const PackedDib& p = out.picture;
    EXPECT_EQ(p.bits(), 4u); // 4 colours
    EXPECT_EQ(indexAt(p, 0, 0), 1u);
    EXPECT_EQ(indexAt(p, 1, 0), 1u);
    EXPECT_EQ(indexAt(p, 2, 0), 1u);
    EXPECT_EQ(indexAt(p, 3, 0), 0u);
}

TEST(GifDecoder, CodesTheTableCannotHoldEndTheData) {
    // clear, 2, then 7 while the next free entry is 6: decoding ends.
    DecodedImage out;
    ASSERT_TRUE(decodes(
        decodeGif,
        test::gifFile(3, 1, 0xF1, kFour, 2, test::gifCodes({{4, 3}, {2, 3}, {7, 3}, {3, 3}})),
        out));
    EXPECT_EQ(indexAt(out.picture, 0, 0), 2u);
    EXPECT_EQ(indexAt(out.picture, 1, 0), 0u);
    // After a clear, a first code that is no plain index refers to nothing.
    ASSERT_TRUE(decodes(
        decodeGif,
        test::gifFile(3, 1, 0xF1, kFour, 2, test::gifCodes({{4, 3}, {6, 3}, {1, 3}, {5, 3}})),
        out));
    EXPECT_EQ(indexAt(out.picture, 0, 0), 0u);
    EXPECT_EQ(indexAt(out.picture, 1, 0), 0u);
}

TEST(GifDecoder, MinimumCodeSizeOutsideTwoToEightIsRefused) {
    DecodedImage out;
    for (uint8_t m : {0, 1, 9, 12})
        EXPECT_FALSE(
            decodes(decodeGif, test::gifFile(2, 1, 0xF1, kFour, m, test::gifCodes({{0, 3}})), out))
            << int(m);
    EXPECT_TRUE(decodes(decodeGif, test::gifFile(2, 1, 0xF1, kFour, 8, test::gifCodes({})), out));
}

TEST(GifDecoder, IndicesPastTheTableAreBlack) {
    // A 4-entry table (4 bits a pixel) and indices 3, 6 and 9 under a
    // minimum code size of 4 (clear 16, end 17, codes of 5 bits): 6 and 9
    // have no table entry, and entries 4..15 are black.
    const Bytes codes = test::gifCodes({{16, 5}, {3, 5}, {6, 5}, {9, 5}, {17, 5}});
    DecodedImage out;
    ASSERT_TRUE(decodes(decodeGif, test::gifFile(3, 1, 0xF1, kFour, 4, codes), out));
    const PackedDib& p = out.picture;
    EXPECT_EQ(p.colour(indexAt(p, 0, 0)), 0x0000FFu);
    EXPECT_EQ(p.colour(indexAt(p, 1, 0)), 0u);
    EXPECT_EQ(p.colour(indexAt(p, 2, 0)), 0u);
    // A 2-entry table under an 8-bit resolution: 8 bits a pixel, and the
    // indices past the 2 entries read black too.
    ASSERT_TRUE(decodes(decodeGif, test::gifFile(3, 1, 0xF0, {0xFFFFFF, 0x808080}, 4, codes), out));
    EXPECT_EQ(out.picture.bits(), 8u);
    for (uint32_t x = 0; x < 3; ++x)
        EXPECT_EQ(out.picture.colour(indexAt(out.picture, x, 0)), 0u);
}

TEST(GifDecoder, DepthFromColourResolutionAndTables) {
    DecodedImage out;
    const Bytes none = test::gifCodes({{4, 3}, {1, 3}, {5, 3}});
    // No table, colour resolution 8: 8 bits, entries 0 and 1 black and white.
    ASSERT_TRUE(decodes(decodeGif, test::gifFile(1, 1, 0x70, {}, 2, none), out));
    EXPECT_EQ(out.picture.bits(), 8u);
    EXPECT_EQ(out.picture.colour(0), 0x000000u);
    EXPECT_EQ(out.picture.colour(1), 0xFFFFFFu);
    EXPECT_EQ(out.picture.colour(2), 0x000000u);
    // Colour resolution 3 (none of 1, 4, 8) counts as 8.
    ASSERT_TRUE(decodes(decodeGif, test::gifFile(1, 1, 0x20, {}, 2, none), out));
    EXPECT_EQ(out.picture.bits(), 8u);
    // Colour resolution 4 with no table: 4 bits.
    ASSERT_TRUE(decodes(decodeGif, test::gifFile(1, 1, 0x30, {}, 2, none), out));
    EXPECT_EQ(out.picture.bits(), 4u);
    // Two colours under resolution 1: one bit.
    ASSERT_TRUE(decodes(decodeGif, test::gifFile(1, 1, 0x80, {0x102030, 0x405060}, 2, none), out));
    EXPECT_EQ(out.picture.bits(), 1u);
    EXPECT_EQ(out.picture.colour(1), 0x405060u);
}

TEST(GifDecoder, RefusesWhatIsNoPicture) {
    DecodedImage out;
    const Bytes good = test::gifFile(1, 1, 0x80, {0, 0xFFFFFF}, 2, test::gifCodes({{4, 3}}));
    ASSERT_TRUE(decodes(decodeGif, good, out));
    Bytes version = good;
    version[4] = '8'; // "GIF88a"
    EXPECT_FALSE(decodes(decodeGif, version, out));
    Bytes noImage = good;
    noImage[19] = ';'; // the descriptor's ',' replaced
    EXPECT_FALSE(decodes(decodeGif, noImage, out));
    // A global table longer than the file.
    Bytes cut(good.begin(), good.begin() + 16);
    EXPECT_FALSE(decodes(decodeGif, cut, out));
    // An extension whose sub-blocks run past the end.
    Bytes ext(good.begin(), good.begin() + 19);
    ext.insert(ext.end(), {'!', 0xFE, 200, 'x'});
    EXPECT_FALSE(decodes(decodeGif, ext, out));
    // Zero width.
    EXPECT_FALSE(decodes(decodeGif, test::gifFile(0, 1, 0x80, {0, 0}, 2, {}), out));
}

// --- TGA --------------------------------------------------------------------

TEST(TgaDecoder, ColourMapBeyondItsLengthAndPastTheFile) {
    // 300 map entries: the first 256 are the palette; the pixels follow
    // all 300. Pixel 255 is the last entry kept.
    test::Bytes file = test::tgaHeader(1, 1, 300, 24, 2, 1, 8, 0);
    for (int i = 0; i < 300; ++i)
        file.insert(file.end(), {uint8_t(i % 256), 7, uint8_t(i / 256)});
    file.insert(file.end(), {255, 3});
    DecodedImage out;
    ASSERT_TRUE(decodes(decodeTga, file, out));
    EXPECT_EQ(out.picture.colour(3), 0x000703u);
    EXPECT_EQ(out.picture.colour(255), 0x0007FFu);
    EXPECT_EQ(indexAt(out.picture, 0, 0), 255u);
    EXPECT_EQ(indexAt(out.picture, 1, 0), 3u);
}

TEST(TgaDecoder, RefusesMismatchedFields) {
    DecodedImage out;
    const Bytes px(12, 1);
    auto with = [&](Bytes h) {
        h.insert(h.end(), px.begin(), px.end());
        return h;
    };
    EXPECT_TRUE(decodes(decodeTga, with(test::tgaHeader(0, 2, 0, 0, 2, 2, 24, 0)), out));
    // True colour of 8 bits, or index pictures of 24, would write three
    // bytes into a one-byte pixel or the other way round.
    EXPECT_FALSE(decodes(decodeTga, with(test::tgaHeader(0, 2, 0, 0, 2, 2, 8, 0)), out));
    EXPECT_FALSE(decodes(decodeTga, with(test::tgaHeader(0, 1, 0, 0, 2, 2, 24, 0)), out));
    EXPECT_FALSE(decodes(decodeTga, with(test::tgaHeader(0, 3, 0, 0, 2, 2, 8, 0)), out));
    EXPECT_FALSE(decodes(decodeTga, with(test::tgaHeader(2, 2, 0, 0, 2, 2, 24, 0)), out));
    EXPECT_FALSE(decodes(decodeTga, with(test::tgaHeader(0, 2, 0, 16, 2, 2, 24, 0)), out));
    EXPECT_FALSE(decodes(decodeTga, with(test::tgaHeader(0, 2, 0, 0, 0, 2, 24, 0)), out));
    EXPECT_FALSE(decodes(decodeTga, with(test::tgaHeader(0, 2, 0, 0, 2, 2, 32, 0)), out));
}

TEST(TgaDecoder, RunLengthPacketsCrossRows) {
    // 2 x 2, 24 bits, top row first: one packet repeating blue three times,
    // then a literal of one red pixel.
    Bytes file = test::tgaHeader(0, 10, 0, 0, 2, 2, 24, 0x20);
    file.insert(file.end(), {0x82, 255, 0, 0, 0x00, 0, 0, 255});
    DecodedImage out;
    ASSERT_TRUE(decodes(decodeTga, file, out));
    const PackedDib& p = out.picture;
    EXPECT_EQ(p.row(1)[0], 255); // top left blue
    EXPECT_EQ(p.row(1)[3], 255); // top right blue
    EXPECT_EQ(p.row(0)[0], 255); // bottom left blue
    EXPECT_EQ(p.row(0)[5], 255); // bottom right red
    EXPECT_EQ(p.row(0)[3], 0);
}

// --- the loader -------------------------------------------------------------

TEST(ImageLoader, ReadsFilesByContentAndKeepsThePictureOnFailure) {
    test::TempDir dir;
    ImageLoader loader;
    EXPECT_EQ(loader.format(), ImageFormat::None);
    EXPECT_EQ(loader.width(), 0u);
    EXPECT_FALSE(loader.load(""));
    EXPECT_FALSE(loader.load(dir.file("missing.gif")));
    test::writeBytes(dir.file("empty.gif"), {});
    EXPECT_FALSE(loader.load(dir.file("empty.gif")));
    // A GIF under a bitmap's name is a GIF.
    test::writeBytes(dir.file("clouds.bmp"), test::fixtureBytes("gif_extensions.gif"));
    ASSERT_TRUE(loader.load(dir.file("clouds.bmp")));
    EXPECT_EQ(loader.format(), ImageFormat::Gif);
    EXPECT_EQ(loader.transparentColour(), kTransparentFlag | 5u);
    // Text is no picture: the GIF, its format and its transparency stay.
    test::writeBytes(dir.file("page.html"), {'<', 'h', 't', 'm', 'l', '>', '\n', 0, 0, 0, 0, 0,
                                             0,   0,   0,   0,   0,   0,   0,    0, 0, 0, 0});
    EXPECT_FALSE(loader.load(dir.file("page.html")));
    EXPECT_EQ(loader.format(), ImageFormat::Gif);
    EXPECT_EQ(loader.transparentColour(), kTransparentFlag | 5u);
    EXPECT_EQ(loader.width(), 17u);
    loader.reset();
    EXPECT_EQ(loader.format(), ImageFormat::None);
    EXPECT_EQ(loader.width(), 0u);
    EXPECT_TRUE(loader.picture().empty());
}

} // namespace
} // namespace gv
