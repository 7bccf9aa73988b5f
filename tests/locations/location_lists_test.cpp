// The two lists and the operations on them, loaded through the start-up's
// own initialisation from files.
#include "locations_fixture.h"

#include <gtest/gtest.h>

namespace gv {
namespace {

using Strings = std::vector<std::string>;
using Indices = std::vector<uint32_t>;
using Message = std::pair<std::string, std::string>;

const std::vector<testing::Place> kFour = {
    {"A", 1, 1, 0}, {"B", 2, 2, 0}, {"C", 3, 3, 0}, {"D", 4, 4, 0}};

struct Lists : testing::LocationsFixture {};

TEST_F(Lists, DeletingAPlaceTheListsFollowWithTheNamesOfTheSamePlaces) {
    load(kFour, {3, 1});
    selected().setCursor(1);
    deletePlace(1);
    EXPECT_EQ(databaseNames(), (Strings{"A", "C", "D"}));
    EXPECT_EQ(names(available()), (Strings{"A", "C", "D"}));
    EXPECT_EQ(selectedIndices(), Indices{2});
    EXPECT_EQ(names(selected()), Strings{"D"}) << "3 became 2 and still names D";
    EXPECT_EQ(selected().cursor, 0);
    EXPECT_EQ(host.messages, (std::vector<Message>{{"DELETE LOCATION", " "}}));
}

TEST_F(Lists, DeletingTheLastRecordMovesTheCursorOntoTheNewLast) {
    load(kFour);
    available().setCursor(3);
    deletePlace(3);
    EXPECT_EQ(available().cursor, 2);
    EXPECT_EQ(names(available()), (Strings{"A", "B", "C"}));
}

TEST_F(Lists, ADuplicatedSelectionLosesEveryEntryOfADeletedPlaceFromTheList) {
    load(kFour, {2, 1, 2, 3});
    deletePlace(2);
    EXPECT_EQ(names(selected()), (Strings{"B", "D"}));
}

TEST_F(Lists, SelectingTwiceChangesNothingAndSaysNothing) {
    load(kFour, {1});
    selectPlace(2);
    EXPECT_EQ(host.last(), (Message{"SELECTED LOCATION", " "}));
    host.messages.clear();
    selectPlace(1);
    selectPlace(2);
    selectPlace(4); // past the database
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(selectedIndices(), (Indices{1, 2}));
    EXPECT_EQ(names(selected()), (Strings{"B", "C"}));
}

TEST_F(Lists, UnselectingTakesTheEntryUnderTheCursorAndKeepsTheCursorInTheList) {
    load(kFour, {0, 1, 2});
    selected().setCursor(2);
    unselectAtCursor();
    EXPECT_EQ(selectedIndices(), (Indices{0, 1}));
    EXPECT_EQ(selected().cursor, 1);
    EXPECT_EQ(host.last(), (Message{"UNSELECTED LOCATION", " "}));
    selected().setCursor(0);
    unselectAtCursor();
    unselectAtCursor();
    EXPECT_TRUE(selectedIndices().empty());
    host.messages.clear();
    unselectAtCursor();
    EXPECT_TRUE(host.messages.empty()) << "an empty selection has nothing to unselect";
    EXPECT_EQ(selected().cursor, 0);
}

TEST_F(Lists, ClearingPostsFirstEvenWhenThereIsNothingToClear) {
    load(kFour, {3, 0});
    selected().setCursor(1);
    clearSelection();
    EXPECT_TRUE(selectedIndices().empty());
    EXPECT_TRUE(selected().items.empty());
    EXPECT_EQ(selected().cursor, 0);
    clearSelection();
    EXPECT_EQ(host.messages,
              (std::vector<Message>{{"CLEAR SELECTIONS", " "}, {"CLEAR SELECTIONS", " "}}));
}

TEST_F(Lists, AnEmptyDatabaseOnlyPostsTheDeleteMessage) {
    load({}, {0, 1});
    EXPECT_TRUE(state().places.fromFile());
    EXPECT_TRUE(available().items.empty());
    EXPECT_TRUE(selectedIndices().empty()) << "indices that name no record are skipped";
    deletePlace(0);
    selectPlace(0);
    EXPECT_EQ(host.messages, (std::vector<Message>{{"DELETE LOCATION", " "}}));
    EXPECT_TRUE(state().places.empty());
}

TEST_F(Lists, AppendedPlacesGoToTheEndAndTheListsKeepPointingAtTheirRecords) {
    load(kFour, {1});
    // Well past the database's first capacities: every record stays where it
    // is, so the lists' texts stay valid.
    for (int i = 0; i < 40; ++i)
        appendPlace(makeLocationRecord("P" + std::to_string(i), 0, 0, 0));
    ASSERT_EQ(state().places.size(), 44u);
    for (std::size_t i = 0; i < state().places.size(); ++i)
        EXPECT_EQ(available().items[i], state().places[i].name);
    EXPECT_EQ(names(available()).back(), "P39");
    EXPECT_EQ(selectedIndices(), Indices{1}) << "a new place is not selected";
    EXPECT_EQ(selected().items[0], state().places[1].name);
}

TEST_F(Lists, TheListRectanglesFollowTheDisplay) {
    load(kFour);
    // 1280 x 720: 545 and 445 pixels shortened to 40 and 32 rows of 13.5.
    EXPECT_EQ(available().rect().left, 325);
    EXPECT_EQ(available().rect().right, 635);
    EXPECT_EQ(available().rect().bottom, 635);
    EXPECT_EQ(selected().rect().left, 645);
    EXPECT_EQ(selected().rect().right, 955);
    EXPECT_EQ(selected().rect().bottom, 527);
    layoutLocationLists(800, 600);
    EXPECT_EQ(available().rect().left, 85);
    EXPECT_EQ(available().rect().top, 95);
    EXPECT_EQ(available().rows, 31); // 425 / 13.5
    EXPECT_EQ(available().rect().bottom, 95 + 418);
    EXPECT_EQ(selected().rect().left, 405);
    EXPECT_EQ(selected().rect().right, 715);
    EXPECT_EQ(selected().rows, 24); // 325 / 13.5
}

TEST_F(Lists, ThePreviewBuildsEmptyListsAndNoFormAndWithoutListsNoSelectionIsSaved) {
    test::writeBytes(dir.file("geovista.loc"), testing::databaseBytes(kFour));
    ASSERT_TRUE(initLocations(dir.folder(), true, 1280, 720));
    EXPECT_TRUE(state().locationsReady);
    ASSERT_NE(state().availableList, nullptr);
    EXPECT_TRUE(available().items.empty());
    EXPECT_EQ(state().formPanel, nullptr);
    // No lists at all: nothing to save the selection from.
    resetLocationsForRun();
    EXPECT_EQ(savePlaces(dir.folder()).selection.outcome, SaveOutcome::Kept);
    EXPECT_EQ(test::readBytes(dir.file("geovista.loc")), testing::databaseBytes(kFour));
}

} // namespace
} // namespace gv
