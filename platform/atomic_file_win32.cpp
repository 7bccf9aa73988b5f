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
} // namespace

void setAtomicWriteHook(AtomicWriteHook hook) {
    gHook = hook;
}

bool replaceFileContents(const std::string& path, std::span<const uint8_t> bytes) {
    const std::string temp = path + ".new";
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const std::size_t half = bytes.size() / 2;
    bool ok = writeAll(file, bytes.data(), half);
    if (ok && gHook) gHook(temp);
    ok = ok && writeAll(file, bytes.data() + half, bytes.size() - half);
    ok = ok && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    if (!ok || !MoveFileExA(temp.c_str(), path.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temp.c_str());
        return false;
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
