// The frames while a cloud update is applied, on a real window (run it under
// Xvfb at 1280 x 720): the globe with its cloud layer in the user view,
// drawn frame after frame through the program's own services, while the
// program's cloud updater fetches a picture from a loopback server, has it
// decoded and made into the cloud map off the frame loop, and shows it.
// Two pictures, as the services serve them: a 16384 x 4095 colour PNG
// (large when decoded, small on the wire) and a 2048 x 1024 greyscale JPEG.
// For each, the frame times of the same run: the median over the run and
// the longest while the update is under way, with the machine's load.
// Usage: cloud_update_frame_bench [BASELINE_FRAMES]
#include "app/driver.h"
#include "app/preferences_file.h"
#include "app/program_services.h"
#include "clouds/cloud_layer.h"
#include "clouds/cloud_updater.h"
#include "engine/bitmap_font.h"
#include "engine/display_device.h"
#include "engine/error_name.h"
#include "engine/gl/gl_backend.h"
#include "engine/renderer.h"
#include "platform/display_modes.h"
#include "platform/message_window.h"
#include "platform/window.h"
#include "resources/builtin_resources.h"
#include "scene/cameras.h"
#include "scene/frame_composition.h"
#include "scene/planet_motion.h"
#include "scene/planet_objects.h"
#include "ui/on_screen_messages.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <png.h>
#include <poll.h>
#include <sys/socket.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using namespace gv;

