#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/kernel/analysis.h"
#include "engine/kernel/rng.h"
#include "engine/kernel/session.h"
#include "tests/engine/kernel/synthetic_rounds.h"

namespace {

std::vector<double> cmOf(const std::vector<SessionRound>& rounds, int32_t stage) {
    std::vector<double> out;
    for (const SessionRound& r : rounds)
        if (r.stage == stage) out.push_back(r.cm360);
    return out;
}

std::vector<double> sorted(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v;
}

void expectNear(const std::vector<double>& got, const std::vector<double>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-9) << "at " << i;
}

SessionConfig config(double startCm360, int32_t length, uint64_t seed, bool warmUp = true) {
    SessionConfig c;
    c.startCm360 = startCm360;
    c.length = length;
    c.seed = seed;
    c.warmUp = warmUp;
    return c;
}

// A performance peak at `best`, for rounds recorded at the given cm/360 values.
RoundResult peakedRound(double cm360, double best) {
    const double d = std::log(cm360 / best);
    const double f = std::exp(-0.8 * d * d);
    return synth::exactRound(cm360, 6 * f, 0.7 * f);
}

}  // namespace

TEST(TestPlanTest, ThreeLengthsAndTheirRounds) {
    struct Case {
        int32_t length;
        size_t stageOne, stageTwo;
        int32_t extraTargets, flickTargets;
        double leadIn, trackSeconds;
    };
    const Case cases[] = {
        {0, 5, 3, 2, 12, 1.0, 9.0},
        {1, 5, 5, 3, 16, 1.5, 12.0},
        {2, 7, 7, 3, 20, 1.5, 15.0},
        {7, 5, 5, 3, 16, 1.5, 12.0},   // anything else is Standard
        {-1, 5, 5, 3, 16, 1.5, 12.0},
    };
    for (const Case& c : cases) {
        const TestPlan& p = testPlan(c.length);
        EXPECT_EQ(p.stageOne.size(), c.stageOne) << c.length;
        EXPECT_EQ(p.stageTwo.size(), c.stageTwo) << c.length;
        EXPECT_EQ(p.extraTargets, c.extraTargets) << c.length;
        EXPECT_EQ(p.flickTargets, c.flickTargets) << c.length;
        EXPECT_EQ(p.leadIn, c.leadIn) << c.length;
        EXPECT_EQ(p.trackSeconds, c.trackSeconds) << c.length;
        // Both stages are centred: 1.0 is always played.
        EXPECT_NE(std::find(p.stageOne.begin(), p.stageOne.end(), 1.0), p.stageOne.end());
        EXPECT_NE(std::find(p.stageTwo.begin(), p.stageTwo.end(), 1.0), p.stageTwo.end());
        EXPECT_TRUE(std::is_sorted(p.stageOne.begin(), p.stageOne.end()));
    }
    EXPECT_DOUBLE_EQ(testPlan(1).stageOne.back(), 1.67);
    EXPECT_DOUBLE_EQ(testPlan(2).stageTwo.front(), 0.62);
}

TEST(ScheduleTest, StartLaysOutWarmUpAndShuffledStageOne) {
    TestSession s;
    s.nextRound = 4;
    s.rebuilt = true;
    s.results.push_back({});
    startSession(s, config(40, TestStandard, 99));
    ASSERT_EQ(s.rounds.size(), 6u);
    EXPECT_EQ(s.rounds[0].stage, StageWarmUp);
    EXPECT_DOUBLE_EQ(s.rounds[0].cm360, 40);
    EXPECT_EQ(s.nextRound, 0);
    EXPECT_FALSE(s.rebuilt);
    EXPECT_TRUE(s.results.empty());
    EXPECT_EQ(s.stageOneLeft, 5);
    EXPECT_EQ(s.plannedTotal, 11);

    std::vector<double> want;
    for (double m : testPlan(TestStandard).stageOne) want.push_back(m * 40);
    Rng rng(99 * 31 + 5);
    rng.shuffle(want);
    expectNear(cmOf(s.rounds, StageOne), want);

    // Another seed, another order of the same values.
    TestSession other;
    startSession(other, config(40, TestStandard, 100));
    expectNear(sorted(cmOf(other.rounds, StageOne)), sorted(want));
}

