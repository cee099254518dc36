// The results screen on a hand-made result: what it shows, which actions it offers for
// which games, and what those actions change.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/catalog/catalog.h"
#include "imgui_internal.h"
#include "core/catalog/format.h"
#include "engine/kernel/analysis.h"
#include "tests/engine/kernel/synthetic_rounds.h"
#include "tests/ui/results_fixture.h"
#include "ui/kit.h"
#include "ui/probe.h"
#include "ui/results.h"
#include "ui/screens.h"

using namespace results_test;

namespace {

int countTextsEndingWith(const std::string& tail) {
    int n = 0;
    for (const std::string& t : probeTexts())
        if (t.size() >= tail.size() && t.compare(t.size() - tail.size(), tail.size(), tail) == 0) ++n;
    return n;
}

TEST(ResultsScreen, WithoutAResultOnlyTheWayBack) {
    ResultsFixture f;
    f.app.hasResult = false;
    f.show();
    EXPECT_TRUE(f.ui.hasText("No result yet."));
    EXPECT_FALSE(f.ui.hasText("RECOMMENDED SENSITIVITY"));
    ASSERT_TRUE(f.ui.click("Back"));
    EXPECT_EQ(f.app.screen, ScreenHome);
}

TEST(ResultsScreen, ShowsRecommendationRangeAndConfidence) {
    ResultsFixture f;
    f.show();
    EXPECT_TRUE(f.ui.hasText("Your results"));
    EXPECT_TRUE(f.ui.hasText(
        "VALORANT  \xC2\xB7  800 DPI  \xC2\xB7  10 measured rounds  \xC2\xB7  saved to your History"));
    EXPECT_TRUE(f.ui.hasText("Next: confirm it with a Sens Check"));
    EXPECT_TRUE(f.ui.hasText("RECOMMENDED SENSITIVITY"));
    // 914.4 / (0.07 x 40 x 800) = 0.408 in VALORANT's three decimals; eDPI 0.408 x 800.
    EXPECT_NE(std::find(probeTexts().begin(), probeTexts().end(), "0.408"), probeTexts().end());
    EXPECT_TRUE(f.ui.hasText("VALORANT  at 800 DPI"));
    EXPECT_NE(std::find(probeTexts().begin(), probeTexts().end(), "327"), probeTexts().end());
    EXPECT_TRUE(f.ui.hasText("+25% faster"));
    EXPECT_TRUE(f.ui.hasText("Medium confidence"));
    EXPECT_TRUE(f.ui.hasText("You likely aim best between 0.454 and 0.371 (36.0\xE2\x80\x93" "44.0 cm/360)."));
    EXPECT_TRUE(f.ui.hasText("YOUR PERFECT DPI"));
    EXPECT_TRUE(f.ui.hasText("What we found"));
    EXPECT_TRUE(f.ui.hasText("The same feel in every game  (40.0 cm/360)"));

    ASSERT_TRUE(f.ui.click("COPY"));
    EXPECT_STREQ(ImGui::GetClipboardText(), "VALORANT sens 0.408 at 800 DPI (40.0 cm/360)");
}

// The heading says "saved to your History" only for a result whose row is in history.csv;
// a result that could not be added says so once, with where it could not be written.
TEST(ResultsScreen, SavedToYourHistoryOnlyWhenTheRowWasWritten) {
    ResultsFixture f;
    const std::string facts = "VALORANT  \xC2\xB7  800 DPI  \xC2\xB7  10 measured rounds";
    const std::string notSaved = "This result could not be saved: history.csv could not be written in " +
                                 f.dir.path() + ", so it will not be in your History once Tarvion closes.";
    fs::create_directories(f.dir.at("history.csv"));  // a folder where the file should be
    f.app.saveResult();
    f.show();
    EXPECT_TRUE(f.ui.hasText(facts));
    EXPECT_FALSE(f.ui.hasText("saved to your History"));
    EXPECT_EQ(std::count(probeTexts().begin(), probeTexts().end(), notSaved), 1);

    fs::remove(f.dir.at("history.csv"));
    f.app.saveResult();
    f.show();
    EXPECT_TRUE(f.ui.hasText(facts + "  \xC2\xB7  saved to your History"));
    EXPECT_FALSE(f.ui.hasText("could not be saved"));
}

TEST(ResultsScreen, VersusCurrentWording) {
    struct Case {
        double start, recommended;
        const char* text;
    };
    const Case cases[] = {
        {40, 40, "same"},           {40.19, 40, "same"},         // under 0.5 %
        {44, 40, "+10% faster"},    {36, 40, "-10% slower"},     // a larger start: the new one is faster
        {50, 40, "+25% faster"},
    };
    for (const Case& c : cases) EXPECT_EQ(versusCurrentText(c.start, c.recommended), c.text) << c.start;
}

// "Make this my sens" needs the yaw the result was converted with.
TEST(ResultsScreen, AdoptButtonOnlyWhereTheGameValueIsKnown) {
    struct Case {
        const char* game;
        double yaw;
        const char* label;  // null: no adopt button
    };
    const Case cases[] = {
        {"valorant", 0.07, "Make this my sens"}, {"reforger", 0, nullptr},
        {"reforger", 0.0123, "Make this my sens"}, {"custom", 0.05, "Make this my sens"},
        {"cm360", 0, "Make this my cm/360"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.game) + " " + std::to_string(c.yaw));
        ResultsFixture f;
        f.useGame(c.game, c.yaw);
        f.show();
        EXPECT_NE(probeFindItem("COPY"), nullptr);
        const bool sens = probeFindItem("Make this my sens") != nullptr;
        const bool cm = probeFindItem("Make this my cm/360") != nullptr;
        if (!c.label) {
            EXPECT_FALSE(sens || cm);
        } else {
            EXPECT_TRUE(probeFindItem(c.label) != nullptr);
            EXPECT_FALSE(sens && cm);
        }
    }
}

