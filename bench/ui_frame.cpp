// CPU cost of one UI frame (building the widgets and the draw data, no GPU work) on the
// round screen and the home screen at 1600x900.
#include <benchmark/benchmark.h>

#include "core/app.h"
#include "engine/round_config.h"
#include "engine/session.h"
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

}  // namespace
