#include "formats/file_bytes.h"
#if !defined(_WIN32)
#include "support/ordinary_user.h"
#endif
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace gv {
namespace {

TEST(FileBytes, TheCapReadsAPartAndSaysSo) {
    test::TempDir dir;
    const std::string path = dir.file("f");

    // Shorter than the cap, exactly the cap, one byte more.
    test::writeBytes(path, {1, 2, 3});
    FileBytes file = readFileBytes(path, 4);
    ASSERT_TRUE(file.read());
    EXPECT_EQ(file.bytes, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_TRUE(file.whole);
    test::writeBytes(path, {1, 2, 3, 4});
    file = readFileBytes(path, 4);
    EXPECT_EQ(file.bytes.size(), 4u);
    EXPECT_TRUE(file.whole);
    test::writeBytes(path, {1, 2, 3, 4, 5});
    file = readFileBytes(path, 4);
    EXPECT_EQ(file.bytes, (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_FALSE(file.whole);

    // Over several read chunks (16 KiB each): 40000 bytes capped at 32768.
    test::writeBytes(path, std::vector<uint8_t>(40000, 7));
    file = readFileBytes(path, 32768);
    EXPECT_EQ(file.bytes.size(), 32768u);
    EXPECT_FALSE(file.whole);
    file = readFileBytes(path, 40000);
    EXPECT_EQ(file.bytes.size(), 40000u);
    EXPECT_TRUE(file.whole);
    // An empty file is whole, and read.
    test::writeBytes(path, {});
    file = readFileBytes(path, 4);
    EXPECT_TRUE(file.read());
    EXPECT_TRUE(file.bytes.empty());
    EXPECT_TRUE(file.whole);
}

TEST(FileBytes, AbsentIsNotUnreadable) {
    test::TempDir dir;
    const FileBytes none = readFileBytes(dir.file("none"));
    EXPECT_EQ(none.state, FileState::Absent);
    EXPECT_TRUE(none.reason.empty());
    EXPECT_EQ(checkReadable(dir.file("none")).state, FileState::Absent);
    EXPECT_EQ(readFileBytes(dir.file("no/such/folder/f")).state, FileState::Absent);
    EXPECT_EQ(readProblem("f", foundFile(none)), "");

    // Something in the file's place that cannot be read as a file.
    std::filesystem::create_directory(dir.file("folder"));
    const FileBytes folder = readFileBytes(dir.file("folder"));
    EXPECT_EQ(folder.state, FileState::Unreadable);
    EXPECT_TRUE(folder.bytes.empty());
    EXPECT_FALSE(folder.reason.empty());
    EXPECT_EQ(checkReadable(dir.file("folder")).state, FileState::Unreadable);
    EXPECT_EQ(readProblem("folder", foundFile(folder)),
              "folder cannot be read (" + folder.reason + ")");

    test::writeBytes(dir.file("f"), {9});
    EXPECT_EQ(checkReadable(dir.file("f")).state, FileState::Read);
}

TEST(FileBytes, ReadProblemNamesAFileReadOnlyInPart) {
    FoundFile part;
    part.state = FileState::Read;
    part.whole = false;
    EXPECT_EQ(readProblem("geovista.loc", part, 100),
              "geovista.loc is larger than the 100 bytes that are read");
}

#if !defined(_WIN32)
TEST(FileBytes, AFileThisUserMayNotReadIsUnreadableWithTheSystemsReason) {
    test::TempDir dir;
    const std::string path = dir.file("private");
    test::writeBytes(path, {1, 2, 3});
    std::filesystem::permissions(path, std::filesystem::perms::none);
    FileBytes file, check;
    {
        test::OrdinaryUser user;
        file = readFileBytes(path);
        check = checkReadable(path);
    }
    EXPECT_EQ(file.state, FileState::Unreadable);
    EXPECT_EQ(file.reason, "Permission denied");
    EXPECT_TRUE(file.bytes.empty());
    EXPECT_EQ(check.state, FileState::Unreadable);
}
#endif

} // namespace
} // namespace gv
