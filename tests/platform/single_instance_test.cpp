#include "platform/single_instance.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
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
        const bool claimed = claimSingleInstance("GvstTest");
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
    EXPECT_FALSE(claimSingleInstance("GvstTest"));
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the first instance never saw the raise request";

    // With the first gone, the name is free again.
    EXPECT_TRUE(claimSingleInstance("GvstTest"));
    close(ready[0]);
    close(ready[1]);
    unsetenv("XDG_RUNTIME_DIR");
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
        char c = claimSingleInstance("GvstCopies") ? 'y' : 'n';
        (void)!write(ready[1], &c, 1);
        (void)!read(done[0], &c, 1);
        _exit(takeRaiseRequest() ? 4 : 0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    EXPECT_FALSE(tryClaimSingleInstance("GvstCopies")) << "held by the first copy";
    (void)!write(done[1], "x", 1);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the holder was asked to raise its window";

    // Free again: this copy takes it, and an application started now is refused.
    EXPECT_TRUE(tryClaimSingleInstance("GvstCopies"));
    const pid_t application = fork();
    ASSERT_GE(application, 0);
    if (application == 0) _exit(claimSingleInstance("GvstCopies") ? 1 : 0);
    waitpid(application, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the application ran beside the copy that holds it";
    for (int fd : {ready[0], ready[1], done[0], done[1]})
        close(fd);
    unsetenv("XDG_RUNTIME_DIR");
}

} // namespace
} // namespace gv::platform
