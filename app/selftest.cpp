#include "app/selftest.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "app/input.h"
#include "core/app.h"
#include "core/catalog.h"
#include "core/format.h"
#include "engine/starters.h"
#include "integration/calibration.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace {

// One line of the script. In a pass that runs it: nothing until `ready` holds; then `act`,
// the capture request, the deferred action and the wait; the script moves on unless
// `repeatUntil` is given and does not hold yet (then the step runs again after its wait).
struct Step {
    bool (*ready)(const App&) = nullptr;
    void (*act)(App&) = nullptr;
    const char* capture = nullptr;
    void (*then)(App&) = nullptr;
    int32_t wait = 0;
    bool (*repeatUntil)(const App&) = nullptr;
};

bool onRound(const App& a) { return a.screen == ScreenRound; }

const std::vector<Step>& script() {
    static const std::vector<Step> steps = {
        // The home screen lists the detected games, so wait for the scan thread first.
        {.act = [](App& a) { a.screen = ScreenHome; },
         .wait = 6,
         .repeatUntil = [](const App& a) { return a.detectionDone.load(std::memory_order_acquire); }},
        {.capture = "01_home",
         .then = [](App& a) { a.tourVisible = true; a.tourPage = 1; },
         .wait = 4},
        {.capture = "01b_tutorial"},
        {.act = [](App& a) { a.tourPage = 4; }, .wait = 4},
        {.capture = "01c_tutorial_end"},
        {.act = [](App& a) { a.tourVisible = false; startPractice(a, 35.0, true); }},
        {.ready = [](const App& a) { return onRound(a) && a.round.phase == DrillFlick && a.round.nextSpot > 1; },
         .capture = "01d_tutorial_round"},
        {.ready = [](const App& a) { return a.screen == ScreenHome; }, .wait = 4},
        {.capture = "01e_tutorial_done", .then = [](App& a) { a.showTutorialDone = false; }},
        {.act = [](App& a) { a.screen = ScreenSetup; a.setupStep = 0; }, .wait = 4},
        {.capture = "02_setup_game"},
        {.act = [](App& a) { a.setupStep = 1; }, .wait = 4},
        {.capture = "03_setup_mouse"},
        {.act = [](App& a) { a.setupStep = 2; }, .wait = 4},
        {.capture = "04_setup_style"},
        {.act = [](App& a) { a.setupStep = 3; }, .wait = 4},
        {.capture = "05_setup_ready"},
        {.act = [](App& a) { a.screen = ScreenDpi; a.dpiTries = {1587, 1602, 1594}; }, .wait = 4},
        {.capture = "06_dpi_tool"},
        {.act = [](App& a) { a.screen = ScreenConverter; }, .wait = 4},
        {.capture = "07_converter"},
        {.act = [](App& a) { a.screen = ScreenSettings; }, .wait = 4},
        {.capture = "08_settings"},
        {.act =
             [](App& a) {
                 enterCalibrate(a, gameIndexById("reforger"), ScreenHome);
                 a.calSens = 1.0;
                 a.calTries = {16010, 15940, 15985};
             },
         .wait = 4},
        {.capture = "08b_calibrate",
         .then = [](App& a) { a.screen = ScreenArmory; a.armoryTab = 0; a.gun = "longbow"; },
         .wait = 6},
        {.capture = "08c_armory_guns", .then = [](App& a) { a.armoryTab = 1; a.skin = "neon"; }, .wait = 6},
        {.capture = "08d_armory_skins",
         .then =
             [](App& a) {
                 a.armoryTab = 2;
                 a.theme = "synthwave";
                 a.gun = "halberd";
                 a.skin = "tiger";
             },
         .wait = 6},
        {.capture = "08e_armory_maps", .then = [](App& a) { a.theme = "desert"; a.gun = "halberd"; }},
        {.act =
             [](App& a) {
                 a.calTries.clear();
                 a.dpiTries.clear();
                 a.screen = ScreenHome;
                 startFinder(a);
             }},
        {.ready = [](const App& a) { return onRound(a) && a.round.phase == DrillIntro && a.session.nextRound == 1; },
         .capture = "09_countdown"},
        {.ready =
             [](const App& a) { return a.round.phase == DrillFlick && a.round.nextSpot > 5 && a.session.nextRound == 1; },
         .capture = "10_flick"},
        {.ready = [](const App& a) { return a.round.phase == DrillTracking && a.now - a.round.phaseStart > 4; },
         .capture = "11_track"},
        {.ready = [](const App& a) { return a.roundPhase == RoundBetween && a.session.nextRound > 1; },
         .capture = "12_summary"},
        {.ready = [](const App& a) { return a.screen == ScreenResults; }, .wait = 8},
        {.capture = "13_results", .then = [](App& a) { a.shareRequested = true; }, .wait = 3},
        {.ready = [](const App& a) { return !a.toast.empty(); }, .wait = 2},
        {.act = [](App& a) { a.resultsScrollY = 100000; }, .wait = 6},
        {.capture = "14_results_lower"},
        {.act = [](App& a) { startSensCheck(a); }},
        {.ready =
             [](const App& a) {
                 return onRound(a) && a.round.phase == DrillTracking && a.now - a.round.phaseStart > 3 &&
                        a.session.nextRound == 2;
             },
         .capture = "14a_check_track"},
        {.ready = [](const App& a) { return a.screen == ScreenResults; },
         .act = [](App& a) { a.resultsScrollY = 0; },
         .wait = 8},
        {.capture = "14b_check_results",
         .then = [](App& a) { a.theme = "synthwave"; startScopeCheck(a); }},
        {.ready =
             [](const App& a) {
                 return onRound(a) && a.sessionKind == SessionScopeCheck && a.scopeSession.nextRound == 2 &&
                        a.round.phase == DrillFlick && a.round.nextSpot > 3;
             },
         .capture = "14c_scope_round"},
        {.ready = [](const App& a) { return a.screen == ScreenScopeResult; },
         .act = [](App& a) { writeScopeRangeReport(a); },
         .wait = 8},
        {.capture = "14d_scope_result"},
        {.act = [](App& a) { writeSelfTestReport(a); a.screen = ScreenHistory; }, .wait = 4},
        {.capture = "15_history", .then = [](App& a) { a.screen = ScreenTools; }, .wait = 4},
        {.capture = "15b_tools",
         .then =
             [](App& a) {
                 a.screen = ScreenHome;
                 a.newLevel = 8;
                 a.unlockedText = "Hive skin";
                 a.levelUpUntil = a.now + 100;
             },
         .wait = 4},
        {.capture = "15c_levelup", .then = [](App& a) { a.levelUpUntil = 0; }},
        {.act =
             [](App& a) {
                 a.theme = "midnight";
                 a.gun = "longbow";
                 a.skin = "galaxy";
                 startPractice(a, a.analysis.valid ? a.analysis.recommendedCm360 : 35.0, false);
             }},
        {.ready = [](const App& a) { return a.round.phase == DrillFlick && a.round.nextSpot > 3; },
         .capture = "16_practice",
         .then = [](App& a) { a.aiming = true; },  // the scoped rifle zooms in
         .wait = 10},
        {.capture = "16b_practice_scoped"},
        {.act =
             [](App& a) {
                 a.aiming = false;
                 a.gun = "wasp";
                 a.skin = "gold";
                 a.theme = "arctic";
             },
         .wait = 10},
        {.capture = "16c_practice_pistol"},
        {.act = [](App& a) { pauseRound(a); }, .wait = 4},
        {.capture = "17_paused"},
        {.act = [](App& a) { a.quitRequested = true; }},
    };
    return steps;
}

