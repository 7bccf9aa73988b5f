#include "net/net_client.h"

namespace gv {

using namespace platform;

std::unique_ptr<NetClient> NetClient::create(EventCallback callback, void* context,
                                             HostLookups& lookups) {
    if (!callback) return nullptr;
    std::unique_ptr<NetClient> client(new NetClient(callback, context, lookups));
    client->window_ = MessageWindow::create("netclient", procedure, client.get());
    if (!client->window_) return nullptr;
    client->networking_ = acquireNetworking();
    if (!client->networking_) return nullptr;
    return client;
}

NetClient::~NetClient() {
    stop();
    if (networking_) releaseNetworking();
}

bool NetClient::start(const std::string& host, uint16_t port, bool secure) {
    if (stopped_ || request_ != 0 || socket_ != kNoSocket) return false;
    port_ = port;
    secure_ = secure;
    serverName_ = host;
    request_ = lookups_.resolve(window_->handle(), kResolvedMessage, host, port);
    return request_ != 0;
}

void NetClient::stop() {
    stopped_ = true;
    if (request_ != 0) lookups_.cancel(request_);
    request_ = 0;
    stream_.reset();
    closeSocket(socket_);
    socket_ = kNoSocket;
    unsent_.clear();
}

void NetClient::report(uint32_t event, int error) {
    if (!stopped_) callback_(context_, event, error);
}

void NetClient::procedure(void* self, const WindowMessage& m) {
    auto* client = static_cast<NetClient*>(self);
    if (client->stopped_) return;
    if (m.message == kResolvedMessage)
        client->onResolved(m);
    else if (m.message == kSocketEventMessage)
        client->onSocketEvent(m);
}

void NetClient::onResolved(const WindowMessage& m) {
    if (m.wParam != request_) return;
    request_ = 0;
    const int error = socketEventError(m.lParam);
    addresses_ = takeResolvedAddresses(m.wParam);
    nextAddress_ = 0;
    if (error != 0 || addresses_.empty()) {
        report(kClosed, error != 0 ? error : kHostNotFound);
        return;
    }
    connectNext(0);
}

void NetClient::connectNext(int lastError) {
    while (nextAddress_ < addresses_.size()) {
        const SocketAddress& address = addresses_[nextAddress_++];
        socket_ = openStreamSocket(address);
        if (socket_ == kNoSocket) {
            lastError = kSocketOtherError;
            continue;
        }
        selectSocketEvents(socket_, window_->handle(), kSocketEventMessage,
                           kSocketRead | kSocketWrite | kSocketConnect | kSocketClose);
        const int result = connectSocket(socket_, address);
        if (result == 0 || result == kSocketWouldBlock) return; // the connect event follows
        lastError = result;
        closeSocket(socket_);
        socket_ = kNoSocket;
    }
    report(kClosed, lastError != 0 ? lastError : kSocketOtherError);
}

void NetClient::onSocketEvent(const WindowMessage& m) {
    // Events of a socket given up since they were posted are stale.
    if (socket_ == kNoSocket || m.wParam != socket_) return;
    const int error = socketEventError(m.lParam);
    switch (socketEvent(m.lParam)) {
    case kSocketConnect:
        if (error != 0) {
            // This address refused or is out of reach: the next one, if any.
            closeSocket(socket_);
            socket_ = kNoSocket;
            connectNext(error);
            return;
        }
        openStream();
        return;
    case kSocketWrite:
        if (handshaking_)
            handshake();
        else
            flush();
        return;
    case kSocketRead:
        if (handshaking_)
            handshake();
        else if (stream_ && stream_->bytesWaiting() > 0)
            report(kDataAvailable, 0);
        return;
    case kSocketClose:
        if (handshaking_) {
            // What the server said last (an alert) or that it went away.
            handshake();
            if (handshaking_) failTls("connection closed during the handshake");
            return;
        }
        if (stream_ && stream_->bytesWaiting() > 0) {
            report(kDataAvailable, 0);
            // The owner may have finished with the connection meanwhile.
            if (stopped_ || socket_ == kNoSocket) return;
        }
        {
            // Over TLS only the server's close_notify ends the stream: a bare
            // close may be anyone's on the path.
            const int closed = error != 0     ? error
                               : broken_ != 0 ? broken_
                               : stream_      ? stream_->closeError()
                                              : 0;
            stream_.reset();
            closeSocket(socket_);
            socket_ = kNoSocket;
            report(kClosed, closed);
        }
        return;
    default:
        return;
    }
}

void NetClient::openStream() {
    std::string why;
    stream_ = secure_ ? tlsSocketStream(socket_, serverName_, &why) : plainSocketStream(socket_);
    if (!stream_) {
        failTls(why);
        return;
    }
    handshaking_ = true;
    handshake();
}

void NetClient::handshake() {
    switch (stream_->handshake()) {
    case SocketStream::Handshake::Done:
        handshaking_ = false;
        report(kConnected, 0);
        return;
    case SocketStream::Handshake::Waiting:
        return; // the socket's next event goes on with it
    case SocketStream::Handshake::Failed:
        failTls(stream_->failure());
        return;
    }
}

void NetClient::failTls(const std::string& why) {
    tlsFailure_ = why;
    handshaking_ = false;
    stream_.reset();
    closeSocket(socket_);
    socket_ = kNoSocket;
    report(kClosed, kTlsFailure);
}

void NetClient::send(const std::string& text) {
    unsent_ += text;
    flush();
}

void NetClient::flush() {
    while (!unsent_.empty() && stream_ && !handshaking_) {
        int error = 0;
        const long n = stream_->send(unsent_.data(), unsent_.size(), &error);
        // Would block: the write event brings the rest. A broken connection
        // reports its close.
        if (n < 0) return;
        unsent_.erase(0, std::size_t(n));
    }
}

long NetClient::receive(int* error) {
    received_ = 0;
    if (broken_ != 0) {
        if (error) *error = broken_;
        return -1;
    }
    if (!stream_ || handshaking_) return 0;
    while (received_ < kReceiveBuffer) {
        int e = 0;
        const long n = stream_->receive(buffer_ + received_, kReceiveBuffer - received_, &e);
        if (n > 0) {
            received_ += std::size_t(n);
            continue;
        }
        if (n < 0 && e != kSocketWouldBlock) {
            // The system reports a broken connection once: kept for the next
            // call when bytes came before it, and for the close.
            broken_ = e;
            if (e == kTlsFailure) tlsFailure_ = stream_->failure();
            if (received_ == 0) {
                if (error) *error = e;
                return -1;
            }
        }
        break;
    }
    return long(received_);
}

} // namespace gv
