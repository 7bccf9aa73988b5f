#include "clouds/cloud_map_job.h"

#include "clouds/cloud_cache.h"
#include "formats/file_bytes.h"
#include "imaging/image_loader.h"
#include "platform/atomic_file.h"

#include <cstdio>
#include <vector>

namespace gv {

CloudMapJob::~CloudMapJob() {
    stop();
}

bool CloudMapJob::start(CloudMapOrder order) {
    if (busy()) return false;
    // The last job's thread ended with it, long since.
    thread_.join();
    order_ = std::move(order);
    stopping_ = false;
    finished_ = false;
    outcome_ = {};
    busy_ = thread_.start([this] { run(); });
    return busy_;
}

void CloudMapJob::run() {
    CloudMapOutcome out;
    const CloudColours colours(order_.colours);
    out.result = cloudMapFromFile(order_.picture, colours, out.map, out.refusal);
    if (out.result == CloudPictureResult::Made && !stopping_) {
        if (!order_.pictureCopy.empty()) {
            const FileBytes file = readFileBytes(order_.picture, kMaxImageFileBytes);
            out.copied = file.read() && file.whole &&
                         platform::replaceFileContents(order_.pictureCopy, file.bytes);
        }
        if (!order_.cacheFile.empty() && !stopping_)
            out.cached = writeCloudCache(order_.cacheFile, out.map);
    }
    if (stopping_) {
        // The end of the run: what the caller will never put in place goes.
        if (out.copied) std::remove(order_.pictureCopy.c_str());
        if (out.cached) std::remove(order_.cacheFile.c_str());
        out = {};
        out.stopped = true;
    }
    outcome_ = std::move(out);
    finished_ = true;
}

std::optional<CloudMapOutcome> CloudMapJob::take() {
    if (!finished()) return std::nullopt;
    busy_ = false;
    finished_ = false;
    return std::move(outcome_);
}

void CloudMapJob::stop() {
    if (!busy()) {
        thread_.join();
        return;
    }
    stopping_ = true;
    thread_.join();
    busy_ = false;
    finished_ = false;
    // A job that had finished before it was asked to stop left its files.
    if (outcome_.copied) std::remove(order_.pictureCopy.c_str());
    if (outcome_.cached) std::remove(order_.cacheFile.c_str());
    outcome_ = {};
}

} // namespace gv