TEST(ScheduleTest, StageOneIsClampedToTheUsableRange) {
    TestSession s;
    startSession(s, config(5, TestQuick, 1));
    EXPECT_DOUBLE_EQ(s.rounds[0].cm360, 6);  // the warm-up too
    expectNear(sorted(cmOf(s.rounds, StageOne)), {6, 6, 6, 6.35, 8});

    startSession(s, config(150, TestQuick, 1, false));
    EXPECT_EQ(s.rounds.front().stage, StageOne);
    EXPECT_EQ(s.plannedTotal, 8);
    EXPECT_DOUBLE_EQ(sorted(cmOf(s.rounds, StageOne)).back(), 200);
}

TEST(ScheduleTest, CountersFollowThePlay) {
    TestSession s;
    startSession(s, config(40, TestStandard, 3));
    EXPECT_EQ(plannedRounds(s), 10);  // max(5 listed, 11 - 1)
    EXPECT_EQ(scoredRoundsDone(s), 0);
    recordRound(s, peakedRound(40, 40));  // warm-up
    EXPECT_EQ(scoredRoundsDone(s), 0);
    for (int i = 0; i < 5; ++i) recordRound(s, peakedRound(s.rounds[s.nextRound].cm360, 40));
    EXPECT_EQ(scoredRoundsDone(s), 5);
    EXPECT_EQ(plannedRounds(s), 10);
    EXPECT_EQ(s.rounds.size(), 11u);
}

TEST(ScheduleTest, RecordingWalksWarmUpStageOneAndStageTwo) {
    TestSession s;
    startSession(s, config(40, TestStandard, 12));
    // The warm-up is played but never kept.
    EXPECT_FALSE(recordRound(s, peakedRound(40, 40)));
    EXPECT_TRUE(s.results.empty());
    EXPECT_EQ(s.nextRound, 1);

    int laidOut = 0;
    for (int i = 0; i < 4; ++i) laidOut += recordRound(s, peakedRound(s.rounds[s.nextRound].cm360, 48));
    EXPECT_EQ(laidOut, 0);
    EXPECT_EQ(s.stageOneLeft, 1);
    EXPECT_EQ(s.rounds.size(), 6u);

    const RoundResult last = peakedRound(s.rounds[s.nextRound].cm360, 48);
    ASSERT_TRUE(recordRound(s, last));
    EXPECT_EQ(s.stageOneLeft, 0);
    EXPECT_EQ(s.stageOneResults.size(), 5u);
    const double centre = pickStageOneBest(s.stageOneResults, s.config.flickWeight, s.config.trackWeight);
    EXPECT_DOUBLE_EQ(s.stageTwoCentre, centre);
    EXPECT_NEAR(centre, 48, 48 * 0.05);

    std::vector<double> want;
    for (double m : testPlan(TestStandard).stageTwo) want.push_back(m * centre);
    Rng rng(12 * 77 + 11);
    rng.shuffle(want);
    expectNear(cmOf(s.rounds, StageTwo), want);
    EXPECT_EQ(plannedRounds(s), 10);

    // Stage 2 rounds are kept but lay nothing out; past the end nothing happens.
    while (s.nextRound < static_cast<int32_t>(s.rounds.size()))
        EXPECT_FALSE(recordRound(s, peakedRound(s.rounds[s.nextRound].cm360, 48)));
    EXPECT_EQ(s.results.size(), 10u);
    EXPECT_EQ(s.resultStages, (std::vector<int32_t>{1, 1, 1, 1, 1, 2, 2, 2, 2, 2}));
    EXPECT_FALSE(recordRound(s, last));
    EXPECT_EQ(s.results.size(), 10u);
    EXPECT_EQ(s.nextRound, 11);
}

TEST(ScheduleTest, StageTwoCentreStaysNearTheStart) {
    struct Case {
        double start;
        double best;      // where the recorded stage-1 rounds peak
        double spread;    // their cm/360 values are best x these multipliers
        double centre;
    };
    const Case cases[] = {
        {30, 100, 1.0, 60},  // at most twice the start
        {30, 10, 1.0, 15},   // at least half of it
        {5, 3, 1.0, 6},      // and never below 6
    };
    for (const Case& c : cases) {
        TestSession s;
        startSession(s, config(c.start, TestStandard, 4, false));
        bool laidOut = false;
        for (double m : {0.6, 0.8, 1.0, 1.25, 1.6}) laidOut = recordRound(s, peakedRound(m * c.best, c.best));
        ASSERT_TRUE(laidOut);
        EXPECT_NEAR(s.stageTwoCentre, c.centre, 1e-9) << c.start << " " << c.best;
        for (double cm : cmOf(s.rounds, StageTwo)) EXPECT_GE(cm, 6);
    }
}

