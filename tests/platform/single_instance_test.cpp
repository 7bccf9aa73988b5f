#include "platform/single_instance.h"
#include "support/ordinary_user.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace gv::platform {
namespace {

TEST(SingleInstance, SecondClaimFailsAndAsksTheFirstToRaise) {
    test::TempDir dir;
    setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The first instance: claims, reports, then waits for a raise request.
        const bool claimed = claimSingleInstance("GvstTest") == InstanceClaim::Claimed;
        char c = claimed ? 'y' : 'n';
        (void)!write(ready[1], &c, 1);
        for (int i = 0; i < 500; ++i) {
            if (takeRaiseRequest()) _exit(0);
            usleep(10000);
        }
        _exit(3);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    EXPECT_EQ(claimSingleInstance("GvstTest"), InstanceClaim::HeldElsewhere);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the first instance never saw the raise request";

    // With the first gone, the name is free again.
    EXPECT_EQ(claimSingleInstance("GvstTest"), InstanceClaim::Claimed);
    close(ready[0]);
    close(ready[1]);
    unsetenv("XDG_RUNTIME_DIR");
}

// Without $XDG_RUNTIME_DIR the lock lives in "geovista-UID" of the
// temporary folder, where any local user may make that folder first.
class LockFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        unsetenv("XDG_RUNTIME_DIR");
        setenv("TMPDIR", tmp.path().c_str(), 1);
    }
    void TearDown() override { unsetenv("TMPDIR"); }
    std::string folder() const { return tmp.file("geovista-" + std::to_string(geteuid())); }
    test::TempDir tmp;
    std::string why;
};

TEST_F(LockFolder, AMissingFolderIsMadePrivateAndClaimed) {
    const mode_t mask = umask(0777); // whatever the mask, the folder is private
    EXPECT_EQ(claimSingleInstance("GvstFresh", &why), InstanceClaim::Claimed) << why;
    umask(mask);
    struct stat st;
    ASSERT_EQ(lstat(folder().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(st.st_uid, geteuid());
    EXPECT_TRUE(std::filesystem::exists(folder() + "/GvstFresh.lock"));
}

TEST_F(LockFolder, AFolderOthersCanWriteIsRefused) {
    ASSERT_EQ(mkdir(folder().c_str(), 0700), 0);
    ASSERT_EQ(chmod(folder().c_str(), 0777), 0);
    EXPECT_EQ(claimSingleInstance("GvstOpen", &why), InstanceClaim::Refused);
    EXPECT_EQ(why, folder() + " has mode 0777, not 0700");
    EXPECT_FALSE(std::filesystem::exists(folder() + "/GvstOpen.lock")) << "nothing made in it";
    // A saver copy trusts it no more than the application does.
    EXPECT_EQ(tryClaimSingleInstance("GvstOpen", &why), InstanceClaim::Refused);
}

TEST_F(LockFolder, ALinkIsRefusedEvenToAPrivateFolderOfOurs) {
    const std::string real = tmp.file("real");
    ASSERT_EQ(mkdir(real.c_str(), 0700), 0);
    ASSERT_EQ(symlink(real.c_str(), folder().c_str()), 0);
    EXPECT_EQ(claimSingleInstance("GvstLink", &why), InstanceClaim::Refused);
    EXPECT_EQ(why, folder() + " is a symbolic link");
    test::writeBytes(tmp.file("file"), {});
    std::filesystem::remove(folder());
    std::filesystem::rename(tmp.file("file"), folder());
    EXPECT_EQ(claimSingleInstance("GvstLink", &why), InstanceClaim::Refused);
    EXPECT_EQ(why, folder() + " is not a folder");
}

TEST_F(LockFolder, AnotherUsersFolderIsRefusedThoughItLooksPrivate) {
    if (geteuid() != 0) GTEST_SKIP() << "only the superuser can make a folder for another user";
    ASSERT_EQ(mkdir(folder().c_str(), 0700), 0);
    ASSERT_EQ(chown(folder().c_str(), test::kNobody, test::kNobody), 0);
    EXPECT_EQ(claimSingleInstance("GvstTheirs", &why), InstanceClaim::Refused);
    EXPECT_EQ(why, folder() + " belongs to user 65534, not to this user (0)");
}

TEST(SingleInstance, ASaverCopyTakesTheInstanceOnlyWhenFreeAndAsksNothing) {
    test::TempDir dir;
    setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    int ready[2], done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The first copy: holds the instance until told, then reports whether
        // anyone asked it to come to the front meanwhile.
        char c = claimSingleInstance("GvstCopies") == InstanceClaim::Claimed ? 'y' : 'n';
        (void)!write(ready[1], &c, 1);
        (void)!read(done[0], &c, 1);
        _exit(takeRaiseRequest() ? 4 : 0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    EXPECT_EQ(tryClaimSingleInstance("GvstCopies"), InstanceClaim::HeldElsewhere)
        << "held by the first copy";
    (void)!write(done[1], "x", 1);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the holder was asked to raise its window";

    // Free again: this copy takes it, and an application started now is refused.
    EXPECT_EQ(tryClaimSingleInstance("GvstCopies"), InstanceClaim::Claimed);
    const pid_t application = fork();
    ASSERT_GE(application, 0);
    if (application == 0) _exit(claimSingleInstance("GvstCopies") == InstanceClaim::Claimed ? 1 : 0);
    waitpid(application, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the application ran beside the copy that holds it";
    for (int fd : {ready[0], ready[1], done[0], done[1]})
        close(fd);
    unsetenv("XDG_RUNTIME_DIR");
}

} // namespace
} // namespace gv::platform
