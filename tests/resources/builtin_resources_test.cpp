#include "resources/builtin_resources.h"

#include "formats/file_bytes.h"
#include "tests/resources/resource_views.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace gv {
namespace {

using platform::findResource;

struct Expected {
    std::string_view type;
    uint32_t id;
    const char* file; // under resources/
    std::size_t skip; // leading bytes of the file that are not embedded
};

// The .bmp files carry a 14-byte file header that a bitmap resource lacks.
constexpr Expected kExpected[] = {
    {"BITMAP", 104, "bitmaps/104_sun.bmp", 14},
    {"BITMAP", 105, "bitmaps/105_moon.bmp", 14},
    {"BITMAP", 107, "bitmaps/107_main_font.bmp", 14},
    {"BITMAP", 111, "bitmaps/111_earth.bmp", 14},
    {"BITMAP", 112, "bitmaps/112_earth.bmp", 14},
    {"BITMAP", 113, "bitmaps/113_earth.bmp", 14},
    {"BITMAP", 114, "bitmaps/114_earth.bmp", 14},
    {"BITMAP", 115, "bitmaps/115_earth.bmp", 14},
    {"BITMAP", 116, "bitmaps/116_earth.bmp", 14},
    {"BITMAP", 117, "bitmaps/117_earth.bmp", 14},
    {"BITMAP", 118, "bitmaps/118_earth.bmp", 14},
    {"BITMAP", 121, "bitmaps/121_glow.bmp", 14},
    {"BITMAP", 122, "bitmaps/122_halo.bmp", 14},
    {"BITMAP", 123, "bitmaps/123_halo.bmp", 14},
    {"BITMAP", 124, "bitmaps/124_halo.bmp", 14},
    {"BITMAP", 134, "bitmaps/134_key_hints_font.bmp", 14},
    {"BITMAP", 138, "bitmaps/138_sunflare.bmp", 14},
    {"BITMAP", 151, "bitmaps/151_night.bmp", 14},
    {"BITMAP", 152, "bitmaps/152_night.bmp", 14},
    {"BITMAP", 153, "bitmaps/153_night.bmp", 14},
    {"BITMAP", 154, "bitmaps/154_night.bmp", 14},
    {"BITMAP", 155, "bitmaps/155_night.bmp", 14},
    {"BITMAP", 156, "bitmaps/156_night.bmp", 14},
    {"BITMAP", 157, "bitmaps/157_night.bmp", 14},
    {"BITMAP", 158, "bitmaps/158_night.bmp", 14},
    {"BINARY", 108, "fonts/108_main.pyxf", 0},
    {"BINARY", 135, "fonts/135_key_hints.pyxf", 0},
    {"BINARY", 128, "cities/geovista.loc", 0},
    {"RCDATA", 101, "cities/geovista.loc", 0},
    {"ICON", 32512, "icons/geovista-32.png", 0},
};

class BuiltinResources : public ::testing::Test {
  protected:
    void SetUp() override { resources::registerBuiltinResources(); }
    void TearDown() override { platform::setResourceTable({}); }
};

TEST_F(BuiltinResources, EveryResourceIsFoundByTypeAndIdAndHoldsItsFile) {
    EXPECT_EQ(resources::builtinResourceTable().size(), std::size(kExpected));
    for (const Expected& e : kExpected) {
        SCOPED_TRACE(std::string(e.type) + " " + std::to_string(e.id));
        const auto bytes = findResource(e.type, e.id);
        ASSERT_FALSE(bytes.empty());
        const auto file = readFileBytes(std::string(GV_RESOURCES_DIR) + "/" + e.file).bytes;
        ASSERT_GT(file.size(), e.skip) << e.file;
        EXPECT_TRUE(
            std::equal(bytes.begin(), bytes.end(), file.begin() + long(e.skip), file.end()));
    }
}

TEST_F(BuiltinResources, LookupNeedsBothTypeAndId) {
    EXPECT_TRUE(findResource("BITMAP", 108).empty()); // 108 is font metrics
    EXPECT_TRUE(findResource("BINARY", 107).empty()); // 107 is the sheet
    EXPECT_TRUE(findResource("BINARY", 101).empty()); // 101 is the editor's raw data
    EXPECT_TRUE(findResource("BITMAP", 119).empty());
    EXPECT_TRUE(findResource("bitmap", 104).empty());
}

TEST_F(BuiltinResources, EveryBitmapIsAnEightBitPalettizedDibOfItsSize) {
    for (const Expected& e : kExpected) {
        if (e.type != "BITMAP") continue;
        SCOPED_TRACE(e.id);
        const auto dib = test::parseDib8(findResource(e.type, e.id));
        ASSERT_TRUE(dib.has_value());
        const int32_t side = e.id == 134 ? 64 : 256;
        EXPECT_EQ(dib->width, side);
        EXPECT_EQ(dib->height, side);
        EXPECT_EQ(dib->colours, 256u);
        // A picture with a single colour would mean an empty or failed source.
        const auto first = dib->colour(0, 0);
        bool varied = false;
        for (int y = 0; y < side && !varied; ++y)
            for (int x = 0; x < side && !varied; ++x)
                varied = dib->colour(x, y) != first;
        EXPECT_TRUE(varied);
    }
}

// The city lights are cut as the day tiles are: northern tiles from the pole
// (top row) to the equator, 90 degrees of longitude each from 180 W.
TEST_F(BuiltinResources, NightTilesAreLitOverCitiesDarkOverTheSeaAndWarm) {
    struct Spot {
        float latitude, longitude;
    };
    auto brightest = [](Spot s) {
        const int tile = int((s.longitude + 180.0f) / 90.0f) + (s.latitude < 0 ? 4 : 0);
        const auto dib = test::parseDib8(findResource("BITMAP", uint32_t(151 + tile)));
        EXPECT_TRUE(dib.has_value());
        const float west = -180.0f + 90.0f * float(tile % 4);
        const int x = int((s.longitude - west) / 90.0f * 256.0f);
        const int y = int((s.latitude >= 0 ? 90.0f - s.latitude : -s.latitude) / 90.0f * 256.0f);
        std::array<uint8_t, 3> best{0, 0, 0};
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3; dx <= 3; ++dx) {
                const int px = std::clamp(x + dx, 0, 255), py = std::clamp(y + dy, 0, 255);
                const auto c = dib->colour(px, py);
                if (c[0] + c[1] + c[2] > best[0] + best[1] + best[2]) best = c;
            }
        return best;
    };
    // Paris, Chicago, Tokyo, Sao Paulo: lit, red over blue.
    for (Spot city : {Spot{48.86f, 2.35f}, Spot{41.88f, -87.63f}, Spot{35.68f, 139.69f},
                      Spot{-23.55f, -46.63f}}) {
        SCOPED_TRACE(std::to_string(city.latitude) + " " + std::to_string(city.longitude));
        const auto c = brightest(city);
        EXPECT_GT(c[0], 120);
        EXPECT_GT(c[0], c[2] + 40);
    }
    // The middle of the Atlantic and of the Pacific: dark.
    for (Spot sea : {Spot{30.0f, -40.0f}, Spot{-20.0f, -130.0f}}) {
        const auto c = brightest(sea);
        EXPECT_LT(c[0] + c[1] + c[2], 30);
    }
}

