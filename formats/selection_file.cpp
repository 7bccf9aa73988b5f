#include "formats/selection_file.h"

#include "formats/byte_io.h"

namespace gv {

std::vector<uint32_t> decodeSelection(std::span<const uint8_t> bytes) {
    std::vector<uint32_t> indices;
    indices.reserve(bytes.size() / 4);
    for (std::size_t off = 0; off + 4 <= bytes.size(); off += 4)
        indices.push_back(readU32(&bytes[off]));
    return indices;
}

std::vector<uint8_t> encodeSelection(std::span<const uint32_t> indices) {
    std::vector<uint8_t> bytes(indices.size() * 4);
    for (std::size_t i = 0; i < indices.size(); ++i)
        writeU32(&bytes[i * 4], indices[i]);
    return bytes;
}

} // namespace gv
