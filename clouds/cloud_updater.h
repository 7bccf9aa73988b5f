#pragma once
// Refreshing the clouds from the cloud-map service on the preferences'
// interval, kept on the machine's clock: a first download asks the service to
// render a map and names it, a second fetches that image into "clouds.sat",
// then the cloud layer shows the map made from it. A service whose first
// reply is the picture itself needs only the one download. Each reply is
// decoded once, off the frame loop (cloud_map_job.h); the frame loop only
// uploads the finished map. Progress shows as on-screen messages.
#include "clouds/cloud_map_job.h"

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

namespace gv {

class HttpDownload;
struct Preferences;

namespace platform {
class MessageWindow;
struct WindowMessage;
} // namespace platform

enum class CloudUpdateState : uint32_t {
    Idle = 0,           // no update yet, or the last one succeeded
    FirstDownload = 1,  // the page naming the image (or the picture itself)
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
    // Ends any download and map making, and releases the client (shut-down).
    void release();

    // Starts an update now; true when the first download started. While an
    // update runs it starts nothing and says nothing: that one goes on to
    // its own end.
    bool start();
    // Once per frame: starts an update when one is due and none runs.
    void updateIfDue();

    CloudUpdateState state() const { return state_; }
    // An update is running: a download is being requested or received, or
    // its picture is being made into a map.
    bool downloading() const {
        return state_ == CloudUpdateState::FirstDownload ||
               state_ == CloudUpdateState::SecondDownload;
    }

  private:
    static void completion(HttpDownload& client, uint32_t user, uint32_t clientState,
                           uint32_t bytes);
    static void procedure(void* self, const platform::WindowMessage& m);
    static void pollMapJob();
    void onDownloadEnd(uint32_t clientState);
    // Has the downloaded picture made into a map off the frame loop; a
    // reply that is to become "clouds.sat" is copied there first.
    void makeMap(const std::string& picture, const std::string& copy);
    void onMapMade(CloudMapOutcome outcome);
    void fetchImage();
    void useMap(CloudMap map, bool cached);
    void fail();
    void stopMapJob();

    std::unique_ptr<HttpDownload> client_;
    std::unique_ptr<platform::MessageWindow> window_;
    CloudMapJob job_;
    bool readyPosted_ = false;
    CloudUpdateState state_ = CloudUpdateState::Idle;
};

// The program's one updater.
CloudUpdater& cloudUpdater();

} // namespace gv
