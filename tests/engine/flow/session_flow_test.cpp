#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "core/catalog/armory.h"
#include "core/catalog/catalog.h"
#include "core/profile/app.h"
#include "core/profile/history.h"
#include "engine/flow/mouse_capture.h"
#include "engine/flow/session_flow.h"
#include "engine/flow/starters.h"
#include "engine/kernel/session.h"
#include "tests/fakes/sound_recorder.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<bool>& captureRequests() {
    static std::vector<bool> requests;
    return requests;
}
void recordCapture(App&, bool on) { captureRequests().push_back(on); }

int countSound(SoundId id) {
    return static_cast<int>(std::count_if(playedSounds().begin(), playedSounds().end(),
                                          [id](const PlayedSound& s) { return s.id == id; }));
}

size_t fileLines(const fs::path& p) { return test_files::lines(test_files::readText(p)).size(); }

// A finished round at cm360: three scored kills and two tracking segments.
RoundResult roundAt(double cm360, double moveSeconds = 0.4) {
    RoundResult r;
    r.config.cm360 = cm360;
    r.config.style = 1;
    for (int i = 0; i < 3; ++i) {
        TargetRecord t;
        t.scored = true;
        t.distance = 20;
        t.radius = 1;
        t.spawnTime = i;
        t.reactionTime = i + 0.2;
        t.killTime = i + 0.2 + moveSeconds;
        t.killed = true;
        t.shots = 1;
        r.targets.push_back(t);
    }
    for (int i = 0; i < 2; ++i) {
        TrackSegment s;
        s.duration = 0.5;
        s.onTarget = 0.3;
        s.nearCredit = 0.4;
        r.segments.push_back(s);
    }
    r.kills = 3;
    r.shots = 3;
    r.onTargetRatio = 0.6;
    return r;
}

AnalysisResult validAnalysis(double rec, double lo, double hi) {
    AnalysisResult a;
    a.valid = true;
    a.recommendedCm360 = rec;
    a.lowCm360 = lo;
    a.highCm360 = hi;
    a.confidence = "Medium";
    return a;
}

int32_t gunWithScope(int32_t scoped) {
    const std::vector<GunInfo>& guns = gunCatalog();
    for (size_t i = 0; i < guns.size(); ++i)
        if (guns[i].scoped == scoped) return static_cast<int32_t>(i);
    return 0;
}

class FlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        app.dataDir = dir.string();
        playedSounds().clear();
        captureRequests().clear();
        setMouseCaptureSink(&recordCapture);
    }
    void TearDown() override {
        setMouseCaptureSink(nullptr);
    }

    // The running round ends with this result; one frame runs the end-of-round sequence.
    void endRound(const RoundResult& result) {
        app.round.result = result;
        app.round.phase = DrillDone;
        app.round.events.clear();
        updateFrame(app, 0);
    }

    TempFolder folder;
    fs::path dir{folder.dir()};
    App app;
};

// ---- Starters -------------------------------------------------------------------------

TEST_F(FlowTest, PracticeClampsAndReturnsWhereItCameFrom) {
    struct Case {
        double cm;
        int32_t from;
        double played;
        int32_t back;
    };
    const Case cases[] = {{3, ScreenHome, 6, ScreenHome},
                          {500, ScreenResults, 200, ScreenResults},
                          {35, ScreenTools, 35, ScreenHome}};
    for (const Case& c : cases) {
        app.screen = c.from;
        app.debris.push_back(Debris{});
        captureRequests().clear();
        startPractice(app, c.cm, false);
        EXPECT_EQ(app.sessionKind, SessionPractice);
        EXPECT_EQ(app.screen, ScreenRound);
        EXPECT_DOUBLE_EQ(app.round.config.cm360, c.played);
        EXPECT_EQ(app.round.config.flickTargets, 18);
        EXPECT_TRUE(app.debris.empty());
        EXPECT_EQ(captureRequests(), std::vector<bool>{true});
        leaveRound(app);
        EXPECT_EQ(app.screen, c.back) << "from " << c.from;
        EXPECT_EQ(captureRequests().back(), false);
    }
}

