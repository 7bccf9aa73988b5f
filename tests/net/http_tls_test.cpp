// Downloads over TLS against real loopback servers whose certificates a test
// authority signs, trusted for this process through SSL_CERT_FILE.
#include "tests/net/download_fixture.h"
#include "tests/net/loopback_server.h"
#include "tests/net/tls_loopback_server.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace gv {
namespace {

using namespace test;

// The authority and the server identities, made once; the authority is the
// only one trusted (before the first TLS download reads the trust store).
struct Authorities {
    TempDir dir;
    Identity authority = makeIdentity("Geovista test authority", "", nullptr);
    Identity localhost = makeIdentity("localhost", "DNS:localhost,IP:127.0.0.1", &authority);
    Identity otherName = makeIdentity("otherhost.example", "DNS:otherhost.example", &authority);
    Identity expired =
        makeIdentity("localhost", "DNS:localhost,IP:127.0.0.1", &authority, -86400L * 60, -86400L);
    Identity strangersAuthority = makeIdentity("Someone else's authority", "", nullptr);
    Identity stranger =
        makeIdentity("localhost", "DNS:localhost,IP:127.0.0.1", &strangersAuthority);

    Authorities() {
        writeCertificate(authority, dir.file("authority.pem"));
        setenv("SSL_CERT_FILE", dir.file("authority.pem").c_str(), 1);
    }
};

// Made once for the process, removed with it: the trust store is read at the
// first TLS download and kept.
const Authorities& authorities() {
    static const Authorities a;
    return a;
}

class TlsDownload : public Download {
  protected:
    const Authorities& ca = authorities();
    std::string https(uint16_t port, const char* name = "localhost") const {
        return std::string("https://") + name + ":" + std::to_string(port);
    }
    std::string request(const std::string& target, const std::string& hostField) const {
        return "GET " + target + " HTTP/1.1\r\nUser-Agent: QuorvaneA1\r\nHost: " + hostField +
               "\r\nConnection: close\r\n\r\n";
    }
};

std::string bigBody() {
    std::string big(300000, 'c');
    for (std::size_t i = 0; i < big.size(); i += 997)
        big[i] = char('a' + i % 26);
    return big;
}

TEST_F(TlsDownload, ATrustedServerByNameOrAddress) {
    // A body of many records, ended by the server's goodbye (close_notify)
    // or by its length (without the goodbye).
    const std::string big = bigBody();
    TlsLoopbackServer server(ca.localhost, {{okHead(kImage.size()) + kImage},
                                            {"HTTP/1.0 200 OK\r\n\r\n" + big, true},
                                            {okHead(big.size()) + big, false}});
    const std::string name = "localhost:" + std::to_string(server.port());
    EXPECT_EQ(run(https(server.port()), "/map.gif"), HttpDownload::kIdle) << client->failure();
    EXPECT_EQ(readText(destination), kImage);
    EXPECT_EQ(states(), (std::vector<uint32_t>{1, 2, 3, 0}));

    // By address: checked against the certificate's address, no name sent.
    EXPECT_EQ(run(https(server.port(), "127.0.0.1"), "/big"), HttpDownload::kIdle)
        << client->failure();
    EXPECT_TRUE(readText(destination) == big);
    EXPECT_EQ(run(https(server.port()), "/big?again"), HttpDownload::kIdle) << client->failure();
    EXPECT_TRUE(readText(destination) == big);

    EXPECT_EQ(server.requests(), (std::vector<std::string>{
                                     request("/map.gif", name),
                                     request("/big", "127.0.0.1:" + std::to_string(server.port())),
                                     request("/big?again", name)}));
    EXPECT_EQ(server.serverNames(), (std::vector<std::string>{"localhost", "", "localhost"}));
}

// A body that only the close ends can be cut by anyone on the path, who
// can close a TCP connection but not forge the TLS goodbye: without it the
// download fails and nothing takes the file's place. Framed bodies end where
// their framing says, goodbye or not.
TEST_F(TlsDownload, ACloseWithoutTheGoodbyeCutsABodyTheCloseWouldEnd) {
    const std::string big = bigBody();
    const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" +
                                std::string("7\r\nclouds!\r\n0\r\n\r\n");
    TlsLoopbackServer server(ca.localhost, {{"HTTP/1.0 200 OK\r\n\r\n" + big, false},
                                            {"HTTP/1.0 200 OK\r\n\r\n", false},
                                            {chunked, false},
                                            {"HTTP/1.0 200 OK\r\n\r\n" + kImage, true}});
    EXPECT_EQ(run(https(server.port()), "/cut"), HttpDownload::kFailed);
    EXPECT_EQ(client->failure(), "connection cut");
    expectUntouched();
    EXPECT_EQ(run(https(server.port()), "/cut-empty"), HttpDownload::kFailed);
    EXPECT_EQ(client->failure(), "connection cut");
    expectUntouched();
    EXPECT_EQ(run(https(server.port()), "/chunked"), HttpDownload::kIdle) << client->failure();
    EXPECT_EQ(readText(destination), "clouds!");
    EXPECT_EQ(run(https(server.port()), "/goodbye"), HttpDownload::kIdle) << client->failure();
    EXPECT_EQ(readText(destination), kImage);
}

// A server that asks to renegotiate the session is refused.
TEST_F(TlsDownload, RenegotiationIsRefused) {
    TlsLoopbackServer server(ca.localhost,
                             {{okHead(kImage.size()) + kImage, true, /*renegotiate=*/true}});
    EXPECT_EQ(run(https(server.port())), HttpDownload::kFailed);
    EXPECT_EQ(server.renegotiations(), (std::vector<std::string>{"refused"}));
    expectUntouched();
}

TEST_F(TlsDownload, CertificatesThatDoNotFitFailAndSayWhy) {
    const std::pair<const Identity*, std::string> cases[] = {
        {&ca.otherName, "TLS: certificate not accepted: hostname mismatch"},
        {&ca.expired, "TLS: certificate not accepted: certificate has expired"},
        {&ca.stranger, "TLS: certificate not accepted: unable to get local issuer certificate"},
    };
    for (const auto& [identity, why] : cases) {
        TlsLoopbackServer server(*identity, {{okHead(kImage.size()) + kImage}});
        EXPECT_EQ(run(https(server.port())), HttpDownload::kFailed);
        EXPECT_EQ(client->failure(), why);
        EXPECT_TRUE(server.requests().empty()) << why;
        expectUntouched();
    }
    // An address the certificate does not carry.
    TlsLoopbackServer byName(ca.otherName, {});
    EXPECT_EQ(run(https(byName.port(), "127.0.0.1")), HttpDownload::kFailed);
    EXPECT_EQ(client->failure(), "TLS: certificate not accepted: IP address mismatch");
}

TEST_F(TlsDownload, AServerThatDoesNotSpeakTlsFailsTheHandshake) {
    LoopbackServer plain({{send("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n")}, {}});
    EXPECT_EQ(run(https(plain.port())), HttpDownload::kFailed);
    EXPECT_EQ(client->failure().rfind("TLS: handshake failed: ", 0), 0u) << client->failure();
    expectUntouched();
    // Closed without a word.
    EXPECT_EQ(run(https(plain.port())), HttpDownload::kFailed);
    EXPECT_EQ(client->failure(), "TLS: connection closed during the handshake");
    expectUntouched();
}

TEST_F(TlsDownload, RedirectsStayOnTls) {
    LoopbackServer plain({{send(okHead(kImage.size()) + kImage)}});
    TlsLoopbackServer target(ca.localhost, {{okHead(kImage.size()) + kImage}});
    TlsLoopbackServer start(
        ca.localhost,
        {{"HTTP/1.1 301 Moved\r\nLocation: https://localhost:" + std::to_string(target.port()) +
          "/img\r\nContent-Length: 0\r\n\r\n"},
         {"HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:" + std::to_string(plain.port()) +
          "/img\r\nContent-Length: 0\r\n\r\n"}});
    EXPECT_EQ(run(https(start.port())), HttpDownload::kIdle) << client->failure();
    EXPECT_EQ(readText(destination), kImage);
    EXPECT_EQ(target.requests().size(), 1u);

    writeBytes(destination, {'o', 'l', 'd'});
    EXPECT_EQ(run(https(start.port())), HttpDownload::kFailed);
    EXPECT_EQ(client->failure(), "redirect from https to http refused (to http://127.0.0.1:" +
                                     std::to_string(plain.port()) + "/img)");
    EXPECT_TRUE(plain.requests().empty());
    expectUntouched();
}

} // namespace
} // namespace gv
