#include "formats/selection_file.h"

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

} // namespace
} // namespace gv
