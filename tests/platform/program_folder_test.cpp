// Where the files go when the program folder cannot be written: the user's
// own data folder, made private on first use.
#include "platform/program_file.h"
#include "platform/program_folder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace gv::platform {
namespace {

TEST(UserDataFolder, FollowsTheXdgBaseDirectoryRules) {
    EXPECT_EQ(xdgDataFolderFrom("/data/me", "/home/me"), "/data/me/geovista3d/");
    EXPECT_EQ(xdgDataFolderFrom(nullptr, "/home/me"), "/home/me/.local/share/geovista3d/");
    EXPECT_EQ(xdgDataFolderFrom("", "/home/me"), "/home/me/.local/share/geovista3d/");
    // A relative XDG_DATA_HOME is invalid and ignored.
    EXPECT_EQ(xdgDataFolderFrom("share", "/home/me"), "/home/me/.local/share/geovista3d/");
    EXPECT_EQ(xdgDataFolderFrom(nullptr, nullptr), "");
    EXPECT_EQ(xdgDataFolderFrom(nullptr, "relative"), "");
}

int gMade = 0;
bool madeFine(const std::string&) {
    ++gMade;
    return true;
}
bool cannotMake(const std::string&) {
    ++gMade;
    return false;
}

TEST(UserDataFolder, TakesOverOnlyWhenTheProgramFolderCannotBeWritten) {
    ProgramFolder installed{"/usr/bin/", false, {}};
    gMade = 0;
    ProgramFolder kept =
        settleProgramFolder(installed, true, "/home/me/.local/share/geovista3d/", madeFine);
    EXPECT_EQ(kept.path, "/usr/bin/");
    EXPECT_FALSE(kept.perUser());
    EXPECT_EQ(gMade, 0) << "nothing is made while the program folder can be written";

    ProgramFolder moved =
        settleProgramFolder(installed, false, "/home/me/.local/share/geovista3d/", madeFine);
    EXPECT_EQ(moved.path, "/home/me/.local/share/geovista3d/");
    EXPECT_TRUE(moved.perUser());
    EXPECT_EQ(moved.unwritable, "/usr/bin/");

    // No user folder to be had: the program folder stays, and its saves fail
    // with their own log lines.
    EXPECT_EQ(settleProgramFolder(installed, false, "", madeFine).path, "/usr/bin/");
    EXPECT_EQ(settleProgramFolder(installed, false, "/home/me/x/", cannotMake).path, "/usr/bin/");
}

TEST(UserDataFolder, IsMadeWithItsParentsAndPrivate) {
    test::TempDir dir;
    const std::string folder = dir.folder() + "share/deeper/geovista3d/";
    ASSERT_TRUE(makePrivateFolder(folder));
    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(stat((dir.folder() + "share").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "a missing parent is made private too";
    // Again: it exists, and is still fine.
    EXPECT_TRUE(makePrivateFolder(folder));
    EXPECT_TRUE(folderWritable(folder));

    // A file where the folder should be, or a link to a folder, is refused.
    test::writeBytes(dir.file("plain"), {1});
    EXPECT_FALSE(makePrivateFolder(dir.folder() + "plain/"));
    std::filesystem::create_directory_symlink(dir.path() / "share", dir.path() / "link");
    EXPECT_FALSE(makePrivateFolder(dir.folder() + "link/"));
    EXPECT_FALSE(makePrivateFolder(dir.folder() + "link"));
    EXPECT_FALSE(makePrivateFolder("relative/geovista3d/"));
    EXPECT_FALSE(folderWritable(dir.folder() + "missing/"));
}

} // namespace
} // namespace gv::platform
