// Sockets on Windows: Winsock 2 sockets in non-blocking mode, asked about
// with a zero-timeout WSAPoll once per pump (the program's message queue is
// its own, so WSAAsyncSelect has no window to post to); socket_watch.cpp
// makes the events.
#include "platform/network/async_socket.h"
#include "platform/network/socket_watch.h"

#define WIN32_LEAN_AND_MEAN
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace gv::platform {

namespace {

int gNetworkUsers = 0;

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

sockaddr_storage storage(const SocketAddress& address) {
    sockaddr_storage s{};
    std::memcpy(&s, address.bytes, std::min<std::size_t>(address.length, sizeof s));
    return s;
}

int chunk(std::size_t size) {
    return size > 0x40000000 ? 0x40000000 : int(size);
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

bool pollReadiness(std::vector<Readiness>& sockets) {
    std::vector<WSAPOLLFD> fds;
    for (const Readiness& r : sockets)
        fds.push_back({SOCKET(r.socket),
                       SHORT((r.wantRead ? POLLRDNORM : 0) | (r.wantWrite ? POLLWRNORM : 0)), 0});
    if (WSAPoll(fds.data(), ULONG(fds.size()), 0) <= 0) return false;
    for (std::size_t i = 0; i < fds.size(); ++i) {
        sockets[i].readable = (fds[i].revents & POLLRDNORM) != 0;
        sockets[i].writable = (fds[i].revents & POLLWRNORM) != 0;
        sockets[i].broken = (fds[i].revents & (POLLERR | POLLHUP)) != 0;
    }
    return true;
}

int takeSocketError(SocketHandle socket) {
    int value = 0;
    int length = sizeof value;
    if (getsockopt(SOCKET(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&value),
                   &length) != 0)
        return kSocketOtherError;
    return socketError(value);
}

int peekSocket(SocketHandle socket) {
    char probe;
    const int n = recv(SOCKET(socket), &probe, 1, MSG_PEEK);
    if (n > 0) return 1;
    if (n == 0) return 0;
    return -socketError(WSAGetLastError());
}

SocketHandle openStreamSocket(const SocketAddress& address) {
    const sockaddr_storage s = storage(address);
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

int connectSocket(SocketHandle socket, const SocketAddress& address) {
    if (socket == kNoSocket || address.length == 0) return kSocketOtherError;
    const int result = connect(SOCKET(socket), reinterpret_cast<const sockaddr*>(address.bytes),
                               int(address.length));
    const int error = result == 0 ? 0 : socketError(WSAGetLastError());
    if (error != 0 && error != kSocketInProgress && error != kSocketWouldBlock) return error;
    if (WatchedSocket* w = findWatched(socket)) w->connecting = true;
    return error == 0 ? 0 : kSocketWouldBlock;
}

long sendSocket(SocketHandle socket, const void* data, std::size_t size, int* error) {
    const int n = send(SOCKET(socket), static_cast<const char*>(data), chunk(size), 0);
    WatchedSocket* w = findWatched(socket);
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
    if (WatchedSocket* w = findWatched(socket)) w->readPending = false;
    const int n = recv(SOCKET(socket), static_cast<char*>(data), chunk(size), 0);
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
    forgetWatched(socket);
    closesocket(SOCKET(socket));
}

} // namespace gv::platform
