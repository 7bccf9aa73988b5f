#pragma once
// A TLS server on a loopback port for the tests of the downloads over TLS,
// with certificates made in memory: a test authority, and server
// certificates it signs for chosen names and times (or that another
// authority signs). Each connection: the handshake, one request read (its
// raw bytes and the name the client sent kept), one reply, then the close,
// with or without the TLS goodbye. OpenSSL and POSIX sockets on the test's
// own thread.
#include "tests/support/loopback_listener.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace gv::test {

struct KeyFree {
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct CertificateFree {
    void operator()(X509* x) const { X509_free(x); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Certificate = std::unique_ptr<X509, CertificateFree>;

// A key and its certificate, signed by issuer (self-signed when none).
struct Identity {
    Key key;
    Certificate certificate;
};

// validFrom and validTo in seconds from now; altNames as in a certificate
// request ("DNS:localhost,IP:127.0.0.1"), empty for an authority.
inline Identity makeIdentity(const char* commonName, const std::string& altNames,
                             const Identity* issuer, long validFrom = -3600,
                             long validTo = 86400L * 365) {
    static long serial = 1;
    Identity id;
    id.key.reset(EVP_EC_gen("P-256"));
    id.certificate.reset(X509_new());
    X509* x = id.certificate.get();
    X509_set_version(x, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(x), serial++);
    X509_gmtime_adj(X509_getm_notBefore(x), validFrom);
    X509_gmtime_adj(X509_getm_notAfter(x), validTo);
    X509_set_pubkey(x, id.key.get());
    X509_NAME* name = X509_get_subject_name(x);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    X509* signer = issuer ? issuer->certificate.get() : x;
    X509_set_issuer_name(x, X509_get_subject_name(signer));
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, signer, x, nullptr, nullptr, 0);
    const bool authority = altNames.empty();
    const std::pair<int, std::string> extensions[] = {
        {NID_basic_constraints, authority ? "critical,CA:TRUE" : "CA:FALSE"},
        {NID_key_usage, authority ? "critical,keyCertSign,cRLSign" : "critical,digitalSignature"},
        {NID_subject_key_identifier, "hash"},
        {NID_subject_alt_name, altNames},
    };
    for (const auto& [nid, value] : extensions) {
        if (value.empty()) continue;
        X509_EXTENSION* e = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
        X509_add_ext(x, e, -1);
        X509_EXTENSION_free(e);
    }
    X509_sign(x, issuer ? issuer->key.get() : id.key.get(), EVP_sha256());
    return id;
}

inline void writeCertificate(const Identity& id, const std::string& path) {
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        PEM_write_X509(f, id.certificate.get());
        std::fclose(f);
    }
}

class TlsLoopbackServer {
  public:
    struct Reply {
        std::string bytes;
        bool goodbye = true; // the TLS close_notify before the close
        // Over TLS 1.2, the server asks to renegotiate the session after the
        // request, and answers only when that has not been refused.
        bool renegotiate = false;
    };

    TlsLoopbackServer(const Identity& identity, std::vector<Reply> replies)
        : replies_(std::move(replies)) {
        context_ = SSL_CTX_new(TLS_server_method());
        SSL_CTX_use_certificate(context_, identity.certificate.get());
        SSL_CTX_use_PrivateKey(context_, identity.key.get());
        listener_ = listenOnLoopback(AF_INET, port_);
        thread_ = std::thread([this] { serve(); });
    }
    ~TlsLoopbackServer() {
        stop_ = true;
        thread_.join();
        close(listener_);
        SSL_CTX_free(context_);
    }
    uint16_t port() const { return port_; }
    std::vector<std::string> requests() {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }
    // The server names the clients asked for ("" when none).
    std::vector<std::string> serverNames() {
        std::lock_guard<std::mutex> lock(mutex_);
        return names_;
    }
    // What came of each renegotiation asked for: "done", "refused" (the
    // client said no) or "no answer".
    std::vector<std::string> renegotiations() {
        std::lock_guard<std::mutex> lock(mutex_);
        return renegotiations_;
    }

  private:
    void serve() {
        for (std::size_t next = 0; !stop_;) {
            pollfd p{listener_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            const int peer = accept(listener_, nullptr, nullptr);
            if (peer < 0) continue;
            // Blocking here, with a bound on a client that stops talking.
            timeval limit{5, 0};
            setsockopt(peer, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
            SSL* ssl = SSL_new(context_);
            SSL_set_fd(ssl, peer);
            const Reply reply = next < replies_.size() ? replies_[next] : Reply{};
            ++next;
            // Renegotiation is gone from TLS 1.3.
            if (reply.renegotiate) SSL_set_max_proto_version(ssl, TLS1_2_VERSION);
            if (SSL_accept(ssl) == 1) {
                const char* name = SSL_get_servername(ssl, TLSEXT_NAMETYPE_host_name);
                std::string request;
                char buffer[4096];
                while (request.find("\r\n\r\n") == std::string::npos) {
                    const int n = SSL_read(ssl, buffer, sizeof buffer);
                    if (n <= 0) break;
                    request.append(buffer, std::size_t(n));
                }
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    requests_.push_back(request);
                    names_.push_back(name ? name : "");
                }
                if (reply.renegotiate && !renegotiate(ssl, peer)) {
                    SSL_free(ssl);
                    ERR_clear_error();
                    close(peer);
                    continue;
                }
                for (std::size_t at = 0; at < reply.bytes.size();) {
                    const int n =
                        SSL_write(ssl, reply.bytes.data() + at,
                                  int(std::min<std::size_t>(reply.bytes.size() - at, 65536)));
                    if (n <= 0) break;
                    at += std::size_t(n);
                }
                if (reply.goodbye) SSL_shutdown(ssl);
            }
            SSL_free(ssl);
            ERR_clear_error();
            close(peer);
        }
    }

    // Sends the hello request, then reads until the client has gone through
    // the new handshake or refused it; false when the session is over.
    bool renegotiate(SSL* ssl, int peer) {
        std::string outcome = "no answer";
        if (SSL_renegotiate(ssl) == 1 && SSL_do_handshake(ssl) == 1) {
            timeval limit{0, 100000};
            setsockopt(peer, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
            char byte;
            for (int i = 0; i < 30 && outcome == "no answer"; ++i) {
                const int n = SSL_read(ssl, &byte, 1);
                if (n > 0) continue;
                if (SSL_get_error(ssl, n) == SSL_ERROR_SSL)
                    outcome = ERR_GET_REASON(ERR_peek_last_error()) == SSL_R_NO_RENEGOTIATION
                                  ? "refused"
                                  : "failed";
                else if (!SSL_renegotiate_pending(ssl))
                    outcome = "done";
            }
            timeval back{5, 0};
            setsockopt(peer, SOL_SOCKET, SO_RCVTIMEO, &back, sizeof back);
        }
        std::lock_guard<std::mutex> lock(mutex_);
        renegotiations_.push_back(outcome);
        return outcome == "done";
    }

    std::vector<Reply> replies_;
    SSL_CTX* context_ = nullptr;
    int listener_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> requests_, names_, renegotiations_;
};

} // namespace gv::test
