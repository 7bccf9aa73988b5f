// Frame-rate benchmark of the globe's planet scene on a real window (run it
// under Xvfb at 1280 x 720): the earth at the given mesh level (default 3,
// "MEDIUM"; 6 is "ULTRA HIGH"), the moon, the sun with its glow, wash and
// seven flares in view, 2048 stars, the camera update, the user view's
// crosshair, the message, the options overlay (a different entry every
// frame, so that each value text is shown), the performance line, the clock
// and the whole help panel, in the frame order of the program and through
// the program's own services.
// Usage: planet_frame_bench [LEVEL [FRAMES [CAPTURE.tga]]].
// Reports frames per second, CPU time per frame and the allocations made by
// the program's own code while frames are drawn; any allocation fails it.
//
// planet_frame_bench locations [FRAMES [CAPTURE.tga]]: the user view over
// Europe at "MEDIUM" without the overlays, first with no place chosen, then
// with all 1306 built-in places chosen and their labels showing the local
// time, in the same run, with "LOCATIONS LABELS DECLUTTER" off (every label)
// and then on; then the frame time while the locations manager unrolls and
// rolls up the map, against the globe's.
//
// planet_frame_bench earth [FRAMES [CAPTURE.tga]]: the user view over Europe
// at night (20 March 2026, 00:00 UTC) at "MEDIUM" without the overlays, with
// "NIGHT LIGHTS", "TRUE SEASONS" and "ATMOSPHERE" all off, each alone and all
// on, in turns within the same run. The other two modes keep them off (the look
// their figures were measured with).
#include "app/driver.h"
#include "app/preferences_file.h"
#include "app/program_services.h"
#include "engine/bitmap_font.h"
#include "engine/display_device.h"
#include "engine/error_name.h"
#include "engine/gl/gl_backend.h"
#include "engine/renderer.h"
#include "engine/tga_image.h"
#include "locations/location_lists.h"
#include "locations/location_markers.h"
#include "locations/locations_files.h"
#include "locations/locations_manager.h"
#include "platform/display_modes.h"
#include "platform/tick_count.h"
#include "platform/window.h"
#include "resources/builtin_resources.h"
#include "scene/cameras.h"
#include "scene/frame_composition.h"
#include "scene/planet_motion.h"
#include "scene/planet_objects.h"
#include "scene/sun_effects.h"
#include "scene/user_crosshair.h"
#include "ui/help_overlay.h"
#include "ui/on_screen_messages.h"
#include "ui/options_overlay.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>

namespace {
std::atomic<long> gAllocations{0};
}

void* operator new(std::size_t n) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

using namespace gv;

namespace {

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

void message(uint32_t ms, const char* title, const char* subtitle) {
    postMessage(ms, title, "%s", subtitle);
}

struct Measured {
    double fps = 0, wallMs = 0, cpuMs = 0;
    long allocations = 0;
    int frames = 0;
};

} // namespace