TEST(ResultsScreen, AdoptingWritesTheGamesRoundedValueToSettings) {
    // One headless UI at a time: each owns the library's current context.
    {
        ResultsFixture f;
        f.app.game = gameIndexById("cs2");
        f.app.sens = 1.7;
        f.app.sensUnknown = true;
        f.show();
        ASSERT_TRUE(f.ui.click("Make this my sens"));
        EXPECT_EQ(f.app.game, gameIndexById("valorant"));
        EXPECT_DOUBLE_EQ(f.app.sens, 0.408);
        EXPECT_FALSE(f.app.sensUnknown);
        EXPECT_DOUBLE_EQ(std::stod(settingValue(f.settingsFile(), "sens")), 0.408);
        EXPECT_EQ(settingValue(f.settingsFile(), "game"), "valorant");
    }
    {
        ResultsFixture cm;
        cm.useGame("cm360", 0);
        cm.show();
        ASSERT_TRUE(cm.ui.click("Make this my cm/360"));
        EXPECT_DOUBLE_EQ(cm.app.cmDirect, 40);
        EXPECT_DOUBLE_EQ(std::stod(settingValue(cm.settingsFile(), "cmDirect")), 40);
    }
}

TEST(ResultsScreen, GamesTableOrderKindsAndButtons) {
  {
    ResultsFixture f;
    f.app.myGames = "apex";
    f.show();
    const std::vector<std::string>& t = probeTexts();
    auto at = [&](const std::string& s) { return std::find(t.begin(), t.end(), s) - t.begin(); };
    const auto main = at("VALORANT   (main)"), mine = at("Apex Legends   (your game)"), other = at("Counter-Strike 2");
    ASSERT_LT(main, static_cast<long>(t.size()));
    ASSERT_LT(mine, static_cast<long>(t.size()));
    ASSERT_LT(other, static_cast<long>(t.size()));
    EXPECT_LT(main, mine);
    EXPECT_LT(mine, other);
    EXPECT_FALSE(f.ui.hasText("No game - just give me cm/360"));
    EXPECT_FALSE(f.ui.hasText("Other game"));
    EXPECT_FALSE(f.ui.hasText("Your game (yaw"));
    // Arma Reforger has no yaw yet: it is calibrated first, not copied.
    EXPECT_TRUE(f.ui.hasText("Arma Reforger"));
    ASSERT_NE(probeFindItem("Calibrate"), nullptr);
    ASSERT_TRUE(f.ui.click("Calibrate"));
    EXPECT_EQ(f.app.screen, ScreenCalibrate);
    EXPECT_EQ(f.app.calGame, gameIndexById("reforger"));
    EXPECT_EQ(f.app.calReturnScreen, ScreenResults);
  }
    // A typed-yaw result lists itself with its yaw.
    ResultsFixture custom;
    custom.useGame("custom", 0.05);
    custom.show();
    EXPECT_TRUE(custom.ui.hasText("Your game (yaw 0.05)   (main)"));
}

TEST(ResultsScreen, PerfectDpiColumnOnlyWhenItDiffers) {
    ResultsFixture f;
    const GameInfo& row = gameCatalog()[static_cast<size_t>(f.app.resultGame)];
    const int32_t perfect = perfectDpi(row, 0.07, 40, 103, f.app.width).recommendedDpi;
    const std::string header = formatString("At %d DPI (your perfect DPI)", static_cast<int>(perfect));
    for (double dpi : {400.0, 3200.0, static_cast<double>(perfect)}) {
        SCOPED_TRACE(dpi);
        f.app.resultConfig.dpi = dpi;
        f.show();
        EXPECT_EQ(f.ui.hasText(header), static_cast<int32_t>(dpi) != perfect);
    }
}

