#include "locations/location_lists.h"

#include "locations/locations_files.h"
#include "locations/locations_host.h"

namespace gv {

namespace {

void post(const char* title) {
    locationsHost().postMessage(title, " ");
}

bool listsExist() {
    const LocationsState& s = locations();
    return s.availableList && s.selectedList;
}

void eraseEntry(OverlayList& list, std::size_t i) {
    list.items.erase(list.items.begin() + std::ptrdiff_t(i));
}

} // namespace

WidgetRect availableListRect(int width, int height) {
    return {width / 2 - 315, 95, width / 2 - 5, height - 80};
}

WidgetRect selectedListRect(int width, int height) {
    return {width / 2 + 5, 95, width / 2 + 315, height - 180};
}

void createListsPanel(int width, int height) {
    LocationsState& s = locations();
    s.listsPanel = std::make_unique<OverlayPanel>(s.bound.renderer);
    s.availableList =
        &s.listsPanel->add<OverlayList>(s.bound.mainFont, kListTextScale, kListTextScale,
                                        availableListRect(width, height), kLocationListColours);
    s.selectedList =
        &s.listsPanel->add<OverlayList>(s.bound.mainFont, kListTextScale, kListTextScale,
                                        selectedListRect(width, height), kLocationListColours);
}

void layoutLocationLists(int width, int height) {
    LocationsState& s = locations();
    if (!listsExist()) return;
    s.availableList->setRect(availableListRect(width, height));
    s.availableList->clamp();
    s.selectedList->setRect(selectedListRect(width, height));
    s.selectedList->clamp();
}

const char* placeName(uint32_t index) {
    return locations().places[index].name;
}

void selectPlace(uint32_t index) {
    LocationsState& s = locations();
    if (!listsExist() || !s.places.select(index)) return;
    OverlayList& selected = *s.selectedList;
    selected.items.push_back(placeName(index));
    selected.clamp();
    post("SELECTED LOCATION");
}

void unselectAtCursor() {
    LocationsState& s = locations();
    if (!listsExist()) return;
    OverlayList& selected = *s.selectedList;
    if (selected.items.empty()) return;
    selected.clamp();
    s.places.unselect(std::size_t(selected.cursor));
    eraseEntry(selected, std::size_t(selected.cursor));
    selected.clamp();
    post("UNSELECTED LOCATION");
}

void clearSelection() {
    post("CLEAR SELECTIONS");
    LocationsState& s = locations();
    if (!listsExist()) return;
    s.places.clearSelection();
    OverlayList& selected = *s.selectedList;
    selected.items = {};
    selected.items.reserve(16);
    selected.clamp();
}

namespace {
// The two lists follow a deletion step by step; a list entry of a deleted
// record goes at once, before anything could read its name.
class ListsFollowDeletion final : public PlacesListener {
  public:
    explicit ListsFollowDeletion(LocationsState& s) : s_(s) {}
    void placeRemoved(std::size_t k) override {
        if (k < s_.availableList->items.size()) eraseEntry(*s_.availableList, k);
    }
    void selectionEntryRemoved(std::size_t j) override { eraseEntry(*s_.selectedList, j); }
    void selectionEntryRenumbered(std::size_t j) override {
        s_.selectedList->items[j] = placeName(s_.places.selection()[j]);
    }

  private:
    LocationsState& s_;
};
} // namespace

void deletePlace(uint32_t index) {
    post("DELETE LOCATION");
    LocationsState& s = locations();
    if (!listsExist()) return;
    ListsFollowDeletion follow(s);
    if (!s.places.remove(index, &follow)) return;
    s.availableList->clamp();
    s.selectedList->clamp();
}

bool appendPlace(const LocationRecord& record) {
    LocationsState& s = locations();
    if (!s.places.append(record)) return false;
    if (!listsExist()) return true;
    s.availableList->items.push_back(placeName(uint32_t(s.places.size() - 1)));
    s.availableList->clamp();
    return true;
}

} // namespace gv
