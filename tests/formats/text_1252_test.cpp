#include "formats/text_1252.h"

#include <gtest/gtest.h>

#include <string>

namespace gv {
namespace {

TEST(Text1252, ConvertsBothWaysAndFoldsAccentedCapitals) {
    EXPECT_EQ(cp1252FromUtf8("Zürich"), "Z\xFCrich");
    EXPECT_EQ(utf8FromCp1252("Z\xFCrich"), "Zürich");
    EXPECT_EQ(cp1252FromUtf8("\xE2\x82\xAC"), "\x80"); // the euro sign
    EXPECT_EQ(utf8FromCp1252("\x80\x8A"), "€Š");
    EXPECT_EQ(cp1252FromUtf8("Łódź"), "?\xF3"
                                      "d?");  // letters outside the code page
    EXPECT_EQ(cp1252FromUtf8("a\xC3"), "a?"); // a cut sequence
    EXPECT_EQ(foldedCp1252("\xC9VORA \x8A\x9F"), "\xE9vora \x9A\xFF");
    EXPECT_EQ(foldCp1252('\xD7'), '\xD7'); // the multiplication sign has no case
}

TEST(Text1252, EveryByteOfAFileComesBackUnchanged) {
    // Through the widgets' Unicode and back, the five undefined bytes and
    // the control characters included.
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += char(b);
    EXPECT_EQ(cp1252FromUtf8(utf8FromCp1252(all)), all);
    EXPECT_EQ(unicodeFromCp1252(0x81), U'\u0081');
    EXPECT_EQ(unicodeFromCp1252(0x9F), U'\u0178');
    EXPECT_EQ(cp1252FromUnicode(0x0416), -1); // Cyrillic Zhe
    // C1 controls that the code page gives other characters have no byte.
    EXPECT_EQ(cp1252FromUnicode(0x0085), -1);
}

TEST(Text1252, TypedAccentedLettersBecomeTheirCodePageBytes) {
    EXPECT_EQ(typedCp1252Code(U'é'), 0xE9);
    EXPECT_EQ(typedCp1252Code(U'Ü'), 0xDC);
    EXPECT_EQ(typedCp1252FromUtf8("Z\xC3\xBCrich"), "Z\xFCrich");
    EXPECT_EQ(typedCp1252FromUtf8("C\xC3\xB3rdoba"), "C\xF3rdoba");
    // 0x80..0x9F hold typographic characters rather than Latin-1's controls.
    EXPECT_EQ(typedCp1252Code(0x20AC), 0x80); // euro sign
    EXPECT_EQ(typedCp1252Code(0x0160), 0x8A); // S caron
    EXPECT_EQ(typedCp1252Code(0x2014), 0x97); // em dash
    EXPECT_EQ(typedCp1252Code(0x0178), 0x9F); // Y diaeresis
    EXPECT_EQ(typedCp1252FromUtf8("\xC5\x92uvre \xE2\x80\x93 \xC5\xBEnje"),
              "\x8Cuvre \x96 \x9Enje");
}

TEST(Text1252, TypedTextDropsControlsForeignCharactersAndBrokenSequences) {
    // The control characters of Latin-1 in 0x80..0x9F have no typed byte.
    EXPECT_EQ(typedCp1252Code(0x81), 0);
    EXPECT_EQ(typedCp1252Code(0x9D), 0);
    EXPECT_EQ(typedCp1252Code(0x0416), 0); // Cyrillic Zhe
    EXPECT_EQ(typedCp1252Code(0x1F600), 0);
    EXPECT_EQ(typedCp1252Code(0x7F), 0);
    EXPECT_EQ(typedCp1252Code(0x0A), 0);
    EXPECT_EQ(typedCp1252FromUtf8("\xD0\x96x\xF0\x9F\x98\x80y\t"), "xy");
    // A lead byte whose sequence is cut short keeps the character after it.
    EXPECT_EQ(typedCp1252FromUtf8("a\xC3"
                                  "b"),
              "ab");
    EXPECT_EQ(typedCp1252FromUtf8("\xE2\x82"), "");
    EXPECT_EQ(typedCp1252FromUtf8("\x80q"), "q");
    EXPECT_EQ(typedCp1252FromUtf8("\xF8q"), "q"); // no UTF-8 lead byte
}

} // namespace
} // namespace gv
