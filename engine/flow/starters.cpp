#include "engine/flow/starters.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "core/catalog/angles.h"
#include "core/catalog/catalog.h"
#include "core/profile/app.h"
#include "core/profile/history.h"
#include "engine/flow/mouse_capture.h"
#include "engine/kernel/round_config.h"
#include "engine/kernel/session.h"
#include "engine/kernel/sim_aimer.h"
#include "platform/base/clock.h"

namespace {

uint64_t sessionSeed(const App& app, uint64_t automationSeed) {
    if (app.automation) return automationSeed;
    const uint64_t seconds = static_cast<uint64_t>(std::time(nullptr));
    return (seconds * 0x9E3779B1ull) ^ static_cast<uint64_t>(plat::counterNow());
}

// The simulated player of a session: used to `habit` cm/360, improving by `drift` per round.
SimAimerParams simParams(double habit, double drift) {
    SimAimerParams p;
    p.habitCm360 = habit;
    p.noiseFloorCm = 0.035;
    p.noisePerCm = 0.07;
    p.maxHandSpeed = 90;
    p.longMoveCm = 16;
    p.reactionMean = 0.2;
    p.adaptGain = 0.3;
    p.clickJitterCm = 0.012;
    p.visualDelay = 0.11;
    p.trackGain = 8;
    p.maxHandAccel = 280;
    p.tremorCm = 0.03;
    p.learnPerRound = drift;
    return p;
}

// The configuration every test starts from: the current game, DPI, window FOV, weights,
// style and orb speed.
SessionConfig testConfig(const App& app, int32_t length, uint64_t seed) {
    const GameInfo& row = app.currentGame();
    SessionConfig c;
    c.dpi = app.dpi;
    c.startCm360 = app.currentCm360();
    c.hFov = app.windowFov();
    c.vFov = app.verticalFov();
    c.length = std::clamp(length, 0, 2);
    const StyleWeights w = styleWeights(app.style >= 0 ? app.style : row.defaultStyle);
    c.flickWeight = w.flick;
    c.trackWeight = w.tracking;
    c.style = gameStyle(row, app.style);
    c.zoom = 1;
    c.trackSpeed = trackSpeedFactor(app.trackSpeed);
    c.warmUp = true;
    c.seed = seed;
    return c;
}

// The finished finder (or Sens Check) result on hand belongs to the current game.
bool resultForCurrentGame(const App& app) {
    return app.hasResult && !app.session.results.empty() && app.resultGame == app.game;
}

void enterRoundScreen(App& app, int32_t kind) {
    app.sessionKind = kind;
    app.screen = ScreenRound;
    app.debris.clear();
    app.simRoundCounter = 0;
}

}  // namespace

double bestKnownCm360(const App& app) {
    // Every derived cm/360 is held to 6..200; a fitted top may sit just past the tested range.
    if (resultForCurrentGame(app)) return clampCm360(app.analysis.recommendedCm360);
    // The history names games by display name (commas blanked), not by catalogue id.
    const std::string key = historyGameKey(app.currentGame());
    for (auto it = app.history.rbegin(); it != app.history.rend(); ++it) {
        if (it->game == key && std::isfinite(it->recommended_cm360) && it->recommended_cm360 > 0)
            return clampCm360(it->recommended_cm360);
    }
    return app.currentCm360();
}

void startFinder(App& app) {
    const SessionConfig config = testConfig(app, app.length, sessionSeed(app, kFinderAutomationSeed));
    startSession(app.session, config);
    // The rounds of the last test are gone, and the result fields below now name this test:
    // the finished result is put away (it is in the history) so that a test left early shows,
    // pools and starts nothing from it.
    app.hasResult = false;
    app.isSensCheckResult = false;
    app.analysis = AnalysisResult{};
    app.sensChecks.clear();
    app.resultConfig = config;
    app.resultGame = app.game;
    app.resultYaw = app.gameYaw();
    app.resultCm = config.startCm360;
    app.resultNotice.clear();
    enterRoundScreen(app, SessionFinder);
    if (app.automation) setupSimAimer(app.simAimer, simParams(config.startCm360, 0.01), config.dpi, 4242);
    startRound(app);
    requestMouseCapture(app, true);
}

void startPractice(App& app, double cm360, bool tutorial) {
    app.practiceReturnScreen = app.screen == ScreenResults ? ScreenResults : ScreenHome;
    app.tutorialPractice = tutorial;
    app.sessionKind = SessionPractice;
    app.roundCounter = 0;
    app.practiceCm = clampCm360(cm360);
    app.practiceRounds.clear();
    app.screen = ScreenRound;
    app.debris.clear();
    app.simRoundCounter = 0;
    if (app.automation) setupSimAimer(app.simAimer, simParams(app.practiceCm, 0), app.dpi, 99);
    startRound(app);
    requestMouseCapture(app, true);
}

