// Cost of the per-frame astronomy: the moon series runs on its recalculation
// interval, or every frame while the clock is being advanced.
#include <benchmark/benchmark.h>

#include <array>
#include <ctime>

#include "scene/astronomy/moon.h"
#include "scene/planet_motion.h"
#include "scene/sim_clock.h"

namespace {

// Samples 50 simulated minutes apart, as with extra time advancing at 60 s a
// frame; prepared outside the timed loop so only the astronomy is measured.
const std::array<gv::ClockSample, 64>& samples() {
    static const std::array<gv::ClockSample, 64> all = [] {
        std::array<gv::ClockSample, 64> s{};
        for (std::size_t i = 0; i < s.size(); ++i)
            s[i] = gv::sampleClock(1765000000, static_cast<int32_t>(i) * 3000);
        return s;
    }();
    return all;
}

void BM_MoonEquatorial(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(gv::moonEquatorial(samples()[i++ & 63].utc));
    }
}
BENCHMARK(BM_MoonEquatorial);

void BM_UpdateEarth(benchmark::State& state) {
    gv::SceneState scene;
    std::size_t i = 0;
    for (auto _ : state) {
        gv::updateEarth(scene, samples()[i++ & 63], 700);
        benchmark::DoNotOptimize(scene.earthYaw);
    }
}
BENCHMARK(BM_UpdateEarth);

// The whole moon step when it recalculates: series, sun and placement.
void BM_UpdateMoonRecalculating(benchmark::State& state) {
    gv::SceneState scene;
    gv::updateEarth(scene, samples()[0], 700);
    std::size_t i = 0;
    for (auto _ : state) {
        gv::updateMoon(scene, samples()[i++ & 63], 16, 1, 10000, 60);
        benchmark::DoNotOptimize(scene.moonPosition);
    }
}
BENCHMARK(BM_UpdateMoonRecalculating);

// One frame's clock sample (calendar splitting and mktime included).
void BM_SimClockSample(benchmark::State& state) {
    gv::SimClock clock;
    int32_t extra = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(clock.update(extra));
        extra += 60;
    }
}
BENCHMARK(BM_SimClockSample);

} // namespace
