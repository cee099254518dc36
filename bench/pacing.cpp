// Frame pacing of the main loop's cap: frame intervals in a playing round (timer plus spin)
// and in the menus (timer only) at caps of 240, 500 and 1000. Each frame swaps a near-empty
// window when an X server is there (run under xvfb-run), so the numbers include a real
// present. Counters: median interval, its error against 1/cap (a ceiling keeps it at or just
// above 0), the 99th percentile of the absolute deviation from 1/cap (jitter), the longest
// interval, how late the wait itself ended past the frame's target (99th percentile, over the
// frames whose present left time to wait: the pacing's own share of the jitter), and the main
// thread's processor time as a share of one core over the run.
// BM_TimerOvershoot shows how late the timer's waits end on this machine, which is what the
// spin before the target has to cover. The Loaded ones run the same with a busy loop on
// every core (at the end, so the other figures are taken on the machine as it is).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <vector>

#include "app/frame_pacing.h"
#include "core/profile/app.h"
#include "platform/base/clock.h"
#include "platform/system/input.h"
#include "platform/system/pacing.h"
#include "platform/system/window.h"

namespace {

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = static_cast<size_t>(std::lround(p * static_cast<double>(v.size() - 1)));
    return v[std::min(i, v.size() - 1)];
}

double seconds(int64_t ticks, int64_t freq) { return static_cast<double>(ticks) / static_cast<double>(freq); }

// A busy loop on every core for as long as it lives.
class BusyCores {
public:
    BusyCores() {
        const unsigned n = std::max(1u, std::thread::hardware_concurrency());
        for (unsigned i = 0; i < n; ++i)
            threads_.emplace_back([this] {
                volatile uint64_t x = 0;
                while (!stop_.load(std::memory_order_relaxed)) x = x + 1;
            });
    }
    ~BusyCores() {
        stop_.store(true);
        for (std::thread& t : threads_) t.join();
    }
    BusyCores(const BusyCores&) = delete;
    BusyCores& operator=(const BusyCores&) = delete;

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

void runPacing(benchmark::State& state, int32_t screen, int32_t fpsCap) {
    App app;
    app.screen = screen;
    app.roundPhase = RoundPlaying;
    app.fpsCap = fpsCap;
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
    std::vector<double> intervals, waitLate;
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        intervals.clear();
        intervals.reserve(static_cast<size_t>(frames));
        waitLate.clear();
        int64_t previousStart = 0, firstStart = 0;
        double cpuAtFirst = 0;
        for (int i = 0; i <= frames; ++i) {
            const int64_t frameStart = plat::counterNow();
            if (i == 0) {
                firstStart = frameStart;
                cpuAtFirst = plat::threadCpuSeconds();
            } else {
                intervals.push_back(seconds(frameStart - previousStart, freq));
            }
            previousStart = frameStart;
            events.clear();
            plat::pumpEvents(window, events);
            plat::swapWindow(window);
            const double target = seconds(frameStart, freq) + 1.0 / plan.cap;
            const bool timeLeft = seconds(plat::counterNow(), freq) < target;
            waitForFrameCap(plan, frameStart, freq, timer);
            if (timeLeft) waitLate.push_back(seconds(plat::counterNow(), freq) - target);
        }
        cpu = plat::threadCpuSeconds() - cpuAtFirst;
        wall = seconds(plat::counterNow() - firstStart, freq);
    }
    const double ideal = 1.0 / plan.cap;
    std::vector<double> jitter;
    for (double d : intervals) jitter.push_back(std::fabs(d - ideal));
    const double median = percentile(intervals, 0.5);
    state.counters["cap"] = plan.cap;
    state.counters["median_ms"] = median * 1e3;
    state.counters["median_error_pct"] = 100.0 * (median - ideal) / ideal;
    state.counters["p99_jitter_ms"] = percentile(jitter, 0.99) * 1e3;
    state.counters["max_ms"] = percentile(intervals, 1.0) * 1e3;
    state.counters["p99_wait_late_us"] = percentile(waitLate, 0.99) * 1e6;
    state.counters["main_cpu_pct"] = wall > 0 ? 100.0 * cpu / wall : 0;
    state.counters["with_window"] = window ? 1 : 0;
    plat::destroyGlWindow(window);
}

void BM_RoundCap240(benchmark::State& state) { runPacing(state, ScreenRound, 240); }
void BM_MenuCap240(benchmark::State& state) { runPacing(state, ScreenHome, 240); }
void BM_RoundCap500(benchmark::State& state) { runPacing(state, ScreenRound, 500); }
void BM_RoundCap1000(benchmark::State& state) { runPacing(state, ScreenRound, 1000); }
void BM_RoundCap240Loaded(benchmark::State& state) {
    BusyCores busy;
    runPacing(state, ScreenRound, 240);
}
void BM_RoundCap500Loaded(benchmark::State& state) {
    BusyCores busy;
    runPacing(state, ScreenRound, 500);
}
// The menus hold at most 240 whatever the player's cap.
void BM_MenuCap1000(benchmark::State& state) { runPacing(state, ScreenHome, 1000); }

// How late one timer wait of the given microseconds ends: median, 99th and 99.9th percentile.
void runTimerOvershoot(benchmark::State& state) {
    const double wait = static_cast<double>(state.range(0)) * 1e-6;
    const int64_t freq = plat::counterFrequency();
    std::vector<double> late;
    for (auto _ : state) {
        late.clear();
        for (int i = 0; i < 2000; ++i) {
            const int64_t start = plat::counterNow();
            plat::timerWait(wait);
            late.push_back(seconds(plat::counterNow() - start, freq) - wait);
        }
    }
    state.counters["p50_late_us"] = percentile(late, 0.5) * 1e6;
    state.counters["p90_late_us"] = percentile(late, 0.9) * 1e6;
    state.counters["p99_late_us"] = percentile(late, 0.99) * 1e6;
    state.counters["p999_late_us"] = percentile(late, 0.999) * 1e6;
}
void BM_TimerOvershoot(benchmark::State& state) { runTimerOvershoot(state); }
void BM_TimerOvershootLoaded(benchmark::State& state) {
    BusyCores busy;
    runTimerOvershoot(state);
}

}  // namespace

BENCHMARK(BM_RoundCap240)->Arg(720)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MenuCap240)->Arg(720)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RoundCap500)->Arg(1500)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RoundCap1000)->Arg(2000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MenuCap1000)->Arg(720)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TimerOvershoot)->Arg(1000)->Arg(3000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RoundCap240Loaded)->Arg(720)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RoundCap500Loaded)->Arg(1500)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TimerOvershootLoaded)->Arg(3000)->Iterations(1)->Unit(benchmark::kMillisecond);
