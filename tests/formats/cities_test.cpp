#include "formats/cities_database.h"

#include <gtest/gtest.h>

#include <cstring>

namespace gv {
namespace {

std::vector<uint8_t> abadanBytes() {
    std::vector<uint8_t> b = {0x3f, 0x00, 0xcd, 0xcd, 0x40, 0x00, 0x00, 0x00,
                              0x41, 0x62, 0x61, 0x64, 0x61, 0x6e, 0x00};
    b.insert(b.end(), 25, 0xcd);
    const uint8_t tail[] = {0xcd, 0xcc, 0xf2, 0x41, 0x11, 0x11, 0x41, 0x42, 0x03, 0xcd, 0xcd, 0xcd};
    b.insert(b.end(), std::begin(tail), std::end(tail));
    return b;
}

TEST(LocationRecord, WorkedExampleDecodesAndReencodesByteForByte) {
    const auto bytes = abadanBytes();
    ASSERT_EQ(bytes.size(), kLocationRecordSize);
    const LocationRecord r = decodeLocationRecord(std::span(bytes).first<kLocationRecordSize>());
    EXPECT_EQ(r.catalogueCountry, 63);
    EXPECT_EQ(r.catalogueRegion, 64u);
    EXPECT_EQ(locationName(r), "Abadan");
    EXPECT_FLOAT_EQ(r.latitude, 30.35f);
    EXPECT_NEAR(r.longitude, 48.2667f, 1e-4);
    EXPECT_EQ(r.timeZone, 3);
    const auto again = encodeLocationRecord(r);
    EXPECT_TRUE(std::equal(again.begin(), again.end(), bytes.begin()));
}

TEST(LocationRecord, LongestNameKeepsItsTerminatorAndNegativeZonesSurvive) {
    const std::string name(30, 'x');
    LocationRecord r = makeLocationRecord(name + "overflow", -33.5f, -70.75f, -4);
    EXPECT_EQ(locationName(r), name);
    const auto bytes = encodeLocationRecord(r);
    EXPECT_EQ(bytes[8 + 30], 0);
    EXPECT_EQ(bytes[48], 0xFC); // -4 as a signed byte
    EXPECT_EQ(bytes[0], 0xFF);  // added here: catalogue codes all ones
    EXPECT_EQ(bytes[7], 0xFF);
    const LocationRecord back = decodeLocationRecord(bytes);
    EXPECT_EQ(back.timeZone, -4);
    EXPECT_EQ(encodeLocationRecord(back), bytes);
}

TEST(CitiesDatabase, PartialTrailingRecordIsIgnoredAndOrderKept) {
    std::vector<uint8_t> file;
    for (int i = 0; i < 3; ++i) {
        auto one =
            encodeLocationRecord(makeLocationRecord("P" + std::to_string(i), 1.0f * i, 0, 0));
        file.insert(file.end(), one.begin(), one.end());
    }
    file.insert(file.end(), 10, 0xAB);
    CitiesDatabase db;
    EXPECT_EQ(db.appendFromBytes(file), 3u);
    ASSERT_EQ(db.size(), 3u);
    EXPECT_EQ(locationName(db[2]), "P2");
    // Saving writes only whole records.
    EXPECT_EQ(db.toBytes(), std::vector<uint8_t>(file.begin(), file.end() - 10));

    db.remove(0);
    ASSERT_EQ(db.size(), 2u);
    EXPECT_EQ(locationName(db[0]), "P1");
    db.remove(5); // past the end: nothing
    EXPECT_EQ(db.size(), 2u);
}

TEST(CitiesDatabase, RecordsStayPutWhileTheDatabaseGrows) {
    CitiesDatabase db;
    db.append(makeLocationRecord("first", 0, 0, 0));
    const LocationRecord* first = &db[0];
    for (int i = 0; i < 100; ++i)
        db.append(makeLocationRecord("more", 0, 0, 0));
    EXPECT_EQ(first, &db[0]);
}

} // namespace
} // namespace gv