TEST_F(BuiltinResources, FlareImagesFadeToBlackAtTheirEdges) {
    // Their alpha comes from brightness: a lit border would show a square.
    for (uint32_t id : {121u, 122u, 123u, 124u, 138u}) {
        SCOPED_TRACE(id);
        const auto dib = test::parseDib8(findResource("BITMAP", id));
        ASSERT_TRUE(dib.has_value());
        for (int i = 0; i < 256; ++i) {
            for (auto c :
                 {dib->colour(i, 0), dib->colour(i, 255), dib->colour(0, i), dib->colour(255, i)})
                ASSERT_EQ(c, (std::array<uint8_t, 3>{0, 0, 0}));
        }
        const auto centre = dib->colour(128, 128);
        EXPECT_EQ(centre[0], centre[1]); // grey
        EXPECT_EQ(centre[1], centre[2]);
    }
}

TEST_F(BuiltinResources, EditorAndGlobeShareTheSameDatabase) {
    const auto globe = findResource("BINARY", 128);
    const auto editor = findResource("RCDATA", 101);
    ASSERT_FALSE(globe.empty());
    EXPECT_TRUE(std::ranges::equal(globe, editor));
}

TEST_F(BuiltinResources, IconIsA32PixelPng) {
    const auto png = findResource("ICON", 32512);
    ASSERT_GE(png.size(), 24u);
    const uint8_t signature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    EXPECT_TRUE(std::equal(std::begin(signature), std::end(signature), png.begin()));
    auto be32 = [&](std::size_t o) {
        return uint32_t(png[o]) << 24 | uint32_t(png[o + 1]) << 16 | uint32_t(png[o + 2]) << 8 |
               png[o + 3];
    };
    EXPECT_EQ(be32(16), 32u); // IHDR width
    EXPECT_EQ(be32(20), 32u); // IHDR height
}

} // namespace
} // namespace gv
