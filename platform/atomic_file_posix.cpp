#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace gv::platform {

namespace {
AtomicWriteHook gHook = nullptr;

// The links a save follows before it gives up (the kernel's own limit).
constexpr int kMaxLinkHops = 40;

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

bool fail(std::string* failure, int error) {
    if (failure) *failure = std::generic_category().message(error);
    return false;
}

// The file a save replaces: the path itself, or the file its symbolic links
// lead to, followed one by one, so that a link to a file not written yet
// still leads to where that file belongs (a settings file kept in a synced
// folder behind a link). Nothing when the links go round or cannot be read;
// errno says why.
std::optional<std::string> linkTarget(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st;
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::vector<char> target(std::size_t(st.st_size > 0 ? st.st_size : 255) + 1);
        for (;;) {
            const ssize_t n = readlink(current.c_str(), target.data(), target.size());
            if (n < 0) return std::nullopt;
            if (std::size_t(n) < target.size()) {
                target.resize(std::size_t(n));
                break;
            }
            target.resize(target.size() * 2);
        }
        std::string next(target.begin(), target.end());
        if (next.empty()) {
            errno = ENOENT;
            return std::nullopt;
        }
        current = next[0] == '/' ? next : folderOf(current) + "/" + next;
    }
    errno = ELOOP;
    return std::nullopt;
}
} // namespace

void setAtomicWriteHook(AtomicWriteHook hook) {
    gHook = hook;
}

bool replaceFileContents(const std::string& path, std::span<const uint8_t> bytes,
                         std::string* failure) {
    const std::optional<std::string> resolved = linkTarget(path);
    if (!resolved) return fail(failure, errno);
    const std::string& target = *resolved;
    struct stat old;
    const bool exists = stat(target.c_str(), &old) == 0;
    if (exists) {
        // A folder in the file's place is not replaced by a file; a file the
        // user made read-only stays as it is.
        if (S_ISDIR(old.st_mode)) return fail(failure, EISDIR);
        if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return fail(failure, errno);
    }
    std::string temp = target + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) return fail(failure, errno);
    if (exists) {
        // The owner first, since changing it may clear the mode's set-id
        // bits. Another user's file keeps its owner only for the superuser,
        // and its group as far as this user belongs to it: that may fail.
        (void)!fchown(fd, old.st_uid, old.st_gid);
        fchmod(fd, old.st_mode & 07777);
    } else {
        // mkstemp makes the file private; a new settings file is ordinary
        // user data.
        fchmod(fd, 0644);
    }
    const std::size_t half = bytes.size() / 2;
    bool ok = writeAll(fd, bytes.data(), half);
    if (ok && gHook) gHook(temp);
    ok = ok && writeAll(fd, bytes.data() + half, bytes.size() - half);
    ok = ok && fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        return fail(failure, error ? error : EIO);
    }
    // Make the rename itself durable.
    int dir = open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
