// The places' two files: which database and selection a load takes, and
// what a save writes, keeps or fails to write.
#include "places_support.h"
#if !defined(_WIN32)
#include "support/kill_during_save.h"
#include "support/ordinary_user.h"
#endif

#include <gtest/gtest.h>

#include <filesystem>

namespace gv {
namespace {

using Indices = std::vector<uint32_t>;
using Strings = std::vector<std::string>;
namespace fs = std::filesystem;

class PlacesFiles : public ::testing::Test {
  protected:
    test::TempDir dir;
    const std::vector<uint8_t> builtIn = test::databaseBytes({"Alpha", "Beta", "Gamma"});
    Places places;
    std::string loc() const { return dir.file("geovista.loc"); }
    std::string sel() const { return dir.file("geovista.sel"); }
    void load() { places.load(dir.folder(), builtIn); }
};

TEST_F(PlacesFiles, WithoutADatabaseFileTheBuiltInListIsUsedAndNoOldSelectionIsRead) {
    test::writeBytes(sel(), test::selectionBytes({1}));
    load();
    EXPECT_FALSE(places.fromFile());
    EXPECT_EQ(places.databaseFile().state, FileState::Absent);
    EXPECT_EQ(test::placeNames(places), (Strings{"Alpha", "Beta", "Gamma"}));
    EXPECT_TRUE(places.selection().empty());

    // The first save writes the built-in list and an empty selection.
    const PlacesSave save = places.save(dir.folder());
    EXPECT_EQ(save.database.outcome, SaveOutcome::Written);
    EXPECT_EQ(save.selection.outcome, SaveOutcome::Written);
    EXPECT_FALSE(save.failed());
    EXPECT_EQ(test::readBytes(loc()), builtIn);
    EXPECT_TRUE(test::readBytes(sel()).empty());
}

TEST_F(PlacesFiles, TheFileDatabaseIsPairedWithItsSelection) {
    auto file = test::databaseBytes({"One", "Two"});
    file.insert(file.end(), 10, 0xCD); // a partial record at the end is ignored
    test::writeBytes(loc(), file);
    // Ten bytes: two values (one past the database) and a partial one.
    test::writeBytes(sel(), {1, 0, 0, 0, 2, 0, 0, 0, 0, 0});
    load();
    EXPECT_TRUE(places.fromFile());
    EXPECT_EQ(places.databaseFile().state, FileState::Read);
    EXPECT_EQ(test::placeNames(places), (Strings{"One", "Two"}));
    EXPECT_EQ(places.selection(), Indices{1});
    ASSERT_EQ(places.save(dir.folder()).database.outcome, SaveOutcome::Written);
    EXPECT_EQ(test::readBytes(loc()).size(), 104u);

    // A selection file may name a place twice: both entries stay.
    test::writeBytes(sel(), test::selectionBytes({1, 0, 1}));
    load();
    EXPECT_EQ(places.selection(), (Indices{1, 0, 1}));
}

TEST_F(PlacesFiles, AnEmptyDatabaseFileIsAnEmptyDatabaseNotTheBuiltInList) {
    test::writeBytes(loc(), {});
    test::writeBytes(sel(), test::selectionBytes({0}));
    load();
    EXPECT_TRUE(places.fromFile());
    EXPECT_TRUE(places.empty());
    EXPECT_EQ(places.selectionFile().state, FileState::Read);
    EXPECT_TRUE(places.selection().empty());
}

TEST_F(PlacesFiles, ADatabaseThatCannotBeReadIsStoodInForAndNeitherFileIsWritten) {
    // A folder in the database's place: there, but not readable as a file.
    fs::create_directory(loc());
    const auto selection = test::selectionBytes({0});
    test::writeBytes(sel(), selection);
    load();
    EXPECT_EQ(places.databaseFile().state, FileState::Unreadable);
    EXPECT_FALSE(places.databaseFile().reason.empty());
    EXPECT_FALSE(places.fromFile());
    EXPECT_EQ(places.size(), 3u) << "the built-in list stands in for the run";
    EXPECT_TRUE(places.selection().empty());

    places.append(makeLocationRecord("New", 0, 0, 0));
    const PlacesSave save = places.save(dir.folder());
    EXPECT_EQ(save.database.outcome, SaveOutcome::Kept);
    EXPECT_EQ(save.database.reason, "it could not be read (" + places.databaseFile().reason + ")");
    EXPECT_EQ(save.selection.outcome, SaveOutcome::Kept);
    EXPECT_FALSE(save.failed());
    EXPECT_TRUE(fs::is_directory(loc()));
    EXPECT_EQ(test::readBytes(sel()), selection);
}

#if !defined(_WIN32)
TEST_F(PlacesFiles, ADatabaseThisUserMayNotReadKeepsItsBytesAndModeAndItsSelection) {
    // Three places the user keeps, with the file's mode at 000.
    const auto database = test::databaseBytes({"Mine", "Also mine", "Mine too"});
    const auto selection = test::selectionBytes({2, 0});
    test::writeBytes(loc(), database);
    test::writeBytes(sel(), selection);
    fs::permissions(loc(), fs::perms::none);
    test::giveToOrdinaryUser(dir.path().string());
    test::giveToOrdinaryUser(loc());
    test::giveToOrdinaryUser(sel());
    PlacesSave save;
    {
        test::OrdinaryUser user;
        load();
        save = places.save(dir.folder());
    }
    EXPECT_EQ(places.databaseFile().state, FileState::Unreadable);
    EXPECT_EQ(places.databaseFile().reason, "Permission denied");
    EXPECT_EQ(save.database.outcome, SaveOutcome::Kept);
    EXPECT_EQ(save.selection.outcome, SaveOutcome::Kept);
    EXPECT_EQ(fs::status(loc()).permissions() & fs::perms::all, fs::perms::none);
    EXPECT_EQ(test::readBytes(loc()), database);
    EXPECT_EQ(test::readBytes(sel()), selection);
}
#endif

TEST_F(PlacesFiles, ASelectionThatCannotBeReadIsKeptAndTheDatabaseStaysItsPair) {
    test::writeBytes(loc(), test::databaseBytes({"A", "B", "C", "D"}));
    fs::create_directory(sel());
    load();
    EXPECT_TRUE(places.fromFile());
    EXPECT_EQ(places.selectionFile().state, FileState::Unreadable);
    EXPECT_TRUE(places.selection().empty());

    // A new place moves no index: the database is written, not the selection.
    ASSERT_TRUE(places.append(makeLocationRecord("E", 0, 0, 0)));
    PlacesSave save = places.save(dir.folder());
    EXPECT_EQ(save.database.outcome, SaveOutcome::Written);
    EXPECT_EQ(save.selection.outcome, SaveOutcome::Kept);
    EXPECT_EQ(test::readBytes(loc()).size(), 5u * 52u);
    EXPECT_TRUE(fs::is_directory(sel()));

    // A deletion would move the places the kept selection names: neither
    // file is written.
    load();
    ASSERT_TRUE(places.remove(1));
    save = places.save(dir.folder());
    EXPECT_EQ(save.database.outcome, SaveOutcome::Kept);
    EXPECT_NE(save.database.reason.find("geovista.sel"), std::string::npos);
    EXPECT_EQ(save.selection.outcome, SaveOutcome::Kept);
    EXPECT_EQ(test::readBytes(loc()).size(), 5u * 52u);
}

TEST_F(PlacesFiles, ADatabaseLargerThanTheReaderTakesIsNeverWrittenBack) {
    // 64 MiB and two records more (a sparse file: the records past the
    // first are all zero). The reader takes 67108864 / 52 = 1290555 whole
    // records; the file holds 67108968 / 52 = 1290557.
    test::writeBytes(loc(), test::databaseBytes({"First"}));
    const std::uintmax_t size = (64u << 20) + 2 * 52;
    fs::resize_file(loc(), size);
    // The selection names the first place and the file's last one.
    const auto selection = test::selectionBytes({0, 1290556});
    test::writeBytes(sel(), selection);

    load();
    EXPECT_EQ(places.size(), 1290555u);
    EXPECT_FALSE(places.databaseFile().whole);
    EXPECT_EQ(places.selection(), Indices{0});
    EXPECT_TRUE(places.full());

    const PlacesSave save = places.save(dir.folder());
    EXPECT_EQ(save.database.outcome, SaveOutcome::Kept);
    EXPECT_EQ(save.selection.outcome, SaveOutcome::Kept);
    EXPECT_EQ(fs::file_size(loc()), size);
    EXPECT_EQ(test::readBytes(sel()), selection);
}

TEST_F(PlacesFiles, ADatabaseOfExactlyTheReadersSizeIsWholeAndHoldsNoMore) {
    // 64 MiB is 1290555 records and 4 bytes: the partial record goes, as
    // for any file, but nothing past the reader's reach was lost.
    test::writeBytes(loc(), test::databaseBytes({"First"}));
    fs::resize_file(loc(), 64u << 20);
    load();
    EXPECT_TRUE(places.databaseFile().whole);
    ASSERT_EQ(places.size(), kMaxPlaces);
    EXPECT_TRUE(places.full());
    // One more would make a file the programs cannot read whole.
    EXPECT_FALSE(places.append(makeLocationRecord("One more", 0, 0, 0)));
    EXPECT_EQ(places.size(), kMaxPlaces);
    ASSERT_TRUE(places.remove(1));
    EXPECT_TRUE(places.append(makeLocationRecord("Instead", 0, 0, 0)));
    ASSERT_EQ(places.save(dir.folder()).database.outcome, SaveOutcome::Written);
    EXPECT_EQ(fs::file_size(loc()), 1290555u * 52u);
}

TEST_F(PlacesFiles, TheDatabaseIsWrittenFirstAndTheSelectionOnlyAfterIt) {
    test::writeBytes(loc(), test::databaseBytes({"A", "B"}));
    const auto selection = test::selectionBytes({1});
    test::writeBytes(sel(), selection);
    load();
    ASSERT_TRUE(places.remove(0));
    EXPECT_EQ(places.selection(), Indices{0});

    // The database cannot be replaced: the selection's new indices would
    // point into the old database, so the old selection stays with it.
    fs::remove(loc());
    fs::create_directory(loc());
    PlacesSave save = places.save(dir.folder());
    EXPECT_EQ(save.database.outcome, SaveOutcome::Failed);
    EXPECT_FALSE(save.database.reason.empty());
    EXPECT_EQ(save.selection.outcome, SaveOutcome::Kept);
    EXPECT_NE(save.selection.reason.find("could not be written"), std::string::npos);
    EXPECT_TRUE(save.failed());
    EXPECT_EQ(test::readBytes(sel()), selection);

    fs::remove(loc());
    save = places.save(dir.folder());
    EXPECT_EQ(save.database.outcome, SaveOutcome::Written);
    EXPECT_EQ(save.selection.outcome, SaveOutcome::Written);
    EXPECT_EQ(test::readBytes(loc()), test::databaseBytes({"B"}));
    EXPECT_EQ(test::readBytes(sel()), test::selectionBytes({0}));
}

TEST_F(PlacesFiles, NothingIsWrittenBeforeALoadOrIntoAFolderThatIsNotThere) {
    const PlacesSave save = places.save(dir.folder());
    EXPECT_EQ(save.database.outcome, SaveOutcome::Kept);
    EXPECT_EQ(save.selection.outcome, SaveOutcome::Kept);
    EXPECT_FALSE(fs::exists(loc()));

    load();
    const PlacesSave nowhere = places.save(dir.file("no/such/folder/"));
    EXPECT_EQ(nowhere.database.outcome, SaveOutcome::Failed);
    EXPECT_EQ(nowhere.database.name, std::string("geovista.loc"));
    EXPECT_EQ(nowhere.database.reason, "No such file or directory");
}

#if !defined(_WIN32)
TEST_F(PlacesFiles, KilledInTheMiddleOfASaveLeavesTheOldDatabase) {
    const auto old = test::databaseBytes({"Old one", "Old two"});
    test::writeBytes(loc(), old);
    ASSERT_TRUE(test::killInsideSave([&] {
        load();
        for (int i = 0; i < 50; ++i)
            places.append(makeLocationRecord("new", 0, 0, 0));
        places.save(dir.folder());
    }));
    EXPECT_EQ(test::readBytes(loc()), old);
}
#endif

} // namespace
} // namespace gv
