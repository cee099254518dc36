#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/input.h"
#include "core/catalog/armory.h"
#include "core/profile/app.h"
#include "engine/flow/mouse_capture.h"
#include "tests/fakes/sound_recorder.h"

namespace {

plat::Event key(int32_t vk, bool repeat = false) {
    plat::Event e;
    e.kind = plat::EventKind::Key;
    e.key = vk;
    e.repeat = repeat;
    return e;
}

plat::Event raw(int32_t dx, int32_t dy, uint16_t buttons = 0, bool absolute = false) {
    plat::Event e;
    e.kind = plat::EventKind::RawMouse;
    e.dx = dx;
    e.dy = dy;
    e.buttons = buttons;
    e.absolute = absolute;
    return e;
}

plat::Event simple(plat::EventKind kind) {
    plat::Event e;
    e.kind = kind;
    if (kind == plat::EventKind::Hotkey) e.hotkeyId = plat::kHotkeyF8;
    return e;
}

const char* scopedGunId() {
    for (const GunInfo& g : gunCatalog())
        if (g.scoped) return g.id;
    return "";
}

const char* hipGunId() {
    for (const GunInfo& g : gunCatalog())
        if (!g.scoped) return g.id;
    return "";
}

// A round on screen 2, playing, with the mouse captured (no window: the platform side of
// the capture does nothing).
void playingRound(App& app) {
    RoundConfig cfg;
    cfg.cm360 = 40;
    cfg.dpi = 800;
    app.round.setupRound(cfg, 0);
    app.screen = ScreenRound;
    app.roundPhase = RoundPlaying;
    app.mouseCaptured = true;
}

// Degrees per count of that round: 914.4 / (cm/360 x DPI).
// Between two practice rounds at 50 cm/360.
void betweenPracticeRounds(App& app) {
    playingRound(app);
    app.sessionKind = SessionPractice;
    app.practiceCm = 50;
    app.roundPhase = RoundBetween;
    app.mouseCaptured = false;
}

double perCount(const App&) { return 914.4 / (40.0 * 800.0); }

struct Case {
    const char* name;
    std::function<void(App&)> setup;
    std::vector<plat::Event> events;
    std::function<void(const App&)> check;
};

// Pausing and resuming ask for the mouse through the capture sink, which the shell points
// at setMouseCaptured at start-up.
struct ShellCaptureSink {
    ShellCaptureSink() { setMouseCaptureSink(&setMouseCaptured); }
    ~ShellCaptureSink() { setMouseCaptureSink(nullptr); }
};

void runCases(const std::vector<Case>& cases) {
    ShellCaptureSink sink;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        App app;
        playedSounds().clear();
        if (c.setup) c.setup(app);
        for (const plat::Event& e : c.events) handleEvent(app, e);
        c.check(app);
    }
}

