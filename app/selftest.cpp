#include "app/selftest.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "app/input.h"
#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/profile/app.h"
#include "engine/flow/starters.h"
#include "integration/calibration.h"
#include "platform/base/files.h"
#include "platform/base/paths.h"

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
    // For a step with `ready` or `repeatUntil`: the state it waits for, in words, and the
    // program time it may take.
    const char* awaits = nullptr;
    double limit = 0;
};

// Program time a waited-for state may take: one of the running round (the longest seen is
// 20 s), one a round or two ahead (65 s), the end of a whole session (280 s for the finder),
// and the installed-game scan, which runs on the wall clock beside the script.
constexpr double kRoundStateLimit = 60;
constexpr double kLaterRoundLimit = 240;
constexpr double kSessionLimit = 900;
constexpr double kScanLimit = 600;

bool onRound(const App& a) { return a.screen == ScreenRound; }

const std::vector<Step>& script() {
    static const std::vector<Step> steps = {
        // The home screen lists the detected games, so wait for the scan thread first.
        {.act = [](App& a) { a.screen = ScreenHome; },
         .wait = 6,
         .repeatUntil = [](const App& a) { return a.detectionDone.load(std::memory_order_acquire); },
         .awaits = "the end of the installed-game scan",
         .limit = kScanLimit},
        {.capture = "01_home",
         .then = [](App& a) { a.tourVisible = true; a.tourPage = 1; },
         .wait = 4},
        {.capture = "01b_tutorial"},
        {.act = [](App& a) { a.tourPage = 4; }, .wait = 4},
        {.capture = "01c_tutorial_end"},
        {.act = [](App& a) { a.tourVisible = false; startPractice(a, 35.0, true); }},
        {.ready = [](const App& a) { return onRound(a) && a.round.phase == DrillFlick && a.round.nextSpot > 1; },
         .capture = "01d_tutorial_round",
         .awaits = "the tutorial round's second flick target",
         .limit = kRoundStateLimit},
        {.ready = [](const App& a) { return a.screen == ScreenHome; },
         .wait = 4,
         .awaits = "the home screen after the tutorial round",
         .limit = kRoundStateLimit},
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
         .capture = "09_countdown",
         .awaits = "the countdown of the finder's first round",
         .limit = kRoundStateLimit},
        {.ready =
             [](const App& a) { return a.round.phase == DrillFlick && a.round.nextSpot > 5 && a.session.nextRound == 1; },
         .capture = "10_flick",
         .awaits = "the sixth flick target of the finder's first round",
         .limit = kRoundStateLimit},
        {.ready = [](const App& a) { return a.round.phase == DrillTracking && a.now - a.round.phaseStart > 4; },
         .capture = "11_track",
         .awaits = "four seconds into a tracking phase",
         .limit = kRoundStateLimit},
        {.ready = [](const App& a) { return a.roundPhase == RoundBetween && a.session.nextRound > 1; },
         .capture = "12_summary",
         .awaits = "the summary after a finder round",
         .limit = kRoundStateLimit},
        {.ready = [](const App& a) { return a.screen == ScreenResults; },
         .wait = 8,
         .awaits = "the finder's results",
         .limit = kSessionLimit},
        {.capture = "13_results", .then = [](App& a) { a.shareRequested = true; }, .wait = 3},
        {.ready = [](const App& a) { return !a.toast.empty(); },
         .wait = 2,
         .awaits = "the saved share image's message",
         .limit = kRoundStateLimit},
        {.act = [](App& a) { a.resultsScrollY = 100000; }, .wait = 6},
        {.capture = "14_results_lower"},
        {.act = [](App& a) { startSensCheck(a); }},
        {.ready =
             [](const App& a) {
                 return onRound(a) && a.round.phase == DrillTracking && a.now - a.round.phaseStart > 3 &&
                        a.session.nextRound == 2;
             },
         .capture = "14a_check_track",
         .awaits = "three seconds into the tracking of the Sens Check's second round",
         .limit = kLaterRoundLimit},
        {.ready = [](const App& a) { return a.screen == ScreenResults; },
         .act = [](App& a) { a.resultsScrollY = 0; },
         .wait = 8,
         .awaits = "the Sens Check's results",
         .limit = kSessionLimit},
        {.capture = "14b_check_results",
         .then = [](App& a) { a.theme = "synthwave"; startScopeCheck(a); }},
        {.ready =
             [](const App& a) {
                 return onRound(a) && a.sessionKind == SessionScopeCheck && a.scopeSession.nextRound == 2 &&
                        a.round.phase == DrillFlick && a.round.nextSpot > 3;
             },
         .capture = "14c_scope_round",
         .awaits = "the fourth flick target of the Scope Check's second round",
         .limit = kLaterRoundLimit},
        {.ready = [](const App& a) { return a.screen == ScreenScopeResult; },
         .act =
             [](App& a) {
                 if (!writeScopeRangeReport(a)) a.unwrittenFiles.push_back(scopeRangeReportPath(a));
             },
         .wait = 8,
         .awaits = "the Scope Check's result",
         .limit = kSessionLimit},
        {.capture = "14d_scope_result"},
        {.act =
             [](App& a) {
                 if (!writeSelfTestReport(a)) a.unwrittenFiles.push_back(selfTestReportPath(a));
                 a.screen = ScreenHistory;
             },
         .wait = 4},
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
         .wait = 10,
         .awaits = "the fourth flick target of the closing practice round",
         .limit = kRoundStateLimit},
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

