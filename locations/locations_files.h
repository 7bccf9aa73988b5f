#pragma once
// The globe's places: the places (database and selection, the rules of both
// files), the two lists of the locations manager (every place, and the
// chosen ones) and its insert form, as built at start-up; the places are
// loaded then and written back at shut-down.
#include "engine/text_atlas.h"
#include "locations/label_declutter.h"
#include "locations/overlay_edit.h"
#include "locations/overlay_list.h"
#include "places/places.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gv {

class BitmapFont;
class Mesh;
class Renderer;
struct Preferences;

inline constexpr uint32_t kCitiesResourceId = 128;
inline constexpr int kFormEditCount = 7;

// What the places draw with and read; bound once before initLocations (all
// may be left out by tests that draw nothing).
struct LocationsBinding {
    Renderer* renderer = nullptr;
    const BitmapFont* mainFont = nullptr;
    const BitmapFont* hintFont = nullptr; // its four arrow icons
    Mesh* cityMarker = nullptr;
    Preferences* prefs = nullptr;
};

struct LocationsState {
    Places places;
    bool locationsReady = false;
    LocationsBinding bound;
    // The labels' lines, drawn once each (made at the first labels drawn).
    std::unique_ptr<TextAtlas> labelAtlas;
    // Which labels "LOCATIONS LABELS DECLUTTER" leaves out, frame to frame.
    LabelDeclutter labelDeclutter;

    // The lists panel: "AVAILABLE LOCATIONS" (entry k is record k) and then
    // "SELECTED LOCATIONS" (entry j names the place of the selection's
    // entry j).
    std::unique_ptr<OverlayPanel> listsPanel;
    OverlayList* availableList = nullptr;
    OverlayList* selectedList = nullptr;

    // The insert form: name, latitude degrees, minutes and hemisphere,
    // longitude degrees, minutes and hemisphere, then the time zones.
    std::unique_ptr<OverlayPanel> formPanel;
    std::array<OverlayEdit*, kFormEditCount> formEdits{};
    OverlayList* timeZoneList = nullptr;
};

// The process-wide state of the places.
LocationsState& locations();
void resetLocationsForRun();
void bindLocations(const LocationsBinding& binding);

// The chosen places' database indices, in selection order.
const std::vector<uint32_t>& selectedIndices();

// "geovista.loc" and "geovista.sel" of the program folder, else the built-in
// database ("BINARY" 128), into the places and both lists; a file that
// cannot be read (or not whole) is logged with its reason.
void loadPlaces(const std::string& programFolder);
// The database, then the selection, unless a file is to be left as it is;
// nothing is written while the lists do not exist or nothing was loaded.
PlacesSave savePlaces(const std::string& programFolder);

// The locations part of start-up: the lists for a display of width x height,
// then (not in the preview) the places and the insert form.
bool initLocations(const std::string& programFolder, bool previewMode, int width, int height);

} // namespace gv
