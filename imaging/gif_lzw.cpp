#include "imaging/gif_lzw.h"

#include <algorithm>

namespace gv {

namespace {

constexpr uint32_t kTableSize = 4096;
constexpr uint32_t kMaxCodeSize = 12;

// The bytes of the data sub-blocks, one after the other.
class SubBlockReader {
  public:
    explicit SubBlockReader(std::span<const uint8_t> data) : data_(data) {}
    bool next(uint8_t& b) {
        if (left_ == 0) {
            if (done_ || at_ >= data_.size()) return false;
            left_ = data_[at_++];
            if (left_ == 0) {
                done_ = true;
                return false;
            }
        }
        if (at_ >= data_.size()) return false;
        b = data_[at_++];
        --left_;
        return true;
    }

  private:
    std::span<const uint8_t> data_;
    size_t at_ = 0;
    uint32_t left_ = 0;
    bool done_ = false;
};

} // namespace

uint64_t decodeGifLzw(std::span<const uint8_t> data, uint32_t minCodeSize, uint64_t pixels,
                      LzwOutput& out) {
    if (minCodeSize < 2 || minCodeSize > 8 || pixels == 0) return 0;
    uint16_t prefix[kTableSize];
    uint8_t suffix[kTableSize];
    uint8_t stack[kTableSize + 1];

    const uint32_t clear = 1u << minCodeSize, end = clear + 1;
    for (uint32_t i = 0; i < clear; ++i) {
        prefix[i] = 0;
        suffix[i] = uint8_t(i);
    }
    uint32_t codeSize = minCodeSize + 1, mask = (1u << codeSize) - 1, next = clear + 2;
    bool havePrevious = false;
    uint32_t previous = 0;
    uint8_t first = 0;

    SubBlockReader in(data);
    uint32_t bitBuffer = 0, bitCount = 0;
    uint64_t written = 0;
    while (written < pixels) {
        while (bitCount < codeSize) {
            uint8_t b;
            if (!in.next(b)) return written;
            bitBuffer |= uint32_t(b) << bitCount;
            bitCount += 8;
        }
        const uint32_t code = bitBuffer & mask;
        bitBuffer >>= codeSize;
        bitCount -= codeSize;

        if (code == clear) {
            codeSize = minCodeSize + 1;
            mask = (1u << codeSize) - 1;
            next = clear + 2;
            havePrevious = false;
            continue;
        }
        if (code == end || code > next) break;
        if (!havePrevious) {
            // The first code after a clear stands for itself; anything but a
            // plain index there has nothing to refer to.
            if (code >= clear) break;
            first = uint8_t(code);
            previous = code;
            havePrevious = true;
            const uint8_t v = first;
            out.write(&v, 1);
            ++written;
            continue;
        }
        uint32_t sp = 0, c = code;
        if (c == next) {
            // The code being defined right now: the previous string and its
            // own first index.
            stack[sp++] = first;
            c = previous;
        }
        // Each entry's prefix is an earlier entry, so the walk ends within
        // the table's length.
        while (c > clear && sp < kTableSize) {
            stack[sp++] = suffix[c];
            c = prefix[c];
        }
        if (c > clear) break;
        first = suffix[c];
        stack[sp++] = first;

        if (next < kTableSize) {
            prefix[next] = uint16_t(previous);
            suffix[next] = first;
            ++next;
            if ((next & mask) == 0 && next < kTableSize && codeSize < kMaxCodeSize) {
                ++codeSize;
                mask = mask * 2 + 1;
            }
        }
        previous = code;

        // The stack holds the string last index first.
        std::reverse(stack, stack + sp);
        const uint64_t n = std::min<uint64_t>(sp, pixels - written);
        out.write(stack, size_t(n));
        written += n;
    }
    return written;
}

} // namespace gv
