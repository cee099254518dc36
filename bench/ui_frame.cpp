// CPU cost of one UI frame (building the widgets and the draw data, no GPU work) on the
// round screen and the home screen at 1600x900, and on the History screen of a long-time
// player: N stored results and N logged rounds at the current sensitivity, spread over
// 365 days (one point a day in the progress charts), for N of 1,000, 10,000 and 100,000,
// scrolled to the top. BM_UiFrameHistoryDays holds the rows at 10,000 and varies the days
// instead: the charts draw every day; their line and dots are kept from frame to frame, so
// a frame's cost hardly follows the number of days played (the Resized ones switch the
// window between 1200 and 1201 px wide, so the charts are built again every frame, as they are
// while they change or move). The
// LongGameLists ones draw the home screen and the setup wizard's game page with 16 MiB game
// lists.
#include <benchmark/benchmark.h>

#include <string>

#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/profile/app.h"
#include "core/profile/history.h"
#include "core/profile/score_log.h"
#include "engine/kernel/round_config.h"
#include "engine/kernel/session.h"
#include "imgui.h"
#include "ui/kit.h"
#include "ui/screens.h"

namespace {

struct HeadlessUi {
    App app;
    HeadlessUi() {
        ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr;
        io.DisplaySize = ImVec2(1600, 900);
        io.DeltaTime = 1.0f / 240.0f;
        app.width = 1600;
        app.height = 900;
        loadFontsAndTheme(app);
        unsigned char* pixels = nullptr;
        int w = 0, h = 0;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
    }
    ~HeadlessUi() { ImGui::DestroyContext(); }
    void frame() {
        ImGui::NewFrame();
        drawUi(app);
        ImGui::Render();
        benchmark::DoNotOptimize(ImGui::GetDrawData()->TotalVtxCount);
    }
};

void BM_UiFrameHome(benchmark::State& state) {
    HeadlessUi ui;
    ui.app.screen = ScreenHome;
    for (int i = 0; i < 3; ++i) ui.frame();
    for (auto _ : state) ui.frame();
}
BENCHMARK(BM_UiFrameHome)->Unit(benchmark::kMicrosecond);

// A hand-edited 16 MiB game list (ids, unknown words and repeats), with the detection done:
// the home screen asks which detected games are new and the setup wizard's game page asks,
// per tile, which games are the player's, every frame.
std::string longGameList() {
    const char* const words[] = {"cs2", "foo", "apex", "valorant", "not-a-game", "ow2", "cs2"};
    std::string list;
    for (size_t i = 0; list.size() < (16u << 20); ++i) {
        if (!list.empty()) list += ',';
        list += words[i % 7];
    }
    return list;
}

void runLongGameLists(benchmark::State& state, int32_t screen) {
    HeadlessUi ui;
    App& app = ui.app;
    app.myGames = longGameList();
    app.knownGames = longGameList();
    app.detectedGames = {{"Counter-Strike 2", "Steam", 0}, {"Apex Legends", "Steam", 2}, {"Rust", "Steam", -1}};
    app.detectionDone.store(true);
    app.screen = screen;
    app.setupStep = 0;
    for (int i = 0; i < 3; ++i) ui.frame();
    for (auto _ : state) ui.frame();
}

void BM_UiFrameHomeLongGameLists(benchmark::State& state) { runLongGameLists(state, ScreenHome); }
BENCHMARK(BM_UiFrameHomeLongGameLists)->Unit(benchmark::kMillisecond);

void BM_UiFrameSetupLongGameLists(benchmark::State& state) { runLongGameLists(state, ScreenSetup); }
BENCHMARK(BM_UiFrameSetupLongGameLists)->Unit(benchmark::kMillisecond);

void BM_UiFrameRoundFlick(benchmark::State& state) {
    HeadlessUi ui;
    App& app = ui.app;
    app.screen = ScreenRound;
    app.roundPhase = RoundPlaying;
    startSession(app.session, SessionConfig{});
    app.round.setupRound(makeRoundConfig(app.session), app.now);
    while (app.round.phase == DrillIntro) {
        app.now += 0.01;
        app.round.updateRound(app.now);
    }
    for (int i = 0; i < 3; ++i) ui.frame();
    for (auto _ : state) ui.frame();
}
BENCHMARK(BM_UiFrameRoundFlick)->Unit(benchmark::kMicrosecond);

std::string dayText(int32_t k) { return formatString("%04d-%02d-%02d", 2020 + k / 336, 1 + k / 28 % 12, 1 + k % 28); }

void fillHistory(App& app, int32_t rows, int32_t days) {
    const GameInfo& game = app.currentGame();
    const std::string key = historyGameKey(game);
    const int32_t drill = gameStyle(game, app.style);
    const double cm = app.currentCm360();
    app.history.reserve(static_cast<size_t>(rows));
    app.scores.reserve(static_cast<size_t>(rows));
    for (int32_t i = 0; i < rows; ++i) {
        const std::string day = dayText(static_cast<int32_t>(static_cast<int64_t>(i) * days / rows));
        HistoryEntry e;
        e.when = day + " 10:00";
        e.game = key;
        e.dpi = 800;
        e.current_sens = 0.4;
        e.current_cm360 = cm;
        e.recommended_sens = 0.38 + 0.0001 * (i % 200);
        e.recommended_cm360 = cm * (0.9 + 0.001 * (i % 200));
        e.range_low_cm = e.recommended_cm360 - 3;
        e.range_high_cm = e.recommended_cm360 + 3;
        e.confidence = i % 3 == 0 ? "High" : "Medium";
        e.recommended_dpi = 800;
        e.type = i % 4 == 0 ? "check" : "finder";
        app.history.push_back(e);
        ScoreRow r;
        r.day = day;
        r.game = game.id;
        r.drill = drill;
        r.cm360 = cm * (0.97 + 0.0003 * (i % 200));
        r.flick_bits_per_s = 4 + 0.01 * (i % 97);
        r.track_on_target = 0.5 + 0.001 * (i % 113);
        r.mode = "practice";
        app.scores.push_back(r);
    }
}

void runHistory(benchmark::State& state, int32_t rows, int32_t days, bool resized = false) {
    HeadlessUi ui;
    ui.app.screen = ScreenHistory;
    fillHistory(ui.app, rows, days);
    for (int i = 0; i < 3; ++i) ui.frame();
    int frame = 0;
    for (auto _ : state) {
        if (resized) ImGui::GetIO().DisplaySize.x = 1200.0f + static_cast<float>(++frame % 2);
        ui.frame();
    }
    state.counters["vertices"] = ImGui::GetDrawData()->TotalVtxCount;
}

void BM_UiFrameHistory(benchmark::State& state) { runHistory(state, static_cast<int32_t>(state.range(0)), 365); }
BENCHMARK(BM_UiFrameHistory)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_UiFrameHistoryDays(benchmark::State& state) { runHistory(state, 10000, static_cast<int32_t>(state.range(0))); }
BENCHMARK(BM_UiFrameHistoryDays)->Arg(30)->Arg(365)->Arg(1000)->Arg(3650)->Unit(benchmark::kMicrosecond);

void BM_UiFrameHistoryDaysResized(benchmark::State& state) {
    runHistory(state, 10000, static_cast<int32_t>(state.range(0)), true);
}
BENCHMARK(BM_UiFrameHistoryDaysResized)->Arg(365)->Arg(3650)->Unit(benchmark::kMicrosecond);

}  // namespace
