#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "core/catalog/catalog.h"
#include "core/profile/app.h"
#include "core/profile/history.h"
#include "core/profile/score_log.h"
#include "platform/base/timefmt.h"
#include "tests/support/temp_folder.h"
#ifndef _WIN32
#include <ctime>

#include "tests/support/fifo_watchdog.h"
#include "tests/support/file_size_limit.h"
#endif

namespace fs = std::filesystem;

namespace {

using test_files::readText;
using test_files::lines;

RoundMetrics metricsRow(int32_t number, int32_t stage, double cm, double perf) {
    RoundMetrics m;
    m.roundNumber = number;
    m.stage = stage;
    m.cm360 = cm;
    m.throughput = 4.25 + number;
    m.accuracy = 0.8125;
    m.avgKillMs = 512.4;
    m.trackScore = 0.6125;
    m.overflickPct = 25;
    m.underflickPct = 12.5;
    m.performance = perf;
    return m;
}

// A finished VALORANT result made at 1600 DPI and a 100-degree FOV, while the settings now
// say 800 DPI: everything written must follow the rounds, not the settings.
void fillResult(App& app) {
    app.game = 1;
    app.dpi = 800;
    app.width = 1920;
    app.height = 1080;
    app.resultGame = 1;  // VALORANT, yaw 0.07
    app.resultYaw = 0.07;
    app.resultCm = 40.8;
    app.resultConfig.dpi = 1600;
    app.resultConfig.hFov = 100;
    app.resultMode = "finder";
    app.hasResult = true;
    AnalysisResult& a = app.analysis;
    a.valid = true;
    a.recommendedCm360 = 32.5;
    a.lowCm360 = 29.0;
    a.highCm360 = 36.4;
    a.confidence = "Medium";
    a.rounds = {metricsRow(0, 1, 40.8, 96.5), metricsRow(1, 1, 24.48, 88.25), metricsRow(2, 2, 32.5, 112.75)};
}

class HistoryTest : public ::testing::Test {
protected:
    void SetUp() override { app.dataDir = dir.string(); }
    fs::path historyFile() const { return dir / "history.csv"; }

