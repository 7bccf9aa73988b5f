#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gv::platform {

namespace {
AtomicWriteHook gHook = nullptr;

bool writeAll(int fd, const uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}
} // namespace

void setAtomicWriteHook(AtomicWriteHook hook) {
    gHook = hook;
}

bool replaceFileContents(const std::string& path, std::span<const uint8_t> bytes) {
    std::string temp = path + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    // mkstemp makes the file private; a settings file is ordinary user data.
    fchmod(fd, 0644);
    const std::size_t half = bytes.size() / 2;
    bool ok = writeAll(fd, bytes.data(), half);
    if (ok && gHook) gHook(temp);
    ok = ok && writeAll(fd, bytes.data() + half, bytes.size() - half);
    ok = ok && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable.
    int dir = open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

bool moveFileReplacing(const std::string& from, const std::string& to) {
    return rename(from.c_str(), to.c_str()) == 0;
}

bool flushFileToDisk(std::FILE* file) {
    return file && std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

} // namespace gv::platform
