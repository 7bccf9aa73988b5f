#pragma once
// The locations manager's form for a new place: its eight widgets at fixed
// places on the screen, what is drawn round them, and the insert itself.
#include "locations/overlay_panel.h"

namespace gv {

// Makes the form panel: seven edit fields, then the 26 time zones.
void createInsertForm();
// Empties the seven fields and puts the focus on the name; the time-zone
// list keeps its cursor.
void clearInsertForm();
// The place described by the form goes to the end of the database and of
// the available list ("NEW LOCATION"); false with "PLEASE FILL ALL THE
// FIELDS" when a field is empty, the form left as it is.
bool insertNewLocation();
// The form with its captions, title and key hints.
void drawInsertForm();

} // namespace gv
