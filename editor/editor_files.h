#pragma once
// The settings file as the editor reads and writes it, in the program folder.
#include "editor/settings_model.h"
#include "formats/file_bytes.h"
#include "formats/file_save.h"

#include <string>

namespace gv::editor {

inline constexpr const char* kPreferencesFileName = "geovista.cfg";

// Factory defaults, then up to 1196 bytes of the file over them. A missing
// file, or one that cannot be read, keeps the defaults; how the file was
// found decides whether OK may write it.
FoundFile loadPreferencesFile(const std::string& folder, SettingsModel& settings);
// Replaces the file with the 1196 bytes of the record, never half written;
// a file found unreadable is kept as it is.
FileSave savePreferencesFile(const std::string& folder, const SettingsModel& settings,
                             const FoundFile& found);
// The preferences file alone ("Reset" deletes it with the location files);
// how the folder holds it afterwards (absent, unless it could not be deleted).
FoundFile deletePreferencesFile(const std::string& folder);

} // namespace gv::editor
