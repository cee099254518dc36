// Under an X server: input injected through the system's input stream reaches the round and
// the calibrator through the raw mouse listener, the F8 grab and the event handler.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <vector>

#include "app/input.h"
#include "core/profile/app.h"
#include "platform/system/input.h"
#include "platform/system/window.h"
#include "tests/support/test_window.h"
#include "tests/support/xtest_lock.h"

namespace {

class InjectedInput : public ::testing::Test {
protected:
    void SetUp() override {
        OPEN_TEST_WINDOW(window_, "injected input test", 640, 360);
        app_.hwnd = window_.get();
        plat::showAndFocus(app_.hwnd);
        ASSERT_TRUE(plat::startRawMouse(app_.hwnd));
        pumpUntil([] { return false; }, 100);  // the window's own start-up events
    }
    void TearDown() override {
        if (!app_.hwnd) return;
        setRawInputSink(app_, false);
        setMouseCaptured(app_, false);
        plat::setBackgroundRawMouse(false);
        plat::stopRawMouse();
        window_.close();
        app_.hwnd = nullptr;
    }
    // Runs the message drain until `done` holds or the time is up.
    void pumpUntil(const std::function<bool()>& done, int milliseconds = 2000) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        std::vector<plat::Event> events;
        while (!done() && std::chrono::steady_clock::now() < until) {
            events.clear();
            plat::pumpEvents(app_.hwnd, events);
            for (const plat::Event& e : events) handleEvent(app_, e);
        }
    }
    static void inject(int32_t dx, int32_t dy, int times) {
        for (int i = 0; i < times; ++i) ASSERT_TRUE(plat::injectRelativeMove(dx, dy));
    }
    XTestLock lock_;
    App app_;
    TestWindow window_;
};

TEST_F(InjectedInput, TheRoundTurnsByExactlyTheInjectedCounts) {
    RoundConfig cfg;
    cfg.cm360 = 40;
    cfg.dpi = 800;
    app_.round.setupRound(cfg, 0);
    app_.screen = ScreenRound;
    app_.roundPhase = RoundPlaying;
    setMouseCaptured(app_, true);
    ASSERT_TRUE(app_.mouseCaptured);
    // As under --inputtest: the counts count whichever window has the focus.
    plat::setBackgroundRawMouse(true);

    inject(100, 0, 10);
    inject(-7, 0, 25);
    inject(0, 50, 4);
    const double perCount = app_.round.degPerCount;
    pumpUntil([&] { return app_.round.yaw / perCount > 824.5 && -app_.round.pitch / perCount > 199.5; });
    pumpUntil([] { return false; }, 100);  // nothing more may come
    EXPECT_NEAR(app_.round.yaw / perCount, 825.0, 1e-6);
    EXPECT_NEAR(-app_.round.pitch / perCount, 200.0, 1e-6);
    EXPECT_DOUBLE_EQ(app_.swayInput[0], 825);
    EXPECT_DOUBLE_EQ(app_.swayInput[1], 200);
}

TEST_F(InjectedInput, F8ReachesTheCalibratorWhileBackgroundInputIsOn) {
    app_.screen = ScreenCalibrate;
    app_.calTurns = 2;
    setRawInputSink(app_, true);
    ASSERT_TRUE(app_.f8HotkeyOk) << "another client of this X server holds F8";

    ASSERT_TRUE(plat::injectKeyTap(plat::KeyF8));
    pumpUntil([&] { return app_.calCounting; });
    ASSERT_TRUE(app_.calCounting);
    // Two full turns of 12,400 counts, as the input check turns them.
    inject(250, 3, 100);
    inject(-10, 0, 20);
    pumpUntil([&] { return app_.calCounts >= 24800; });
    ASSERT_TRUE(plat::injectKeyTap(plat::KeyF8));
    pumpUntil([&] { return !app_.calCounting; });
    ASSERT_FALSE(app_.calCounting);
    ASSERT_EQ(app_.calTries.size(), 1u);
    EXPECT_DOUBLE_EQ(app_.calTries[0], 12400);

    setRawInputSink(app_, false);
    EXPECT_FALSE(app_.f8HotkeyOk);
    ASSERT_TRUE(plat::injectKeyTap(plat::KeyF8));
    pumpUntil([] { return false; }, 150);
    EXPECT_FALSE(app_.calCounting);  // the grab is gone
}

}  // namespace
