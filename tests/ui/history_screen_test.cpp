#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/profile/history.h"
#include "core/profile/score_log.h"
#include "platform/base/process.h"
#include "imgui_internal.h"
#include "tests/support/stand_in_opener.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/ui_harness.h"
#include "ui/day_chart.h"
#include "ui/kit.h"
#include "ui/probe.h"

namespace {

const GameInfo& gameRow(const char* id) { return gameCatalog()[static_cast<size_t>(gameIndexById(id))]; }

HistoryEntry result(const std::string& when, const std::string& game, double rec, double lo, double hi,
                    const char* type = "finder") {
    HistoryEntry e;
    e.when = when;
    e.game = game;
    e.dpi = 800;
    e.current_sens = 1.25;
    e.current_cm360 = 36.5;
    e.recommended_sens = 1.375;
    e.recommended_cm360 = rec;
    e.range_low_cm = lo;
    e.range_high_cm = hi;
    e.confidence = "High";
    e.recommended_dpi = 1600;
    e.type = type;
    return e;
}

// The History screen on a headless UI; the player's game is the cm/360-only row at
// 35 cm/360, so "the current sens" is exactly 35.
struct HistoryScreen {
    App app;
    UiHarness ui{app, 1600, 1200};
    TempFolder folder;
    std::string dir = folder.path();

    HistoryScreen() {
        app.dataDir = dir + "/";
        app.game = gameIndexById("cm360");
        app.cmDirect = 35;
        app.dpi = 800;
        app.screen = ScreenHistory;
        show();
    }

    void show() {
        ui.frame();
        ui.frame();
    }

    int32_t drill() const { return gameStyle(app.currentGame(), app.style); }

    void score(const char* day, double cm360, double flick, double tracking, const char* game = "cm360") {
        ScoreRow r;
        r.day = day;
        r.game = game;
        r.drill = drill();
        r.cm360 = cm360;
        r.flick_bits_per_s = flick;
        r.track_on_target = tracking;
        r.mode = "practice";
        app.scores.push_back(r);
    }
};

constexpr const char* kChartHint =
    "Play Practice or a Sens Check at your sens on a few different days and your flick speed and tracking will be "
    "charted here.";

TEST(HistoryScreen, NothingStoredYet) {
    HistoryScreen f;
    EXPECT_TRUE(f.ui.hasText("No game - just give me cm/360  \xC2\xB7  COMBINED BEST"));
    EXPECT_TRUE(f.ui.hasText("No results for this game yet."));
    EXPECT_TRUE(f.ui.hasText("No results yet."));
    EXPECT_TRUE(f.ui.hasText(kChartHint));
    EXPECT_FALSE(f.ui.hasText("Flick speed (bits/s)"));
    ASSERT_TRUE(f.ui.click("Back"));
    EXPECT_EQ(f.app.screen, ScreenHome);
}

TEST(HistoryScreen, CombinedBestWordsFollowTheCount) {
    const std::string key = historyGameKey(gameRow("cm360"));
    const struct {
        size_t count;
        const char* plural;
        const char* advice;
    } cases[] = {{1, "", "Run it again on another day to make this more solid."},
                 {2, "s", "Run it again on another day to make this more solid."},
                 {3, "s", "Several tests agree \xE2\x80\x94 this is a solid number."}};
    const double recs[3] = {33, 35, 37};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        HistoryScreen f;
        for (size_t i = 0; i < c.count; ++i)
            f.app.history.push_back(result("2026-12-0" + std::to_string(i + 1) + " 10:00", key, recs[i], recs[i] - 3,
                                           recs[i] + 3));
        // Another game's rows and a hand-edited "nan" row of this game are not pooled.
        f.app.history.push_back(result("2026-12-08 10:00", historyGameKey(gameRow("cs2")), 50, 45, 55));
        f.app.history.push_back(result("2026-12-09 10:00", key, std::nan(""), 30, 40));
        f.show();
        const HistoryEstimate est = estimateFromHistory(f.app.history, key);
        ASSERT_EQ(est.count, static_cast<int32_t>(c.count));
        EXPECT_TRUE(probeShowsExactly(formatString("%.1f cm", est.centre)));
        EXPECT_TRUE(probeShowsExactly(formatString("%.1f cm/360 at 800 DPI", est.centre)));
        EXPECT_TRUE(probeShowsExactly(formatString("From %d test%s. Likely range %.1f\xE2\x80\x93%.1f cm/360.",
                                              static_cast<int>(c.count), c.plural, est.low, est.high)));
        EXPECT_TRUE(probeShowsExactly(c.advice));
        EXPECT_FALSE(f.ui.hasText("nan cm/360 at"));
    }
}

