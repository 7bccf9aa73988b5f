#include "platform/atomic_file.h"
#if !defined(_WIN32)
#include "support/ordinary_user.h"
#endif
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

TEST(AtomicFile, AFailureSaysWhy) {
    test::TempDir dir;
    std::string why;
    EXPECT_FALSE(replaceFileContents(dir.file("no/such/folder/f"), {}, &why));
#if defined(_WIN32)
    EXPECT_FALSE(why.empty());
#else
    EXPECT_EQ(why, "No such file or directory");
#endif
}

#if !defined(_WIN32)
namespace fs = std::filesystem;

fs::perms modeOf(const std::string& path) {
    return fs::status(path).permissions() & fs::perms::mask;
}

TEST(AtomicFile, TheReplacedFileKeepsItsMode) {
    test::TempDir dir;
    const std::string path = dir.file("settings");
    test::writeBytes(path, {1});
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(replaceFileContents(path, std::vector<uint8_t>{2}));
    EXPECT_EQ(modeOf(path), fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read | fs::perms::others_write);
    ASSERT_TRUE(replaceFileContents(path, std::vector<uint8_t>{3}));
    EXPECT_EQ(modeOf(path), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                fs::perms::others_read | fs::perms::others_write);
    EXPECT_EQ(test::readBytes(path), std::vector<uint8_t>{3});
    // A new file is ordinary user data.
    ASSERT_TRUE(replaceFileContents(dir.file("new"), std::vector<uint8_t>{4}));
    EXPECT_EQ(modeOf(dir.file("new")), fs::perms::owner_read | fs::perms::owner_write |
                                           fs::perms::group_read | fs::perms::others_read);
}

TEST(AtomicFile, ALinkStaysALinkAndTheFileItLeadsToIsReplaced) {
    // A settings file kept in a synced folder behind a link.
    test::TempDir dir;
    fs::create_directory(dir.file("synced"));
    const std::string target = dir.file("synced/settings");
    test::writeBytes(target, {1, 1});
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    const std::string link = dir.file("settings");
    fs::create_symlink("synced/settings", link); // relative to the link's folder
    ASSERT_TRUE(replaceFileContents(link, std::vector<uint8_t>{2, 2}));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), "synced/settings");
    EXPECT_EQ(test::readBytes(target), (std::vector<uint8_t>{2, 2}));
    EXPECT_EQ(modeOf(target), fs::perms::owner_read | fs::perms::owner_write);

    // Through two links, the second absolute, to a file not made yet.
    fs::remove(target);
    fs::create_symlink(dir.file("synced/later"), dir.file("synced/settings"));
    ASSERT_TRUE(replaceFileContents(link, std::vector<uint8_t>{3}));
    EXPECT_TRUE(fs::is_symlink(dir.file("synced/settings")));
    EXPECT_EQ(test::readBytes(dir.file("synced/later")), std::vector<uint8_t>{3});
    // No temporary file is left anywhere.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("synced")), {}), 2);
}

TEST(AtomicFile, LinksThatGoRoundFailAndChangeNothing) {
    test::TempDir dir;
    fs::create_symlink("b", dir.file("a"));
    fs::create_symlink("a", dir.file("b"));
    std::string why;
    EXPECT_FALSE(replaceFileContents(dir.file("a"), std::vector<uint8_t>{1}, &why));
    EXPECT_EQ(why, "Too many levels of symbolic links");
    EXPECT_TRUE(fs::is_symlink(dir.file("a")));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2);
}

TEST(AtomicFile, AFileTheUserMadeReadOnlyIsNotReplaced) {
    test::TempDir dir;
    const std::string path = dir.file("protected");
    test::writeBytes(path, {1});
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    test::giveToOrdinaryUser(dir.path().string());
    test::giveToOrdinaryUser(path);
    std::string why;
    bool replaced = true;
    {
        test::OrdinaryUser user;
        replaced = replaceFileContents(path, std::vector<uint8_t>{2}, &why);
    }
    EXPECT_FALSE(replaced);
    EXPECT_EQ(why, "Permission denied");
    EXPECT_EQ(test::readBytes(path), std::vector<uint8_t>{1});
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);
}
#endif

} // namespace
} // namespace gv::platform
