#include "resources/builtin_resources.h"

#include "formats/location_record.h"
#include "tests/resources/resource_views.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace gv {
namespace {

// Windows-1252 lower case, for the case-insensitive order of the names.
std::string lowerCp1252(std::string s) {
    for (char& ch : s) {
        const auto b = uint8_t(ch);
        if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) ch = char(b + 32);
    }
    return s;
}

bool bytesLess(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return uint8_t(x) < uint8_t(y); });
}

class DefaultCities : public ::testing::Test {
  protected:
    void SetUp() override {
        resources::registerBuiltinResources();
        bytes = platform::findResource("BINARY", 128);
        for (std::size_t off = 0; off + kLocationRecordSize <= bytes.size();
             off += kLocationRecordSize)
            records.push_back(
                decodeLocationRecord(bytes.subspan(off).first<kLocationRecordSize>()));
    }
    void TearDown() override { platform::setResourceTable({}); }

    const LocationRecord* find(const std::string& name) const {
        for (const LocationRecord& r : records)
            if (locationName(r) == name) return &r;
        return nullptr;
    }

    std::span<const uint8_t> bytes;
    std::vector<LocationRecord> records;
};

TEST_F(DefaultCities, HoldsExactly1306Records) {
    EXPECT_EQ(bytes.size(), 67912u);
    EXPECT_EQ(records.size(), 1306u);
}

TEST_F(DefaultCities, FirstRecordIsAbadanByteForByte) {
    std::vector<uint8_t> expected = {0x3f, 0x00, 0xcd, 0xcd, 0x40, 0x00, 0x00, 0x00,
                                     'A',  'b',  'a',  'd',  'a',  'n',  0x00};
    expected.insert(expected.end(), 25, 0xcd);
    for (uint8_t b : {0xcd, 0xcc, 0xf2, 0x41, 0x11, 0x11, 0x41, 0x42, 0x03, 0xcd, 0xcd, 0xcd})
        expected.push_back(b);
    ASSERT_EQ(expected.size(), kLocationRecordSize);
    ASSERT_GE(bytes.size(), kLocationRecordSize);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bytes.begin()));
}

TEST_F(DefaultCities, NamesAreSortedByBytesAndIgnoringCaseAlike) {
    std::set<std::string> folded;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::string name = locationName(records[i]);
        EXPECT_TRUE(folded.insert(lowerCp1252(name)).second) << "duplicate " << name;
        if (i == 0) continue;
        const std::string previous = locationName(records[i - 1]);
        EXPECT_TRUE(bytesLess(previous, name)) << previous << " / " << name;
        EXPECT_TRUE(bytesLess(lowerCp1252(previous), lowerCp1252(name)))
            << previous << " / " << name;
    }
}

TEST_F(DefaultCities, NamesAreTerminatedAndFilledAsTheDefaultData) {
    for (const LocationRecord& r : records) {
        const auto* name = reinterpret_cast<const uint8_t*>(r.name);
        const std::size_t length = strnlen(r.name, kLocationNameSize);
        SCOPED_TRACE(std::string(r.name, length));
        ASSERT_LE(length, 25u); // so the terminator lies within 31 bytes
        EXPECT_GT(length, 0u);
        for (std::size_t i = length + 1; i < kLocationNameSize; ++i)
            ASSERT_EQ(name[i], 0xCD);
        EXPECT_EQ(r.padding0[0], 0xCD);
        EXPECT_EQ(r.padding0[1], 0xCD);
        for (uint8_t p : r.padding1)
            EXPECT_EQ(p, 0xCD);
    }
}

TEST_F(DefaultCities, EveryNameCanBeDrawnWithTheMainFont) {
    const auto glyphs = test::parsePyxf(platform::findResource("BINARY", 108));
    ASSERT_TRUE(glyphs.has_value());
    std::set<uint8_t> drawable;
    for (const test::GlyphRecord& g : *glyphs)
        if (g.width > 0) drawable.insert(g.code);
    for (const LocationRecord& r : records)
        for (char ch : locationName(r))
            EXPECT_TRUE(drawable.count(uint8_t(ch))) << locationName(r) << ": " << int(uint8_t(ch));
}

TEST_F(DefaultCities, ValuesLieInTheirRanges) {
    int unitedStates = 0;
    for (const LocationRecord& r : records) {
        SCOPED_TRACE(locationName(r));
        EXPECT_GE(r.timeZone, -12);
        EXPECT_LE(r.timeZone, 13);
        EXPECT_TRUE(std::isfinite(r.latitude) && std::isfinite(r.longitude));
        EXPECT_GE(r.latitude, -90.0f);
        EXPECT_LE(r.latitude, 90.0f);
        EXPECT_GE(r.longitude, -180.0f);
        EXPECT_LE(r.longitude, 180.0f);
        // Whole arc minutes, as the editors enter them.
        const double minutes = std::fabs(double(r.latitude)) * 60.0;
        EXPECT_NEAR(minutes, std::round(minutes), 1e-3);
        EXPECT_LE(r.catalogueCountry, 156);
        EXPECT_LE(r.catalogueRegion, 244u);
        if (r.catalogueCountry == 147) ++unitedStates;
    }
    EXPECT_EQ(unitedStates, 712);
}

TEST_F(DefaultCities, KnownPlacesAndStandardOffsets) {
    struct Place {
        const char* name;
        float latitude, longitude;
        int zone;
    };
    // Half-hour zones keep their whole hours (India, Iran, Nepal, Central
    // Australia); Dublin's winter is its standard time.
    const Place places[] = {
        {"London", 51.5f, -0.0833f, 0},     {"Dublin", 53.33f, -6.25f, 0},
        {"Mumbai", 19.07f, 72.88f, 5},      {"Tehran", 35.7f, 51.42f, 3},
        {"Kathmandu", 27.7f, 85.32f, 5},    {"Adelaide", -34.93f, 138.6f, 9},
        {"Honolulu", 21.3f, -157.85f, -10}, {"Auckland", -36.85f, 174.77f, 12},
        {"Bogot\xE1", 4.62f, -74.08f, -5},  {"Z\xFCrich", 47.37f, 8.55f, 1},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.name);
        const LocationRecord* r = find(p.name);
        ASSERT_NE(r, nullptr);
        EXPECT_NEAR(r->latitude, p.latitude, 0.05f);
        EXPECT_NEAR(r->longitude, p.longitude, 0.05f);
        EXPECT_EQ(r->timeZone, p.zone);
    }
    const LocationRecord* london = find("London");
    ASSERT_NE(london, nullptr);
    EXPECT_NEAR(london->longitude, -0.0833f, 1e-4f);
}

TEST_F(DefaultCities, EveryCountryOnTheListHasItsMainPlace) {
    std::map<uint16_t, int> perCountry;
    for (const LocationRecord& r : records)
        ++perCountry[r.catalogueCountry];
    // Codes run 0..156 without gaps: every country of the catalogue is present.
    EXPECT_EQ(perCountry.size(), 157u);
    for (const char* capital :
         {"Paris", "Tokyo", "Beijing", "Moscow", "Cairo", "Nairobi", "Buenos Aires", "Canberra",
          "Ottawa", "Mexico City", "Washington, D.C.", "New Delhi", "Jakarta", "Lima"})
        EXPECT_NE(find(capital), nullptr) << capital;
}

} // namespace
} // namespace gv
