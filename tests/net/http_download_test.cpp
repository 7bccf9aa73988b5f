// The download against real loopback servers that answer well and badly.
#include "tests/net/download_fixture.h"
#include "tests/net/loopback_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace gv {
namespace {

using namespace test;

TEST_F(Download, TheRequestTextAndAFramedBodyStoredWhole) {
    LoopbackServer server({{send(okHead(kImage.size()) + kImage)}});
    EXPECT_EQ(run(host(server), "/earthview/cache/a1.gif"), HttpDownload::kIdle);
    ASSERT_EQ(server.requests().size(), 1u);
    // Line ends CR LF, the connection not to be kept, and no byte after the
    // blank line.
    EXPECT_EQ(server.requests()[0], "GET /earthview/cache/a1.gif HTTP/1.1\r\n"
                                    "User-Agent: QuorvaneA1\r\n"
                                    "Host: " +
                                        host(server) +
                                        "\r\n"
                                        "Connection: close\r\n\r\n");
    EXPECT_EQ(readText(destination), kImage);
    EXPECT_FALSE(std::filesystem::exists(HttpDownload::partialPath(destination)));
    EXPECT_EQ(states(), (std::vector<uint32_t>{1, 2, 3, 0}));
    EXPECT_EQ(reports.back().bytes, kImage.size());
    EXPECT_EQ(client->bytesWritten(), kImage.size());
    EXPECT_FALSE(client->busy());
}

TEST_F(Download, AServerKeepingTheConnectionOpenDoesNotHoldAFramedBody) {
    LoopbackServer server({{send(okHead(kImage.size()) + kImage), hold()}});
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(run(host(server)), HttpDownload::kIdle);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
    EXPECT_EQ(readText(destination), kImage);
}

TEST_F(Download, ChunkedBodiesAndHeadersInSmallPiecesArriveDecoded) {
    std::string header = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n";
    for (int i = 0; i < 60; ++i)
        header += "X-Filler-" + std::to_string(i) + ": " + std::string(90, 'x') + "\r\n";
    header += "\r\n";
    Reply reply;
    for (std::size_t at = 0; at < header.size(); at += 700) {
        reply.push_back(send(header.substr(at, 700)));
        reply.push_back(pause(15));
    }
    for (const char* piece : {"6\r\nGIF89a\r\n", "3\r\n", "abc", "\r\n", "0\r\n\r\n"}) {
        reply.push_back(send(piece));
        reply.push_back(pause(15));
    }
    LoopbackServer server({reply});
    EXPECT_EQ(run(host(server)), HttpDownload::kIdle);
    EXPECT_EQ(readText(destination), "GIF89aabc");
}

TEST_F(Download, ABodyEndingAtTheCloseIsKept) {
    LoopbackServer server({{send("HTTP/1.0 200 OK\r\n\r\n"), pause(30), send("until the close")}});
    EXPECT_EQ(run(host(server)), HttpDownload::kIdle);
    EXPECT_EQ(readText(destination), "until the close");
}

TEST_F(Download, BadAnswersFailAndLeaveTheDestinationAsItWas) {
    const std::vector<Reply> bad = {
        {send("HTTP/1.1 404 Not Found\r\nContent-Length: 17\r\n\r\nnot here (200 OK)")},
        {send("HTTP/1.1 500 Internal Server Error\r\n\r\n")},
        {},                                                 // closed before any byte
        {send("HTTP/1.1 200 OK\r\nContent-Le")},            // closed in the header
        {send(okHead(100) + "GIF89a"), pause(30)},          // closed short of its length
        {send(okHead(100) + "GIF89a"), pause(30), reset()}, // reset in the body
        // A reset right behind the bytes of a body that ends at the close.
        {send("HTTP/1.0 200 OK\r\n\r\n" + std::string(3000, 'b')), reset()},
        {send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n")}, // bad chunk
        // A bad chunk after good ones, in the same read.
        {send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nGIF\r\nzz\r\n")},
        {send(
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nGIF8")}, // closed in a chunk
        {send("HTTP/1.1 200 OK\r\nX: " + std::string(70000, 'h') + "\r\n\r\n")}, // header too big
    };
    for (std::size_t i = 0; i < bad.size(); ++i) {
        LoopbackServer server({bad[i]});
        EXPECT_EQ(run(host(server)), HttpDownload::kFailed) << "reply " << i;
        expectUntouched();
        EXPECT_FALSE(client->failure().empty());
    }
}

TEST_F(Download, UnknownNamesAndRefusedConnectionsFailAtOnce) {
    uint16_t closedPort = 0;
    {
        LoopbackServer gone({});
        closedPort = gone.port();
    }
    for (const std::string& host :
         {std::string("no-such-host.invalid"), "127.0.0.1:" + std::to_string(closedPort)}) {
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(run(host), HttpDownload::kFailed) << host;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3)) << host;
        EXPECT_EQ(states(), (std::vector<uint32_t>{1, 4})) << host;
        expectUntouched();
    }
}

TEST_F(Download, BothAddressFamiliesAndAnAddressThatRefusesBeforeOneThatAnswers) {
    LoopbackServer v6({{send(okHead(2) + "v6")}}, AF_INET6);
    EXPECT_EQ(run("[::1]:" + std::to_string(v6.port())), HttpDownload::kIdle);
    EXPECT_EQ(readText(destination), "v6");
    ASSERT_EQ(v6.requests().size(), 1u);
    EXPECT_NE(v6.requests()[0].find("\r\nHost: [::1]:" + std::to_string(v6.port()) + "\r\n"),
              std::string::npos);

    // "localhost" may name ::1 before 127.0.0.1; a server on the second only
    // is still reached.
    LoopbackServer v4({{send(okHead(2) + "v4")}});
    EXPECT_EQ(run("localhost:" + std::to_string(v4.port())), HttpDownload::kIdle);
    EXPECT_EQ(readText(destination), "v4");
}

TEST_F(Download, NoDataForTooLongFailsBeforeAndAfterTheHeader) {
    client->setTimeLimits(400, 60000);
    {
        LoopbackServer silent({{hold()}});
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(run(host(silent)), HttpDownload::kFailed);
        EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(390));
        EXPECT_EQ(states(), (std::vector<uint32_t>{1, 2, 4}));
        expectUntouched();
    }
    {
        // Data every 250 ms keeps it going; the stall after it does not.
        LoopbackServer stalls(
            {{send(okHead(10)), pause(250), send("GIF"), pause(250), send("89a"), hold()}});
        EXPECT_EQ(run(host(stalls)), HttpDownload::kFailed);
        EXPECT_EQ(states(), (std::vector<uint32_t>{1, 2, 3, 4}));
        EXPECT_EQ(reports[reports.size() - 2].bytes, 6u);
        expectUntouched();
    }
}

TEST_F(Download, AWholeDownloadLongerThanTheLimitFails) {
    client->setTimeLimits(400, 1200);
    Reply drip = {send(okHead(100))};
    for (int i = 0; i < 40; ++i) {
        drip.push_back(pause(100));
        drip.push_back(send("x"));
    }
    LoopbackServer server({drip});
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(run(host(server)), HttpDownload::kFailed);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GE(took, std::chrono::milliseconds(1190));
    EXPECT_LT(took, std::chrono::milliseconds(3000));
    expectUntouched();
}

TEST_F(Download, StartsThatCannotWorkAreRefused) {
    const std::string name = "example.org";
    EXPECT_FALSE(client->start(std::string(260, 'h'), "/p", destination));
    EXPECT_FALSE(client->start(name, "/" + std::string(259, 'p'), destination));
    EXPECT_FALSE(client->start(name, "/p", dir.file(std::string(260, 'd'))));
    // Host and path together: 464 characters pass the check, 465 do not.
    const std::string host205 = std::string(205 - 4, 'h') + ".org";
    const std::string path259 = "/" + std::string(258, 'p');
    EXPECT_FALSE(client->start("h" + host205, path259, destination));
    EXPECT_FALSE(client->start(name + " x", "/p", destination));
    EXPECT_FALSE(client->start(name, "/a b", destination));
    EXPECT_FALSE(client->start(name, "/p\r\nX: y", destination));
    EXPECT_FALSE(client->start(name, "p", destination));
    EXPECT_FALSE(client->start(name + ":http", "/p", destination));
    EXPECT_FALSE(client->start("", "/p", destination));
    EXPECT_TRUE(reports.empty());
    EXPECT_FALSE(client->busy());

    EXPECT_TRUE(client->start(host205, path259, destination));
    // One at a time.
    EXPECT_FALSE(client->start(name, "/p", destination));
    EXPECT_EQ(states(), (std::vector<uint32_t>{1}));
}

TEST_F(Download, TheNextDownloadMayStartFromTheReportOfTheLast) {
    LoopbackServer server({{send(okHead(4) + "page")}, {send(okHead(5) + "image")}});
    const std::string second = dir.file("second");
    int ends = 0;
    onEnd = [&] {
        if (++ends == 1) {
            EXPECT_TRUE(client->start(host(server), "/2", second));
        }
    };
    EXPECT_TRUE(client->start(host(server), "/1", destination));
    EXPECT_TRUE(pumpUntil([&] { return ends == 2; }));
    EXPECT_EQ(readText(destination), "page");
    EXPECT_EQ(readText(second), "image");
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[1].substr(0, 17), "GET /2 HTTP/1.1\r\n");
}

TEST_F(Download, DestroyingTheClientEndsItsDownloadQuietly) {
    LoopbackServer server({{send(okHead(100) + "GIF"), hold()}});
    EXPECT_TRUE(client->start(host(server), "/p", destination));
    EXPECT_TRUE(pumpUntil([&] { return client->state() == HttpDownload::kReceiving; }));
    const std::size_t before = reports.size();
    client.reset();
    pumpUntil([] { return false; }, 100);
    EXPECT_EQ(reports.size(), before);
    EXPECT_EQ(readText(destination), "old");
    EXPECT_FALSE(std::filesystem::exists(HttpDownload::partialPath(destination)));
}

} // namespace
} // namespace gv
