#pragma once
// The socket side of one download: resolves the server, connects to the
// first of its addresses that answers, negotiates TLS when asked to, sends
// the request and reports what the connection does, all through messages of
// a hidden "netclient" window, so it never holds up a frame.
#include "platform/message_window.h"
#include "platform/network/async_socket.h"
#include "platform/network/socket_stream.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace gv {

class NetClient {
  public:
    // Window messages of the "netclient" window.
    static constexpr uint32_t kSocketEventMessage = 1034;
    static constexpr uint32_t kResolvedMessage = 1035;

    // Events reported to the owner.
    static constexpr uint32_t kConnected = 1045;
    static constexpr uint32_t kDataAvailable = 1046;
    // The connection ended: closed by the server (error 0), broken, or never
    // made (the name unknown, every address refused); error says which.
    static constexpr uint32_t kClosed = 1047;

    using EventCallback = void (*)(void* context, uint32_t event, int error);

    static constexpr std::size_t kReceiveBuffer = 1024;

    // None when the window or the socket library cannot be had. The lookup
    // of the server's name goes through lookups, which must outlive the
    // client.
    static std::unique_ptr<NetClient> create(EventCallback callback, void* context,
                                             platform::HostLookups& lookups);
    ~NetClient();
    NetClient(const NetClient&) = delete;
    NetClient& operator=(const NetClient&) = delete;

    // Starts resolving host; the connect to port follows by itself, then
    // the TLS handshake when secure (the certificate must name host).
    // kConnected comes when the request may be sent. False when the lookup
    // cannot be started.
    bool start(const std::string& host, uint16_t port, bool secure = false);
    // Sends all of text, what the socket cannot take now as soon as it can.
    void send(const std::string& text);
    // Fills the receive buffer with what is waiting: the count (0: nothing
    // now, or the server closed); -1 with the error in *error when the
    // connection broke. The bytes are in received() until the next call.
    long receive(int* error);
    std::span<const uint8_t> received() const { return {buffer_, received_}; }
    // Closes the connection and stops the lookup; nothing is reported after.
    void stop();

    // Why TLS failed (the error platform::kTlsFailure), for the log.
    const std::string& tlsFailure() const { return tlsFailure_; }

  private:
    NetClient(EventCallback callback, void* context, platform::HostLookups& lookups)
        : callback_(callback), context_(context), lookups_(lookups) {}
    static void procedure(void* self, const platform::WindowMessage& m);
    void onResolved(const platform::WindowMessage& m);
    void onSocketEvent(const platform::WindowMessage& m);
    // Tries the remaining addresses in turn; reports kClosed when none is left.
    void connectNext(int lastError);
    // The stream over the connected socket, and its handshake.
    void openStream();
    void handshake();
    void failTls(const std::string& why);
    void flush();
    void report(uint32_t event, int error);

    EventCallback callback_;
    void* context_;
    platform::HostLookups& lookups_;
    std::unique_ptr<platform::MessageWindow> window_;
    bool networking_ = false;
    bool stopped_ = false;
    uint64_t request_ = 0;
    uint16_t port_ = 0;
    std::vector<platform::SocketAddress> addresses_;
    std::size_t nextAddress_ = 0;
    platform::SocketHandle socket_ = platform::kNoSocket;
    bool secure_ = false;
    std::string serverName_;
    std::unique_ptr<platform::SocketStream> stream_;
    bool handshaking_ = false;
    std::string tlsFailure_;
    std::string unsent_;
    uint8_t buffer_[kReceiveBuffer] = {};
    std::size_t received_ = 0;
    int broken_ = 0; // the error that broke the connection
};

} // namespace gv
