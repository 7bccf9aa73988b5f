#include "platform/text_input.h"

#include <gtest/gtest.h>

namespace gv::platform {
namespace {

TEST(TextInput, AccentedLettersBecomeTheirCodePageBytes) {
    EXPECT_EQ(windows1252Code(U'é'), 0xE9);
    EXPECT_EQ(windows1252Code(U'Ü'), 0xDC);
    EXPECT_EQ(windows1252FromUtf8("Z\xC3\xBCrich"), "Z\xFCrich");
    EXPECT_EQ(windows1252FromUtf8("C\xC3\xB3rdoba"), "C\xF3rdoba");
}

TEST(TextInput, TheCodePagesOwnBlockAbove0x7F) {
    // 0x80..0x9F hold typographic characters rather than Latin-1's controls.
    EXPECT_EQ(windows1252Code(0x20AC), 0x80); // euro sign
    EXPECT_EQ(windows1252Code(0x0160), 0x8A); // S caron
    EXPECT_EQ(windows1252Code(0x2014), 0x97); // em dash
    EXPECT_EQ(windows1252Code(0x0178), 0x9F); // Y diaeresis
    EXPECT_EQ(windows1252FromUtf8("\xC5\x92uvre \xE2\x80\x93 \xC5\xBEnje"),
              "\x8Cuvre \x96 \x9Enje");
    // The control characters of Latin-1 there have no byte of their own.
    EXPECT_EQ(windows1252Code(0x81), 0);
    EXPECT_EQ(windows1252Code(0x9D), 0);
}

TEST(TextInput, CharactersOutsideTheCodePageAndBrokenSequencesAreDropped) {
    EXPECT_EQ(windows1252Code(0x0416), 0); // Cyrillic Zhe
    EXPECT_EQ(windows1252Code(0x1F600), 0);
    EXPECT_EQ(windows1252Code(0x7F), 0);
    EXPECT_EQ(windows1252Code(0x0A), 0);
    EXPECT_EQ(windows1252FromUtf8("\xD0\x96x\xF0\x9F\x98\x80y"), "xy");
    // A lead byte whose sequence is cut short keeps the character after it.
    EXPECT_EQ(windows1252FromUtf8("a\xC3"
                                  "b"),
              "ab");
    EXPECT_EQ(windows1252FromUtf8("\xE2\x82"), "");
    EXPECT_EQ(windows1252FromUtf8("\x80q"), "q");
}

} // namespace
} // namespace gv::platform
