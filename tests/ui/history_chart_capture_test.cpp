// Under an X server: the History screen's day charts with ten years of days, drawn by the
// real UI backend into a window and read back. The line and dots kept from frame to frame
// give the very pixels of the ones built into the draw list every frame, on the frame that
// builds them, on the frames that reuse them, and after the series changes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/profile/app.h"
#include "core/profile/score_log.h"
#include "imgui.h"
#include "platform/system/input.h"
#include "platform/system/ui_backend.h"
#include "platform/system/window.h"
#include "render/renderer.h"
#include "ui/day_chart.h"
#include "ui/kit.h"
#include "ui/screens.h"

namespace {

class HistoryChartOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server";
        app_.automation = true;
        app_.game = gameIndexById("cm360");
        app_.cmDirect = 35;
        app_.dpi = 800;
        app_.screen = ScreenHistory;
        app_.hwnd = plat::createGlWindow("history chart", 1280, 720, nullptr);
        if (!app_.hwnd) GTEST_SKIP() << "no window";
        plat::showAndFocus(app_.hwnd);
        if (!loadGlFunctions()) GTEST_SKIP() << "no OpenGL 3.3";
        ImGui::CreateContext();
        ImGui::GetIO().IniFilename = nullptr;
        plat::uiBackendInit(app_.hwnd);
        app_.uiScale = 1;
        loadFontsAndTheme(app_);
        uiUp_ = true;
    }
    void TearDown() override {
        setDayChartsKept(true);
        if (uiUp_) {
            plat::uiBackendShutdown();
            ImGui::DestroyContext();
        }
        if (app_.hwnd) plat::destroyGlWindow(app_.hwnd);
        app_.hwnd = nullptr;
    }

    // Rounds at the current sensitivity on `days` days, one a day, values varying by day.
    void playDays(int32_t days) {
        const int32_t drill = gameStyle(app_.currentGame(), app_.style);
        for (int32_t k = 0; k < days; ++k) {
            ScoreRow r;
            r.day = formatString("%04d-%02d-%02d", 2016 + k / 336, 1 + k / 28 % 12, 1 + k % 28);
            r.game = "cm360";
            r.drill = drill;
            r.cm360 = 35;
            r.flick_bits_per_s = 4 + 0.01 * (k % 97) + 0.3 * ((k * 7919) % 13 == 0);
            r.track_on_target = 0.5 + 0.001 * (k % 113);
            r.mode = "practice";
            app_.scores.push_back(r);
        }
        ++app_.scoresGeneration;
    }

    // One frame over an opaque backdrop (so nothing of an earlier frame shows through),
    // read back whole.
    std::vector<uint8_t> frame() {
        std::vector<plat::Event> events;
        plat::pumpEvents(app_.hwnd, events);
        plat::drawableSize(app_.hwnd, &app_.width, &app_.height);
        plat::uiBackendNewFrame();
        ImGui::NewFrame();
        ImGui::GetBackgroundDrawList()->AddRectFilled(ImVec2(0, 0), ImVec2(1e5f, 1e5f), IM_COL32(20, 30, 40, 255));
        drawUi(app_);
        ImGui::Render();
        plat::uiBackendRenderDrawData();
        std::vector<uint8_t> rgb;
        EXPECT_TRUE(readFrameRegion(0, 0, app_.width, app_.height, app_.height, rgb, app_.width));
        plat::swapWindow(app_.hwnd);
        return rgb;
    }
    std::vector<uint8_t> settled() {
        frame();
        frame();
        return frame();
    }

    App app_;
    bool uiUp_ = false;
};

size_t differing(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size()) return a.size() + b.size();
    size_t n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
}

TEST_F(HistoryChartOnScreen, KeptChartsDrawTheSamePixels) {
    playDays(3650);
    setDayChartsKept(false);
    const std::vector<uint8_t> direct = settled();
    ASSERT_FALSE(direct.empty());

    setDayChartsKept(true);
    const std::vector<uint8_t> built = frame();  // builds and uploads
    EXPECT_EQ(differing(built, direct), 0u);
    const std::vector<uint8_t> reused = frame();  // drawn from the kept copy
    EXPECT_EQ(differing(reused, direct), 0u);

    // A new day: built and uploaded again, still as the direct drawing has it.
    playDays(1);
    const std::vector<uint8_t> keptAfter = settled();
    setDayChartsKept(false);
    const std::vector<uint8_t> directAfter = settled();
    EXPECT_GT(differing(directAfter, direct), 0u) << "the new day changes the charts";
    EXPECT_EQ(differing(keptAfter, directAfter), 0u);
}

}  // namespace
