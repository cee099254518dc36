// The self-test script: its pass rules (pending captures, deferred actions, waits), its
// reports, a whole headless run over the real sessions, and the built program playing it
// end to end under its own X server.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/input.h"
#include "app/selftest.h"
#include "app/shell.h"
#include "core/profile/app.h"
#include "engine/flow/mouse_capture.h"
#include "engine/flow/session_flow.h"
#include "tests/app/program_run.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kCaptures = {
    "01_home",          "01b_tutorial",       "01c_tutorial_end",   "01d_tutorial_round", "01e_tutorial_done",
    "02_setup_game",    "03_setup_mouse",     "04_setup_style",     "05_setup_ready",     "06_dpi_tool",
    "07_converter",     "08_settings",        "08b_calibrate",      "08c_armory_guns",    "08d_armory_skins",
    "08e_armory_maps",  "09_countdown",       "10_flick",           "11_track",           "12_summary",
    "13_results",       "14_results_lower",   "14a_check_track",    "14b_check_results",  "14c_scope_round",
    "14d_scope_result", "15_history",         "15b_tools",          "15c_levelup",        "16_practice",
    "16b_practice_scoped", "16c_practice_pistol", "17_paused",
};

using test_files::readText;

// The index of the step that requests this capture.
int32_t stepOf(const std::string& capture) {
    for (int32_t i = 0; i < selfTestStepCount(); ++i)
        if (const char* c = selfTestCaptureOf(i); c && capture == c) return i;
    return -1;
}

class SelfTestScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        app_.automation = true;
        app_.applyAutomationReset();
        app_.shotsDir = dir_.string();
        app_.dataDir = (dir_ / "data").string();
        fs::create_directories(app_.dataDir);
    }

    // What the main loop does after a pass's UI: the capture is written (here: recorded).
    void writeCapture() {
        if (app_.pendingCapture.empty()) return;
        written_.push_back(app_.pendingCapture);
        app_.pendingCapture.clear();
    }

    App app_;
    SelfTestScript script_;
    TempFolder temp_;
    fs::path dir_{temp_.dir()};
    std::vector<std::string> written_;
};

TEST_F(SelfTestScriptTest, RequestsTheThirtyThreeCapturesInOrder) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < selfTestStepCount(); ++i)
        if (const char* c = selfTestCaptureOf(i)) names.push_back(c);
    EXPECT_EQ(names, kCaptures);
    EXPECT_EQ(selfTestCaptureCount(), 33);
    EXPECT_EQ(selfTestStepCount(), 57);
}

TEST_F(SelfTestScriptTest, HomeWaitsForTheScanThreadBeforeTheFirstCapture) {
    app_.screen = ScreenSettings;
    for (int i = 0; i < 50; ++i) selfTestStep(app_, script_);
    EXPECT_EQ(app_.screen, ScreenHome);
    EXPECT_TRUE(app_.pendingCapture.empty());
    EXPECT_EQ(script_.step, 0);

    app_.detectionDone.store(true);
    int passes = 0;
    while (app_.pendingCapture.empty() && passes < 20) {
        selfTestStep(app_, script_);
        ++passes;
    }
    EXPECT_EQ(app_.pendingCapture, "01_home");
    // What is left of the wait, the step again with its own wait of 6, then the capture.
    EXPECT_LE(passes, 14);
}

TEST_F(SelfTestScriptTest, APendingCaptureStopsEverythingEvenTheWait) {
    script_.step = stepOf("01b_tutorial");
    script_.wait = 3;
    app_.pendingCapture = "manual";
    for (int i = 0; i < 10; ++i) selfTestStep(app_, script_);
    EXPECT_EQ(script_.wait, 3);
    EXPECT_EQ(app_.pendingCapture, "manual");
    app_.pendingCapture.clear();
    for (int i = 0; i < 3; ++i) selfTestStep(app_, script_);
    EXPECT_TRUE(app_.pendingCapture.empty());
    selfTestStep(app_, script_);
    EXPECT_EQ(app_.pendingCapture, "01b_tutorial");
}

