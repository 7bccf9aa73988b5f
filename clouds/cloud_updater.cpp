#include "clouds/cloud_updater.h"

#include "clouds/cloud_layer.h"
#include "clouds/cloud_page.h"
#include "clouds/cloud_update_host.h"
#include "core/log.h"
#include "formats/preferences.h"
#include "net/http_download.h"
#include "platform/atomic_file.h"
#include "platform/message_window.h"
#include "platform/window.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace gv {

namespace {

// The first download's page (or picture), in the program folder.
constexpr const char* kPageFile = "clouds.tmp";
// Beside "clouds.sat" and "clouds.tga" while an update makes their next
// contents, and the old picture while the new one is tried.
constexpr const char* kNewSuffix = ".new";
constexpr const char* kOldSuffix = ".old";

// The map made off the frame loop is ready to be taken.
constexpr uint32_t kMapReadyMessage = platform::WM_USER + 30;

void showMessage(const char* text) {
    cloudUpdateHost().postMessage("CLOUDS UPDATE", text);
}

} // namespace

std::optional<int64_t> secondsSinceLastCloudUpdate(const Preferences& prefs, const std::tm& now) {
    bool never = true;
    for (int32_t field : prefs.lastCloudUpdate)
        if (field != 0) never = false;
    if (never) return std::nullopt;
    std::tm then = lastCloudUpdateTime(prefs);
    std::tm current = now;
    return int64_t(std::mktime(&current)) - int64_t(std::mktime(&then));
}

bool cloudUpdateDue(const Preferences& prefs, const std::tm& now) {
    if (!isOn(prefs.cloudsFromSatellites)) return false;
    const std::optional<int64_t> elapsed = secondsSinceLastCloudUpdate(prefs, now);
    if (!elapsed) return true;
    return *elapsed < 0 || *elapsed > int64_t(prefs.cloudUpdateInterval);
}

CloudUpdater::CloudUpdater() = default;
CloudUpdater::~CloudUpdater() = default;

CloudUpdater& cloudUpdater() {
    // Never destroyed: its client's windows belong to the platform's tables,
    // which outlive every static object.
    static CloudUpdater& updater = *new CloudUpdater;
    return updater;
}

void CloudUpdater::reset() {
    stopMapJob();
    client_.reset();
    window_.reset();
    state_ = CloudUpdateState::Idle;
}

void CloudUpdater::release() {
    stopMapJob();
    client_.reset();
    if (downloading()) state_ = CloudUpdateState::Idle;
}

void CloudUpdater::stopMapJob() {
    const bool making = job_.busy();
    job_.stop();
    if (!making) return;
    readyPosted_ = false;
    // The picture the job was given stays aside, never in place.
    if (state_ == CloudUpdateState::SecondDownload) {
        const std::string fresh = cloudUpdateHost().programFolder() + kCloudImageFile + kNewSuffix;
        std::remove(fresh.c_str());
    }
}

void CloudUpdater::fail() {
    state_ = CloudUpdateState::Failed;
    showMessage("FAILED");
}

bool CloudUpdater::start() {
    // The update under way goes on to its own end; nothing more is said.
    if (downloading()) return false;
    CloudUpdateHost& host = cloudUpdateHost();
    Preferences& prefs = host.preferences();
    const std::string destination = host.programFolder() + kPageFile;
    if (!client_ || !window_) {
        client_ = HttpDownload::create(completion, 0);
        window_ = platform::MessageWindow::create("cloudupdate", procedure, this);
        if (!client_ || !window_) {
            client_.reset();
            window_.reset();
            // The start time stays, so the next frame tries again.
            fail();
            return false;
        }
        platform::addMessageSource(pollMapJob);
    }
    setLastCloudUpdateTime(prefs, host.realLocalTime());
    // The file's text fields need not end with a zero.
    const std::string server = fieldText(prefs.cloudServerHost).text;
    if (!client_->start(server, fieldText(prefs.cloudImagePath).text, destination)) {
        logWrite("Cloud update: the download from %s cannot start\n", server.c_str());
        fail();
        return false;
    }
    state_ = CloudUpdateState::FirstDownload;
    showMessage("UPDATING...");
    return true;
}

void CloudUpdater::updateIfDue() {
    if (downloading()) return;
    CloudUpdateHost& host = cloudUpdateHost();
    if (cloudUpdateDue(host.preferences(), host.realLocalTime())) start();
}

void CloudUpdater::completion(HttpDownload&, uint32_t, uint32_t clientState, uint32_t) {
    cloudUpdater().onDownloadEnd(clientState);
}

void CloudUpdater::onDownloadEnd(uint32_t clientState) {
    if (clientState == HttpDownload::kFailed) {
        fail();
        return;
    }
    if (clientState != HttpDownload::kIdle || !downloading()) return; // progress
    const std::string folder = cloudUpdateHost().programFolder();
    const std::string fresh = folder + kCloudImageFile + kNewSuffix;
    if (state_ == CloudUpdateState::FirstDownload) {
        // A service that answers with the picture itself needs no second
        // request; what the reply is shows by its content alone. It stays in
        // "clouds.tmp" as every first reply does, and a copy of it is the
        // new image.
        makeMap(folder + kPageFile, fresh);
    } else {
        makeMap(fresh, "");
    }
}