int main(int argc, char** argv) {
    const bool places = argc > 1 && std::strcmp(argv[1], "locations") == 0;
    const bool earth = argc > 1 && std::strcmp(argv[1], "earth") == 0;
    const bool overEurope = places || earth;
    const int level = overEurope ? 3 : argc > 1 ? std::atoi(argv[1]) : 3;
    const int frames = argc > 2 ? std::atoi(argv[2]) : 600;
    resources::registerBuiltinResources();
    if (!platform::initVideo()) {
        std::fprintf(stderr, "no display\n");
        return 2;
    }
    const platform::Rect screen = platform::primaryScreenRect();
    auto window = platform::Window::create("GeovistaPlanetBench", "planet frame bench", screen,
                                           platform::WindowStyle::Popup);
    if (!window) return 2;
    window->show();
    int rc = 0;
    {
        // The program's objects, where its services look for them.
        DriverState& d = driver();
        d.display =
            std::make_unique<DisplayDevice>(createGlBackend(*window), platform::enumerateDisplays(),
                                            platform::desktopBitsPerPixel());
        DisplayDevice& device = *d.display;
        if (device.selectDriver(0) != kResultOk || device.selectMode(0, false, false) != kResultOk)
            return 2;
        d.renderer = std::make_unique<Renderer>(device);
        Renderer& r = *d.renderer;
        const uint32_t created = r.create3D(true);
        if (created != kResultOk) {
            std::fprintf(stderr, "create 3D: %s\n", ErrorName(created));
            return 2;
        }
        device.setRenderer(&r);
        d.width = int(device.width());
        d.height = int(device.height());
        connectProgramServices();

        resetPreferencesForRun();
        Preferences& prefs = gv::prefs();
        prefs.earthMeshResolution = level;
        prefs.otherMeshResolution = level;
        prefs.cameraChangingAutomatic = 0;
        prefs.showPerformance = 1;
        prefs.messageTime = 3600000;
        prefs.optionFlags = 0;
        if (overEurope) {
            // The user view 500 units over 50 N, 10 E, following the earth.
            prefs.currentCamera = 6;
            prefs.userLatitude = 0.8727f;
            prefs.userLongitude = 0.1745f;
            prefs.labelsShowTime = 1;
        } else {
            // Every effect on; the sun view with the smallest sun keeps the
            // sun, its glow and the flares on the screen.
            prefs.currentCamera = 4;
            prefs.sunSize = 1;
            prefs.lensFlareSize = 5;
        }

        const uint32_t t0 = platform::tickCount();
        bindPlanets(r, device, prefs);
        if (!buildEarth() || !buildSun() || !buildLensFlares(r, device, prefs) || !buildMoon())
            return 2;
        SceneState& state = d.scene;
        SimClock& clock = d.simClock;
        updateEarth(state, clock.update(0), prefs);
        bool failedMain = false;
        if (!createCameras(prefs, device.width(), device.height(), state.earthPosition, failedMain))
            return 2;
        cameras().post = message;
        d.mainCamera = cameras().main.get();
        auto light = r.createLight();
        d.mainFont = std::make_unique<BitmapFont>(device);
        d.hintFont = std::make_unique<BitmapFont>(device);
        if (!d.mainFont->loadFont(resources::kMainFontMetrics, resources::kMainFontSheet) ||
            !d.hintFont->loadFont(135, 134))
            return 2;
        buildStarField();
        bindOnScreenText(r, *d.mainFont, prefs);
        r.setAmbientLight(0.05f, 0.05f, 0.05f);
        r.setBilinearFiltering(true);

        std::unique_ptr<Mesh> marker;
        if (places) {
            // The places through the program's own services and frame hooks.
            marker = buildCityMarker(r);
            bindLocations({&r, d.mainFont.get(), d.hintFont.get(), marker.get(), &prefs});
            // No folder: the built-in database.
            if (!marker || !initLocations("/nonexistent-geovista-folder/", false, device.width(),
                                          device.height()))
                return 2;
        } else {
            // The help panel at rest with all its rows.
            resetHelpForRun();
            helpLayout();
            HelpPanel& help = helpPanel();
            help.placed = help.shown = true;
            help.panelX = help.restX;
            help.panelY = help.restY;
            help.visibleRows = kHelpRowCount;
        }
        std::printf("level %d (%s): earth %zu vertices, %zu faces; set-up %u ms\n", level,
                    meshResolutionName(level), planets().earth->vertices().size(),
                    planets().earth->faces().size(), platform::tickCount() - t0);
        postMessage("CAMERA SELECTED", overEurope ? "User view" : "Sun view");
        // Night over Europe for the earth's options: 2026-03-20 00:00 UTC.
        constexpr std::time_t kEuropeanNight = 1773964800;

        uint32_t last = platform::tickCount(), smoothed = 0, counter = 0;
        auto frame = [&] {
            const uint32_t now = platform::tickCount();
            const uint32_t ms = now - last;
            last = now;
            smoothed = (smoothed + ms) / 2;
            ++counter;
            const ClockSample& sample = earth ? clock.updateAt(kEuropeanNight, 0) : clock.update(0);
            d.clock.frameMs = ms;
            r.beginFrame(*cameras().main, kClearTarget | kClearZBuffer);
            composeScene(state, sample, {ms, smoothed, counter}, prefs);
            drawUserCrosshair(r, state.earthPosition, 0.7f, 1.2f);
            drawMessage(ms);
            if (!overEurope) {
                prefs.optionsSelection = int32_t(counter % kOptionCount);
                drawOptions();
            }
            drawPerformance(0, smoothed);
            drawClock();
            if (!overEurope) drawHelp(smoothed);
            r.endFrame();
            device.present();
        };
        // Frames while the condition holds (at most limit of them).
        auto measure = [&](int limit, auto&& more) {
            Measured m;
            const long allocBefore = gAllocations.load();
            const double cpu0 = cpuSeconds();
            const auto wall0 = std::chrono::steady_clock::now();
            for (; m.frames < limit && more(); ++m.frames)
                frame();
            const double wall =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
            m.cpuMs = (cpuSeconds() - cpu0) * 1000.0 / m.frames;
            m.allocations = gAllocations.load() - allocBefore;
            m.fps = m.frames / wall;
            m.wallMs = wall * 1000.0 / m.frames;
            return m;
        };
        auto always = [] { return true; };
        for (int n = 0; n < 30; ++n)
            frame(); // warm-up

        if (earth) {
            // All off, each alone and all on, in turns, so that a change in
            // the machine's load falls on each alike.
            struct Case {
                uint16_t flags;
                const char* name;
                Measured sum;
            };
            Case cases[] = {{0, "all off", {}},
                            {uint16_t(OptionFlag::NightLights), "night lights", {}},
                            {uint16_t(OptionFlag::TrueSeasons), "true seasons", {}},
                            {uint16_t(OptionFlag::Atmosphere), "atmosphere", {}},
                            {kDefaultOptionFlags, "all on", {}}};
            constexpr int kTurns = 4;
            for (int turn = 0; turn < kTurns; ++turn)
                for (Case& c : cases) {
                    prefs.optionFlags = c.flags;
                    for (int n = 0; n < 10; ++n)
                        frame(); // the switch settles (the earth moves on its orbit)
                    const Measured m = measure(std::max(frames / kTurns, 1), always);
                    c.sum.wallMs += m.wallMs * m.frames;
                    c.sum.cpuMs += m.cpuMs * m.frames;
                    c.sum.allocations += m.allocations;
                    c.sum.frames += m.frames;
                }
            const double offMs = cases[0].sum.wallMs / cases[0].sum.frames;
            std::printf("%dx%d, user view over Europe at night, %d frames each:\n", device.width(),
                        device.height(), cases[0].sum.frames);
            for (const Case& c : cases) {
                const double ms = c.sum.wallMs / c.sum.frames;
                std::printf("  %-13s %5.1f fps, %6.2f ms per frame, %6.2f ms CPU, %ld allocations "
                            "(%.0f %% of the frame rate with all off)\n",
                            c.name, 1000.0 / ms, ms, c.sum.cpuMs / c.sum.frames, c.sum.allocations,
                            offMs / ms * 100.0);
                if (c.sum.allocations != 0) rc = 1;
            }
            if (argc > 3 && !captureFrame(device, argv[3])) rc = 1;
        } else if (!places) {
            const Measured m = measure(frames, always);
            std::printf("%dx%d, %d frames: %.1f fps, %.2f ms per frame wall, %.2f ms CPU per frame "
                        "(%.0f%% of one core incl. the GL driver's threads), %ld allocations; "
                        "flares drawn %s\n",
                        device.width(), device.height(), frames, m.fps, m.wallMs, m.cpuMs,
                        m.cpuMs / m.wallMs * 100.0, m.allocations,
                        sunEffects().lastFlaresDrawn ? "yes" : "no");
            if (m.allocations != 0) rc = 1;
        } else {
            const Measured none = measure(frames, always);
            const uint32_t count = uint32_t(locations().places.size());
            for (uint32_t i = 0; i < count; ++i)
                selectPlace(i);
            for (int n = 0; n < 30; ++n)
                frame();
            const Measured all = measure(frames, always);
            prefs.optionFlags = withOption(prefs.optionFlags, OptionFlag::LabelsDeclutter, true);
            for (int n = 0; n < 30; ++n)
                frame();
            const Measured sparse = measure(frames, always);
            prefs.optionFlags = withOption(prefs.optionFlags, OptionFlag::LabelsDeclutter, false);
            std::printf("%dx%d, user view over Europe, %d frames each:\n"
                        "  no place chosen:        %.1f fps, %.2f ms per frame, %.2f ms CPU, "
                        "%ld allocations\n"
                        "  all %u places, times:  %.1f fps, %.2f ms per frame, %.2f ms CPU, "
                        "%ld allocations (%.0f %% of the frame rate without places)\n"
                        "  the same, decluttered:  %.1f fps, %.2f ms per frame, %.2f ms CPU, "
                        "%ld allocations (%.0f %%)\n",
                        device.width(), device.height(), frames, none.fps, none.wallMs, none.cpuMs,
                        none.allocations, unsigned(selectedIndices().size()), all.fps, all.wallMs,
                        all.cpuMs, all.allocations, all.fps / none.fps * 100.0, sparse.fps,
                        sparse.wallMs, sparse.cpuMs, sparse.allocations,
                        sparse.fps / none.fps * 100.0);
            if (all.allocations != 0 || none.allocations != 0 || sparse.allocations != 0) rc = 1;
            if (argc > 3 && !captureFrame(device, argv[3])) rc = 1;

            // The manager unrolling, open with its lists, and rolling up the
            // map, three times after one round that lets the GL driver build
            // its shaders for the map, against the globe's frames with every
            // place chosen.
            Measured opening, shown, closing;
            auto add = [](Measured& sum, const Measured& m) {
                sum.wallMs += m.wallMs * m.frames;
                sum.cpuMs += m.cpuMs * m.frames;
                sum.allocations += m.allocations;
                sum.frames += m.frames;
            };
            for (int round = 0; round < 4; ++round) {
                // The glide back to the user view ends before the next F4.
                for (int n = 0; n < 10000 && cameras().transitionRunning(); ++n)
                    frame();
                if (!openManager()) return 2;
                const Measured o = measure(100000, [] { return locationsManager().opening; });
                const Measured l = measure(std::min(frames, 60), always);
                closeManager();
                const Measured c = measure(100000, [] { return locationsManager().closing; });
                if (round == 0) continue;
                add(opening, o);
                add(shown, l);
                add(closing, c);
            }
            const auto perFrame = [](const Measured& m) {
                return Measured{0, m.wallMs / m.frames, m.cpuMs / m.frames, m.allocations,
                                m.frames};
            };
            const Measured o = perFrame(opening), l = perFrame(shown), c = perFrame(closing);
            std::printf("  manager unrolling:      %.2f ms per frame (%.2f ms CPU) over %d frames, "
                        "%ld allocations\n"
                        "  manager open (lists):   %.2f ms per frame (%.2f ms CPU) over %d frames, "
                        "%ld allocations\n"
                        "  manager rolling up:     %.2f ms per frame (%.2f ms CPU) over %d frames, "
                        "%ld allocations\n"
                        "  (the globe alone:       %.2f ms per frame; with every place: %.2f ms)\n",
                        o.wallMs, o.cpuMs, o.frames, o.allocations, l.wallMs, l.cpuMs, l.frames,
                        l.allocations, c.wallMs, c.cpuMs, c.frames, c.allocations, none.wallMs,
                        all.wallMs);
            if (o.allocations != 0 || l.allocations != 0 || c.allocations != 0) rc = 1;
        }
        if (!overEurope && argc > 3 && !captureFrame(device, argv[3])) rc = 1;
        if (places) {
            resetLocationsForRun();
            bindLocations({});
            marker.reset();
        }
        unbindOnScreenText();
        destroyCameras();
        releaseSunEffects();
        releasePlanets();
        light.reset();
        disconnectProgramServices();
        d.mainCamera = nullptr;
        d.mainFont.reset();
        d.hintFont.reset();
        d.renderer.reset();
        d.display.reset();
    }
    window.reset();
    platform::shutdownVideo();
    return rc;
}
