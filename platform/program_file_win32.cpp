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
    // A missing program is a plain refusal, without the shell's message box.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    const auto rc = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return rc > 32;
}

bool folderWritable(const std::string& folder) {
    // Access rights on Windows are lists that no mode bit tells: try a file.
    const std::string probe = folder + "geovista.probe";
    const HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(h);
    return true;
}

std::string userDataFolder() {
    char buffer[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("LOCALAPPDATA", buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::string folder(buffer, n);
    if (folder.back() != '\\') folder += '\\';
    return folder + "Geovista3D\\";
}

bool makePrivateFolder(const std::string& folder) {
    // The user's local application data is private to the user already.
    if (folder.size() < 3) return false;
    for (std::size_t at = folder.find('\\', 3); at != std::string::npos;
         at = folder.find('\\', at + 1))
        CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

} // namespace gv::platform
