#include "platform/single_instance.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace gv::platform {

std::string runtimeFolder() {
    return {};
}

bool claimSingleInstance(const std::string& name) {
    CreateMutexA(nullptr, TRUE, name.c_str()); // held until the process ends
    if (GetLastError() != ERROR_ALREADY_EXISTS) return true;
    // Windows finds the running one by its window class.
    if (HWND other = FindWindowA("Geovista3D", nullptr)) SetForegroundWindow(other);
    return false;
}

bool tryClaimSingleInstance(const std::string& name) {
    HANDLE mutex = CreateMutexA(nullptr, TRUE, name.c_str());
    if (!mutex || GetLastError() != ERROR_ALREADY_EXISTS) return true; // ours until the end
    CloseHandle(mutex);
    return false;
}

bool takeRaiseRequest() {
    return false;
}

} // namespace gv::platform
