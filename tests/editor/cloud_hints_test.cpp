#include "editor/cloud_hints.h"

#include <gtest/gtest.h>

namespace gv::editor {
namespace {

TEST(CloudHints, TheRecordShowsTwentyDecimalLines) {
    const SettingsModel m;
    const std::string text = cloudHintsText(m);
    EXPECT_EQ(text.substr(0, 16), "4872547\n5398891\n");
    EXPECT_EQ(text.substr(text.size() - 8), "16777215");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 19);
}

TEST(CloudHints, LinesBecomeColoursAndMissingLinesStoreZero) {
    SettingsModel m;
    EXPECT_FALSE(applyCloudHints(m, "1\r\n 22 \n333\n").has_value());
    EXPECT_EQ(m.cloudColour(0), 1u);
    EXPECT_EQ(m.cloudColour(1), 22u);
    EXPECT_EQ(m.cloudColour(2), 333u);
    for (int i = 3; i < 20; ++i)
        EXPECT_EQ(m.cloudColour(i), 0u) << i;
    EXPECT_FALSE(applyCloudHints(m, cloudHintsText(SettingsModel())).has_value());
    EXPECT_EQ(m.cloudColour(19), 16777215u);
    // Lines past the twentieth are ignored.
    std::string many;
    for (int i = 0; i < 25; ++i)
        many += std::to_string(i + 100) + "\n";
    EXPECT_FALSE(applyCloudHints(m, many).has_value());
    EXPECT_EQ(m.cloudColour(19), 119u);
}

TEST(CloudHints, ABadLineIsNamedAndItAndTheLaterColoursKeepTheirValues) {
    SettingsModel m;
    const auto bad = applyCloudHints(m, "7\n8\nlight grey\n9\n");
    ASSERT_TRUE(bad.has_value());
    EXPECT_EQ(bad->lineNumber, 3);
    EXPECT_EQ(bad->text, "light grey");
    EXPECT_EQ(m.cloudColour(0), 7u);
    EXPECT_EQ(m.cloudColour(1), 8u);
    EXPECT_EQ(m.cloudColour(2), 5924203u); // the default stays
    EXPECT_EQ(m.cloudColour(3), 6516083u);
    const auto blank = applyCloudHints(m, "1\n\n3");
    ASSERT_TRUE(blank.has_value());
    EXPECT_EQ(blank->lineNumber, 2);
}

TEST(CloudHints, WholeNumbersOfThirtyTwoBits) {
    EXPECT_EQ(parseWholeNumber("0"), 0u);
    EXPECT_EQ(parseWholeNumber("+15"), 15u);
    EXPECT_EQ(parseWholeNumber("4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(parseWholeNumber("-1"), 0xFFFFFFFFu);
    EXPECT_EQ(parseWholeNumber("-2147483648"), 0x80000000u);
    EXPECT_FALSE(parseWholeNumber("4294967296").has_value());
    EXPECT_FALSE(parseWholeNumber("-2147483649").has_value());
    EXPECT_FALSE(parseWholeNumber("99999999999999999999999").has_value());
    EXPECT_FALSE(parseWholeNumber("1.5").has_value());
    EXPECT_FALSE(parseWholeNumber("0x10").has_value());
    EXPECT_FALSE(parseWholeNumber("-").has_value());
    EXPECT_FALSE(parseWholeNumber("").has_value());
}

} // namespace
} // namespace gv::editor
