#include "net/http_response_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gv {
namespace {

using Result = HttpResponseParser::Result;

struct Outcome {
    Result result = Result::NeedMore;
    std::string body;
    std::string failure;
    int status = 0;
    // The byte at which the parser first said Complete or Failed (-1: never).
    long endedAt = -1;
};

// Feeds text in the pieces given by the split points, then the close when
// close is set.
Outcome run(const std::string& text, const std::vector<std::size_t>& splits, bool close) {
    HttpResponseParser p;
    Outcome o;
    std::vector<uint8_t> body;
    std::size_t from = 0;
    std::vector<std::size_t> points = splits;
    points.push_back(text.size());
    for (std::size_t to : points) {
        if (to < from) continue;
        const auto* data = reinterpret_cast<const uint8_t*>(text.data()) + from;
        o.result = p.feed({data, to - from}, body);
        if (o.result != Result::NeedMore && o.endedAt < 0) o.endedAt = long(to);
        from = to;
    }
    if (close) o.result = p.finish();
    o.body.assign(body.begin(), body.end());
    o.failure = p.failure();
    o.status = p.status();
    return o;
}

Outcome whole(const std::string& text, bool close = false) {
    return run(text, {}, close);
}

// The same outcome whatever the reads: in two pieces at every point, and one
// byte at a time.
void expectSameEverySplit(const std::string& text, bool close, Result result,
                          const std::string& body) {
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        const Outcome o = run(text, {cut}, close);
        ASSERT_EQ(o.result, result) << "split at " << cut << ": " << o.failure;
        ASSERT_EQ(o.body, body) << "split at " << cut;
    }
    std::vector<std::size_t> everyByte;
    for (std::size_t i = 1; i < text.size(); ++i)
        everyByte.push_back(i);
    const Outcome o = run(text, everyByte, close);
    EXPECT_EQ(o.result, result);
    EXPECT_EQ(o.body, body);
}

TEST(HttpResponseParser, ALengthFramedBodyEndsAtItsLengthHoweverTheReadsSplitIt) {
    const std::string head =
        "HTTP/1.1 200 OK\r\nContent-Type: image/gif\r\nContent-Length: 10\r\n\r\n";
    expectSameEverySplit(head + "GIF89a\x01\x02\r\n", false, Result::Complete,
                         "GIF89a\x01\x02\r\n");
    // What follows the body (a server keeping the connection) is not body.
    const Outcome o = whole(head + "0123456789" + "HTTP/1.1 200 OK\r\n");
    EXPECT_EQ(o.result, Result::Complete);
    EXPECT_EQ(o.body, "0123456789");
    EXPECT_EQ(o.endedAt, long(head.size() + 27));
    // Complete the moment the last byte arrives, without waiting for a close.
    const Outcome split = run(head + "0123456789", {head.size() + 9}, false);
    EXPECT_EQ(split.result, Result::Complete);
    EXPECT_EQ(split.endedAt, long(head.size() + 10));
}

TEST(HttpResponseParser, ACloseBeforeTheLengthIsReachedFails) {
    const Outcome o = whole("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n012345", true);
    EXPECT_EQ(o.result, Result::Failed);
    EXPECT_EQ(o.body, "012345");
    EXPECT_EQ(o.failure, "connection closed before the end of the response");
}

TEST(HttpResponseParser, WithoutFramingTheBodyRunsToTheClose) {
    expectSameEverySplit("HTTP/1.0 200 OK\r\nServer: test\r\n\r\nabc\r\n\r\ndef", true,
                         Result::Complete, "abc\r\n\r\ndef");
    // Not complete until the close comes.
    EXPECT_EQ(whole("HTTP/1.0 200 OK\r\n\r\nabc").result, Result::NeedMore);
    // A 200 header and then the close: an empty body, complete.
    const Outcome empty = whole("HTTP/1.1 200 OK\r\n\r\n", true);
    EXPECT_EQ(empty.result, Result::Complete);
    EXPECT_EQ(empty.body, "");
}

