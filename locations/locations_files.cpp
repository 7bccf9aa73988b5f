#include "locations/locations_files.h"

#include "core/log.h"
#include "locations/insert_form.h"
#include "locations/location_lists.h"
#include "locations/locations_manager.h"
#include "platform/resources.h"

namespace gv {

namespace {
LocationsState gLocations;

void logLoadProblems(const Places& places) {
    const FoundFile& database = places.databaseFile();
    if (database.state == FileState::Unreadable)
        logWrite("%s: the built-in places are used, and the file is left as it is\n",
                 readProblem(kCitiesFileName, database).c_str());
    else if (!database.whole)
        logWrite("%s is larger than %u bytes: only its first %u places are used\n", kCitiesFileName,
                 unsigned(kFileReadCap), unsigned(places.size()));
    const FoundFile& selection = places.selectionFile();
    if (selection.state == FileState::Unreadable || !selection.whole)
        logWrite("%s: %s, and the file is left as it is\n",
                 readProblem(kSelectionFileName, selection).c_str(),
                 selection.whole ? "no place is chosen" : "only its first part is used");
}
} // namespace

LocationsState& locations() {
    return gLocations;
}

void resetLocationsForRun() {
    const LocationsBinding bound = gLocations.bound;
    gLocations = LocationsState{};
    gLocations.bound = bound;
    resetLocationsManager();
}

void bindLocations(const LocationsBinding& binding) {
    // The atlas belongs to the font and device it was made for.
    gLocations.labelAtlas.reset();
    gLocations.bound = binding;
}

const std::vector<uint32_t>& selectedIndices() {
    return gLocations.places.selection();
}

void loadPlaces(const std::string& programFolder) {
    Places& places = gLocations.places;
    places.load(programFolder,
                platform::findResource(platform::kResourceBinary, kCitiesResourceId));
    logLoadProblems(places);
    if (OverlayList* available = gLocations.availableList) {
        available->items.clear();
        available->items.reserve(places.size());
        for (uint32_t i = 0; i < places.size(); ++i)
            available->items.push_back(placeName(i));
        available->clamp();
    }
    if (OverlayList* selected = gLocations.selectedList) {
        selected->items.clear();
        for (uint32_t index : places.selection())
            selected->items.push_back(placeName(index));
        selected->clamp();
    }
}

PlacesSave savePlaces(const std::string& programFolder) {
    if (!gLocations.availableList || !gLocations.selectedList) return Places{}.save(programFolder);
    return gLocations.places.save(programFolder);
}

bool initLocations(const std::string& programFolder, bool previewMode, int width, int height) {
    try {
        createListsPanel(width, height);
        LocationsManager& m = locationsManager();
        m.insertMode = false;
        m.listsVisible = true;
        if (!previewMode) {
            loadPlaces(programFolder);
            createInsertForm();
        }
        gLocations.locationsReady = true;
        return true;
    } catch (...) {
        logWrite("*** FATAL ERROR while initializing locations ***\n");
        return false;
    }
}

} // namespace gv
