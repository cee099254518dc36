// Start-up of the real program (runTarvion, interactive, with a fresh profile) up to its
// first swap, in full screen and windowed: the program's own time from entry to the end of
// the first frame's swap, the median of 7 starts in one process. Run under xvfb-run: the
// bare X server has no window manager, so a request that waits for one shows here.
// Counters: whether the first frames already had the final size (first_frames_final = 1:
// in each of the first three frames the drawable is the monitor's size in full screen and
// 1600 x 900 windowed) and the size of the first. The swaps are caught by wrapping
// SDL_GL_SwapWindow at link time (see CMakeLists.txt); after the third the wrapper raises
// SIGINT, which SDL turns into the system's request to quit, so the program ends normally.
#include <benchmark/benchmark.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/shell.h"
#include "platform/base/clock.h"
#include "platform/base/process.h"
#include "platform/system/window.h"

namespace {

constexpr int kFramesWatched = 3;
bool gArmed = false;
bool gFullscreen = false;
int gSwaps = 0;
int64_t gSwapAt = 0;
bool gFinal = true;
int32_t gFirst[2] = {0, 0};

void atSwap(void* window) {
    if (!gArmed) return;
    if (gSwaps == 0) gSwapAt = plat::counterNow();
    int32_t w = 0, h = 0;
    plat::drawableSize(window, &w, &h);
    if (gSwaps == 0) {
        gFirst[0] = w;
        gFirst[1] = h;
    }
    const plat::Rect monitor = plat::monitorRect(window);
    gFinal = gFinal && (gFullscreen ? (w == monitor.w && h == monitor.h) : (w == 1600 && h == 900));
    if (++gSwaps == kFramesWatched) {
        gArmed = false;
        std::raise(SIGINT);
    }
}

}  // namespace

extern "C" {
struct SDL_Window;
void __real_SDL_GL_SwapWindow(SDL_Window* window);
void __wrap_SDL_GL_SwapWindow(SDL_Window* window) {
    __real_SDL_GL_SwapWindow(window);
    atSwap(window);
}
}

namespace {

void runStartup(benchmark::State& state, bool fullscreen) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("needs an X server (run under xvfb-run)");
        return;
    }
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("tarvion_bench_startup_" + std::to_string(fullscreen));
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home / "Tarvion");
    plat::setEnv("APPDATA", home.string());
    if (!std::getenv("SDL_AUDIODRIVER")) plat::setEnv("SDL_AUDIODRIVER", "dummy");
    const int64_t freq = plat::counterFrequency();
    gFinal = true;
    gFullscreen = fullscreen;
    for (auto _ : state) {
        // The profile of a player past the quick tour, with the update check off.
        std::ofstream(home / "Tarvion" / "settings.ini")
            << "fullscreen=" << (fullscreen ? 1 : 0) << "\ntutorialDone=1\ncheckUpdates=0\nvolume=0\n";
        gArmed = true;
        gSwaps = 0;
        const int64_t start = plat::counterNow();
        const int code = runTarvion({"--scale", "1"});
        if (code != 0 || gSwaps < kFramesWatched) {
            state.SkipWithError("the program did not reach its third swap");
            break;
        }
        state.SetIterationTime(static_cast<double>(gSwapAt - start) / static_cast<double>(freq));
    }
    state.counters["first_frames_final"] = gFinal ? 1 : 0;
    state.counters["first_w"] = gFirst[0];
    state.counters["first_h"] = gFirst[1];
    std::filesystem::remove_all(home);
}

void BM_StartupToFirstSwapFullscreen(benchmark::State& state) { runStartup(state, true); }
void BM_StartupToFirstSwapWindowed(benchmark::State& state) { runStartup(state, false); }

}  // namespace

BENCHMARK(BM_StartupToFirstSwapFullscreen)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupToFirstSwapWindowed)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
