// The HTTP response reader on arbitrary bytes fed in arbitrary pieces: the
// outcome, the body and the reason never depend on how the reads split the
// response, the body never holds more than arrived, and nothing crashes.
#include "net/http_response_parser.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

struct Outcome {
    gv::HttpResponseParser::Result result;
    std::vector<uint8_t> body;
    std::string failure;
    int status;
    bool inBody;
    std::string location;
};

Outcome run(const std::vector<uint8_t>& bytes, const std::vector<std::size_t>& pieces, bool close) {
    gv::HttpResponseParser p;
    std::vector<uint8_t> body;
    std::size_t at = 0;
    for (std::size_t piece : pieces) {
        const std::size_t n = std::min(piece, bytes.size() - at);
        p.feed({bytes.data() + at, n}, body);
        at += n;
    }
    p.feed({bytes.data() + at, bytes.size() - at}, body);
    if (close) p.finish();
    if (p.bodyBytes() != body.size()) std::abort();
    return {p.result(), body, p.failure(), p.status(), p.inBody(), p.location()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const bool close = in.ConsumeBool();
    std::vector<std::size_t> pieces(in.ConsumeIntegralInRange<std::size_t>(0, 16));
    for (std::size_t& piece : pieces)
        piece = in.ConsumeIntegralInRange<std::size_t>(0, 300);
    const std::vector<uint8_t> bytes = in.ConsumeRemainingBytes<uint8_t>();

    const Outcome whole = run(bytes, {}, close);
    const Outcome split = run(bytes, pieces, close);
    if (whole.result != split.result || whole.body != split.body ||
        whole.failure != split.failure || whole.status != split.status ||
        whole.inBody != split.inBody || whole.location != split.location)
        std::abort();
    if (whole.body.size() > bytes.size()) std::abort();
    // A body is only ever taken from a 200 response.
    if (!whole.body.empty() && whole.status != 200) std::abort();
    // A redirect names where to go.
    if ((whole.result == gv::HttpResponseParser::Result::Redirect) == whole.location.empty())
        std::abort();
    return 0;
}
