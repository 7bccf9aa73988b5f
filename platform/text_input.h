#pragma once
// Typed text reaches the program as single-byte Windows-1252 characters, the
// code page of every stored place name.
#include <cstdint>
#include <string>

namespace gv::platform {

// The byte of a Unicode code point in Windows-1252; 0 when the code page has
// no such character, and for control characters.
uint8_t windows1252Code(uint32_t codePoint);

// Every character of UTF-8 text that Windows-1252 holds, in order; the others
// and malformed sequences are dropped.
std::string windows1252FromUtf8(const char* text);

} // namespace gv::platform
