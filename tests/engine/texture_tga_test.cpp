#include "engine/bitmap.h"
#include "engine/display_device.h"
#include "engine/error_name.h"
#include "engine/recording_backend.h"
#include "engine/texture.h"
#include "engine/tga_image.h"
#include "tests/engine/test_images.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

using namespace gv;

namespace {

std::string tempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

std::vector<uint8_t> fileBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

struct TextureFixture : ::testing::Test {
    RecordingBackend* backend = nullptr;
    std::unique_ptr<DisplayDevice> device;
    void SetUp() override {
        auto b = std::make_unique<RecordingBackend>();
        backend = b.get();
        device =
            std::make_unique<DisplayDevice>(std::move(b), std::vector<platform::DisplayInfo>{}, 32);
    }
};

} // namespace

TEST(Tga, WriteThenReadGivesTheSameMemoryImage) {
    for (uint8_t depth : {8, 16, 24, 32}) {
        const uint16_t w = 3, h = 2; // odd width: no row padding in TGA
        std::vector<uint8_t> src(size_t(w) * h * depth / 8 + (depth == 8 ? 768 : 0));
        for (size_t i = 0; i < src.size(); ++i)
            src[i] = uint8_t(i * 7 + depth);
        TgaImage img;
        ASSERT_TRUE(img.setImage(w, h, depth, src.data()));
        const std::string path = tempPath("gv_engine_tga_roundtrip.tga");
        ASSERT_TRUE(img.write(path.c_str()));
        const auto bytes = fileBytes(path);
        ASSERT_EQ(bytes.size(), 18 + src.size()) << int(depth);
        EXPECT_EQ(bytes[2], 2);
        EXPECT_EQ(bytes[12], w);
        EXPECT_EQ(bytes[14], h);
        EXPECT_EQ(bytes[16], depth);
        EXPECT_EQ(bytes[17], depth == 32 ? 8 : 0);
        // The bottom row of the top-first buffer comes first in the file.
        const size_t row = size_t(w) * depth / 8;
        EXPECT_EQ(bytes[18], src[row]);
        EXPECT_EQ(bytes[18 + row], src[0]);
        TgaImage back;
        ASSERT_TRUE(back.read(path.c_str()));
        EXPECT_EQ(back.width(), w);
        EXPECT_EQ(back.height(), h);
        EXPECT_EQ(back.depth(), depth);
        EXPECT_EQ(back.pixels(), std::vector<uint8_t>(src.begin(), src.begin() + long(row * h)));
        if (depth == 8) {
            EXPECT_EQ(back.palette(), std::vector<uint8_t>(src.begin() + long(row * h), src.end()));
        }
        std::remove(path.c_str());
    }
}

TEST(Tga, RefusesOtherImageTypesAndShortFiles) {
    const uint8_t px[4 * 3] = {};
    TgaImage img;
    ASSERT_TRUE(img.setImage(2, 2, 24, px));
    const std::string path = tempPath("gv_engine_tga_bad.tga");
    ASSERT_TRUE(img.write(path.c_str()));
    auto bytes = fileBytes(path);

    auto rle = bytes;
    rle[2] = 10; // run-length encoded true colour
    writeBytes(path, rle);
    TgaImage a;
    EXPECT_FALSE(a.read(path.c_str()));
    EXPECT_EQ(a.width(), 0);
    EXPECT_TRUE(a.pixels().empty());

    auto odd = bytes;
    odd[16] = 15;
    writeBytes(path, odd);
    EXPECT_FALSE(a.read(path.c_str()));

    bytes.pop_back();
    writeBytes(path, bytes);
    EXPECT_FALSE(a.read(path.c_str()));
    EXPECT_TRUE(a.pixels().empty()); // no partial image
    EXPECT_EQ(a.header().imageType, 2);

    // A header that claims far more than the file holds is refused before
    // anything of that size is allocated.
    auto huge = fileBytes(path);
    huge[12] = huge[13] = huge[14] = huge[15] = 0xFF;
    huge[16] = 32;
    writeBytes(path, huge);
    EXPECT_FALSE(a.read(path.c_str()));

    EXPECT_FALSE(a.read("/nonexistent/dir/x.tga"));
    EXPECT_FALSE(img.setImage(2, 2, 12, px));
    img.release();
    EXPECT_EQ(img.width(), 0);
    EXPECT_EQ(img.header().imageType, 2);
    std::remove(path.c_str());
}

