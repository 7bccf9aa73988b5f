#pragma once
// Place names and the other stored texts are single-byte Windows-1252 text;
// the toolkit's widgets and the platform's typed text speak Unicode. These
// convert between the two and fold case the way the name comparisons need.
#include <cstdint>
#include <string>
#include <string_view>

namespace gv {

// The code point of a byte. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) keep their C1 control code, so that every
// byte of a file comes back unchanged.
char32_t unicodeFromCp1252(uint8_t byte);

// The byte of a code point, or -1 when the code page has none. Control
// characters map to themselves (the converse of unicodeFromCp1252).
int cp1252FromUnicode(char32_t codePoint);

// The byte of a typed character: printable characters only, 0 for control
// characters and for characters the code page does not hold.
uint8_t typedCp1252Code(char32_t codePoint);

std::string utf8FromCp1252(std::string_view text);
// Characters that Windows-1252 cannot hold become '?'; broken UTF-8 sequences
// become '?' as well.
std::string cp1252FromUtf8(std::string_view text);
// Typed text: every printable character the code page holds, in order; the
// others and broken sequences are dropped.
std::string typedCp1252FromUtf8(std::string_view text);

// Lower case of one Windows-1252 byte (ASCII and the accented capitals).
char foldCp1252(char c);
std::string foldedCp1252(std::string_view text);

} // namespace gv