TEST(EventHandler, RawCountsRouteByScreen) {
    runCases({
        {"a playing round turns by the counts", playingRound, {raw(100, -50), raw(-30, 0)},
         [](const App& a) {
             EXPECT_DOUBLE_EQ(a.round.yaw, 70 * perCount(a));
             EXPECT_DOUBLE_EQ(a.round.pitch, 50 * perCount(a));
             EXPECT_DOUBLE_EQ(a.swayInput[0], 70);
             EXPECT_DOUBLE_EQ(a.swayInput[1], -50);
         }},
        {"no turn while the mouse is free", [](App& a) { playingRound(a); a.mouseCaptured = false; }, {raw(100, 0)},
         [](const App& a) { EXPECT_DOUBLE_EQ(a.round.yaw, 0); }},
        {"no turn between rounds", [](App& a) { playingRound(a); a.roundPhase = RoundBetween; }, {raw(100, 0)},
         [](const App& a) { EXPECT_DOUBLE_EQ(a.round.yaw, 0); }},
        {"automation ignores real counts", [](App& a) { playingRound(a); a.automation = true; }, {raw(100, 0)},
         [](const App& a) {
             EXPECT_DOUBLE_EQ(a.round.yaw, 0);
             EXPECT_DOUBLE_EQ(a.swayInput[0], 0);
         }},
        {"an absolute report warns and moves nothing", playingRound, {raw(500, 500, 0, true)},
         [](const App& a) {
             EXPECT_TRUE(a.absoluteMouseSeen);
             EXPECT_DOUBLE_EQ(a.round.yaw, 0);
             EXPECT_DOUBLE_EQ(a.round.pitch, 0);
         }},
        {"the DPI tool sums both axes while measuring",
         [](App& a) { a.screen = ScreenDpi; a.dpiMeasuring = true; a.dpiCountsX = 5; },
         {raw(100, -3), raw(-20, 7), raw(3000000, 0)},
         [](const App& a) {
             EXPECT_EQ(a.dpiCountsX, 3000085);
             EXPECT_EQ(a.dpiCountsY, 4);
         }},
        {"the DPI tool ignores counts when not measuring", [](App& a) { a.screen = ScreenDpi; }, {raw(100, 1)},
         [](const App& a) { EXPECT_EQ(a.dpiCountsX, 0); }},
        {"the calibrator sums dx only, on its screen",
         [](App& a) { a.screen = ScreenCalibrate; a.calCounting = true; }, {raw(-400, 9), raw(12400, 0)},
         [](const App& a) { EXPECT_EQ(a.calCounts, 12000); }},
        {"F8 starts and stops a calibration count on its screen",
         [](App& a) { a.screen = ScreenCalibrate; a.calTurns = 1; },
         {simple(plat::EventKind::Hotkey), raw(6000, 0), raw(6400, 5), simple(plat::EventKind::Hotkey)},
         [](const App& a) {
             EXPECT_FALSE(a.calCounting);
             ASSERT_EQ(a.calTries.size(), 1u);
             EXPECT_DOUBLE_EQ(a.calTries[0], 12400);
         }},
        {"F8 away from the calibrate screen does nothing", playingRound, {simple(plat::EventKind::Hotkey)},
         [](const App& a) { EXPECT_FALSE(a.calCounting); }},
        {"calibration counting elsewhere counts nothing",
         [](App& a) { playingRound(a); a.calCounting = true; }, {raw(10, 0)},
         [](const App& a) {
             EXPECT_EQ(a.calCounts, 0);
             EXPECT_DOUBLE_EQ(a.round.yaw, 10 * perCount(a));
         }},
    });
}

TEST(EventHandler, RightButtonAimsInScopedPracticeOnly) {
    auto scopedPractice = [](App& a) {
        playingRound(a);
        a.sessionKind = SessionPractice;
        a.gun = scopedGunId();
    };
    runCases({
        {"scoped practice: right down aims with the scope cue", scopedPractice, {raw(0, 0, plat::MouseRightDown)},
         [](const App& a) {
             EXPECT_TRUE(a.aiming);
             ASSERT_EQ(playedSounds().size(), 1u);
             EXPECT_EQ(playedSounds()[0].id, SoundScopeIn);
             EXPECT_FLOAT_EQ(playedSounds()[0].gain, 0.6f);
         }},
        {"right up stops aiming", scopedPractice, {raw(0, 0, plat::MouseRightDown), raw(0, 0, plat::MouseRightUp)},
         [](const App& a) { EXPECT_FALSE(a.aiming); }},
        {"a test round never aims", [](App& a) { playingRound(a); a.gun = scopedGunId(); },
         {raw(0, 0, plat::MouseRightDown)},
         [](const App& a) {
             EXPECT_FALSE(a.aiming);
             EXPECT_TRUE(playedSounds().empty());
         }},
        {"a gun without a scope never aims",
         [](App& a) { playingRound(a); a.sessionKind = SessionPractice; a.gun = hipGunId(); },
         {raw(0, 0, plat::MouseRightDown)}, [](const App& a) { EXPECT_FALSE(a.aiming); }},
        {"pausing drops the aim", scopedPractice, {raw(0, 0, plat::MouseRightDown), key(plat::KeyEscape)},
         [](const App& a) { EXPECT_FALSE(a.aiming); }},
        {"focus loss drops the aim", scopedPractice,
         {raw(0, 0, plat::MouseRightDown), simple(plat::EventKind::FocusLost)},
         [](const App& a) { EXPECT_FALSE(a.aiming); }},
    });
}

