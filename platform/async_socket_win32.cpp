// Sockets on Windows: Winsock 2 sockets in non-blocking mode looked at with a
// zero-timeout WSAPoll once per pump (the program's message queue is its own,
// so WSAAsyncSelect has no window to post to), their readiness turned into
// the socket events.
#include "platform/async_socket.h"
#include "platform/host_resolver_internal.h"
#include "platform/window.h"

#define WIN32_LEAN_AND_MEAN
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace gv::platform {

namespace {

struct Watched {
    SOCKET s = INVALID_SOCKET;
    WindowHandle window = 0;
    uint32_t message = 0;
    uint32_t events = 0;
    bool connecting = false;
    bool readPending = false;
    bool writeWanted = false;
    bool finished = false;
};

int gNetworkUsers = 0;

std::vector<Watched>& watched() {
    static std::vector<Watched>& w = *new std::vector<Watched>;
    return w;
}

Watched* find(SocketHandle socket) {
    for (Watched& w : watched())
        if (SocketHandle(w.s) == socket) return &w;
    return nullptr;
}

// Winsock's numbers are the ones the interface speaks; only the few that mean
// something to the caller are kept apart.
int socketError(int code) {
    switch (code) {
    case 0:
    case WSAEWOULDBLOCK:
    case WSAEINPROGRESS:
    case WSAENETUNREACH:
    case WSAECONNABORTED:
    case WSAECONNRESET:
    case WSAETIMEDOUT:
    case WSAECONNREFUSED:
    case WSAEHOSTUNREACH:
        return code;
    case WSAENETDOWN:
        return kSocketNetworkUnreachable;
    case WSAEHOSTDOWN:
        return kSocketHostUnreachable;
    default:
        return kSocketOtherError;
    }
}

int pendingError(SOCKET s) {
    int value = 0;
    int length = sizeof value;
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&value), &length) != 0)
        return kSocketOtherError;
    return socketError(value);
}

void post(const Watched& w, uint32_t event, int error) {
    if (w.events & event)
        postMessage({w.message, SocketHandle(w.s), socketEventParam(event, error), w.window});
}

void pollSockets() {
    std::vector<Watched>& all = watched();
    std::vector<WSAPOLLFD> fds;
    std::vector<std::size_t> which;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Watched& w = all[i];
        if (w.finished) continue;
        SHORT events =
            w.connecting ? POLLWRNORM : SHORT(POLLRDNORM | (w.writeWanted ? POLLWRNORM : 0));
        fds.push_back({w.s, events, 0});
        which.push_back(i);
    }
    if (fds.empty() || WSAPoll(fds.data(), ULONG(fds.size()), 0) <= 0) return;

    for (std::size_t k = 0; k < fds.size(); ++k) {
        Watched& w = all[which[k]];
        const SHORT r = fds[k].revents;
        if (r == 0) continue;
        if (w.connecting) {
            const int error = (r & (POLLERR | POLLHUP)) ? pendingError(w.s) : 0;
            w.connecting = false;
            post(w, kSocketConnect, error);
            if (error != 0) {
                w.finished = true;
                continue;
            }
            post(w, kSocketWrite, 0);
            continue;
        }
        if (r & (POLLRDNORM | POLLHUP | POLLERR)) {
            u_long waiting = 0;
            if (ioctlsocket(w.s, FIONREAD, &waiting) == 0 && waiting > 0) {
                if (!w.readPending) {
                    w.readPending = true;
                    post(w, kSocketRead, 0);
                }
            } else {
                int error = (r & POLLERR) ? pendingError(w.s) : 0;
                if (error == 0) {
                    char probe;
                    const int n = recv(w.s, &probe, 1, MSG_PEEK);
                    if (n > 0) {
                        if (!w.readPending) {
                            w.readPending = true;
                            post(w, kSocketRead, 0);
                        }
                        continue;
                    }
                    if (n < 0) {
                        error = socketError(WSAGetLastError());
                        if (error == kSocketWouldBlock) continue;
                    }
                }
                w.finished = true;
                post(w, kSocketClose, error);
                continue;
            }
        }
        if (w.writeWanted && (r & POLLWRNORM)) {
            w.writeWanted = false;
            post(w, kSocketWrite, 0);
        }
    }
}

} // namespace

bool acquireNetworking() {
    if (gNetworkUsers == 0) {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
    }
    ++gNetworkUsers;
    return true;
}

