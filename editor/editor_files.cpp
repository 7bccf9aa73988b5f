#include "editor/editor_files.h"

#include "platform/atomic_file.h"

#include <cstdio>

namespace gv::editor {

FoundFile loadPreferencesFile(const std::string& folder, SettingsModel& settings) {
    settings.setFactoryDefaults();
    const FileBytes file = readFileBytes(folder + kPreferencesFileName, kPreferencesSize);
    if (file.read()) settings.overlayFile(file.bytes);
    // Only the record's length is read: what follows is not the record's.
    FoundFile found = foundFile(file);
    found.whole = true;
    return found;
}

FileSave savePreferencesFile(const std::string& folder, const SettingsModel& settings,
                             const FoundFile& found) {
    FileSave save{kPreferencesFileName, SaveOutcome::Kept, {}};
    if (found.state == FileState::Unreadable) {
        save.reason = "it could not be read (" + found.reason + ")";
        return save;
    }
    save.outcome =
        platform::replaceFileContents(folder + kPreferencesFileName, settings.bytes(), &save.reason)
            ? SaveOutcome::Written
            : SaveOutcome::Failed;
    return save;
}

FoundFile deletePreferencesFile(const std::string& folder) {
    const std::string path = folder + kPreferencesFileName;
    std::remove(path.c_str());
    return foundFile(checkReadable(path));
}

} // namespace gv::editor
