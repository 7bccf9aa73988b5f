#pragma once
// Work that must not hold up the frame loop, run on a thread of its own. The
// owner waits for it only when it asks (join); whatever the work hands back
// it publishes itself before it returns.
#include <functional>
#include <memory>

namespace gv::platform {

class WorkerThread {
  public:
    WorkerThread();
    // Waits for work still running.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Runs work on a new thread; false while earlier work has not been
    // joined, or when no thread can be had.
    bool start(std::function<void()> work);
    // Started and not yet joined.
    bool started() const;
    // Waits until the work has returned; nothing to do when none was started.
    void join();

  private:
    struct Thread; // the system's thread
    std::unique_ptr<Thread> thread_;
};

} // namespace gv::platform