TEST_F(SelfTestScriptTest, TheDeferredActionRunsInItsOwnPassAndTheWaitCountsFromTheNext) {
    script_.step = stepOf("01_home");
    selfTestStep(app_, script_);
    ASSERT_EQ(app_.pendingCapture, "01_home");
    EXPECT_FALSE(app_.tourVisible) << "the picture shows the state before the change";
    selfTestStep(app_, script_);  // not yet written: nothing
    EXPECT_FALSE(app_.tourVisible);
    writeCapture();
    selfTestStep(app_, script_);
    EXPECT_TRUE(app_.tourVisible);
    EXPECT_EQ(app_.tourPage, 1);
    EXPECT_TRUE(app_.pendingCapture.empty());
    for (int i = 0; i < 4; ++i) {
        selfTestStep(app_, script_);
        EXPECT_TRUE(app_.pendingCapture.empty()) << "wait pass " << i;
    }
    selfTestStep(app_, script_);
    EXPECT_EQ(app_.pendingCapture, "01b_tutorial");
}

TEST_F(SelfTestScriptTest, ConditionStepsHoldUntilTheirStateAppears) {
    script_.step = stepOf("12_summary");
    app_.screen = ScreenRound;
    app_.roundPhase = RoundBetween;
    app_.session.nextRound = 1;  // still the first round: not yet
    for (int i = 0; i < 20; ++i) selfTestStep(app_, script_);
    EXPECT_TRUE(app_.pendingCapture.empty());
    app_.session.nextRound = 2;
    selfTestStep(app_, script_);
    EXPECT_EQ(app_.pendingCapture, "12_summary");
}

TEST_F(SelfTestScriptTest, TheClosingPracticeRunsAtTheRecommendationOnlyWhenTheAnalysisIsValid) {
    struct Case {
        bool valid;
        double recommended;
        double expectedCm;
    };
    for (const Case c : {Case{false, 52.0, 35.0}, Case{true, 41.3, 41.3}}) {
        SCOPED_TRACE(c.valid);
        SelfTestScript s;
        s.step = stepOf("15c_levelup") + 1;
        app_.analysis.valid = c.valid;
        app_.analysis.recommendedCm360 = c.recommended;
        app_.screen = ScreenHome;
        selfTestStep(app_, s);
        EXPECT_EQ(app_.screen, ScreenRound);
        EXPECT_EQ(app_.sessionKind, SessionPractice);
        EXPECT_FALSE(app_.tutorialPractice);
        EXPECT_DOUBLE_EQ(app_.practiceCm, c.expectedCm);
        EXPECT_EQ(app_.gun, "longbow");
        EXPECT_EQ(app_.skin, "galaxy");
        EXPECT_EQ(app_.theme, "midnight");
    }
}

TEST_F(SelfTestScriptTest, TheLastStepEndsTheProgramAndTheScriptStaysEnded) {
    script_.step = stepOf("17_paused");
    selfTestStep(app_, script_);
    writeCapture();
    EXPECT_FALSE(app_.quitRequested);
    selfTestStep(app_, script_);
    EXPECT_TRUE(app_.quitRequested);
    EXPECT_EQ(script_.step, selfTestStepCount());
    app_.quitRequested = false;
    for (int i = 0; i < 5; ++i) selfTestStep(app_, script_);
    EXPECT_FALSE(app_.quitRequested);
    EXPECT_TRUE(app_.pendingCapture.empty());
}

TEST_F(SelfTestScriptTest, EveryStepThatWaitsHasALimitAndSaysWhatItWaitsFor) {
    int waiting = 0;
    for (int32_t i = 0; i < selfTestStepCount(); ++i) {
        if (!selfTestAwaitedStateOf(i)) {
            EXPECT_EQ(selfTestLimitOf(i), 0) << i;
            continue;
        }
        ++waiting;
        EXPECT_GE(selfTestLimitOf(i), 60) << i;
    }
    EXPECT_EQ(waiting, 14);
}