TEST(Tga, ReadsFromAnOffset) {
    const uint8_t px[2 * 3] = {1, 2, 3, 4, 5, 6};
    TgaImage img;
    ASSERT_TRUE(img.setImage(2, 1, 24, px));
    const std::string path = tempPath("gv_engine_tga_offset.tga");
    ASSERT_TRUE(img.write(path.c_str()));
    auto bytes = fileBytes(path);
    bytes.insert(bytes.begin(), {9, 9, 9, 9, 9});
    writeBytes(path, bytes);
    TgaImage back;
    ASSERT_TRUE(back.read(path.c_str(), 5));
    EXPECT_EQ(back.pixels(), std::vector<uint8_t>(px, px + 6));
    std::remove(path.c_str());
}

TEST(Tga, WritesTheHeaderOfTheImageItHoldsNotOfTheFileReadBefore) {
    // A file with an identification length, colour-map fields, origins and a
    // top-left descriptor, as other programs write them.
    const uint8_t px[2 * 2 * 4] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    std::vector<uint8_t> foreign = {5, 1, 2, 0, 0, 16, 0, 24, 7, 0, 9, 0, 2, 0, 2, 0, 32, 0x28};
    foreign.insert(foreign.end(), px, px + sizeof px);
    const std::string path = tempPath("gv_engine_tga_foreign.tga");
    writeBytes(path, foreign);
    TgaImage img;
    ASSERT_TRUE(img.read(path.c_str()));
    for (uint8_t depth : {24, 32}) {
        ASSERT_TRUE(img.setImage(2, 2, depth, px));
        ASSERT_TRUE(img.write(path.c_str()));
        const auto bytes = fileBytes(path);
        ASSERT_GE(bytes.size(), 18u);
        const std::vector<uint8_t> expected = {
            0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, depth, uint8_t(depth == 32 ? 8 : 0)};
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 18), expected) << int(depth);
        EXPECT_EQ(bytes.size(), 18u + 4u * depth / 8u);
    }
    // Read straight from the foreign file and written back unchanged.
    ASSERT_TRUE(img.read(path.c_str()));
    writeBytes(path, foreign);
    ASSERT_TRUE(img.read(path.c_str()));
    ASSERT_TRUE(img.write(path.c_str()));
    const auto bytes = fileBytes(path);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(bytes[5], 0);
    EXPECT_EQ(bytes[8], 0);
    EXPECT_EQ(bytes[10], 0);
    EXPECT_EQ(bytes[17], 8);
    std::remove(path.c_str());
}

TEST(PixelFormat, ChoiceOverTheOfferedFormats) {
    const PixelFormat display32{32, 0xFF0000, 0xFF00, 0xFF, 0};
    bool offered = false;
    // No alpha bits: the display's layout whatever depth was asked.
    EXPECT_EQ(chooseTextureFormat(display32, 16, 0, offered), display32);
    EXPECT_TRUE(offered);
    EXPECT_EQ(chooseTextureFormat(display32, 16, 1, offered).alphaMask, 0x8000u);
    EXPECT_EQ(chooseTextureFormat(display32, 16, 1, offered).redMask, 0x7C00u);
    EXPECT_EQ(chooseTextureFormat(display32, 16, 4, offered).alphaMask, 0xF000u);
    EXPECT_EQ(chooseTextureFormat(display32, 32, 8, offered).alphaMask, 0xFF000000u);
    EXPECT_TRUE(offered);
    // Nothing offers 16 bits with 8 alpha bits: passed on as asked.
    const PixelFormat odd = chooseTextureFormat(display32, 16, 8, offered);
    EXPECT_FALSE(offered);
    EXPECT_EQ(odd.bits, 16u);
    EXPECT_EQ(odd.alphaMask, 0xFF00u);
}

