#pragma once
// One running globe at a time. On Windows a named mutex; on Linux an exclusive
// lock on a file named after the mutex in the user's runtime folder, with a
// local socket beside it through which a second start asks the first to come
// to the front.
#include <string>

namespace gv::platform {

// Claims the instance named `name` for the life of the process. Returns false
// when another process holds it; that process has then been asked to raise
// its window.
bool claimSingleInstance(const std::string& name);

// Takes the instance when no other process holds it, without refusing and
// without asking anything of the holder: true when this process holds it now
// (or when no lock can be had at all, as for claimSingleInstance).
bool tryClaimSingleInstance(const std::string& name);

// True once for each raise request that a second start sent us.
bool takeRaiseRequest();

// Folder for the lock and socket ($XDG_RUNTIME_DIR, else a per-user folder
// under the temporary folder).
std::string runtimeFolder();

} // namespace gv::platform
