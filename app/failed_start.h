#pragma once
// A failed start-up tells a user at a terminal what failed and where to read
// why: one line on standard error (the globe shows no dialogs; its reports
// are in the log).
#include <string>

namespace gv {

// "Geovista: start-up failed at "STEP"; see LOG\n".
std::string failedStartLine(const std::string& step, const std::string& logFile);

// Writes that line for the log's file as an absolute path.
void reportFailedStart(const std::string& step);

} // namespace gv
