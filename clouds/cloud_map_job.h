#pragma once
// Making a cloud map from a downloaded picture on a helper thread, so that
// the frame loop never decodes: the picture is read and decoded once,
// classified, stretched and smoothed, the map written aside as the next
// cache, and the picture copied aside when asked. The frame loop takes the
// finished map and only uploads its tiles. Nothing of the scene, the
// preferences or the log is touched off the frame loop's thread.
#include "clouds/cloud_map.h"
#include "formats/preferences.h"
#include "platform/worker_thread.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace gv {

struct CloudMapOrder {
    std::string picture; // the file to decode
    // When not empty: where a copy of the picture goes once it has decoded
    // (flushed to disk), for a reply that is to become the satellite picture.
    std::string pictureCopy;
    // Where the map is written as a cache file (flushed to disk); the caller
    // puts it in the cache's place once the layer shows the map.
    std::string cacheFile;
    std::array<uint32_t, kCloudColourCount> colours{};
};

struct CloudMapOutcome {
    CloudPictureResult result = CloudPictureResult::NotAPicture;
    CloudMap map;         // when Made
    std::string refusal;  // the decoder's reason, when Refused
    bool copied = false;  // the picture's copy is in place
    bool cached = false;  // the cache file is written
    bool stopped = false; // stop() came first: nothing is left written
};

class CloudMapJob {
  public:
    CloudMapJob() = default;
    // Stops a job still running (stop()).
    ~CloudMapJob();
    CloudMapJob(const CloudMapJob&) = delete;
    CloudMapJob& operator=(const CloudMapJob&) = delete;

    // Starts the order on a thread of its own; false while a job is running
    // or its outcome not yet taken, or when no thread can be had.
    bool start(CloudMapOrder order);
    // A job was started and its outcome not yet taken.
    bool busy() const { return busy_; }
    // Its outcome waits to be taken.
    bool finished() const { return busy_ && finished_.load(); }
    // The outcome of a finished job, the job forgotten; nothing while none
    // is finished. Never waits: the job's thread, done with the job but
    // perhaps not yet gone at its low priority, is joined at the next start
    // or at the end.
    std::optional<CloudMapOutcome> take();
    // Asks a running job to stop between its stages and waits for it; what
    // it wrote is removed. For the end of the run.
    void stop();

  private:
    void run();

    CloudMapOrder order_;
    platform::WorkerThread thread_;
    bool busy_ = false;
    std::atomic<bool> stopping_{false};
    // Set by the job's thread once outcome_ is written; the outcome is read
    // only after that, and after the thread is joined.
    std::atomic<bool> finished_{false};
    CloudMapOutcome outcome_;
};

} // namespace gv