TEST_F(FlowTest, FinderConfigurationFromTheSettings) {
    struct Case {
        int32_t game, style, trackSpeed, length;
        double flickWeight;
        int32_t drill, plannedLength;
        double orbSpeed;
    };
    const Case cases[] = {
        {0, -1, 2, 5, 0.65, 0, 2, 1.6},   // cs2: its Tactical default; length clamped
        {2, 1, 0, -1, 0.5, 1, 0, 1.0},    // apex with a Balanced override
        {9, -1, 1, 1, 0.65, 3, 1, 1.3},   // Reforger plays Mil-sim, weighted by its default
    };
    for (const Case& c : cases) {
        app.automation = true;
        app.game = c.game;
        app.style = c.style;
        app.trackSpeed = c.trackSpeed;
        app.length = c.length;
        app.dpi = 1200;
        startFinder(app);
        const SessionConfig& s = app.session.config;
        EXPECT_DOUBLE_EQ(s.dpi, 1200);
        EXPECT_DOUBLE_EQ(s.startCm360, app.currentCm360());
        EXPECT_DOUBLE_EQ(s.hFov, app.windowFov());
        EXPECT_DOUBLE_EQ(s.vFov, app.verticalFov());
        EXPECT_EQ(s.length, c.plannedLength);
        EXPECT_DOUBLE_EQ(s.flickWeight, c.flickWeight);
        EXPECT_DOUBLE_EQ(s.trackWeight, 1 - c.flickWeight);
        EXPECT_EQ(s.style, c.drill);
        EXPECT_DOUBLE_EQ(s.trackSpeed, c.orbSpeed);
        EXPECT_TRUE(s.warmUp);
        EXPECT_EQ(s.seed, kFinderAutomationSeed);
        EXPECT_EQ(app.resultGame, c.game);
        EXPECT_DOUBLE_EQ(app.resultYaw, app.gameYaw());
        EXPECT_DOUBLE_EQ(app.resultCm, s.startCm360);
        EXPECT_EQ(app.sessionKind, SessionFinder);
        EXPECT_EQ(app.screen, ScreenRound);
        EXPECT_EQ(app.roundPhase, RoundPlaying);
        EXPECT_EQ(app.simRoundCounter, 1);
        // The warm-up at the player's own cm/360 plays first.
        EXPECT_DOUBLE_EQ(app.round.config.cm360, s.startCm360);
        EXPECT_EQ(app.round.config.flickTargets, 10);
    }
}

TEST_F(FlowTest, SensCheckWithoutResultOrHistoryStartsFresh) {
    app.sensChecks.push_back(SensCheckEntry{});
    startSensCheck(app);
    const double g = app.currentCm360();
    EXPECT_DOUBLE_EQ(app.cmBeforeCheck, g);
    EXPECT_TRUE(app.sensChecks.empty());
    EXPECT_TRUE(app.session.results.empty());
    EXPECT_EQ(app.session.config.length, 1);
    ASSERT_EQ(app.session.rounds.size(), 7u);
    EXPECT_EQ(app.session.rounds[0].stage, StageWarmUp);
    std::vector<double> cms;
    for (size_t i = 1; i < 7; ++i) cms.push_back(app.session.rounds[i].cm360);
    std::sort(cms.begin(), cms.end());
    const double lo = g * std::exp(-0.22), hi = g * std::exp(0.22);
    const std::vector<double> want = {lo, lo, g, g, hi, hi};
    for (size_t i = 0; i < 6; ++i) EXPECT_NEAR(cms[i], want[i], 1e-9);
    EXPECT_EQ(app.sessionKind, SessionSensCheck);
    EXPECT_EQ(captureRequests().back(), true);
}

TEST_F(FlowTest, SensCheckAfterFinderPoolsItsRounds) {
    app.hasResult = true;
    app.resultGame = app.game;
    app.analysis = validAnalysis(40, 36, 44);
    app.session.results = {roundAt(30), roundAt(35), roundAt(40)};
    app.session.resultStages = {1, 1, 2};
    app.resultConfig.dpi = 1600;
    app.resultConfig.seed = 777;
    app.sensChecks = {SensCheckEntry{}};
    startSensCheck(app);
    EXPECT_DOUBLE_EQ(app.cmBeforeCheck, 40);
    EXPECT_DOUBLE_EQ(app.session.config.dpi, 1600);
    EXPECT_EQ(app.session.config.seed, 777u);
    EXPECT_DOUBLE_EQ(app.resultConfig.startCm360, 40);
    EXPECT_EQ(app.session.results.size(), 3u);
    EXPECT_EQ(app.sensChecks.size(), 1u);
    EXPECT_TRUE(app.hasResult);
    double maxCm = 0;
    for (const SessionRound& r : app.session.rounds) maxCm = std::max(maxCm, r.cm360);
    EXPECT_NEAR(maxCm, 40 * std::exp(0.14), 1e-9);
}

TEST_F(FlowTest, SensCheckForAnotherGameDropsTheOtherResult) {
    app.game = 1;
    app.hasResult = true;
    app.isSensCheckResult = true;
    app.resultGame = 2;
    app.analysis = validAnalysis(40, 36, 44);
    app.session.results = {roundAt(30), roundAt(35), roundAt(40)};
    app.sensChecks = {SensCheckEntry{}};
    startSensCheck(app);
    EXPECT_FALSE(app.hasResult);
    EXPECT_FALSE(app.isSensCheckResult);
    EXPECT_FALSE(app.analysis.valid);
    EXPECT_EQ(app.resultGame, 1);
    EXPECT_TRUE(app.sensChecks.empty());
    EXPECT_TRUE(app.session.results.empty());
    // Leaving early has no result to show.
    leaveRound(app);
    EXPECT_EQ(app.screen, ScreenHome);
}

