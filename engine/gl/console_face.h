#pragma once
// The start-up console's small built-in text face: 5 x 7 glyphs in 6 x 8
// cells for the printable ASCII codes, laid out on one coverage sheet.
#include <cstdint>

namespace gv {

inline constexpr int kConsoleCellWidth = 6;
inline constexpr int kConsoleCellHeight = 8;
inline constexpr int kConsoleSheetWidth = 16 * kConsoleCellWidth;
inline constexpr int kConsoleSheetHeight = 6 * kConsoleCellHeight;

// Fills a sheet of kConsoleSheetWidth x kConsoleSheetHeight bytes, 255 where a
// glyph pixel is set, top row first.
void buildConsoleSheet(uint8_t* sheet);

// The glyph's texture rectangle on the sheet; false for codes without one
// (control codes, space and codes above 126 draw nothing).
bool consoleGlyphRect(unsigned char code, float& left, float& top, float& right, float& bottom);

} // namespace gv
