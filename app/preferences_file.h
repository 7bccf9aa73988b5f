#pragma once
// The live settings record and "geovista.cfg" in the program folder.
#include "formats/file_save.h"
#include "formats/preferences.h"

#include <string>

namespace gv {

inline constexpr const char* kPreferencesFileName = "geovista.cfg";

// The one live record, with the defaults until the file is read over it.
Preferences& prefs();

// Set by a successful load; saving does nothing until then, so a run whose
// load failed never overwrites the user's file.
bool preferencesLoaded();

// Reads up to 1196 bytes of the file over the live record; a missing or short
// file leaves the remaining defaults, and so does a file that cannot be read
// (which is logged, and then never written). False only when reading raised
// a failure.
bool loadPreferences(const std::string& programFolder);

// Writes the live record: Written, Failed with the system's reason, or Kept
// (not loaded, or the file could not be read: the reason says so).
FileSave savePreferences(const std::string& programFolder);

// Restores the defaults and forgets the load (for tests and a fresh run).
void resetPreferencesForRun();

} // namespace gv
