// TLS sessions with OpenSSL 3. OpenSSL never touches the socket itself: its
// records pass through a BIO of our own that reads and writes with the calls
// of async_socket.h, so the socket's events stay armed as they are for a
// plain stream.
#include "platform/network/socket_stream.h"
#include "platform/network/trust_store.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include <climits>

namespace gv::platform {

namespace {

// What the BIO needs: the socket, the last error its calls met, and whether
// the peer has closed (the library asks before it calls a short read an
// error).
struct SocketLink {
    SocketHandle socket = kNoSocket;
    int error = 0;
    bool closed = false;
};

int linkWrite(BIO* bio, const char* data, int size) {
    auto* link = static_cast<SocketLink*>(BIO_get_data(bio));
    BIO_clear_retry_flags(bio);
    int error = 0;
    const long n = sendSocket(link->socket, data, std::size_t(size), &error);
    if (n >= 0) return int(n);
    if (error == kSocketWouldBlock) {
        BIO_set_retry_write(bio);
    } else {
        link->error = error;
    }
    return -1;
}

int linkRead(BIO* bio, char* data, int size) {
    auto* link = static_cast<SocketLink*>(BIO_get_data(bio));
    BIO_clear_retry_flags(bio);
    int error = 0;
    const long n = receiveSocket(link->socket, data, std::size_t(size), &error);
    if (n == 0) link->closed = true;
    if (n >= 0) return int(n);
    if (error == kSocketWouldBlock) {
        BIO_set_retry_read(bio);
    } else {
        link->error = error;
    }
    return -1;
}

long linkControl(BIO* bio, int command, long, void*) {
    // Nothing is buffered here: a flush has nothing to do; other requests
    // (socket options, kernel TLS) are not offered.
    if (command == BIO_CTRL_FLUSH) return 1;
    if (command == BIO_CTRL_EOF) return static_cast<SocketLink*>(BIO_get_data(bio))->closed;
    return 0;
}

int linkCreate(BIO* bio) {
    BIO_set_init(bio, 1);
    return 1;
}

BIO_METHOD* linkMethod() {
    static BIO_METHOD* method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "socket link");
        if (m) {
            BIO_meth_set_write(m, linkWrite);
            BIO_meth_set_read(m, linkRead);
            BIO_meth_set_ctrl(m, linkControl);
            BIO_meth_set_create(m, linkCreate);
        }
        return m;
    }();
    return method;
}

// The library's last error as text, the queue emptied for the next session.
std::string takeLibraryError(const char* otherwise) {
    const unsigned long code = ERR_peek_last_error();
    std::string text = otherwise;
    if (code != 0) {
        const char* reason = ERR_reason_error_string(code);
        text = reason ? reason : ERR_error_string(code, nullptr);
    }
    ERR_clear_error();
    return text;
}

