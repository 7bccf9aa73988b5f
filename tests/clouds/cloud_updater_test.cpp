// Whole updates against scripted loopback services: the two downloads, the
// files, the messages and the update state, the map made off the frame
// loop; and the cloud-interval entry of the options overlay reading the
// updater.
#include "clouds/cloud_cache.h"
#include "clouds/cloud_update_host.h"
#include "clouds/cloud_updater.h"
#include "imaging/image_loader.h"
#include "net/http_download.h"

#include "tests/imaging/picture_files.h"
#include "tests/net/loopback_server.h"
#include "tests/support/captured_log.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/fake_ui_host.h"
#include "ui/options_overlay.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

namespace gv {
namespace {

using namespace test;

class FakeCloudHost : public CloudUpdateHost {
  public:
    explicit FakeCloudHost(Preferences& p, std::string folder)
        : prefs(p), folder_(std::move(folder)) {
        setCloudUpdateHost(this);
    }
    ~FakeCloudHost() override { setCloudUpdateHost(nullptr); }

    Preferences& prefs;
    std::tm now{};
    std::vector<std::string> messages;
    bool showSucceeds = true;
    int shows = 0;
    CloudMap shown;
    std::function<void()> onShow;

    Preferences& preferences() override { return prefs; }
    std::string programFolder() override { return folder_; }
    std::tm realLocalTime() override { return now; }
    void postMessage(const char* title, const char* subtitle) override {
        EXPECT_STREQ(title, "CLOUDS UPDATE");
        messages.push_back(subtitle);
    }
    bool showCloudMap(CloudMap map) override {
        ++shows;
        if (onShow) onShow();
        if (showSucceeds) shown = std::move(map);
        return showSucceeds;
    }

  private:
    std::string folder_;
};

// The program's connection of the overlay's seam to the updater.
class UpdaterCloudServices : public CloudServices {
  public:
    explicit UpdaterCloudServices(FakeCloudHost& host) : host_(host) {}
    bool cloudDownloadRunning() override { return cloudUpdater().downloading(); }
    std::optional<int64_t> secondsSinceCloudUpdate() override {
        return secondsSinceLastCloudUpdate(host_.prefs, host_.now);
    }