TEST(HttpResponseParser, ClosedBeforeOrInsideTheHeaderFails) {
    const Outcome none = whole("", true);
    EXPECT_EQ(none.result, Result::Failed);
    EXPECT_EQ(none.failure, "connection closed before any response");
    const Outcome half = whole("HTTP/1.1 200 OK\r\nContent-Le", true);
    EXPECT_EQ(half.result, Result::Failed);
    EXPECT_EQ(half.body, "");
}

TEST(HttpResponseParser, OnlyStatus200GoesOnToTheBody) {
    // The words "200 OK" in the body of an error do not make it a success.
    const Outcome notFound =
        whole("HTTP/1.1 404 Not Found\r\nContent-Length: 13\r\n\r\nnot 200 OK :(");
    EXPECT_EQ(notFound.result, Result::Failed);
    EXPECT_EQ(notFound.status, 404);
    EXPECT_EQ(notFound.failure, "status 404");
    EXPECT_EQ(notFound.body, "");
    EXPECT_EQ(whole("HTTP/1.1 500 Internal Server Error\r\n\r\n").failure, "status 500");
    EXPECT_EQ(whole("HTTP/1.1 206 Partial Content\r\n\r\n").result, Result::Failed);
    // The status line alone decides: a 404 header naming "200 OK" fails too.
    EXPECT_EQ(whole("HTTP/1.1 404 200 OK\r\n\r\n").result, Result::Failed);

    // A status line without a reason is still one.
    EXPECT_EQ(whole("HTTP/1.1 200\r\nContent-Length: 0\r\n\r\n").result, Result::Complete);
    for (const char* bad :
         {"200 OK\r\n\r\n", "HTTP/2 200 OK\r\n\r\n", "HTTP/1.1 20 OK\r\n\r\n",
          "HTTP/1.1 2000 OK\r\n\r\n", "http/1.1 200 OK\r\n\r\n", "<html>200 OK</html>\r\n"}) {
        const Outcome o = whole(bad);
        EXPECT_EQ(o.result, Result::Failed) << bad;
        EXPECT_EQ(o.failure, "not an HTTP/1.x status line") << bad;
    }
}

TEST(HttpResponseParser, RedirectsNameTheirLocationAndKeepNoBody) {
    for (int status : {301, 302, 303, 307, 308}) {
        const std::string text = "HTTP/1.1 " + std::to_string(status) +
                                 " Elsewhere\r\nContent-Length: 9\r\nLocation:  "
                                 "https://example.org/a/b?c=d \r\n\r\nmoved on.";
        expectSameEverySplit(text, false, Result::Redirect, "");
        std::vector<std::size_t> everyByte;
        for (std::size_t i = 1; i < text.size(); ++i)
            everyByte.push_back(i);
        const Outcome o = run(text, everyByte, false);
        EXPECT_EQ(o.status, status);
        // The redirect is known at the header's end, before its body.
        EXPECT_EQ(o.endedAt, long(text.size()) - 9) << status;
        HttpResponseParser p;
        std::vector<uint8_t> body;
        p.feed({reinterpret_cast<const uint8_t*>(text.data()), text.size()}, body);
        EXPECT_EQ(p.location(), "https://example.org/a/b?c=d");
    }
    EXPECT_EQ(whole("HTTP/1.1 302 Found\r\nContent-Length: 0\r\n\r\n").failure,
              "status 302 without a Location");
    EXPECT_EQ(whole("HTTP/1.1 301 Moved\r\nLocation:\r\n\r\n").failure,
              "status 301 without a Location");
    // Not redirects a download can follow: multiple choices, not modified,
    // use proxy.
    for (const char* other : {"300 Multiple Choices", "304 Not Modified", "305 Use Proxy"})
        EXPECT_EQ(whole(std::string("HTTP/1.1 ") + other + "\r\nLocation: /x\r\n\r\n").result,
                  Result::Failed)
            << other;
}

