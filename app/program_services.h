#pragma once
// The program's own implementations of every seam over the driver's objects:
// the overlays' host and what they change (ui/), and the window procedure's
// cameras, locations manager and pointer (app/). Tests connect fakes instead.
namespace gv {

void connectProgramServices();
// Empties every seam again (tests).
void disconnectProgramServices();

} // namespace gv
