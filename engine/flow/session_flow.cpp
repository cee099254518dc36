// One frame of the session: debris, gun motion, scope zoom, the running round (played by
// the simulated aimer under automation) and what happens when a round ends.
#include "engine/flow/session_flow.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/catalog/armory.h"
#include "core/catalog/sound.h"
#include "core/profile/app.h"
#include "core/profile/settings.h"
#include "engine/flow/mouse_capture.h"
#include "engine/flow/starters.h"
#include "engine/kernel/session.h"
#include "engine/kernel/sim_aimer.h"

namespace {

constexpr double kStep = 0.001;  // simulated aimer step, s
constexpr int32_t kMaxStepsPerFrame = 2000;

bool roundsRemain(const TestSession& s) { return s.nextRound < static_cast<int32_t>(s.rounds.size()); }

// A result is taken on at the 0.1 cm/360 every screen, the report and history.csv show it
// with: each game's value is then the conversion of the cm/360 the player reads, and the
// stored row reads back as the results screen showed it, rather than rounded a second time.
void toShownPrecision(AnalysisResult& a) {
    for (double* cm : {&a.recommendedCm360, &a.lowCm360, &a.highCm360, &a.wideLowCm360, &a.wideHighCm360})
        *cm = std::round(*cm * 10) / 10;
}

void betweenRounds(App& app, bool stageChanged, double pause) {
    app.roundPhase = RoundBetween;
    app.stageChanged = stageChanged;
    app.nextRoundAt = app.now + pause;
}

void finishScopeRound(App& app) {
    if (plannedRoundScored(app.scopeSession)) app.logScore(app.lastRound, "scope");
    recordRound(app.scopeSession, app.lastRound);
    if (roundsRemain(app.scopeSession)) {
        betweenRounds(app, false, kRoundPause);
        return;
    }
    concludeScopeCheck(app, runAnalysis(app.scopeSession, kFinalResamples));
}

void finishPracticeRound(App& app) {
    if (app.tutorialPractice) {
        app.tutorialDone = true;
        app.tutorialPractice = false;
        app.showTutorialDone = true;
        app.saveSettings();
        leaveRound(app);
        app.screen = ScreenHome;
        return;
    }
    app.logScore(app.lastRound, "practice");
    app.practiceRounds.push_back(app.lastRound);
    betweenRounds(app, false, kPracticePause);
}

void finishTestRound(App& app) {
    const bool check = app.sessionKind == SessionSensCheck;
    if (plannedRoundScored(app.session)) app.logScore(app.lastRound, check ? "check" : "finder");
    const bool changed = recordRound(app.session, app.lastRound);
    if (roundsRemain(app.session)) {
        betweenRounds(app, changed, changed ? kStageChangePause : kRoundPause);
        return;
    }
    concludeTestSession(app, runAnalysis(app.session, kFinalResamples));
}

void spawnHitDebris(App& app, const Float3& at) {
    const double zoom = app.round.config.zoom;
    const double f = zoom > 1 ? 1.0 / zoom : 1.0;
    Rng& rng = debrisRng();
    for (int32_t i = 0; i < kDebrisPerHit; ++i) {
        const double t = 2 * std::numbers::pi * rng.uniform();
        const double p = std::acos(2 * rng.uniform() - 1);
        const double s = (1.8 + 2.7 * rng.uniform()) * f;
        const double life = 0.25 + 0.17 * rng.uniform();
        const double size = (0.035 + 0.035 * rng.uniform()) * f;
        Debris d;
        d.pos[0] = at.x;
        d.pos[1] = at.y;
        d.pos[2] = at.z;
        d.vel[0] = static_cast<float>(std::cos(t) * std::sin(p) * s);
        d.vel[1] = static_cast<float>(std::cos(p) * s);
        d.vel[2] = static_cast<float>(std::sin(t) * std::sin(p) * s);
        d.life = d.lifeSpan = static_cast<float>(life);
        d.size = static_cast<float>(size);
        for (int c = 0; c < 3; ++c) d.color[c] = app.flickColor[static_cast<size_t>(c)];
        app.debris.push_back(d);
    }
}

}  // namespace