TEST(ResultsScreen, RoundsTableOpensAndMarksEveryBestRound) {
    ResultsFixture f;
    // Two rounds tie the best within 1e-9.
    f.app.analysis.rounds[2].performance = 110;
    f.app.analysis.rounds[7].performance = 110 - 1e-10;
    f.show();
    EXPECT_FALSE(f.ui.hasText("Flick (bits/s)"));
    ASSERT_TRUE(f.ui.click("Every round, sensitivities revealed"));
    f.show();
    EXPECT_TRUE(f.ui.hasText("Flick (bits/s)"));
    EXPECT_TRUE(f.ui.hasText("explore"));
    EXPECT_TRUE(f.ui.hasText("refine"));
    EXPECT_EQ(countTextsEndingWith("%  best"), 2);
    EXPECT_TRUE(f.ui.hasText("110.0%  best"));
    // The header keeps its state across a visit elsewhere.
    f.app.screen = ScreenHome;
    f.show();
    f.app.screen = ScreenResults;
    f.show();
    EXPECT_TRUE(f.ui.hasText("Flick (bits/s)"));
}

TEST(ResultsInsights, FindingsFollowTheAnalysis) {
    ResultsFixture f;
    auto texts = [&] {
        std::vector<std::string> out;
        for (const Insight& i : resultInsights(f.app)) out.push_back(i.text);
        return out;
    };
    auto has = [&](const std::string& fragment) {
        for (const std::string& t : texts())
            if (t.find(fragment) != std::string::npos) return true;
        return false;
    };
    // Start 50 against 40: the new one is faster; ten rounds give the flick finding.
    EXPECT_TRUE(has("You aimed best about 25% faster than your current sens."));
    EXPECT_TRUE(has("At your fastest tested sens you over-flicked 30% of targets (under 12%); at the slowest you "
                    "under-flicked 35% (over 10%)."));
    EXPECT_TRUE(has("This is your hip-fire sens."));
    EXPECT_FALSE(has("edge of the tested range"));
    EXPECT_EQ(resultInsights(f.app).front().tone, 0);

    f.app.resultCm = 38;
    EXPECT_TRUE(has("Your current sensitivity is already inside your best range."));
    EXPECT_EQ(resultInsights(f.app).front().tone, 1);

    f.app.analysis.bestAtEdge = true;
    EXPECT_TRUE(has("Press 'Run the full test again' to search further in that direction."));
    f.app.analysis.trendPctPerRound = 1.24;
    EXPECT_TRUE(has("You improved about 1.2% per round"));
    f.app.analysis.trendPctPerRound = -1.04;
    EXPECT_TRUE(has("Your performance dropped about 1.0% per round (fatigue?)"));
    f.app.analysis.trendPctPerRound = 0.8;
    EXPECT_FALSE(has("per round"));

    f.app.analysis.hasFlickPeak = f.app.analysis.hasTrackPeak = true;
    f.app.analysis.flickPeakCm360 = 34;
    f.app.analysis.trackPeakCm360 = 40;
    EXPECT_TRUE(has("Your flicks like it faster than your tracking does"));
    f.app.analysis.flickPeakCm360 = 39;
    EXPECT_TRUE(has("Both agree closely"));

    f.app.analysis.rounds.resize(3);
    EXPECT_FALSE(has("over-flicked"));
}

// From the rounds to the screen: a test whose tracking scored nothing in any round says
// nothing about where tracking peaked, nor that flicking and tracking agree.
TEST(ResultsInsights, NoTrackingPeakWithoutTrackingScores) {
    const double spread[] = {0.6, 0.77, 1.0, 1.3, 1.67, 0.65, 0.8, 1.0, 1.25, 1.55};
    for (double tracking : {0.0, 0.7}) {
        SCOPED_TRACE(tracking);
        std::vector<RoundResult> rounds;
        for (double m : spread) {
            const double d = std::log(m);
            const double peaked = std::exp(-0.5 * d * d);  // both kinds at their best at 40 cm/360
            rounds.push_back(synth::exactRound(40 * m, 6 * peaked, tracking * peaked));
        }
        ResultsFixture f;
        f.app.analysis = analyseTest(rounds, {}, 0.5, 0.5, 3, 400);
        ASSERT_TRUE(f.app.analysis.valid);
        f.show();
        EXPECT_EQ(f.app.analysis.hasTrackPeak, tracking > 0);
        EXPECT_EQ(f.ui.hasText("Flicking peaked at"), tracking > 0);
        EXPECT_EQ(f.ui.hasText("Both agree closely"), tracking > 0);
    }
}

