#include "platform/single_instance.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace gv::platform {

InstanceClaim claimSingleInstance(const std::string& name, std::string* /*why*/) {
    // A named mutex lives in the session's own namespace: no folder to check.
    CreateMutexA(nullptr, TRUE, name.c_str()); // held until the process ends
    if (GetLastError() != ERROR_ALREADY_EXISTS) return InstanceClaim::Claimed;
    // Windows finds the running one by its window class.
    if (HWND other = FindWindowA("Geovista3D", nullptr)) SetForegroundWindow(other);
    return InstanceClaim::HeldElsewhere;
}

InstanceClaim tryClaimSingleInstance(const std::string& name, std::string* /*why*/) {
    HANDLE mutex = CreateMutexA(nullptr, TRUE, name.c_str());
    // Ours until the end.
    if (!mutex || GetLastError() != ERROR_ALREADY_EXISTS) return InstanceClaim::Claimed;
    CloseHandle(mutex);
    return InstanceClaim::HeldElsewhere;
}

bool takeRaiseRequest() {
    return false;
}

} // namespace gv::platform
