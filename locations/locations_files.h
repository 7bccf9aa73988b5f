#pragma once
// The globe's places: the cities database and the selection, as loaded at
// start-up and written back at shut-down.
#include "formats/cities_database.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gv {

inline constexpr uint32_t kCitiesResourceId = 128;

struct LocationsState {
    CitiesDatabase database;
    bool databaseFromFile = false;
    // False when "geovista.loc" was larger than the reader takes: only its
    // first part is in the database, so neither it nor the selection, whose
    // indices past that part were dropped, is written back.
    bool databaseWhole = true;
    std::vector<uint32_t> selectedIndices;
    bool locationsReady = false;
};

// The process-wide state of the places.
LocationsState& locations();
void resetLocationsForRun();

// "geovista.loc" in the program folder; true when the file could be opened,
// even if it held no complete record.
bool loadCitiesFile(const std::string& programFolder);
// The built-in database ("BINARY" 128); always true (a missing resource gives
// an empty database).
bool loadCitiesResource();
// Both saves write nothing for a database that was not read whole (and
// return true: the files on disk are still the user's).
bool saveCitiesFile(const std::string& programFolder);

// "geovista.sel": read only for a database that came from its file.
void loadSelection(const std::string& programFolder);
bool saveSelection(const std::string& programFolder);

// The locations part of start-up: loads the database (file, else the built-in
// copy) and the selection. In the preview nothing is loaded or saved.
bool initLocations(const std::string& programFolder, bool previewMode);

} // namespace gv
