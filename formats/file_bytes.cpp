#include "formats/file_bytes.h"

#include <fstream>

namespace gv {

std::optional<std::vector<uint8_t>> readFileBytes(const std::string& path, std::size_t maxBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<uint8_t> bytes;
    char chunk[16384];
    while (bytes.size() < maxBytes) {
        std::size_t want = std::min(sizeof chunk, maxBytes - bytes.size());
        in.read(chunk, std::streamsize(want));
        std::streamsize got = in.gcount();
        if (got <= 0) break;
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (std::size_t(got) < want) break;
    }
    if (in.bad()) return std::nullopt;
    return bytes;
}

} // namespace gv