SelfTestScript& processScript() {
    static SelfTestScript s;
    return s;
}

}  // namespace

int32_t selfTestStepCount() { return static_cast<int32_t>(script().size()); }

int32_t selfTestCaptureCount() {
    const auto& steps = script();
    return static_cast<int32_t>(std::count_if(steps.begin(), steps.end(), [](const Step& s) { return s.capture; }));
}

const char* selfTestCaptureOf(int32_t step) {
    if (step < 0 || step >= selfTestStepCount()) return nullptr;
    return script()[static_cast<size_t>(step)].capture;
}

void selfTestStep(App& app) { selfTestStep(app, processScript()); }

void selfTestStep(App& app, SelfTestScript& s) {
    // The capture the previous step asked for has not been written yet.
    if (!app.pendingCapture.empty()) return;
    if (s.deferred) {
        auto action = std::move(s.deferred);
        s.deferred = nullptr;
        action(app);
        return;
    }
    if (s.wait > 0) {
        s.wait -= 1;
        return;
    }
    if (s.step < 0 || s.step >= selfTestStepCount()) return;
    const Step& step = script()[static_cast<size_t>(s.step)];
    if (step.ready && !step.ready(app)) return;
    if (step.act) step.act(app);
    if (step.capture) requestCapture(app, step.capture);
    if (step.then) s.deferred = step.then;
    s.wait = step.wait;
    if (step.repeatUntil && !step.repeatUntil(app)) return;
    s.step += 1;
}

