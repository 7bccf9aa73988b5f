#include "platform/single_instance.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace gv::platform {

namespace {
int gLockFd = -1;
int gListenFd = -1;

bool socketAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

void askOwnerToRaise(const std::string& socketPath) {
    sockaddr_un addr;
    if (!socketAddress(socketPath, addr)) return;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        const char request[] = "raise\n";
        (void)!write(fd, request, sizeof request - 1);
    }
    close(fd);
}

void listenForRequests(const std::string& socketPath) {
    sockaddr_un addr;
    if (!socketAddress(socketPath, addr)) return;
    unlink(socketPath.c_str()); // a stale socket of a dead owner; we hold the lock now
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 4) != 0) {
        close(fd);
        return;
    }
    gListenFd = fd;
}

bool refuse(std::string* why, const std::string& text) {
    if (why) *why = text;
    return false;
}

// The per-user folder of the temporary folder, made if it is not there. It
// is used only as a private folder of this user: a folder someone else made
// first (or a link to one) would let them hold the lock, or take our socket.
bool privateFolder(const std::string& folder, std::string* why) {
    if (mkdir(folder.c_str(), 0700) == 0) {
        // Ours, just made: whatever the mask, private.
        if (chmod(folder.c_str(), 0700) != 0)
            return refuse(why, folder + ": " + std::strerror(errno));
    } else if (errno != EEXIST) {
        return refuse(why, folder + " cannot be made: " + std::strerror(errno));
    }
    struct stat st;
    if (lstat(folder.c_str(), &st) != 0) return refuse(why, folder + ": " + std::strerror(errno));
    if (S_ISLNK(st.st_mode)) return refuse(why, folder + " is a symbolic link");
    if (!S_ISDIR(st.st_mode)) return refuse(why, folder + " is not a folder");
    if (st.st_uid != geteuid())
        return refuse(why, folder + " belongs to user " + std::to_string(st.st_uid) +
                               ", not to this user (" + std::to_string(geteuid()) + ")");
    if ((st.st_mode & 07777) != 0700) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", unsigned(st.st_mode & 07777));
        return refuse(why, folder + " has mode " + mode + ", not 0700");
    }
    return true;
}

// Folder for the lock and socket: $XDG_RUNTIME_DIR (the user's own by its
// definition), else a private folder of the temporary folder.
bool runtimeFolder(std::string& folder, std::string* why) {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg && *xdg) {
        folder = xdg;
        return true;
    }
    const char* tmp = std::getenv("TMPDIR");
    folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/geovista-" + std::to_string(geteuid());
    return privateFolder(folder, why);
}

enum class Lock { Held, Taken, Unavailable };

// Takes the instance's lock for the life of the process, and then listens
// for raise requests.
Lock lockInstance(const std::string& base) {
    int fd = open((base + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return Lock::Unavailable;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(fd);
        return error == EWOULDBLOCK ? Lock::Taken : Lock::Unavailable;
    }
    gLockFd = fd; // held until the process ends
    listenForRequests(base + ".sock");
    return Lock::Held;
}

} // namespace

InstanceClaim claimSingleInstance(const std::string& name, std::string* why) {
    std::string folder;
    if (!runtimeFolder(folder, why)) return InstanceClaim::Refused;
    const std::string base = folder + "/" + name;
    // No lock to be had: run rather than refuse.
    if (lockInstance(base) != Lock::Taken) return InstanceClaim::Claimed;
    askOwnerToRaise(base + ".sock");
    return InstanceClaim::HeldElsewhere;
}

InstanceClaim tryClaimSingleInstance(const std::string& name, std::string* why) {
    std::string folder;
    if (!runtimeFolder(folder, why)) return InstanceClaim::Refused;
    return lockInstance(folder + "/" + name) == Lock::Taken ? InstanceClaim::HeldElsewhere
                                                            : InstanceClaim::Claimed;
}

bool takeRaiseRequest() {
    if (gListenFd < 0) return false;
    int client = accept4(gListenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return false;
    close(client);
    return true;
}

} // namespace gv::platform
