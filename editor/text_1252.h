#pragma once
// Place names are single-byte Windows-1252 text in the files; the editor's
// widgets speak Unicode. These convert between the two and fold case the way
// the name comparisons need.
#include <string>
#include <string_view>

namespace gv::editor {

std::string utf8FromCp1252(std::string_view text);
// Characters that Windows-1252 cannot hold become '?'; broken UTF-8 sequences
// become '?' as well.
std::string cp1252FromUtf8(std::string_view text);

// Lower case of one Windows-1252 byte (ASCII and the accented capitals).
char foldCp1252(char c);
std::string foldedCp1252(std::string_view text);

// Blanks (spaces and tabs) cut from both ends.
std::string_view trimmedBlanks(std::string_view text);

} // namespace gv::editor
