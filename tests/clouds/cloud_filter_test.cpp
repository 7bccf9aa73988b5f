// The cloud filter against the golden result of an independent
// implementation (tools/cloud_filter_reference.py), and its rules one by one.
#include "clouds/cloud_filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace gv {
namespace {

struct Golden {
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> colours;
    std::vector<uint32_t> input, output;
};

Golden readGolden() {
    std::ifstream in(std::string(GV_CLOUD_TESTS) + "/cloud_filter_golden.txt");
    Golden g;
    in >> g.width >> g.height;
    g.colours.resize(kCloudColourCount);
    for (uint32_t& c : g.colours)
        in >> std::hex >> c >> std::dec;
    g.input.assign(size_t(g.width) * g.height, 0);
    g.output.assign(size_t(g.width) * g.height, 0);
    for (auto* picture : {&g.input, &g.output}) {
        std::string label;
        size_t count = 0;
        in >> label >> count;
        for (size_t i = 0; i < count; ++i) {
            size_t at = 0;
            uint32_t value = 0;
            in >> at >> std::hex >> value >> std::dec;
            if (at < picture->size()) (*picture)[at] = value;
        }
    }
    return g;
}

TEST(CloudFilter, MatchesTheIndependentImplementation) {
    const Golden g = readGolden();
    ASSERT_EQ(g.width, 1024u);
    ASSERT_EQ(g.height, 512u);
    std::vector<uint32_t> map = g.input;
    const CloudColours colours(
        std::span<const uint32_t, kCloudColourCount>(g.colours.data(), kCloudColourCount));
    applyCloudFilter(map, g.width, g.height, colours);
    size_t differ = 0, firstAt = 0;
    for (size_t i = 0; i < map.size(); ++i)
        if (map[i] != g.output[i] && differ++ == 0) firstAt = i;
    EXPECT_EQ(differ, 0u) << "first at column " << firstAt % g.width << ", row "
                          << firstAt / g.width << ": " << std::hex << map[firstAt] << " against "
                          << g.output[firstAt];
}

// The golden picture's features, read off its result.
class GoldenFeatures : public ::testing::Test {
  protected:
    void SetUp() override {
        g = readGolden();
        map = g.input;
        const CloudColours colours(
            std::span<const uint32_t, kCloudColourCount>(g.colours.data(), kCloudColourCount));
        applyCloudFilter(map, g.width, g.height, colours);
    }
    uint32_t at(int x, int y) const {
        return map[size_t((y + int(g.height)) % int(g.height)) * g.width +
                   size_t((x + int(g.width)) % int(g.width))];
    }
    Golden g;
    std::vector<uint32_t> map;
};

TEST_F(GoldenFeatures, EverySmoothedPixelIsAsOpaqueAsItIsBright) {
    for (uint32_t y = 0; y + 1 < g.height; ++y)
        for (uint32_t x = 0; x < g.width; ++x) {
            const uint32_t p = at(int(x), int(y));
            const uint32_t sum = (p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF);
            ASSERT_EQ(p >> 24, uint32_t(double(sum) * 0.33333)) << x << ", " << y;
        }
}

TEST_F(GoldenFeatures, IsolatedWhitePixelBecomesAFaintPatch) {
    // White at (300, 200): after three passes a faint grey patch, no pixel
    // of it opaque, all of it grey.
    uint32_t brightest = 0;
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx) {
            const uint32_t p = at(300 + dx, 200 + dy);
            EXPECT_EQ(p & 0xFF, (p >> 8) & 0xFF);
            EXPECT_EQ(p & 0xFF, (p >> 16) & 0xFF);
            brightest = std::max(brightest, p & 0xFF);
        }
    EXPECT_GT(brightest, 0u);
    EXPECT_LT(brightest, 64u);
    // Colours one step off a cloud colour are no cloud: nothing round them.
    EXPECT_EQ(at(320, 200 + 3), 0u);
    EXPECT_EQ(at(330, 200), 0u);
}