// A finished VALORANT result at 48.2, then a new test started and left after two rounds:
// whichever game the new test is for, nothing of the finished result is shown, pooled or
// started from; the history still knows it.
TEST_F(FlowTest, ATestLeftEarlyLeavesNoResultOfTheTestBefore) {
    struct Case {
        const char* what;
        int32_t game;
        double bestKnown;  // 0: the new game's own cm/360
    };
    const Case cases[] = {{"same game", 1, 48.2}, {"another game", 0, 0}};
    for (const Case& c : cases) {
        app.game = 1;
        app.hasResult = true;
        app.isSensCheckResult = true;
        app.resultGame = 1;
        app.analysis = validAnalysis(48.2, 45, 51);
        app.session.results = {roundAt(40), roundAt(48), roundAt(56)};
        app.session.resultStages = {1, 1, 1};
        app.sensChecks = {SensCheckEntry{}};
        HistoryEntry row;
        row.game = "VALORANT";
        row.recommended_cm360 = 48.2;
        app.history = {row};

        app.game = c.game;
        startFinder(app);
        for (int k = 0; k < 3; ++k) recordRound(app.session, roundAt(app.session.rounds[app.session.nextRound].cm360));
        ASSERT_EQ(app.session.results.size(), 2u) << c.what;  // the warm-up is not kept
        leaveRound(app);

        EXPECT_EQ(app.screen, ScreenHome) << c.what;
        EXPECT_FALSE(app.hasResult) << c.what;
        EXPECT_FALSE(app.isSensCheckResult) << c.what;
        EXPECT_FALSE(app.analysis.valid) << c.what;
        EXPECT_TRUE(app.sensChecks.empty()) << c.what;
        const double want = c.bestKnown > 0 ? c.bestKnown : app.currentCm360();
        EXPECT_DOUBLE_EQ(bestKnownCm360(app), want) << c.what;
        // A Sens Check now starts fresh: the left test's partial rounds are not pooled.
        startSensCheck(app);
        EXPECT_TRUE(app.session.results.empty()) << c.what;
        EXPECT_DOUBLE_EQ(app.cmBeforeCheck, want) << c.what;
        leaveRound(app);
    }
}

// A Scope Check left early: the screen has no result to show, rather than the last check's
// figures read against this check's hip-fire value.
TEST_F(FlowTest, AScopeCheckLeftEarlyShowsNoResult) {
    app.scopeHipCm360 = 30;
    concludeScopeCheck(app, validAnalysis(120, 100, 140));
    ASSERT_TRUE(app.hasScopeResult);
    app.game = 0;  // another hip-fire value to start from
    startScopeCheck(app);
    EXPECT_NE(app.scopeHipCm360, 30);
    EXPECT_FALSE(app.hasScopeResult);
    EXPECT_TRUE(app.scopeAnalysis.rounds.empty());
    leaveRound(app);
    EXPECT_EQ(app.screen, ScreenHome);
}

TEST_F(FlowTest, BestKnownCm360) {
    auto row = [](const std::string& game, double rec) {
        HistoryEntry e;
        e.game = game;
        e.recommended_cm360 = rec;
        return e;
    };
    app.game = 1;  // VALORANT
    const double current = app.currentCm360();
    struct Case {
        const char* what;
        std::vector<HistoryEntry> history;
        double want;
    };
    const Case cases[] = {
        {"no history", {}, current},
        {"newest of the game", {row("VALORANT", 30), row("VALORANT", 41), row("Apex Legends", 20)}, 41},
        {"clamped", {row("VALORANT", 250)}, 200},
        {"unusable rows skipped", {row("VALORANT", 33), row("VALORANT", 0), row("VALORANT", NAN)}, 33},
        {"catalogue id is not the key", {row("valorant", 30)}, current},
    };
    for (const Case& c : cases) {
        app.history = c.history;
        EXPECT_DOUBLE_EQ(bestKnownCm360(app), c.want) << c.what;
    }
    // The result on hand wins when it is this game's.
    app.history = {row("VALORANT", 30)};
    app.hasResult = true;
    app.resultGame = 1;
    app.analysis = validAnalysis(44, 40, 48);
    app.session.results = {roundAt(44)};
    EXPECT_DOUBLE_EQ(bestKnownCm360(app), 44);
    app.analysis.recommendedCm360 = 221;  // a fitted top just past the tested range
    EXPECT_DOUBLE_EQ(bestKnownCm360(app), 200);
    app.resultGame = 2;
    EXPECT_DOUBLE_EQ(bestKnownCm360(app), 30);
}