// Results held at an end of 6..200 (200.0, likely 200.0-200.0) are combined like any other,
// on the History screen and on the home screen's card.
TEST(HistoryScreen, ResultsAtAnEndAreCombined) {
    HistoryScreen f;
    const std::string key = historyGameKey(gameRow("cm360"));
    for (int day = 1; day <= 3; ++day)
        f.app.history.push_back(result("2026-12-0" + std::to_string(day) + " 10:00", key, 200, 200, 200));
    f.show();
    EXPECT_FALSE(f.ui.hasText("No results for this game yet."));
    EXPECT_TRUE(probeShowsExactly("200.0 cm/360 at 800 DPI"));
    const HistoryEstimate est = estimateFromHistory(f.app.history, key);
    EXPECT_TRUE(probeShowsExactly(
        formatString("From 3 tests. Likely range %.1f\xE2\x80\x93" "200.0 cm/360.", est.low)));
    f.app.screen = ScreenHome;
    f.show();
    EXPECT_TRUE(f.ui.hasText("Combined from 3 tests: 200.0 cm/360"));
}

TEST(HistoryScreen, CombinedBestInTheGamesOwnUnits) {
    HistoryScreen f;
    f.app.game = gameIndexById("cs2");
    f.app.dpi = 1600;
    const GameInfo& cs2 = gameRow("cs2");
    f.app.history.push_back(result("2026-12-01 10:00", historyGameKey(cs2), 30, 27, 33));
    f.app.history.push_back(result("2026-12-02 10:00", historyGameKey(cs2), 32, 29, 35));
    f.show();
    const HistoryEstimate est = estimateFromHistory(f.app.history, historyGameKey(cs2));
    ASSERT_EQ(est.count, 2);
    EXPECT_TRUE(f.ui.hasText("Counter-Strike 2  \xC2\xB7  COMBINED BEST"));
    EXPECT_TRUE(probeShowsExactly(formatGameSens(cs2, 0.022, est.centre, 1600)));
    EXPECT_TRUE(probeShowsExactly(formatString("%.1f cm/360 at 1600 DPI", est.centre)));
}

TEST(HistoryScreen, OtherGamesResultsFillOnlyTheTable) {
    HistoryScreen f;
    f.app.game = gameIndexById("cs2");
    f.app.sens = 1.5;
    f.app.history.push_back(result("2026-11-30 21:05", historyGameKey(gameRow("valorant")), 31.2, 28.4, 34.1));
    f.app.history.push_back(result("2026-12-01 09:15", historyGameKey(gameRow("cm360")), 29.0, 27.0, 31.5, "check"));
    f.app.history.push_back(result("2026-11-29 18:40", historyGameKey(gameRow("apex")), 30.4, 28.0, 33.0));
    f.show();
    EXPECT_TRUE(f.ui.hasText("No results for this game yet."));
    EXPECT_FALSE(f.ui.hasText("No results yet."));

    // Newest first; a check is marked; the cm/360-only row shows centimetres only.
    const int newest = probeTextIndex("2026-12-01 09:15  check");
    const int older = probeTextIndex("2026-11-30 21:05");
    ASSERT_GE(newest, 0);
    ASSERT_GE(older, 0);
    EXPECT_LT(newest, older);
    const std::vector<std::string>& t = probeTexts();
    const std::vector<std::string> cmRow(t.begin() + newest, t.begin() + newest + 7);
    EXPECT_EQ(cmRow, (std::vector<std::string>{"2026-12-01 09:15  check", "No game - just give me cm/360", "800",
                                               "36.5 cm", "29.0 cm", "27.0\xE2\x80\x93" "31.5  (High)", "1600"}));
    const std::vector<std::string> sensRow(t.begin() + older, t.begin() + older + 7);
    EXPECT_EQ(sensRow, (std::vector<std::string>{"2026-11-30 21:05", "VALORANT", "800", "1.250  (36.5 cm)",
                                                 "1.375  (31.2 cm)", "28.4\xE2\x80\x93" "34.1  (High)", "1600"}));
    // Every game's sensitivities with three digits, whatever digits the game itself shows.
    const int apex = probeTextIndex("2026-11-29 18:40");
    ASSERT_GE(apex, 0);
    const std::vector<std::string> apexRow(t.begin() + apex, t.begin() + apex + 5);
    EXPECT_EQ(apexRow, (std::vector<std::string>{"2026-11-29 18:40", "Apex Legends", "800", "1.250  (36.5 cm)",
                                                 "1.375  (30.4 cm)"}));
}

