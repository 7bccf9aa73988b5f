#include "platform/network/socket_stream.h"

namespace gv::platform {

namespace {

class PlainSocketStream final : public SocketStream {
  public:
    explicit PlainSocketStream(SocketHandle socket) : socket_(socket) {}
    Handshake handshake() override { return Handshake::Done; }
    long send(const void* data, std::size_t size, int* error) override {
        return sendSocket(socket_, data, size, error);
    }
    long receive(void* data, std::size_t size, int* error) override {
        return receiveSocket(socket_, data, size, error);
    }
    std::size_t bytesWaiting() override { return socketBytesWaiting(socket_); }
    std::string failure() const override { return {}; }
    int closeError() const override { return 0; }

  private:
    SocketHandle socket_;
};

} // namespace

std::unique_ptr<SocketStream> plainSocketStream(SocketHandle socket) {
    return std::make_unique<PlainSocketStream>(socket);
}

} // namespace gv::platform