TEST_F(GoldenFeatures, TopRowKeepsItsClassifiedValues) {
    // Top row: white cloud stays opaque white, the grey one opaque grey,
    // what was no cloud stays transparent black.
    EXPECT_EQ(at(101, 511), 0xFFFFFFFFu);
    EXPECT_EQ(at(102, 511), 0xFFCECBCEu);
    EXPECT_EQ(at(99, 511), 0u);
    EXPECT_EQ(at(1023, 511), 0xFFFFFFFFu);
    // Bottom row: smoothed against transparent black below it.
    EXPECT_LT(at(120, 0) >> 24, 0xEFu);
    EXPECT_GT(at(120, 0) >> 24, 0u);
}

TEST_F(GoldenFeatures, CloudAcrossTheWrapIsSmoothedAsOne) {
    // The cloud (greys of every shade) spans columns 1018..1023 and 0..5 of
    // rows 240..249: on both sides of the seam it stays as dense as a
    // cloud's middle, where at a hard edge it would fade by a third.
    EXPECT_GT(at(0, 245) >> 24, 0x70u);
    EXPECT_GT(at(1023, 245) >> 24, 0x70u);
    // The edge pixel of the map (column 0) gets the same smoothing as its
    // neighbour across the seam would: neither side fades as at an edge.
    const uint32_t left = at(0, 245) >> 24, right = at(1023, 245) >> 24;
    EXPECT_LT(left > right ? left - right : right - left, 24u);
}

TEST(CloudFilter, Classification) {
    Preferences prefs = defaultPreferences();
    const CloudColours colours(prefs.cloudColours);
    EXPECT_EQ(colours.classify(0x00FFFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(colours.classify(0x124A5963), 0xFF4A5963u); // alpha bits play no part
    EXPECT_EQ(colours.classify(0x00FEFFFF), 0u);
    EXPECT_EQ(colours.classify(0xFF000000), 0u);
    // The same colour twice in the list is no harm.
    EXPECT_EQ(colours.classify(0x0084868C), 0xFF84868Cu);
    prefs.cloudColours[5] = 0x00102030;
    const CloudColours edited(prefs.cloudColours);
    EXPECT_EQ(edited.classify(0x00102030), 0xFF102030u);
    EXPECT_EQ(edited.classify(0x007B8284), 0u);
}

// By hand, on a 2 x 2 map of white cloud. The work area is 4 x 4: rows 0
// and 3 black, rows 1 and 2 white (their columns 0 and 3 the wrap copies).
// Only work row 1 is walked (the top map row is not), linear indices 4..7;
// the pixel before the area counts as black. One channel (all three equal):
//   pass 1: i4: 5 x 255 = 1275 -> 141   i5: 141 + 2 x 255 + 765 = 1416 -> 157
//           i6: 157 + 510 + 765 = 1432 -> 159
//           i7: 141 (i4) + 159 + 255 + 3 x 255 = 1320 -> 146
//   pass 2: i4: 141 + 157 + 146 (i7) + 510 = 954 -> 105
//           i5: 105 + 157 + 159 + 765 = 1186 -> 131
//           i6: 131 + 159 + 146 + 765 = 1201 -> 133
//           i7: 105 + 133 + 146 + 765 = 1149 -> 127
//   pass 3: i4: 105 + 131 + 127 + 510 = 873 -> 96 (873 x 0.11111 = 96.999)
//           i5: 96 + 131 + 133 + 765 = 1125 -> 124
//           i6: 124 + 133 + 127 + 765 = 1149 -> 127
// Map row 0 is i5 and i6: grey 124 with alpha 372 x 0.33333 -> 123, and
// grey 127 with alpha 381 x 0.33333 -> 126. Row 1, the top, is untouched.
TEST(CloudFilter, HandCalculatedSmallMap) {
    std::vector<uint32_t> map(4, 0x00FFFFFFu);
    const Preferences prefs = defaultPreferences();
    applyCloudFilter(map, 2, 2, CloudColours(prefs.cloudColours));
    EXPECT_EQ(map[0], 0x7B7C7C7Cu);
    EXPECT_EQ(map[1], 0x7E7F7F7Fu);
    EXPECT_EQ(map[2], 0xFFFFFFFFu);
    EXPECT_EQ(map[3], 0xFFFFFFFFu);
}

} // namespace
} // namespace gv