TEST_F(FlowTest, ScopeCheckStartsAtTheScopedSpeedOfTheHipResult) {
    struct Case {
        double scopeMult, divisor;
    };
    const Case cases[] = {{1.0, 1.0}, {0.1, 0.2}, {2.0, 2.0}};
    for (const Case& c : cases) {
        app.scopeMult = c.scopeMult;
        startScopeCheck(app);
        const double hip = app.currentCm360();
        EXPECT_DOUBLE_EQ(app.scopeHipCm360, hip);
        const double b = 4 * hip / c.divisor;
        EXPECT_DOUBLE_EQ(app.scopeSession.config.startCm360, b);
        EXPECT_DOUBLE_EQ(app.scopeSession.config.zoom, 4);
        EXPECT_DOUBLE_EQ(app.scopeSession.config.flickWeight, 0.65);
        const double quarter = 2 * std::atan(std::tan(app.windowFov() * kPi / 360) * 0.25) * 180 / kPi;
        EXPECT_NEAR(app.scopeSession.config.hFov, quarter, 1e-9);
        ASSERT_EQ(app.scopeSession.rounds.size(), 7u);
        EXPECT_NEAR(app.round.config.cm360, std::clamp(b, 6.0, 200.0), 1e-9);
        EXPECT_DOUBLE_EQ(app.round.config.zoom, 4);
        EXPECT_GT(app.round.config.scopeRadius, 0);
        EXPECT_EQ(app.zoom, 1.0f);
        EXPECT_EQ(app.sessionKind, SessionScopeCheck);
    }
}

TEST_F(FlowTest, LeavingGoesWhereTheSessionBelongs) {
    struct Case {
        int32_t kind;
        bool hasResult, hasScope;
        int32_t practiceReturn, want;
    };
    const Case cases[] = {
        {SessionFinder, true, true, 3, ScreenHome},        {SessionPractice, false, false, 3, ScreenResults},
        {SessionPractice, true, true, 0, ScreenHome},      {SessionSensCheck, true, false, 0, ScreenResults},
        {SessionSensCheck, false, true, 0, ScreenHome},    {SessionScopeCheck, false, true, 0, ScreenScopeResult},
        {SessionScopeCheck, true, false, 0, ScreenHome},
    };
    for (const Case& c : cases) {
        app.screen = ScreenRound;
        app.sessionKind = c.kind;
        app.hasResult = c.hasResult;
        app.hasScopeResult = c.hasScope;
        app.practiceReturnScreen = c.practiceReturn;
        app.debris.push_back(Debris{});
        captureRequests().clear();
        leaveRound(app);
        EXPECT_EQ(app.screen, c.want) << "kind " << c.kind;
        EXPECT_TRUE(app.debris.empty());
        EXPECT_EQ(captureRequests(), std::vector<bool>{false});
    }
}

TEST_F(FlowTest, PauseAndResumeOnlyOnTheRoundScreen) {
    RoundConfig cfg;
    cfg.cm360 = 40;
    cfg.dpi = 800;
    app.screen = ScreenHome;
    pauseRound(app);
    EXPECT_EQ(app.roundPhase, RoundPlaying);
    app.round.setupRound(cfg, 0);
    app.screen = ScreenRound;
    app.roundPhase = RoundPlaying;
    pauseRound(app);
    pauseRound(app);  // already paused: the remembered phase stays
    EXPECT_EQ(app.phaseBeforePause, RoundPlaying);
    app.screen = ScreenHome;
    resumeRound(app);
    EXPECT_EQ(app.roundPhase, RoundPaused);
    app.screen = ScreenRound;
    resumeRound(app);
    EXPECT_EQ(app.roundPhase, RoundPlaying);
    // The mouse is freed once by the pause and taken back once by the resume.
    EXPECT_EQ(captureRequests(), (std::vector<bool>{false, true}));
}

TEST_F(FlowTest, ResumingRestartsTheRoundOrGoesOnToTheNext) {
    app.sessionKind = SessionPractice;
    app.practiceCm = 40;
    app.screen = ScreenRound;
    startRound(app);
    app.now = 2;
    app.round.updateRound(app.now);
    app.aiming = true;
    pauseRound(app);
    EXPECT_FALSE(app.aiming);
    app.now = 5;
    resumeRound(app);
    EXPECT_EQ(app.roundPhase, RoundPlaying);
    EXPECT_DOUBLE_EQ(app.round.phaseStart, 5);  // from its beginning
    EXPECT_EQ(app.roundCounter, 1);             // the same round again

    app.roundPhase = RoundBetween;
    pauseRound(app);
    EXPECT_EQ(app.phaseBeforePause, RoundBetween);
    resumeRound(app);
    EXPECT_EQ(app.roundPhase, RoundPlaying);
    EXPECT_EQ(app.roundCounter, 2);  // on to the next round
}

