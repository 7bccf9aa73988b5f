// The cloud layer's rebuild from a 2048 x 1024 satellite picture, GIF, BMP
// or greyscale JPEG: decoding, the stretch to 1024 x 512 with the
// classification, the smoothing, the cache write, the eight tile uploads,
// and the whole rebuild from the picture file as a start without a cache
// runs it. (A cloud update makes its map on a helper thread and leaves only
// the uploads to the frame loop: cloud_update_frame_bench.)
#include "clouds/cloud_cache.h"
#include "clouds/cloud_layer.h"
#include "engine/display_device.h"
#include "engine/gl/gl_backend.h"
#include "engine/recording_backend.h"
#include "engine/renderer.h"
#include "imaging/image_loader.h"
#include "platform/display_modes.h"
#include "platform/window.h"

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace gv;

namespace {

constexpr uint32_t kW = 2048, kH = 1024;

// A cloud field: smooth noise at several scales, top row first.
std::vector<float> cloudField() {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<float> field(size_t(kW) * kH, 0.0f);
    for (uint32_t cells : {8u, 16u, 32u, 64u, 128u}) {
        const uint32_t gw = cells + 1, gh = cells / 2 + 1;
        std::vector<float> grid(size_t(gw) * gh);
        for (float& g : grid)
            g = unit(rng);
        const float weight = 8.0f / float(cells);
        for (uint32_t y = 0; y < kH; ++y)
            for (uint32_t x = 0; x < kW; ++x) {
                const float gx = float(x) * float(cells) / kW, gy = float(y) * float(gh - 1) / kH;
                const uint32_t ix = uint32_t(gx), iy = uint32_t(gy);
                const float fx = gx - float(ix), fy = gy - float(iy);
                auto g = [&](uint32_t a, uint32_t b) { return grid[size_t(b) * gw + a]; };
                const float top = g(ix, iy) * (1 - fx) + g(ix + 1, iy) * fx;
                const float bottom = g(ix, iy + 1) * (1 - fx) + g(ix + 1, iy + 1) * fx;
                field[size_t(y) * kW + x] += weight * (top * (1 - fy) + bottom * fy);
            }
    }
    return field;
}

// The field quantised into the 20 cloud greys (indices 1..19) over sea
// (index 0).
std::vector<uint8_t> cloudIndices(const std::vector<float>& field) {
    std::vector<uint8_t> out(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        const float v = field[i] / 2.0f - 0.6f;
        out[i] = v <= 0 ? 0 : uint8_t(std::min(19.0f, 1.0f + v * 60.0f));
    }
    return out;
}

// The same field as brightness, as a live cloud map gives it: black sea,
// clouds from dark grey to white.
std::vector<uint8_t> cloudBrightness(const std::vector<float>& field) {
    std::vector<uint8_t> out(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        const float v = field[i] / 2.0f - 0.6f;
        out[i] = v <= 0 ? 0 : uint8_t(std::min(255.0f, 60.0f + v * 800.0f));
    }
    return out;
}

// A single-channel JPEG of the brightness (quality 85), through the same
// library the loader reads it with.
std::vector<uint8_t> greyJpegFile(const std::vector<uint8_t>& grey) {
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

const uint32_t kPalette[20] = {0x102060, 0x4A5963, 0x52616B, 0x5A656B, 0x636D73, 0x73797B, 0x7B8284,
                               0x84868C, 0x9C9A9C, 0xA5A2A5, 0xB5B2B5, 0xBDBABD, 0xC6C3C6, 0xCECBCE,
                               0xD6D3D6, 0xDEDBDE, 0xE7E3E7, 0xEFEFEF, 0xF7F7F7, 0xFFFFFF};

void put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// A 24-bit Windows bitmap of the field.
std::vector<uint8_t> bmpFile(const std::vector<uint8_t>& idx) {
    std::vector<uint8_t> b = {'B', 'M'};
    const uint32_t stride = kW * 3, size = 54 + stride * kH;
    put32(b, size);
    put32(b, 0);
    put32(b, 54);
    for (uint32_t v : {40u, kW, kH})
        put32(b, v);
    put16(b, 1);
    put16(b, 24);
    for (uint32_t v : {0u, stride * kH, 2835u, 2835u, 0u, 0u})
        put32(b, v);
    for (uint32_t row = 0; row < kH; ++row)
        for (uint32_t x = 0; x < kW; ++x) {
            const uint32_t c = kPalette[idx[size_t(kH - 1 - row) * kW + x]];
            b.insert(b.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
        }
    return b;
}

// An 8-bit GIF of the field: 256-entry table, LZW with a clear code
// whenever the table fills.
std::vector<uint8_t> gifFile(const std::vector<uint8_t>& idx) {
    std::vector<uint8_t> b = {'G', 'I', 'F', '8', '9', 'a'};
    put16(b, kW);
    put16(b, kH);
    b.insert(b.end(), {0xF7, 0, 0});
    for (uint32_t i = 0; i < 256; ++i) {
        const uint32_t c = i < 20 ? kPalette[i] : 0;
        b.insert(b.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    }
    b.push_back(',');
    for (uint32_t v : {0u, 0u, kW, kH})
        put16(b, v);
    b.push_back(0);
    b.push_back(8);
    std::vector<uint8_t> data;
    uint32_t bits = 0, count = 0, size = 9;
    auto emit = [&](uint32_t code) {
        bits |= code << count;
        count += size;
        while (count >= 8) {
            data.push_back(uint8_t(bits));
            bits >>= 8;
            count -= 8;
        }
    };
    std::vector<uint16_t> table(4096 * 256, 0);
    uint32_t next = 258;
    emit(256);
    uint32_t w = idx[0];
    for (size_t i = 1; i < idx.size(); ++i) {
        const uint8_t k = idx[i];
        const uint16_t found = table[size_t(w) * 256 + k];
        if (found) {
            w = found;
            continue;
        }
        emit(w);
        if (next < 4096) {
            table[size_t(w) * 256 + k] = uint16_t(next++);
            if (next > (1u << size) && size < 12) ++size;
        } else {
            emit(256);
            std::fill(table.begin(), table.end(), 0);
            next = 258;
            size = 9;
        }
        w = k;
    }
    emit(w);
    emit(257);
    if (count) data.push_back(uint8_t(bits));
    for (size_t i = 0; i < data.size(); i += 255) {
        const size_t n = std::min<size_t>(255, data.size() - i);
        b.push_back(uint8_t(n));
        b.insert(b.end(), data.begin() + long(i), data.begin() + long(i + n));
    }
    b.push_back(0);
    b.push_back(';');
    return b;
}

struct Setup {
    std::filesystem::path folder;
    std::unique_ptr<platform::Window> window;
    std::unique_ptr<DisplayDevice> device;
    std::unique_ptr<Renderer> renderer;
    Preferences prefs = defaultPreferences();
    CloudLayer layer;
    std::vector<uint8_t> gif, bmp, jpeg;
    bool gl = false;
};
Setup* gSetup = nullptr;

std::string file(const char* name) {
    return (gSetup->folder / name).string();
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Format 0 GIF, 1 BMP, 2 greyscale JPEG.
const std::vector<uint8_t>& picture(int format) {
    return format == 0 ? gSetup->gif : format == 1 ? gSetup->bmp : gSetup->jpeg;
}
const char* formatName(int format) {
    return format == 0 ? "GIF" : format == 1 ? "BMP" : "greyscale JPEG";
}

void BM_Decode(benchmark::State& state) {
    const auto& bytes = picture(int(state.range(0)));
    for (auto _ : state) {
        ImageLoader loader;
        if (!loader.loadBytes(bytes)) state.SkipWithError("not decoded");
        benchmark::DoNotOptimize(loader.picture().data());
    }
    state.SetLabel(formatName(int(state.range(0))));
}

void BM_StretchAndClassify(benchmark::State& state) {
    ImageLoader loader;
    loader.loadBytes(picture(int(state.range(0))));
    const CloudColours colours(gSetup->prefs.cloudColours);
    CloudMap map;
    for (auto _ : state)
        stretchCloudPicture(loader.picture(), loader.channels(), colours, map);
    state.SetLabel(formatName(int(state.range(0))));
}

void BM_Smooth(benchmark::State& state) {
    ImageLoader loader;
    loader.loadBytes(gSetup->gif);
    const CloudColours colours(gSetup->prefs.cloudColours);
    CloudMap stretched, map;
    stretchCloudPicture(loader.picture(), loader.channels(), colours, stretched);
    for (auto _ : state) {
        state.PauseTiming();
        map = stretched;
        state.ResumeTiming();
        smoothCloudMap(map, kCloudMapWidth, kCloudMapHeight);
    }
}

void BM_CacheWrite(benchmark::State& state) {
    const CloudMap map = gSetup->layer.map();
    for (auto _ : state)
        if (!writeCloudCache(file("clouds.tga"), map)) state.SkipWithError("not written");
}

void BM_CacheRead(benchmark::State& state) {
    CloudMap map;
    for (auto _ : state)
        if (!readCloudCache(file("clouds.tga"), map)) state.SkipWithError("not read");
}

void BM_UploadTiles(benchmark::State& state) {
    for (auto _ : state)
        if (!gSetup->layer.uploadTiles(false)) state.SkipWithError("not uploaded");
    state.SetLabel(gSetup->gl ? "OpenGL" : "recording backend");
}

// The whole rebuild: clouds.sat read, decoded, stretched, filtered,
// uploaded into the existing textures and cached.
void BM_WholeRefresh(benchmark::State& state) {
    writeFile(file("clouds.sat"), picture(int(state.range(0))));
    for (auto _ : state)
        if (!gSetup->layer.build(false)) state.SkipWithError("not rebuilt");
    state.SetLabel(formatName(int(state.range(0))));
}

BENCHMARK(BM_Decode)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StretchAndClassify)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Smooth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CacheWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CacheRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UploadTiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeRefresh)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Setup setup;
    gSetup = &setup;
    setup.folder = std::filesystem::temp_directory_path() / "gv_cloud_bench";
    std::filesystem::create_directories(setup.folder);
    const std::vector<float> field = cloudField();
    const std::vector<uint8_t> idx = cloudIndices(field);
    setup.gif = gifFile(idx);
    setup.bmp = bmpFile(idx);
    setup.jpeg = greyJpegFile(cloudBrightness(field));
    if (setup.jpeg.empty()) return 2;
    std::printf("satellite pictures %u x %u: GIF %zu bytes, BMP %zu bytes, greyscale JPEG %zu "
                "bytes\n",
                kW, kH, setup.gif.size(), setup.bmp.size(), setup.jpeg.size());

    std::vector<platform::DisplayInfo> displays;
    if (platform::initVideo()) {
        setup.window = platform::Window::create("GeovistaCloudBench", "cloud rebuild bench",
                                                {0, 0, 320, 240}, platform::WindowStyle::Popup);
        if (setup.window) {
            setup.window->show();
            setup.device = std::make_unique<DisplayDevice>(createGlBackend(*setup.window),
                                                           platform::enumerateDisplays(),
                                                           platform::desktopBitsPerPixel());
            setup.gl = true;
        }
    }
    if (!setup.device) {
        platform::DisplayInfo info;
        info.modes = {{320, 240, 32, 0}};
        setup.device = std::make_unique<DisplayDevice>(std::make_unique<RecordingBackend>(),
                                                       std::vector{info}, 32);
    }
    if (setup.device->selectDriver(0) != 0 || setup.device->selectMode(0, false, false) != 0)
        return 2;
    setup.renderer = std::make_unique<Renderer>(*setup.device);
    if (setup.renderer->create3D(true) != 0) return 2;
    std::printf("tiles uploaded through %s\n", setup.gl ? "OpenGL" : "the recording backend");

    writeFile(file("clouds.sat"), setup.gif);
    setup.layer.bind(*setup.renderer, *setup.device, setup.prefs, setup.folder.string() + "/");
    if (!setup.layer.build(false)) return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    setup.layer.release();
    setup.renderer.reset();
    setup.device.reset();
    setup.window.reset();
    std::filesystem::remove_all(setup.folder);
    return 0;
}