TEST_F(TextureFixture, NoAlphaSixteenBitRequestOnThirtyTwoBitDisplay) {
    const auto dib = test::makeDib8(2, 2, {{255, 255, 255}, {10, 20, 30}}, {0, 1, 1, 0});
    const auto bmp = parseDib(dib);
    ASSERT_TRUE(bmp.has_value());
    Texture t(*device);
    ASSERT_EQ(t.createFromBitmap("worldtex", *bmp, AlphaMode::None, 16, 0, 0.1f), kResultOk);
    EXPECT_EQ(t.format().bits, 32u);
    EXPECT_EQ(t.bits(), 8); // the source bitmap's depth
    EXPECT_EQ(t.pixel(1, 0), 0x000A141Eu);
    EXPECT_EQ(t.pixel(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(t.name(), "worldtex");
}

TEST_F(TextureFixture, ColourKeyMakesExactlyTheKeyTransparent) {
    // 4 x 4 sheet: key colour 0 on the border and at one inner pixel.
    const std::vector<uint8_t> idx = {0, 0, 0, 0, //
                                      0, 1, 0, 0, //
                                      0, 2, 1, 0, //
                                      0, 0, 0, 0};
    const auto bmp =
        parseDib(test::makeDib8(4, 4, {{255, 0, 255}, {255, 255, 255}, {0, 0, 0}}, idx));
    ASSERT_TRUE(bmp.has_value());
    Texture t(*device);
    ASSERT_EQ(t.createFromBitmap("font", *bmp, AlphaMode::ColorKey, 16, 1, 0.1f), kResultOk);
    ASSERT_EQ(t.format().alphaMask, 0x8000u);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 4; ++x) {
            const bool key = idx[y * 4 + x] == 0;
            EXPECT_EQ((t.pixel(x, y) & 0x8000u) == 0, key) << x << "," << y;
        }
    EXPECT_EQ(t.pixel(1, 2), 0x8000u); // black glyph pixel stays, opaque
    EXPECT_EQ(t.pixel(0, 0), 0x7C1Fu); // magenta key, alpha clear
    // The uploaded copy is the converted one.
    EXPECT_EQ(backend->textures[t.deviceId()], t.surface());
}

TEST_F(TextureFixture, BrightnessAlphaIsTheChannelMean) {
    const auto bmp =
        parseDib(test::makeDib8(3, 1, {{0, 0, 0}, {255, 255, 255}, {30, 60, 91}}, {0, 1, 2}));
    ASSERT_TRUE(bmp.has_value());
    Texture t(*device);
    ASSERT_EQ(t.createFromBitmap("glow1", *bmp, AlphaMode::Brightness, 32, 8, 0.1f), kResultOk);
    EXPECT_EQ(t.pixel(0, 0), 0x00000000u); // black: transparent
    EXPECT_EQ(t.pixel(1, 0), 0xFFFFFFFFu); // white: opaque
    EXPECT_EQ(t.pixel(2, 0), 0x3C1E3C5Bu); // (30 + 60 + 91) / 3 = 60
}

TEST_F(TextureFixture, NamesTooLongAreStoredEmptyAndUnofferedFormatsFail) {
    const auto bmp = parseDib(test::makeDib8(1, 1, {{1, 2, 3}}, {0}));
    ASSERT_TRUE(bmp.has_value());
    Texture t(*device);
    EXPECT_EQ(t.createFromBitmap(std::string(260, 'x').c_str(), *bmp, AlphaMode::None, 16, 0, 0.1f),
              kResultOk);
    EXPECT_EQ(t.name(), "");
    EXPECT_EQ(t.createFromBitmap(std::string(259, 'x').c_str(), *bmp, AlphaMode::None, 16, 0, 0.1f),
              kResultOk);
    EXPECT_EQ(t.name().size(), 259u);
    EXPECT_EQ(t.createFromBitmap("odd", *bmp, AlphaMode::None, 16, 8, 0.1f),
              kErrInvalidPixelFormat);
    EXPECT_EQ(t.deviceId(), 0u);
}

TEST_F(TextureFixture, FromPixelsKeepsAlphaAndRowPadding) {
    // 24-bit rows of 2 pixels are padded from 6 to 8 bytes.
    const uint8_t rgb[16] = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    Texture t(*device);
    EXPECT_EQ(t.createFromPixels(2, 2, 24, 8, rgb), kErrInvalidPixelFormat); // not offered
    ASSERT_EQ(t.createFromPixels(2, 2, 24, 0, rgb), kResultOk);
    EXPECT_EQ(t.pixel(1, 1), 0x000C0B0Au);
    const uint8_t bgra[8] = {10, 20, 30, 40, 50, 60, 70, 80};
    ASSERT_EQ(t.createFromPixelsRegistered(2, 1, 32, 8, bgra), kResultOk);
    EXPECT_EQ(t.pixel(0, 0), 0x281E140Au);
    EXPECT_EQ(t.pixel(1, 0), 0x50463C32u);
    EXPECT_EQ(device->registeredTextureCount(), 1u);
    ASSERT_EQ(t.createFromPixels(1, 1, 32, 4, bgra), kErrInvalidPixelFormat);
    // 16-bit 5-5-5 pixels into a 4-4-4-4 surface: no alpha comes with them.
    const uint8_t rgb555[4] = {0x00, 0x7C, 0xE0, 0x03}; // red, then green
    ASSERT_EQ(t.createFromPixels(2, 1, 16, 4, rgb555), kResultOk);
    EXPECT_EQ(t.pixel(0, 0), 0x0F00u);
    EXPECT_EQ(t.pixel(1, 0), 0x00F0u);
}

TEST_F(TextureFixture, UpdatePixelsKeepsTheTextureAndItsFormat) {
    // A 2 x 1 texture of 8-8-8-8 pixels, then new pixels for it: the same
    // object, size, format and registry entry, the new colours and alpha.
    const uint8_t first[8] = {10, 20, 30, 40, 50, 60, 70, 80};
    Texture t(*device);
    ASSERT_EQ(t.createFromPixelsRegistered(2, 1, 32, 8, first), kResultOk);
    const PixelFormat format = t.format();
    const uint8_t next[8] = {1, 2, 3, 255, 4, 5, 6, 0};
    ASSERT_EQ(t.updatePixels(next), kResultOk);
    EXPECT_EQ(t.pixel(0, 0), 0xFF030201u);
    EXPECT_EQ(t.pixel(1, 0), 0x00060504u);
    EXPECT_EQ(t.width(), 2u);
    EXPECT_EQ(t.format().alphaMask, format.alphaMask);
    EXPECT_EQ(device->registeredTextureCount(), 1u);
    EXPECT_NE(t.deviceId(), 0u);
    // The device holds the new pixels.
    ASSERT_EQ(backend->textures.count(t.deviceId()), 1u);
    EXPECT_EQ(backend->textures[t.deviceId()][3], 255);
    // Nothing to update in a released texture, nor from no pixels.
    EXPECT_NE(t.updatePixels(nullptr), kResultOk);
    t.release();
    EXPECT_NE(t.updatePixels(next), kResultOk);
}

TEST(Tga, FileBytesAreWhatWriteWrites) {
    const uint8_t px[3 * 2 * 4] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                                   13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24};
    TgaImage img;
    ASSERT_TRUE(img.setImage(3, 2, 32, px));
    const std::string path = tempPath("gv_engine_tga_bytes.tga");
    ASSERT_TRUE(img.write(path.c_str()));
    const std::vector<uint8_t> bytes = img.fileBytes();
    EXPECT_EQ(bytes, fileBytes(path));
    // Rows last to first: the second memory row comes right after the header.
    ASSERT_EQ(bytes.size(), 18u + 24u);
    EXPECT_EQ(bytes[18], 13);
    EXPECT_EQ(bytes[18 + 12], 1);
    std::remove(path.c_str());
}

