// Choosing, adding and deleting places: the selection keeps naming the same
// places whatever is deleted.
#include "places_support.h"

#include <gtest/gtest.h>

namespace gv {
namespace {

using Indices = std::vector<uint32_t>;
using Strings = std::vector<std::string>;

class PlacesEdit : public ::testing::Test {
  protected:
    test::TempDir dir;
    Places places;
    void load(const std::vector<std::string>& names, const Indices& selection) {
        test::writeBytes(dir.file("geovista.loc"), test::databaseBytes(names));
        test::writeBytes(dir.file("geovista.sel"), test::selectionBytes(selection));
        places.load(dir.folder(), {});
        ASSERT_TRUE(places.fromFile());
    }
};

TEST_F(PlacesEdit, DeletingAPlaceMovesTheLaterIndicesDownWithTheirRecords) {
    // Database A, B, C, D; selection [3, 1]. Deleting B leaves A, C, D and
    // [2]: the entry of B goes, 3 becomes 2 and still names D.
    load({"A", "B", "C", "D"}, {3, 1});
    ASSERT_TRUE(places.remove(1));
    EXPECT_EQ(test::placeNames(places), (Strings{"A", "C", "D"}));
    EXPECT_EQ(places.selection(), Indices{2});
    // One that is not chosen only renumbers.
    load({"A", "B", "C", "D"}, {0, 3, 2});
    ASSERT_TRUE(places.remove(1));
    EXPECT_EQ(places.selection(), (Indices{0, 2, 1}));
}

TEST_F(PlacesEdit, APlaceChosenTwiceLeavesNoEntryBehind) {
    // Selection [1, 1]; deleting Bravo must not leave an entry that now
    // names Charlie.
    load({"Alpha", "Bravo", "Charlie"}, {1, 1});
    ASSERT_TRUE(places.remove(1));
    EXPECT_TRUE(places.selection().empty());
    load({"A", "B", "C", "D"}, {2, 1, 2, 3});
    ASSERT_TRUE(places.remove(2));
    EXPECT_EQ(places.selection(), (Indices{1, 2}));
}

// Writes down what a list following the places hears.
struct Heard : PlacesListener {
    Strings steps;
    const Places* places = nullptr;
    void placeAboutToBeRemoved(std::size_t k) override { note("place?", k); }
    void placeRemoved(std::size_t k) override { note("place", k); }
    void selectionEntryAboutToBeRemoved(std::size_t j) override { note("entry?", j); }
    void selectionEntryRemoved(std::size_t j) override { note("entry", j); }
    void selectionEntryRenumbered(std::size_t j) override {
        // Told after the change: the entry already names the record's new place.
        note("renumbered", j);
        steps.back() += " to " + std::to_string(places->selection()[j]);
    }
    void note(const char* what, std::size_t i) {
        steps.push_back(std::string(what) + " " + std::to_string(i));
    }
};

TEST_F(PlacesEdit, AListenerHearsEachStepBeforeAndAfterIt) {
    load({"A", "B", "C", "D"}, {2, 0, 2, 3});
    Heard heard;
    heard.places = &places;
    ASSERT_TRUE(places.remove(2, &heard));
    // The entries of C from the last one back, then D's entry moved down.
    EXPECT_EQ(heard.steps, (Strings{"place? 2", "place 2", "entry? 2", "entry 2", "entry? 0",
                                    "entry 0", "renumbered 1 to 2"}));
    EXPECT_EQ(places.selection(), (Indices{0, 2}));
}

TEST_F(PlacesEdit, NothingHappensForAPlaceThatIsNotThere) {
    load({"A", "B"}, {1});
    Heard heard;
    heard.places = &places;
    EXPECT_FALSE(places.remove(2, &heard));
    EXPECT_TRUE(heard.steps.empty());
    EXPECT_EQ(places.size(), 2u);
    load({}, {});
    EXPECT_FALSE(places.remove(0));
}

TEST_F(PlacesEdit, APlaceIsChosenOnceAndOnlyIfItExists) {
    load({"A", "B", "C"}, {1});
    EXPECT_FALSE(places.selectable(1));
    EXPECT_FALSE(places.select(1));
    EXPECT_TRUE(places.selectable(2));
    EXPECT_TRUE(places.select(2));
    EXPECT_FALSE(places.select(3));
    EXPECT_EQ(places.selection(), (Indices{1, 2}));
    EXPECT_TRUE(places.unselect(0));
    EXPECT_FALSE(places.unselect(1));
    EXPECT_EQ(places.selection(), Indices{2});
    places.clearSelection();
    EXPECT_TRUE(places.selection().empty());
    EXPECT_EQ(places.selection().capacity(), 16u);
}

} // namespace
} // namespace gv