    TempFolder folder;
    fs::path dir{folder.path()};
    App app;
};

TEST(HistoryGameKey, CommasBecomeBlanks) {
    EXPECT_EQ(historyGameKey(gameCatalog()[5]), "Call of Duty (MW / BO6 / Warzone)");
    GameInfo row = gameCatalog()[0];
    row.name = "Rainbow Six, Siege,";
    EXPECT_EQ(historyGameKey(row), "Rainbow Six  Siege ");
}

TEST(HistoryLine, ParsesOptionalTypeColumn) {
    struct Case {
        const char* line;
        bool ok;
        const char* type;
    };
    const Case cases[] = {
        {"2025-01-01 10:00,VALORANT,800,0.4000,32.65,0.3500,37.32,33.00,41.00,High,1600", true, "finder"},
        {"2025-01-01 10:00,VALORANT,800,0.4000,32.65,0.3500,37.32,33.00,41.00,High,1600,", true, "finder"},
        {"2025-01-01 10:00,VALORANT,800,0.4000,32.65,0.3500,37.32,33.00,41.00,High,1600,check\r", true, "check"},
        {"2025-01-01 10:00,VALORANT,800,0.4000,32.65,0.3500,37.32,33.00,41.00,High,1600,check,x", true, "check"},
        {"2025-01-01 10:00,VALORANT,800,0.4000,32.65,0.3500,37.32,33.00,41.00,High", false, ""},
    };
    for (const Case& c : cases) {
        HistoryEntry e;
        ASSERT_EQ(parseHistoryLine(c.line, e), c.ok) << c.line;
        if (!c.ok) continue;
        EXPECT_EQ(e.type, c.type) << c.line;
        EXPECT_EQ(e.game, "VALORANT");
        EXPECT_DOUBLE_EQ(e.dpi, 800);
        EXPECT_DOUBLE_EQ(e.recommended_cm360, 37.32);
        EXPECT_DOUBLE_EQ(e.range_high_cm, 41);
        EXPECT_EQ(e.confidence, "High");
        EXPECT_EQ(e.recommended_dpi, 1600);
    }
}

TEST(HistoryLine, FormatRoundTrips) {
    HistoryEntry e;
    e.when = "2025-02-03 04:05";
    e.game = "Apex Legends";
    e.dpi = 1600;
    e.current_sens = 1.23456;
    e.current_cm360 = 30.004;
    e.recommended_sens = 1.1;
    e.recommended_cm360 = 33.335;
    e.range_low_cm = 30;
    e.range_high_cm = 37;
    e.confidence = "Low";
    e.recommended_dpi = 800;
    e.type = "check";
    const std::string line = formatHistoryLine(e);
    EXPECT_EQ(line, "2025-02-03 04:05,Apex Legends,1600,1.2346,30.00,1.1000,33.34,30.00,37.00,Low,800,check");
    HistoryEntry back;
    ASSERT_TRUE(parseHistoryLine(line, back));
    EXPECT_EQ(formatHistoryLine(back), line);
}

HistoryEntry usable(const std::string& game, double rec, double lo, double hi) {
    HistoryEntry e;
    e.game = game;
    e.recommended_cm360 = rec;
    e.range_low_cm = lo;
    e.range_high_cm = hi;
    return e;
}

// Rows of another game, a recommendation the program could not have made (outside
// 6..200, "nan", a hand-edited 1e308) and a range whose low lies above its high stay out.
TEST(HistoryEstimateTest, LeavesOutRowsWithoutAUsableRecommendationOrRange) {
    const double inf = INFINITY, nan = NAN;
    HistoryEntry edited;
    ASSERT_TRUE(parseHistoryLine("2025-01-03 10:00,VALORANT,800,0.4,40.8,0.4,1e308,1e307,1.7e308,High,800,finder",
                                 edited));
    const std::vector<HistoryEntry> out = {
        edited,
        usable("VALORANT", 0, 30, 40),       usable("VALORANT", nan, 30, 40),     usable("VALORANT", inf, 30, 40),
        usable("VALORANT", 5.99, 6, 50),     usable("VALORANT", 200.01, 150, 200), usable("VALORANT", -45, 30, 40),
        usable("VALORANT", 35, 41, 40),      usable("VALORANT", 190, 250, 210),   usable("VALORANT", 35, nan, 40),
        usable("VALORANT", 35, 30, nan),     usable("valorant", 35, 30, 40),      usable("VALORANT ", 35, 30, 40),
    };
    const std::vector<HistoryEntry> good = {usable("VALORANT", 44, 41, 47), usable("VALORANT", 46, 43, 49)};
    const HistoryEstimate want = estimateFromHistory(good, "VALORANT");
    ASSERT_EQ(want.count, 2);
    for (const HistoryEntry& row : out) {
        SCOPED_TRACE(formatHistoryLine(row));
        const HistoryEstimate alone = estimateFromHistory({row}, "VALORANT");
        EXPECT_EQ(alone.count, 0);
        EXPECT_EQ(alone.centre, 0);
        EXPECT_EQ(alone.low, 0);
        EXPECT_EQ(alone.high, 0);
        std::vector<HistoryEntry> rows = good;
        rows.insert(rows.begin() + 1, row);
        const HistoryEstimate e = estimateFromHistory(rows, "VALORANT");
        EXPECT_EQ(e.count, 2);
        EXPECT_DOUBLE_EQ(e.centre, want.centre);
        EXPECT_DOUBLE_EQ(e.low, want.low);
        EXPECT_DOUBLE_EQ(e.high, want.high);
    }
}

// A range that runs past 6 or 200 (an older result, a hand edit) counts as the range held
// at the ends.
TEST(HistoryEstimateTest, ARangePastAnEndCountsAsHeldThere) {
    struct Case {
        double rec, lo, hi, heldLo, heldHi;
    };
    const Case cases[] = {
        {190, 170, 215, 170, 200}, {7, 3, 9, 6, 9},          {35, 0, 40, 6, 40},      {35, -50, 40, 6, 40},
        {35, 30, INFINITY, 30, 200}, {35, 1e-300, 1e300, 6, 200}, {35, 0.5, 1e308, 6, 200}, {35, 1e-320, 40, 6, 40},
        {200, 190, 250, 190, 200},  {6, 2, 5, 6, 6},
    };
    const HistoryEntry other = usable("G", 30, 27, 33);
    for (const Case& c : cases) {
        SCOPED_TRACE(formatHistoryLine(usable("G", c.rec, c.lo, c.hi)));
        for (const std::vector<HistoryEntry>& with : {std::vector<HistoryEntry>{}, std::vector<HistoryEntry>{other}}) {
            std::vector<HistoryEntry> rows = with, held = with;
            rows.push_back(usable("G", c.rec, c.lo, c.hi));
            held.push_back(usable("G", c.rec, c.heldLo, c.heldHi));
            const HistoryEstimate e = estimateFromHistory(rows, "G"), want = estimateFromHistory(held, "G");
            EXPECT_EQ(e.count, static_cast<int32_t>(with.size()) + 1);
            EXPECT_DOUBLE_EQ(e.centre, want.centre);
            EXPECT_DOUBLE_EQ(e.low, want.low);
            EXPECT_DOUBLE_EQ(e.high, want.high);
        }
    }
}

// Results are stored held to 6..200, so one at an end reads 200.0 (200.0-200.0): such rows
// count, with the spread's floor, and the pooled centre and range stay within 6..200.
TEST(HistoryEstimateTest, ResultsAtTheEndsCountAndThePoolStaysWithin6To200) {
    const HistoryEstimate three =
        estimateFromHistory({usable("G", 200, 200, 200), usable("G", 200, 200, 200), usable("G", 200, 200, 200)}, "G");
    EXPECT_EQ(three.count, 3);
    EXPECT_NEAR(three.centre, 200, 1e-9);
    EXPECT_DOUBLE_EQ(three.high, 200);
    EXPECT_NEAR(three.low, 200 * std::exp(-0.04 / std::sqrt(3.0)), 1e-9);

    struct Case {
        double rec, lo, hi;
        double centre, low, high;
    };
    const Case cases[] = {
        {200, 187.9, 200, 200, 200 * std::exp(-0.04), 200},  // was 192.2-208.2
        {6, 6, 6.2, 6, 6, 6 * std::exp(0.04)},
        {35, 35, 35, 35, 35 * std::exp(-0.04), 35 * std::exp(0.04)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rec);
        const HistoryEstimate e = estimateFromHistory({usable("G", c.rec, c.lo, c.hi)}, "G");
        EXPECT_EQ(e.count, 1);
        EXPECT_NEAR(e.centre, c.centre, 1e-9);
        EXPECT_NEAR(e.low, c.low, 1e-9);
        EXPECT_NEAR(e.high, c.high, 1e-9);
    }
}

TEST(HistoryEstimateTest, SingleRowBandIsHalfItsLogRangeWithAFloor) {
    struct Case {
        double rec, lo, hi, halfBand;
    };
    const Case cases[] = {
        {35, 30, 42, 0.5 * std::log(42.0 / 30.0)},
        {35, 34.5, 35.5, 0.04},  // narrower than the floor
    };
    for (const Case& c : cases) {
        const HistoryEstimate e = estimateFromHistory({usable("G", c.rec, c.lo, c.hi)}, "G");
        ASSERT_EQ(e.count, 1);
        EXPECT_NEAR(e.centre, c.rec, 1e-9);
        EXPECT_NEAR(std::log(e.high / e.centre), c.halfBand, 1e-9);
        EXPECT_NEAR(std::log(e.centre / e.low), c.halfBand, 1e-9);
    }
}

TEST(HistoryEstimateTest, WeightsByPrecisionAndWidensForDisagreement) {
    // Two rows with equal bands: the centre is the geometric mean; their disagreement
    // (standard error of the two logs) is wider than the model error.
    const std::vector<HistoryEntry> rows = {usable("G", 30, 29, 31), usable("G", 40, 39, 41), usable("H", 90, 50, 100)};
    const HistoryEstimate e = estimateFromHistory(rows, "G");
    ASSERT_EQ(e.count, 2);
    EXPECT_NEAR(e.centre, std::sqrt(30.0 * 40.0), 1e-9);
    const double x1 = std::log(30.0), x2 = std::log(40.0);
    const double se = std::sqrt(((x1 - x2) * (x1 - x2) / 2) / 2);
    EXPECT_NEAR(std::log(e.high / e.centre), se, 1e-9);

    // A precise row outweighs a vague one.
    const HistoryEstimate w = estimateFromHistory({usable("G", 30, 29.5, 30.5), usable("G", 40, 20, 80)}, "G");
    EXPECT_LT(w.centre, 31);
}

TEST_F(HistoryTest, LoadKeepsEveryWellFormedRow) {
    test_files::write(historyFile(),
              std::string(kHistoryHeader) + "\r\n" +
                  "2025-01-01 10:00,VALORANT,800,0.4000,32.65,0.3500,37.32,33.00,41.00,High,1600,finder\r\n"
                  "2025-01-01 11:00,VALORANT,800\n"
                  "\n"
                  "2025-01-02 10:00,Apex Legends,800,1.0000,51.95,1.1000,47.23,44.00,50.00,Low,800\n"
                  "2025-01-02 11:00,Apex Legends,800,nan,inf,1.1000,nan,44.00,inf,Low,800,check\n"
                  "2025-01-03 10:00,VALORANT,800,0.4000,32.65,0.3");
    app.loadHistory();
    ASSERT_EQ(app.history.size(), 3u);
    EXPECT_EQ(app.history[0].type, "finder");
    EXPECT_EQ(app.history[1].game, "Apex Legends");
    EXPECT_EQ(app.history[1].type, "finder");
    EXPECT_EQ(app.history[2].type, "check");
    const HistoryEstimate apex = app.historyEstimate("Apex Legends");
    EXPECT_EQ(apex.count, 1);
    EXPECT_TRUE(std::isfinite(apex.centre));
}

TEST_F(HistoryTest, MissingOrEmptyFileGivesEmptyHistory) {
    app.history.push_back(HistoryEntry{});
    app.loadHistory();
    EXPECT_TRUE(app.history.empty());
    test_files::write(historyFile(), "");
    app.history.push_back(HistoryEntry{});
    app.loadHistory();
    EXPECT_TRUE(app.history.empty());
}

TEST_F(HistoryTest, SaveAppendsRowWritesReportAndReloads) {
    fillResult(app);
    app.saveResult();
    app.resultMode = "check";
    app.saveResult();

    const std::vector<std::string> file = lines(readText(historyFile()));
    ASSERT_EQ(file.size(), 3u);
    EXPECT_EQ(file[0], kHistoryHeader);
    // 1600 DPI from the rounds; sens = 914.4 / (0.07 x cm x 1600), the recommended one as the
    // results screen shows it (VALORANT's three digits: 0.25121 is 0.251); Perfect DPI at
    // 100 degrees.
    const std::string tail = ",VALORANT,1600,0.2001,40.80,0.2510,32.50,29.00,36.40,Medium,";
    ASSERT_GT(file[1].size(), 16u);
    EXPECT_EQ(file[1].substr(16, tail.size()), tail);
    const PerfectDpiAdvice advice = perfectDpi(gameCatalog()[1], 0.07, 32.5, 100, 1920);
    EXPECT_EQ(file[1].substr(16 + tail.size()), std::to_string(advice.recommendedDpi) + ",finder");
    EXPECT_EQ(file[2].substr(16 + tail.size()), std::to_string(advice.recommendedDpi) + ",check");

    ASSERT_EQ(app.history.size(), 2u);
    EXPECT_EQ(app.history[1].type, "check");
    EXPECT_DOUBLE_EQ(app.history[1].recommended_cm360, 32.5);

    ASSERT_FALSE(app.reportPath.empty());
    EXPECT_EQ(fs::path(app.reportPath).parent_path(), dir / "reports");
    const std::string name = fs::path(app.reportPath).filename().string();
    EXPECT_EQ(name.rfind("Tarvion_", 0), 0u);
    EXPECT_EQ(name.size(), std::string("Tarvion_20250102_030405.txt").size());
    const std::string report = readText(app.reportPath);
    const std::string when = report.substr(std::string("Tarvion sensitivity report - ").size(), 16);
    EXPECT_EQ(report, resultReportText(app, when));
    EXPECT_EQ(file[2].substr(0, 16), when);
}

TEST_F(HistoryTest, ZeroByteFileGetsTheHeader) {
    test_files::write(historyFile(), "");
    fillResult(app);
    app.saveResult();
    EXPECT_EQ(app.history.size(), 1u);
    EXPECT_EQ(lines(readText(historyFile()))[0], kHistoryHeader);
}

TEST_F(HistoryTest, FailedAppendKeepsResultInMemory) {
    fs::create_directories(historyFile());  // a folder where the file should be: opening fails
    fillResult(app);
    app.history = {usable("Apex Legends", 30, 28, 33)};
    app.saveResult();
    ASSERT_EQ(app.history.size(), 2u);
    EXPECT_EQ(app.history[0].game, "Apex Legends");
    EXPECT_EQ(app.history[1].game, "VALORANT");
    EXPECT_DOUBLE_EQ(app.history[1].recommended_cm360, 32.5);
    EXPECT_EQ(app.history[1].recommended_dpi, perfectDpi(gameCatalog()[1], 0.07, 32.5, 100, 1920).recommendedDpi);
    EXPECT_FALSE(app.reportPath.empty());  // the report does not depend on the history file
}

TEST_F(HistoryTest, AResultSavedAfterAHandEditedCutLineIsARowOfItsOwn) {
    test_files::write(historyFile(), std::string(kHistoryHeader) +
                                 "\n2025-01-02 10:00,Apex Legends,800,1.0000,51.95,1.1000,47.23,44.00,50.00,Low,800,finder");
    fillResult(app);
    app.saveResult();
    ASSERT_EQ(app.history.size(), 2u);
    EXPECT_EQ(app.history[0].game, "Apex Legends");
    EXPECT_EQ(app.history[0].type, "finder");
    EXPECT_EQ(app.history[1].game, "VALORANT");
}

TEST_F(HistoryTest, TheReportIsWrittenWholeBesideAndLeavesNoTemporary) {
    fillResult(app);
    app.saveResult();
    ASSERT_FALSE(app.reportPath.empty());
    for (const auto& entry : fs::directory_iterator(dir / "reports"))
        EXPECT_EQ(entry.path().extension(), ".txt") << entry.path();
}

#ifndef _WIN32
// A write that fails part-way (the file-size limit stands in for a full disk or a kill): the
// report of the same second that was there stays whole instead of being cut.
TEST_F(HistoryTest, AReportWriteThatFailsPartWayLeavesTheEarlierReportWhole) {
    fillResult(app);
    fs::create_directories(dir / "reports");
    // Whatever second the save falls in, its name is taken by an earlier report.
    const std::time_t now = std::time(nullptr);
    std::vector<fs::path> earlier;
    for (std::time_t t = now - 1; t <= now + 3; ++t) {
        earlier.push_back(dir / "reports" / ("Tarvion_" + plat::formatLocalTime("%Y%m%d_%H%M%S", t) + ".txt"));
        test_files::write(earlier.back(), "an earlier report");
    }
    {
        fsize_test::ScopedFileSizeLimit limit(200);  // more than the earlier reports, less than a new one
        ASSERT_TRUE(limit.active());
        app.saveResult();
    }
    EXPECT_EQ(app.reportPath, "");
    for (const fs::path& p : earlier) EXPECT_EQ(readText(p), "an earlier report") << p;
    for (const auto& entry : fs::directory_iterator(dir / "reports"))
        EXPECT_EQ(entry.path().extension(), ".txt") << "a temporary was left: " << entry.path();
}

// A disk that fills up part-way through the row: the file keeps only its whole rows (a cut
// one would be read back at the next start as a result with made-up numbers), the result
// stays in memory for this run, and it is not marked as saved. Once there is room again the
// next result is saved as usual.
TEST_F(HistoryTest, ARowCutShortByAFullDiskIsTakenBackAndTheResultIsNotSaved) {
    fillResult(app);
    app.saveResult();
    ASSERT_TRUE(app.resultSaved);
    const std::string before = test_files::read(historyFile());
    {
        fsize_test::ScopedFileSizeLimit limit(before.size() + 40);  // the row is longer than that
        ASSERT_TRUE(limit.active());
        app.saveResult();
    }
    EXPECT_FALSE(app.resultSaved);
    EXPECT_EQ(test_files::read(historyFile()), before);
    EXPECT_EQ(app.history.size(), 2u);  // kept for this run
    app.loadHistory();
    ASSERT_EQ(app.history.size(), 1u);
    EXPECT_EQ(app.history[0].recommended_dpi, perfectDpi(gameCatalog()[1], 0.07, 32.5, 100, 1920).recommendedDpi);

    app.saveResult();
    EXPECT_TRUE(app.resultSaved);
    EXPECT_EQ(app.history.size(), 2u);
}

TEST_F(HistoryTest, AFifoInPlaceOfTheHistoryIsNotReadAndNeverBlocks) {
    ASSERT_TRUE(fifo_test::makeFifo(historyFile()));
    app.history.push_back(HistoryEntry{});
    ASSERT_TRUE(fifo_test::finishesWithin(std::chrono::seconds(5), {historyFile()}, [&] { app.loadHistory(); }))
        << "loading blocked on the FIFO";
    EXPECT_TRUE(app.history.empty());
}
#endif

TEST_F(HistoryTest, ReportPathOnlyWhenWritten) {
    test_files::write(dir / "reports", "a file where the folder should be");
    fillResult(app);
    app.reportPath = "stale";
    app.saveResult();
    EXPECT_EQ(app.reportPath, "");
    EXPECT_EQ(app.history.size(), 1u);
}

// The report layout, against a golden file for a fixed result (a pooled Sens Check with two
// entries, so every block appears).
TEST(ResultReport, MatchesGolden) {
    resetCalibratedYaws();  // the Reforger line must read "calibrate first"
    App app;
    fillResult(app);
    app.resultMode = "check";
    app.sensChecks = {{35.0, 32.5, (32.5 / 35.0 - 1) * 100, 29, 36.4, "Medium", false},
                      {32.5, 32.8, (32.8 / 32.5 - 1) * 100, 30, 35.5, "High", true}};
    const std::string report = resultReportText(app, "2025-01-02 03:04");
    const fs::path golden = fs::path(TARVION_SOURCE_DIR) / "tests/core/profile/data/report_golden.txt";
    // TARVION_UPDATE_GOLDEN=1 rewrites the file after a deliberate layout change.
    if (std::getenv("TARVION_UPDATE_GOLDEN")) test_files::write(golden, report);
    EXPECT_EQ(report, readText(golden));
}

TEST(ResultReport, FinderReportHasNoCheckBlock) {
    App app;
    fillResult(app);
    const std::vector<std::string> l = lines(resultReportText(app, "2025-01-02 03:04"));
    ASSERT_GE(l.size(), 3u);
    EXPECT_EQ(l[0], "Tarvion sensitivity report - 2025-01-02 03:04");
    EXPECT_EQ(l[1], "");
    EXPECT_EQ(l[2], "Game: VALORANT    DPI: 1600");
}

// Every writer of App.history moves its generation on: a saved result (appended and read
// back, or kept in memory when the file is locked) and a load.
TEST_F(HistoryTest, EveryWriterBumpsTheGeneration) {
    const std::pair<const char*, std::function<void(App&)>> writers[] = {
        {"saveResult", [](App& a) { a.saveResult(); }},
        {"saveResult, file not writable",
         [this](App& a) {
             a.dataDir = (dir / "missing" / "deeper").string();
             a.saveResult();
         }},
        {"loadHistory", [](App& a) { a.loadHistory(); }},
        {"loadHistory, no file",
         [this](App& a) {
             a.dataDir = (dir / "none").string();
             a.loadHistory();
         }},
    };
    fillResult(app);
    for (const auto& [name, write] : writers) {
        SCOPED_TRACE(name);
        app.dataDir = dir.string();
        const uint64_t before = app.historyGeneration;
        write(app);
        EXPECT_GT(app.historyGeneration, before);
    }
}

// The cached estimate follows the rows and the key: a reload of as many rows with other
// values, another game's key.
TEST_F(HistoryTest, CachedEstimateFollowsRowsAndKey) {
    auto file = [&](const char* rec) {
        test_files::write(historyFile(), std::string(kHistoryHeader) + "\n" +
                                     "2025-01-01 10:00,VALORANT,800,0.4000,32.65,0.3500," + rec +
                                     ",33.00,41.00,High,1600,finder\n");
    };
    file("37.32");
    app.loadHistory();
    EXPECT_DOUBLE_EQ(app.cachedHistoryEstimate("VALORANT").centre, app.historyEstimate("VALORANT").centre);
    const double first = app.cachedHistoryEstimate("VALORANT").centre;
    file("34.00");
    app.loadHistory();
    EXPECT_NE(app.cachedHistoryEstimate("VALORANT").centre, first);
    EXPECT_DOUBLE_EQ(app.cachedHistoryEstimate("VALORANT").centre, app.historyEstimate("VALORANT").centre);
    EXPECT_EQ(app.cachedHistoryEstimate("Apex Legends").count, 0);
    EXPECT_EQ(app.cachedHistoryEstimate("VALORANT").count, 1);
}

}  // namespace
