#pragma once
// Termination requests from outside the window system (SIGTERM from a screen
// saver host, Ctrl+C in a terminal): they end the run through the normal
// shut-down so the user's files are saved.

namespace gv::platform {

void installQuitSignals();
// True once after a quit signal arrived.
bool takeQuitSignal();

} // namespace gv::platform
