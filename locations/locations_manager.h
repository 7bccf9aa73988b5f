#pragma once
// The locations manager: F4 unrolls the globe into a flat world map lit
// evenly from all sides, with the lists of places over it; the keyboard
// chooses, searches, adds and deletes places; closing rolls the map back
// and puts back the settings it changed.
#include "formats/preferences.h"
#include "locations/location_markers.h"
#include "platform/messages.h"

#include <cstdint>

namespace gv {

class Mesh;

struct LocationsManager {
    bool hasKeyboard = false; // every message goes to the manager first
    bool opening = false;
    bool open = false; // from the end of the opening to the end of the closing
    bool closing = false;
    int morphStage = 0;  // 0: globe to segment, 1: segment to flat map
    float morphT = 0.0f; // 0..1 within the stage
    bool insertMode = false;
    bool listsVisible = true;
    bool ctrlDown = false;
    // The settings as they were when it opened.
    Preferences savedPreferences{};
};

LocationsManager& locationsManager();
void resetLocationsManager();

// Opening, open or closing: its frame replaces the globe's markers.
bool managerOnScreen();
// The share of the earth's tilt that the globe shows (with "TRUE SEASONS"):
// 1 while the manager is closed, straightening to 0 as the globe unrolls
// into the segment (the map lies upright) and back as it rolls up.
float managerEarthTilt();

// F4 while closed (the window procedure has checked that no camera glide
// runs and posts the message): takes the keyboard, keeps a copy of the
// settings, switches to the locations camera, turns the earth's faces to
// show from both sides and starts unrolling. False when a camera glide runs.
bool openManager();
// Puts back the camera, time and sky settings and starts rolling the map up.
void closeManager();

// Every message while the manager has the keyboard; true when it took it.
bool managerHandleKey(const platform::WindowMessage& msg);

// Once per frame while on screen, in place of the globe, its clouds and
// markers: the morph, the earth's live mesh, the clouds over the map, the
// lists or the form.
void managerFrame(const LocationsFrame& frame);

// The program ends while the manager is on screen: the settings it changed
// go back to the user's own (as closing would leave them) before they are
// saved.
void restoreManagerPreferences(Preferences& prefs);

// Each vertex of live between the same vertex of from and of to: position
// and normal linearly; the buffer is sent again.
void morphEarthMesh(Mesh& live, const Mesh& from, const Mesh& to, float t);

// The lists or the insert form with their texts (frame step 6).
void drawManagerInterface(const LocationsFrame& frame);

} // namespace gv
