#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/kernel/metrics.h"

namespace {

TargetRecord target(double distance, double radius, double spawn, double react, double end, bool killed,
                    int shots) {
    TargetRecord t;
    t.scored = true;
    t.distance = distance;
    t.radius = radius;
    t.spawnTime = spawn;
    t.reactionTime = react;
    t.killTime = end;
    t.killed = killed;
    t.shots = shots;
    return t;
}

RoundResult resultOf(std::vector<TargetRecord> targets, std::vector<TrackSegment> segments = {}, double cm = 30) {
    RoundResult r;
    r.config.cm360 = cm;
    r.targets = std::move(targets);
    r.segments = std::move(segments);
    return r;
}

// ---- Flick figures ---------------------------------------------------------

TEST(RoundMetricsFlick, ThroughputWithoutReactionScaledByAccuracy) {
    struct Case {
        const char* what;
        std::vector<TargetRecord> targets;
        double throughput, accuracy, killMs, reactMs;
        int kills, shots, count;
    };
    const double id11 = std::log2(11.0);
    TargetRecord unscored = target(30, 1, 0, 0.1, 0.2, true, 1);
    unscored.scored = false;
    const Case cases[] = {
        {"movement 0.5 s after the reaction", {target(20, 1, 0, 0.2, 0.7, true, 1)}, id11 / 0.5, 1, 700, 200, 1, 1, 1},
        {"lucky flick counts 0.08 s", {target(20, 1, 0, 0.2, 0.25, true, 1)}, id11 / 0.08, 1, 250, 200, 1, 1, 1},
        {"no reaction: from the spawn", {target(20, 1, 1, -1, 1.4, true, 1)}, id11 / 0.4, 1, 400, 0, 1, 1, 1},
        {"a miss and a time-out",
         {target(20, 1, 0, 0.2, 0.7, true, 2), target(10, 0.5, 1, -1, 4.5, false, 2), unscored},
         id11 / (0.5 + 3.5), 0.25, 700, 200, 1, 4, 2},
        {"everything timed out, no shots",
         {target(20, 1, 0, -1, 3.5, false, 0), target(20, 1, 4, 4.3, 7.5, false, 0)}, 0, 0, 0, 300, 0, 0, 2},
        {"no targets", {}, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RoundMetrics m = roundMetrics(resultOf(c.targets));
        EXPECT_EQ(m.cm360, 30);
        EXPECT_NEAR(m.throughput, c.throughput, 1e-9);
        EXPECT_NEAR(m.accuracy, c.accuracy, 1e-12);
        EXPECT_NEAR(m.flickScore, c.throughput * std::sqrt(c.accuracy), 1e-9);
        EXPECT_NEAR(m.avgKillMs, c.killMs, 1e-9);
        EXPECT_NEAR(m.avgReactionMs, c.reactMs, 1e-9);
        EXPECT_EQ(m.kills, c.kills);
        EXPECT_EQ(m.shots, c.shots);
        EXPECT_EQ(m.targetCount, c.count);
    }
}

TEST(RoundMetricsFlick, OverAndUnderFlicksOfFarTargets) {
    auto farTarget = [](double distance, bool over, bool under) {
        TargetRecord t = target(distance, 1, 0, 0.1, 0.5, true, 1);
        t.overshot = over;
        t.undershot = under;
        return t;
    };
    // Both flags count as over; the 5-degree target is not far.
    RoundMetrics m = roundMetrics(resultOf(
        {farTarget(20, true, true), farTarget(8, false, true), farTarget(12, false, false), farTarget(30, true, false), farTarget(5, true, false)}));
    EXPECT_NEAR(m.overflickPct, 50, 1e-12);
    EXPECT_NEAR(m.underflickPct, 25, 1e-12);
    EXPECT_NEAR(m.cleanPct, 25, 1e-12);

    RoundMetrics none = roundMetrics(resultOf({farTarget(5, true, false)}));
    EXPECT_EQ(none.overflickPct, 0);
    EXPECT_EQ(none.cleanPct, 0);
}

TEST(RoundMetricsFlick, FirstFlickLandingMedian) {
    auto landing = [](double ratio, bool isFar) {
        TargetRecord t = target(20, 1, 0, 0.1, 0.5, true, 1);
        t.isFar = isFar;
        t.landingRatio = ratio;
        return t;
    };
    // 3 and 0.2 sit on the open bounds; an unmeasured (not far) landing does not count.
    RoundMetrics m = roundMetrics(resultOf({landing(1.1, true), landing(0.9, true), landing(3, true),
                                            landing(1.3, true), landing(0.2, true), landing(0.5, false),
                                            landing(1.25, true)}));
    EXPECT_EQ(m.landingCount, 4);
    EXPECT_NEAR(m.medianLogLanding, std::log(1.25), 1e-12);  // upper median of 0.9, 1.1, 1.25, 1.3

    RoundMetrics empty = roundMetrics(resultOf({landing(5, true)}));
    EXPECT_EQ(empty.landingCount, 0);
    EXPECT_EQ(empty.medianLogLanding, 0);
}

// ---- Tracking figures ------------------------------------------------------

TEST(RoundMetricsTrack, OnTargetWithNearMissCredit) {
    RoundMetrics m = roundMetrics(resultOf({}, {{0.5, 0.4, 0.5, 0.45}, {0.5, 0.2, 1.5, 0.35}}));
    EXPECT_NEAR(m.trackOnTarget, 0.6, 1e-12);
    EXPECT_NEAR(m.trackScore, 0.7 * 0.6 + 0.3 * 0.8, 1e-12);
    EXPECT_NEAR(m.meanErrorDeg, 2.0, 1e-12);

    RoundMetrics none = roundMetrics(resultOf({}, {{0, 0, 0, 0}}));
    EXPECT_EQ(none.trackScore, 0);
    EXPECT_EQ(none.trackOnTarget, 0);
    EXPECT_EQ(none.meanErrorDeg, 0);
}

// ---- Resampling ------------------------------------------------------------

TEST(RoundMetricsResample, PicksTargetsThenSegmentsWithReplacement) {
    std::vector<TargetRecord> targets;
    for (int i = 0; i < 9; ++i) {
        TargetRecord t = target(6 + 3 * i, 0.8 + 0.1 * i, i, i + 0.15, i + 0.4 + 0.05 * i, i % 3 != 2, 1 + i % 2);
        t.isFar = true;
        t.landingRatio = 0.8 + 0.05 * i;
        t.overshot = i % 4 == 0;
        targets.push_back(t);
    }
    TargetRecord extra = target(40, 1, 20, -1, 21, false, 5);
    extra.scored = false;
    targets.insert(targets.begin() + 4, extra);
    std::vector<TrackSegment> segments;
    for (int i = 0; i < 6; ++i) segments.push_back({0.5, 0.05 * i, 0.3 * i, 0.06 * i});
    const RoundResult round = resultOf(targets, segments);

    for (uint64_t seed : {1ull, 42ull, 777ull}) {
        // The same picks by hand: 9 scored targets, then 6 segments.
        Rng picker(seed);
        std::vector<TargetRecord> scored;
        for (const TargetRecord& t : round.targets)
            if (t.scored) scored.push_back(t);
        std::vector<TargetRecord> pickedTargets;
        for (size_t k = 0; k < scored.size(); ++k)
            pickedTargets.push_back(scored[static_cast<size_t>(picker.uniform() * 9) % 9]);
        std::vector<TrackSegment> pickedSegments;
        for (size_t k = 0; k < segments.size(); ++k)
            pickedSegments.push_back(segments[static_cast<size_t>(picker.uniform() * 6) % 6]);
        RoundMetrics want = roundMetrics(resultOf(pickedTargets, pickedSegments));

        Rng rng(seed);
        RoundMetrics got = roundMetrics(round, &rng);
        EXPECT_EQ(rng.state, picker.state);
        EXPECT_DOUBLE_EQ(got.throughput, want.throughput);
        EXPECT_DOUBLE_EQ(got.flickScore, want.flickScore);
        EXPECT_DOUBLE_EQ(got.trackScore, want.trackScore);
        EXPECT_DOUBLE_EQ(got.medianLogLanding, want.medianLogLanding);
        EXPECT_DOUBLE_EQ(got.overflickPct, want.overflickPct);
        EXPECT_EQ(got.kills, want.kills);
        EXPECT_EQ(got.shots, want.shots);
        EXPECT_EQ(got.targetCount, 9);

        Rng again(seed);
        RoundMetrics twice = roundMetrics(round, &again);
        EXPECT_DOUBLE_EQ(twice.flickScore, got.flickScore);
        EXPECT_DOUBLE_EQ(twice.meanErrorDeg, got.meanErrorDeg);
    }
}

// ---- Normalising -----------------------------------------------------------

TEST(RoundMetricsNormalise, PercentOfTheMeanAndStyleWeights) {
    std::vector<RoundMetrics> one(1);
    one[0].flickScore = 3.2;
    one[0].trackScore = 0.4;
    normaliseScores(one, 0.6, 0.4);
    EXPECT_NEAR(one[0].flickPct, 100, 1e-12);
    EXPECT_NEAR(one[0].trackPct, 100, 1e-12);
    EXPECT_NEAR(one[0].performance, 100, 1e-12);

    std::vector<RoundMetrics> two(2);
    two[0].flickScore = 1;
    two[1].flickScore = 3;
    two[0].trackScore = 0;  // mean track score 0: every round 100 %
    two[1].trackScore = 0;
    normaliseScores(two, 0.7, 0.3);
    EXPECT_NEAR(two[0].flickPct, 50, 1e-12);
    EXPECT_NEAR(two[1].flickPct, 150, 1e-12);
    EXPECT_EQ(two[0].trackPct, 100);
    EXPECT_NEAR(two[1].performance, 150 * 0.7 + 100 * 0.3, 1e-12);

    std::vector<RoundMetrics> none;
    normaliseScores(none, 0.5, 0.5);
    EXPECT_TRUE(none.empty());
}

// ---- Landing line ----------------------------------------------------------

RoundMetrics landingRound(double logCm, double y, int32_t count) {
    RoundMetrics m;
    m.cm360 = std::exp(logCm);
    m.medianLogLanding = y;
    m.landingCount = count;
    return m;
}

TEST(RoundMetricsLanding, WeightedLineCrossing) {
    // y = 1.75 - 0.5 x crosses zero at x = 3.5.
    auto line = [](double x) { return 1.75 - 0.5 * x; };
    struct Case {
        const char* what;
        std::vector<RoundMetrics> list;
        double low, high;
        bool ok;
        double value;
    };
    const Case cases[] = {
        {"clear downward trend", {landingRound(3.0, line(3.0), 5), landingRound(3.4, line(3.4), 3),
                                  landingRound(3.9, line(3.9), 8)}, 3.0, 3.9, true, 3.5},
        {"crossing clamped above", {landingRound(3.0, 1.0, 5), landingRound(3.2, 0.9, 5), landingRound(3.4, 0.8, 5)},
         3.0, 3.4, true, 3.55},
        {"rounds with under 3 landings sit out",
         {landingRound(3.0, line(3.0), 5), landingRound(3.4, line(3.4), 2), landingRound(3.9, line(3.9), 8)}, 3.0,
         3.9, false, 0},
        {"spread below 0.2", {landingRound(3.0, 0.3, 5), landingRound(3.1, 0.2, 5), landingRound(3.19, 0.1, 5)}, 3.0,
         3.2, false, 0},
        {"slope too flat", {landingRound(3.0, 0.1, 5), landingRound(3.5, 0.05, 5), landingRound(4.0, 0.0, 5)}, 3.0,
         4.0, false, 0},
        {"rising", {landingRound(3.0, -0.2, 5), landingRound(3.5, 0.0, 5), landingRound(4.0, 0.2, 5)}, 3.0, 4.0, false,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WeightedStats w = weightedStats(c.list, c.low, c.high);
        EXPECT_EQ(w.ok, c.ok);
        if (c.ok) {
            EXPECT_NEAR(w.value, c.value, 1e-9);
        }
    }
}

TEST(RoundMetricsLanding, UpperMedianOnACopy) {
    const std::pair<std::vector<double>, double> cases[] = {
        {{}, 0}, {{3}, 3}, {{5, 1, 3}, 3}, {{4, 1, 3, 2}, 3}, {{-1, -1, 2, 7, 7, 7}, 7}};
    for (const auto& [values, want] : cases) {
        std::vector<double> copy = values;
        EXPECT_EQ(medianOfVector(copy), want);
        EXPECT_EQ(copy, values);
    }
}

}  // namespace