void startSensCheck(App& app) {
    const double g = bestKnownCm360(app);
    SessionConfig config;
    std::vector<RoundResult> storedResults;
    std::vector<int32_t> storedStages;
    if (resultForCurrentGame(app)) {
        config = app.resultConfig;
        storedResults = app.session.results;
        storedStages = app.session.resultStages;
    } else {
        config = testConfig(app, 1, sessionSeed(app, kSensCheckAutomationSeed));
        app.sensChecks.clear();
        app.resultGame = app.game;
        app.resultYaw = app.gameYaw();
        app.resultCm = app.currentCm360();
        // Whatever result was on hand belongs to another game: leaving early must not show
        // it under this game's name.
        app.hasResult = false;
        app.isSensCheckResult = false;
        app.analysis = AnalysisResult{};
    }
    config.warmUp = true;
    config.startCm360 = g;
    app.cmBeforeCheck = g;
    app.resultConfig = config;
    app.resultNotice.clear();
    rebuildSession(app.session, config, g, storedResults, storedStages);
    enterRoundScreen(app, SessionSensCheck);
    if (app.automation)
        setupSimAimer(app.simAimer, simParams(g, 0), config.dpi, 5151 + static_cast<uint64_t>(app.sensChecks.size()));
    startRound(app);
    requestMouseCapture(app, true);
}

void startScopeCheck(App& app) {
    app.scopeHipCm360 = bestKnownCm360(app);
    // The shown result reads its rounds' speeds against scopeHipCm360, which now belongs to
    // this check: a check left early has no result to show.
    app.hasScopeResult = false;
    app.scopeAnalysis = AnalysisResult{};
    SessionConfig config = testConfig(app, 1, sessionSeed(app, kScopeCheckAutomationSeed));
    // A 4x scope: a quarter of the hip-fire tangent.
    config.hFov = 2 * std::atan(std::tan(app.windowFov() * kDegToRad / 2) * 0.25) / kDegToRad;
    config.vFov = 2 * std::atan(std::tan(app.verticalFov() * kDegToRad / 2) * 0.25) / kDegToRad;
    config.flickWeight = 0.65;
    config.trackWeight = 0.35;
    config.zoom = 4;
    const double b = 4 * app.scopeHipCm360 / std::max(app.scopeMult, 0.2);
    config.startCm360 = b;
    rebuildSession(app.scopeSession, config, b, {}, {});
    enterRoundScreen(app, SessionScopeCheck);
    if (app.automation) setupSimAimer(app.simAimer, simParams(b, 0), config.dpi, 6161);
    startRound(app);
    requestMouseCapture(app, true);
}

void startRound(App& app) {
    RoundConfig config;
    if (app.sessionKind == SessionScopeCheck) {
        config = makeRoundConfig(app.scopeSession);
    } else if (app.sessionKind == SessionPractice) {
        // Practice rounds differ every time.
        const uint64_t seed = static_cast<uint64_t>(plat::counterNow()) * 31u + static_cast<uint64_t>(app.roundCounter);
        app.roundCounter += 1;
        config = makePracticeConfig(app.practiceCm, app.dpi, gameStyle(app.currentGame(), app.style), app.trackSpeed,
                                    app.tutorialPractice, seed);
    } else {
        config = makeRoundConfig(app.session);
    }
    applyRoundView(config, app.windowFov(), app.verticalFov(), app.width, app.height);
    app.round.setupRound(config, app.now);
    app.aiming = false;
    app.roundPhase = RoundPlaying;
    app.lastCountdownTick = 99;
    app.zoom = app.sessionKind == SessionScopeCheck ? 1.0f : 0.0f;
    if (app.automation) {
        resetSimAimer(app.simAimer, app.simRoundCounter);
        app.simRoundCounter += 1;
    }
}

void leaveRound(App& app) {
    requestMouseCapture(app, false);
    switch (app.sessionKind) {
    case SessionPractice: app.screen = app.practiceReturnScreen; break;
    case SessionSensCheck: app.screen = app.hasResult ? ScreenResults : ScreenHome; break;
    case SessionScopeCheck: app.screen = app.hasScopeResult ? ScreenScopeResult : ScreenHome; break;
    default: app.screen = ScreenHome; break;
    }
    app.debris.clear();
}

void pauseRound(App& app) {
    if (app.screen != ScreenRound || app.roundPhase == RoundPaused) return;
    // Right-button aiming is dropped too, or a release missed while paused would leave it stuck.
    app.phaseBeforePause = app.roundPhase;
    app.roundPhase = RoundPaused;
    app.aiming = false;
    requestMouseCapture(app, false);
}

void resumeRound(App& app) {
    if (app.screen != ScreenRound || app.roundPhase != RoundPaused) return;
    app.aiming = false;
    requestMouseCapture(app, true);
    if (app.phaseBeforePause != RoundPlaying) {
        startRound(app);  // paused between rounds: on to the next one
        return;
    }
    // The interrupted round starts again from its beginning; the partial one is dropped.
    app.round.setupRound(app.round.config, app.now);
    app.roundPhase = RoundPlaying;
    app.lastCountdownTick = 99;
    if (app.automation) resetSimAimer(app.simAimer, std::max(app.simRoundCounter, 1) - 1);
}

void startFullRetest(App& app) {
    const double rec = app.analysis.recommendedCm360;
    const double dpi = app.resultConfig.dpi;
    app.game = app.resultGame;
    if (app.currentGame().kind == GameKindCm360) {
        app.cmDirect = rec;
    } else {
        // Without a known yaw there is no value to start from; keep the one the player has.
        const double sens = sensFromCm360(app.resultYaw, rec, dpi);
        if (sens > 0) app.sens = sens;
    }
    app.sensUnknown = false;
    app.dpi = dpi;
    app.screen = ScreenSetup;
    app.setupStep = 3;
}