TEST(PickStageOneBestTest, FewRoundsFallBack) {
    EXPECT_DOUBLE_EQ(pickStageOneBest({}, 0.5, 0.5), 35);
    EXPECT_DOUBLE_EQ(pickStageOneBest({peakedRound(27, 40)}, 0.5, 0.5), 27);
    EXPECT_DOUBLE_EQ(pickStageOneBest({peakedRound(27, 40), peakedRound(50, 40)}, 0.5, 0.5), 27);
    std::vector<RoundResult> three;
    for (double cm : {30.0, 40.0, 55.0}) three.push_back(peakedRound(cm, 42));
    EXPECT_NEAR(pickStageOneBest(three, 0.5, 0.5), 42, 42 * 0.05);
}

TEST(PickStageOneBestTest, NoTopSendsStageTwoAsFarOutAsATopPastTheEnd) {
    // Stage 1 at 24..66.8. Scores still climbing or falling at an end, convex in ln cm/360,
    // have no top at all; a quadratic whose top lies well past an end has one, clamped just
    // past it. Both say the best lies out there, and both get the same centre.
    const double lo = std::log(24), hi = std::log(66.8);
    struct Case {
        const char* what;
        double power;     // scores (cm/40)^power; 0 = a quadratic peaking at `peakCm`
        double peakCm;
        bool concave;
        double centreLog;
    };
    const Case cases[] = {
        {"climbing", 1.5, 0, false, hi + 0.1},
        {"falling", -1.5, 0, false, lo - 0.1},
        {"top past the high end", 0, 120, true, hi + 0.1},
        {"top past the low end", 0, 15, true, lo - 0.1},
    };
    for (const Case& c : cases) {
        std::vector<RoundResult> stageOne;
        for (double m : testPlan(TestStandard).stageOne) {
            const double cm = 40 * m, d = std::log(cm / (c.peakCm > 0 ? c.peakCm : 40));
            const double f = c.power != 0 ? std::exp(c.power * std::log(cm / 40)) : 2 - 0.5 * d * d;
            stageOne.push_back(synth::exactRound(cm, 6 * f, 0.7 * f));
        }
        std::vector<RoundMetrics> list;
        for (const RoundResult& r : stageOne) list.push_back(roundMetrics(r));
        for (size_t i = 0; i < list.size(); ++i) list[i].roundNumber = static_cast<int32_t>(i);
        normaliseScores(list, 0.5, 0.5);
        ASSERT_EQ(fitScores(list, FitPerformance).concave, c.concave) << c.what;
        EXPECT_NEAR(std::log(pickStageOneBest(stageOne, 0.5, 0.5)), c.centreLog, 1e-6) << c.what;
    }
}