TEST_F(SelfTestScriptTest, AStateThatNeverComesEndsTheRunOnceTheStepsLimitHasPassed) {
    // The Scope Check's second round never shows: the session stays on the results screen.
    const int32_t step = stepOf("14c_scope_round");
    script_.step = step;
    app_.screen = ScreenResults;
    const double limit = selfTestLimitOf(step);
    ASSERT_GT(limit, 0);
    // Half a second of program time per pass. The test's own limit: a few times the passes
    // the step's limit needs.
    const int bound = static_cast<int>(limit * 2) * 4;
    int passes = 0;
    for (; passes < bound && !app_.quitRequested; ++passes) {
        app_.now += 0.5;
        selfTestStep(app_, script_);
        if (app_.now - 0.5 <= limit) {
            ASSERT_FALSE(app_.quitRequested) << "gave up early, pass " << passes;
        }
    }
    ASSERT_TRUE(app_.quitRequested) << "still waiting after " << passes << " passes";
    EXPECT_EQ(app_.automationFailure,
              "The self-test gave up at step " + std::to_string(step + 1) + " of 57: the fourth flick target of the "
              "Scope Check's second round did not come within 240 s of program time.");
    EXPECT_EQ(script_.step, selfTestStepCount());
    // Ended for good: nothing further happens.
    app_.quitRequested = false;
    for (int i = 0; i < 5; ++i) selfTestStep(app_, script_);
    EXPECT_FALSE(app_.quitRequested);
    EXPECT_TRUE(app_.pendingCapture.empty());
}

TEST_F(SelfTestScriptTest, AtHighSpeedsAStateGetsItsPassesEvenWhenProgramTimeRunsAhead) {
    script_.step = stepOf("01_home") - 1;  // the wait for the scan thread
    for (int i = 0; i < kSelfTestMinWaitPasses; ++i) {
        app_.now += 1000;  // far past any limit at every pass
        selfTestStep(app_, script_);
        ASSERT_FALSE(app_.quitRequested) << "pass " << i;
    }
    app_.detectionDone.store(true);
    for (int i = 0; i < 20 && app_.pendingCapture.empty(); ++i) selfTestStep(app_, script_);
    EXPECT_EQ(app_.pendingCapture, "01_home");
    EXPECT_TRUE(app_.automationFailure.empty());
    // The wait of the next step starts from nothing.
    EXPECT_LT(script_.waitingSince, 0);
}

// ---- Reports -----------------------------------------------------------------

TEST_F(SelfTestScriptTest, AnInvalidAnalysisReportsValidZeroAndEndsWithTheSavedLine) {
    app_.resultCm = 51.03;
    app_.reportPath = "";
    const std::vector<std::string> lines = test_files::lines(selfTestReport(app_));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0],
              "valid=0 start_cm=51.03 rec_cm=0.00 range=0.00-0.00 range90=0.00-0.00 conf= perf=0.00 bal=0 0.00 "
              "w=0.00 trend=0.00 rounds=0");
    EXPECT_EQ(lines[1], "saved=");
}

TEST_F(SelfTestScriptTest, TheReportListsEveryRoundAndEverySensCheck) {
    AnalysisResult& a = app_.analysis;
    a.valid = true;
    a.recommendedCm360 = 45.123;
    a.lowCm360 = 40.844;
    a.highCm360 = 48.951;
    a.wideLowCm360 = 35.92;
    a.wideHighCm360 = 52.49;
    a.confidence = "Medium";
    a.fitPeakCm360 = 45.5;
    a.hasFlickLanding = true;
    a.flickLandingCm360 = 43.21;
    a.flickLandingBlend = 0.25;
    a.trendPctPerRound = -0.07;
    RoundMetrics m;
    m.roundNumber = 3;
    m.stage = 2;
    m.cm360 = 27.66;
    m.throughput = 11.134;
    m.accuracy = 0.84;
    m.trackScore = 0.8814;
    m.performance = 103.94;
    m.overflickPct = 27.4;
    m.underflickPct = 18.6;
    a.rounds = {m};
    app_.resultCm = 51.03;
    app_.reportPath = "out/data/reports/Tarvion_20261210_094132.txt";
    SensCheckEntry confirmed;
    confirmed.beforeCm360 = 46.25;
    confirmed.afterCm360 = 45.12;
    confirmed.changePct = -2.443;
    confirmed.confidence = "Medium";
    confirmed.confirmed = true;
    SensCheckEntry tweak = confirmed;
    tweak.afterCm360 = 50.0;
    tweak.changePct = 8.108;
    tweak.confidence = "Low";
    tweak.confirmed = false;
    app_.sensChecks = {confirmed, tweak};

    const std::vector<std::string> lines = test_files::lines(selfTestReport(app_));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0],
              "valid=1 start_cm=51.03 rec_cm=45.12 range=40.84-48.95 range90=35.92-52.49 conf=Medium perf=45.50 bal=1 "
              "43.21 w=0.25 trend=-0.07 rounds=1");
    EXPECT_EQ(lines[1], "  round 3 stage 2 cm 27.7 tp 11.13 acc 0.84 track 0.881 y 103.9 over 27 under 19");
    EXPECT_EQ(lines[2], "saved=out/data/reports/Tarvion_20261210_094132.txt");
    EXPECT_EQ(lines[3], "check: 46.25 -> 45.12 (-2.4%) confirmed conf Medium");
    EXPECT_EQ(lines[4], "check: 46.25 -> 50.00 (+8.1%) tweak conf Low");
}

