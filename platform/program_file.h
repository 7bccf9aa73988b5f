#pragma once
// The running program's file and the programs beside it.
#include <string>

namespace gv::platform {

// The separator that ends the program folder ('\\' on Windows, '/' elsewhere).
char pathSeparator();

// Full path of the running program's file, or empty when it cannot be known.
std::string programFilePath();

// The platform's file name of the settings editor ("GeovistaC.exe" on Windows).
std::string editorFileName();

// Starts a program without waiting for it. False when it could not be started.
bool launchDetached(const std::string& path);

// Whether this user may create and replace files in the folder (which must
// exist).
bool folderWritable(const std::string& folder);

// The folder for this user's own copy of the files when the program folder
// cannot be written: $XDG_DATA_HOME/geovista3d/ (~/.local/share/geovista3d/
// when unset) on Linux, %LOCALAPPDATA%\Geovista3D\ on Windows. Ends with the
// separator; empty when the system names no such place.
std::string userDataFolder();

// Makes the folder and any missing parents, private to this user (0700).
// True when it is (now) a folder of this user's, not a link.
bool makePrivateFolder(const std::string& folder);

} // namespace gv::platform
