#include "formats/selection_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace gv {
namespace {

TEST(SelectionFile, RoundTripAndTrailingBytes) {
    const std::vector<uint32_t> indices = {3, 1, 0x01020304, 3};
    const auto bytes = encodeSelection(indices);
    ASSERT_EQ(bytes.size(), 16u);
    EXPECT_EQ(bytes[8], 0x04); // little-endian
    EXPECT_EQ(bytes[11], 0x01);
    EXPECT_EQ(decodeSelection(bytes), indices); // duplicates are kept as they are

    // Ten bytes hold two places; the last two bytes are ignored.
    const std::vector<uint8_t> ten = {5, 0, 0, 0, 7, 0, 0, 0, 9, 9};
    EXPECT_EQ(decodeSelection(ten), (std::vector<uint32_t>{5, 7}));
    EXPECT_TRUE(encodeSelection({}).empty());
}

TEST(SelectionFile, IndicesPastTheDatabaseAreDropped) {
    test::TempDir dir;
    EXPECT_FALSE(readSelectionFile(dir.file("geovista.sel"), 10).has_value());
    test::writeBytes(dir.file("geovista.sel"),
                     encodeSelection(std::vector<uint32_t>{9, 10, 2, 4000000000u}));
    const auto read = readSelectionFile(dir.file("geovista.sel"), 10);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, (std::vector<uint32_t>{9, 2}));
}

} // namespace
} // namespace gv