TEST(ResultsScreen, ButtonRowActions) {
    {
        ResultsFixture f(1280, 3200);
        f.app.toast = "an old toast";
        f.show();
        EXPECT_TRUE(f.ui.hasText("an old toast"));
        ASSERT_TRUE(f.ui.click("Share image"));
        EXPECT_TRUE(f.app.toast.empty());
        // The card is drawn from the frame after the press on; the image writer clears both flags.
        EXPECT_TRUE(f.app.shareRequested);
        EXPECT_TRUE(f.app.shareCapturePending);
    }
    {
        ResultsFixture f;
        f.app.dpi = 1600;
        f.app.sens = 9;
        f.show();
        ASSERT_TRUE(f.ui.click("Run the full test again"));
        EXPECT_EQ(f.app.screen, ScreenSetup);
        EXPECT_EQ(f.app.setupStep, 3);
        EXPECT_DOUBLE_EQ(f.app.dpi, 800);
        EXPECT_DOUBLE_EQ(f.app.sens, sensFromCm360(0.07, 40, 800));
        EXPECT_FALSE(f.app.sensUnknown);
    }
    {
        // No yaw behind the result: the setting the player has stays.
        ResultsFixture f;
        f.useGame("reforger", 0);
        f.app.sens = 0.9;
        f.show();
        ASSERT_TRUE(f.ui.click("Run the full test again"));
        EXPECT_DOUBLE_EQ(f.app.sens, 0.9);
        EXPECT_EQ(f.app.game, gameIndexById("reforger"));
    }
    {
        ResultsFixture f;
        f.show();
        ASSERT_TRUE(f.ui.click("Practice at this sens"));
        EXPECT_EQ(f.app.screen, ScreenRound);
        EXPECT_EQ(f.app.sessionKind, SessionPractice);
        EXPECT_EQ(f.app.practiceReturnScreen, ScreenResults);
        EXPECT_DOUBLE_EQ(f.app.practiceCm, 40);
    }
    {
        ResultsFixture f;
        f.show();
        ASSERT_TRUE(f.ui.click("Main menu"));
        EXPECT_EQ(f.app.screen, ScreenHome);
    }
}

TEST(ResultsScreen, ScrollRequestIsTakenOnce) {
    ResultsFixture f(1600, 900);
    f.show();
    f.app.resultsScrollY = 100000;
    f.show();
    EXPECT_EQ(f.app.resultsScrollY, -1);
    f.show();
    // The screen child is scrolled to its end and stays there.
    ImGuiWindow* screen = nullptr;
    for (ImGuiWindow* w : ImGui::GetCurrentContext()->Windows)
        if (std::string(w->Name).rfind("##root/##screen", 0) == 0 && std::string(w->Name).find('/', 8) == std::string::npos)
            screen = w;
    ASSERT_NE(screen, nullptr);
    EXPECT_GT(screen->Scroll.y, 0);
    EXPECT_FLOAT_EQ(screen->Scroll.y, screen->ScrollMax.y);
}

TEST(ResultsScreen, ReforgerNotesAndOtherDetectedGames) {
    ResultsFixture f;
    f.app.reforger.found = true;
    f.app.reforger.firstPersonFov = 90;
    f.app.reforgerFov = 74;
    f.app.reforgerStatus = "Reforger is running";
    f.app.reforgerStatusOk = false;
    f.app.detectedGames = {{"Rust", "Steam", -1}, {"VALORANT", "Riot", gameIndexById("valorant")},
                           {"Escape from Tarkov", "Installed", -1}};
    f.show();
    EXPECT_TRUE(f.ui.hasText("Your Reforger FOV is now 90 but you calibrated at 74."));
    EXPECT_TRUE(f.ui.hasText("Reforger is running"));
    EXPECT_FALSE(f.ui.hasText("Also on your PC"));  // the scan has not handed its list over
    f.app.detectionDone = true;
    f.show();
    EXPECT_TRUE(f.ui.hasText("Also on your PC: Rust,  Escape from Tarkov"));
    EXPECT_TRUE(f.ui.hasText("takes 40.0 cm (15.75 in) at 800 DPI."));

    // Calibrated and found: the Reforger row can be set in the game's file.
    setCalibratedYaw("reforger", 0.0123);
    f.show();
    EXPECT_NE(probeFindItem("Set in game"), nullptr);
}

}  // namespace
