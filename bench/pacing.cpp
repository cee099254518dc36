// Frame pacing of the main loop's cap: frame intervals at a cap of 240 in a playing round
// (timer plus spin) and in the menus (timer only). Each frame swaps a near-empty window
// when an X server is there (run under xvfb-run), so the numbers include a real present.
// Counters: median interval, its error against 1/cap, and the 99th percentile of the
// absolute deviation from 1/cap (jitter).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "app/frame_pacing.h"
#include "core/app.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/pacing.h"
#include "platform/window.h"

namespace {

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = static_cast<size_t>(std::lround(p * static_cast<double>(v.size() - 1)));
    return v[std::min(i, v.size() - 1)];
}

void runPacing(benchmark::State& state, int32_t screen, int32_t cap) {
    App app;
    app.screen = screen;
    app.roundPhase = RoundPlaying;
    app.fpsCap = cap;
    app.vsync = false;
    void* window = std::getenv("DISPLAY") ? plat::createGlWindow("pacing", 640, 360, nullptr) : nullptr;
    if (window) {
        plat::glSetSwapInterval(0);
        plat::showAndFocus(window);
    }
    const FrameCap plan = frameCapFor(app);
    const int64_t freq = plat::counterFrequency();
    const bool timer = plat::frameTimerAvailable();
    const int frames = static_cast<int>(state.range(0));
    std::vector<plat::Event> events;
    std::vector<double> intervals;
    for (auto _ : state) {
        intervals.clear();
        intervals.reserve(static_cast<size_t>(frames));
        int64_t previousStart = 0;
        for (int i = 0; i <= frames; ++i) {
            const int64_t frameStart = plat::counterNow();
            if (i > 0) intervals.push_back(static_cast<double>(frameStart - previousStart) / static_cast<double>(freq));
            previousStart = frameStart;
            events.clear();
            plat::pumpEvents(window, events);
            plat::swapWindow(window);
            waitForFrameCap(plan, frameStart, freq, timer);
        }
    }
    const double ideal = 1.0 / cap;
    std::vector<double> jitter;
    for (double d : intervals) jitter.push_back(std::fabs(d - ideal));
    const double median = percentile(intervals, 0.5);
    state.counters["median_ms"] = median * 1e3;
    state.counters["median_error_pct"] = 100.0 * (median - ideal) / ideal;
    state.counters["p99_jitter_ms"] = percentile(jitter, 0.99) * 1e3;
    state.counters["max_ms"] = percentile(intervals, 1.0) * 1e3;
    state.counters["with_window"] = window ? 1 : 0;
    plat::destroyGlWindow(window);
}

void BM_RoundCap240(benchmark::State& state) { runPacing(state, ScreenRound, 240); }
void BM_MenuCap240(benchmark::State& state) { runPacing(state, ScreenHome, 240); }
void BM_RoundCap1000(benchmark::State& state) { runPacing(state, ScreenRound, 1000); }

}  // namespace

BENCHMARK(BM_RoundCap240)->Arg(720)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MenuCap240)->Arg(720)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RoundCap1000)->Arg(2000)->Iterations(1)->Unit(benchmark::kMillisecond);