// "Run the full test again": the result becomes the profile and the wizard opens on Start.
TEST_F(FlowTest, FullRetestTakesTheResultIntoTheProfile) {
    struct Case {
        const char* game;
        double yaw;
        double sensBefore, sensAfter, cmDirectAfter;
    };
    const Case cases[] = {
        {"valorant", 0.07, 9, sensFromCm360(0.07, 40, 800), 35},
        {"reforger", 0, 0.9, 0.9, 35},  // no yaw behind the result: the player's value stays
        {"cm360", 0, 0.4, 0.4, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.game);
        App a;
        a.dpi = 1600;
        a.sens = c.sensBefore;
        a.sensUnknown = true;
        a.resultGame = gameIndexById(c.game);
        a.resultYaw = c.yaw;
        a.resultConfig.dpi = 800;
        a.analysis = validAnalysis(40, 36, 44);
        a.screen = ScreenResults;
        startFullRetest(a);
        EXPECT_EQ(a.game, gameIndexById(c.game));
        EXPECT_DOUBLE_EQ(a.sens, c.sensAfter);
        EXPECT_DOUBLE_EQ(a.cmDirect, c.cmDirectAfter);
        EXPECT_DOUBLE_EQ(a.dpi, 800);
        EXPECT_FALSE(a.sensUnknown);
        EXPECT_EQ(a.screen, ScreenSetup);
        EXPECT_EQ(a.setupStep, 3);
    }
}

// ---- Per-frame motion ------------------------------------------------------------------

TEST_F(FlowTest, DebrisFallsAndExpiresInOrder) {
    Debris a;
    a.life = 0.05f;
    Debris b;
    b.life = 1.0f;
    b.pos[0] = 1;
    b.vel[0] = 2;
    b.vel[1] = 1;
    Debris c = b;
    c.life = 0.5f;
    app.debris = {a, b, c};
    updateFrame(app, 0.1);
    ASSERT_EQ(app.debris.size(), 2u);
    EXPECT_FLOAT_EQ(app.debris[0].life, 0.9f);
    EXPECT_FLOAT_EQ(app.debris[1].life, 0.4f);
    EXPECT_FLOAT_EQ(app.debris[0].vel[1], 0.5f);          // gravity first
    EXPECT_FLOAT_EQ(app.debris[0].pos[1], 0.05f);         // then the new velocity moves it
    EXPECT_FLOAT_EQ(app.debris[0].pos[0], 1.2f);
}

TEST_F(FlowTest, MenuClockRunsOnlyOffTheRoundScreen) {
    app.screen = ScreenHome;
    updateFrame(app, 0.25);
    EXPECT_DOUBLE_EQ(app.menuClock, 0.25);
    app.screen = ScreenRound;
    app.roundPhase = RoundPaused;
    updateFrame(app, 0.25);
    EXPECT_DOUBLE_EQ(app.menuClock, 0.25);
}

TEST_F(FlowTest, ZeroFrameTimeMovesNothingButOneAutomatedStep) {
    app.automation = true;
    startPractice(app, 35, false);
    app.gunSway[0] = 0.01f;
    app.gunRoll = 2;
    app.zoom = 0.5f;
    app.recoil[0] = 1;
    app.swayInput[0] = 40;
    const double now = app.now;
    updateFrame(app, 0);
    EXPECT_EQ(app.gunSway[0], 0.01f);
    EXPECT_EQ(app.gunRoll, 2.0f);
    EXPECT_EQ(app.zoom, 0.5f);
    EXPECT_EQ(app.recoil[0], 1.0f);
    EXPECT_EQ(app.swayInput[0], 0);
    EXPECT_NEAR(app.now, now + 0.001, 1e-12);
}

TEST_F(FlowTest, GunSwayFollowsTheMouse) {
    app.screen = ScreenHome;
    app.round.degPerCount = 0.01;
    app.swayInput[0] = 1000;  // 10 degrees in 0.01 s: 1000 degrees per second to the right
    updateFrame(app, 0.01);
    const double a = 1 - std::exp(-0.01 / 0.09);
    EXPECT_NEAR(app.gunSway[0], -0.025 * a, 1e-7);  // the target is clamped
    EXPECT_NEAR(app.gunRoll, 5 * a, 1e-6);
    EXPECT_EQ(app.swayInput[0], 0);
}

TEST_F(FlowTest, ScopeZoomInOnlyWhereAScopeIsUp) {
    struct Case {
        int32_t screen, kind;
        bool aiming;
        int32_t scoped;
        float want;
    };
    const Case cases[] = {
        {ScreenRound, SessionScopeCheck, false, 0, 1},
        {ScreenRound, SessionPractice, true, 1, 1},
        {ScreenRound, SessionPractice, true, 0, 0},
        {ScreenRound, SessionPractice, false, 1, 0},
        {ScreenRound, SessionFinder, true, 1, 0},
        {ScreenHome, SessionScopeCheck, true, 1, 0},
    };
    for (const Case& c : cases) {
        for (float start : {0.0f, 0.5f, 1.0f}) {
            app.screen = c.screen;
            app.roundPhase = RoundPaused;
            app.sessionKind = c.kind;
            app.aiming = c.aiming;
            app.gun = gunCatalog()[static_cast<size_t>(gunWithScope(c.scoped))].id;
            app.zoom = start;
            updateFrame(app, 0.3);  // 5 time constants: within the snap
            EXPECT_EQ(app.zoom, c.want) << "screen " << c.screen << " kind " << c.kind << " from " << start;
        }
    }
    // One short frame moves part of the way.
    app.screen = ScreenRound;
    app.sessionKind = SessionScopeCheck;
    app.zoom = 0;
    updateFrame(app, 0.06);
    EXPECT_NEAR(app.zoom, 1 - std::exp(-1.0), 1e-6);
}