Rng& debrisRng() {
    static Rng rng(0xC0FFEE);
    return rng;
}

bool plannedRoundScored(const TestSession& s) {
    return s.nextRound >= 0 && roundsRemain(s) && s.rounds[static_cast<size_t>(s.nextRound)].stage != StageWarmUp;
}

SensCheckEntry sensCheckEntry(double beforeCm360, const AnalysisResult& a) {
    SensCheckEntry e;
    e.beforeCm360 = beforeCm360;
    e.afterCm360 = a.recommendedCm360;
    e.changePct = (a.recommendedCm360 / beforeCm360 - 1) * 100;
    e.lowCm360 = a.lowCm360;
    e.highCm360 = a.highCm360;
    e.confidence = a.confidence;
    e.confirmed = std::fabs(e.changePct) < 3;
    return e;
}

void concludeTestSession(App& app, AnalysisResult a) {
    toShownPrecision(a);
    bool fresh = false;
    if (app.sessionKind == SessionSensCheck) {
        if (a.valid) {
            app.sensChecks.push_back(sensCheckEntry(app.cmBeforeCheck, a));
            app.analysis = std::move(a);
            app.isSensCheckResult = true;
            app.resultMode = "check";
            app.resultNotice.clear();
            fresh = true;
        } else {
            // The previous result stays, labelled as it was, and the results screen says why.
            app.resultNotice = app.analysis.valid ? kSensCheckFailedNotice : kSensCheckFailedNoResultNotice;
        }
    } else {
        app.sensChecks.clear();
        app.analysis = std::move(a);
        app.isSensCheckResult = false;
        app.resultMode = "finder";
        app.resultNotice.clear();
        fresh = app.analysis.valid;
    }
    app.hasResult = app.analysis.valid;
    if (fresh) app.saveResult();
    requestMouseCapture(app, false);
    app.screen = ScreenResults;
    app.resultsScrollY = 0;
    playSound(SoundFinish, 1.0f);
}

void concludeScopeCheck(App& app, AnalysisResult a) {
    app.scopeAnalysis = std::move(a);
    app.hasScopeResult = app.scopeAnalysis.valid;
    if (app.scopeAnalysis.valid) {
        // The scoped rounds' cm/360 against the same-feel one (4x the hip-fire cm/360).
        const double b = 4 * app.scopeHipCm360;
        app.scopeBestMultiplier = b / app.scopeAnalysis.recommendedCm360;
        app.scopeLowMultiplier = b / app.scopeAnalysis.highCm360;
        app.scopeHighMultiplier = b / app.scopeAnalysis.lowCm360;
        app.scopeMeasured = true;
        app.scopeMult = std::clamp(b / app.scopeAnalysis.recommendedCm360, 0.3, 3.0);
        app.saveSettings();
    }
    requestMouseCapture(app, false);
    app.screen = ScreenScopeResult;
    playSound(SoundFinish, 1.0f);
}

void finishRound(App& app) {
    app.lastRound = app.round.result;
    playSound(SoundRoundEnd, 0.7f);
    app.awardXp(app.lastRound);
    switch (app.sessionKind) {
    case SessionScopeCheck: finishScopeRound(app); break;
    case SessionPractice: finishPracticeRound(app); break;
    default: finishTestRound(app); break;
    }
}

void drainRoundEvents(App& app) {
    for (const RoundEvent& e : app.round.events) {
        switch (e.type) {
        case RoundEventHit:
            app.playShotSound(true);
            playSound(hitSoundOf(app.hitSound), 0.85f);
            app.hitMarkerTime = app.now;
            spawnHitDebris(app, e.pos);
            break;
        case RoundEventMiss: app.playShotSound(false); break;
        case RoundEventGivenUp: playSound(SoundMiss, 0.5f); break;
        case RoundEventFlickBegins:
        case RoundEventTrackingBegins: playSound(SoundGo, 0.8f); break;
        default: break;
        }
    }
    app.round.events.clear();
}

