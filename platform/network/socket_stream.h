#pragma once
// A byte stream over a connected socket of async_socket.h: the socket's own
// bytes, or a TLS session carried by them. Either is driven by the socket's
// events, never waits, and reads and writes through the socket calls of
// async_socket.h, so the events keep coming as they do for a plain socket.
// The stream does not own the socket: it goes before the socket is closed.
#include "platform/network/async_socket.h"

#include <cstddef>
#include <memory>
#include <string>

namespace gv::platform {

// The error number of a TLS session that failed (socketErrorText names it;
// the stream's failure() says why).
inline constexpr int kTlsFailure = 20001;
// A TLS connection that closed before the server ended its stream with the
// close_notify alert: anyone on the path can close a TCP connection, so what
// came may be cut short.
inline constexpr int kTlsConnectionCut = 20002;

class SocketStream {
  public:
    enum class Handshake {
        Done,    // the stream carries data now
        Waiting, // call again at the socket's next read or write event
        Failed,  // failure() says why
    };

    virtual ~SocketStream() = default;
    // A plain stream is Done at once; a TLS one negotiates its session and
    // checks the server's certificate.
    virtual Handshake handshake() = 0;
    // As sendSocket and receiveSocket: bytes moved; receive gives 0 when the
    // peer has ended the stream; -1 with the error in *error
    // (kSocketWouldBlock: nothing can move now).
    virtual long send(const void* data, std::size_t size, int* error) = 0;
    virtual long receive(void* data, std::size_t size, int* error) = 0;
    // Bytes that a receive may bring now (for TLS, some may be its own).
    virtual std::size_t bytesWaiting() = 0;
    // Why the handshake or the session failed, for the log.
    virtual std::string failure() const = 0;
    // What the peer's close of the connection means at this point: 0 for a
    // plain stream, and for TLS once the server has ended its stream with
    // the close_notify alert; kTlsConnectionCut otherwise.
    virtual int closeError() const = 0;
};

std::unique_ptr<SocketStream> plainSocketStream(SocketHandle socket);

// A TLS client session: the server's name goes out for name-based hosting
// (not for an address literal), its certificate must chain to the system's
// trust store (the file named by SSL_CERT_FILE when set) and carry that name
// or address. Nothing, with the reason in *why, when TLS cannot be set up.
std::unique_ptr<SocketStream> tlsSocketStream(SocketHandle socket, const std::string& serverName,
                                              std::string* why);

} // namespace gv::platform
