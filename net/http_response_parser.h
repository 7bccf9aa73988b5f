#pragma once
// The response to one HTTP/1.x GET, read incrementally however the network
// splits it: the status line, the header (kept within a cap), then the body
// framed by Content-Length, by the chunked transfer coding, or by the close.
// Only a 200 response has a body worth keeping; a redirect names where to go
// instead; anything else fails.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace gv {

class HttpResponseParser {
  public:
    enum class Result {
        NeedMore, // the response goes on
        Complete, // the body has ended where the response said
        Failed,   // not a usable response; failure() says why
        Redirect, // 301, 302, 303, 307 or 308: location() says where to
    };

    // Status line, header fields and chunk trailers together.
    static constexpr std::size_t kHeaderLimit = 64 * 1024;
    // The longest body kept: a cloud map is a few hundred kilobytes.
    static constexpr uint64_t kBodyLimit = 64ull * 1024 * 1024;

    // Takes the next received bytes and appends the body bytes among them to
    // body. Once Complete or Failed, further bytes are ignored.
    Result feed(std::span<const uint8_t> bytes, std::vector<uint8_t>& body);
    // The peer closed the connection: Complete only when the close is where
    // the body ends (no length, not chunked) or the body had already ended.
    Result finish();

    Result result() const { return result_; }
    // The header of a 200 response has been read; body bytes follow.
    bool inBody() const;
    int status() const { return status_; }
    uint64_t bodyBytes() const { return bodyBytes_; }
    const std::string& failure() const { return failure_; }
    // The Location field of a redirect, as sent.
    const std::string& location() const { return location_; }

  private:
    enum class Phase {
        StatusLine,
        Header,
        LengthBody,
        CloseBody,
        ChunkSize,
        ChunkData,
        ChunkDataEnd,
        Trailer,
        Done,
    };

    Result fail(std::string why);
    // A whole line (without its line end) in the phases read by lines.
    Result takeLine(const std::string& line);
    Result takeStatusLine(const std::string& line);
    Result takeHeaderLine(const std::string& line);
    Result endOfHeader();
    Result takeChunkSize(const std::string& line);
    Result takeBody(const uint8_t*& at, const uint8_t* end, std::vector<uint8_t>& body,
                    uint64_t count);

    Phase phase_ = Phase::StatusLine;
    Result result_ = Result::NeedMore;
    std::string line_;
    std::size_t headerBytes_ = 0; // counted against kHeaderLimit
    int status_ = 0;
    // Header fields of the response (names lower-cased), the last one last.
    std::vector<std::pair<std::string, std::string>> fields_;
    uint64_t remaining_ = 0; // of the length body or the current chunk
    uint64_t bodyBytes_ = 0;
    std::string failure_;
    std::string location_;
};

} // namespace gv