void updateFrame(App& app, double dt) {
    // Debris falls and fades; the survivors keep their order.
    for (Debris& d : app.debris) {
        d.life -= static_cast<float>(dt);
        d.vel[1] -= static_cast<float>(5 * dt);
        for (int i = 0; i < 3; ++i) d.pos[i] += d.vel[i] * static_cast<float>(dt);
    }
    app.debris.erase(
        std::remove_if(app.debris.begin(), app.debris.end(), [](const Debris& d) { return d.life <= 0; }),
        app.debris.end());

    if (app.screen != ScreenRound) app.menuClock += dt;

    // Gun sway follows the mouse speed, recoil dies away.
    const double a = 1 - std::exp(-dt / 0.09);
    double swayX = 0, swayY = 0, rollTarget = 0;
    if (dt > 0) {
        const double vx = app.swayInput[0] * app.round.degPerCount / dt;
        const double vy = app.swayInput[1] * app.round.degPerCount / dt;
        swayX = std::clamp(-6e-5 * vx, -0.025, 0.025);
        swayY = std::clamp(5e-5 * vy, -0.02, 0.02);
        rollTarget = std::clamp(0.012 * vx, -5.0, 5.0);
    }
    app.swayInput[0] = app.swayInput[1] = 0;
    app.gunSway[0] += static_cast<float>((swayX - app.gunSway[0]) * a);
    app.gunSway[1] += static_cast<float>((swayY - app.gunSway[1]) * a);
    app.gunRoll += static_cast<float>((rollTarget - app.gunRoll) * a);
    app.recoil[0] *= static_cast<float>(std::exp(-dt / 0.075));
    app.recoil[1] *= static_cast<float>(std::exp(-dt / 0.028));

    // Scope zoom: always in the Scope Check, in practice while aiming with a scoped gun.
    const double b = 1 - std::exp(-dt / 0.06);
    const bool zoomIn =
        app.screen == ScreenRound &&
        (app.sessionKind == SessionScopeCheck ||
         (app.sessionKind == SessionPractice && app.aiming && gunIsScoped(app.gun)));
    if (zoomIn) {
        app.zoom += static_cast<float>((1 - app.zoom) * b);
        if (1 - app.zoom < 0.01f) app.zoom = 1;
    } else {
        app.zoom += static_cast<float>((0 - app.zoom) * b);
        if (app.zoom < 0.01f) app.zoom = 0;
    }
    if (app.screen != ScreenRound) return;

    if (app.roundPhase == RoundPlaying) {
        if (app.automation) {
            const long steps = std::clamp(std::lround(dt * app.automationSpeed / kStep), 1L,
                                          static_cast<long>(kMaxStepsPerFrame));
            for (long i = 0; i < steps && app.round.phase != DrillDone; ++i) {
                int32_t dx = 0, dy = 0;
                bool click = false;
                stepSimAimer(app.simAimer, app.round, app.now, kStep, dx, dy, click);
                app.round.applyMouse(dx, dy);
                if (click) app.round.fireShot(app.now);
                app.now += kStep;
                app.round.updateRound(app.now);
            }
        } else {
            app.round.updateRound(app.now);
        }
        drainRoundEvents(app);
        if (app.round.phase == DrillIntro) {
            const double left = app.round.config.introSeconds - (app.now - app.round.phaseStart);
            const int32_t k = static_cast<int32_t>(std::ceil(left));
            if (k >= 1 && k <= 3 && k != app.lastCountdownTick) {
                playSound(SoundTick, 0.7f);
                app.lastCountdownTick = k;
            }
        }
        if (app.round.phase == DrillDone) finishRound(app);
    } else if (app.roundPhase == RoundBetween) {
        if (app.now >= app.nextRoundAt) startRound(app);
    }
}
