#include "locations/locations_files.h"

#include "core/log.h"
#include "formats/file_bytes.h"
#include "formats/selection_file.h"
#include "platform/atomic_file.h"
#include "platform/resources.h"

namespace gv {

namespace {
LocationsState gLocations;
}

LocationsState& locations() {
    return gLocations;
}
void resetLocationsForRun() {
    gLocations = LocationsState{};
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
    if (auto indices =
            readSelectionFile(programFolder + kSelectionFileName, gLocations.database.size()))
        gLocations.selectedIndices = std::move(*indices);
}

bool saveSelection(const std::string& programFolder) {
    if (!gLocations.databaseWhole) {
        logWrite("%s was not read whole: %s is not written back\n", kCitiesFileName,
                 kSelectionFileName);
        return true;
    }
    const auto bytes = encodeSelection(gLocations.selectedIndices);
    return platform::replaceFileContents(programFolder + kSelectionFileName, bytes);
}

bool initLocations(const std::string& programFolder, bool previewMode) {
    try {
        gLocations.selectedIndices.reserve(16);
        if (!previewMode) {
            gLocations.databaseFromFile = loadCitiesFile(programFolder);
            if (!gLocations.databaseFromFile) loadCitiesResource();
            if (gLocations.databaseFromFile) loadSelection(programFolder);
        }
        gLocations.locationsReady = true;
        return true;
    } catch (...) {
        logWrite("*** FATAL ERROR while initializing locations ***\n");
        return false;
    }
}

} // namespace gv
