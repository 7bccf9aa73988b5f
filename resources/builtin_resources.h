#pragma once
// The resources built into the programs: the picture bitmaps, the two fonts,
// the default cities database and the program icon.
//
// Type "BITMAP": a device-independent bitmap as a Windows resource holds it,
// that is a 40-byte BITMAPINFOHEADER, the colour table and the pixel rows
// (bottom row first), without the 14-byte file header of a .bmp file. All
// are 8 bits per pixel with a 256-entry colour table.
// Type "BINARY": font metrics ("PYXF") and the cities database; "RCDATA" 101
// is the editor's copy of the database (the same bytes as "BINARY" 128).
// Type "ICON": the program icon as PNG bytes.
#include "platform/resources.h"

#include <cstdint>
#include <span>

namespace gv::resources {

inline constexpr uint32_t kSunBitmap = 104;
inline constexpr uint32_t kMoonBitmap = 105;
inline constexpr uint32_t kMainFontSheet = 107;
inline constexpr uint32_t kMainFontMetrics = 108;
inline constexpr uint32_t kFirstEarthTile = 111; // 111..118: north -180..+180, then south
inline constexpr uint32_t kGlowBitmap = 121;
inline constexpr uint32_t kFirstHaloBitmap = 122; // 122..124
inline constexpr uint32_t kCitiesDatabase = 128;  // "BINARY", globe program
inline constexpr uint32_t kKeyHintFontSheet = 134;
inline constexpr uint32_t kKeyHintFontMetrics = 135;
inline constexpr uint32_t kSunFlareBitmap = 138;
inline constexpr uint32_t kEditorCitiesDatabase = 101; // "RCDATA", editor
inline constexpr uint32_t kProgramIcon = 32512;

// Every built-in resource; the table is static.
std::span<const platform::ResourceEntry> builtinResourceTable();

// Makes the built-in table the one that platform::findResource searches.
void registerBuiltinResources();

} // namespace gv::resources
