// Sockets on POSIX: non-blocking descriptors, asked about with a
// zero-timeout poll() once per pump (socket_watch.cpp makes the events).
#include "platform/network/async_socket.h"
#include "platform/network/socket_watch.h"

#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace gv::platform {

namespace {

int socketError(int code) {
    switch (code) {
    case 0:
        return 0;
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
        return kSocketWouldBlock;
    case EINPROGRESS:
    case EALREADY:
        return kSocketInProgress;
    case ENETUNREACH:
    case ENETDOWN:
        return kSocketNetworkUnreachable;
    case ECONNABORTED:
        return kSocketConnectionAborted;
    case ECONNRESET:
    case EPIPE:
        return kSocketConnectionReset;
    case ETIMEDOUT:
        return kSocketTimedOut;
    case ECONNREFUSED:
        return kSocketConnectionRefused;
    case EHOSTUNREACH:
    case EHOSTDOWN:
        return kSocketHostUnreachable;
    default:
        return kSocketOtherError;
    }
}

sockaddr_storage storage(const SocketAddress& address) {
    sockaddr_storage s{};
    std::memcpy(&s, address.bytes, std::min<std::size_t>(address.length, sizeof s));
    return s;
}

} // namespace

bool acquireNetworking() {
    return true;
}
void releaseNetworking() {}

bool pollReadiness(std::vector<Readiness>& sockets) {
    std::vector<pollfd> fds;
    for (const Readiness& r : sockets)
        fds.push_back(
            {int(r.socket), short((r.wantRead ? POLLIN : 0) | (r.wantWrite ? POLLOUT : 0)), 0});
    if (poll(fds.data(), nfds_t(fds.size()), 0) <= 0) return false;
    for (std::size_t i = 0; i < fds.size(); ++i) {
        sockets[i].readable = (fds[i].revents & POLLIN) != 0;
        sockets[i].writable = (fds[i].revents & POLLOUT) != 0;
        sockets[i].broken = (fds[i].revents & (POLLERR | POLLHUP)) != 0;
    }
    return true;
}

int takeSocketError(SocketHandle socket) {
    int value = 0;
    socklen_t length = sizeof value;
    if (getsockopt(int(socket), SOL_SOCKET, SO_ERROR, &value, &length) != 0)
        return kSocketOtherError;
    return socketError(value);
}

int peekSocket(SocketHandle socket) {
    char probe;
    const ssize_t n = recv(int(socket), &probe, 1, MSG_PEEK);
    if (n > 0) return 1;
    if (n == 0) return 0;
    return -socketError(errno);
}

SocketHandle openStreamSocket(const SocketAddress& address) {
    const sockaddr_storage s = storage(address);
    if (s.ss_family != AF_INET && s.ss_family != AF_INET6) return kNoSocket;
    const int fd = socket(s.ss_family, SOCK_STREAM, IPPROTO_TCP);
    if (fd < 0) return kNoSocket;
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0 ||
        fcntl(fd, F_SETFD, FD_CLOEXEC) != 0) {
        close(fd);
        return kNoSocket;
    }
    return SocketHandle(fd);
}

int connectSocket(SocketHandle socket, const SocketAddress& address) {
    if (socket == kNoSocket || address.length == 0) return kSocketOtherError;
    int result = 0;
    do {
        result = connect(int(socket), reinterpret_cast<const sockaddr*>(address.bytes),
                         socklen_t(address.length));
    } while (result != 0 && errno == EINTR);
    const int error = result == 0 ? 0 : socketError(errno);
    if (error != 0 && error != kSocketInProgress && error != kSocketWouldBlock) return error;
    // Even a connect that ended at once reports its end through the pump, as
    // the event the owner waits for.
    if (WatchedSocket* w = findWatched(socket)) w->connecting = true;
    return error == 0 ? 0 : kSocketWouldBlock;
}

long sendSocket(SocketHandle socket, const void* data, std::size_t size, int* error) {
    ssize_t n = 0;
    do {
        n = send(int(socket), data, size, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    WatchedSocket* w = findWatched(socket);
    if (n < 0) {
        const int e = socketError(errno);
        if (error) *error = e;
        if (w && e == kSocketWouldBlock) w->writeWanted = true;
        return -1;
    }
    if (w && std::size_t(n) < size) w->writeWanted = true;
    return long(n);
}

long receiveSocket(SocketHandle socket, void* data, std::size_t size, int* error) {
    if (WatchedSocket* w = findWatched(socket)) w->readPending = false;
    ssize_t n = 0;
    do {
        n = recv(int(socket), data, size, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        if (error) *error = socketError(errno);
        return -1;
    }
    return long(n);
}

std::size_t socketBytesWaiting(SocketHandle socket) {
    int waiting = 0;
    if (socket == kNoSocket || ioctl(int(socket), FIONREAD, &waiting) != 0 || waiting < 0) return 0;
    return std::size_t(waiting);
}

void closeSocket(SocketHandle socket) {
    if (socket == kNoSocket) return;
    forgetWatched(socket);
    close(int(socket));
}

} // namespace gv::platform
