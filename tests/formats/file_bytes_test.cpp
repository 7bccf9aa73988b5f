#include "formats/file_bytes.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace gv {
namespace {

TEST(FileBytes, TheCapReadsAPartAndSaysSo) {
    test::TempDir dir;
    const std::string path = dir.file("f");
    bool whole = true;
    EXPECT_FALSE(readFileBytes(path, 10, &whole).has_value());

    // Shorter than the cap, exactly the cap, one byte more.
    test::writeBytes(path, {1, 2, 3});
    auto bytes = readFileBytes(path, 4, &whole);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(*bytes, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_TRUE(whole);
    test::writeBytes(path, {1, 2, 3, 4});
    bytes = readFileBytes(path, 4, &whole);
    EXPECT_EQ(bytes->size(), 4u);
    EXPECT_TRUE(whole);
    test::writeBytes(path, {1, 2, 3, 4, 5});
    bytes = readFileBytes(path, 4, &whole);
    EXPECT_EQ(*bytes, (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_FALSE(whole);

    // Over several read chunks (16 KiB each): 40000 bytes capped at 32768.
    test::writeBytes(path, std::vector<uint8_t>(40000, 7));
    bytes = readFileBytes(path, 32768, &whole);
    EXPECT_EQ(bytes->size(), 32768u);
    EXPECT_FALSE(whole);
    bytes = readFileBytes(path, 40000, &whole);
    EXPECT_EQ(bytes->size(), 40000u);
    EXPECT_TRUE(whole);
    // An empty file is whole.
    test::writeBytes(path, {});
    bytes = readFileBytes(path, 4, &whole);
    EXPECT_TRUE(bytes->empty());
    EXPECT_TRUE(whole);
}

} // namespace
} // namespace gv
