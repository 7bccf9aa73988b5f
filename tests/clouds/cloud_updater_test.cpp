// Whole updates against scripted loopback services: the two downloads, the
// files, the messages and the update state; and the cloud-interval entry of
// the options overlay reading the updater.
#include "clouds/cloud_update_host.h"
#include "clouds/cloud_updater.h"
#include "net/http_download.h"

#include "tests/imaging/picture_files.h"
#include "tests/net/loopback_server.h"
#include "tests/support/captured_log.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/fake_ui_host.h"
#include "ui/options_overlay.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace gv {
namespace {

using namespace test;

class FakeCloudHost : public CloudUpdateHost {
  public:
    explicit FakeCloudHost(Preferences& p, std::tm& clock, std::string folder)
        : prefs(p), now(clock), folder_(std::move(folder)) {
        setCloudUpdateHost(this);
    }
    ~FakeCloudHost() override { setCloudUpdateHost(nullptr); }

    Preferences& prefs;
    std::tm& now;
    std::vector<std::string> messages;
    bool rebuildSucceeds = true;
    int rebuilds = 0;
    std::function<void()> onRebuild;

    Preferences& preferences() override { return prefs; }
    std::string programFolder() override { return folder_; }
    std::tm localTime() override { return now; }
    void postMessage(const char* title, const char* subtitle) override {
        EXPECT_STREQ(title, "CLOUDS UPDATE");
        messages.push_back(subtitle);
    }
    bool rebuildCloudLayer() override {
        ++rebuilds;
        if (onRebuild) onRebuild();
        return rebuildSucceeds;
    }