TEST(HttpResponseParser, AnInterimResponseIsSkipped) {
    expectSameEverySplit(
        "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nhi", false,
        Result::Complete, "hi");
    EXPECT_EQ(whole("HTTP/1.1 101 Switching Protocols\r\n\r\n").result, Result::Failed);
}

TEST(HttpResponseParser, AHeaderLongerThanOneReadIsCollectedUpToItsCap) {
    std::string head = "HTTP/1.1 200 OK\r\n";
    for (int i = 0; i < 100; ++i)
        head += "X-Padding-" + std::to_string(i) + ": " + std::string(40, 'p') + "\r\n";
    head += "Content-Length: 4\r\n\r\n";
    ASSERT_GT(head.size(), 5000u);
    std::vector<std::size_t> pieces;
    for (std::size_t at = 7; at < head.size() + 4; at += 97)
        pieces.push_back(at);
    const Outcome o = run(head + "body", pieces, false);
    EXPECT_EQ(o.result, Result::Complete);
    EXPECT_EQ(o.body, "body");

    // 65536 bytes of status line and header, blank line included, pass;
    // one more fails, and no header byte is ever taken for body.
    const std::string status = "HTTP/1.1 200 OK\r\n";    // 17
    const std::string end = "Content-Length: 1\r\n\r\n"; // 21
    std::string filler = "X: ";
    filler += std::string(65536 - 17 - 21 - 3 - 2, 'f') + "\r\n";
    const std::string atCap = status + filler + end;
    ASSERT_EQ(atCap.size(), 65536u);
    EXPECT_EQ(whole(atCap + "B").result, Result::Complete);
    const std::string overCap = status + "X: f" + filler.substr(3) + end;
    ASSERT_EQ(overCap.size(), 65537u);
    const Outcome over = whole(overCap + "B");
    EXPECT_EQ(over.result, Result::Failed);
    EXPECT_EQ(over.failure, "response header over 64 KiB");
    EXPECT_EQ(over.body, "");
    // A server that never ends its first line hits the same cap.
    EXPECT_EQ(whole(std::string(70000, 'H')).result, Result::Failed);
}

TEST(HttpResponseParser, HeaderFieldsAreReadByName) {
    // Names in any case, values trimmed, an old-style continuation line.
    const Outcome o =
        whole("HTTP/1.1 200 OK\r\ncontent-LENGTH:   3  \r\nX-Long: a\r\n  b\r\n\r\nabcd");
    EXPECT_EQ(o.result, Result::Complete);
    EXPECT_EQ(o.body, "abc");
    // Bare line feeds end lines too.
    EXPECT_EQ(whole("HTTP/1.1 200 OK\nContent-Length: 2\n\nok").body, "ok");
    // Repeated equal lengths are one length; different ones are not.
    EXPECT_EQ(whole("HTTP/1.1 200 OK\r\nContent-Length: 2, 2\r\n\r\nok").result, Result::Complete);
    EXPECT_EQ(whole("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Length: 3\r\n\r\n").failure,
              "conflicting Content-Length");
    for (const char* bad : {"HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n",
                            "HTTP/1.1 200 OK\r\nContent-Length: 1e3\r\n\r\n",
                            "HTTP/1.1 200 OK\r\nContent-Length: 0x10\r\n\r\n"})
        EXPECT_EQ(whole(bad).failure, "bad Content-Length") << bad;
    EXPECT_EQ(whole("HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999999\r\n\r\n").failure,
              "body over 64 MiB");
    for (const char* bad :
         {"HTTP/1.1 200 OK\r\nNo colon here\r\n\r\n", "HTTP/1.1 200 OK\r\n: no name\r\n\r\n",
          "HTTP/1.1 200 OK\r\nContent-Length : 2\r\n\r\nok",
          "HTTP/1.1 200 OK\r\n folded first\r\n\r\n"})
        EXPECT_EQ(whole(bad).failure, "malformed header line") << bad;
}

