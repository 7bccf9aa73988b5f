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

} // namespace gv::platform