  private:
    FakeCloudHost& host_;
};

const std::string kDefaultPath = "/cgi-bin/uncgi/Earth/action?opt=-p&img=wx-cmap.bmp&daynight=-d";
// A whole picture of one white pixel: a GIF the loader decodes.
const std::string kPicture("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00"
                           ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                           35);
// The same with a black pixel: another map.
const std::string kDarkPicture("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff"
                               ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                               35);
const std::string kPage = "<html><body><img src=\"/earthview/cache/20260621-1200.gif\" "
                          "alt=\"clouds\"></body></html>\n";

std::string ok(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string requestFor(const std::string& path, const std::string& host) {
    return "GET " + path + " HTTP/1.1\r\nUser-Agent: QuorvaneA1\r\nHost: " + host +
           "\r\nConnection: close\r\n\r\n";
}

// The map a one-pixel picture gives: its colour everywhere, smoothed.
CloudMap mapOf(const std::string& picture, const Preferences& prefs) {
    ImageLoader loader;
    EXPECT_TRUE(loader.loadBytes(
        std::span(reinterpret_cast<const uint8_t*>(picture.data()), picture.size())));
    CloudMap map;
    EXPECT_TRUE(cloudMapFromPicture(loader.picture(), loader.channels(),
                                    CloudColours(prefs.cloudColours), map));
    return map;
}

class Updater : public ::testing::Test {
  protected:
    TempDir dir;
    testing::FakeUiHost ui;
    FakeCloudHost host{ui.prefs, dir.folder()};
    UpdaterCloudServices services{host};
    CloudUpdater& updater = cloudUpdater();

    void SetUp() override {
        setCloudServices(&services);
        updater.reset();
        ui.prefs.cloudsFromSatellites = 1;
        ui.prefs.cloudUpdateInterval = 3600;
        host.now = {};
        host.now.tm_year = 126;
        host.now.tm_mon = 5;
        host.now.tm_mday = 21;
        host.now.tm_hour = 12;
        host.now.tm_isdst = -1;
        std::mktime(&host.now);
        writeBytes(dir.file("clouds.sat"), {'o', 'l', 'd'});
        writeBytes(dir.file("clouds.tmp"), {'o', 'l', 'd'});
        writeBytes(dir.file("clouds.tga"), {'o', 'l', 'd'});
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
        for (const char* name : {"clouds.sat.new", "clouds.sat.old", "clouds.sat.new.part",
                                 "clouds.tmp.part", "clouds.tga.new"})
            EXPECT_FALSE(std::filesystem::exists(dir.file(name))) << name;
    }
    // The cache holds the map shown.
    void expectCacheOf(const CloudMap& map) {
        CloudMap cached;
        ASSERT_TRUE(readCloudCache(dir.file("clouds.tga"), cached));
        EXPECT_TRUE(cached == map);
    }
    OptionValue (*entryHandler())(uint32_t) {
        for (std::size_t i = 0; i < optionEntries().size(); ++i)
            if (std::strcmp(optionEntries()[i].label,
                            "CLOUDS UPDATING TIME\n[ENTER] to update now") == 0)
                return optionEntries()[i].handler;
        return nullptr;
    }
    std::string entry() { return entryHandler()(0).text; }
};

TEST_F(Updater, TwoRequestsTheImageKeptAndTheLayerShowsIt) {
    LoopbackServer server({{send(ok(kPage))}, {send(ok(kPicture))}});
    const std::string h = serve(server);
    CloudUpdateState stateAtShow = CloudUpdateState::Idle;
    host.onShow = [&] {
        stateAtShow = updater.state();
        EXPECT_EQ(readText(dir.file("clouds.sat")), kPicture);
        // The cache only follows once the layer took the map.
        EXPECT_EQ(readText(dir.file("clouds.tga")), "old");
    };
    EXPECT_TRUE(updater.start());
    EXPECT_EQ(updater.state(), CloudUpdateState::FirstDownload);
    EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING..."}));
    // The start is stored as the machine's local time, all nine fields.
    const int32_t expected[9] = {host.now.tm_sec,  host.now.tm_min,  host.now.tm_hour,
                                 host.now.tm_mday, host.now.tm_mon,  host.now.tm_year,
                                 host.now.tm_wday, host.now.tm_yday, host.now.tm_isdst};
    EXPECT_EQ(std::memcmp(ui.prefs.lastCloudUpdate, expected, sizeof expected), 0);

    ASSERT_TRUE(settled());
    EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING...", "UPDATED"}));
    EXPECT_EQ(updater.state(), CloudUpdateState::Idle);
    EXPECT_EQ(host.shows, 1);
    EXPECT_EQ(stateAtShow, CloudUpdateState::SecondDownload);
    EXPECT_TRUE(host.shown == mapOf(kPicture, ui.prefs));
    EXPECT_EQ(server.requests(),
              (std::vector<std::string>{requestFor(kDefaultPath, h),
                                        requestFor("/earthview/cache/20260621-1200.gif", h)}));
    EXPECT_EQ(readText(dir.file("clouds.tmp")), kPage);
    EXPECT_EQ(readText(dir.file("clouds.sat")), kPicture);
    expectCacheOf(host.shown);
    expectNoLeftovers();
}

TEST_F(Updater, AFirstReplyThatIsAPictureIsTheImageWithoutASecondRequest) {
    LoopbackServer server({{send(ok(kPicture))}, {send(ok(kDarkPicture))}});
    const std::string h = serve(server);
    host.onShow = [&] { EXPECT_EQ(readText(dir.file("clouds.sat")), kPicture); };
    EXPECT_TRUE(updater.start());
    ASSERT_TRUE(settled());
    EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING...", "UPDATED"}));
    EXPECT_EQ(updater.state(), CloudUpdateState::Idle);
    EXPECT_EQ(host.shows, 1);
    EXPECT_TRUE(host.shown == mapOf(kPicture, ui.prefs));
    EXPECT_EQ(server.requests(), (std::vector<std::string>{requestFor(kDefaultPath, h)}));
    EXPECT_EQ(readText(dir.file("clouds.sat")), kPicture);
    EXPECT_EQ(readText(dir.file("clouds.tmp")), kPicture);
    expectCacheOf(host.shown);
    expectNoLeftovers();

    // A picture the layer cannot take: the old image and the old cache stay.
    writeBytes(dir.file("clouds.sat"), {'o', 'l', 'd'});
    const std::string cache = readText(dir.file("clouds.tga"));
    LoopbackServer again({{send(ok(kDarkPicture))}});
    serve(again);
    host.onShow = nullptr;
    host.showSucceeds = false;
    host.messages.clear();
    EXPECT_TRUE(updater.start());
    ASSERT_TRUE(settled());
    EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING...", "FAILED"}));
    EXPECT_EQ(readText(dir.file("clouds.sat")), "old");
    EXPECT_TRUE(readText(dir.file("clouds.tga")) == cache);
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
            {{send(ok(std::string(bytes.begin(), bytes.end())))}, {send(ok(kPicture))}});
        serve(server);
        host.messages.clear();
        EXPECT_TRUE(updater.start());
        ASSERT_TRUE(settled());
        EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING...", "FAILED"}));
        EXPECT_EQ(server.requests().size(), 1u);
        EXPECT_EQ(host.shows, 0);
        EXPECT_EQ(readText(dir.file("clouds.sat")), "old");
        EXPECT_EQ(readText(dir.file("clouds.tga")), "old");
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
    // Not a picture at all: no map is made, the layer is not asked.
    LoopbackServer server({{send(ok(kPage))}, {send(ok("not an image"))}});
    serve(server);
    CapturedLog log;
    EXPECT_TRUE(updater.start());
    ASSERT_TRUE(settled());
    EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING...", "FAILED"}));
    EXPECT_EQ(updater.state(), CloudUpdateState::Failed);
    EXPECT_EQ(host.shows, 0);
    EXPECT_EQ(readText(dir.file("clouds.sat")), "old");
    EXPECT_EQ(readText(dir.file("clouds.tga")), "old");
    EXPECT_EQ(log.reports().back(), "Cloud update: the new clouds.sat cannot be used\n");
    expectNoLeftovers();

    // A picture the layer fails to take: the old image is back, the cache
    // never had the new map; without an old image there is none.
    std::filesystem::remove(dir.file("clouds.sat"));
    LoopbackServer again({{send(ok(kPage))}, {send(ok(kPicture))}});
    serve(again);
    host.showSucceeds = false;
    host.messages.clear();
    EXPECT_TRUE(updater.start());
    ASSERT_TRUE(settled());
    EXPECT_EQ(host.messages.back(), "FAILED");
    EXPECT_EQ(host.shows, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("clouds.sat")));
    EXPECT_EQ(readText(dir.file("clouds.tga")), "old");
    expectNoLeftovers();
}

TEST_F(Updater, APageWithoutAnImagePathFetchesNothingMore) {
    for (const std::string& page :
         {std::string("<html>Service busy, try later</html>"),
          std::string("<img src=\"/logo.gif\"> /earthview/cache/ is empty"),
          "/earthview/cache/" + std::string(300, 'x') + ".gif"}) {
        LoopbackServer server({{send(ok(page))}, {send(ok(kPicture))}});
        serve(server);
        host.messages.clear();
        EXPECT_TRUE(updater.start());
        ASSERT_TRUE(settled());
        EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING...", "FAILED"}));
        EXPECT_EQ(updater.state(), CloudUpdateState::Failed);
        EXPECT_EQ(server.requests().size(), 1u);
        EXPECT_EQ(readText(dir.file("clouds.sat")), "old");
        EXPECT_EQ(host.shows, 0);
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
        LoopbackServer server({{send(ok(kPage))}, {send(ok(kPicture).substr(0, 50)), reset()}});
        serve(server);
        EXPECT_TRUE(updater.start());
        ASSERT_TRUE(settled());
        EXPECT_EQ(host.messages.back(), "FAILED");
        EXPECT_EQ(readText(dir.file("clouds.sat")), "old");
        EXPECT_EQ(host.shows, 0);
        expectNoLeftovers();
    }
}

// The image is asked of the server that finally answered the page, by its
// scheme, name and port, not of the configured one.
TEST_F(Updater, TheImageComesFromWhereThePageCameFrom) {
    LoopbackServer target({{send(ok(kPage))}, {send(ok(kPicture))}});
    const std::string there = "127.0.0.1:" + std::to_string(target.port());
    LoopbackServer configured({});
    configured.setReplies({{send("HTTP/1.1 302 Found\r\nLocation: http://" + there +
                                 "/render?now\r\nContent-Length: 0\r\n\r\n")},
                           {send(ok(kDarkPicture))}});
    const std::string here = serve(configured);
    EXPECT_TRUE(updater.start());
    ASSERT_TRUE(settled());
    EXPECT_EQ(host.messages.back(), "UPDATED");
    EXPECT_EQ(configured.requests(), (std::vector<std::string>{requestFor(kDefaultPath, here)}));
    EXPECT_EQ(target.requests(),
              (std::vector<std::string>{requestFor("/render?now", there),
                                        requestFor("/earthview/cache/20260621-1200.gif", there)}));
    EXPECT_EQ(readText(dir.file("clouds.sat")), kPicture);
}

// What the frame loop's thread is spared: every reply is read and decoded
// once, on another thread, while the frames go on.
struct Decodes {
    std::mutex mutex;
    std::thread::id frameThread;
    std::map<std::string, int> byPath;
    int onFrameThread = 0;
    std::string holdFor; // the file whose decode is held
    std::atomic<bool> hold{false}, holding{false};
};
Decodes* gDecodes = nullptr;

// Watches the decodes for the length of a test.
struct WatchedDecodes : Decodes {
    WatchedDecodes() {
        frameThread = std::this_thread::get_id();
        gDecodes = this;
        setImageLoadObserver(noteDecode);
    }
    ~WatchedDecodes() {
        hold = false;
        setImageLoadObserver(nullptr);
        gDecodes = nullptr;
    }
    static void noteDecode(const std::string& path);
};

void WatchedDecodes::noteDecode(const std::string& path) {
    Decodes& d = *gDecodes;
    const std::string name = std::filesystem::path(path).filename().string();
    {
        std::lock_guard<std::mutex> lock(d.mutex);
        ++d.byPath[name];
        if (std::this_thread::get_id() == d.frameThread) ++d.onFrameThread;
    }
    // A slow decode: held until the test lets it go (never on the frame
    // loop's thread, which would stop the test itself).
    if (std::this_thread::get_id() == d.frameThread || name != d.holdFor) return;
    d.holding = true;
    for (int i = 0; i < 1000 && d.hold; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    d.holding = false;
}

TEST_F(Updater, EachReplyIsDecodedOnceOffTheFrameLoop) {
    WatchedDecodes decodes;
    // One step: the reply is the picture.
    {
        LoopbackServer server({{send(ok(kPicture))}});
        serve(server);
        decodes.holdFor = "clouds.tmp";
        decodes.hold = true;
        EXPECT_TRUE(updater.start());
        ASSERT_TRUE(pumpUntil([&] { return decodes.holding.load(); }));
        // The frames go on while the picture is being decoded.
        int frames = 0;
        pumpUntil([&] { return ++frames == 50; });
        EXPECT_TRUE(updater.downloading());
        EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING..."}));
        EXPECT_EQ(host.shows, 0);
        decodes.hold = false;
        ASSERT_TRUE(settled());
        EXPECT_EQ(host.messages.back(), "UPDATED");
    }
    EXPECT_EQ(decodes.byPath, (std::map<std::string, int>{{"clouds.tmp", 1}}));
    // Two steps: the page once, the image once.
    decodes.byPath.clear();
    {
        LoopbackServer server({{send(ok(kPage))}, {send(ok(kDarkPicture))}});
        serve(server);
        host.messages.clear();
        EXPECT_TRUE(updater.start());
        ASSERT_TRUE(settled());
        EXPECT_EQ(host.messages.back(), "UPDATED");
    }
    EXPECT_EQ(decodes.byPath,
              (std::map<std::string, int>{{"clouds.tmp", 1}, {"clouds.sat.new", 1}}));
    EXPECT_EQ(decodes.onFrameThread, 0);
}

TEST_F(Updater, AnEndOfRunWhileThePictureIsMadeLeavesNothingHalfDone) {
    WatchedDecodes decodes;
    LoopbackServer server({{send(ok(kPage))}, {send(ok(kPicture))}});
    serve(server);
    decodes.holdFor = "clouds.sat.new";
    decodes.hold = true;
    EXPECT_TRUE(updater.start());
    // Held in the image's decode.
    ASSERT_TRUE(pumpUntil([&] {
        std::lock_guard<std::mutex> lock(decodes.mutex);
        return decodes.holding && decodes.byPath.count("clouds.sat.new") == 1;
    }));
    decodes.hold = false;
    updater.release();
    EXPECT_FALSE(updater.downloading());
    EXPECT_EQ(host.shows, 0);
    EXPECT_EQ(readText(dir.file("clouds.sat")), "old");
    EXPECT_EQ(readText(dir.file("clouds.tga")), "old");
    expectNoLeftovers();
    // Nothing arrives after the end.
    pumpUntil([] { return false; }, 200);
    EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING..."}));
}

TEST_F(Updater, AStartWhileOneRunsStartsNothingAndSaysNothing) {
    LoopbackServer server({{pause(200), send(ok(kPage))}, {send(ok(kPicture))}});
    serve(server);
    EXPECT_TRUE(updater.start());
    EXPECT_FALSE(updater.start());
    EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING..."}));
    EXPECT_EQ(updater.state(), CloudUpdateState::FirstDownload);
    // The running update goes on to its own end, once.
    ASSERT_TRUE(settled());
    EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING...", "UPDATED"}));
    EXPECT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(host.shows, 1);
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

TEST_F(Updater, TheFrameStartsAnUpdateOnlyWhenOneIsDueAndNoneRuns) {
    // An image that takes a while: the interval passes many times over
    // before it arrives, as it does when the frames are many and fast.
    LoopbackServer server({{send(ok(kPage))}, {pause(300), send(ok(kPicture))}});
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
    host.now.tm_sec += 3600;
    std::mktime(&host.now);
    updater.updateIfDue();
    EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING..."}));
    // Due again, and again, while the first runs: nothing starts, nothing is
    // said, and the running one ends as it would have.
    int dueFrames = 0;
    ASSERT_TRUE(pumpUntil([&] {
        if (!updater.downloading()) return true;
        host.now.tm_sec += 3601;
        std::mktime(&host.now);
        updater.updateIfDue();
        ++dueFrames;
        return false;
    }));
    EXPECT_GT(dueFrames, 10);
    EXPECT_EQ(host.messages, (std::vector<std::string>{"UPDATING...", "UPDATED"}));
    EXPECT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(host.shows, 1);
    // Once it has ended, the next due frame starts the next update.
    LoopbackServer next({{hold()}});
    serve(next);
    host.now.tm_sec += 3601;
    std::mktime(&host.now);
    updater.updateIfDue();
    EXPECT_EQ(host.messages.back(), "UPDATING...");
}

TEST_F(Updater, TheIntervalEntryFollowsTheUpdate) {
    // Right after a start that ended at once, a whole hour and a minute remain.
    std::snprintf(ui.prefs.cloudServerHost, sizeof ui.prefs.cloudServerHost, "%s", "bad host");
    updater.start();
    EXPECT_EQ(entry(), "1 hour  - next in 61 minutes");
    host.now.tm_sec += 59;
    EXPECT_EQ(entry(), "1 hour  - next in 60 minutes");

    LoopbackServer server({{hold()}});
    serve(server);
    EXPECT_TRUE(updater.start());
    EXPECT_EQ(entry(), "1 hour  - downloading right now");
    // Enter during the download asks for nothing more.
    const std::vector<int32_t> stored(std::begin(ui.prefs.lastCloudUpdate),
                                      std::end(ui.prefs.lastCloudUpdate));
    entryHandler()(kOptionEnter);
    EXPECT_EQ(std::vector<int32_t>(std::begin(ui.prefs.lastCloudUpdate),
                                   std::end(ui.prefs.lastCloudUpdate)),
              stored);
    updater.updateIfDue();
    EXPECT_EQ(host.messages, (std::vector<std::string>{"FAILED", "UPDATING..."}));
    updater.release();
    EXPECT_EQ(entry(), "1 hour  - next in 61 minutes");

    ui.prefs.cloudsFromSatellites = 0;
    ui.prefs.cloudUpdateInterval = 7200;
    EXPECT_EQ(entry(), "2 hours - actually disabled");
}

} // namespace
} // namespace gv
