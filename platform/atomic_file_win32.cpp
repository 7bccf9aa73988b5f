#include "platform/atomic_file.h"

#define WIN32_LEAN_AND_MEAN
#include <io.h>
#include <windows.h>

namespace gv::platform {

namespace {
AtomicWriteHook gHook = nullptr;

bool writeAll(HANDLE file, const uint8_t* data, std::size_t size) {
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : DWORD(size);
        if (!WriteFile(file, data, chunk, &written, nullptr)) return false;
        data += written;
        size -= written;
    }
    return true;
}

bool fail(std::string* failure, DWORD error) {
    if (!failure) return false;
    char text[512] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, text, sizeof text, nullptr);
    std::string why(text, n);
    while (!why.empty() && (why.back() == '\r' || why.back() == '\n' || why.back() == '.'))
        why.pop_back();
    *failure = why.empty() ? "error " + std::to_string(error) : why;
    return false;
}

// The file a save replaces: for a symbolic link (or a junction on the way)
// the file it leads to, so that a file kept elsewhere behind a link is the
// one changed. A file that does not exist yet is written at its own path.
std::string finalPath(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return path;
    char buffer[MAX_PATH * 4];
    const DWORD n = GetFinalPathNameByHandleA(h, buffer, sizeof buffer, FILE_NAME_NORMALIZED);
    CloseHandle(h);
    if (n == 0 || n >= sizeof buffer) return path;
    std::string resolved(buffer, n);
    // "\\?\C:\..." and "\\?\UNC\server\share\...": the plain spellings.
    if (resolved.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + resolved.substr(8);
    if (resolved.rfind("\\\\?\\", 0) == 0) return resolved.substr(4);
    return resolved;
}
} // namespace

void setAtomicWriteHook(AtomicWriteHook hook) {
    gHook = hook;
}

bool replaceFileContents(const std::string& path, std::span<const uint8_t> bytes,
                         std::string* failure) {
    const std::string target = finalPath(path);
    const DWORD attributes = GetFileAttributesA(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return fail(failure, ERROR_ACCESS_DENIED);
    // A file the user made read-only stays as it is.
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) return fail(failure, ERROR_ACCESS_DENIED);
    const std::string temp = target + ".new";
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return fail(failure, GetLastError());
    const std::size_t half = bytes.size() / 2;
    bool ok = writeAll(file, bytes.data(), half);
    if (ok && gHook) gHook(temp);
    ok = ok && writeAll(file, bytes.data() + half, bytes.size() - half);
    ok = ok && FlushFileBuffers(file);
    DWORD error = ok ? 0 : GetLastError();
    if (!CloseHandle(file) && ok) {
        ok = false;
        error = GetLastError();
    }
    if (ok) {
        // ReplaceFile gives the new file the old one's attributes and
        // security; a file that vanished meanwhile is simply moved in.
        if (!exists || !ReplaceFileA(target.c_str(), temp.c_str(), nullptr,
                                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
            const DWORD replaceError = exists ? GetLastError() : ERROR_FILE_NOT_FOUND;
            if (replaceError != ERROR_FILE_NOT_FOUND ||
                !MoveFileExA(temp.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                ok = false;
                error = replaceError != ERROR_FILE_NOT_FOUND ? replaceError : GetLastError();
            }
        }
    }
    if (!ok) {
        DeleteFileA(temp.c_str());
        return fail(failure, error ? error : ERROR_WRITE_FAULT);
    }
    return true;
}

bool moveFileReplacing(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool flushFileToDisk(std::FILE* file) {
    return file && std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

} // namespace gv::platform
