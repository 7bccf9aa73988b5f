#include "locations/locations_files.h"

#include "core/log.h"
#include "formats/file_bytes.h"
#include "formats/selection_file.h"
#include "locations/insert_form.h"
#include "locations/location_lists.h"
#include "locations/locations_manager.h"
#include "platform/atomic_file.h"
#include "platform/resources.h"

namespace gv {

namespace {
LocationsState gLocations;
const std::vector<uint32_t> kNoSelection;
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
    gLocations.bound = binding;
}

const std::vector<uint32_t>& selectedIndices() {
    return gLocations.selectedList ? gLocations.selectedList->indices : kNoSelection;
}

bool loadCitiesFile(const std::string& programFolder) {
    bool whole = true;
    auto bytes = readFileBytes(programFolder + kCitiesFileName, kFileReadCap, &whole);
    if (!bytes) return false;
    gLocations.database.appendFromBytes(*bytes);
    gLocations.databaseWhole = whole;
    if (!whole)
        logWrite("%s is larger than %u bytes: only its first %u places are used\n", kCitiesFileName,
                 unsigned(kFileReadCap), unsigned(gLocations.database.size()));
    return true;
}

bool loadCitiesResource() {
    gLocations.database.appendFromBytes(
        platform::findResource(platform::kResourceBinary, kCitiesResourceId));
    return true;
}

bool saveCitiesFile(const std::string& programFolder) {
    if (!gLocations.databaseWhole) {
        logWrite("%s was not read whole: it is not written back\n", kCitiesFileName);
        return true;
    }
    const auto bytes = gLocations.database.toBytes();
    return platform::replaceFileContents(programFolder + kCitiesFileName, bytes);
}

void loadSelection(const std::string& programFolder) {
    OverlayList* selected = gLocations.selectedList;
    if (!selected) return;
    auto indices =
        readSelectionFile(programFolder + kSelectionFileName, gLocations.database.size());
    if (!indices) return;
    for (uint32_t index : *indices) {
        selected->indices.push_back(index);
        selected->items.push_back(placeName(index));
    }
    selected->clamp();
}

bool saveSelection(const std::string& programFolder) {
    if (!gLocations.availableList || !gLocations.selectedList) return false;
    if (!gLocations.databaseWhole) {
        logWrite("%s was not read whole: %s is not written back\n", kCitiesFileName,
                 kSelectionFileName);
        return true;
    }
    const auto bytes = encodeSelection(gLocations.selectedList->indices);
    return platform::replaceFileContents(programFolder + kSelectionFileName, bytes);
}

bool initLocations(const std::string& programFolder, bool previewMode, int width, int height) {
    try {
        createListsPanel(width, height);
        LocationsManager& m = locationsManager();
        m.insertMode = false;
        m.listsVisible = true;
        if (!previewMode) {
            gLocations.databaseFromFile = loadCitiesFile(programFolder);
            if (!gLocations.databaseFromFile) loadCitiesResource();
            OverlayList& available = *gLocations.availableList;
            available.items.reserve(gLocations.database.size());
            for (uint32_t i = 0; i < gLocations.database.size(); ++i)
                available.items.push_back(placeName(i));
            available.clamp();
            if (gLocations.databaseFromFile) loadSelection(programFolder);
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