RoundResult scopeRound(double radius, std::vector<double> distances) {
    RoundResult r;
    r.config.scopeRadius = radius;
    for (double d : distances) {
        TargetRecord t;
        t.distance = d;
        r.targets.push_back(t);
    }
    return r;
}

TEST_F(SelfTestScriptTest, ScopeRangeTakesTheLastRadiusAndTheFarthestRatioOfEveryRound) {
    struct Case {
        const char* what;
        std::vector<RoundResult> rounds;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"no rounds", {}, "scope radius 0.00 deg, farthest spawn 0% of the radius\n"},
        {"one round", {scopeRound(10, {2, 8, 5})}, "scope radius 10.00 deg, farthest spawn 80% of the radius\n"},
        {"the farthest ratio may sit in an earlier round with another radius",
         {scopeRound(5, {4.5}), scopeRound(9.24, {3, 7})},
         "scope radius 9.24 deg, farthest spawn 90% of the radius\n"},
        {"a last round without targets keeps the radius before it",
         {scopeRound(9.24, {3}), scopeRound(4, {})},
         "scope radius 9.24 deg, farthest spawn 32% of the radius\n"},
        {"a zero radius does not divide by zero", {scopeRound(0, {0})},
         "scope radius 0.00 deg, farthest spawn 0% of the radius\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app_.scopeSession.results = c.rounds;
        EXPECT_EQ(scopeRangeReport(app_), c.expected);
    }
}

TEST_F(SelfTestScriptTest, ReportsGoIntoTheShotsFolderAndAnUnwritableFolderIsSkipped) {
    app_.scopeSession.results = {scopeRound(10, {5})};
    ASSERT_TRUE(writeSelfTestReport(app_));
    ASSERT_TRUE(writeScopeRangeReport(app_));
    EXPECT_EQ(readText(dir_ / "selftest.txt"), selfTestReport(app_));
    EXPECT_EQ(readText(dir_ / "scope_range.txt"), "scope radius 10.00 deg, farthest spawn 50% of the radius\n");
    // An older report is replaced, not appended to.
    app_.resultCm = 12.5;
    ASSERT_TRUE(writeSelfTestReport(app_));
    EXPECT_EQ(readText(dir_ / "selftest.txt"), selfTestReport(app_));

    app_.shotsDir = (dir_ / "missing" / "deeper").string();
    EXPECT_FALSE(writeSelfTestReport(app_));
    EXPECT_FALSE(writeScopeRangeReport(app_));
    // The script goes on past the report steps all the same, and notes what is missing.
    SelfTestScript s;
    s.step = stepOf("14d_scope_result") - 1;
    app_.screen = ScreenScopeResult;
    selfTestStep(app_, s);
    EXPECT_EQ(s.step, stepOf("14d_scope_result"));
    s.step += 1;
    s.wait = 0;
    selfTestStep(app_, s);
    EXPECT_EQ(app_.screen, ScreenHistory);
    EXPECT_EQ(s.step, stepOf("15_history"));
    EXPECT_EQ(app_.unwrittenFiles, (std::vector<std::string>{scopeRangeReportPath(app_), selfTestReportPath(app_)}));
}

// ---- The whole script over the real sessions, without a window ----------------

