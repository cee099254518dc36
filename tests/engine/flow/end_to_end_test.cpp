// A whole automated run without a window: a Sensitivity Finder test, a pooled Sens Check
// and a Scope Check played frame by frame by the simulated aimer into a temporary data
// folder, then a restart that picks the stored result up again.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <regex>

#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/profile/app.h"
#include "core/profile/history.h"
#include "core/profile/score_log.h"
#include "engine/flow/session_flow.h"
#include "engine/flow/starters.h"
#include "engine/kernel/session.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr double kFrame = 1.0 / 60;

using test_files::lines;
using test_files::readText;

// What the main loop does with the clock under automation: outside a playing round it runs
// automationSpeed times faster than the frame time; inside, the session flow's 1 ms steps
// advance it.
void runFrame(App& app) {
    if (!(app.screen == ScreenRound && app.roundPhase == RoundPlaying)) app.now += app.automationSpeed * kFrame;
    updateFrame(app, kFrame);
}

// Frames until the round screen is left; false when it never is.
bool playUntilOffRoundScreen(App& app) {
    for (int frame = 0; frame < 200000; ++frame) {
        if (app.screen != ScreenRound) return true;
        runFrame(app);
    }
    return false;
}

void prepare(App& app, const fs::path& dataDir) {
    app.applyAutomationReset();
    app.automation = true;
    app.dataDir = dataDir.string();
    app.width = 1600;
    app.height = 900;
    app.loadHistory();
    app.loadScores();
}

std::vector<ScoreRow> rowsOfMode(const std::vector<ScoreRow>& rows, const std::string& mode) {
    std::vector<ScoreRow> out;
    for (const ScoreRow& r : rows)
        if (r.mode == mode) out.push_back(r);
    return out;
}

