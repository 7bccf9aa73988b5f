// Redirects against real loopback servers: followed across servers and
// kinds, counted, refused when they loop, and timed as one download.
#include "tests/net/download_fixture.h"
#include "tests/net/loopback_server.h"

#include <gtest/gtest.h>

#include <chrono>

namespace gv {
namespace {

using namespace test;

std::string redirect(int status, const std::string& location, const std::string& body = "") {
    return "HTTP/1.1 " + std::to_string(status) + " Moved\r\nLocation: " + location +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string request(const std::string& target, const std::string& host) {
    return "GET " + target + " HTTP/1.1\r\nUser-Agent: QuorvaneA1\r\nHost: " + host +
           "\r\nConnection: close\r\n\r\n";
}

TEST_F(Download, FiveRedirectsOfEveryKindAreFollowedAcrossServers) {
    LoopbackServer b({});
    b.setReplies({{send(redirect(302, "three?x=1", "see three"))},
                  {send(redirect(303, "/four"))},
                  {send(redirect(307, "../five/./six"))},
                  {send(redirect(308, "//" + host(b) + "/seven"))},
                  {send(okHead(kImage.size()) + kImage)}});
    // The body of a redirect never reaches the file, and a connection kept
    // open after it does not hold the download.
    LoopbackServer a({{send("HTTP/1.1 301 Moved Permanently\r\nLocation: http://" + host(b) +
                            "/one/two\r\nContent-Length: 100\r\n\r\nnot the image"),
                       hold()}});
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(run(host(a), "/start"), HttpDownload::kIdle) << client->failure();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4));
    EXPECT_EQ(readText(destination), kImage);
    EXPECT_EQ(a.requests(), (std::vector<std::string>{request("/start", host(a))}));
    EXPECT_EQ(b.requests(), (std::vector<std::string>{
                                request("/one/two", host(b)), request("/one/three?x=1", host(b)),
                                request("/four", host(b)), request("/five/six", host(b)),
                                request("/seven", host(b))}));
    // Each hop connects and asks anew; the body comes once.
    EXPECT_EQ(states(), (std::vector<uint32_t>{1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 3, 0}));
}

TEST_F(Download, ASixthRedirectFailsWithoutBeingAskedFor) {
    std::vector<Reply> replies;
    for (int i = 1; i <= 7; ++i)
        replies.push_back({send(redirect(302, "r" + std::to_string(i)))});
    LoopbackServer server(replies);
    EXPECT_EQ(run(host(server), "/r0"), HttpDownload::kFailed);
    EXPECT_EQ(server.requests().size(), 6u);
    EXPECT_EQ(client->failure(), "more than 5 redirects (to http://" + host(server) + "/r6)");
    expectUntouched();
}

TEST_F(Download, ALoopOrAnUnusableLocationFails) {
    {
        LoopbackServer server({{send(redirect(302, "/b"))},
                               {send(redirect(301, "a?"))},
                               {send(redirect(301, "/a"))}});
        EXPECT_EQ(run(host(server), "/a"), HttpDownload::kFailed);
        // "/a?" differs from "/a"; the way back to "/a" is the loop.
        EXPECT_EQ(server.requests().size(), 3u);
        EXPECT_EQ(client->failure(), "redirect loop (to http://" + host(server) + "/a)");
        expectUntouched();
    }
    {
        LoopbackServer server({{send(redirect(307, "ftp://example.org/map.gif"))}});
        EXPECT_EQ(run(host(server), "/a"), HttpDownload::kFailed);
        EXPECT_EQ(client->failure(),
                  "redirect to an unusable location \"ftp://example.org/map.gif\"");
        expectUntouched();
    }
    {
        LoopbackServer server({{send(redirect(302, "/" + std::string(300, 'p')))}});
        EXPECT_EQ(run(host(server), "/a"), HttpDownload::kFailed);
        EXPECT_EQ(client->failure().substr(0, 26), "redirect location too long");
        expectUntouched();
    }
}

TEST_F(Download, EveryHopWaitsForDataAndAllHopsShareTheWholeTime) {
    {
        // 300 ms of silence on each hop is well within the limit of 1000
        // without data, but five redirects and the last hop take longer than
        // the whole download may.
        client->setTimeLimits(1000, 1200);
        std::vector<Reply> replies;
        for (int i = 1; i <= 5; ++i)
            replies.push_back({pause(300), send(redirect(302, "h" + std::to_string(i)))});
        replies.push_back({pause(300), send(okHead(kImage.size()) + kImage)});
        LoopbackServer server(replies);
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(run(host(server), "/h0"), HttpDownload::kFailed);
        const auto took = std::chrono::steady_clock::now() - started;
        EXPECT_GE(took, std::chrono::milliseconds(1190));
        EXPECT_LT(took, std::chrono::milliseconds(4000));
        EXPECT_EQ(client->failure(), "the download took too long");
        expectUntouched();
    }
    {
        // A second hop that never answers fails on its own wait.
        client->setTimeLimits(400, 60000);
        LoopbackServer server({{send(redirect(302, "/silent"))}, {hold()}});
        EXPECT_EQ(run(host(server), "/a"), HttpDownload::kFailed);
        EXPECT_EQ(client->failure(), "no answer in time");
        EXPECT_EQ(server.requests().size(), 2u);
        expectUntouched();
    }
}

} // namespace
} // namespace gv
