#include "formats/file_bytes.h"

#include <algorithm>
#include <fstream>

namespace gv {

std::optional<std::vector<uint8_t>> readFileBytes(const std::string& path, std::size_t maxBytes,
                                                  bool* whole) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<uint8_t> bytes;
    char chunk[16384];
    bool ended = false;
    while (bytes.size() < maxBytes) {
        std::size_t want = std::min(sizeof chunk, maxBytes - bytes.size());
        in.read(chunk, std::streamsize(want));
        std::streamsize got = in.gcount();
        if (got > 0) bytes.insert(bytes.end(), chunk, chunk + got);
        if (got <= 0 || std::size_t(got) < want) {
            ended = true;
            break;
        }
    }
    if (in.bad()) return std::nullopt;
    // At the cap: the file is whole only if nothing follows.
    if (!ended) ended = in.peek() == std::char_traits<char>::eof();
    if (whole) *whole = ended;
    return bytes;
}

} // namespace gv