// One context for the process: the trust store is read once, at the first
// TLS download, and kept.
SSL_CTX* clientContext(std::string* why) {
    static SSL_CTX* context = nullptr;
    static std::string failure;
    static bool tried = false;
    if (!tried) {
        tried = true;
        SSL_CTX* c = SSL_CTX_new(TLS_client_method());
        if (!c) {
            failure = takeLibraryError("no TLS context");
        } else if (SSL_CTX_set_min_proto_version(c, TLS1_2_VERSION) != 1) {
            failure = takeLibraryError("TLS 1.2 is not available");
            SSL_CTX_free(c);
        } else if (!loadTrustStore(c, &failure)) {
            ERR_clear_error();
            SSL_CTX_free(c);
        } else {
            SSL_CTX_set_verify(c, SSL_VERIFY_PEER, nullptr);
            // A close without the server's close_notify is reported as a cut
            // (closeError), never taken for the end of the stream; a server
            // asking to renegotiate the session is refused.
            SSL_CTX_set_options(c, SSL_OP_NO_RENEGOTIATION);
            SSL_CTX_set_mode(c,
                             SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
            context = c;
        }
    }
    if (!context && why) *why = failure;
    return context;
}

class TlsSocketStream final : public SocketStream {
  public:
    TlsSocketStream() = default;
    ~TlsSocketStream() override {
        if (ssl_) SSL_free(ssl_); // frees the BIO with it
        ERR_clear_error();
    }
    TlsSocketStream(const TlsSocketStream&) = delete;
    TlsSocketStream& operator=(const TlsSocketStream&) = delete;

    bool open(SocketHandle socket, const std::string& serverName, std::string* why) {
        link_.socket = socket;
        SSL_CTX* context = clientContext(why);
        if (!context) return false;
        ssl_ = SSL_new(context);
        BIO* bio = linkMethod() ? BIO_new(linkMethod()) : nullptr;
        if (!ssl_ || !bio) {
            BIO_free(bio);
            if (why) *why = takeLibraryError("no TLS session");
            return false;
        }
        BIO_set_data(bio, &link_);
        SSL_set_bio(ssl_, bio, bio);
        // An address literal is checked as an address, and sent no name.
        X509_VERIFY_PARAM* param = SSL_get0_param(ssl_);
        if (X509_VERIFY_PARAM_set1_ip_asc(param, serverName.c_str()) != 1) {
            ERR_clear_error();
            if (SSL_set_tlsext_host_name(ssl_, serverName.c_str()) != 1 ||
                SSL_set1_host(ssl_, serverName.c_str()) != 1) {
                if (why) *why = takeLibraryError("the server's name cannot be used");
                return false;
            }
        }
        SSL_set_connect_state(ssl_);
        return true;
    }

    Handshake handshake() override {
        if (done_) return Handshake::Done;
        const int result = SSL_do_handshake(ssl_);
        if (result == 1) {
            done_ = true;
            return Handshake::Done;
        }
        const int error = SSL_get_error(ssl_, result);
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE)
            return Handshake::Waiting;
        const long verified = SSL_get_verify_result(ssl_);
        if (verified != X509_V_OK) {
            failure_ =
                std::string("certificate not accepted: ") + X509_verify_cert_error_string(verified);
            ERR_clear_error();
        } else if (error == SSL_ERROR_SYSCALL || error == SSL_ERROR_ZERO_RETURN ||
                   (link_.closed && link_.error == 0)) {
            failure_ = link_.error != 0
                           ? std::string("handshake broken: ") + socketErrorText(link_.error)
                           : "connection closed during the handshake";
            ERR_clear_error();
        } else {
            failure_ = "handshake failed: " + takeLibraryError("unknown reason");
        }
        return Handshake::Failed;
    }

    long send(const void* data, std::size_t size, int* error) override {
        std::size_t written = 0;
        const int count = int(size > std::size_t(INT_MAX) ? INT_MAX : size);
        if (SSL_write_ex(ssl_, data, std::size_t(count), &written) == 1) return long(written);
        return fault(SSL_get_error(ssl_, 0), error);
    }

    long receive(void* data, std::size_t size, int* error) override {
        std::size_t read = 0;
        if (SSL_read_ex(ssl_, data, size, &read) == 1) return long(read);
        const int code = SSL_get_error(ssl_, 0);
        if (code == SSL_ERROR_ZERO_RETURN) return 0;
        return fault(code, error);
    }

    std::size_t bytesWaiting() override {
        const int pending = SSL_pending(ssl_);
        return (pending > 0 ? std::size_t(pending) : 0) + socketBytesWaiting(link_.socket);
    }

    std::string failure() const override { return failure_; }

    int closeError() const override {
        return (SSL_get_shutdown(ssl_) & SSL_RECEIVED_SHUTDOWN) != 0 ? 0 : kTlsConnectionCut;
    }

  private:
    // A read or write that moved nothing: -1 and why.
    long fault(int code, int* error) {
        int e = kSocketWouldBlock;
        if (link_.closed && link_.error == 0 &&
            (code == SSL_ERROR_SYSCALL || code == SSL_ERROR_SSL)) {
            // The connection closed under the session, without its close_notify.
            e = kTlsConnectionCut;
            failure_ = socketErrorText(e);
            ERR_clear_error();
        } else if (code == SSL_ERROR_SYSCALL) {
            e = link_.error != 0 ? link_.error : kSocketConnectionAborted;
            failure_ = socketErrorText(e);
            ERR_clear_error();
        } else if (code != SSL_ERROR_WANT_READ && code != SSL_ERROR_WANT_WRITE) {
            e = kTlsFailure;
            failure_ = takeLibraryError("TLS session failed");
        }
        if (error) *error = e;
        return -1;
    }

    SSL* ssl_ = nullptr;
    SocketLink link_;
    bool done_ = false;
    std::string failure_;
};

} // namespace

std::unique_ptr<SocketStream> tlsSocketStream(SocketHandle socket, const std::string& serverName,
                                              std::string* why) {
    auto stream = std::make_unique<TlsSocketStream>();
    if (!stream->open(socket, serverName, why)) return nullptr;
    return stream;
}

} // namespace gv::platform