void releaseNetworking() {
    if (gNetworkUsers > 0 && --gNetworkUsers == 0) WSACleanup();
}

std::string addressText(const SocketAddress& address) {
    sockaddr_storage s{};
    std::memcpy(&s, address.bytes, std::min<std::size_t>(address.length, sizeof s));
    char text[INET6_ADDRSTRLEN] = {};
    if (s.ss_family == AF_INET) {
        auto* a = reinterpret_cast<sockaddr_in*>(&s);
        inet_ntop(AF_INET, &a->sin_addr, text, sizeof text);
        return std::string(text) + ":" + std::to_string(ntohs(a->sin_port));
    }
    if (s.ss_family == AF_INET6) {
        auto* a = reinterpret_cast<sockaddr_in6*>(&s);
        inet_ntop(AF_INET6, &a->sin6_addr, text, sizeof text);
        return "[" + std::string(text) + "]:" + std::to_string(ntohs(a->sin6_port));
    }
    return "?";
}

SocketHandle openStreamSocket(const SocketAddress& address) {
    sockaddr_storage s{};
    std::memcpy(&s, address.bytes, std::min<std::size_t>(address.length, sizeof s));
    if (s.ss_family != AF_INET && s.ss_family != AF_INET6) return kNoSocket;
    const SOCKET sock = socket(s.ss_family, SOCK_STREAM, IPPROTO_TCP);
    if (sock == INVALID_SOCKET) return kNoSocket;
    u_long nonBlocking = 1;
    if (ioctlsocket(sock, FIONBIO, &nonBlocking) != 0) {
        closesocket(sock);
        return kNoSocket;
    }
    return SocketHandle(sock);
}

bool selectSocketEvents(SocketHandle socket, WindowHandle window, uint32_t message,
                        uint32_t events) {
    if (socket == kNoSocket) return false;
    Watched* w = find(socket);
    if (!w) {
        watched().push_back({});
        w = &watched().back();
        w->s = SOCKET(socket);
    }
    w->window = window;
    w->message = message;
    w->events = events;
    return true;
}

int connectSocket(SocketHandle socket, const SocketAddress& address) {
    if (socket == kNoSocket || address.length == 0) return kSocketOtherError;
    const int result = connect(SOCKET(socket), reinterpret_cast<const sockaddr*>(address.bytes),
                               int(address.length));
    const int error = result == 0 ? 0 : socketError(WSAGetLastError());
    if (error != 0 && error != kSocketInProgress && error != kSocketWouldBlock) return error;
    if (Watched* w = find(socket)) w->connecting = true;
    return error == 0 ? 0 : kSocketWouldBlock;
}

long sendSocket(SocketHandle socket, const void* data, std::size_t size, int* error) {
    const int chunk = size > 0x40000000 ? 0x40000000 : int(size);
    const int n = send(SOCKET(socket), static_cast<const char*>(data), chunk, 0);
    Watched* w = find(socket);
    if (n == SOCKET_ERROR) {
        const int e = socketError(WSAGetLastError());
        if (error) *error = e;
        if (w && e == kSocketWouldBlock) w->writeWanted = true;
        return -1;
    }
    if (w && std::size_t(n) < size) w->writeWanted = true;
    return long(n);
}

long receiveSocket(SocketHandle socket, void* data, std::size_t size, int* error) {
    if (Watched* w = find(socket)) w->readPending = false;
    const int chunk = size > 0x40000000 ? 0x40000000 : int(size);
    const int n = recv(SOCKET(socket), static_cast<char*>(data), chunk, 0);
    if (n == SOCKET_ERROR) {
        if (error) *error = socketError(WSAGetLastError());
        return -1;
    }
    return long(n);
}

std::size_t socketBytesWaiting(SocketHandle socket) {
    u_long waiting = 0;
    if (socket == kNoSocket || ioctlsocket(SOCKET(socket), FIONREAD, &waiting) != 0) return 0;
    return std::size_t(waiting);
}

void closeSocket(SocketHandle socket) {
    if (socket == kNoSocket) return;
    std::erase_if(watched(), [socket](const Watched& w) { return SocketHandle(w.s) == socket; });
    closesocket(SOCKET(socket));
}

void pollNetworkEvents() {
    pollSockets();
    deliverFinishedResolutions();
}

} // namespace gv::platform