// The report's structure line by line, and its text as the report writer makes it.
void expectReportLayout(const App& app, const std::string& path, size_t checks) {
    ASSERT_FALSE(path.empty());
    ASSERT_TRUE(fs::exists(path)) << path;
    const std::string text = readText(path);
    const std::vector<std::string> l = lines(text);
    const std::string title = "Tarvion sensitivity report - ";
    ASSERT_GT(l.size(), 10u);
    ASSERT_EQ(l[0].rfind(title, 0), 0u);
    const std::string when = l[0].substr(title.size(), 16);
    EXPECT_TRUE(std::regex_match(when, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d)"))) << when;
    EXPECT_EQ(text, resultReportText(app, when));

    size_t i = 1;
    EXPECT_EQ(l[i++], "");
    for (size_t c = 0; c < checks; ++c) {
        EXPECT_TRUE(std::regex_match(
            l[i], std::regex(R"(Sens Check \d+: \d+\.\d -> \d+\.\d cm/360 \([+-]\d+\.\d%\) (CONFIRMED|tweak suggested))")))
            << l[i];
        ++i;
    }
    if (checks > 0) {
        EXPECT_EQ(l[i++], "");
    }
    EXPECT_EQ(l[i++], "Game: VALORANT    DPI: 800");
    EXPECT_TRUE(std::regex_match(l[i++], std::regex(R"(Starting sens: 0\.320 \(51\.0 cm/360\))"))) << l[i - 1];
    EXPECT_TRUE(std::regex_match(l[i++], std::regex(R"(RECOMMENDED:   \d\.\d{3} \(\d+\.\d cm/360\))"))) << l[i - 1];
    EXPECT_TRUE(std::regex_match(
        l[i++], std::regex(R"(Likely range:  \d\.\d{3} - \d\.\d{3} \(\d+\.\d - \d+\.\d cm/360\), confidence (High|Medium|Low))")))
        << l[i - 1];
    EXPECT_TRUE(std::regex_match(l[i++], std::regex(R"(Perfect DPI:   \d+  \(.+\))"))) << l[i - 1];
    EXPECT_EQ(l[i++], "");
    EXPECT_EQ(l[i++], "Round  cm/360   sens        stage  flick(bits/s)  acc%   kill(ms)  track%  over%  under%  perf%");
    const std::regex row(R"( {0,4}\d+ +\d+\.\d   \d\.\d{3}       +[123]  +\d+\.\d\d  +\d+\.\d  +\d+  +\d+\.\d  +\d+  +\d+  +\d+\.\d)");
    for (size_t r = 0; r < app.analysis.rounds.size(); ++r, ++i) {
        ASSERT_LT(i, l.size());
        EXPECT_TRUE(std::regex_match(l[i], row)) << l[i];
        EXPECT_EQ(l[i].substr(0, 5), formatString("%5d", static_cast<int>(r + 1)));
    }
    EXPECT_EQ(l[i++], "");
    EXPECT_EQ(l[i++], "All games at 800 DPI:");
    EXPECT_EQ(l.size() - i, 10u);  // nine yaw games and Arma Reforger
    EXPECT_EQ(l.back(), "  Arma Reforger: calibrate first");
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override { resetCalibratedYaws(); }
    TempFolder folder;
    fs::path dir{folder.dir()};
};

TEST_F(EndToEnd, FinderThenSensCheckThenScopeCheckThenRestart) {
    double storedBest = 0;
    std::vector<ScoreRow> logged;
    {
        App app;
        prepare(app, dir);

        // Sensitivity Finder: warm-up, 5 stage-1 and 5 stage-2 rounds.
        startFinder(app);
        ASSERT_TRUE(playUntilOffRoundScreen(app));
        ASSERT_EQ(app.screen, ScreenResults);
        ASSERT_TRUE(app.hasResult);
        EXPECT_FALSE(app.isSensCheckResult);
        EXPECT_EQ(app.session.results.size(), 10u);
        EXPECT_EQ(app.analysis.rounds.size(), 10u);
        // The simulated player is used to the profile's 51 cm/360.
        EXPECT_GT(app.analysis.recommendedCm360, 51.03 / 1.6);
        EXPECT_LT(app.analysis.recommendedCm360, 51.03 * 1.6);
        {
            const std::vector<ScoreRow> finder = rowsOfMode(app.scores, "finder");
            ASSERT_EQ(finder.size(), 10u);
            int stageTwo = 0;
            for (size_t k = 0; k < finder.size(); ++k) {
                EXPECT_EQ(finder[k].game, "valorant");
                EXPECT_EQ(finder[k].drill, 0);  // VALORANT plays the Tactical drill
                EXPECT_NEAR(finder[k].cm360, app.session.results[k].config.cm360, 1e-9);
                if (app.session.resultStages[k] == StageTwo) ++stageTwo;
            }
            EXPECT_EQ(stageTwo, 5);
        }
        ASSERT_EQ(app.history.size(), 1u);
        EXPECT_EQ(app.history[0].type, "finder");
        EXPECT_EQ(app.history[0].game, "VALORANT");
        expectReportLayout(app, app.reportPath, 0);
        const double finderBest = app.analysis.recommendedCm360;

        // Sens Check, pooled with the finder's ten rounds: warm-up plus six check rounds.
        startSensCheck(app);
        EXPECT_DOUBLE_EQ(app.cmBeforeCheck, finderBest);
        EXPECT_EQ(app.session.results.size(), 10u);
        ASSERT_TRUE(playUntilOffRoundScreen(app));
        ASSERT_EQ(app.screen, ScreenResults);
        ASSERT_TRUE(app.isSensCheckResult);
        EXPECT_EQ(app.resultNotice, "");
        ASSERT_EQ(app.sensChecks.size(), 1u);
        EXPECT_DOUBLE_EQ(app.sensChecks[0].beforeCm360, finderBest);
        EXPECT_EQ(app.analysis.rounds.size(), 16u);
        {
            const std::vector<ScoreRow> check = rowsOfMode(app.scores, "check");
            ASSERT_EQ(check.size(), 6u);
            for (size_t k = 0; k < check.size(); ++k) {
                EXPECT_EQ(check[k].game, "valorant");
                EXPECT_EQ(check[k].drill, 0);
                EXPECT_NEAR(check[k].cm360, app.session.results[10 + k].config.cm360, 1e-9);
                EXPECT_EQ(app.session.resultStages[10 + k], StageCheck);
            }
        }
        ASSERT_EQ(app.history.size(), 2u);
        EXPECT_EQ(app.history[1].type, "check");
        expectReportLayout(app, app.reportPath, 1);
        storedBest = app.analysis.recommendedCm360;

        // Scope Check from the checked result; its rows are the current game's.
        startScopeCheck(app);
        EXPECT_DOUBLE_EQ(app.scopeHipCm360, storedBest);
        ASSERT_TRUE(playUntilOffRoundScreen(app));
        EXPECT_EQ(app.screen, ScreenScopeResult);
        {
            const std::vector<ScoreRow> scope = rowsOfMode(app.scores, "scope");
            ASSERT_EQ(scope.size(), 6u);
            for (size_t k = 0; k < scope.size(); ++k) {
                EXPECT_EQ(scope[k].game, "valorant");
                EXPECT_NEAR(scope[k].cm360, app.scopeSession.results[k].config.cm360, 1e-9);
            }
        }
        if (app.hasScopeResult) {
            EXPECT_TRUE(app.scopeMeasured);
            EXPECT_GE(app.scopeMult, 0.3);
            EXPECT_LE(app.scopeMult, 3.0);
        }
        EXPECT_EQ(app.history.size(), 2u);  // a Scope Check keeps no history

        // The files hold what memory holds.
        logged = app.scores;
        EXPECT_EQ(logged.size(), 22u);
        EXPECT_EQ(lines(readText(dir / "scores.csv")).size(), logged.size() + 1);
        EXPECT_EQ(lines(readText(dir / "history.csv")).size(), 3u);
        EXPECT_GE(std::distance(fs::directory_iterator(dir / "reports"), fs::directory_iterator{}), 1);
    }

    // Restart: a new record reads the same folder, and a Sens Check starts from the stored
    // best result of the game (as the file holds it, to two decimals).
    App again;
    prepare(again, dir);
    ASSERT_EQ(again.scores.size(), logged.size());
    for (size_t k = 0; k < logged.size(); ++k) {
        EXPECT_EQ(again.scores[k].day, logged[k].day);
        EXPECT_EQ(again.scores[k].game, logged[k].game);
        EXPECT_EQ(again.scores[k].drill, logged[k].drill);
        EXPECT_EQ(again.scores[k].mode, logged[k].mode);
        EXPECT_NEAR(again.scores[k].cm360, logged[k].cm360, 0.005 + 1e-9);
        EXPECT_NEAR(again.scores[k].track_on_target, logged[k].track_on_target, 0.0005 + 1e-9);
    }
    ASSERT_EQ(again.history.size(), 2u);
    EXPECT_FALSE(again.hasResult);
    const double stored = std::round(storedBest * 100) / 100;
    EXPECT_NEAR(bestKnownCm360(again), stored, 1e-9);
    startSensCheck(again);
    EXPECT_NEAR(again.cmBeforeCheck, stored, 1e-9);
    EXPECT_TRUE(again.session.results.empty());
    ASSERT_EQ(again.session.rounds.size(), 7u);
    EXPECT_EQ(again.session.rounds[0].stage, StageWarmUp);
    EXPECT_NEAR(again.session.rounds[0].cm360, stored, 1e-9);
}

// Two automated finder runs from the same profile play the same rounds and reach the same
// recommendation.
TEST_F(EndToEnd, AutomatedFinderIsReproducible) {
    double first = 0;
    for (int run = 0; run < 2; ++run) {
        App app;
        const fs::path sub = dir / std::to_string(run);
        fs::create_directories(sub);
        prepare(app, sub);
        app.length = 0;  // Quick: 8 scored rounds
        startFinder(app);
        ASSERT_TRUE(playUntilOffRoundScreen(app));
        ASSERT_TRUE(app.hasResult);
        if (run == 0)
            first = app.analysis.recommendedCm360;
        else
            EXPECT_DOUBLE_EQ(app.analysis.recommendedCm360, first);
    }
}

}  // namespace