// ---- Events ---------------------------------------------------------------------------

TEST_F(FlowTest, EventsBecomeSoundsAndDebris) {
    struct Case {
        int32_t type;
        int32_t hitSetting;
        std::vector<SoundId> sounds;
        size_t debris;
    };
    // The gun is the default rifle: shot sound 8.
    const Case cases[] = {
        {RoundEventHit, 0, {SoundShotRifle, SoundHitPop}, 18},
        {RoundEventHit, 1, {SoundShotRifle, SoundHitDing}, 18},
        {RoundEventHit, 2, {SoundShotRifle, SoundHitClick}, 18},
        {RoundEventHit, 3, {SoundShotRifle, SoundHitClassic}, 18},
        {RoundEventHit, 7, {SoundShotRifle, SoundHitPop}, 18},
        {RoundEventMiss, 0, {SoundShotRifle}, 0},
        {RoundEventGivenUp, 0, {SoundMiss}, 0},
        {RoundEventFlickBegins, 0, {SoundGo}, 0},
        {RoundEventTrackingBegins, 0, {SoundGo}, 0},
        {RoundEventSpawned, 0, {}, 0},
        {RoundEventFinished, 0, {}, 0},
    };
    for (const Case& c : cases) {
        playedSounds().clear();
        app.debris.clear();
        app.hitSound = c.hitSetting;
        app.now = 12.5;
        app.hitMarkerTime = -10;
        app.round.events = {RoundEvent{c.type, Float3{1, 2, 3}}};
        drainRoundEvents(app);
        std::vector<SoundId> ids;
        for (const PlayedSound& s : playedSounds()) ids.push_back(s.id);
        EXPECT_EQ(ids, c.sounds) << "type " << c.type << " setting " << c.hitSetting;
        EXPECT_EQ(app.debris.size(), c.debris);
        EXPECT_TRUE(app.round.events.empty());
        EXPECT_EQ(app.hitMarkerTime, c.type == RoundEventHit ? 12.5 : -10);
    }
    // Gains: a hit's shot sound is quieter than a miss's; the hit cue at 0.85.
    playedSounds().clear();
    app.round.events = {RoundEvent{RoundEventHit, {}}, RoundEvent{RoundEventGivenUp, {}},
                        RoundEvent{RoundEventFlickBegins, {}}};
    drainRoundEvents(app);
    ASSERT_EQ(playedSounds().size(), 4u);
    EXPECT_FLOAT_EQ(playedSounds()[1].gain, 0.85f);
    EXPECT_FLOAT_EQ(playedSounds()[2].gain, 0.5f);
    EXPECT_FLOAT_EQ(playedSounds()[3].gain, 0.8f);
}

TEST_F(FlowTest, HitDebrisBurstShrinksWithTheZoom) {
    for (double zoom : {1.0, 4.0}) {
        app.debris.clear();
        app.round.config.zoom = zoom;
        app.round.events = {RoundEvent{RoundEventHit, Float3{1, 2, 3}}};
        drainRoundEvents(app);
        ASSERT_EQ(app.debris.size(), 18u);
        const double f = 1 / zoom;
        for (const Debris& d : app.debris) {
            EXPECT_EQ(d.pos[0], 1.0f);
            EXPECT_EQ(d.pos[2], 3.0f);
            const double speed = std::sqrt(d.vel[0] * d.vel[0] + d.vel[1] * d.vel[1] + d.vel[2] * d.vel[2]);
            EXPECT_GE(speed, 1.8 * f - 1e-5);
            EXPECT_LE(speed, 4.5 * f + 1e-5);
            EXPECT_GE(d.size, 0.035 * f - 1e-7);
            EXPECT_LE(d.size, 0.07 * f + 1e-7);
            EXPECT_EQ(d.life, d.lifeSpan);
            EXPECT_GE(d.life, 0.25f);
            EXPECT_LE(d.life, 0.42f);
            EXPECT_EQ(d.color[1], app.flickColor[1]);
        }
    }
}

TEST_F(FlowTest, CountdownTicksThreeTimes) {
    startPractice(app, 35, false);
    for (int i = 0; i < 100 && app.round.phase == DrillIntro; ++i) {
        app.now += 0.05;
        updateFrame(app, 0.05);
    }
    EXPECT_EQ(app.round.phase, DrillFlick);
    EXPECT_EQ(countSound(SoundTick), 3);
    EXPECT_EQ(countSound(SoundGo), 1);
}

