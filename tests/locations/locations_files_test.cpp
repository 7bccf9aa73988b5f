// The globe's load and save of its places: the built-in database of its
// resources, what the log says of a file it cannot read, and the lists it
// builds (the rules of the two files are the places library's).
#include "formats/selection_file.h"
#include "locations/location_lists.h"
#include "locations/locations_files.h"
#include "platform/resources.h"
#include "support/captured_log.h"
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
    std::vector<std::string> items(const OverlayList& list) const {
        return {list.items.begin(), list.items.end()};
    }
    std::vector<uint8_t> builtIn;
    platform::ResourceEntry table[1];
    test::TempDir dir;
};

TEST_F(LocationsFiles, MissingFileTakesTheBuiltInResourceAndShutDownWritesIt) {
    test::writeBytes(dir.file("geovista.sel"), encodeSelection(std::vector<uint32_t>{1}));
    ASSERT_TRUE(initLocations(dir.folder(), false, 1280, 720));
    EXPECT_FALSE(locations().places.fromFile());
    EXPECT_EQ(items(*locations().availableList),
              (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
    EXPECT_TRUE(selectedIndices().empty());
    EXPECT_TRUE(locations().locationsReady);

    const PlacesSave save = savePlaces(dir.folder());
    EXPECT_FALSE(save.failed());
    EXPECT_EQ(test::readBytes(dir.file("geovista.loc")), builtIn);
    EXPECT_TRUE(test::readBytes(dir.file("geovista.sel")).empty());
}

TEST_F(LocationsFiles, TheListsShowTheFilesPlaces) {
    test::writeBytes(dir.file("geovista.loc"), databaseBytes({"One", "Two", "Three"}));
    test::writeBytes(dir.file("geovista.sel"), encodeSelection(std::vector<uint32_t>{2, 0}));
    ASSERT_TRUE(initLocations(dir.folder(), false, 1280, 720));
    EXPECT_EQ(items(*locations().availableList), (std::vector<std::string>{"One", "Two", "Three"}));
    EXPECT_EQ(items(*locations().selectedList), (std::vector<std::string>{"Three", "One"}));
    EXPECT_EQ(selectedIndices(), (std::vector<uint32_t>{2, 0}));
}

TEST_F(LocationsFiles, UnreadableFilesAreLoggedByNameAndReasonAndLeftAsTheyAre) {
    std::filesystem::create_directory(dir.file("geovista.loc"));
    test::CapturedLog log;
    ASSERT_TRUE(initLocations(dir.folder(), false, 1280, 720));
    const std::string reason = locations().places.databaseFile().reason;
    ASSERT_FALSE(reason.empty());
    EXPECT_EQ(log.reports(), std::vector<std::string>{
                                 "geovista.loc cannot be read (" + reason +
                                 "): the built-in places are used, and the file is left as it "
                                 "is\n"});
    EXPECT_EQ(locations().availableList->items.size(), 3u) << "the built-in places stand in";
    const PlacesSave save = savePlaces(dir.folder());
    EXPECT_EQ(save.database.outcome, SaveOutcome::Kept);
    EXPECT_EQ(save.selection.outcome, SaveOutcome::Kept);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("geovista.loc")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("geovista.sel")));

    // A selection that cannot be read: nothing is chosen, and it stays.
    resetLocationsForRun();
    std::filesystem::remove(dir.file("geovista.loc"));
    test::writeBytes(dir.file("geovista.loc"), databaseBytes({"One"}));
    std::filesystem::create_directory(dir.file("geovista.sel"));
    log.clear();
    ASSERT_TRUE(initLocations(dir.folder(), false, 1280, 720));
    EXPECT_EQ(log.reports(),
              std::vector<std::string>{"geovista.sel cannot be read (" + reason +
                                       "): no place is chosen, and the file is left as it is\n"});
    EXPECT_TRUE(selectedIndices().empty());
}

TEST_F(LocationsFiles, ADatabaseLargerThanTheReaderTakesSaysHowManyPlacesAreUsed) {
    test::writeBytes(dir.file("geovista.loc"), databaseBytes({"First"}));
    std::filesystem::resize_file(dir.file("geovista.loc"), (64u << 20) + 52);
    test::CapturedLog log;
    ASSERT_TRUE(initLocations(dir.folder(), false, 1280, 720));
    EXPECT_EQ(log.reports(),
              std::vector<std::string>{"geovista.loc is larger than 67108864 bytes: only its "
                                       "first 1290555 places are used\n"});
    EXPECT_EQ(locations().availableList->items.size(), 1290555u);
}

TEST_F(LocationsFiles, EmptyFileIsAnEmptyDatabaseNotTheDefaults) {
    test::writeBytes(dir.file("geovista.loc"), {});
    ASSERT_TRUE(initLocations(dir.folder(), false, 1280, 720));
    EXPECT_TRUE(locations().places.fromFile());
    EXPECT_TRUE(locations().places.empty());
}

TEST_F(LocationsFiles, PreviewLoadsNothingAndSavesNothing) {
    test::writeBytes(dir.file("geovista.loc"), databaseBytes({"One"}));
    ASSERT_TRUE(initLocations(dir.folder(), true, 1280, 720));
    EXPECT_TRUE(locations().locationsReady);
    EXPECT_TRUE(locations().places.empty());
    const PlacesSave save = savePlaces(dir.folder());
    EXPECT_EQ(save.database.outcome, SaveOutcome::Kept);
    EXPECT_EQ(test::readBytes(dir.file("geovista.loc")), databaseBytes({"One"}));
}

TEST_F(LocationsFiles, MissingResourceGivesAnEmptyDatabase) {
    platform::setResourceTable({});
    ASSERT_TRUE(initLocations(dir.folder(), false, 1280, 720));
    EXPECT_TRUE(locations().places.empty());
}

} // namespace
} // namespace gv
