// Under a window manager (openbox on an X server of the test's own): the smallest size and
// the first windowed size follow the UI scale, and leaving full screen keeps both the minimum
// and the whole frame on the screen.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/input.h"
#include "core/profile/app.h"
#include "platform/system/input.h"
#include "platform/system/window.h"

#include "tests/platform/system/private_x.h"
#include "tests/platform/system/x_probe.h"
#include "tests/support/test_window.h"

namespace {


class WindowModeUnderAWindowManager : public ::testing::TestWithParam<float> {
protected:
    void SetUp() override {
        if (!server_.start(true)) GTEST_SKIP() << "no Xvfb or no openbox";
        OPEN_TEST_WINDOW(window_, "window manager test", 1600, 900);
        app_.hwnd = window_.get();
        app_.uiScale = GetParam();
    }
    void TearDown() override {
        window_.close();  // while its X server runs
        server_.stop();
    }
    // Runs the event loop until the window manager has left the window alone for a while.
    void settle() {
        std::vector<plat::Event> events;
        plat::Rect last{};
        auto quietSince = std::chrono::steady_clock::now();
        const auto until = quietSince + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < until) {
            events.clear();
            plat::pumpEvents(app_.hwnd, events);
            for (const plat::Event& e : events) handleEvent(app_, e);
            const plat::Rect now = xprobe::clientOnRoot(app_.hwnd);
            if (now.x != last.x || now.y != last.y || now.w != last.w || now.h != last.h) {
                last = now;
                quietSince = std::chrono::steady_clock::now();
            }
            if (std::chrono::steady_clock::now() - quietSince > std::chrono::milliseconds(400)) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    // The window as the player sees it: its minimum is the one for this scale and the frame
    // it has now, the client is no smaller, and the whole frame lies inside the work area.
    void expectWindowFitsTheScale(const char* when) {
        SCOPED_TRACE(when);
        int32_t frame[4] = {0, 0, 0, 0};
        ASSERT_TRUE(xprobe::frameOf(app_.hwnd, frame));
        EXPECT_GT(frame[1], 0) << "openbox gives the window a title bar";
        const plat::Rect work = plat::workArea(app_.hwnd);
        int32_t minW = 0, minH = 0;
        minimumClientSize(work, app_.uiScale, frame[0], frame[1], frame[2], frame[3], &minW, &minH);
        int32_t hintW = 0, hintH = 0;
        xprobe::minimumHint(app_.hwnd, &hintW, &hintH);
        EXPECT_EQ(hintW, minW);
        EXPECT_EQ(hintH, minH);
        const plat::Rect client = xprobe::clientOnRoot(app_.hwnd);
        EXPECT_GE(client.w, minW);
        EXPECT_GE(client.h, minH);
        EXPECT_GE(client.x - frame[0], work.x);
        EXPECT_GE(client.y - frame[1], work.y);
        EXPECT_LE(client.x + client.w + frame[2], work.x + work.w);
        EXPECT_LE(client.y + client.h + frame[3], work.y + work.h);
        EXPECT_EQ(app_.width, client.w);
        EXPECT_EQ(app_.height, client.h);
    }
    PrivateXServer server_;
    App app_;
    TestWindow window_;
};

TEST_P(WindowModeUnderAWindowManager, AWindowedStartFollowsTheUiScale) {
    app_.fullscreen = false;
    applyWindowMode(app_);
    plat::showAndFocus(app_.hwnd);
    settle();
    expectWindowFitsTheScale("windowed start");
}

TEST_P(WindowModeUnderAWindowManager, LeavingFullScreenKeepsTheMinimumAndTheFrameOnScreen) {
    app_.fullscreen = true;
    applyWindowMode(app_);
    plat::showAndFocus(app_.hwnd);
    settle();
    app_.fullscreen = false;
    applyWindowMode(app_);
    settle();
    expectWindowFitsTheScale("after full screen");
    // And once more, from a window that was windowed before.
    app_.fullscreen = true;
    applyWindowMode(app_);
    settle();
    app_.fullscreen = false;
    applyWindowMode(app_);
    settle();
    expectWindowFitsTheScale("the second time");
}

INSTANTIATE_TEST_SUITE_P(Scales, WindowModeUnderAWindowManager, ::testing::Values(1.0f, 1.25f, 1.5f, 2.0f),
                         [](const ::testing::TestParamInfo<float>& info) {
                             return "scale" + std::to_string(static_cast<int>(info.param * 100));
                         });

}  // namespace
