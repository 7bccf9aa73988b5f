// A finished download is on the disk before it takes its file's place: the
// system's fsync and rename are watched (this test program's own versions
// stand before the C library's and hand each call on), so the order of the
// two is seen as the download makes them.
#include "tests/net/download_fixture.h"
#include "tests/net/loopback_server.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::mutex gCallsMutex;
bool gWatching = false;
std::vector<std::string> gCalls; // "fsync PATH", "rename FROM TO"

std::string pathOf(int fd) {
    char link[64], target[PATH_MAX] = {};
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, target, sizeof target - 1);
    return n > 0 ? std::string(target, std::size_t(n)) : "?";
}

void note(const std::string& call) {
    std::lock_guard<std::mutex> lock(gCallsMutex);
    if (gWatching) gCalls.push_back(call);
}

} // namespace

extern "C" int fsync(int fd) {
    using Real = int (*)(int);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "fsync"));
    note("fsync " + pathOf(fd));
    return real(fd);
}

extern "C" int rename(const char* from, const char* to) {
    using Real = int (*)(const char*, const char*);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "rename"));
    note(std::string("rename ") + from + " " + to);
    return real(from, to);
}

namespace gv {
namespace {

using namespace test;

class Durability : public Download {
  protected:
    void SetUp() override {
        Download::SetUp();
        std::lock_guard<std::mutex> lock(gCallsMutex);
        gCalls.clear();
        gWatching = true;
    }
    void TearDown() override {
        {
            std::lock_guard<std::mutex> lock(gCallsMutex);
            gWatching = false;
        }
        Download::TearDown();
    }
    std::vector<std::string> calls() {
        std::lock_guard<std::mutex> lock(gCallsMutex);
        return gCalls;
    }
};

TEST_F(Durability, TheBodyIsFlushedBeforeItTakesItsFilesPlace) {
    LoopbackServer server({{send(okHead(kImage.size()) + kImage)}});
    ASSERT_EQ(run(host(server)), HttpDownload::kIdle) << client->failure();
    ASSERT_EQ(readText(destination), kImage);
    const std::string part = HttpDownload::partialPath(destination);
    // The folder may be reached through a link (/tmp): the names as the
    // system gives them back.
    const std::string partOnDisk =
        std::filesystem::canonical(std::filesystem::path(destination).parent_path()).string() +
        "/" + std::filesystem::path(part).filename().string();
    const std::vector<std::string> seen = calls();
    const std::string renamed = "rename " + part + " " + destination;
    std::size_t flushed = seen.size(), moved = seen.size();
    for (std::size_t i = 0; i < seen.size(); ++i) {
        if (seen[i] == "fsync " + partOnDisk && flushed == seen.size()) flushed = i;
        if (seen[i] == renamed) moved = i;
    }
    ASSERT_LT(moved, seen.size()) << "the body was never renamed into place";
    EXPECT_LT(flushed, moved) << "the body was not flushed before its rename";
}

} // namespace
} // namespace gv
