#include "platform/worker_thread.h"

#include <system_error>
#include <thread>

namespace gv::platform {

struct WorkerThread::Thread {
    std::thread thread;
};

WorkerThread::WorkerThread() = default;

WorkerThread::~WorkerThread() {
    join();
}

bool WorkerThread::start(std::function<void()> work) {
    if (started() || !work) return false;
    auto t = std::make_unique<Thread>();
    try {
        t->thread = std::thread(std::move(work));
    } catch (const std::system_error&) {
        return false;
    }
    thread_ = std::move(t);
    return true;
}

bool WorkerThread::started() const {
    return thread_ != nullptr;
}

void WorkerThread::join() {
    if (!thread_) return;
    thread_->thread.join();
    thread_.reset();
}

} // namespace gv::platform