TEST(EventHandler, ScopedPracticeTurnsSlowerOnceZoomedIn) {
    struct Row {
        bool practice;
        bool scopedGun;
        float zoom;
        double scopeMult;
        double multiplier;
    };
    const Row rows[] = {
        {true, true, 1.0f, 1.0, 0.25}, {true, true, 0.5f, 2.0, 0.5},  {true, true, 0.49f, 1.0, 1.0},
        {true, true, 1.0f, 0.0, 1.0},  {true, true, 1.0f, -3.0, 1.0}, {true, false, 1.0f, 1.0, 1.0},
        {false, true, 1.0f, 1.0, 1.0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.practice << r.scopedGun << " zoom " << r.zoom << " mult " << r.scopeMult);
        App app;
        playingRound(app);
        app.sessionKind = r.practice ? SessionPractice : SessionFinder;
        app.gun = r.scopedGun ? scopedGunId() : hipGunId();
        app.zoom = r.zoom;
        app.scopeMult = r.scopeMult;
        handleEvent(app, raw(100, 0));
        EXPECT_DOUBLE_EQ(app.round.sensMultiplier, r.multiplier);
        EXPECT_NEAR(app.round.yaw, 100 * perCount(app) * r.multiplier, 1e-12);
    }
}

TEST(EventHandler, LeftButtonFiresAShotInTheFlickPhase) {
    App app;
    playingRound(app);
    // Start the round far enough back that the intro is over now.
    app.round.setupRound(app.round.config, app.secondsSinceStart() - 10);
    app.round.updateRound(app.secondsSinceStart());
    ASSERT_EQ(app.round.phase, DrillFlick);
    const int32_t before = app.round.shots;
    handleEvent(app, raw(0, 0, plat::MouseLeftDown));
    handleEvent(app, raw(0, 0, plat::MouseLeftUp));
    EXPECT_EQ(app.round.shots, before + 1);
}