TEST(HttpResponseParser, AnEmptyLengthBodyIsCompleteAtTheHeader) {
    const Outcome o = whole("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
    EXPECT_EQ(o.result, Result::Complete);
    EXPECT_EQ(o.body, "");
}

const std::string kChunkedHead = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";

TEST(HttpResponseParser, ChunkedBodiesAreDecodedHoweverTheReadsSplitThem) {
    expectSameEverySplit(kChunkedHead +
                             "4\r\nWiki\r\n5\r\npedia\r\nE\r\n in\r\n\r\nchunks.\r\n0\r\n\r\n",
                         false, Result::Complete, "Wikipedia in\r\n\r\nchunks.");
    // Extensions, upper- and lower-case hex, leading zeros, trailer fields.
    expectSameEverySplit(kChunkedHead + "0A;name=value\r\n0123456789\r\n001a ; x\r\n" +
                             std::string(26, 'z') + "\r\n0\r\nExpires: never\r\n\r\n",
                         false, Result::Complete, "0123456789" + std::string(26, 'z'));
    // A length beside the chunked coding is ignored.
    EXPECT_EQ(whole("HTTP/1.1 200 OK\r\nContent-Length: 1\r\nTransfer-Encoding: Chunked\r\n\r\n"
                    "3\r\nabc\r\n0\r\n\r\n")
                  .body,
              "abc");
    // Nothing after the last chunk's blank line is body, and no close is needed.
    const Outcome o = whole(kChunkedHead + "1\r\nx\r\n0\r\n\r\ngarbage");
    EXPECT_EQ(o.result, Result::Complete);
    EXPECT_EQ(o.body, "x");
}

TEST(HttpResponseParser, MalformedChunksFail) {
    EXPECT_EQ(whole(kChunkedHead + "zz\r\nab\r\n0\r\n\r\n").failure, "malformed chunk size");
    EXPECT_EQ(whole(kChunkedHead + "\r\n").failure, "malformed chunk size");
    EXPECT_EQ(whole(kChunkedHead + "3 x\r\nabc\r\n").failure, "malformed chunk size");
    EXPECT_EQ(whole(kChunkedHead + "3\r\nabcd\r\n0\r\n\r\n").failure,
              "chunk data longer than its size");
    EXPECT_EQ(whole(kChunkedHead + "ffffffffffffffffffff\r\n").failure, "body over 64 MiB");
    EXPECT_EQ(whole(kChunkedHead + "3;" + std::string(5000, 'e')).failure,
              "chunk size line too long");
    // The connection closing inside a chunk, or before the last one.
    EXPECT_EQ(whole(kChunkedHead + "5\r\nab", true).result, Result::Failed);
    EXPECT_EQ(whole(kChunkedHead + "2\r\nab\r\n", true).result, Result::Failed);
    // Codings that cannot be undone here.
    EXPECT_EQ(whole("HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, chunked\r\n\r\n").failure,
              "unsupported transfer coding");
}

TEST(HttpResponseParser, NothingIsTakenAfterTheEnd) {
    HttpResponseParser p;
    std::vector<uint8_t> body;
    const std::string failed = "HTTP/1.1 404 Not Found\r\n\r\n";
    EXPECT_EQ(p.feed({reinterpret_cast<const uint8_t*>(failed.data()), failed.size()}, body),
              Result::Failed);
    const std::string more = "HTTP/1.1 200 OK\r\n\r\nbody";
    EXPECT_EQ(p.feed({reinterpret_cast<const uint8_t*>(more.data()), more.size()}, body),
              Result::Failed);
    EXPECT_EQ(p.finish(), Result::Failed);
    EXPECT_TRUE(body.empty());
    EXPECT_FALSE(p.inBody());
}

} // namespace
} // namespace gv
