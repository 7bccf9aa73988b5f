#pragma once
// The variable-length LZW code of GIF image data: codes read least
// significant bit first from the data sub-blocks, a 4096-entry table.
#include <cstddef>
#include <cstdint>
#include <span>

namespace gv {

// Where the decoded pixel indices go, one string at a time, in order.
class LzwOutput {
  public:
    virtual ~LzwOutput() = default;
    virtual void write(const uint8_t* indices, size_t count) = 0;
};

// Decodes the sub-blocks that start at `data` (each led by its length byte,
// a zero length ending them) with the minimum code size (2..8), until
// `pixels` indices are out, an end code, a code the table cannot hold yet,
// or the end of the data. A full table stays in use, adding nothing, until
// a clear code. Returns the number of indices written.
uint64_t decodeGifLzw(std::span<const uint8_t> data, uint32_t minCodeSize, uint64_t pixels,
                      LzwOutput& out);

} // namespace gv