TEST(Dib, ParsesPalettesAndRefusesDamage) {
    auto dib = test::makeDib8(3, 2, {{10, 20, 30}, {40, 50, 60}}, {0, 1, 0, 1, 1, 0});
    auto bmp = parseDib(dib);
    ASSERT_TRUE(bmp.has_value());
    EXPECT_EQ(bmp->width, 3u);
    EXPECT_EQ(bmp->height, 2u);
    EXPECT_EQ(bmp->rgb[3], 40); // top row, second pixel
    EXPECT_EQ(bmp->rgb[9], 40); // bottom row, first pixel
    EXPECT_FALSE(parseDib(std::vector<uint8_t>(dib.begin(), dib.end() - 1)).has_value());
    auto bad = dib;
    bad[14] = 4; // 4 bits per pixel
    EXPECT_FALSE(parseDib(bad).has_value());
    bad = dib;
    bad[16] = 1; // run-length encoded
    EXPECT_FALSE(parseDib(bad).has_value());
    bad = dib;
    bad[32] = 0x01;
    bad[33] = 0x01; // 257 palette entries
    EXPECT_FALSE(parseDib(bad).has_value());
    bad = dib;
    bad[7] = 0x7F; // enormous width
    EXPECT_FALSE(parseDib(bad).has_value());
    // Top-down rows (negative height) read the same picture.
    auto topDown = dib;
    topDown[8] = 0xFE;
    topDown[9] = topDown[10] = topDown[11] = 0xFF;
    auto td = parseDib(topDown);
    ASSERT_TRUE(td.has_value());
    EXPECT_EQ(td->rgb[0], bmp->rgb[9]);
}

TEST(Dib, CaptureBitmapRoundsTheWidthDown) {
    Bitmap b;
    b.width = 1022;
    b.height = 2;
    b.rgb.assign(size_t(1022) * 2 * 3, 0);
    b.rgb[0] = 200; // top-left red
    const auto px = captureBitmap(b, 24);
    EXPECT_EQ(px.size(), size_t(1020) * 2 * 3);
    EXPECT_EQ(px[1020 * 3 + 2], 200); // rows bottom first: top row is second
    EXPECT_EQ(captureBitmap(b, 32).size(), size_t(1020) * 2 * 4);
    EXPECT_TRUE(captureBitmap(b, 16).empty());
}