TEST_F(SelfTestScriptTest, AHeadlessRunPlaysEverySessionAndWritesBothReports) {
    app_.detectionDone.store(true);
    const double dt = 1.0 / 60;
    double wall = 0;
    int passes = 0;
    for (; passes < 200000 && !app_.quitRequested; ++passes) {
        wall += dt;
        advanceAppClock(app_, wall, dt);
        updateFrame(app_, dt);
        writeCapture();
        // The share card the results screen would draw and save.
        if (app_.shareRequested) {
            app_.shareRequested = false;
            app_.toast = "Saved";
        }
        selfTestStep(app_, script_);
    }
    ASSERT_TRUE(app_.quitRequested) << "stalled at step " << script_.step << " after " << written_.size()
                                    << " captures";
    EXPECT_EQ(app_.automationFailure, "");
    EXPECT_TRUE(app_.unwrittenFiles.empty());
    EXPECT_EQ(written_, kCaptures);
    EXPECT_EQ(app_.sessionKind, SessionPractice);
    EXPECT_EQ(app_.roundPhase, RoundPaused);

    const std::vector<std::string> report = test_files::lines(readText(dir_ / "selftest.txt"));
    ASSERT_GE(report.size(), 3u);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(report[0], m, std::regex("^valid=1 .* rounds=(\\d+)$"))) << report[0];
    const size_t rounds = std::stoul(m[1]);
    EXPECT_GT(rounds, 10u) << "the Sens Check pools the finder's rounds";
    ASSERT_EQ(report.size(), 1 + rounds + 1 + app_.sensChecks.size());
    EXPECT_EQ(app_.sensChecks.size(), 1u);
    EXPECT_EQ(report[1 + rounds], "saved=" + app_.reportPath);
    EXPECT_TRUE(fs::exists(app_.reportPath));
    EXPECT_TRUE(std::regex_match(report.back(), std::regex("check: [0-9.]+ -> [0-9.]+ \\([+-][0-9.]+%\\) "
                                                           "(confirmed|tweak) conf (High|Medium|Low)")))
        << report.back();
    const std::string scope = readText(dir_ / "scope_range.txt");
    ASSERT_TRUE(std::regex_match(scope, m, std::regex("scope radius [0-9.]+ deg, farthest spawn (\\d+)% of the radius\n")))
        << scope;
    EXPECT_LE(std::stoi(m[1]), 80) << "scoped targets stay inside the scope circle";
}

// The headless script at one speed and frame time: selftest.txt without its "saved=" line
// (the report's name carries the time of day), or "stalled" past a generous pass limit.
std::string headlessReport(double speed, double dt) {
    App app;
    app.automation = true;
    app.applyAutomationReset();
    app.automationSpeed = speed;
    const TempFolder temp;
    const fs::path dir = temp.dir();
    app.shotsDir = dir.string();
    app.dataDir = (dir / "data").string();
    fs::create_directories(app.dataDir);
    app.detectionDone.store(true);
    SelfTestScript script;
    double wall = 0;
    for (int passes = 0; passes < 3000000 && !app.quitRequested; ++passes) {
        wall += dt;
        advanceAppClock(app, wall, dt);
        updateFrame(app, dt);
        app.pendingCapture.clear();
        if (app.shareRequested) {
            app.shareRequested = false;
            app.toast = "Saved";
        }
        selfTestStep(app, script);
    }
    std::string report = app.quitRequested ? "" : "stalled\n";
    for (const std::string& line : test_files::lines(readText(dir / "selftest.txt")))
        if (line.rfind("saved=", 0) != 0) report += line + "\n";
    return report;
}

TEST(SelfTestSpeed, BothEndsOfTheAcceptedRangeGiveTheResultOfSpeedOne) {
    for (double dt : {1.0 / 60, 0.1}) {
        SCOPED_TRACE(dt);
        const std::string atOne = headlessReport(1.0, dt);
        ASSERT_EQ(atOne.rfind("valid=1 ", 0), 0u) << atOne;
        EXPECT_EQ(headlessReport(kMinAutomationSpeed, dt), atOne);
        EXPECT_EQ(headlessReport(kMaxAutomationSpeed, dt), atOne);
    }
}

// ---- The built program, end to end ---------------------------------------------

