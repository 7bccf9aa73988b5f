#include "locations/location_lists.h"

#include "locations/locations_files.h"
#include "locations/locations_host.h"

#include <algorithm>

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
    if (i < list.indices.size()) list.indices.erase(list.indices.begin() + std::ptrdiff_t(i));
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
    return locations().database[index].name;
}

void selectPlace(uint32_t index) {
    LocationsState& s = locations();
    if (!listsExist() || index >= s.database.size()) return;
    OverlayList& selected = *s.selectedList;
    if (std::find(selected.indices.begin(), selected.indices.end(), index) !=
        selected.indices.end())
        return;
    selected.indices.push_back(index);
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
    eraseEntry(selected, std::size_t(selected.cursor));
    selected.clamp();
    post("UNSELECTED LOCATION");
}

void clearSelection() {
    post("CLEAR SELECTIONS");
    LocationsState& s = locations();
    if (!listsExist()) return;
    OverlayList& selected = *s.selectedList;
    selected.items = {};
    selected.indices = {};
    selected.items.reserve(16);
    selected.indices.reserve(16);
    selected.clamp();
}

void deletePlace(uint32_t index) {
    post("DELETE LOCATION");
    LocationsState& s = locations();
    if (!listsExist() || s.database.empty() || index >= s.database.size()) return;
    s.database.remove(index);
    OverlayList& available = *s.availableList;
    if (index < available.items.size()) eraseEntry(available, index);
    available.clamp();

    // Every entry of the deleted place goes: a selection file may name it
    // twice, and a second entry would be left naming the record that moved
    // into its place, with the name of one that no longer exists.
    OverlayList& selected = *s.selectedList;
    for (std::size_t j = selected.indices.size(); j-- > 0;)
        if (selected.indices[j] == index) eraseEntry(selected, j);
    selected.clamp();
    for (std::size_t j = 0; j < selected.indices.size(); ++j)
        if (selected.indices[j] > index) {
            --selected.indices[j];
            selected.items[j] = placeName(selected.indices[j]);
        }
}

void appendPlace(const LocationRecord& record) {
    LocationsState& s = locations();
    s.database.append(record);
    if (!listsExist()) return;
    s.availableList->items.push_back(placeName(uint32_t(s.database.size() - 1)));
    s.availableList->clamp();
}

} // namespace gv
