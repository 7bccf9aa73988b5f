// Sockets on POSIX: non-blocking descriptors looked at with a zero-timeout
// poll() once per pump, their readiness turned into the socket events.
#include "platform/async_socket.h"
#include "platform/host_resolver_internal.h"
#include "platform/window.h"

#include <arpa/inet.h>
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

struct Watched {
    int fd = -1;
    WindowHandle window = 0;
    uint32_t message = 0;
    uint32_t events = 0;
    bool connecting = false;  // a connect was started and has not ended
    bool readPending = false; // a read event waits for the next receive
    bool writeWanted = false; // a send could not take everything
    bool finished = false;    // the close (or a failed connect) was reported
};

std::vector<Watched>& watched() {
    static std::vector<Watched>& w = *new std::vector<Watched>;
    return w;
}

Watched* find(SocketHandle socket) {
    for (Watched& w : watched())
        if (uint64_t(w.fd) == socket) return &w;
    return nullptr;
}

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

int pendingError(int fd) {
    int value = 0;
    socklen_t length = sizeof value;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &value, &length) != 0) return kSocketOtherError;
    return socketError(value);
}

void post(const Watched& w, uint32_t event, int error) {
    if (w.events & event)
        postMessage({w.message, uint64_t(w.fd), socketEventParam(event, error), w.window});
}

void pollSockets() {
    std::vector<Watched>& all = watched();
    std::vector<pollfd> fds;
    std::vector<std::size_t> which;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Watched& w = all[i];
        if (w.finished) continue;
        short events = 0;
        if (w.connecting)
            events = POLLOUT;
        else
            events = short(POLLIN | (w.writeWanted ? POLLOUT : 0));
        fds.push_back({w.fd, events, 0});
        which.push_back(i);
    }
    if (fds.empty() || poll(fds.data(), nfds_t(fds.size()), 0) <= 0) return;

    for (std::size_t k = 0; k < fds.size(); ++k) {
        Watched& w = all[which[k]];
        const short r = fds[k].revents;
        if (r == 0) continue;
        if (w.connecting) {
            const int error = pendingError(w.fd);
            w.connecting = false;
            post(w, kSocketConnect, error);
            if (error != 0) {
                w.finished = true;
                continue;
            }
            post(w, kSocketWrite, 0);
            continue;
        }
        if (r & (POLLIN | POLLHUP | POLLERR)) {
            int waiting = 0;
            if (ioctl(w.fd, FIONREAD, &waiting) == 0 && waiting > 0) {
                if (!w.readPending) {
                    w.readPending = true;
                    post(w, kSocketRead, 0);
                }
            } else {
                // Readable with nothing waiting: the end of the stream, or an
                // error such as a reset.
                int error = (r & POLLERR) ? pendingError(w.fd) : 0;
                if (error == 0) {
                    char probe;
                    const ssize_t n = recv(w.fd, &probe, 1, MSG_PEEK);
                    if (n > 0) {
                        // Bytes arrived between the two looks: a read first.
                        if (!w.readPending) {
                            w.readPending = true;
                            post(w, kSocketRead, 0);
                        }
                        continue;
                    }
                    if (n < 0) {
                        error = socketError(errno);
                        if (error == kSocketWouldBlock) continue;
                    }
                }
                w.finished = true;
                post(w, kSocketClose, error);
                continue;
            }
        }
        if (w.writeWanted && (r & POLLOUT)) {
            w.writeWanted = false;
            post(w, kSocketWrite, 0);
        }
    }
}

} // namespace

bool acquireNetworking() {
    return true;
}
void releaseNetworking() {}

std::string addressText(const SocketAddress& address) {
    sockaddr_storage s{};
    std::memcpy(&s, address.bytes, std::min<std::size_t>(address.length, sizeof s));
    char text[INET6_ADDRSTRLEN] = {};
    if (s.ss_family == AF_INET) {
        const auto* a = reinterpret_cast<const sockaddr_in*>(&s);
        inet_ntop(AF_INET, &a->sin_addr, text, sizeof text);
        return std::string(text) + ":" + std::to_string(ntohs(a->sin_port));
    }
    if (s.ss_family == AF_INET6) {
        const auto* a = reinterpret_cast<const sockaddr_in6*>(&s);
        inet_ntop(AF_INET6, &a->sin6_addr, text, sizeof text);
        return "[" + std::string(text) + "]:" + std::to_string(ntohs(a->sin6_port));
    }
    return "?";
}

SocketHandle openStreamSocket(const SocketAddress& address) {
    sockaddr_storage s{};
    std::memcpy(&s, address.bytes, std::min<std::size_t>(address.length, sizeof s));
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

bool selectSocketEvents(SocketHandle socket, WindowHandle window, uint32_t message,
                        uint32_t events) {
    if (socket == kNoSocket) return false;
    Watched* w = find(socket);
    if (!w) {
        watched().push_back({});
        w = &watched().back();
        w->fd = int(socket);
    }
    w->window = window;
    w->message = message;
    w->events = events;
    return true;
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
    if (Watched* w = find(socket)) w->connecting = true;
    return error == 0 ? 0 : kSocketWouldBlock;
}

long sendSocket(SocketHandle socket, const void* data, std::size_t size, int* error) {
    ssize_t n = 0;
    do {
        n = send(int(socket), data, size, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    Watched* w = find(socket);
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
    if (Watched* w = find(socket)) w->readPending = false;
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
    std::erase_if(watched(), [socket](const Watched& w) { return uint64_t(w.fd) == socket; });
    close(int(socket));
}

void pollNetworkEvents() {
    pollSockets();
    deliverFinishedResolutions();
}

} // namespace gv::platform
