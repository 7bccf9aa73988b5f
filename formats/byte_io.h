#pragma once
// Little-endian field access for the on-disk records. Every read and write goes
// through these so that no record is ever cast over raw bytes.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace gv {

inline uint16_t readU16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t readU32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int32_t readI32(const uint8_t* p) {
    return std::bit_cast<int32_t>(readU32(p));
}
inline float readF32(const uint8_t* p) {
    return std::bit_cast<float>(readU32(p));
}

inline void writeU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void writeU32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline void writeI32(uint8_t* p, int32_t v) {
    writeU32(p, std::bit_cast<uint32_t>(v));
}
inline void writeF32(uint8_t* p, float v) {
    writeU32(p, std::bit_cast<uint32_t>(v));
}

// Overloads used by the record visitors: one name for every field width.
inline void readField(const uint8_t* p, uint16_t& v) {
    v = readU16(p);
}
inline void readField(const uint8_t* p, uint32_t& v) {
    v = readU32(p);
}
inline void readField(const uint8_t* p, int32_t& v) {
    v = readI32(p);
}
inline void readField(const uint8_t* p, float& v) {
    v = readF32(p);
}
inline void readField(const uint8_t* p, int8_t& v) {
    v = int8_t(p[0]);
}
inline void readField(const uint8_t* p, uint8_t& v) {
    v = p[0];
}
template <std::size_t N> void readField(const uint8_t* p, char (&v)[N]) {
    std::memcpy(v, p, N);
}
template <std::size_t N> void readField(const uint8_t* p, uint8_t (&v)[N]) {
    std::memcpy(v, p, N);
}

inline void writeField(uint8_t* p, uint16_t v) {
    writeU16(p, v);
}
inline void writeField(uint8_t* p, uint32_t v) {
    writeU32(p, v);
}
inline void writeField(uint8_t* p, int32_t v) {
    writeI32(p, v);
}
inline void writeField(uint8_t* p, float v) {
    writeF32(p, v);
}
inline void writeField(uint8_t* p, int8_t v) {
    p[0] = uint8_t(v);
}
inline void writeField(uint8_t* p, uint8_t v) {
    p[0] = v;
}
template <std::size_t N> void writeField(uint8_t* p, const char (&v)[N]) {
    std::memcpy(p, v, N);
}
template <std::size_t N> void writeField(uint8_t* p, const uint8_t (&v)[N]) {
    std::memcpy(p, v, N);
}

} // namespace gv