TEST(HistoryScreen, ProgressChartOfDailyMeans) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        std::vector<ScoreRow> rows;
        bool chart;
        std::vector<std::string> labels;  // first and last value labels, then their days
    } cases[] = {
        {"one day only", {{"2026-12-01", "cm360", 0, 35, 2, 0, 0, 0.5, ""}, {"2026-12-01", "cm360", 0, 35, 3, 0, 0, 0.5, ""}},
         false, {}},
        // 33 is within 8% of 35 (|ln| 0.059); 32 is not (0.0896).
        {"33 counts", {{"2026-12-01", "cm360", 0, 35, 2, 0, 0, 0.5, ""}, {"2026-12-02", "cm360", 0, 33, 3, 0, 0, 0.6, ""}},
         true, {"2.00", "3.00", "12-01", "12-02"}},
        {"32 does not", {{"2026-12-01", "cm360", 0, 35, 2, 0, 0, 0.5, ""}, {"2026-12-02", "cm360", 0, 32, 3, 0, 0, 0.6, ""}},
         false, {}},
        {"other game", {{"2026-12-01", "cm360", 0, 35, 2, 0, 0, 0.5, ""}, {"2026-12-02", "cs2", 0, 35, 3, 0, 0, 0.6, ""}},
         false, {}},
        {"daily means",
         {{"2026-12-01", "cm360", 0, 35, 2, 0, 0, 0.4, ""},
          {"2026-12-01", "cm360", 0, 36, 3, 0, 0, 0.5, ""},
          {"2026-12-03", "cm360", 0, 34, 4, 0, 0, 0.7, ""}},
         true, {"2.50", "4.00", "45%", "70%", "12-01", "12-03"}},
        // A counting row of another day between two of one day splits it; a row that does
        // not count does not.
        {"split day",
         {{"2026-12-01", "cm360", 0, 35, 1, 0, 0, 0.5, ""},
          {"2026-12-02", "cm360", 0, 35, 2, 0, 0, 0.5, ""},
          {"2026-12-01", "cm360", 0, 35, 4, 0, 0, 0.5, ""}},
         true, {"1.00", "4.00"}},
        {"no split",
         {{"2026-12-01", "cm360", 0, 35, 1, 0, 0, 0.5, ""},
          {"2026-12-02", "cs2", 0, 35, 9, 0, 0, 0.5, ""},
          {"2026-12-01", "cm360", 0, 35, 3, 0, 0, 0.5, ""},
          {"2026-12-02", "cm360", 0, 35, 5, 0, 0, 0.5, ""}},
         true, {"2.00", "5.00", "12-01", "12-02"}},
        // Hand-edited values that are not numbers are left out instead of spoiling a day.
        {"nan rows",
         {{"2026-12-01", "cm360", 0, 35, 2, 0, 0, 0.5, ""},
          {"2026-12-01", "cm360", 0, 35, nan, 0, 0, 0.5, ""},
          {"2026-12-02", "cm360", 0, 35, 3, 0, 0, inf, ""},
          {"2026-12-02", "cm360", 0, nan, 3, 0, 0, 0.5, ""},
          {"2026-12-03", "cm360", 0, 35, 4, 0, 0, 0.6, ""}},
         true, {"2.00", "4.00", "50%", "60%", "12-01", "12-03"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HistoryScreen f;
        for (ScoreRow r : c.rows) {
            r.drill = f.drill();
            r.mode = "practice";
            f.app.scores.push_back(r);
        }
        f.show();
        EXPECT_EQ(f.ui.hasText("Flick speed (bits/s)"), c.chart);
        EXPECT_EQ(f.ui.hasText("Tracking on target (%)"), c.chart);
        EXPECT_EQ(f.ui.hasText(kChartHint), !c.chart);
        for (const std::string& label : c.labels) EXPECT_TRUE(probeShowsExactly(label)) << label;
        EXPECT_FALSE(f.ui.hasText("nan"));
        EXPECT_FALSE(f.ui.hasText("inf"));
    }
}

TEST(HistoryScreen, ReadsANanScoreLineFromAnEditedFile) {
    HistoryScreen f;
    const int32_t d = f.drill();
    std::ofstream(f.dir + "/scores.csv") << kScoresHeader << "\n"
                                         << "2026-12-01,cm360," << d << ",35.00,2.000,0.9,500,0.500,practice\n"
                                         << "2026-12-01,cm360," << d << ",35.00,nan,0.9,500,nan,practice\n"
                                         << "2026-12-02,cm360," << d << ",35.00,3.000,0.9,500,0.600,practice\n";
    f.app.loadScores();
    ASSERT_EQ(f.app.scores.size(), 3u);
    ASSERT_TRUE(std::isnan(f.app.scores[1].flick_bits_per_s));
    f.show();
    EXPECT_TRUE(probeShowsExactly("2.00"));
    EXPECT_TRUE(probeShowsExactly("3.00"));
    EXPECT_TRUE(probeShowsExactly("50%"));
    EXPECT_TRUE(probeShowsExactly("60%"));
    EXPECT_FALSE(f.ui.hasText("nan"));
}

// The screen's own scrolling window (the root frame's child) scrolled to the end of what it
// held last frame; it takes effect in the next frame.
void scrollScreenToEnd() {
    for (ImGuiWindow* w : ImGui::GetCurrentContext()->Windows)
        if (w->Active && std::string(w->Name).find("##screen") != std::string::npos)
            ImGui::SetScrollY(w, w->ScrollMax.y);
}

// Ten thousand results: only the rows in view are laid out, newest first, and scrolling to
// the end brings the oldest ones and the buttons under the table into view.
TEST(HistoryScreen, LaysOutOnlyTheRowsInView) {
    HistoryScreen f;
    const std::string key = historyGameKey(gameRow("cm360"));
    auto when = [](int i) { return formatString("2026-01-01 %05d", i); };
    const int rows = 10000;
    for (int i = 0; i < rows; ++i) f.app.history.push_back(result(when(i), key, 35, 32, 38));
    f.show();
    auto shownRows = [&] {
        int n = 0;
        for (const std::string& t : probeTexts())
            if (t.rfind("2026-01-01 ", 0) == 0) ++n;
        return n;
    };
    EXPECT_TRUE(probeShowsExactly(when(rows - 1)));
    EXPECT_TRUE(probeShowsExactly(when(rows - 10)));
    EXPECT_FALSE(probeShowsExactly(when(0)));
    EXPECT_GT(shownRows(), 10);
    EXPECT_LT(shownRows(), 100);

    f.show();  // the table's full height has reached the scrolling window
    scrollScreenToEnd();
    f.show();
    EXPECT_TRUE(probeShowsExactly(when(0)));
    EXPECT_TRUE(probeShowsExactly(when(9)));
    EXPECT_FALSE(probeShowsExactly(when(rows / 2)));
    EXPECT_LT(shownRows(), 100);
    ASSERT_TRUE(f.ui.click("Back"));
    EXPECT_EQ(f.app.screen, ScreenHome);
}

// The pooled card and the chart follow every writer of the rows while the screen stays
// open, including a reload that keeps the number of rows.
TEST(HistoryScreen, FollowsTheRowsWhileShown) {
    HistoryScreen f;
    const int32_t d = f.drill();
    auto scores = [&](const char* second) {
        std::ofstream(f.dir + "/scores.csv") << kScoresHeader << "\n"
                                             << "2026-12-01,cm360," << d << ",35.00,2.000,0.9,500,0.500,practice\n"
                                             << "2026-12-02,cm360," << d << ",35.00," << second
                                             << ",0.9,500,0.600,practice\n";
    };
    scores("3.000");
    f.app.loadScores();
    f.show();
    EXPECT_TRUE(probeShowsExactly("3.00"));
    scores("4.000");
    f.app.loadScores();
    f.show();
    EXPECT_FALSE(probeShowsExactly("3.00"));
    EXPECT_TRUE(probeShowsExactly("4.00"));

    const std::string key = historyGameKey(gameRow("cm360"));
    auto history = [&](const char* rec) {
        std::ofstream(f.dir + "/history.csv") << kHistoryHeader << "\n"
                                              << "2026-12-01 10:00," << key << ",800,35.00,35.00,35.00," << rec
                                              << ",30.00,40.00,High,800,finder\n";
    };
    history("33.00");
    f.app.loadHistory();
    f.show();
    const std::string first = formatString("%.1f cm/360 at 800 DPI", f.app.historyEstimate(key).centre);
    EXPECT_TRUE(probeShowsExactly(first));
    history("37.00");
    f.app.loadHistory();
    f.show();
    const std::string second = formatString("%.1f cm/360 at 800 DPI", f.app.historyEstimate(key).centre);
    ASSERT_NE(first, second);
    EXPECT_TRUE(probeShowsExactly(second));

    // A finished result: appended, read back and pooled with the earlier one.
    f.app.resultGame = gameIndexById("cm360");
    f.app.resultCm = 35;
    f.app.resultConfig.dpi = 800;
    f.app.analysis.recommendedCm360 = 33;
    f.app.analysis.lowCm360 = 30;
    f.app.analysis.highCm360 = 36;
    f.app.analysis.confidence = "High";
    f.app.saveResult();
    f.show();
    EXPECT_TRUE(probeShowsExactly("From 2 tests. " +
                                  formatString("Likely range %.1f\xE2\x80\x93%.1f cm/360.", f.app.historyEstimate(key).low,
                                               f.app.historyEstimate(key).high)));
}

TEST(DayChart, PointsSpreadOverThePlot) {
    s = 1;
    const ImVec2 p(100, 200), size(400, 156);
    const float left = 116, right = 484, bottom = 326, top = 234;
    {
        // All values equal: the range still has a height and every point sits in its middle.
        const std::vector<ImVec2> pts = dayChartPoints({2.5, 2.5, 2.5}, p, size);
        ASSERT_EQ(pts.size(), 3u);
        for (const ImVec2& q : pts) EXPECT_NEAR(q.y, (bottom + top) / 2, 1e-3);
        EXPECT_FLOAT_EQ(pts[0].x, left);
        EXPECT_FLOAT_EQ(pts[1].x, (left + right) / 2);
        EXPECT_FLOAT_EQ(pts[2].x, right);
        // Zero everywhere: the smallest margin keeps the scale finite.
        for (const ImVec2& q : dayChartPoints({0, 0}, p, size)) EXPECT_NEAR(q.y, (bottom + top) / 2, 1e-3);
    }
    {
        const std::vector<ImVec2> pts = dayChartPoints({7}, p, size);
        ASSERT_EQ(pts.size(), 1u);
        EXPECT_FLOAT_EQ(pts[0].x, (left + right) / 2);
    }
    {
        // lo 10, hi 20: margin 2.5 + 0.4 = 2.9, so 10 sits 2.9 / 15.8 of the height above the bottom.
        const std::vector<ImVec2> pts = dayChartPoints({10, 20}, p, size);
        ASSERT_EQ(pts.size(), 2u);
        EXPECT_NEAR(pts[0].y, bottom - 2.9 / 15.8 * (bottom - top), 1e-3);
        EXPECT_NEAR(pts[1].y, top + 2.9 / 15.8 * (bottom - top), 1e-3);
        EXPECT_GT(pts[0].y, pts[1].y);  // larger values higher up
    }
    EXPECT_TRUE(dayChartPoints({}, p, size).empty());
    EXPECT_EQ(dayChartPoints({1, std::nan(""), 3}, p, size).size(), 2u);
}

TEST(HistoryScreen, OpenDataFolderStartsTheOpener) {
    HistoryScreen f;
    // A stand-in opener first on the search path writes down what it was asked to open.
    StandInOpener opener;
    opener.recording();
    ASSERT_TRUE(f.ui.click("Open data folder"));
    EXPECT_EQ(f.app.screen, ScreenHistory);
    EXPECT_EQ(opener.recorded(), f.app.dataDir + "\n");
    f.ui.frame();
    EXPECT_FALSE(f.ui.hasText("Couldn't open the data folder"));
}

// A folder that cannot be shown is no silent press: the screen says so and where it is,
// also when the opener started and then found no program for folders.
TEST(HistoryScreen, OpenDataFolderSaysWhenItCannot) {
    const char* noProgram = "Couldn't open the data folder: there is no program here that opens folders. It is at: ";
    const struct {
        const char* name;
        const char* dataDir;  // under the test's folder unless empty
        const char* opener;   // the stand-in opener's script; none on the search path when null
        const char* notice;
    } cases[] = {
        {"no opener on the search path", "", nullptr, noProgram},
        {"a folder the opener would take for an option", "-data", "exit 0", "Couldn't open the data folder. It is at: "},
        {"the opener finds no program for folders", "", "exit 3", noProgram},
        {"the opener fails", "", "exit 4", "Couldn't open the data folder. It is at: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HistoryScreen f;
        if (c.dataDir[0]) f.app.dataDir = c.dataDir;
        StandInOpener opener;
        if (c.opener) opener.script(c.opener);
        ASSERT_TRUE(f.ui.click("Open data folder"));
        // The opener's exit is picked up by a later frame.
        for (int k = 0; k < 400 && f.app.dataFolderNotice.empty(); ++k) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            f.ui.frame();
        }
        f.ui.frame();
        const std::string notice = c.notice + f.app.dataDir;
        EXPECT_TRUE(probeShowsExactly(notice)) << notice;
        EXPECT_EQ(f.app.screen, ScreenHistory);
    }
}

}  // namespace
