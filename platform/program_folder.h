#pragma once
// Where both programs keep their shared files: the per-user "AppPath" value
// when it is set, else the folder of the running program; and when that
// folder cannot be written (an installed program), a folder of the user's own.
#include <string>

namespace gv::platform {

inline constexpr const char* kProgramRegistryKey = "SOFTWARE\\Quorvane\\Geovista3D";
inline constexpr const char* kProgramFolderValue = "AppPath";

// The program folder: the "AppPath" value when present and not empty, else the
// program file's folder. Always ends with the platform's separator.
std::string programFolderFrom(const std::string* appPathValue, const std::string& programFile,
                              char separator);

// $XDG_DATA_HOME/geovista3d/, else $HOME/.local/share/geovista3d/; only
// absolute paths count. Empty when neither is usable.
std::string xdgDataFolderFrom(const char* dataHome, const char* home);

struct ProgramFolder {
    std::string path;          // ends with the separator
    bool fromRegistry = false; // false: the value was missing or empty
    // The folder the value or the program file named, when `path` is the
    // user's own folder because that one cannot be written.
    std::string unwritable;
    bool perUser() const { return !unwritable.empty(); }
};

// The configured folder when it can be written; else the user's own folder
// (made private on first use), when there is one and it can be made.
ProgramFolder settleProgramFolder(ProgramFolder configured, bool configuredWritable,
                                  const std::string& userFolder,
                                  bool (*makeFolder)(const std::string&));

// Reads the value, falls back to the running program's folder, and moves to
// the user's own folder when that one cannot be written.
ProgramFolder findProgramFolder();

} // namespace gv::platform
