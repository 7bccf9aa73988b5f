#include "formats/selection_file.h"

#include "formats/byte_io.h"
#include "formats/file_bytes.h"

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

std::optional<std::vector<uint32_t>> readSelectionFile(const std::string& path,
                                                       std::size_t databaseSize) {
    auto bytes = readFileBytes(path);
    if (!bytes) return std::nullopt;
    std::vector<uint32_t> indices;
    for (uint32_t index : decodeSelection(*bytes))
        if (index < databaseSize) indices.push_back(index);
    return indices;
}

} // namespace gv