const char* selfTestAwaitedStateOf(int32_t step) {
    if (step < 0 || step >= selfTestStepCount()) return nullptr;
    return script()[static_cast<size_t>(step)].awaits;
}

double selfTestLimitOf(int32_t step) {
    if (step < 0 || step >= selfTestStepCount()) return 0;
    return script()[static_cast<size_t>(step)].limit;
}

namespace {

// The state has not come (yet). Past both the step's limit in program time and the least
// number of passes the run ends, saying which step gave up on what.
void keepWaiting(App& app, SelfTestScript& s, const Step& step) {
    if (s.waitingSince < 0) {
        s.waitingSince = app.now;
        s.waitingPasses = 0;
    }
    const double waited = app.now - s.waitingSince;
    if (waited <= step.limit || s.waitingPasses <= kSelfTestMinWaitPasses) return;
    app.automationFailure = formatString(
        "The self-test gave up at step %d of %d: %s did not come within %.0f s of program time.", s.step + 1,
        selfTestStepCount(), step.awaits ? step.awaits : "its state", step.limit);
    app.quitRequested = true;
    s.step = selfTestStepCount();
}

}  // namespace

void selfTestStep(App& app) { selfTestStep(app, processScript()); }

void selfTestStep(App& app, SelfTestScript& s) {
    // Every pass of a wait counts, also those spent on captures and waits in between.
    if (s.waitingSince >= 0) s.waitingPasses += 1;
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
    if (step.ready && !step.ready(app)) {
        keepWaiting(app, s, step);
        return;
    }
    if (step.act) step.act(app);
    if (step.capture) requestCapture(app, step.capture);
    if (step.then) s.deferred = step.then;
    s.wait = step.wait;
    if (step.repeatUntil && !step.repeatUntil(app)) {
        keepWaiting(app, s, step);
        return;
    }
    s.step += 1;
    s.waitingSince = -1;
    s.waitingPasses = 0;
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

std::string selfTestReportPath(const App& app) { return plat::joinPath(app.shotsDir, "selftest.txt"); }
std::string scopeRangeReportPath(const App& app) { return plat::joinPath(app.shotsDir, "scope_range.txt"); }

bool writeSelfTestReport(const App& app) { return plat::writeWholeFile(selfTestReportPath(app), selfTestReport(app)); }

bool writeScopeRangeReport(const App& app) {
    return plat::writeWholeFile(scopeRangeReportPath(app), scopeRangeReport(app));
}
