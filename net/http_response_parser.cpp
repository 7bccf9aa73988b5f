#include "net/http_response_parser.h"

#include <algorithm>
#include <cstring>

namespace gv {

namespace {

// A chunk-size line carries at most a size and its extensions.
constexpr std::size_t kChunkLineLimit = 4096;

std::string lowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

std::string trimmed(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && isSpace(text[begin]))
        ++begin;
    while (end > begin && isSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// The comma-separated elements of a field's values, trimmed, empty ones left out.
std::vector<std::string> listElements(const std::vector<std::string>& values) {
    std::vector<std::string> out;
    for (const std::string& value : values) {
        std::size_t start = 0;
        while (start <= value.size()) {
            std::size_t comma = value.find(',', start);
            if (comma == std::string::npos) comma = value.size();
            std::string element = trimmed(value.substr(start, comma - start));
            if (!element.empty()) out.push_back(std::move(element));
            start = comma + 1;
        }
    }
    return out;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

HttpResponseParser::Result HttpResponseParser::fail(std::string why) {
    failure_ = std::move(why);
    result_ = Result::Failed;
    return result_;
}

bool HttpResponseParser::inBody() const {
    return status_ == 200 && phase_ != Phase::StatusLine && phase_ != Phase::Header &&
           result_ != Result::Failed;
}

HttpResponseParser::Result HttpResponseParser::feed(std::span<const uint8_t> bytes,
                                                    std::vector<uint8_t>& body) {
    const uint8_t* at = bytes.data();
    const uint8_t* const end = at + bytes.size();
    while (at < end && result_ == Result::NeedMore) {
        switch (phase_) {
        case Phase::LengthBody:
        case Phase::ChunkData:
            takeBody(at, end, body, remaining_);
            break;
        case Phase::CloseBody:
            takeBody(at, end, body, uint64_t(end - at));
            break;
        case Phase::Done:
            at = end;
            break;
        default: {
            const auto* newline = static_cast<const uint8_t*>(std::memchr(at, '\n', end - at));
            const uint8_t* stop = newline ? newline : end;
            const std::size_t count = std::size_t(stop - at) + (newline ? 1 : 0);
            const bool headerPart =
                phase_ == Phase::StatusLine || phase_ == Phase::Header || phase_ == Phase::Trailer;
            if (headerPart) {
                headerBytes_ += count;
                if (headerBytes_ > kHeaderLimit) return fail("response header over 64 KiB");
            } else if (line_.size() + count > kChunkLineLimit) {
                return fail("chunk size line too long");
            }
            line_.append(reinterpret_cast<const char*>(at), std::size_t(stop - at));
            at = stop;
            if (!newline) break;
            ++at;
            if (!line_.empty() && line_.back() == '\r') line_.pop_back();
            const std::string line = std::move(line_);
            line_.clear();
            takeLine(line);
            break;
        }
        }
    }
    return result_;
}

HttpResponseParser::Result HttpResponseParser::takeBody(const uint8_t*& at, const uint8_t* end,
                                                        std::vector<uint8_t>& body,
                                                        uint64_t count) {
    const uint64_t take = std::min<uint64_t>(count, uint64_t(end - at));
    if (bodyBytes_ + take > kBodyLimit) return fail("body over 64 MiB");
    body.insert(body.end(), at, at + take);
    at += take;
    bodyBytes_ += take;
    if (phase_ == Phase::CloseBody) return result_;
    remaining_ -= take;
    if (remaining_ == 0) {
        if (phase_ == Phase::ChunkData) {
            phase_ = Phase::ChunkDataEnd;
        } else {
            phase_ = Phase::Done;
            result_ = Result::Complete;
        }
    }
    return result_;
}

HttpResponseParser::Result HttpResponseParser::takeLine(const std::string& line) {
    switch (phase_) {
    case Phase::StatusLine:
        return takeStatusLine(line);
    case Phase::Header:
        return takeHeaderLine(line);
    case Phase::ChunkSize:
        return takeChunkSize(line);
    case Phase::ChunkDataEnd:
        if (!line.empty()) return fail("chunk data longer than its size");
        phase_ = Phase::ChunkSize;
        return result_;
    case Phase::Trailer:
        if (line.empty()) {
            phase_ = Phase::Done;
            result_ = Result::Complete;
        }
        return result_;
    default:
        return result_;
    }
}

HttpResponseParser::Result HttpResponseParser::takeStatusLine(const std::string& line) {
    // Blank lines before a status line (after an interim response) are skipped.
    if (line.empty()) return result_;
    // "HTTP/1.x NNN reason"; the reason may be missing.
    if (line.size() < 12 || line.compare(0, 7, "HTTP/1.") != 0 || !isDigit(line[7]) ||
        line[8] != ' ' || !isDigit(line[9]) || !isDigit(line[10]) || !isDigit(line[11]) ||
        (line.size() > 12 && line[12] != ' '))
        return fail("not an HTTP/1.x status line");
    status_ = (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0');
    fields_.clear();
    phase_ = Phase::Header;
    return result_;
}

HttpResponseParser::Result HttpResponseParser::takeHeaderLine(const std::string& line) {
    if (line.empty()) return endOfHeader();
    if (isSpace(line[0])) {
        // An old-style continuation of the previous field's value.
        if (fields_.empty()) return fail("malformed header line");
        fields_.back().second += " " + trimmed(line);
        return result_;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0) return fail("malformed header line");
    std::string name = line.substr(0, colon);
    if (std::any_of(name.begin(), name.end(), [](char c) { return isSpace(c); }))
        return fail("malformed header line");
    fields_.emplace_back(lowerCase(std::move(name)), trimmed(line.substr(colon + 1)));
    return result_;
}

HttpResponseParser::Result HttpResponseParser::endOfHeader() {
    if (status_ >= 100 && status_ < 200 && status_ != 101) {
        // An interim response: the real one follows.
        phase_ = Phase::StatusLine;
        status_ = 0;
        fields_.clear();
        return result_;
    }
    if (status_ == 301 || status_ == 302 || status_ == 303 || status_ == 307 || status_ == 308) {
        // The body of a redirect is not wanted.
        for (const auto& [name, value] : fields_)
            if (name == "location" && !value.empty()) {
                location_ = value;
                phase_ = Phase::Done;
                result_ = Result::Redirect;
                return result_;
            }
        return fail("status " + std::to_string(status_) + " without a Location");
    }
    if (status_ != 200) return fail("status " + std::to_string(status_));

    std::vector<std::string> codings, lengths;
    for (const auto& [name, value] : fields_) {
        if (name == "transfer-encoding") codings.push_back(value);
        if (name == "content-length") lengths.push_back(value);
    }
    const std::vector<std::string> coding = listElements(codings);
    if (!coding.empty()) {
        // Only the chunked coding is understood; a length beside it is ignored.
        if (coding.size() != 1 || lowerCase(coding[0]) != "chunked")
            return fail("unsupported transfer coding");
        phase_ = Phase::ChunkSize;
        return result_;
    }
    if (!lengths.empty()) {
        const std::vector<std::string> values = listElements(lengths);
        if (values.empty()) return fail("bad Content-Length");
        uint64_t length = 0;
        for (std::size_t i = 0; i < values.size(); ++i) {
            uint64_t v = 0;
            for (char c : values[i]) {
                if (!isDigit(c)) return fail("bad Content-Length");
                v = v * 10 + uint64_t(c - '0');
                if (v > kBodyLimit) return fail("body over 64 MiB");
            }
            if (i > 0 && v != length) return fail("conflicting Content-Length");
            length = v;
        }
        if (length == 0) {
            phase_ = Phase::Done;
            result_ = Result::Complete;
            return result_;
        }
        remaining_ = length;
        phase_ = Phase::LengthBody;
        return result_;
    }
    phase_ = Phase::CloseBody;
    return result_;
}

HttpResponseParser::Result HttpResponseParser::takeChunkSize(const std::string& line) {
    std::size_t i = 0;
    uint64_t size = 0;
    while (i < line.size() && hexValue(line[i]) >= 0) {
        size = size * 16 + uint64_t(hexValue(line[i]));
        if (size > kBodyLimit) return fail("body over 64 MiB");
        ++i;
    }
    if (i == 0) return fail("malformed chunk size");
    while (i < line.size() && isSpace(line[i]))
        ++i;
    if (i < line.size() && line[i] != ';') return fail("malformed chunk size");
    if (size == 0) {
        phase_ = Phase::Trailer;
        return result_;
    }
    if (bodyBytes_ + size > kBodyLimit) return fail("body over 64 MiB");
    remaining_ = size;
    phase_ = Phase::ChunkData;
    return result_;
}

HttpResponseParser::Result HttpResponseParser::finish() {
    if (result_ != Result::NeedMore) return result_;
    if (phase_ == Phase::CloseBody) {
        phase_ = Phase::Done;
        result_ = Result::Complete;
        return result_;
    }
    if (phase_ == Phase::StatusLine && headerBytes_ == 0)
        return fail("connection closed before any response");
    return fail("connection closed before the end of the response");
}

} // namespace gv