TEST_F(FlowTest, AutomatedFrameStepsAreBounded) {
    struct Case {
        double dt, speed, advance;
    };
    const Case cases[] = {{1.0 / 60, 8, 0.133}, {1.0, 8, 2.0}, {0.0001, 1, 0.001}};
    for (const Case& c : cases) {
        app.automation = true;
        app.automationSpeed = c.speed;
        startPractice(app, 35, false);  // the 2.4 s intro outlasts every case
        const double before = app.now;
        updateFrame(app, c.dt);
        EXPECT_NEAR(app.now - before, c.advance, 1e-9) << c.dt;
    }
}

// ---- End of round ---------------------------------------------------------------------

TEST_F(FlowTest, FinderRoundsPauseAndStageTwoGetsLonger) {
    startFinder(app);
    const int64_t xp = app.xp;
    // Warm-up: XP and its cue, but no log line and no recording.
    endRound(roundAt(app.round.config.cm360));
    EXPECT_GT(app.xp, xp);
    EXPECT_EQ(countSound(SoundRoundEnd), 1);
    EXPECT_TRUE(app.scores.empty());
    EXPECT_TRUE(app.session.results.empty());
    EXPECT_EQ(app.roundPhase, RoundBetween);
    EXPECT_DOUBLE_EQ(app.nextRoundAt, app.now + 3.5);

    for (int k = 0; k < 5; ++k) {
        // The pause ends and the next planned round starts.
        app.now = app.nextRoundAt;
        updateFrame(app, 0);
        ASSERT_EQ(app.roundPhase, RoundPlaying);
        EXPECT_DOUBLE_EQ(app.round.config.cm360, app.session.rounds[static_cast<size_t>(app.session.nextRound)].cm360);
        endRound(roundAt(app.round.config.cm360, 0.3 + 0.05 * k));
        const bool last = k == 4;
        EXPECT_EQ(app.stageChanged, last);
        EXPECT_DOUBLE_EQ(app.nextRoundAt, app.now + (last ? 5.0 : 3.5));
    }
    ASSERT_EQ(app.scores.size(), 5u);
    EXPECT_EQ(app.scores[0].mode, "finder");
    EXPECT_EQ(app.session.results.size(), 5u);
    EXPECT_EQ(app.session.rounds.size(), 11u);
    EXPECT_EQ(fileLines(dir / "scores.csv"), 6u);
}

TEST_F(FlowTest, PracticeRoundsAndTheTutorial) {
    startPractice(app, 35, false);
    endRound(roundAt(35));
    EXPECT_EQ(app.roundPhase, RoundBetween);
    EXPECT_FALSE(app.stageChanged);
    EXPECT_DOUBLE_EQ(app.nextRoundAt, app.now + 4.0);
    ASSERT_EQ(app.scores.size(), 1u);
    EXPECT_EQ(app.scores[0].mode, "practice");
    EXPECT_EQ(app.practiceRounds.size(), 1u);

    app.scores.clear();
    startPractice(app, 35, true);
    EXPECT_EQ(app.round.config.flickTargets, 6);
    captureRequests().clear();
    endRound(roundAt(35));
    EXPECT_TRUE(app.scores.empty());  // the tutorial round is not logged
    EXPECT_TRUE(app.tutorialDone);
    EXPECT_FALSE(app.tutorialPractice);
    EXPECT_TRUE(app.showTutorialDone);
    EXPECT_EQ(app.screen, ScreenHome);
    EXPECT_EQ(captureRequests(), std::vector<bool>{false});
    EXPECT_TRUE(fs::exists(dir / "settings.ini"));
}

TEST_F(FlowTest, ScopeRoundsAlwaysPauseTheSame) {
    app.game = 0;
    app.resultGame = 2;
    startScopeCheck(app);
    endRound(roundAt(app.round.config.cm360));  // warm-up
    EXPECT_TRUE(app.scores.empty());
    EXPECT_DOUBLE_EQ(app.nextRoundAt, app.now + 3.5);
    for (int k = 0; k < 5; ++k) {
        app.now = app.nextRoundAt;
        updateFrame(app, 0);
        endRound(roundAt(app.round.config.cm360, 0.3 + 0.04 * k));
        EXPECT_FALSE(app.stageChanged);
        EXPECT_DOUBLE_EQ(app.nextRoundAt, app.now + 3.5);
    }
    ASSERT_EQ(app.scores.size(), 5u);
    EXPECT_EQ(app.scores[0].mode, "scope");
    EXPECT_EQ(app.scores[0].game, "cs2");
}

