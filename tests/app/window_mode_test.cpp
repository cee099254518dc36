// Under an X server: the window modes give the client sizes the rest of the program expects.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <vector>

#include "app/input.h"
#include "core/profile/app.h"
#include "platform/system/input.h"
#include "platform/system/window.h"
#include "imgui.h"
#include "tests/platform/system/x_probe.h"
#include "tests/support/test_window.h"
#include "ui/kit.h"
#include "ui/screens.h"

namespace {

class WindowModeOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        OPEN_TEST_WINDOW(window_, "window mode test", 1600, 900);
        app_.hwnd = window_.get();
    }
    // Lets the server settle the new geometry, then reads the drawable size.
    void settle(int32_t wantW, int32_t wantH) {
        std::vector<plat::Event> events;
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < until) {
            events.clear();
            plat::pumpEvents(app_.hwnd, events);
            for (const plat::Event& e : events) handleEvent(app_, e);
            plat::drawableSize(app_.hwnd, &w_, &h_);
            if (w_ == wantW && h_ == wantH) break;
        }
    }
    App app_;
    TestWindow window_;
    int32_t w_ = 0, h_ = 0;
};

TEST_F(WindowModeOnScreen, WindowedFullScreenAndBack) {
    const plat::Rect monitor = plat::monitorRect(app_.hwnd);
    ASSERT_GT(monitor.w, 1640) << "run under a screen of at least 1920x1080";

    app_.fullscreen = false;
    applyWindowMode(app_);
    plat::showAndFocus(app_.hwnd);
    settle(1600, 900);
    EXPECT_EQ(w_, 1600);
    EXPECT_EQ(h_, 900);
    EXPECT_EQ(app_.width, 1600);
    EXPECT_EQ(app_.height, 900);

    app_.fullscreen = true;
    applyWindowMode(app_);
    settle(monitor.w, monitor.h);
    EXPECT_EQ(w_, monitor.w);
    EXPECT_EQ(h_, monitor.h);
    EXPECT_EQ(app_.width, monitor.w);

    // Automation is always windowed, at the size asked for.
    app_.automation = true;
    app_.sizeOverride[0] = 1280;
    app_.sizeOverride[1] = 720;
    applyWindowMode(app_);
    settle(1280, 720);
    EXPECT_EQ(w_, 1280);
    EXPECT_EQ(h_, 720);
    EXPECT_EQ(app_.height, 720);

    // A height the screen cannot hold is fitted to its work area, not passed on whole.
    app_.sizeOverride[0] = 400;
    app_.sizeOverride[1] = 100000;
    applyWindowMode(app_);
    const plat::Rect work = plat::workArea(app_.hwnd);
    settle(400, work.h);
    EXPECT_EQ(w_, 400);
    EXPECT_GT(h_, 0);
    EXPECT_LE(h_, work.h);
    EXPECT_EQ(app_.height, h_);
}

// The player's window: asked for 800 x 500 it comes up at the smallest size every screen
// fits in, and shrinking it further leaves it there; an unattended run takes the size it
// asks for, as its captures must have it.
TEST_F(WindowModeOnScreen, ThePlayersWindowKeepsTheSmallestSize) {
    app_.fullscreen = false;
    app_.sizeOverride[0] = 800;
    app_.sizeOverride[1] = 500;
    applyWindowMode(app_);
    plat::showAndFocus(app_.hwnd);
    settle(kMinimumDisplayWidth, kMinimumDisplayHeight);
    EXPECT_EQ(w_, kMinimumDisplayWidth);
    EXPECT_EQ(h_, kMinimumDisplayHeight);
    EXPECT_EQ(app_.width, kMinimumDisplayWidth);
    EXPECT_EQ(app_.height, kMinimumDisplayHeight);

    plat::setWindowed(app_.hwnd, plat::Rect{100, 100, 800, 500});
    settle(800, 500);
    EXPECT_EQ(w_, kMinimumDisplayWidth);
    EXPECT_EQ(h_, kMinimumDisplayHeight);

    app_.automation = true;
    applyWindowMode(app_);
    settle(800, 500);
    EXPECT_EQ(w_, 800);
    EXPECT_EQ(h_, 500);
    EXPECT_EQ(app_.width, 800);
}

// Start-up in full screen: the hidden window takes its final mode before it is first shown,
// so the first frame already has the monitor's size without waiting for any event; from there
// the window goes to windowed and back like any other.
TEST_F(WindowModeOnScreen, StartsInFullScreenAndLeavesIt) {
    const plat::Rect monitor = plat::monitorRect(app_.hwnd);
    ASSERT_GT(monitor.w, 1640) << "run under a screen of at least 1920x1080";

    app_.fullscreen = true;
    applyWindowMode(app_);
    plat::showAndFocus(app_.hwnd);
    plat::drawableSize(app_.hwnd, &w_, &h_);
    EXPECT_EQ(w_, monitor.w);
    EXPECT_EQ(h_, monitor.h);
    EXPECT_EQ(app_.width, monitor.w);
    EXPECT_EQ(app_.height, monitor.h);

    app_.fullscreen = false;
    applyWindowMode(app_);
    settle(1600, 900);
    EXPECT_EQ(w_, 1600);
    EXPECT_EQ(h_, 900);

    app_.fullscreen = true;
    applyWindowMode(app_);
    settle(monitor.w, monitor.h);
    EXPECT_EQ(w_, monitor.w);
    EXPECT_EQ(h_, monitor.h);

    app_.fullscreen = false;
    applyWindowMode(app_);
    settle(1600, 900);
    EXPECT_EQ(w_, 1600);
    EXPECT_EQ(h_, 900);
    EXPECT_EQ(app_.width, 1600);
}

// Moved to a monitor of another scale: the UI scale, its fonts and style (made anew, never
// scaled twice) and the window's smallest size follow; --scale stays as given.
TEST_F(WindowModeOnScreen, AnotherDesktopScaleRebuildsTheUiAndTheSmallestSize) {
    ImGui::CreateContext();
    app_.uiScale = 1;
    loadFontsAndTheme(app_);
    app_.fullscreen = false;
    applyWindowMode(app_);
    plat::showAndFocus(app_.hwnd);
    const struct {
        float desktop, uiScale;
        int32_t minW, minH;
    } steps[] = {{1.5f, 1.5f, 1752, 1080}, {2, 2, 1920, 1080}, {1, 1, 1168, 720}, {1.25f, 1.25f, 1460, 900}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.desktop);
        plat::Event e;
        e.kind = plat::EventKind::ScaleChanged;
        e.scale = step.desktop;
        handleEvent(app_, e);
        EXPECT_FLOAT_EQ(app_.uiScale, step.uiScale);
        EXPECT_FLOAT_EQ(static_cast<ImFont*>(app_.fontBody)->ConfigData->SizePixels, 18 * step.uiScale);
        EXPECT_FLOAT_EQ(ImGui::GetStyle().WindowPadding.x, 16 * step.uiScale);
        EXPECT_FLOAT_EQ(ImGui::GetStyle().IndentSpacing, std::floor(ImGuiStyle().IndentSpacing * step.uiScale));
        int32_t w = 0, h = 0;
        xprobe::minimumHint(app_.hwnd, &w, &h);
        EXPECT_EQ(w, step.minW);
        EXPECT_EQ(h, step.minH);
    }
    app_.uiScaleOverride = 1.25f;
    plat::Event e;
    e.kind = plat::EventKind::ScaleChanged;
    e.scale = 2;
    handleEvent(app_, e);
    EXPECT_FLOAT_EQ(app_.uiScale, 1.25f);
    ImGui::DestroyContext();
}

}  // namespace