namespace {

// A cloud field of smooth blobs, 0..1, at (x, y) of a picture w x h.
float cloudAt(uint32_t x, uint32_t y, uint32_t w, uint32_t h) {
    const float u = float(x) / float(w) * 6.2832f, v = float(y) / float(h) * 3.1416f;
    return 0.5f + 0.25f * std::sin(3 * u) * std::sin(2 * v) +
           0.25f * std::sin(7 * u + 1.3f) * std::cos(5 * v + 0.4f);
}

// A colour PNG of 16384 x 4095: the field in the cloud colours in blocks of
// 256 x 256, which the encoder packs into a few hundred kilobytes.
std::vector<uint8_t> bigPng() {
    constexpr uint32_t kW = 16384, kH = 4095, kBlock = 256;
    const uint32_t greys[] = {0x102060, 0x4A5963, 0x7B8284, 0xA5A2A5, 0xCECBCE, 0xFFFFFF};
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            v->insert(v->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, kW, kH, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    std::vector<uint8_t> row(size_t(kW) * 3);
    for (uint32_t y = 0; y < kH; ++y) {
        if (y % kBlock == 0)
            for (uint32_t x = 0; x < kW; ++x) {
                const float f = cloudAt(x / kBlock * kBlock, y, kW, kH);
                const uint32_t c = greys[std::min<uint32_t>(5, uint32_t(f * 6))];
                row[x * 3] = uint8_t(c >> 16);
                row[x * 3 + 1] = uint8_t(c >> 8);
                row[x * 3 + 2] = uint8_t(c);
            }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// A greyscale JPEG of 2048 x 1024 (quality 85), as the live maps are.
std::vector<uint8_t> greyJpeg() {
    constexpr uint32_t kW = 2048, kH = 1024;
    std::vector<uint8_t> grey(size_t(kW) * kH);
    for (uint32_t y = 0; y < kH; ++y)
        for (uint32_t x = 0; x < kW; ++x) {
            const float f = cloudAt(x, y, kW, kH) - 0.45f;
            grey[size_t(y) * kW + x] = f <= 0 ? 0 : uint8_t(std::min(255.0f, 60 + f * 700));
        }
    tjhandle tj = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    std::vector<uint8_t> out;
    if (tj && tjCompress2(tj, grey.data(), int(kW), int(kW), int(kH), TJPF_GRAY, &jpeg, &size,
                          TJSAMP_GRAY, 85, TJFLAG_ACCURATEDCT) == 0)
        out.assign(jpeg, jpeg + size);
    tjFree(jpeg);
    if (tj) tjDestroy(tj);
    return out;
}

// Serves one body to every request on a loopback port, as a service that
// keeps its picture at a fixed address does.
class PictureServer {
  public:
    explicit PictureServer(std::string body) : body_(std::move(body)) {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        if (bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(fd_, 4) != 0 ||
            getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &length) != 0)
            return;
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~PictureServer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        close(fd_);
    }
    uint16_t port() const { return port_; }

  private:
    void serve() {
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            const int peer = accept(fd_, nullptr, nullptr);
            if (peer < 0) continue;
            std::string request;
            char buffer[2048];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t n = recv(peer, buffer, sizeof buffer, 0);
                if (n <= 0) break;
                request.append(buffer, size_t(n));
            }
            const std::string head =
                "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body_.size()) + "\r\n\r\n";
            ::send(peer, head.data(), head.size(), MSG_NOSIGNAL);
            ::send(peer, body_.data(), body_.size(), MSG_NOSIGNAL);
            close(peer);
        }
    }

    std::string body_;
    int fd_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int baseline = argc > 1 ? std::atoi(argv[1]) : 300;
    resources::registerBuiltinResources();
    if (!platform::initVideo()) {
        std::fprintf(stderr, "no display\n");
        return 2;
    }
    const platform::Rect screen = platform::primaryScreenRect();
    auto window = platform::Window::create("GeovistaCloudUpdateBench", "cloud update frame bench",
                                           screen, platform::WindowStyle::Popup);
    if (!window) return 2;
    window->show();
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("gv_cloud_update_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    int rc = 0;
    {
        DriverState& d = driver();
        d.programFolder = folder.string() + "/";
        d.display =
            std::make_unique<DisplayDevice>(createGlBackend(*window), platform::enumerateDisplays(),
                                            platform::desktopBitsPerPixel());
        DisplayDevice& device = *d.display;
        if (device.selectDriver(0) != kResultOk || device.selectMode(0, false, false) != kResultOk)
            return 2;
        d.renderer = std::make_unique<Renderer>(device);
        Renderer& r = *d.renderer;
        if (r.create3D(true) != kResultOk) return 2;
        device.setRenderer(&r);
        d.width = int(device.width());
        d.height = int(device.height());
        connectProgramServices();

        resetPreferencesForRun();
        Preferences& prefs = gv::prefs();
        // The user view over the Atlantic, still, with the clouds on.
        prefs.currentCamera = 6;
        prefs.userLatitude = 0.5f;
        prefs.userLongitude = -0.5f;
        prefs.cameraChangingAutomatic = 0;
        prefs.cloudsShown = 1;
        prefs.cloudsFromSatellites = 0; // updates only when the bench asks
        prefs.messageTime = 3600000;

        bindPlanets(r, device, prefs);
        cloudLayer().bind(r, device, prefs, d.programFolder);
        planets().buildCloudLayer = [] { return cloudLayer().build(true); };
        sceneFrameHooks().cloudLayer = [] { return cloudLayer().sphere(); };
        if (!buildEarth() || !buildMoon()) return 2;
        SceneState& state = d.scene;
        updateEarth(state, d.simClock.update(0), prefs);
        bool failedMain = false;
        if (!createCameras(prefs, device.width(), device.height(), state.earthPosition, failedMain))
            return 2;
        d.mainCamera = cameras().main.get();
        auto light = r.createLight();
        d.mainFont = std::make_unique<BitmapFont>(device);
        if (!d.mainFont->loadFont(resources::kMainFontMetrics, resources::kMainFontSheet)) return 2;
        bindOnScreenText(r, *d.mainFont, prefs);
        r.setAmbientLight(0.2f, 0.2f, 0.2f);
        cloudUpdater().reset();

        struct Case {
            const char* name;
            const char* path;
            std::vector<uint8_t> bytes;
        } cases[] = {{"16384 x 4095 colour PNG", "/clouds-big.png", bigPng()},
                     {"2048 x 1024 greyscale JPEG", "/images/2048x1024/clouds.jpg", greyJpeg()}};

        uint32_t counter = 0;
        double pumpMs = 0; // of the last frame: its message, if any, handled
        auto last = std::chrono::steady_clock::now();
        // One frame as the program draws it, its message pump included;
        // its wall time in milliseconds.
        auto frame = [&] {
            const ClockSample& sample = d.simClock.update(0);
            r.beginFrame(*cameras().main, kClearTarget | kClearZBuffer);
            composeScene(state, sample, {16, 16, ++counter}, prefs);
            drawMessage(16);
            r.endFrame();
            device.present();
            const auto pumped = std::chrono::steady_clock::now();
            platform::WindowMessage m;
            if (platform::peekMessage(m)) platform::dispatchToMessageWindow(m);
            const auto now = std::chrono::steady_clock::now();
            pumpMs = std::chrono::duration<double, std::milli>(now - pumped).count();
            const double ms = std::chrono::duration<double, std::milli>(now - last).count();
            last = now;
            return ms;
        };
        for (int i = 0; i < 60; ++i)
            frame();

        std::printf("%dx%d, user view with the cloud layer; load average %s\n", d.width, d.height,
                    loadAverage().c_str());
        for (Case& c : cases) {
            if (c.bytes.empty()) return 2;
            PictureServer server(std::string(c.bytes.begin(), c.bytes.end()));
            const std::string host = "127.0.0.1:" + std::to_string(server.port());
            std::snprintf(prefs.cloudServerHost, sizeof prefs.cloudServerHost, "%s", host.c_str());
            std::snprintf(prefs.cloudImagePath, sizeof prefs.cloudImagePath, "%s", c.path);
            std::vector<double> all, during, at, pumps;
            for (int i = 0; i < baseline; ++i)
                all.push_back(frame());
            const double longestBefore = *std::max_element(all.begin(), all.end());
            const auto start = std::chrono::steady_clock::now();
            const auto sinceStart = [&] {
                return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                                 start)
                    .count();
            };
            if (!cloudUpdater().start()) return 2;
            while (cloudUpdater().downloading()) {
                during.push_back(frame());
                at.push_back(sinceStart());
                pumps.push_back(pumpMs);
                if (std::chrono::steady_clock::now() - start > std::chrono::seconds(120)) return 2;
            }
            const double updateMs =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
            // The frames right after the map was taken count with the update.
            for (int i = 0; i < 10; ++i) {
                during.push_back(frame());
                at.push_back(sinceStart());
                pumps.push_back(pumpMs);
            }
            all.insert(all.end(), during.begin(), during.end());
            const double mid = median(all);
            const double longest = *std::max_element(during.begin(), during.end());
            std::vector<double> sorted = during;
            std::sort(sorted.begin(), sorted.end());
            const double p95 = sorted[sorted.size() * 95 / 100];
            const bool updated = cloudUpdater().state() == CloudUpdateState::Idle;
            std::printf("%s (%zu bytes): %s in %.0f ms over %zu frames; median frame %.1f ms, "
                        "longest during the update %.1f ms (%.2f x the median), 95th percentile "
                        "%.1f ms; load %s\n",
                        c.name, c.bytes.size(), updated ? "updated" : "FAILED", updateMs,
                        during.size() - 10, mid, longest, longest / mid, p95,
                        loadAverage().c_str());
            if (!updated) rc = 1;
            // Where the longest frames fell (milliseconds from the start of
            // the update to their end), with the update's end.
            std::vector<size_t> order(during.size());
            for (size_t i = 0; i < order.size(); ++i)
                order[i] = i;
            std::sort(order.begin(), order.end(),
                      [&](size_t a, size_t b) { return during[a] > during[b]; });
            std::printf("  longest of the %d frames before the update: %.1f ms; longest during it:",
                        baseline, longestBefore);
            for (size_t i = 0; i < std::min<size_t>(5, order.size()); ++i)
                std::printf(" %.1f ms at %.0f ms (%.1f ms of it the message)", during[order[i]],
                            at[order[i]], pumps[order[i]]);
            std::printf("; the longest message %.1f ms",
                        *std::max_element(pumps.begin(), pumps.end()));
            std::printf("; the update ended at %.0f ms\n", updateMs);
        }
        cloudUpdater().release();
        unbindOnScreenText();
        destroyCameras();
        cloudLayer().release();
        releasePlanets();
        light.reset();
        disconnectProgramServices();
        d.mainCamera = nullptr;
        d.mainFont.reset();
        d.renderer.reset();
        d.display.reset();
    }
    window.reset();
    platform::shutdownVideo();
    std::filesystem::remove_all(folder);
    return rc;
}