std::string selfTestReport(const App& app) {
    const AnalysisResult& a = app.analysis;
    std::string out = formatString(
        "valid=%d start_cm=%.2f rec_cm=%.2f range=%.2f-%.2f range90=%.2f-%.2f conf=%s perf=%.2f bal=%d %.2f w=%.2f "
        "trend=%.2f rounds=%d\n",
        a.valid ? 1 : 0, app.resultCm, a.recommendedCm360, a.lowCm360, a.highCm360, a.wideLowCm360, a.wideHighCm360,
        a.confidence.c_str(), a.fitPeakCm360, a.hasFlickLanding ? 1 : 0, a.flickLandingCm360, a.flickLandingBlend,
        a.trendPctPerRound, static_cast<int32_t>(a.rounds.size()));
    for (const RoundMetrics& m : a.rounds) {
        out += formatString("  round %d stage %d cm %.1f tp %.2f acc %.2f track %.3f y %.1f over %.0f under %.0f\n",
                            m.roundNumber, m.stage, m.cm360, m.throughput, m.accuracy, m.trackScore, m.performance,
                            m.overflickPct, m.underflickPct);
    }
    out += formatString("saved=%s\n", app.reportPath.c_str());
    for (const SensCheckEntry& e : app.sensChecks) {
        out += formatString("check: %.2f -> %.2f (%+.1f%%) %s conf %s\n", e.beforeCm360, e.afterCm360, e.changePct,
                            e.confirmed ? "confirmed" : "tweak", e.confidence.c_str());
    }
    return out;
}

std::string scopeRangeReport(const App& app) {
    double radius = 0;
    double farthest = 0;
    for (const RoundResult& r : app.scopeSession.results) {
        if (r.targets.empty()) continue;
        radius = r.config.scopeRadius;
        const double own = std::max(r.config.scopeRadius, 0.000000001);
        for (const TargetRecord& t : r.targets) farthest = std::max(farthest, t.distance / own);
    }
    return formatString("scope radius %.2f deg, farthest spawn %.0f%% of the radius\n", radius, 100 * farthest);
}

bool writeSelfTestReport(const App& app) {
    return plat::writeWholeFile(plat::joinPath(app.shotsDir, "selftest.txt"), selfTestReport(app));
}

bool writeScopeRangeReport(const App& app) {
    return plat::writeWholeFile(plat::joinPath(app.shotsDir, "scope_range.txt"), scopeRangeReport(app));
}