TEST(RebuildTest, PooledCheckKeepsStoredRoundsAndSpreadsTight) {
    std::vector<RoundResult> stored(10, peakedRound(40, 40));
    TestSession s;
    s.nextRound = 3;
    rebuildSession(s, config(33, TestStandard, 8), 40, stored, {1, 1, 2});
    EXPECT_TRUE(s.rebuilt);
    EXPECT_EQ(s.results.size(), 10u);
    EXPECT_EQ(s.resultStages, (std::vector<int32_t>{1, 1, 2, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(s.seedOffset, 110);
    EXPECT_EQ(s.nextRound, 0);
    EXPECT_EQ(s.stageOneLeft, 0);
    EXPECT_DOUBLE_EQ(s.stageTwoCentre, 40);
    ASSERT_EQ(s.rounds.size(), 7u);
    EXPECT_EQ(s.rounds[0].stage, StageWarmUp);
    EXPECT_DOUBLE_EQ(s.rounds[0].cm360, 40);
    const double lo = 40 * std::exp(-0.14), hi = 40 * std::exp(0.14);
    expectNear(sorted(cmOf(s.rounds, StageCheck)), {lo, lo, 40, 40, hi, hi});
    for (size_t i = 2; i < s.rounds.size(); ++i) EXPECT_NE(s.rounds[i].cm360, s.rounds[i - 1].cm360);
    EXPECT_EQ(s.plannedTotal, 7);
    EXPECT_EQ(plannedRounds(s), 6);

    // Stored stages longer than the results are cut.
    rebuildSession(s, config(33, TestStandard, 8), 40, {stored[0], stored[1]}, {2, 3, 3, 3});
    EXPECT_EQ(s.resultStages, (std::vector<int32_t>{2, 3}));
}

TEST(RebuildTest, FreshCheckSpreadsWider) {
    TestSession s;
    rebuildSession(s, config(40, TestStandard, 8, false), 50, {}, {});
    EXPECT_EQ(s.seedOffset, 100);
    ASSERT_EQ(s.rounds.size(), 6u);
    const double lo = 50 * std::exp(-0.22), hi = 50 * std::exp(0.22);
    expectNear(sorted(cmOf(s.rounds, StageCheck)), {lo, lo, 50, 50, hi, hi});
    EXPECT_EQ(plannedRounds(s), 6);
}

TEST(RebuildTest, CheckOrderIsTheFirstWithoutEqualNeighbours) {
    struct Case {
        double centre;
        bool separable;
    };
    const Case cases[] = {{40, true}, {6, false}, {300, false}};
    for (const Case& c : cases) {
        for (uint64_t seed : {1u, 2u, 3u, 4u}) {
            TestSession s;
            rebuildSession(s, config(40, TestStandard, seed, false), c.centre, {}, {});
            // Replay the generator: the accepted order is the first shuffle without equal
            // neighbours, or the 50th shuffle when there is none.
            const double d = std::clamp(c.centre, 6.0, 200.0);
            std::vector<SessionRound> want;
            for (int r = 0; r < 2; ++r)
                for (double f : {std::exp(-0.22), 1.0, std::exp(0.22)})
                    want.push_back({std::clamp(f * d, 6.0, 200.0), StageCheck});
            Rng rng(0 + seed * 53 + 1);
            int shuffles = 0;
            bool apart = false;
            while (shuffles < 50 && !apart) {
                rng.shuffle(want);
                ++shuffles;
                apart = true;
                for (size_t i = 1; i < want.size(); ++i)
                    if (std::fabs(want[i].cm360 - want[i - 1].cm360) <= 1e-9) apart = false;
            }
            EXPECT_EQ(apart, c.separable) << c.centre;
            if (!c.separable) {
                EXPECT_EQ(shuffles, 50);
            }
            ASSERT_EQ(s.rounds.size(), want.size());
            for (size_t i = 0; i < want.size(); ++i) EXPECT_DOUBLE_EQ(s.rounds[i].cm360, want[i].cm360) << c.centre;
        }
    }
    // A centre of 6 clamps four of the six check rounds to 6.
    TestSession s;
    rebuildSession(s, config(40, TestStandard, 1, false), 6, {}, {});
    const std::vector<double> cms = cmOf(s.rounds, StageCheck);
    EXPECT_EQ(std::count(cms.begin(), cms.end(), 6.0), 4);
}

TEST(RunAnalysisTest, AnalysesTheRecordedRoundsWithTheSessionSeed) {
    TestSession s;
    startSession(s, config(40, TestQuick, 21, false));
    Rng rng(5);
    synth::Player p;
    p.bestCm360 = 45;
    p.targetNoise = 0.3;
    p.segmentNoise = 0.2;
    while (s.nextRound < static_cast<int32_t>(s.rounds.size()))
        recordRound(s, synth::playRound(p, s.rounds[s.nextRound].cm360, rng));
    const AnalysisResult a = runAnalysis(s, 60);
    const AnalysisResult b = analyseTest(s.results, s.resultStages, 0.5, 0.5, 21 * 13 + 1, 60);
    ASSERT_TRUE(a.valid);
    EXPECT_EQ(a.recommendedCm360, b.recommendedCm360);
    EXPECT_EQ(a.lowCm360, b.lowCm360);
    EXPECT_EQ(a.wideHighCm360, b.wideHighCm360);
    EXPECT_EQ(a.rounds.size(), 8u);
    EXPECT_EQ(a.rounds.back().stage, StageTwo);
}