  private:
    std::string folder_;
};

// The program's connection of the overlay's seam to the updater.
class UpdaterCloudServices : public CloudServices {
  public:
    bool cloudDownloadRunning() override { return cloudUpdater().downloading(); }
};

const std::string kDefaultPath = "/cgi-bin/uncgi/Earth/action?opt=-p&img=wx-cmap.bmp&daynight=-d";
const std::string kImage("GIF89a\x01\x00\x01\x00\x00\x00\x00;", 14);
const std::string kPage = "<html><body><img src=\"/earthview/cache/20260621-1200.gif\" "
                          "alt=\"clouds\"></body></html>\n";

std::string ok(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string requestFor(const std::string& path, const std::string& host) {
    return "GET " + path + " HTTP/1.1\r\nUser-Agent: QuorvaneA1\r\nHost: " + host +
           "\r\nConnection: close\r\n\r\n";
}

class Updater : public ::testing::Test {
  protected:
    TempDir dir;
    testing::FakeUiHost ui;
    FakeCloudHost host{ui.prefs, ui.now, dir.folder()};
    UpdaterCloudServices services;
    CloudUpdater& updater = cloudUpdater();

    void SetUp() override {
        setCloudServices(&services);
        updater.reset();
        ui.prefs.cloudsFromSatellites = 1;
        ui.prefs.cloudUpdateInterval = 3600;
        ui.now = {};
        ui.now.tm_year = 126;
        ui.now.tm_mon = 5;
        ui.now.tm_mday = 21;
        ui.now.tm_hour = 12;
        ui.now.tm_isdst = -1;
        std::mktime(&ui.now);
        writeBytes(dir.file("clouds.sat"), {'o', 'l', 'd'});
        writeBytes(dir.file("clouds.tmp"), {'o', 'l', 'd'});
    }
    void TearDown() override { updater.reset(); }

    std::string serve(const LoopbackServer& server) {
        const std::string h = "127.0.0.1:" + std::to_string(server.port());
        std::snprintf(ui.prefs.cloudServerHost, sizeof ui.prefs.cloudServerHost, "%s", h.c_str());
        return h;
    }
    bool settled() {
        return pumpUntil([&] {
            return !updater.downloading() && !host.messages.empty() &&
                   host.messages.back() != "UPDATING...";
        });
    }
    void expectNoLeftovers() {
        for (const char* name :
             {"clouds.sat.new", "clouds.sat.old", "clouds.sat.new.part", "clouds.tmp.part"})
            EXPECT_FALSE(std::filesystem::exists(dir.file(name))) << name;
    }
    std::string entry() {
        for (std::size_t i = 0; i < optionEntries().size(); ++i)
            if (std::strcmp(optionEntries()[i].label,
                            "CLOUDS UPDATING TIME\n[ENTER] to update now") == 0)
                return optionEntries()[i].handler(0).text;
        return "?";
    }
};

TEST_F(Updater, TwoRequestsTheImageKeptAndTheLayerRebuilt) {
    LoopbackServer server({{send(ok(kPage))}, {send(ok(kImage))}});
    const std::string h = serve(server);
    CloudUpdateState stateAtRebuild = CloudUpdateState::Idle;
    host.onRebuild = [&] {
        stateAtRebuild = updater.state();
        EXPECT_EQ(readText(dir.file("clouds.sat")), kImage);
    };
    EXPECT_TRUE(updater.start());
    EXPECT_EQ(updater.state(), CloudUpdateState::FirstDownload);
    EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING..."}));
    // The start is stored as the frame's local time, all nine fields.
    const int32_t expected[9] = {ui.now.tm_sec,  ui.now.tm_min,  ui.now.tm_hour,
                                 ui.now.tm_mday, ui.now.tm_mon,  ui.now.tm_year,
                                 ui.now.tm_wday, ui.now.tm_yday, ui.now.tm_isdst};
    EXPECT_EQ(std::memcmp(ui.prefs.lastCloudUpdate, expected, sizeof expected), 0);

    ASSERT_TRUE(settled());
    EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING...", "UPDATED"}));
    EXPECT_EQ(updater.state(), CloudUpdateState::Idle);
    EXPECT_EQ(host.rebuilds, 1);
    EXPECT_EQ(stateAtRebuild, CloudUpdateState::SecondDownload);
    EXPECT_EQ(server.requests(),
              (std::vector<std::string>{requestFor(kDefaultPath, h),
                                        requestFor("/earthview/cache/20260621-1200.gif", h)}));
    EXPECT_EQ(readText(dir.file("clouds.tmp")), kPage);
    EXPECT_EQ(readText(dir.file("clouds.sat")), kImage);
    expectNoLeftovers();
}

// A whole picture of one white pixel: a GIF the loader decodes.
const std::string kPicture("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00"
                           ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                           35);

TEST_F(Updater, AFirstReplyThatIsAPictureIsTheImageWithoutASecondRequest) {
    LoopbackServer server({{send(ok(kPicture))}, {send(ok(kImage))}});
    const std::string h = serve(server);
    host.onRebuild = [&] { EXPECT_EQ(readText(dir.file("clouds.sat")), kPicture); };
    EXPECT_TRUE(updater.start());
    ASSERT_TRUE(settled());
    EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING...", "UPDATED"}));
    EXPECT_EQ(updater.state(), CloudUpdateState::Idle);
    EXPECT_EQ(host.rebuilds, 1);
    EXPECT_EQ(server.requests(), (std::vector<std::string>{requestFor(kDefaultPath, h)}));
    EXPECT_EQ(readText(dir.file("clouds.sat")), kPicture);
    EXPECT_EQ(readText(dir.file("clouds.tmp")), kPicture);
    expectNoLeftovers();

    // A picture the layer cannot use: the old image stays.
    writeBytes(dir.file("clouds.sat"), {'o', 'l', 'd'});
    LoopbackServer again({{send(ok(kPicture))}});
    serve(again);
    host.onRebuild = nullptr;
    host.rebuildSucceeds = false;
    host.messages.clear();
    EXPECT_TRUE(updater.start());
    ASSERT_TRUE(settled());
    EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING...", "FAILED"}));
    EXPECT_EQ(readText(dir.file("clouds.sat")), "old");
    EXPECT_EQ(again.requests().size(), 1u);
    expectNoLeftovers();
}

TEST_F(Updater, WhatTheFirstReplyIsShowsByItsContentNotItsName) {
    // A page asked for by a picture's name is still a page.
    std::snprintf(ui.prefs.cloudImagePath, sizeof ui.prefs.cloudImagePath, "%s",
                  "/images/clouds.gif");
    LoopbackServer server({{send(ok(kPage))}, {send(ok(kPicture))}});
    const std::string h = serve(server);
    EXPECT_TRUE(updater.start());
    ASSERT_TRUE(settled());
    EXPECT_EQ(host.messages.back(), "UPDATED");
    EXPECT_EQ(server.requests(),
              (std::vector<std::string>{requestFor("/images/clouds.gif", h),
                                        requestFor("/earthview/cache/20260621-1200.gif", h)}));
    // Bytes that start like a picture but do not decode are not one.
    LoopbackServer cut({{send(ok(kPicture.substr(0, 20)))}});
    serve(cut);
    host.messages.clear();
    EXPECT_TRUE(updater.start());
    ASSERT_TRUE(settled());
    EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING...", "FAILED"}));
    EXPECT_EQ(cut.requests().size(), 1u);
}

TEST_F(Updater, AFirstReplyThatIsADamagedJpegOrPngFailsWithItsReason) {
    // A JPEG cut in half and a PNG with a wrong checksum: each is refused by
    // its decoder, so the reply is neither the image nor a page to search.
    struct Case {
        const char* fixture;
        const char* reason;
    } cases[] = {{"jpeg_cut_in_half.jpg", "JPEG: "}, {"png_bad_crc.png", "PNG: "}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        const std::vector<uint8_t> bytes = fixtureBytes(c.fixture);
        ASSERT_FALSE(bytes.empty());
        CapturedLog log;
        LoopbackServer server(
            {{send(ok(std::string(bytes.begin(), bytes.end())))}, {send(ok(kImage))}});
        serve(server);
        host.messages.clear();
        EXPECT_TRUE(updater.start());
        ASSERT_TRUE(settled());
        EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING...", "FAILED"}));
        EXPECT_EQ(server.requests().size(), 1u);
        EXPECT_EQ(host.rebuilds, 0);
        EXPECT_EQ(readText(dir.file("clouds.sat")), "old");
        expectNoLeftovers();
        int reasons = 0;
        for (const std::string& report : log.reports()) {
            if (report.rfind(std::string("Cloud update: the server's picture cannot be used: ") +
                                 c.reason,
                             0) == 0)
                ++reasons;
            EXPECT_EQ(report.find("names no cloud image"), std::string::npos) << report;
        }
        EXPECT_EQ(reasons, 1);
    }
}

TEST_F(Updater, AnImageTheLayerCannotUseShowsFailed) {
    LoopbackServer server({{send(ok(kPage))}, {send(ok("not an image"))}});
    serve(server);
    host.rebuildSucceeds = false;
    EXPECT_TRUE(updater.start());
    ASSERT_TRUE(settled());
    EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING...", "FAILED"}));
    EXPECT_EQ(updater.state(), CloudUpdateState::Failed);
    EXPECT_EQ(host.rebuilds, 1);
    // The old image is back; without one there is none.
    EXPECT_EQ(readText(dir.file("clouds.sat")), "old");
    expectNoLeftovers();

    std::filesystem::remove(dir.file("clouds.sat"));
    LoopbackServer again({{send(ok(kPage))}, {send(ok("not an image"))}});
    serve(again);
    host.messages.clear();
    EXPECT_TRUE(updater.start());
    ASSERT_TRUE(settled());
    EXPECT_EQ(host.messages.back(), "FAILED");
    EXPECT_FALSE(std::filesystem::exists(dir.file("clouds.sat")));
    expectNoLeftovers();
}

TEST_F(Updater, APageWithoutAnImagePathFetchesNothingMore) {
    for (const std::string& page :
         {std::string("<html>Service busy, try later</html>"),
          std::string("<img src=\"/logo.gif\"> /earthview/cache/ is empty"),
          "/earthview/cache/" + std::string(300, 'x') + ".gif"}) {
        LoopbackServer server({{send(ok(page))}, {send(ok(kImage))}});
        serve(server);
        host.messages.clear();
        EXPECT_TRUE(updater.start());
        ASSERT_TRUE(settled());
        EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING...", "FAILED"}));
        EXPECT_EQ(updater.state(), CloudUpdateState::Failed);
        EXPECT_EQ(server.requests().size(), 1u);
        EXPECT_EQ(readText(dir.file("clouds.sat")), "old");
        EXPECT_EQ(host.rebuilds, 0);
        expectNoLeftovers();
    }
}

TEST_F(Updater, AFailedDownloadShowsFailedAndKeepsTheFiles) {
    {
        LoopbackServer server({{send("HTTP/1.1 500 Oops\r\nContent-Length: 6\r\n\r\n200 OK")}});
        serve(server);
        EXPECT_TRUE(updater.start());
        ASSERT_TRUE(settled());
        EXPECT_EQ(host.messages.back(), "FAILED");
        EXPECT_EQ(updater.state(), CloudUpdateState::Failed);
        EXPECT_EQ(readText(dir.file("clouds.tmp")), "old");
    }
    {
        // The image's download breaks off.
        LoopbackServer server({{send(ok(kPage))}, {send(ok(kImage).substr(0, 50)), reset()}});
        serve(server);
        EXPECT_TRUE(updater.start());
        ASSERT_TRUE(settled());
        EXPECT_EQ(host.messages.back(), "FAILED");
        EXPECT_EQ(readText(dir.file("clouds.sat")), "old");
        EXPECT_EQ(host.rebuilds, 0);
        expectNoLeftovers();
    }
}

TEST_F(Updater, AStartWhileOneRunsIsRefusedAndTheRunningOneGoesOn) {
    LoopbackServer server({{pause(200), send(ok(kPage))}, {send(ok(kImage))}});
    serve(server);
    EXPECT_TRUE(updater.start());
    EXPECT_FALSE(updater.start());
    EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING...", "FAILED"}));
    EXPECT_EQ(updater.state(), CloudUpdateState::Failed);
    ASSERT_TRUE(pumpUntil([&] { return host.messages.size() == 3; }));
    EXPECT_EQ(host.messages.back(), "UPDATED");
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST_F(Updater, AServerThatCannotBeNamedFailsAtStartWithTheTimeStored) {
    std::snprintf(ui.prefs.cloudServerHost, sizeof ui.prefs.cloudServerHost, "%s", "bad host");
    EXPECT_FALSE(updater.start());
    EXPECT_EQ(host.messages, (std::vector<std::string>{"FAILED"}));
    EXPECT_EQ(updater.state(), CloudUpdateState::Failed);
    EXPECT_EQ(ui.prefs.lastCloudUpdate[2], 12);
    EXPECT_EQ(ui.prefs.lastCloudUpdate[5], 126);

    // A host field without its terminating zero (a file from elsewhere) is
    // read no further than the field: 260 characters, too long to use.
    std::memset(ui.prefs.cloudServerHost, 'h', sizeof ui.prefs.cloudServerHost);
    std::snprintf(ui.prefs.cloudImagePath, sizeof ui.prefs.cloudImagePath, "%s", "/p");
    host.messages.clear();
    EXPECT_FALSE(updater.start());
    EXPECT_EQ(host.messages, (std::vector<std::string>{"FAILED"}));
}

TEST_F(Updater, TheFrameStartsAnUpdateOnlyWhenOneIsDue) {
    LoopbackServer server({{hold()}});
    serve(server);
    std::memset(ui.prefs.lastCloudUpdate, 0, sizeof ui.prefs.lastCloudUpdate);
    ui.prefs.cloudsFromSatellites = 0;
    updater.updateIfDue();
    EXPECT_TRUE(host.messages.empty());
    ui.prefs.cloudsFromSatellites = 1;
    updater.updateIfDue();
    EXPECT_EQ(updater.state(), CloudUpdateState::FirstDownload);
    // The next frames find the start just stored: not due again.
    updater.updateIfDue();
    ui.now.tm_sec += 3600;
    updater.updateIfDue();
    EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING..."}));
    ui.now.tm_sec += 1;
    updater.updateIfDue();
    // Due again while the first still runs: refused by the busy client.
    EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING...", "FAILED"}));
}

TEST_F(Updater, TheIntervalEntryFollowsTheUpdate) {
    // Right after a start that ended at once, a whole hour and a minute remain.
    std::snprintf(ui.prefs.cloudServerHost, sizeof ui.prefs.cloudServerHost, "%s", "bad host");
    updater.start();
    EXPECT_EQ(entry(), "1 hour  - next in 61 minutes");
    ui.now.tm_sec += 59;
    EXPECT_EQ(entry(), "1 hour  - next in 60 minutes");

    LoopbackServer server({{hold()}});
    serve(server);
    EXPECT_TRUE(updater.start());
    EXPECT_EQ(entry(), "1 hour  - downloading right now");
    updater.release();
    EXPECT_EQ(entry(), "1 hour  - next in 61 minutes");

    ui.prefs.cloudsFromSatellites = 0;
    ui.prefs.cloudUpdateInterval = 7200;
    EXPECT_EQ(entry(), "2 hours - actually disabled");
}

} // namespace
} // namespace gv
