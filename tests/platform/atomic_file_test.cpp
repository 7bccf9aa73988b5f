#include "platform/atomic_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace gv::platform {
namespace {

TEST(AtomicFile, ReplacesWholeAndLeavesNoTemporaryBehind) {
    test::TempDir dir;
    const std::string path = dir.file("data.bin");
    test::writeBytes(path, std::vector<uint8_t>(4096, 1));
    const std::vector<uint8_t> fresh = {9, 8, 7};
    ASSERT_TRUE(replaceFileContents(path, fresh));
    EXPECT_EQ(test::readBytes(path), fresh);
    ASSERT_TRUE(replaceFileContents(path, {}));
    EXPECT_TRUE(test::readBytes(path).empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(AtomicFile, FailureKeepsTheOldFile) {
    test::TempDir dir;
    const std::vector<uint8_t> bytes = {1, 2};
    EXPECT_FALSE(replaceFileContents(dir.file("no/such/folder/f"), bytes));
    // A folder in the file's place cannot be replaced by a file.
    std::filesystem::create_directory(dir.file("occupied"));
    EXPECT_FALSE(replaceFileContents(dir.file("occupied"), bytes));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("occupied")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

} // namespace
} // namespace gv::platform
