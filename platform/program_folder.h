#pragma once
// Where both programs keep their shared files: the per-user "AppPath" value
// when it is set, else the folder of the running program.
#include <string>

namespace gv::platform {

inline constexpr const char* kProgramRegistryKey = "SOFTWARE\\Quorvane\\Geovista3D";
inline constexpr const char* kProgramFolderValue = "AppPath";

// The program folder: the "AppPath" value when present and not empty, else the
// program file's folder. Always ends with the platform's separator.
std::string programFolderFrom(const std::string* appPathValue, const std::string& programFile,
                              char separator);

struct ProgramFolder {
    std::string path;          // ends with the separator
    bool fromRegistry = false; // false: the value was missing or empty
};

// Reads the value and falls back to the running program's folder.
ProgramFolder findProgramFolder();

} // namespace gv::platform
