#pragma once
// One running globe at a time. On Windows a named mutex; on Linux an exclusive
// lock on a file named after the mutex in the user's runtime folder, with a
// local socket beside it through which a second start asks the first to come
// to the front.
#include <string>

namespace gv::platform {

enum class InstanceClaim {
    Claimed,       // this process is the one
    HeldElsewhere, // another process holds it, and has been asked to raise its window
    Refused,       // the lock's folder is not safe to use (another user could hold it)
};

// Claims the instance named `name` for the life of the process. Refused
// tells why in `why`: without $XDG_RUNTIME_DIR the lock lives in a folder
// of the temporary folder, which must be a folder (not a link) of this user
// with mode 0700, or any local user could make it first and hold the lock.
InstanceClaim claimSingleInstance(const std::string& name, std::string* why = nullptr);

// Takes the instance when no other process holds it, without asking
// anything of the holder: Claimed when this process holds it now (or when no
// lock can be had at all, as for claimSingleInstance), HeldElsewhere when
// another does; Refused as for claimSingleInstance.
InstanceClaim tryClaimSingleInstance(const std::string& name, std::string* why = nullptr);

// True once for each raise request that a second start sent us.
bool takeRaiseRequest();

} // namespace gv::platform
