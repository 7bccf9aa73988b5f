#include "platform/program_file.h"

#include <climits>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace gv::platform {

char pathSeparator() {
    return '/';
}

std::string programFilePath() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    return std::string(buffer, std::size_t(n));
}

std::string editorFileName() {
    return "GeovistaC";
}

bool launchDetached(const std::string& path) {
    if (access(path.c_str(), X_OK) != 0) return false;
    // Double fork so the editor is not our child: nobody needs to reap it and it
    // outlives us.
    pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        setsid();
        pid_t pid = 0;
        char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
        int rc = posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ);
        _exit(rc == 0 ? 0 : 1);
    }
    int status = 0;
    if (waitpid(child, &status, 0) < 0) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace gv::platform
