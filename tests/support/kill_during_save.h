#pragma once
// Runs a save in a child process, stops it once the temporary file holds half
// of its bytes, and kills it there with SIGKILL, as a crash or a power cut would.
// POSIX only (a child process by fork); the tests that use it are left out
// of a Windows build.
#include "platform/atomic_file.h"

#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace gv::test {

inline int gKillPipe[2];

inline void pauseInsideSave(const std::string&) {
    char c = 'w';
    (void)!write(gKillPipe[1], &c, 1);
    pause();
}

// True when the child reached the middle of the save and died there.
inline bool killInsideSave(const std::function<void()>& save) {
    if (pipe(gKillPipe) != 0) return false;
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        platform::setAtomicWriteHook(pauseInsideSave);
        save();
        _exit(0);
    }
    char c = 0;
    const bool reached = read(gKillPipe[0], &c, 1) == 1;
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(gKillPipe[0]);
    close(gKillPipe[1]);
    return reached && WIFSIGNALED(status);
}

} // namespace gv::test