// What a whole run leaves in its output folder: every capture at the window's size, both
// reports, the saved text report and the run's own profile.
void expectWholeSelfTest(const fs::path& dir, const fs::path& out) {
    std::vector<std::string> missing;
    for (const std::string& name : kCaptures)
        if (!fs::exists(out / (name + ".bmp"))) missing.push_back(name);
    EXPECT_TRUE(missing.empty()) << "first missing: " << (missing.empty() ? "" : missing.front());
    for (const std::string& name : kCaptures) {
        std::ifstream bmp(out / (name + ".bmp"), std::ios::binary);
        unsigned char header[26] = {};
        if (!bmp.read(reinterpret_cast<char*>(header), sizeof header)) continue;
        const int32_t w = header[18] | header[19] << 8 | header[20] << 16 | header[21] << 24;
        const int32_t h = header[22] | header[23] << 8 | header[24] << 16 | header[25] << 24;
        EXPECT_EQ(header[0], 'B') << name;
        EXPECT_EQ(w, 1600) << name;
        EXPECT_EQ(h < 0 ? -h : h, 900) << name;
    }
    const std::vector<std::string> report = test_files::lines(readText(out / "selftest.txt"));
    ASSERT_FALSE(report.empty());
    EXPECT_EQ(report[0].rfind("valid=1 ", 0), 0u) << report[0];
    bool saved = false;
    for (const std::string& line : report) {
        if (line.rfind("saved=", 0) != 0) continue;
        saved = true;
        // A Windows build writes the path with backslashes.
        std::string text = line.substr(6);
        for (char& c : text)
            if (c == '\\') c = '/';
        const fs::path path = text;
        EXPECT_TRUE(fs::exists(path.is_absolute() ? path : dir / path)) << line;
    }
    EXPECT_TRUE(saved);
    EXPECT_EQ(report.back().rfind("check: ", 0), 0u) << report.back();
    std::smatch m;
    const std::string scope = readText(out / "scope_range.txt");
    ASSERT_TRUE(std::regex_match(scope, m, std::regex("scope radius [0-9.]+ deg, farthest spawn (\\d+)% of the radius\n")))
        << scope;
    EXPECT_LE(std::stoi(m[1]), 80);
    // The run's profile stays in its own data folder.
    EXPECT_TRUE(fs::exists(out / "data" / "settings.ini"));
}

// Runs in its own ctest (app_selftest_run) with its own time limit, under a private X
// server so no other test's window or injected input meets it.
TEST(SelfTestRun, TheProgramPlaysTheScriptAndLeavesEveryCaptureAndBothReports) {
    if (!std::getenv("TARVION_SELFTEST_RUN")) GTEST_SKIP() << "runs as the ctest app_selftest_run";
    if (const std::string why = program_run::whyNotNative(); !why.empty()) GTEST_SKIP() << why;
    const TempFolder temp;
    const fs::path dir = temp.dir();
    // Speed 8 keeps every state the script waits for on screen for several frames even
    // when llvmpipe is slow on a loaded machine.
    EXPECT_EQ(program_run::runNative(dir, "--selftest --shots out --scale 1 --speed 8", 480), 0)
        << readText(dir / "run.log");
    expectWholeSelfTest(dir, dir / "out");
    EXPECT_FALSE(fs::exists(dir / "home"));
}

// The Windows build under Wine, run by the Windows test stage (scripts/test_windows.sh),
// which names the program in TARVION_WINE_EXE and has the Wine prefix and display ready.
// The captures go to the folder TARVION_WINE_SELFTEST_KEEP names, when set, for the stage
// to hold against the native build's.
TEST(SelfTestRun, TheWindowsBuildPlaysTheScriptUnderWine) {
    const char* exe = std::getenv("TARVION_WINE_EXE");
    if (!exe) GTEST_SKIP() << "runs in the Windows test stage";
    const TempFolder temp;
    const fs::path dir = temp.dir();
    EXPECT_EQ(program_run::runUnderWine(exe, dir, "--selftest --shots out --scale 1 --speed 8", 600), 0)
        << readText(dir / "run.log");
    expectWholeSelfTest(dir, dir / "out");
    if (const char* keep = std::getenv("TARVION_WINE_SELFTEST_KEEP")) {
        fs::create_directories(keep);
        for (const std::string& name : kCaptures) {
            std::error_code ec;
            fs::copy_file(dir / "out" / (name + ".bmp"), fs::path(keep) / (name + ".bmp"),
                          fs::copy_options::overwrite_existing, ec);
        }
    }
}

}  // namespace
