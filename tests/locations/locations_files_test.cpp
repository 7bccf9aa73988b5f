#include "formats/selection_file.h"
#include "locations/locations_files.h"
#include "platform/resources.h"
#if !defined(_WIN32)
#include "support/kill_during_save.h"
#endif
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace gv {
namespace {

std::vector<uint8_t> databaseBytes(const std::vector<std::string>& names) {
    CitiesDatabase db;
    for (const auto& n : names)
        db.append(makeLocationRecord(n, 1, 2, 3));
    return db.toBytes();
}

class LocationsFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        builtIn = databaseBytes({"Alpha", "Beta", "Gamma"});
        table[0] = {platform::kResourceBinary, kCitiesResourceId, builtIn};
        platform::setResourceTable(table);
        resetLocationsForRun();
    }
    void TearDown() override {
        platform::setResourceTable({});
        resetLocationsForRun();
    }
    std::vector<uint8_t> builtIn;
    platform::ResourceEntry table[1];
    test::TempDir dir;
};

TEST_F(LocationsFiles, MissingFileFallsBackAndTheSelectionIsNotRead) {
    test::writeBytes(dir.file("geovista.sel"), encodeSelection(std::vector<uint32_t>{1}));
    ASSERT_TRUE(initLocations(dir.folder(), false));
    EXPECT_FALSE(locations().databaseFromFile);
    EXPECT_EQ(locations().database.size(), 3u);
    EXPECT_TRUE(locations().selectedIndices.empty());
    EXPECT_TRUE(locations().locationsReady);

    // Shut-down writes the defaults back and an empty selection.
    ASSERT_TRUE(saveSelection(dir.folder()));
    ASSERT_TRUE(saveCitiesFile(dir.folder()));
    EXPECT_EQ(test::readBytes(dir.file("geovista.loc")), builtIn);
    EXPECT_TRUE(test::readBytes(dir.file("geovista.sel")).empty());
}

TEST_F(LocationsFiles, FileDatabaseIsPairedWithItsSelection) {
    auto file = databaseBytes({"One", "Two"});
    file.insert(file.end(), 10, 0xCD); // a partial record at the end is ignored
    test::writeBytes(dir.file("geovista.loc"), file);
    // Ten bytes: two indices, one past the database.
    test::writeBytes(dir.file("geovista.sel"), {1, 0, 0, 0, 2, 0, 0, 0, 0, 0});
    ASSERT_TRUE(initLocations(dir.folder(), false));
    EXPECT_TRUE(locations().databaseFromFile);
    EXPECT_EQ(locations().database.size(), 2u);
    EXPECT_EQ(locations().selectedIndices, std::vector<uint32_t>{1});
    ASSERT_TRUE(saveCitiesFile(dir.folder()));
    EXPECT_EQ(test::readBytes(dir.file("geovista.loc")).size(), 104u);
}

TEST_F(LocationsFiles, AFileLargerThanTheReaderTakesIsNeverWrittenBack) {
    // 64 MiB and two records more (a sparse file: the records past the
    // first are all zero). The reader takes 67108864 / 52 = 1290555 whole
    // records; the file holds 67108968 / 52 = 1290557.
    const std::string loc = dir.file("geovista.loc");
    test::writeBytes(loc, databaseBytes({"First"}));
    const std::uintmax_t size = (64u << 20) + 2 * 52;
    std::filesystem::resize_file(loc, size);
    // The selection names the first place and the file's last one.
    const auto selection = encodeSelection(std::vector<uint32_t>{0, 1290556});
    test::writeBytes(dir.file("geovista.sel"), selection);

    ASSERT_TRUE(initLocations(dir.folder(), false));
    EXPECT_EQ(locations().database.size(), 1290555u);
    EXPECT_EQ(locations().selectedIndices, std::vector<uint32_t>{0});

    // Shut-down's saves leave both files as they were.
    saveSelection(dir.folder());
    saveCitiesFile(dir.folder());
    EXPECT_EQ(std::filesystem::file_size(loc), size);
    EXPECT_EQ(test::readBytes(dir.file("geovista.sel")), selection);
}

TEST_F(LocationsFiles, AFileOfExactlyTheReadersSizeIsReadWholeAndWrittenBack) {
    // 64 MiB is 1290555 records and 4 bytes: the partial record goes, as
    // for any file, but nothing past the reader's reach was lost.
    const std::string loc = dir.file("geovista.loc");
    test::writeBytes(loc, databaseBytes({"First"}));
    std::filesystem::resize_file(loc, 64u << 20);
    ASSERT_TRUE(initLocations(dir.folder(), false));
    ASSERT_TRUE(saveCitiesFile(dir.folder()));
    EXPECT_EQ(std::filesystem::file_size(loc), 1290555u * 52u);
}

TEST_F(LocationsFiles, EmptyFileIsAnEmptyDatabaseNotTheDefaults) {
    test::writeBytes(dir.file("geovista.loc"), {});
    ASSERT_TRUE(initLocations(dir.folder(), false));
    EXPECT_TRUE(locations().databaseFromFile);
    EXPECT_TRUE(locations().database.empty());
}

TEST_F(LocationsFiles, PreviewLoadsNothing) {
    test::writeBytes(dir.file("geovista.loc"), databaseBytes({"One"}));
    ASSERT_TRUE(initLocations(dir.folder(), true));
    EXPECT_TRUE(locations().locationsReady);
    EXPECT_TRUE(locations().database.empty());
}

TEST_F(LocationsFiles, MissingResourceGivesAnEmptyDatabase) {
    platform::setResourceTable({});
    ASSERT_TRUE(initLocations(dir.folder(), false));
    EXPECT_TRUE(locations().database.empty());
}

#if !defined(_WIN32)
TEST_F(LocationsFiles, KilledInTheMiddleOfASaveLeavesTheOldDatabase) {
    const auto old = databaseBytes({"Old one", "Old two"});
    test::writeBytes(dir.file("geovista.loc"), old);
    ASSERT_TRUE(test::killInsideSave([&] {
        initLocations(dir.folder(), false);
        for (int i = 0; i < 50; ++i)
            locations().database.append(makeLocationRecord("new", 0, 0, 0));
        saveCitiesFile(dir.folder());
    }));
    EXPECT_EQ(test::readBytes(dir.file("geovista.loc")), old);
}
#endif

} // namespace
} // namespace gv
