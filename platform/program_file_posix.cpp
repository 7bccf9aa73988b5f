#include "platform/program_file.h"

#include "platform/program_folder.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <spawn.h>
#include <sys/stat.h>
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

bool folderWritable(const std::string& folder) {
    // Creating and renaming files beside the old ones needs write and search
    // rights on the folder itself.
    return !folder.empty() && access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string userDataFolder() {
    return xdgDataFolderFrom(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

bool makePrivateFolder(const std::string& folder) {
    if (folder.empty() || folder[0] != '/') return false;
    // Each missing part is made private; parts that exist are left as they are.
    for (std::size_t at = folder.find('/', 1); at != std::string::npos;
         at = folder.find('/', at + 1)) {
        const std::string part = folder.substr(0, at);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    // Without its last separator, so that a link in the last place is not
    // followed.
    const std::string bare = folder.back() == '/' ? folder.substr(0, folder.size() - 1) : folder;
    if (mkdir(bare.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    return lstat(bare.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
}

} // namespace gv::platform
