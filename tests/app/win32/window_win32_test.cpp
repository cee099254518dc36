// The window under Wine: its smallest tracking size (WM_GETMINMAXINFO) follows the UI scale,
// a WM_DPICHANGED moves it to the suggested rectangle and rebuilds the UI for the new scale,
// (The second start of Tarvion.exe is checked in tests/platform/win32.)
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "app/input.h"
#include "core/profile/app.h"
#include "imgui.h"
#include "platform/system/input.h"
#include "platform/system/instance.h"
#include "platform/system/window.h"
#include "tests/platform/win32/window_probe.h"
#include "tests/support/test_window.h"
#include "ui/kit.h"

namespace {

using win_probe::Size;
using win_probe::minimumTrackSize;
using win_probe::outerOf;

class WindowUnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window_.open("window test", 1600, 900)) << window_.why();
        app_.hwnd = window_.get();
        app_.fullscreen = false;
    }
    void TearDown() override {
        if (ImGui::GetCurrentContext()) ImGui::DestroyContext();
        window_.close();
    }
    void pump() {
        std::vector<plat::Event> events;
        plat::pumpEvents(app_.hwnd, events);
        for (const plat::Event& e : events) handleEvent(app_, e);
    }
    // The smallest client size at the scale: the UI's, but no more than the work area holds.
    Size expectedMinimum(float scale) {
        const plat::Rect work = plat::workArea(app_.hwnd);
        int32_t l = 0, t = 0, r = 0, b = 0;
        plat::frameExtents(app_.hwnd, &l, &t, &r, &b);
        int32_t w = static_cast<int32_t>(std::ceil(1168 * scale)), h = static_cast<int32_t>(std::ceil(720 * scale));
        w = std::min(w, work.w - l - r);
        h = std::min(h, work.h - t - b);
        return outerOf(w, h);
    }
    App app_;
    TestWindow window_;
};

TEST_F(WindowUnderWine, TheSmallestTrackingSizeFollowsTheUiScale) {
    for (float scale : {1.0f, 1.25f, 1.5f, 2.0f}) {
        SCOPED_TRACE(scale);
        app_.uiScale = scale;
        applyWindowMode(app_);
        const Size want = expectedMinimum(scale);
        const Size got = minimumTrackSize(app_.hwnd);
        EXPECT_EQ(got.w, want.w);
        EXPECT_EQ(got.h, want.h);
        const plat::Rect outer = win_probe::windowRect(app_.hwnd);
        EXPECT_GE(outer.w, want.w);
        EXPECT_GE(outer.h, want.h);
    }
}

TEST_F(WindowUnderWine, ANewMonitorScaleTakesTheSuggestedRectangleAndRebuildsTheUi) {
    ImGui::CreateContext();
    app_.uiScale = 1;
    loadFontsAndTheme(app_);
    applyWindowMode(app_);
    plat::showAndFocus(app_.hwnd);
    void* window = app_.hwnd;
    const Size outer = expectedMinimum(1.5f);
    const plat::Rect suggested{40, 30, outer.w + 20, outer.h};
    win_probe::sendDpiChanged(window, 144, suggested);
    pump();
    EXPECT_FLOAT_EQ(app_.uiScale, 1.5f);
    EXPECT_FLOAT_EQ(static_cast<ImFont*>(app_.fontBody)->ConfigData->SizePixels, 27);
    EXPECT_FLOAT_EQ(ImGui::GetStyle().WindowPadding.x, 24);
    const plat::Rect now = win_probe::windowRect(window);
    EXPECT_EQ(now.x, suggested.x);
    EXPECT_EQ(now.y, suggested.y);
    EXPECT_EQ(now.w, suggested.w);
    EXPECT_EQ(now.h, suggested.h);
    const Size got = minimumTrackSize(window);
    EXPECT_EQ(got.w, outer.w);
    EXPECT_EQ(got.h, outer.h);
    // Back on a monitor at 100 %: everything as at the start.
    win_probe::sendDpiChanged(window, 96, plat::Rect{40, 30, 1616, 939});
    pump();
    EXPECT_FLOAT_EQ(app_.uiScale, 1);
    EXPECT_FLOAT_EQ(ImGui::GetStyle().WindowPadding.x, 16);
    EXPECT_EQ(minimumTrackSize(window).w, expectedMinimum(1).w);
}

}  // namespace
