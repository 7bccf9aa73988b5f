// Work off the frame loop: it runs on another thread, alongside the caller,
// and is waited for only when the owner joins it.
#include "platform/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace gv::platform {
namespace {

TEST(WorkerThread, RunsAlongsideTheCallerUntilJoined) {
    WorkerThread worker;
    EXPECT_FALSE(worker.started());
    std::atomic<bool> release{false}, ran{false};
    std::thread::id where;
    ASSERT_TRUE(worker.start([&] {
        where = std::this_thread::get_id();
        // Held until the caller, still running, lets it go.
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ran = true;
    }));
    EXPECT_TRUE(worker.started());
    // One at a time: no second work before the first is joined.
    EXPECT_FALSE(worker.start([] {}));
    EXPECT_FALSE(ran);
    release = true;
    worker.join();
    EXPECT_TRUE(ran);
    EXPECT_NE(where, std::this_thread::get_id());
    EXPECT_FALSE(worker.started());
    worker.join(); // nothing to wait for
    // Joined: the next work may start; the owner's end waits for it.
    std::atomic<int> count{0};
    {
        WorkerThread again;
        ASSERT_TRUE(again.start([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            ++count;
        }));
    }
    EXPECT_EQ(count, 1);
    EXPECT_FALSE(worker.start(nullptr));
}

} // namespace
} // namespace gv::platform
