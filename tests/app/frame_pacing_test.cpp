#include <gtest/gtest.h>

#include <vector>

#include "app/frame_pacing.h"
#include "app/shell.h"
#include "core/profile/app.h"
#include "platform/base/clock.h"

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

FrameCap capOf(double fps, bool busy) {
    FrameCap cap;
    cap.wait = true;
    cap.cap = fps;
    cap.busyWait = busy;
    return cap;
}

// The menus wait out the whole remainder on the timer, however little is left; a round at a
// cap up to 500 sleeps all but the spin margin when that leaves more than 0.25 ms of sleep;
// above 500 the spin takes the last 1.2 ms and there is no sleep once 1.5 ms or less remain,
// whatever the margin.
TEST(FrameCap, TimerWaitLeavesAMarginOnlyForTheSpin) {
    const struct {
        const char* name;
        double fps;
        bool busy;
        double margin;
        double remaining;
        double wait;
    } rows[] = {
        {"menus: all of it", 240, false, 0.00025, 0.0100, 0.0100},
        {"menus: the margin does not count", 240, false, 0.001, 0.0015, 0.0015},
        {"menus: 0.1 ms is still waited", 240, false, 0.00025, 0.0001, 0.0001},
        {"menus: nothing left", 240, false, 0.00025, 0, 0},
        {"menus: past the target", 240, false, 0.00025, -0.01, 0},
        {"round 240: all but the margin", 240, true, 0.00025, 0.0100, 0.0100 - 0.00025},
        {"round 240: a quiet timer's margin", 240, true, 0.00005, 0.0040, 0.0040 - 0.00005},
        {"round 240: a busy machine's margin", 240, true, 0.0003, 0.0040, 0.0040 - 0.0003},
        {"round 240: just over the shortest sleep", 240, true, 0.00025, 0.0006, 0.0006 - 0.00025},
        {"round 240: at the shortest sleep only the spin", 240, true, 0.00025, 0.0005, 0},
        {"round 240: a short margin sleeps later into the frame", 240, true, 0.00005, 0.0004, 0.0004 - 0.00005},
        {"round 240: past the target", 240, true, 0.00005, -0.001, 0},
        {"round 500 still sleeps", 500, true, 0.00025, 0.0018, 0.0018 - 0.00025},
        {"round 500 with a short margin", 500, true, 0.00004, 0.0018, 0.0018 - 0.00004},
        {"round 1000: the early spin", 1000, true, 0.00005, 0.0100, 0.0088},
        {"round 1000: no sleep at 1.5 ms", 1000, true, 0.00005, 0.0015, 0},
        {"round 1000: no sleep in a 1 ms frame", 1000, true, 0.00005, 0.0009, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_NEAR(timerWaitSeconds(r.remaining, capOf(r.fps, r.busy), r.margin), r.wait, 1e-12);
    }
}

// Waits that each ended `late` seconds after what was asked.
TimerLateness learnt(const std::vector<double>& late) {
    TimerLateness l;
    for (double x : late) l.add(0.004, 0.004 + x);
    return l;
}

std::vector<double> repeated(size_t n, double late) { return std::vector<double>(n, late); }

std::vector<double> concat(std::vector<double> a, const std::vector<double>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The spin covers the 99th percentile of the recent lateness less the 40 us that a frame in
// a hundred may overrun, within 30 us and 300 us; 250 us until 16 waits are known.
TEST(TimerLateness, MarginFollowsTheRecentWaits) {
    // A quiet timer: 40 us late, one wait in fifty 100 us late.
    std::vector<double> quiet;
    for (int i = 0; i < 256; ++i) quiet.push_back(i % 50 == 0 ? 0.0001 : 0.00004);
    const struct {
        const char* name;
        std::vector<double> late;
        double margin;
    } rows[] = {
        {"nothing known yet", {}, 0.00025},
        {"too few waits to tell", repeated(15, 0.002), 0.00025},
        {"a quiet timer", quiet, 0.0001 - 0.00004},
        {"an even timer", repeated(256, 0.00009), 0.00009 - 0.00004},
        {"a timer always on time: the least spin", repeated(256, 0), 0.00003},
        {"waits that end early", repeated(256, -0.0001), 0.00003},
        {"a busy machine", repeated(256, 0.00025), 0.00025 - 0.00004},
        {"a machine too busy to cover: the most spin", repeated(256, 0.005), 0.0003},
        {"a stall in a hundred is covered", concat(repeated(250, 0.00004), repeated(6, 0.0002)), 0.0002 - 0.00004},
        {"one stall is not", concat(repeated(255, 0.00004), repeated(1, 0.003)), 0.00003},
        {"the load has gone: old waits are forgotten", concat(repeated(300, 0.002), repeated(256, 0.00007)),
         0.00007 - 0.00004},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_NEAR(learnt(r.late).spinMargin(), r.margin, 1e-7);
    }
}

// The margin moves as soon as the machine gets busy: three late waits in the last 256 are
// more than one in a hundred.
TEST(TimerLateness, ABusyTimerRaisesTheMarginAtOnce) {
    TimerLateness l = learnt(repeated(256, 0.00005));
    EXPECT_NEAR(l.spinMargin(), 0.00003, 1e-7);
    l.add(0.004, 0.0042);
    l.add(0.004, 0.0042);
    EXPECT_NEAR(l.spinMargin(), 0.00003, 1e-7);
    l.add(0.004, 0.0042);
    EXPECT_NEAR(l.spinMargin(), 0.0002 - 0.00004, 1e-6);
}

// Each timer wait of a frame is one sample: a round at cap 240 sleeps once a frame, so
// the record grows by a wait a frame.
TEST(TimerLateness, TheWaitsTeachIt) {
    const int64_t freq = plat::counterFrequency();
    TimerLateness l;
    for (int i = 0; i < 20; ++i) waitForFrameCap(capOf(240, true), plat::counterNow(), freq, true, l);
    EXPECT_GE(l.known(), 20u);
    EXPECT_GE(l.spinMargin(), TimerLateness::kMinMargin);
    EXPECT_LE(l.spinMargin(), TimerLateness::kMaxMargin);
    // Without a timer nothing is learnt.
    TimerLateness none;
    waitForFrameCap(capOf(240, true), plat::counterNow(), freq, false, none);
    EXPECT_EQ(none.known(), 0u);
}

// A wait longer than one timer wait (a cap below 20 frames per second) still reaches the
// target, with or without the spin: the cap is a ceiling.
TEST(FrameCap, HoldsSlowCapsUntilTheTarget) {
    const int64_t freq = plat::counterFrequency();
    for (bool busy : {false, true}) {
        SCOPED_TRACE(busy ? "busy" : "timer only");
        const int64_t start = plat::counterNow();
        waitForFrameCap(capOf(8, busy), start, freq, true);  // 125 ms, more than two timer waits
        const double waited = static_cast<double>(plat::counterNow() - start) / static_cast<double>(freq);
        EXPECT_GE(waited, 0.125);
    }
}

// No frame ends before 1/cap, in the menus (timer only) or in a round (timer and spin), at
// the caps on both sides of the short-spin limit.
TEST(FrameCap, NoFrameEndsEarly) {
    const int64_t freq = plat::counterFrequency();
    const struct {
        double fps;
        bool busy;
    } rows[] = {{240, false}, {60, false}, {240, true}, {500, true}, {1000, true}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.fps);
        SCOPED_TRACE(r.busy ? "busy" : "timer only");
        for (int i = 0; i < 20; ++i) {
            const int64_t start = plat::counterNow();
            waitForFrameCap(capOf(r.fps, r.busy), start, freq, true);
            const int64_t end = plat::counterNow();
            ASSERT_GE(static_cast<double>(end - start) / static_cast<double>(freq), 1.0 / r.fps) << "frame " << i;
        }
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
