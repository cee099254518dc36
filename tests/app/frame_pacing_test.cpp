#include <gtest/gtest.h>

#include "app/frame_pacing.h"
#include "app/shell.h"
#include "core/app.h"
#include "platform/clock.h"

namespace {

TEST(FrameCap, DependsOnScreenPhaseCapAndVsync) {
    struct Row {
        const char* name;
        int32_t screen;
        int32_t phase;
        int32_t fpsCap;
        bool vsync;
        bool wait;
        double cap;
        bool busy;
    };
    const Row rows[] = {
        {"round, cap 0: uncapped", ScreenRound, RoundPlaying, 0, false, false, 0, false},
        {"round, negative cap: uncapped", ScreenRound, RoundPlaying, -5, false, false, 0, false},
        {"round, cap 1000", ScreenRound, RoundPlaying, 1000, false, true, 1000, true},
        {"round, cap 240", ScreenRound, RoundPlaying, 240, false, true, 240, true},
        {"round, cap 10 is held too", ScreenRound, RoundPlaying, 10, false, true, 10, true},
        {"menus, cap 0: 240", ScreenHome, RoundPlaying, 0, false, true, 240, false},
        {"menus, cap 1000: 240", ScreenSettings, RoundPlaying, 1000, false, true, 240, false},
        {"menus, cap 60", ScreenHome, RoundPlaying, 60, false, true, 60, false},
        {"between rounds counts as menus", ScreenRound, RoundBetween, 1000, false, true, 240, false},
        {"paused counts as menus", ScreenRound, RoundPaused, 144, false, true, 144, false},
        {"vsync: no waiting in a round", ScreenRound, RoundPlaying, 1000, true, false, 0, false},
        {"vsync: no waiting in menus", ScreenHome, RoundPlaying, 60, true, false, 0, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        App app;
        app.screen = r.screen;
        app.roundPhase = r.phase;
        app.fpsCap = r.fpsCap;
        app.vsync = r.vsync;
        FrameCap cap = frameCapFor(app);
        EXPECT_EQ(cap.wait, r.wait);
        if (r.wait) {
            EXPECT_DOUBLE_EQ(cap.cap, r.cap);
            EXPECT_EQ(cap.busyWait, r.busy);
        }
    }
}

TEST(FrameCap, TimerWaitLeavesAMarginForTheWakeUp) {
    EXPECT_EQ(timerWaitSeconds(0.0015, true), 0);
    EXPECT_EQ(timerWaitSeconds(0.001, false), 0);
    EXPECT_EQ(timerWaitSeconds(-0.01, false), 0);
    EXPECT_NEAR(timerWaitSeconds(0.0100, true), 0.0088, 1e-12);
    EXPECT_NEAR(timerWaitSeconds(0.0100, false), 0.0098, 1e-12);
}

// A wait longer than one timer wait (a cap below 20 frames per second) still reaches the
// target; a busy wait ends at it, not before.
TEST(FrameCap, HoldsSlowCapsUntilTheTarget) {
    const int64_t freq = plat::counterFrequency();
    for (bool busy : {false, true}) {
        SCOPED_TRACE(busy ? "busy" : "timer only");
        FrameCap cap;
        cap.wait = true;
        cap.cap = 8;  // 125 ms, more than two timer waits
        cap.busyWait = busy;
        const int64_t start = plat::counterNow();
        waitForFrameCap(cap, start, freq, true);
        const double waited = static_cast<double>(plat::counterNow() - start) / static_cast<double>(freq);
        EXPECT_GE(waited, busy ? 0.125 : 0.125 - 0.0003);
    }
}

TEST(MainLoop, FrameTimeIsClamped) {
    EXPECT_DOUBLE_EQ(clampedFrameTime(10.0, 9.99), 10.0 - 9.99);
    EXPECT_EQ(clampedFrameTime(9.0, 10.0), 0);
    EXPECT_DOUBLE_EQ(clampedFrameTime(20.0, 10.0), 0.1);
}

TEST(MainLoop, AppClockFollowsTheMode) {
    struct Row {
        const char* name;
        bool automation;
        int32_t screen;
        int32_t phase;
        double expected;  // App.now after a frame of 0.05 s at wall time 30, from 2.0
    };
    const Row rows[] = {
        {"interactive: the wall clock", false, ScreenHome, RoundPlaying, 30.0},
        {"interactive round: the wall clock", false, ScreenRound, RoundPlaying, 30.0},
        {"automation: 8 x faster", true, ScreenHome, RoundPlaying, 2.4},
        {"automation between rounds: 8 x faster", true, ScreenRound, RoundBetween, 2.4},
        {"automation, playing round: the session flow steps it", true, ScreenRound, RoundPlaying, 2.0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        App app;
        app.automation = r.automation;
        app.screen = r.screen;
        app.roundPhase = r.phase;
        app.now = 2.0;
        advanceAppClock(app, 30.0, 0.05);
        EXPECT_DOUBLE_EQ(app.now, r.expected);
    }
}

TEST(MainLoop, CapturesGoToTheOutputFolderElseTheDataFolder) {
    App app;
    app.dataDir = "/d/Tarvion";
    EXPECT_EQ(capturePath(app, "manual"), "/d/Tarvion/manual.bmp");
    app.shotsDir = "shots";
    EXPECT_EQ(capturePath(app, "home"), "shots/home.bmp");
}

}  // namespace