TEST(EventHandler, KeysPauseResumeAndNavigate) {
    runCases({
        {"ESC pauses a playing round and frees the mouse", playingRound, {key(plat::KeyEscape)},
         [](const App& a) {
             EXPECT_EQ(a.roundPhase, RoundPaused);
             EXPECT_EQ(a.phaseBeforePause, RoundPlaying);
             EXPECT_FALSE(a.mouseCaptured);
         }},
        {"ESC pauses between rounds too", [](App& a) { playingRound(a); a.roundPhase = RoundBetween; },
         {key(plat::KeyEscape)},
         [](const App& a) {
             EXPECT_EQ(a.roundPhase, RoundPaused);
             EXPECT_EQ(a.phaseBeforePause, RoundBetween);
         }},
        {"ESC again restarts the interrupted round from its beginning",
         [](App& a) { playingRound(a); a.lastCountdownTick = 2; },
         {raw(300, 40), key(plat::KeyEscape), key(plat::KeyEscape)},
         [](const App& a) {
             EXPECT_EQ(a.roundPhase, RoundPlaying);
             EXPECT_TRUE(a.mouseCaptured);
             EXPECT_DOUBLE_EQ(a.round.yaw, 0);
             EXPECT_DOUBLE_EQ(a.round.pitch, 0);
             EXPECT_EQ(a.round.config.cm360, 40);
             EXPECT_EQ(a.lastCountdownTick, 99);
         }},
        {"a held ESC is one press", playingRound, {key(plat::KeyEscape), key(plat::KeyEscape, true)},
         [](const App& a) { EXPECT_EQ(a.roundPhase, RoundPaused); }},
        {"ESC on the wizard goes back one page, held or not",
         [](App& a) { a.screen = ScreenSetup; a.setupStep = 2; },
         {key(plat::KeyEscape), key(plat::KeyEscape, true), key(plat::KeyEscape, true)},
         [](const App& a) {
             EXPECT_EQ(a.screen, ScreenSetup);
             EXPECT_EQ(a.setupStep, 1);
         }},
        {"ESC on the wizard's first page goes home", [](App& a) { a.screen = ScreenSetup; }, {key(plat::KeyEscape)},
         [](const App& a) {
             EXPECT_EQ(a.screen, ScreenHome);
             EXPECT_EQ(a.setupStep, 0);
         }},
        {"ESC on the DPI tool stops measuring and returns",
         [](App& a) { a.screen = ScreenDpi; a.dpiMeasuring = true; a.dpiReturnScreen = ScreenTools; },
         {key(plat::KeyEscape)},
         [](const App& a) {
             EXPECT_FALSE(a.dpiMeasuring);
             EXPECT_EQ(a.screen, ScreenTools);
         }},
        {"ESC anywhere else goes home", [](App& a) { a.screen = ScreenHistory; }, {key(plat::KeyEscape)},
         [](const App& a) { EXPECT_EQ(a.screen, ScreenHome); }},
        {"SPACE during a playing round does nothing", playingRound, {key(plat::KeySpace)},
         [](const App& a) {
             EXPECT_EQ(a.roundPhase, RoundPlaying);
             EXPECT_EQ(a.roundCounter, 0);
         }},
        {"SPACE between rounds starts the next one at once", betweenPracticeRounds, {key(plat::KeySpace)},
         [](const App& a) {
             EXPECT_EQ(a.roundPhase, RoundPlaying);
             EXPECT_EQ(a.roundCounter, 1);
             EXPECT_DOUBLE_EQ(a.round.config.cm360, 50);
         }},
        {"SPACE on another screen does nothing", [](App& a) { betweenPracticeRounds(a); a.screen = ScreenHome; },
         {key(plat::KeySpace)}, [](const App& a) { EXPECT_EQ(a.roundCounter, 0); }},
        {"resuming a pause taken between rounds starts the next round", betweenPracticeRounds,
         {key(plat::KeyEscape), key(plat::KeyEscape)},
         [](const App& a) {
             EXPECT_EQ(a.roundPhase, RoundPlaying);
             EXPECT_EQ(a.roundCounter, 1);
             EXPECT_TRUE(a.mouseCaptured);
         }},
        {"F12 asks for one capture named manual", [](App& a) { a.screen = ScreenConverter; },
         {key(plat::KeyF12), key(plat::KeyF12)}, [](const App& a) { EXPECT_EQ(a.pendingCapture, "manual"); }},
        {"other keys do nothing", playingRound, {key(plat::KeyA), key(plat::KeyEnter)},
         [](const App& a) {
             EXPECT_EQ(a.roundPhase, RoundPlaying);
             EXPECT_EQ(a.screen, ScreenRound);
         }},
    });
}

TEST(EventHandler, WindowEvents) {
    plat::Event resized = simple(plat::EventKind::Resized);
    resized.width = 1280;
    resized.height = 720;
    plat::Event empty = simple(plat::EventKind::Resized);
    runCases({
        {"focus loss pauses a playing round", playingRound, {simple(plat::EventKind::FocusLost)},
         [](const App& a) {
             EXPECT_EQ(a.roundPhase, RoundPaused);
             EXPECT_FALSE(a.mouseCaptured);
         }},
        {"coming back does not resume", playingRound,
         {simple(plat::EventKind::FocusLost), simple(plat::EventKind::FocusGained)},
         [](const App& a) { EXPECT_EQ(a.roundPhase, RoundPaused); }},
        {"focus loss of a paused round keeps what was paused",
         [](App& a) { playingRound(a); a.roundPhase = RoundPaused; a.phaseBeforePause = RoundBetween; },
         {simple(plat::EventKind::FocusLost)},
         [](const App& a) { EXPECT_EQ(a.phaseBeforePause, RoundBetween); }},
        {"focus loss under automation changes nothing", [](App& a) { playingRound(a); a.automation = true; },
         {simple(plat::EventKind::FocusLost)}, [](const App& a) { EXPECT_EQ(a.roundPhase, RoundPlaying); }},
        {"the close button asks to quit", nullptr, {simple(plat::EventKind::Close)},
         [](const App& a) { EXPECT_TRUE(a.quitRequested); }},
        {"a quit from the system too", nullptr, {simple(plat::EventKind::Quit)},
         [](const App& a) { EXPECT_TRUE(a.quitRequested); }},
        {"a resize sets the client size, an empty one does not", nullptr, {resized, empty},
         [](const App& a) {
             EXPECT_EQ(a.width, 1280);
             EXPECT_EQ(a.height, 720);
         }},
    });
}

