#pragma once
// What became of one shared file when the programs wrote their files: a
// file is written, left as it is on purpose (it could not be read, so it
// still holds what the user kept), or could not be written.
#include <string>

namespace gv {

enum class SaveOutcome {
    Written,
    Kept,   // left as it is on purpose; the reason says why (empty: nothing to say)
    Failed, // could not be written; the reason is the system's
};

struct FileSave {
    const char* name = "";
    SaveOutcome outcome = SaveOutcome::Kept;
    std::string reason;
};

} // namespace gv
