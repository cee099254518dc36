// The Sens Check verdict: grouping the latest check rounds, the verdict wording for each
// history of checks, and the actions it offers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/catalog/format.h"
#include "tests/ui/results_fixture.h"
#include "ui/probe.h"
#include "ui/results.h"

using namespace results_test;

namespace {

std::vector<RoundMetrics> checkRounds(const std::vector<double>& cms, const std::vector<double>& perfs) {
    std::vector<RoundMetrics> out;
    for (size_t k = 0; k < cms.size(); ++k) out.push_back(metricsAt(cms[k], 3, perfs[k]));
    return out;
}

SensCheckEntry changedBy(double pct) {
    SensCheckEntry e;
    e.beforeCm360 = 43.5;
    e.afterCm360 = 40;
    e.changePct = pct;
    return e;
}

SensCheckEntry entry(double before, double after) {
    SensCheckEntry e;
    e.beforeCm360 = before;
    e.afterCm360 = after;
    e.changePct = (after / before - 1) * 100;
    e.lowCm360 = 36;
    e.highCm360 = 44;
    e.confidence = "Medium";
    e.confirmed = std::fabs(e.changePct) < 3;
    return e;
}

TEST(CheckGroups, ShuffledRoundsFormOneGroupPerSensitivity) {
    // The check plays each of three values twice in shuffled order.
    std::vector<RoundMetrics> rounds = checkRounds({40, 44, 36, 40, 36, 44}, {100, 96, 101, 104, 99, 92});
    rounds[0].accuracy = 0.7;
    rounds[3].accuracy = 0.9;
    const std::vector<CheckGroup> g = latestCheckGroups(rounds);
    ASSERT_EQ(g.size(), 3u);
    EXPECT_DOUBLE_EQ(g[0].cm360, 36);
    EXPECT_DOUBLE_EQ(g[1].cm360, 40);
    EXPECT_DOUBLE_EQ(g[2].cm360, 44);
    for (const CheckGroup& c : g) EXPECT_EQ(c.count, 2);
    EXPECT_DOUBLE_EQ(g[0].performance, 100);
    EXPECT_DOUBLE_EQ(g[1].performance, 102);
    EXPECT_DOUBLE_EQ(g[2].performance, 94);
    EXPECT_DOUBLE_EQ(g[1].accuracy, 0.8);
    EXPECT_EQ(bestCheckGroup(g), 1);
}

TEST(CheckGroups, OnlyTheLatestSixCheckRoundsCount) {
    std::vector<RoundMetrics> rounds;
    rounds.push_back(metricsAt(30, 1, 90));                                             // finder rounds
    for (const RoundMetrics& m : checkRounds({50, 55, 60, 50, 55, 60}, {1, 1, 1, 1, 1, 1})) rounds.push_back(m);  // an older check
    for (const RoundMetrics& m : checkRounds({40, 44, 36, 40, 36, 44}, {100, 96, 101, 104, 99, 92})) rounds.push_back(m);
    const std::vector<CheckGroup> g = latestCheckGroups(rounds);
    ASSERT_EQ(g.size(), 3u);
    EXPECT_DOUBLE_EQ(g[0].cm360, 36);
    EXPECT_DOUBLE_EQ(g[2].cm360, 44);
}

TEST(CheckGroups, ValuesWithinOnePercentShareAGroupAndTiesGoToTheFirst) {
    // 40.2 is within 1 % of 40 (keyed by whichever came first from the end).
    const std::vector<CheckGroup> g = latestCheckGroups(checkRounds({40, 40.2, 44, 40, 44, 40.2}, {98, 98, 98, 98, 98, 98}));
    ASSERT_EQ(g.size(), 2u);
    EXPECT_EQ(g[0].count, 4);
    EXPECT_DOUBLE_EQ(g[0].cm360, 40.2);
    EXPECT_EQ(bestCheckGroup(g), 0);
    EXPECT_TRUE(latestCheckGroups({metricsAt(40, 2, 1)}).empty());
    EXPECT_EQ(bestCheckGroup({}), -1);
}

struct VerdictFixture : ResultsFixture {
    explicit VerdictFixture(const std::vector<SensCheckEntry>& checks) {
        app.isSensCheckResult = true;
        app.sensChecks = checks;
        for (const RoundMetrics& m : checkRounds({40, 44, 36, 40, 36, 44}, {100, 96, 101, 104, 99, 92}))
            app.analysis.rounds.push_back(m);
        show();
    }
};

TEST(SensCheckVerdict, WordingFollowsTheChecksSoFar) {
    struct Case {
        std::vector<SensCheckEntry> checks;
        std::vector<std::string> texts;
        bool goodCard;
    };
    const Case cases[] = {
        {{entry(40.4, 40)},
         {"SENS CHECK #1", "CONFIRMED  \xC2\xB7  0.408 is your sens",
          "within 1.0% of where it was (40.4 \xE2\x86\x92 40.0 cm/360)", "LOCK IT IN (make this my sens)",
          "Check again anyway"},
         true},
        {{entry(46, 40), entry(42, 40)},
         {"SENS CHECK #2", "TWEAK  \xC2\xB7  try 0.408  (a bit faster)", "aimed best about 5% faster (42.0 \xE2\x86\x92 40.0",
          "ONE MORE CHECK AT 0.408", "Use the tweak now",
          "Check 1: 46.0 \xE2\x86\x92 40.0 cm (-13.0%)     Check 2: 42.0 \xE2\x86\x92 40.0 cm (-4.8%)"},
         false},
        {{entry(46, 40), changedBy(-8)}, {"TWEAK  \xC2\xB7  try 0.408  (faster)"}, false},  // exactly -8 %
        {{entry(46, 40), entry(40, 43.6)}, {"(slower)", "about 9% slower"}, false},
        {{entry(46, 40), entry(42, 40), entry(38, 40)},
         {"SENS CHECK #3", "Lock in 0.408 \xE2\x80\x94 you're inside your best range",
          "After 3 checks the result keeps moving a little inside 36.0\xE2\x80\x93" "44.0 cm/360",
          "LOCK IT IN (make this my sens)"},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.texts.front());
        VerdictFixture f(c.checks);
        for (const std::string& t : c.texts) EXPECT_TRUE(f.ui.hasText(t)) << t;
        EXPECT_EQ(f.ui.hasText("ONE MORE CHECK AT"), !c.goodCard);
        EXPECT_EQ(f.ui.hasText("Check 1:"), c.checks.size() > 1);
        EXPECT_FALSE(f.ui.hasText("Next: confirm it with a Sens Check"));
    }
}

TEST(SensCheckVerdict, TableOfTheThreeSensitivities) {
    VerdictFixture f({entry(40.4, 40)});
    EXPECT_TRUE(f.ui.hasText("Tested (blind)"));
    EXPECT_TRUE(f.ui.hasText("A bit faster"));
    EXPECT_TRUE(f.ui.hasText("Your best sens   (best this check)"));
    EXPECT_TRUE(f.ui.hasText("A bit slower"));
    EXPECT_TRUE(f.ui.hasText(resultSensText(f.app, 36) + "  (36.0 cm)"));
    EXPECT_TRUE(f.ui.hasText("102.0%"));
    EXPECT_TRUE(f.ui.hasText("Each was played twice, in random order."));
}

TEST(SensCheckVerdict, TwoGroupsShowNoTableButKeepTheVerdict) {
    ResultsFixture f;
    f.app.isSensCheckResult = true;
    f.app.sensChecks = {entry(40.4, 40)};
    for (const RoundMetrics& m : checkRounds({40, 40.2, 44, 40, 44, 40.2}, {98, 98, 98, 98, 98, 98}))
        f.app.analysis.rounds.push_back(m);
    f.show();
    EXPECT_FALSE(f.ui.hasText("A bit faster"));
    EXPECT_TRUE(f.ui.hasText("CONFIRMED"));
    EXPECT_NE(probeFindItem("LOCK IT IN (make this my sens)"), nullptr);
}

TEST(SensCheckVerdict, LockingInNeedsTheResultsYaw) {
    {
        VerdictFixture f({entry(40.4, 40)});
        ASSERT_TRUE(f.ui.click("LOCK IT IN (make this my sens)"));
        EXPECT_DOUBLE_EQ(std::stod(settingValue(f.settingsFile(), "sens")), 0.408);
    }
    {
        // An uncalibrated Reforger result: nothing can be adopted, checking stays possible.
        VerdictFixture f({entry(46, 40), entry(42, 40)});
        f.useGame("reforger", 0);
        f.show();
        EXPECT_EQ(probeFindItem("Use the tweak now"), nullptr);
        EXPECT_TRUE(f.ui.hasText("ONE MORE CHECK AT calibrate first"));
    }
    {
        VerdictFixture f({entry(40.4, 40)});
        f.useGame("reforger", 0);
        f.show();
        EXPECT_EQ(probeFindItem("LOCK IT IN (make this my sens)"), nullptr);
        ASSERT_TRUE(f.ui.click("Check again anyway"));
        EXPECT_EQ(f.app.screen, ScreenRound);
        EXPECT_EQ(f.app.sessionKind, SessionSensCheck);
    }
}

}  // namespace
