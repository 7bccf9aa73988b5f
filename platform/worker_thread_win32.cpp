#include "platform/worker_thread.h"

#define WIN32_LEAN_AND_MEAN
#include <process.h>
#include <windows.h>

namespace gv::platform {

struct WorkerThread::Thread {
    HANDLE handle = nullptr;
    std::function<void()> work;
};

namespace {

unsigned __stdcall runWork(void* argument) {
    static_cast<std::function<void()>*>(argument)->operator()();
    return 0;
}

} // namespace

WorkerThread::WorkerThread() = default;

WorkerThread::~WorkerThread() {
    join();
}

bool WorkerThread::start(std::function<void()> work) {
    if (started() || !work) return false;
    auto t = std::make_unique<Thread>();
    t->work = std::move(work);
    // _beginthreadex rather than CreateThread: the work uses the C library.
    const uintptr_t handle = _beginthreadex(nullptr, 0, runWork, &t->work, 0, nullptr);
    if (handle == 0) return false;
    t->handle = reinterpret_cast<HANDLE>(handle);
    thread_ = std::move(t);
    return true;
}

bool WorkerThread::started() const {
    return thread_ != nullptr;
}

void WorkerThread::join() {
    if (!thread_) return;
    WaitForSingleObject(thread_->handle, INFINITE);
    CloseHandle(thread_->handle);
    thread_.reset();
}

} // namespace gv::platform