TEST_F(FlowTest, FinderEndSavesTheResult) {
    startFinder(app);
    app.sensChecks = {SensCheckEntry{}};
    captureRequests().clear();
    playedSounds().clear();
    concludeTestSession(app, validAnalysis(38, 35, 41));
    EXPECT_TRUE(app.hasResult);
    EXPECT_FALSE(app.isSensCheckResult);
    EXPECT_TRUE(app.sensChecks.empty());
    EXPECT_EQ(app.resultMode, "finder");
    EXPECT_EQ(app.screen, ScreenResults);
    EXPECT_EQ(app.resultsScrollY, 0);
    EXPECT_EQ(captureRequests(), std::vector<bool>{false});
    EXPECT_EQ(countSound(SoundFinish), 1);
    ASSERT_EQ(app.history.size(), 1u);
    EXPECT_EQ(app.history[0].type, "finder");
    EXPECT_TRUE(fs::exists(app.reportPath));

    // An analysis that failed leaves nothing to save.
    startFinder(app);
    concludeTestSession(app, AnalysisResult{});
    EXPECT_FALSE(app.hasResult);
    EXPECT_EQ(app.screen, ScreenResults);
    EXPECT_EQ(fileLines(dir / "history.csv"), 2u);
}

TEST_F(FlowTest, SensCheckEndAddsAnEntryOrKeepsThePreviousResult) {
    app.sessionKind = SessionSensCheck;
    app.cmBeforeCheck = 40;
    app.hasResult = true;
    app.analysis = validAnalysis(40, 37, 43);

    // Not analysable: the previous result stays as it was labelled, and the screen says why.
    for (bool wasCheck : {false, true}) {
        app.isSensCheckResult = wasCheck;
        concludeTestSession(app, AnalysisResult{});
        EXPECT_TRUE(app.hasResult);
        EXPECT_DOUBLE_EQ(app.analysis.recommendedCm360, 40);
        EXPECT_EQ(app.isSensCheckResult, wasCheck);
        EXPECT_TRUE(app.sensChecks.empty());
        EXPECT_EQ(app.resultNotice, kSensCheckFailedNotice);
        EXPECT_FALSE(fs::exists(dir / "history.csv"));
        EXPECT_EQ(app.screen, ScreenResults);
    }

    concludeTestSession(app, validAnalysis(41, 38, 44));
    EXPECT_TRUE(app.isSensCheckResult);
    EXPECT_EQ(app.resultNotice, "");
    EXPECT_EQ(app.resultMode, "check");
    ASSERT_EQ(app.sensChecks.size(), 1u);
    EXPECT_DOUBLE_EQ(app.sensChecks[0].beforeCm360, 40);
    EXPECT_DOUBLE_EQ(app.sensChecks[0].afterCm360, 41);
    EXPECT_TRUE(app.sensChecks[0].confirmed);
    ASSERT_EQ(app.history.size(), 1u);
    EXPECT_EQ(app.history[0].type, "check");

    // Nothing to fall back on.
    app.analysis = AnalysisResult{};
    app.hasResult = false;
    concludeTestSession(app, AnalysisResult{});
    EXPECT_FALSE(app.hasResult);
    EXPECT_EQ(app.resultNotice, kSensCheckFailedNoResultNotice);
}

TEST(SensCheckEntryTest, ConfirmedWithinThreePercent) {
    struct Case {
        double after;
        bool confirmed;
    };
    const Case cases[] = {{102.9, true}, {103, false}, {97.1, true}, {97, false}, {100, true}, {110, false}};
    for (const Case& c : cases) {
        const SensCheckEntry e = sensCheckEntry(100, validAnalysis(c.after, c.after - 5, c.after + 5));
        EXPECT_EQ(e.confirmed, c.confirmed) << c.after;
        EXPECT_NEAR(e.changePct, c.after - 100, 1e-9);
        EXPECT_DOUBLE_EQ(e.lowCm360, c.after - 5);
        EXPECT_EQ(e.confidence, "Medium");
    }
}

TEST_F(FlowTest, ScopeCheckEndSetsTheMultiplier) {
    struct Case {
        double rec;
        double mult;
    };
    // b = 4 x 30 = 120: 300 gives 0.4; 20 would be 6, clamped to 3.
    const Case cases[] = {{300, 0.4}, {20, 3.0}, {120, 1.0}, {1000, 0.3}};
    for (const Case& c : cases) {
        app.scopeHipCm360 = 30;
        app.scopeMeasured = false;
        concludeScopeCheck(app, validAnalysis(c.rec, c.rec * 0.8, c.rec * 1.25));
        EXPECT_TRUE(app.hasScopeResult);
        EXPECT_TRUE(app.scopeMeasured);
        EXPECT_NEAR(app.scopeMult, c.mult, 1e-12) << c.rec;
        EXPECT_NEAR(app.scopeBestMultiplier, 120 / c.rec, 1e-12);
        EXPECT_NEAR(app.scopeLowMultiplier, 120 / (c.rec * 1.25), 1e-12);
        EXPECT_NEAR(app.scopeHighMultiplier, 120 / (c.rec * 0.8), 1e-12);
        EXPECT_EQ(app.screen, ScreenScopeResult);
    }
    app.scopeMult = 1.7;
    concludeScopeCheck(app, AnalysisResult{});
    EXPECT_FALSE(app.hasScopeResult);
    EXPECT_DOUBLE_EQ(app.scopeMult, 1.7);
    EXPECT_EQ(app.screen, ScreenScopeResult);
}

}  // namespace
