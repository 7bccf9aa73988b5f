// Frame-rate benchmark of the globe's planet scene on a real window (run it
// under Xvfb at 1280 x 720): the earth at the given mesh level (default 3,
// "MEDIUM"; 6 is "ULTRA HIGH"), the moon, the sun with its glow, wash and
// seven flares in view, 2048 stars, the camera update, the message and the
// clock, in the frame order of the program.
// Usage: planet_frame_bench [LEVEL [FRAMES [CAPTURE.tga]]].
// Reports frames per second, CPU time per frame and the allocations made by
// the program's own code while frames are drawn.
#include "engine/bitmap_font.h"
#include "engine/display_device.h"
#include "engine/error_name.h"
#include "engine/gl/gl_backend.h"
#include "engine/renderer.h"
#include "engine/tga_image.h"
#include "platform/display_modes.h"
#include "platform/tick_count.h"
#include "platform/window.h"
#include "resources/builtin_resources.h"
#include "scene/cameras.h"
#include "scene/frame_composition.h"
#include "scene/planet_motion.h"
#include "scene/planet_objects.h"
#include "scene/sun_effects.h"
#include "ui/on_screen_messages.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

} // namespace

int main(int argc, char** argv) {
    const int level = argc > 1 ? std::atoi(argv[1]) : 3;
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
        DisplayDevice device(createGlBackend(*window), platform::enumerateDisplays(),
                             platform::desktopBitsPerPixel());
        if (device.selectDriver(0) != kResultOk || device.selectMode(0, false, false) != kResultOk)
            return 2;
        Renderer r(device);
        const uint32_t created = r.create3D(true);
        if (created != kResultOk) {
            std::fprintf(stderr, "create 3D: %s\n", ErrorName(created));
            return 2;
        }
        device.setRenderer(&r);

        // Every effect on; the sun view with the smallest sun keeps the sun,
        // its glow and the flares on the screen.
        Preferences prefs = defaultPreferences();
        prefs.earthMeshResolution = level;
        prefs.otherMeshResolution = level;
        prefs.currentCamera = 4;
        prefs.sunSize = 1;
        prefs.lensFlareSize = 5;
        prefs.cameraChangingAutomatic = 0;
        prefs.showPerformance = 1;
        prefs.messageTime = 3600000;

        const uint32_t t0 = platform::tickCount();
        bindPlanets(r, device, prefs);
        if (!buildEarth() || !buildSun() || !buildLensFlares(r, device, prefs) || !buildMoon())
            return 2;
        SceneState state;
        SimClock clock;
        updateEarth(state, clock.update(0), prefs);
        bool failedMain = false;
        if (!createCameras(prefs, device.width(), device.height(), state.earthPosition, failedMain))
            return 2;
        cameras().post = message;
        auto light = r.createLight();
        BitmapFont font(device);
        if (!font.loadFont(resources::kMainFontMetrics, resources::kMainFontSheet)) return 2;
        buildStarField();
        bindOnScreenText(r, font, prefs);
        r.setAmbientLight(0.05f, 0.05f, 0.05f);
        r.setBilinearFiltering(true);
        std::printf("level %d (%s): earth %zu vertices, %zu faces; set-up %u ms\n", level,
                    meshResolutionName(level), planets().earth->vertices().size(),
                    planets().earth->faces().size(), platform::tickCount() - t0);
        postMessage("CAMERA SELECTED", "Sun view");

        uint32_t last = platform::tickCount(), smoothed = 0, counter = 0;
        auto frame = [&] {
            const uint32_t now = platform::tickCount();
            const uint32_t ms = now - last;
            last = now;
            smoothed = (smoothed + ms) / 2;
            ++counter;
            const ClockSample& sample = clock.update(0);
            r.beginFrame(*cameras().main, kClearTarget | kClearZBuffer);
            composeScene(state, sample, {ms, smoothed, counter}, prefs);
            drawMessage(ms);
            drawPerformance(0, smoothed);
            drawClock();
            r.endFrame();
            device.present();
        };
        for (int n = 0; n < 30; ++n)
            frame(); // warm-up
        const long allocBefore = gAllocations.load();
        const double cpu0 = cpuSeconds();
        const auto wall0 = std::chrono::steady_clock::now();
        for (int n = 0; n < frames; ++n)
            frame();
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
        const double cpu = cpuSeconds() - cpu0;
        const long allocs = gAllocations.load() - allocBefore;
        std::printf("%dx%d, %d frames: %.1f fps, %.2f ms per frame wall, %.2f ms CPU per frame "
                    "(%.0f%% of one core incl. the GL driver's threads), %ld allocations; "
                    "flares drawn %s\n",
                    device.width(), device.height(), frames, frames / wall, wall * 1000.0 / frames,
                    cpu * 1000.0 / frames, cpu / wall * 100.0, allocs,
                    sunEffects().lastFlaresDrawn ? "yes" : "no");
        if (argc > 3 && !captureFrame(device, argv[3])) rc = 1;
        if (allocs != 0) rc = 1;
        unbindOnScreenText();
        destroyCameras();
        releaseSunEffects();
        releasePlanets();
        light.reset();
    }
    window.reset();
    platform::shutdownVideo();
    return rc;
}
