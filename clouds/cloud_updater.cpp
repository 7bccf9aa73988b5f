#include "clouds/cloud_updater.h"

#include "clouds/cloud_page.h"
#include "clouds/cloud_update_host.h"
#include "core/log.h"
#include "formats/preferences.h"
#include "imaging/image_loader.h"
#include "net/http_download.h"
#include "platform/atomic_file.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace gv {

namespace {

// The first download's page, the second's image, in the program folder.
constexpr const char* kPageFile = "clouds.tmp";
constexpr const char* kImageFile = "clouds.sat";

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
    client_.reset();
    state_ = CloudUpdateState::Idle;
}

void CloudUpdater::release() {
    client_.reset();
    if (downloading()) state_ = CloudUpdateState::Idle;
}

void CloudUpdater::fail() {
    state_ = CloudUpdateState::Failed;
    showMessage("FAILED");
}

bool CloudUpdater::start() {
    CloudUpdateHost& host = cloudUpdateHost();
    Preferences& prefs = host.preferences();
    const std::string destination = host.programFolder() + kPageFile;
    if (!client_) {
        client_ = HttpDownload::create(completion, 0);
        if (!client_) {
            // The start time stays, so the next frame tries again.
            fail();
            return false;
        }
    }
    setLastCloudUpdateTime(prefs, host.localTime());
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
    CloudUpdateHost& host = cloudUpdateHost();
    if (cloudUpdateDue(host.preferences(), host.localTime())) start();
}

void CloudUpdater::completion(HttpDownload&, uint32_t, uint32_t clientState, uint32_t) {
    cloudUpdater().onDownloadEnd(clientState);
}

void CloudUpdater::onDownloadEnd(uint32_t clientState) {
    if (clientState == HttpDownload::kFailed) {
        fail();
        return;
    }
    if (clientState != HttpDownload::kIdle) return; // progress
    if (state_ != CloudUpdateState::SecondDownload) {
        // A service that answers with the picture itself needs no second
        // request; what the reply is shows by its content alone.
        ImageLoader reply;
        if (reply.load(cloudUpdateHost().programFolder() + kPageFile)) {
            takeFirstReplyAsImage();
            return;
        }
        // A JPEG or PNG its decoder refused (a file cut short, a bad
        // checksum) is no page either: say why, rather than search it for an
        // image path it cannot hold.
        if (!reply.refusal().empty()) {
            logWrite("Cloud update: the server's picture cannot be used: %s\n",
                     reply.refusal().c_str());
            fail();
            return;
        }
        state_ = CloudUpdateState::SecondDownload;
        fetchImage();
        return;
    }
    useImage();
}

void CloudUpdater::takeFirstReplyAsImage() {
    // The first reply stays in "clouds.tmp" as it always does; a copy of it
    // is the new image.
    const std::string folder = cloudUpdateHost().programFolder();
    const std::string fresh = folder + kImageFile + ".new";
    std::error_code error;
    std::filesystem::copy_file(folder + kPageFile, fresh,
                               std::filesystem::copy_options::overwrite_existing, error);
    if (error) {
        std::remove(fresh.c_str());
        logWrite("Cloud update: %s cannot be written\n", fresh.c_str());
        fail();
        return;
    }
    useImage();
}

void CloudUpdater::useImage() {
    // The new image takes the place of the old one only for as long as the
    // layer is rebuilt from it: an image the layer cannot use leaves the old
    // one where it was, with the old clouds.
    const std::string image = cloudUpdateHost().programFolder() + kImageFile;
    const std::string fresh = image + ".new", kept = image + ".old";
    std::error_code error;
    const bool hadImage = std::filesystem::exists(image, error);
    if ((hadImage && !platform::moveFileReplacing(image, kept)) ||
        !platform::moveFileReplacing(fresh, image)) {
        if (hadImage) platform::moveFileReplacing(kept, image);
        std::remove(fresh.c_str());
        logWrite("Cloud update: %s cannot be replaced\n", kImageFile);
        fail();
        return;
    }
    if (cloudUpdateHost().rebuildCloudLayer()) {
        std::remove(kept.c_str());
        state_ = CloudUpdateState::Idle;
        showMessage("UPDATED");
        return;
    }
    if (hadImage)
        platform::moveFileReplacing(kept, image);
    else
        std::remove(image.c_str());
    logWrite("Cloud update: the new %s cannot be used\n", kImageFile);
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
    Preferences& prefs = host.preferences();
    if (!client_->start(fieldText(prefs.cloudServerHost).text, *path, folder + kImageFile + ".new"))
        fail();
}

} // namespace gv
