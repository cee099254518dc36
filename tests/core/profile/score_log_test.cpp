#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <filesystem>
#include <functional>

#include "core/catalog/catalog.h"
#include "core/profile/app.h"
#include "core/profile/score_log.h"
#include "platform/base/timefmt.h"
#include "tests/support/temp_folder.h"
#ifndef _WIN32
#include "tests/support/fifo_watchdog.h"
#include "tests/support/file_size_limit.h"
#endif

namespace fs = std::filesystem;

namespace {

using test_files::readText;

// An App whose data folder is a fresh temporary folder, removed afterwards.
class ScoreLogTest : public ::testing::Test {
protected:
    void SetUp() override { app.dataDir = dir.string(); }
    fs::path scoresFile() const { return dir / "scores.csv"; }

    TempFolder folder;
    fs::path dir{folder.path()};
    App app;
};

// One scored target of distance 20 and radius 1 killed 0.5 s after the reaction
// (log2(11) bits in 0.5 s), one shot, and a second of tracking a quarter on target.
RoundResult knownRound() {
    RoundResult r;
    r.config.style = 2;
    r.config.cm360 = 31.416;
    TargetRecord extra;  // unscored, must not count
    extra.scored = false;
    extra.killed = true;
    extra.shots = 4;
    extra.distance = 30;
    extra.radius = 1;
    extra.killTime = 9;
    r.targets.push_back(extra);
    TargetRecord t;
    t.scored = true;
    t.distance = 20;
    t.radius = 1;
    t.spawnTime = 0;
    t.reactionTime = 0.1;
    t.killTime = 0.6;
    t.killed = true;
    t.shots = 1;
    r.targets.push_back(t);
    TrackSegment s;
    s.duration = 1;
    s.onTarget = 0.25;
    r.segments.push_back(s);
    return r;
}

TEST(SplitCsvLine, FieldsCarriageReturnsAndEmpties) {
    struct Case {
        const char* line;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        {"", {""}},
        {"a", {"a"}},
        {"a,b,c", {"a", "b", "c"}},
        {"a,,b", {"a", "", "b"}},
        {"a,", {"a", ""}},
        {",", {"", ""}},
        {"a,b\r", {"a", "b"}},
        {"a\rb,\rc", {"ab", "c"}},
        {"\"x,y\"", {"\"x", "y\""}},  // no quoting
        {" a , b ", {" a ", " b "}},
    };
    for (const Case& c : cases) EXPECT_EQ(splitCsvLine(c.line), c.fields) << "line: " << c.line;
}

TEST(CsvNumbers, LeadingNumberOrZero) {
    struct D {
        const char* text;
        double value;
    };
    const D doubles[] = {{"12.5", 12.5}, {"12.5abc", 12.5}, {"", 0}, {"abc", 0}, {" 7", 7},
                         {"-3.25", -3.25}, {"1e3", 1000}, {".5", 0.5}};
    for (const D& d : doubles) EXPECT_DOUBLE_EQ(csvLeadingDouble(d.text), d.value) << d.text;

    struct I {
        const char* text;
        int32_t value;
    };
    const I ints[] = {{"42", 42}, {"42abc", 42}, {"3.9", 3}, {"", 0}, {"x1", 0}, {"-2", -2},
                      {"99999999999", INT32_MAX}, {"-99999999999", INT32_MIN}};
    for (const I& i : ints) EXPECT_EQ(csvLeadingInt(i.text), i.value) << i.text;
}

TEST_F(ScoreLogTest, FirstAppendWritesHeaderThenRowsOnly) {
    app.sessionKind = SessionFinder;
    app.resultGame = 1;  // valorant
    app.logScore(knownRound(), "finder");
    app.logScore(knownRound(), "check");

    const std::string day = plat::formatLocalTime("%Y-%m-%d");
    const std::string row = day + ",valorant,2,31.42,6.919,1.000,600,0.250,";
    EXPECT_EQ(readText(scoresFile()), std::string(kScoresHeader) + "\n" + row + "finder\n" + row + "check\n");

    ASSERT_EQ(app.scores.size(), 2u);
    const ScoreRow& s = app.scores[0];
    EXPECT_EQ(s.day, day);
    EXPECT_EQ(s.game, "valorant");
    EXPECT_EQ(s.drill, 2);
    EXPECT_DOUBLE_EQ(s.cm360, 31.416);
    EXPECT_NEAR(s.flick_bits_per_s, std::log2(11.0) / 0.5, 1e-9);
    EXPECT_DOUBLE_EQ(s.accuracy, 1.0);
    EXPECT_NEAR(s.kill_ms, 600, 1e-9);
    EXPECT_DOUBLE_EQ(s.track_on_target, 0.25);
    EXPECT_EQ(app.scores[1].mode, "check");
}

TEST_F(ScoreLogTest, ZeroByteFileGetsTheHeader) {
    test_files::write(scoresFile(), "");
    app.logScore(knownRound(), "finder");
    app.loadScores();
    ASSERT_EQ(app.scores.size(), 1u);  // the row was not taken for a header
    EXPECT_EQ(readText(scoresFile()).rfind(kScoresHeader, 0), 0u);
}

// Finder and Sens Check rounds belong to the result's game; practice and Scope Check
// rounds to the current game (a Scope Check never sets resultGame).
TEST_F(ScoreLogTest, AnAppendStartsOnANewLineWhateverTheFileEndsWith) {
    struct Case {
        const char* what;
        const char* before;  // nullptr: no file
        const char* added;   // what the append writes, as text
    };
    const Case cases[] = {
        {"no file", nullptr, "h\nB\n"},
        {"zero bytes", "", "h\nB\n"},
        {"a whole last line", "h\nA\n", "B\n"},
        {"CR LF line ends", "h\r\nA\r\n", "B\n"},
        // An editor that saves without a final line end: B must not join A.
        {"a cut last line", "h\nA", "\nB\n"},
        {"only a header without its end", "h", "\nB\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path file = dir / "t.csv";
        fs::remove(file);
        if (c.before) test_files::write(file, c.before);
        const std::string old = c.before ? readText(file) : std::string();
        EXPECT_TRUE(appendCsvLine(file.string(), "h", "B"));
        EXPECT_EQ(readText(file), old + c.added);
    }
}

TEST_F(ScoreLogTest, ARoundLoggedAfterAHandEditedCutLineIsARowOfItsOwn) {
    test_files::write(scoresFile(), std::string(kScoresHeader) + "\n2024-01-01,cs2,0,40.00,5.100,0.800,450,0.600,finder");
    app.logScore(knownRound(), "practice");
    app.loadScores();
    ASSERT_EQ(app.scores.size(), 2u);
    EXPECT_EQ(app.scores[0].mode, "finder");
    EXPECT_EQ(app.scores[1].mode, "practice");
}

#ifndef _WIN32
// A disk that fills up part-way through the row (the file-size limit stands in for it): the
// file stays as it was (empty when the row was to make it), so the next start reads no cut
// row, and the round is kept in memory.
TEST_F(ScoreLogTest, AnAppendCutShortByAFullDiskLeavesTheFileAsItWas) {
    const std::string header = std::string(kScoresHeader) + "\n";
    const std::string row = "2024-01-01,cs2,0,40.00,5.100,0.800,450,0.600,finder\n";
    struct Case {
        const char* what;
        const char* before;  // nullptr: no file
        size_t room;         // bytes the disk takes beyond what is there
    };
    const std::string whole = header + row, cut = header + row.substr(0, row.size() - 1);
    const Case cases[] = {
        {"half of the row fits", whole.c_str(), 20},
        {"only the line end before the row fits", cut.c_str(), 1},
        {"nothing fits", whole.c_str(), 0},
        {"a new file takes part of its header", nullptr, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(scoresFile());
        if (c.before) test_files::write(scoresFile(), c.before);
        app.scores.clear();
        {
            fsize_test::ScopedFileSizeLimit limit((c.before ? std::string(c.before).size() : 0) + c.room);
            ASSERT_TRUE(limit.active());
            app.logScore(knownRound(), "practice");
            EXPECT_FALSE(appendCsvLine(scoresFile().string(), kScoresHeader, "a row that does not fit"));
        }
        ASSERT_EQ(app.scores.size(), 1u);
        EXPECT_EQ(app.scores[0].mode, "practice");
        EXPECT_EQ(test_files::read(scoresFile()), c.before ? c.before : "");
    }
}

TEST_F(ScoreLogTest, AFifoInPlaceOfTheLogIsNeitherReadNorWrittenAndNeverBlocks) {
    ASSERT_TRUE(fifo_test::makeFifo(scoresFile()));
    bool appended = true;
    app.scores.push_back(ScoreRow{});
    ASSERT_TRUE(fifo_test::finishesWithin(std::chrono::seconds(5), {scoresFile()}, [&] {
        app.loadScores();
        appended = appendCsvLine(scoresFile().string(), kScoresHeader, "x");
    })) << "the log blocked on the FIFO";
    EXPECT_TRUE(app.scores.empty());
    EXPECT_FALSE(appended);
    EXPECT_EQ(csvEnd(scoresFile().string()), CsvEnd::NotAFile);
}
#endif

TEST_F(ScoreLogTest, GameColumnBySessionKind) {
    struct Case {
        int32_t kind;
        const char* id;
    };
    const Case cases[] = {{SessionFinder, "apex"}, {SessionSensCheck, "apex"},
                          {SessionPractice, "cs2"}, {SessionScopeCheck, "cs2"}};
    for (const Case& c : cases) {
        app.scores.clear();
        app.game = 0;        // cs2
        app.resultGame = 2;  // apex
        app.sessionKind = c.kind;
        app.logScore(knownRound(), "x");
        ASSERT_EQ(app.scores.size(), 1u);
        EXPECT_EQ(app.scores[0].game, c.id) << "kind " << c.kind;
    }
}

TEST_F(ScoreLogTest, UnwritableFileKeepsRowInMemory) {
    app.dataDir = (dir / "missing" / "deeper").string();
    app.logScore(knownRound(), "practice");
    ASSERT_EQ(app.scores.size(), 1u);
    EXPECT_EQ(app.scores[0].mode, "practice");
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST_F(ScoreLogTest, LoadKeepsEveryWellFormedRow) {
    test_files::write(scoresFile(),
              std::string(kScoresHeader) + "\r\n" +
                  "2024-01-01,cs2,0,40.00,5.100,0.800,450,0.600,finder\r\n"  // CRLF
                  "2024-01-01,cs2,0,40.00\n"                                  // short
                  "\n"                                                        // empty
                  "2024-01-02,,1,35.00,4.000,0.500,500,0.500,practice\n"      // empty game
                  "2024-01-02,apex,2,30.00,3.000,0.700,520,0.400,scope,x,y,z\n"  // 12 fields
                  "2024-01-02,apex,x,nan,inf,-inf,1e999,0.1,check\n"          // odd numbers
                  "2024-01-03,cs2,0,40.00,5.1");                              // truncated
    app.loadScores();
    ASSERT_EQ(app.scores.size(), 4u);
    EXPECT_EQ(app.scores[0].game, "cs2");
    EXPECT_EQ(app.scores[0].mode, "finder");  // no carriage return left
    EXPECT_DOUBLE_EQ(app.scores[0].kill_ms, 450);
    EXPECT_EQ(app.scores[1].game, "");
    EXPECT_EQ(app.scores[1].drill, 1);
    EXPECT_EQ(app.scores[2].mode, "scope");
    EXPECT_DOUBLE_EQ(app.scores[2].track_on_target, 0.4);
    EXPECT_EQ(app.scores[3].drill, 0);
    EXPECT_EQ(app.scores[3].mode, "check");
    EXPECT_DOUBLE_EQ(app.scores[3].track_on_target, 0.1);
}

TEST_F(ScoreLogTest, FirstLineIsAlwaysTakenForTheHeader) {
    test_files::write(scoresFile(),
              "2024-01-01,cs2,0,40.00,5.100,0.800,450,0.600,finder\n"
              "2024-01-02,cs2,0,41.00,5.200,0.800,450,0.600,finder\n");
    app.loadScores();
    ASSERT_EQ(app.scores.size(), 1u);
    EXPECT_DOUBLE_EQ(app.scores[0].cm360, 41);
}

TEST_F(ScoreLogTest, MissingOrEmptyFileGivesEmptyLog) {
    app.scores.push_back(ScoreRow{});
    app.loadScores();
    EXPECT_TRUE(app.scores.empty());
    test_files::write(scoresFile(), "");
    app.scores.push_back(ScoreRow{});
    app.loadScores();
    EXPECT_TRUE(app.scores.empty());
}

TEST_F(ScoreLogTest, LoggedRowsReadBackRounded) {
    app.logScore(knownRound(), "finder");
    const ScoreRow logged = app.scores[0];
    app.loadScores();
    ASSERT_EQ(app.scores.size(), 1u);
    const ScoreRow& r = app.scores[0];
    EXPECT_EQ(r.day, logged.day);
    EXPECT_EQ(r.game, logged.game);
    EXPECT_EQ(r.drill, logged.drill);
    EXPECT_DOUBLE_EQ(r.cm360, 31.42);
    EXPECT_DOUBLE_EQ(r.flick_bits_per_s, 6.919);
    EXPECT_DOUBLE_EQ(r.kill_ms, 600);
    EXPECT_EQ(r.mode, "finder");
}

// Every writer of App.scores moves its generation on, whether or not the file could be written.
TEST_F(ScoreLogTest, EveryWriterBumpsTheGeneration) {
    const std::pair<const char*, std::function<void(App&)>> writers[] = {
        {"logScore", [](App& a) { a.logScore(knownRound(), "practice"); }},
        {"logScore, file not writable",
         [this](App& a) {
             a.dataDir = (dir / "missing" / "deeper").string();
             a.logScore(knownRound(), "practice");
         }},
        {"loadScores", [](App& a) { a.loadScores(); }},
        {"loadScores, no file",
         [this](App& a) {
             a.dataDir = (dir / "none").string();
             a.loadScores();
         }},
    };
    for (const auto& [name, write] : writers) {
        SCOPED_TRACE(name);
        app.dataDir = dir.string();
        const uint64_t before = app.scoresGeneration;
        write(app);
        EXPECT_GT(app.scoresGeneration, before);
    }
}

// Rows whose cm/360 no round is ever played at (a hand-edited 210 near a current 200, 5.7
// near 6) stay out of the day series even within 8 % of the current sensitivity.
TEST(DailyProgress, RowsOutside6To200AreLeftOut) {
    auto row = [](const char* day, double cm, double flick) {
        return ScoreRow{day, "cm360", 1, cm, flick, 0.9, 500, 0.5, "practice"};
    };
    struct Case {
        double current;
        std::vector<ScoreRow> rows;
        std::vector<double> flick;
    };
    const Case cases[] = {
        {200, {row("2026-12-01", 200, 2), row("2026-12-01", 210, 9), row("2026-12-02", 195, 3)}, {2, 3}},
        {6, {row("2026-12-01", 6, 2), row("2026-12-02", 5.7, 9), row("2026-12-03", 6.2, 4)}, {2, 4}},
        {200, {row("2026-12-01", 1e308, 9)}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.current);
        const DaySeries series = dailyProgress(c.rows, "cm360", 1, c.current);
        EXPECT_EQ(series.flick, c.flick);
    }
}

// The cached series follows the rows and its inputs: a reload of the same number of rows
// with other values, another sensitivity, another game.
TEST_F(ScoreLogTest, ProgressSeriesIsRebuiltWhenRowsOrInputsChange) {
    app.game = gameIndexById("cm360");
    app.cmDirect = 35;
    const GameInfo& g = app.currentGame();
    const int32_t drill = gameStyle(g, app.style);
    auto file = [&](double flick) {
        test_files::write(scoresFile(), std::string(kScoresHeader) + "\n" + "2026-12-01,cm360," + std::to_string(drill) +
                                    ",35.00," + std::to_string(flick) + ",0.9,500,0.500,practice\n");
    };
    file(2.0);
    app.loadScores();
    ASSERT_EQ(app.progressSeriesFor(g).flick, std::vector<double>{2.0});
    file(3.0);  // same row count, other value
    app.loadScores();
    EXPECT_EQ(app.progressSeriesFor(g).flick, std::vector<double>{3.0});
    app.cmDirect = 20;  // far from the logged 35
    EXPECT_TRUE(app.progressSeriesFor(g).days.empty());
    app.cmDirect = 35;
    EXPECT_EQ(app.progressSeriesFor(g).days.size(), 1u);
    EXPECT_TRUE(app.progressSeriesFor(gameCatalog()[static_cast<size_t>(gameIndexById("cs2"))]).days.empty());
    // A row appended without the generation (a writer that forgot it) still shows by its count.
    ScoreRow extra = app.scores.front();
    extra.day = "2026-12-02";
    app.scores.push_back(extra);
    EXPECT_EQ(app.progressSeriesFor(g).days.size(), 2u);
}

}  // namespace
