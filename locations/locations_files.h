#pragma once
// The globe's places: the cities database, the two lists of the locations
// manager (every place, and the chosen ones) and its insert form, as built
// at start-up; the database and the selection are loaded then and written
// back at shut-down.
#include "formats/cities_database.h"
#include "locations/overlay_edit.h"
#include "locations/overlay_list.h"

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
    CitiesDatabase database;
    bool databaseFromFile = false;
    // False when "geovista.loc" was larger than the reader takes: only its
    // first part is in the database, so neither it nor the selection, whose
    // indices past that part were dropped, is written back.
    bool databaseWhole = true;
    bool locationsReady = false;
    LocationsBinding bound;

    // The lists panel: "AVAILABLE LOCATIONS" (entry k is record k) and then
    // "SELECTED LOCATIONS" (database indices in its indices, the names in
    // its items).
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

// "geovista.loc" in the program folder; true when the file could be opened,
// even if it held no complete record.
bool loadCitiesFile(const std::string& programFolder);
// The built-in database ("BINARY" 128); always true (a missing resource gives
// an empty database).
bool loadCitiesResource();
// Both saves write nothing for a database that was not read whole (and
// return true: the files on disk are still the user's).
bool saveCitiesFile(const std::string& programFolder);

// "geovista.sel": read only for a database that came from its file; values
// that name no record are skipped, duplicates kept.
void loadSelection(const std::string& programFolder);
// Written only while the lists exist.
bool saveSelection(const std::string& programFolder);

// The locations part of start-up: the lists for a display of width x height,
// then (not in the preview) the database, the selection and the insert form.
bool initLocations(const std::string& programFolder, bool previewMode, int width, int height);

} // namespace gv
