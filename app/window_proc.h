#pragma once
// The engine window's procedure: the complete keyboard and mouse map.
#include "app/pointer_services.h"
#include "platform/messages.h"

#include <cstdint>
#include <string>

namespace gv {

struct InputState {
    bool optionsVisible = false; // the options overlay is shown
    bool mouseLook = false;      // the user view is being dragged
    ScreenPoint lookCentre;      // where the pointer goes back after each move
    uint16_t saverMouseMoves = 0;
};

InputState& inputState();
// Everything back to the start of a run (overlay hidden, no drag, no moves).
void resetInputForRun();

int64_t windowProc(const platform::WindowMessage& msg);

// Mouse moves counted by the conventional screen saver; reset per run.
void resetSaverMouseMoves();

// The "USER COORDINATES" line for a latitude and a shown longitude (radians).
// The degree sign is code 0xBA, which the main font leaves blank.
std::string userCoordinatesText(float latitude, float longitude);

} // namespace gv
