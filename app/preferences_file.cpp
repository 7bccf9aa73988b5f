#include "app/preferences_file.h"

#include "core/log.h"
#include "formats/file_bytes.h"
#include "platform/atomic_file.h"

namespace gv {

namespace {
Preferences gPrefs = defaultPreferences();
bool gLoaded = false;
// Why the file could not be read; while set, it is never written.
std::string gUnreadable;
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
    gUnreadable.clear();
}

bool loadPreferences(const std::string& programFolder) {
    try {
        const std::string path = programFolder + kPreferencesFileName;
        // A file far longer than the record is read no further than needed.
        const FileBytes file = readFileBytes(path, kPreferencesSize);
        if (file.read()) {
            overlayPreferences(gPrefs, file.bytes);
        } else if (file.unreadable()) {
            // Still the user's settings: the run goes on with the defaults,
            // and the file is not replaced by them at the end.
            gUnreadable = file.reason;
            logWrite("%s cannot be read (%s): the default settings are used, and the file is "
                     "left as it is\n",
                     kPreferencesFileName, gUnreadable.c_str());
        }
        gLoaded = true;
        return true;
    } catch (...) {
        logWrite("*** FATAL ERROR while loading user preferences ***\n");
        return false;
    }
}

FileSave savePreferences(const std::string& programFolder) {
    FileSave save{kPreferencesFileName, SaveOutcome::Kept, {}};
    if (!gLoaded) return save;
    if (!gUnreadable.empty()) {
        save.reason = "it could not be read (" + gUnreadable + ")";
        return save;
    }
    try {
        const auto bytes = encodePreferences(gPrefs);
        // The replace keeps the old file whole when it fails.
        if (platform::replaceFileContents(programFolder + kPreferencesFileName, bytes,
                                          &save.reason))
            save.outcome = SaveOutcome::Written;
        else
            save.outcome = SaveOutcome::Failed;
    } catch (...) {
        logWrite("*** FATAL ERROR while saving user preferences ***\n");
        save.outcome = SaveOutcome::Failed;
        save.reason = "a failure was raised while saving";
    }
    return save;
}

} // namespace gv
