#include "platform/single_instance.h"

#include <cerrno>
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
} // namespace

std::string runtimeFolder() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg && *xdg) return xdg;
    const char* tmp = std::getenv("TMPDIR");
    std::string folder =
        std::string(tmp && *tmp ? tmp : "/tmp") + "/geovista-" + std::to_string(getuid());
    mkdir(folder.c_str(), 0700);
    return folder;
}

namespace {
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

bool claimSingleInstance(const std::string& name) {
    const std::string base = runtimeFolder() + "/" + name;
    // No lock to be had: run rather than refuse.
    if (lockInstance(base) != Lock::Taken) return true;
    askOwnerToRaise(base + ".sock");
    return false;
}

bool tryClaimSingleInstance(const std::string& name) {
    return lockInstance(runtimeFolder() + "/" + name) != Lock::Taken;
}

bool takeRaiseRequest() {
    if (gListenFd < 0) return false;
    int client = accept4(gListenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return false;
    close(client);
    return true;
}

} // namespace gv::platform