TEST(EventHandler, CaptureIsNeverTakenUnderAutomation) {
    App app;
    setMouseCaptured(app, true);
    EXPECT_TRUE(app.mouseCaptured);
    setMouseCaptured(app, false);
    EXPECT_FALSE(app.mouseCaptured);
    app.automation = true;
    setMouseCaptured(app, true);
    EXPECT_FALSE(app.mouseCaptured);
}

TEST(EventHandler, LeavingTheCalibrateScreenDropsACount) {
    App app;
    setRawInputSink(app, true);
    EXPECT_TRUE(app.rawInputSink);
    app.calCounting = true;
    app.calCounts = 500;
    setRawInputSink(app, true);  // no change
    EXPECT_TRUE(app.calCounting);
    setRawInputSink(app, false);
    EXPECT_FALSE(app.rawInputSink);
    EXPECT_FALSE(app.calCounting);
    EXPECT_FALSE(app.f8HotkeyOk);
}

TEST(WindowMode, WindowedClientRectIsCentredInTheWorkArea) {
    struct Row {
        plat::Rect work;
        int32_t size[2];
        int32_t frame[4];  // left, top, right, bottom
        plat::Rect client;
    };
    const Row rows[] = {
        {{0, 0, 1920, 1080}, {0, 0}, {0, 0, 0, 0}, {160, 90, 1600, 900}},
        {{0, 0, 1920, 1040}, {0, 0}, {8, 31, 8, 8}, {160, 81, 1600, 900}},
        {{0, 0, 1920, 1080}, {1280, 720}, {0, 0, 0, 0}, {320, 180, 1280, 720}},
        {{0, 0, 1920, 1080}, {1280, 0}, {0, 0, 0, 0}, {320, 90, 1280, 900}},
        // Too wide for the work area: 40 pixels narrower, in 16:9.
        {{0, 0, 1600, 900}, {0, 0}, {0, 0, 0, 0}, {20, 11, 1560, 877}},
        {{0, 0, 1920, 1080}, {1881, 500}, {0, 0, 0, 0}, {20, 11, 1880, 1057}},
        {{0, 0, 1920, 1080}, {1880, 500}, {0, 0, 0, 0}, {20, 290, 1880, 500}},
        {{1920, 24, 1280, 1000}, {0, 0}, {0, 0, 0, 0}, {1940, 175, 1240, 697}},
        // Too tall: the height is cut to what the work area holds with the frame.
        {{0, 0, 1920, 1080}, {100, 100000}, {0, 0, 0, 0}, {910, 0, 100, 1080}},
        {{0, 0, 1920, 1040}, {100, 100000}, {8, 31, 8, 8}, {910, 31, 100, 1001}},
        {{0, 0, 1600, 860}, {0, 0}, {8, 31, 8, 8}, {20, 31, 1560, 821}},
        {{0, 0, 1920, 1080}, {1280, 1080}, {0, 0, 0, 0}, {320, 0, 1280, 1080}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.work.w << "x" << r.work.h << " size " << r.size[0] << "x" << r.size[1]);
        plat::Rect c = windowedClientRect(r.work, r.size, r.frame[0], r.frame[1], r.frame[2], r.frame[3]);
        EXPECT_EQ(c.x, r.client.x);
        EXPECT_EQ(c.y, r.client.y);
        EXPECT_EQ(c.w, r.client.w);
        EXPECT_EQ(c.h, r.client.h);
    }
}

}  // namespace
