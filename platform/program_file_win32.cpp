#include "platform/program_file.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// After windows.h, whose types it uses (a block of its own, so that sorting
// the includes keeps the order).
#include <shellapi.h>

namespace gv::platform {

char pathSeparator() {
    return '\\';
}

std::string programFilePath() {
    char buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    return std::string(buffer, n);
}

std::string editorFileName() {
    return "GeovistaC.exe";
}

bool launchDetached(const std::string& path) {
    const auto rc = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return rc > 32;
}

} // namespace gv::platform
