#pragma once
// Small picture files assembled field by field for the decoders' edge cases.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace gv::test {

using Bytes = std::vector<uint8_t>;

inline void le16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void le32(Bytes& b, uint32_t v) {
    le16(b, v & 0xFFFF);
    le16(b, v >> 16);
}
inline void append(Bytes& b, const Bytes& more) {
    b.insert(b.end(), more.begin(), more.end());
}

// A Windows bitmap: file header, 40-byte header, table (blue, green, red, 0
// from 0x00RRGGBB values), pixel data right after the table.
inline Bytes bmpFile(int32_t width, int32_t height, uint32_t bits, uint32_t compression,
                     const std::vector<uint32_t>& table, const Bytes& data) {
    Bytes b = {'B', 'M'};
    const uint32_t offset = 14 + 40 + uint32_t(table.size()) * 4;
    le32(b, offset + uint32_t(data.size()));
    le32(b, 0);
    le32(b, offset);
    le32(b, 40);
    le32(b, uint32_t(width));
    le32(b, uint32_t(height));
    le16(b, 1);
    le16(b, bits);
    le32(b, compression);
    le32(b, uint32_t(data.size()));
    le32(b, 0);
    le32(b, 0);
    le32(b, uint32_t(table.size()));
    le32(b, 0);
    for (uint32_t c : table)
        le32(b, c & 0x00FFFFFF);
    append(b, data);
    return b;
}

// GIF codes packed least significant bit first, in sub-blocks.
inline Bytes gifCodes(std::initializer_list<std::pair<uint32_t, uint32_t>> codes) {
    Bytes data;
    uint32_t bits = 0, count = 0;
    for (auto [code, size] : codes) {
        bits |= code << count;
        count += size;
        while (count >= 8) {
            data.push_back(uint8_t(bits));
            bits >>= 8;
            count -= 8;
        }
    }
    if (count) data.push_back(uint8_t(bits));
    Bytes blocks;
    for (size_t i = 0; i < data.size(); i += 255) {
        const size_t n = std::min<size_t>(255, data.size() - i);
        blocks.push_back(uint8_t(n));
        blocks.insert(blocks.end(), data.begin() + long(i), data.begin() + long(i + n));
    }
    blocks.push_back(0);
    return blocks;
}

// A GIF of one picture: the screen's packed byte, a global table of
// 0x00RRGGBB colours (none when empty), the minimum code size and the data.
inline Bytes gifFile(uint32_t width, uint32_t height, uint8_t screenPacked,
                     const std::vector<uint32_t>& table, uint8_t minCodeSize, const Bytes& data,
                     uint8_t imagePacked = 0) {
    Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
    le16(b, width);
    le16(b, height);
    b.push_back(screenPacked);
    b.push_back(0);
    b.push_back(0);
    for (uint32_t c : table) {
        b.push_back(uint8_t(c >> 16));
        b.push_back(uint8_t(c >> 8));
        b.push_back(uint8_t(c));
    }
    b.push_back(',');
    le16(b, 0);
    le16(b, 0);
    le16(b, width);
    le16(b, height);
    b.push_back(imagePacked);
    b.push_back(minCodeSize);
    append(b, data);
    b.push_back(';');
    return b;
}

// A TGA header with the given fields; the rest 0.
inline Bytes tgaHeader(uint8_t mapType, uint8_t type, uint16_t mapLength, uint8_t mapBits,
                       uint16_t width, uint16_t height, uint8_t bits, uint8_t descriptor) {
    Bytes b = {0, mapType, type, 0, 0};
    le16(b, mapLength);
    b.push_back(mapBits);
    le16(b, 0);
    le16(b, 0);
    le16(b, width);
    le16(b, height);
    b.push_back(bits);
    b.push_back(descriptor);
    return b;
}

// A PCX header: 128 bytes.
inline Bytes pcxHeader(uint16_t width, uint16_t height, uint8_t planeBits, uint8_t planes,
                       uint16_t bytesPerLine) {
    Bytes b(128, 0);
    b[0] = 10;
    b[1] = 5;
    b[2] = 1;
    b[3] = planeBits;
    b[8] = uint8_t(width - 1);
    b[9] = uint8_t((width - 1) >> 8);
    b[10] = uint8_t(height - 1);
    b[11] = uint8_t((height - 1) >> 8);
    b[65] = planes;
    b[66] = uint8_t(bytesPerLine);
    b[67] = uint8_t(bytesPerLine >> 8);
    return b;
}

} // namespace gv::test
