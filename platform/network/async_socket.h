#pragma once
// Non-blocking TCP sockets whose readiness arrives as window messages, and
// host-name resolution on a helper thread whose result arrives the same way.
// The message pump (window.h) turns both into messages for a hidden window
// (message_window.h), so their owners run on the main thread only.
//
// The event codes and error numbers are the Windows socket ones, so message
// parameters read the same on every platform.
#include "platform/message_window.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gv::platform {

using SocketHandle = uint64_t;
inline constexpr SocketHandle kNoSocket = ~SocketHandle(0);

// Events a socket reports (lParam low half of its message; wParam is the socket).
inline constexpr uint32_t kSocketRead = 0x01;    // bytes are waiting
inline constexpr uint32_t kSocketWrite = 0x02;   // room to send again
inline constexpr uint32_t kSocketConnect = 0x10; // the connect ended (error in the high half)
inline constexpr uint32_t kSocketClose = 0x20;   // the peer closed or the connection broke

inline int64_t socketEventParam(uint32_t event, int error) {
    return int64_t((uint32_t(error & 0xFFFF) << 16) | (event & 0xFFFF));
}
inline uint32_t socketEvent(int64_t lParam) {
    return uint32_t(lParam) & 0xFFFF;
}
inline int socketEventError(int64_t lParam) {
    return int((uint32_t(lParam) >> 16) & 0xFFFF);
}

// Error numbers.
inline constexpr int kSocketWouldBlock = 10035;
inline constexpr int kSocketInProgress = 10036;
inline constexpr int kSocketNetworkUnreachable = 10051;
inline constexpr int kSocketConnectionAborted = 10053;
inline constexpr int kSocketConnectionReset = 10054;
inline constexpr int kSocketTimedOut = 10060;
inline constexpr int kSocketConnectionRefused = 10061;
inline constexpr int kSocketHostUnreachable = 10065;
inline constexpr int kSocketOtherError = 10004;
inline constexpr int kHostNotFound = 11001;
inline constexpr int kHostTryAgain = 11002;

// The socket library is started by the first acquire and stopped by the last
// release (Winsock's start-up; nothing to do elsewhere). False when it cannot
// be started.
bool acquireNetworking();
void releaseNetworking();

// A short English description of an error number, for the log.
const char* socketErrorText(int error);

// An IPv4 or IPv6 address with its port, as the system's socket calls take it.
struct SocketAddress {
    uint32_t length = 0;
    alignas(8) unsigned char bytes[128] = {};
};
// "203.0.113.5:80", "[2001:db8::1]:8080".
std::string addressText(const SocketAddress& address);

// A stream socket of the address's family, non-blocking; kNoSocket when none
// can be made.
SocketHandle openStreamSocket(const SocketAddress& address);
// From now on the events asked for arrive as `message` to window: a read
// event once per batch of waiting bytes (again after the next receive), a
// connect event once, a write event after the connect and again after a send
// that could not take everything, a close event once when the peer has closed
// and every byte has been read, or the connection broke.
bool selectSocketEvents(SocketHandle socket, WindowHandle window, uint32_t message,
                        uint32_t events);
// 0 when connected at once; kSocketWouldBlock while the connect goes on (its
// end arrives as the connect event); another error number when it failed.
int connectSocket(SocketHandle socket, const SocketAddress& address);
// Bytes sent, or -1 with the error in *error (kSocketWouldBlock: try again
// after the write event).
long sendSocket(SocketHandle socket, const void* data, std::size_t size, int* error);
// Bytes received; 0 when the peer has closed; -1 with the error in *error
// (kSocketWouldBlock: nothing waiting now).
long receiveSocket(SocketHandle socket, void* data, std::size_t size, int* error);
// Bytes waiting to be received.
std::size_t socketBytesWaiting(SocketHandle socket);
// Closes the socket; no event of it is reported any more.
void closeSocket(SocketHandle socket);

// The name lookups of one owner (a download client), on a helper thread: at
// most one of them runs at a time, so a slow name server never piles up
// threads. A lookup asked for while another runs waits for it; a cancelled
// one is forgotten at once, nobody waits for it, and its thread ends by
// itself when the name server answers.
class HostLookups {
  public:
    HostLookups();
    // Cancels every request of this owner; waits for nothing.
    ~HostLookups();
    HostLookups(const HostLookups&) = delete;
    HostLookups& operator=(const HostLookups&) = delete;

    // Resolves host for port; when done, `message` arrives at window with
    // wParam = the returned request (never 0) and the error number in the
    // high half of lParam (0: found). Returns 0 when it cannot start.
    uint64_t resolve(WindowHandle window, uint32_t message, const std::string& host, uint16_t port);
    // Forgets a request: its completion is never reported.
    void cancel(uint64_t request);

    struct Line; // the owner's queue, shared with its helper thread

  private:
    std::shared_ptr<Line> line_;
};
// The addresses of a finished request, once; the request is forgotten.
std::vector<SocketAddress> takeResolvedAddresses(uint64_t request);

// Test seam: answers the lookups in place of the system's resolver (on the
// helper thread); returns the error number, 0 with the addresses in found.
using HostLookupHook = int (*)(const std::string& host, uint16_t port,
                               std::vector<SocketAddress>& found);
void setHostLookupHook(HostLookupHook hook);

// The pump's side: turns the sockets' readiness and the finished resolutions
// into queued messages (postMessage). Never waits.
void pollNetworkEvents();

} // namespace gv::platform
