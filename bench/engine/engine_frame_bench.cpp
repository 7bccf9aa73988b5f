// Frame-rate benchmark of the engine on a real window (run it under Xvfb at
// 1280 x 720): a 2744-vertex textured sphere in 8 material runs, a translucent
// 131-radius sphere over it, 2048 points and 200 glyphs of text per frame.
// Usage: engine_frame_bench [FRAMES [CAPTURE.tga]].
// Reports frames per second, CPU time per frame and the allocations made by
// the program's own code while frames are drawn (the GL driver's own memory
// is not counted).
#include "engine/bitmap_font.h"
#include "engine/display_device.h"
#include "engine/error_name.h"
#include "engine/gl/gl_backend.h"
#include "engine/mesh.h"
#include "engine/renderer.h"
#include "engine/texture.h"
#include "engine/tga_image.h"
#include "platform/display_modes.h"
#include "platform/window.h"
#include "resources/builtin_resources.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <new>
#include <string>
#include <vector>

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

constexpr int kStacks = 48, kSlices = 55; // 49 x 56 = 2744 vertices

void buildSphere(Mesh& mesh, float radius, uint32_t firstMaterial) {
    const float pi = 3.14159265f;
    for (int i = 0; i <= kStacks; ++i) {
        const float lat = pi * (float(i) / kStacks - 0.5f);
        for (int j = 0; j <= kSlices; ++j) {
            const float lon = 2.0f * pi * float(j) / kSlices;
            const float x = std::cos(lat) * std::cos(lon), y = std::sin(lat),
                        z = std::cos(lat) * std::sin(lon);
            mesh.appendVertex({x * radius, y * radius, z * radius, x, y, z,
                               float(j) / kSlices * 4.0f, 1.0f - float(i) / kStacks * 2.0f});
        }
    }
    for (int i = 0; i < kStacks; ++i)
        for (int j = 0; j < kSlices; ++j) {
            const uint32_t a = uint32_t(i * (kSlices + 1) + j), b = a + 1,
                           c = a + uint32_t(kSlices + 1), d = c + 1;
            // Eight patches: four longitude quarters in each hemisphere.
            const int material = int(firstMaterial) + (j * 4 / kSlices) + (i * 2 / kStacks) * 4;
            MeshFace f1, f2;
            f1.a = a;
            f1.b = c;
            f1.c = b;
            f2.a = b;
            f2.b = c;
            f2.c = d;
            f1.material = f2.material = material;
            mesh.appendFace(f1);
            mesh.appendFace(f2);
        }
}

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::atoi(argv[1]) : 600;
    resources::registerBuiltinResources();
    if (!platform::initVideo()) {
        std::fprintf(stderr, "no display\n");
        return 2;
    }
    const platform::Rect screen = platform::primaryScreenRect();
    auto window = platform::Window::create("GeovistaEngineBench", "engine frame bench", screen,
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
        r.setAmbientLight(0.2f, 0.2f, 0.2f);

        // Eight 256 x 256 earth tiles at 16 bits, eight 32-bit cloud tiles.
        std::vector<uint8_t> px(256 * 256 * 4);
        std::vector<std::unique_ptr<Texture>> textures;
        for (int t = 0; t < 16; ++t) {
            for (size_t i = 0; i < 256 * 256; ++i) {
                px[i * 4 + 0] = uint8_t(i * 7 + size_t(t) * 31);
                px[i * 4 + 1] = uint8_t(i / 256);
                px[i * 4 + 2] = uint8_t(i % 256);
                px[i * 4 + 3] = uint8_t((i * 13) % 256);
            }
            auto tex = std::make_unique<Texture>(device);
            const bool cloud = t >= 8;
            tex->createFromPixels(256, 256, cloud ? 32 : 16, cloud ? 8 : 0, px.data());
            textures.push_back(std::move(tex));
        }
        const uint32_t earthFirst = uint32_t(r.materialCount());
        for (int m = 0; m < 8; ++m) {
            Material& mat = r.material(r.createMaterial());
            mat.setTexture(textures[size_t(m)].get());
        }
        const uint32_t cloudFirst = uint32_t(r.materialCount());
        for (int m = 0; m < 8; ++m) {
            Material& mat = r.material(r.createMaterial());
            mat.setTexture(textures[size_t(8 + m)].get());
            mat.setDiffuse(1, 1, 1, 0.9f);
            mat.setBlendMode(MaterialBlendMode::CombinedAlpha);
        }
        Mesh earth(r), clouds(r);
        buildSphere(earth, 130.0f, earthFirst);
        buildSphere(clouds, 131.0f, cloudFirst);
        if (!earth.finalize() || !clouds.finalize()) return 2;
        std::printf("sphere: %zu vertices, %zu faces, %zu runs\n", earth.vertices().size(),
                    earth.faces().size(), earth.runLengths().size());

        auto light = r.createLight();
        light->setPosition(-2000.0f, 500.0f, -1000.0f);

        std::vector<LitVertex> stars(2048);
        srand(1);
        for (LitVertex& s : stars) {
            const float a = float(rand()) / float(RAND_MAX) * 6.2831853f,
                        b = (float(rand()) / float(RAND_MAX) - 0.5f) * 3.1415926f;
            s = {std::cos(b) * std::cos(a) * 600.0f,
                 std::sin(b) * 600.0f,
                 std::cos(b) * std::sin(a) * 600.0f,
                 0,
                 0xFFFFFFFFu,
                 0,
                 0,
                 0};
        }

        BitmapFont font(device);
        if (!font.loadFont(resources::kMainFontMetrics, resources::kMainFontSheet)) {
            std::fprintf(stderr, "main font did not load\n");
            return 2;
        }
        // 200 printable glyphs over four lines.
        std::string text;
        for (int i = 0; i < 200; ++i) {
            text += char('A' + i % 26);
            if (i % 50 == 49 && i != 199) text += '\n';
        }

        Camera camera(0.97f, device.width(), device.height());
        camera.setFar(3500.0f);
        camera.setPosition({0.0f, 0.0f, -400.0f});
        camera.lookAt({0.0f, 0.0f, 0.0f});

        auto frame = [&](int n) {
            r.beginFrame(camera, kClearTarget | kClearZBuffer);
            earth.resetTransform();
            earth.rotate(0.0f, float(n) * 0.01f, 0.0f);
            earth.draw();
            clouds.resetTransform();
            clouds.rotate(0.0f, float(n) * 0.012f, 0.0f);
            clouds.draw();
            r.setWorldMatrix(Matrix4::identity());
            r.bindTexture(nullptr);
            r.drawPoints(stars.data(), uint32_t(stars.size()));
            r.drawText(font, 10.0f, 10.0f, 0.001f, 0xFFFFFFFFu, 1.0f, 1.0f, "%s", text.c_str());
            r.endFrame();
            device.present();
        };
        for (int n = 0; n < 30; ++n)
            frame(n); // warm-up
        const long allocBefore = gAllocations.load();
        const double cpu0 = cpuSeconds();
        const auto wall0 = std::chrono::steady_clock::now();
        for (int n = 0; n < frames; ++n)
            frame(n);
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
        const double cpu = cpuSeconds() - cpu0;
        const long allocs = gAllocations.load() - allocBefore;
        std::printf("%dx%d, %d frames: %.1f fps, %.2f ms per frame wall, %.2f ms CPU per frame "
                    "(%.0f%% of one core incl. the GL driver's threads), %ld allocations\n",
                    device.width(), device.height(), frames, frames / wall, wall * 1000.0 / frames,
                    cpu * 1000.0 / frames, cpu / wall * 100.0, allocs);
        // An optional path keeps the last frame for a look.
        if (argc > 2 && !captureFrame(device, argv[2])) rc = 1;
        if (allocs != 0) rc = 1;
    }
    window.reset();
    platform::shutdownVideo();
    return rc;
}
