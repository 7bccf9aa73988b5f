#pragma once
// Refreshing the clouds from the cloud-map service on the preferences'
// interval: a first download asks the service to render a map and names it,
// a second fetches that image into "clouds.sat", then the cloud layer is
// rebuilt from it. A service whose first reply is the picture itself needs
// only the one download. Progress shows as on-screen messages.
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

namespace gv {

class HttpDownload;
struct Preferences;

enum class CloudUpdateState : uint32_t {
    Idle = 0,           // no update yet, or the last one succeeded
    FirstDownload = 1,  // the page naming the image
    SecondDownload = 2, // the image
    Failed = 3,         // the last update failed
};

// Seconds from the stored start of the last update to now, both read as
// local calendar times; nothing when the stored time is all zero ("never").
std::optional<int64_t> secondsSinceLastCloudUpdate(const Preferences& prefs, const std::tm& now);
// An update is due when satellite clouds are on and more than the interval
// has passed since the last start, when there was none, or when the stored
// start lies ahead of now (the clock was set back, or the file came from
// elsewhere), which would otherwise hold every update off until then.
bool cloudUpdateDue(const Preferences& prefs, const std::tm& now);

class CloudUpdater {
  public:
    CloudUpdater();
    ~CloudUpdater();
    CloudUpdater(const CloudUpdater&) = delete;
    CloudUpdater& operator=(const CloudUpdater&) = delete;

    // Forgets the client and the state (a new run).
    void reset();
    // Ends any download and releases the client (shut-down).
    void release();

    // Starts an update now; true when the first download started.
    bool start();
    // Once per frame: starts an update when one is due.
    void updateIfDue();

    CloudUpdateState state() const { return state_; }
    // A download is being requested or received.
    bool downloading() const {
        return state_ == CloudUpdateState::FirstDownload ||
               state_ == CloudUpdateState::SecondDownload;
    }

  private:
    static void completion(HttpDownload& client, uint32_t user, uint32_t clientState,
                           uint32_t bytes);
    void onDownloadEnd(uint32_t clientState);
    void fetchImage();
    void takeFirstReplyAsImage();
    void useImage();
    void fail();

    std::unique_ptr<HttpDownload> client_;
    CloudUpdateState state_ = CloudUpdateState::Idle;
};

// The program's one updater.
CloudUpdater& cloudUpdater();

} // namespace gv
