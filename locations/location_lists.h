#pragma once
// The two lists of the locations manager kept in step with the database, and
// every operation that changes them: choosing and dropping places, clearing
// the selection, deleting a place (with the selection renumbered so that it
// keeps naming the same places) and appending a new one.
#include "formats/location_record.h"
#include "locations/overlay_list.h"

#include <cstdint>

namespace gv {

// Normal text, background, highlighted text, highlight bar, focused background.
inline constexpr ListColours kLocationListColours{0xFFC0C0C0u, 0x80304060u, 0xFFFFFFFFu,
                                                  0xC0405070u, 0xA0304070u};
inline constexpr float kListTextScale = 0.5f;

// Where the lists go on a display of width x height (before they are
// shortened to whole rows).
WidgetRect availableListRect(int width, int height);
WidgetRect selectedListRect(int width, int height);

// Makes the lists panel with its two empty lists.
void createListsPanel(int width, int height);
// After a display-mode change.
void layoutLocationLists(int width, int height);

// The name shown for a record: a pointer into the record, which never moves.
const char* placeName(uint32_t index);

// Appends the place to the selection unless it is already there ("SELECTED
// LOCATION"); an index outside the database is refused.
void selectPlace(uint32_t index);
// Drops the selected list's entry under its cursor ("UNSELECTED LOCATION").
void unselectAtCursor();
// "CLEAR SELECTIONS", then an empty selection.
void clearSelection();
// "DELETE LOCATION", then record index leaves the database and the
// available list; the selection loses it and names the same places after.
void deletePlace(uint32_t index);
// A new record at the end of the database and of the available list; false,
// with nothing changed, when the database holds all the places it may.
bool appendPlace(const LocationRecord& record);

} // namespace gv
