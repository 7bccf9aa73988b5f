// Any bytes as a selection file: every whole value is read, and encoding them
// gives back the whole-value prefix of the input.
#include "formats/selection_file.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto indices = gv::decodeSelection(std::span(data, size));
    if (indices.size() != size / 4) std::abort();
    const auto bytes = gv::encodeSelection(indices);
    if (bytes.size() != indices.size() * 4) std::abort();
    if (!bytes.empty() && std::memcmp(bytes.data(), data, bytes.size()) != 0) std::abort();
    return 0;
}
