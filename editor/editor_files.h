#pragma once
// The settings file as the editor reads and writes it, in the program folder.
#include "editor/settings_model.h"

#include <string>

namespace gv::editor {

inline constexpr const char* kPreferencesFileName = "geovista.cfg";

// Factory defaults, then up to 1196 bytes of the file over them. A missing
// file keeps the defaults (false).
bool loadPreferencesFile(const std::string& folder, SettingsModel& settings);
// Replaces the file with the 1196 bytes of the record, never half written.
bool savePreferencesFile(const std::string& folder, const SettingsModel& settings);
// The preferences file alone ("Reset" deletes it with the location files).
void deletePreferencesFile(const std::string& folder);

} // namespace gv::editor
