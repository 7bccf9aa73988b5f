#include "app/preferences_file.h"

#include "core/log.h"
#include "formats/file_bytes.h"
#include "platform/atomic_file.h"

namespace gv {

namespace {
Preferences gPrefs = defaultPreferences();
bool gLoaded = false;
} // namespace

Preferences& prefs() {
    return gPrefs;
}
bool preferencesLoaded() {
    return gLoaded;
}

void resetPreferencesForRun() {
    gPrefs = defaultPreferences();
    gLoaded = false;
}

bool loadPreferences(const std::string& programFolder) {
    try {
        const std::string path = programFolder + kPreferencesFileName;
        // A file far longer than the record is read no further than needed.
        if (auto bytes = readFileBytes(path, kPreferencesSize)) overlayPreferences(gPrefs, *bytes);
        gLoaded = true;
        return true;
    } catch (...) {
        logWrite("*** FATAL ERROR while loading user preferences ***\n");
        return false;
    }
}

bool savePreferences(const std::string& programFolder) {
    if (!gLoaded) return true;
    try {
        const auto bytes = encodePreferences(gPrefs);
        // A file that cannot be written is skipped silently, as before; the
        // replace keeps the old file whole when it fails.
        return platform::replaceFileContents(programFolder + kPreferencesFileName, bytes);
    } catch (...) {
        logWrite("*** FATAL ERROR while saving user preferences ***\n");
        return false;
    }
}

} // namespace gv