void CloudUpdater::makeMap(const std::string& picture, const std::string& copy) {
    CloudMapOrder order;
    order.picture = picture;
    order.pictureCopy = copy;
    order.cacheFile = cloudUpdateHost().programFolder() + kCloudCacheFile + kNewSuffix;
    const Preferences& prefs = cloudUpdateHost().preferences();
    std::copy(std::begin(prefs.cloudColours), std::end(prefs.cloudColours), order.colours.begin());
    readyPosted_ = false;
    if (!job_.start(std::move(order))) {
        logWrite("Cloud update: the picture cannot be read now\n");
        fail();
    }
}

void CloudUpdater::pollMapJob() {
    // Asked at every peek of the pump; tells the updater once per job.
    CloudUpdater& u = cloudUpdater();
    if (u.readyPosted_ || !u.window_ || !u.job_.finished()) return;
    u.readyPosted_ = true;
    platform::postMessage({kMapReadyMessage, 0, 0, u.window_->handle()});
}

void CloudUpdater::procedure(void* self, const platform::WindowMessage& m) {
    auto* updater = static_cast<CloudUpdater*>(self);
    if (m.message != kMapReadyMessage) return;
    updater->readyPosted_ = false;
    if (std::optional<CloudMapOutcome> outcome = updater->job_.take())
        updater->onMapMade(std::move(*outcome));
}

void CloudUpdater::onMapMade(CloudMapOutcome outcome) {
    if (!downloading() || outcome.stopped) return;
    const std::string folder = cloudUpdateHost().programFolder();
    const std::string fresh = folder + kCloudImageFile + kNewSuffix;
    const std::string cache = folder + kCloudCacheFile + kNewSuffix;
    if (outcome.result == CloudPictureResult::Made &&
        (state_ == CloudUpdateState::SecondDownload || outcome.copied)) {
        useMap(std::move(outcome.map), outcome.cached);
        return;
    }
    // Nothing of it goes in place.
    std::remove(cache.c_str());
    if (state_ == CloudUpdateState::FirstDownload) {
        switch (outcome.result) {
        case CloudPictureResult::NotAPicture:
            state_ = CloudUpdateState::SecondDownload;
            fetchImage();
            return;
        case CloudPictureResult::Refused:
            // A JPEG or PNG its decoder refused (a file cut short, a bad
            // checksum) is no page either: say why, rather than search it
            // for an image path it cannot hold.
            logWrite("Cloud update: the server's picture cannot be used: %s\n",
                     outcome.refusal.c_str());
            break;
        case CloudPictureResult::Made:
            std::remove(fresh.c_str());
            logWrite("Cloud update: %s cannot be written\n", fresh.c_str());
            break;
        case CloudPictureResult::Unusable:
            logWrite("Cloud update: the new %s cannot be used\n", kCloudImageFile);
            break;
        }
        fail();
        return;
    }
    std::remove(fresh.c_str());
    if (outcome.result == CloudPictureResult::Refused)
        logWrite("Cloud picture not decoded: %s\n", outcome.refusal.c_str());
    logWrite("Cloud update: the new %s cannot be used\n", kCloudImageFile);
    fail();
}

void CloudUpdater::useMap(CloudMap map, bool cached) {
    // The new image takes the place of the old one only once the layer shows
    // the map made from it; the cache follows the layer, never ahead of it.
    const std::string folder = cloudUpdateHost().programFolder();
    const std::string image = folder + kCloudImageFile;
    const std::string fresh = image + kNewSuffix, kept = image + kOldSuffix;
    const std::string cache = folder + kCloudCacheFile, freshCache = cache + kNewSuffix;
    std::error_code error;
    const bool hadImage = std::filesystem::exists(image, error);
    if ((hadImage && !platform::moveFileReplacing(image, kept)) ||
        !platform::moveFileReplacing(fresh, image)) {
        if (hadImage) platform::moveFileReplacing(kept, image);
        std::remove(fresh.c_str());
        std::remove(freshCache.c_str());
        logWrite("Cloud update: %s cannot be replaced\n", kCloudImageFile);
        fail();
        return;
    }
    if (cloudUpdateHost().showCloudMap(std::move(map))) {
        std::remove(kept.c_str());
        // Without the new cache the next start decodes the new picture: an
        // old cache would bring the old clouds back.
        if (!cached || !platform::moveFileReplacing(freshCache, cache)) {
            std::remove(freshCache.c_str());
            std::remove(cache.c_str());
        }
        state_ = CloudUpdateState::Idle;
        showMessage("UPDATED");
        return;
    }
    if (hadImage)
        platform::moveFileReplacing(kept, image);
    else
        std::remove(image.c_str());
    std::remove(freshCache.c_str());
    logWrite("Cloud update: the new %s cannot be used\n", kCloudImageFile);
    fail();
}

void CloudUpdater::fetchImage() {
    CloudUpdateHost& host = cloudUpdateHost();
    const std::string folder = host.programFolder();
    std::string head;
    if (std::FILE* f = std::fopen((folder + kPageFile).c_str(), "rb")) {
        char buffer[kCloudPageHead];
        head.assign(buffer, std::fread(buffer, 1, sizeof buffer, f));
        std::fclose(f);
    }
    const std::optional<std::string> path = findCloudImagePath(head);
    if (!path) {
        logWrite("Cloud update: the server's page names no cloud image\n");
        fail();
        return;
    }
    // From where the page finally came (its redirects followed), not from the
    // configured server: the path is that server's.
    HttpUrl image = client_->address();
    image.target = *path;
    if (!client_->start(image, folder + kCloudImageFile + kNewSuffix)) fail();
}

} // namespace gv
