#include "editor/editor_files.h"

#include "formats/file_bytes.h"
#include "platform/atomic_file.h"

#include <cstdio>

namespace gv::editor {

bool loadPreferencesFile(const std::string& folder, SettingsModel& settings) {
    settings.setFactoryDefaults();
    const auto bytes = readFileBytes(folder + kPreferencesFileName, kPreferencesSize);
    if (!bytes) return false;
    settings.overlayFile(*bytes);
    return true;
}

bool savePreferencesFile(const std::string& folder, const SettingsModel& settings) {
    return platform::replaceFileContents(folder + kPreferencesFileName, settings.bytes());
}

void deletePreferencesFile(const std::string& folder) {
    std::remove((folder + kPreferencesFileName).c_str());
}

} // namespace gv::editor
