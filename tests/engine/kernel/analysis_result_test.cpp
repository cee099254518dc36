#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/kernel/analysis.h"
#include "engine/kernel/rng.h"
#include "tests/engine/kernel/synthetic_rounds.h"

namespace {

const std::vector<double> kStandardSpread = {0.6, 0.77, 1.0, 1.3, 1.67, 0.65, 0.8, 1.0, 1.25, 1.55};

// Noise-free rounds around 40 whose flick and tracking scores follow `score(cm360)`.
template <class Score>
std::vector<RoundResult> exactRounds(Score score, size_t count = kStandardSpread.size()) {
    std::vector<RoundResult> out;
    for (size_t i = 0; i < count; ++i) {
        const double cm = 40 * kStandardSpread[i];
        out.push_back(synth::exactRound(cm, 6 * score(cm), 0.7 * score(cm)));
    }
    return out;
}

double peakedScore(double cm360, double best) {
    const double d = std::log(cm360 / best);
    return std::exp(-0.5 * d * d);
}

std::vector<RoundResult> noisyRounds(const synth::Player& p, uint64_t seed) {
    Rng rng(seed);
    std::vector<RoundResult> out;
    for (double m : kStandardSpread) out.push_back(synth::playRound(p, 40 * m, rng));
    return out;
}

synth::Player noisyPlayer(double best) {
    synth::Player p;
    p.bestCm360 = best;
    p.targetNoise = 0.3;
    p.segmentNoise = 0.2;
    return p;
}

}  // namespace

TEST(AnalyseTestTest, TwoRoundsAreNotValidButKeepTheirMetrics) {
    const std::vector<RoundResult> two = exactRounds([](double cm) { return peakedScore(cm, 40); }, 2);
    const AnalysisResult a = analyseTest(two, {2}, 0.65, 0.35, 7, 400);
    EXPECT_FALSE(a.valid);
    EXPECT_TRUE(a.confidence.empty());
    EXPECT_EQ(a.recommendedCm360, 0);
    EXPECT_EQ(a.lowCm360, 0);
    EXPECT_EQ(a.flickWeight, 0.65);
    EXPECT_EQ(a.trackWeight, 0.35);
    ASSERT_EQ(a.rounds.size(), 2u);
    for (size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(a.rounds[k].roundNumber, static_cast<int32_t>(k));
        EXPECT_DOUBLE_EQ(a.rounds[k].cm360, two[k].config.cm360);
        EXPECT_GT(a.rounds[k].flickScore, 0);
    }
    EXPECT_EQ(a.rounds[0].stage, 2);
    EXPECT_EQ(a.rounds[1].stage, 1);  // missing stages count as stage 1
    EXPECT_EQ(a.fit.tScale, 1);
}

TEST(AnalyseTestTest, ClearPeakGivesAConfidentRecommendation) {
    const AnalysisResult a = analyseTest(exactRounds([](double cm) { return peakedScore(cm, 46); }),
                                         {}, 0.5, 0.5, 3, 400);
    ASSERT_TRUE(a.valid);
    EXPECT_NEAR(a.recommendedCm360 / 46, 1, 0.04);
    EXPECT_DOUBLE_EQ(a.recommendedCm360, a.fitPeakCm360);  // no landings, no blend
    EXPECT_FALSE(a.hasFlickLanding);
    EXPECT_EQ(a.flickLandingBlend, 0);
    EXPECT_FALSE(a.bestAtEdge);
    EXPECT_EQ(a.confidence, "High");
    EXPECT_TRUE(a.hasFlickPeak);
    EXPECT_TRUE(a.hasTrackPeak);
    EXPECT_NEAR(a.flickPeakCm360 / 46, 1, 0.04);
    EXPECT_NEAR(a.trackPeakCm360 / 46, 1, 0.04);
    // Identical targets resample to identical rounds: the range has no width.
    EXPECT_DOUBLE_EQ(a.lowCm360, a.recommendedCm360);
    EXPECT_DOUBLE_EQ(a.wideHighCm360, a.recommendedCm360);
    EXPECT_EQ(a.rounds.size(), 10u);
}

// Whole tests of noise-free players whose best lies at or near an end of what the program
// supports: the fitted top may lie past the rounds played, the recommendation and its ranges
// never lie past 6..200.
TEST(AnalyseTestTest, RecommendationAndRangesStayWithin6To200) {
    struct Case {
        double best, start, want;
    };
    const Case cases[] = {{190, 190, 200}, {200, 170, 200}, {6, 7, 6}, {7, 6, 0}};
    for (const Case& c : cases) {
        synth::Player p;
        p.bestCm360 = c.best;
        const AnalysisResult a = synth::runTest(p, c.start, 1, kCurvaturePullWeight).analysis;
        ASSERT_TRUE(a.valid) << c.best;
        for (double v : {a.recommendedCm360, a.lowCm360, a.highCm360, a.wideLowCm360, a.wideHighCm360}) {
            EXPECT_GE(v, 6) << "best " << c.best << " start " << c.start;
            EXPECT_LE(v, 200) << "best " << c.best << " start " << c.start;
        }
        if (c.want > 0) {
            EXPECT_DOUBLE_EQ(a.recommendedCm360, c.want) << c.best;
        }
    }
    // The fallback range of too few resamples is held the same way.
    std::vector<RoundResult> rounds;
    for (double cm : {120.0, 150.0, 190.0, 200.0}) rounds.push_back(synth::exactRound(cm, 6 * cm / 200, 0.7 * cm / 200));
    const AnalysisResult fallback = analyseTest(rounds, {}, 0.5, 0.5, 3, 0);
    ASSERT_TRUE(fallback.valid);
    EXPECT_DOUBLE_EQ(fallback.recommendedCm360, 200);
    EXPECT_DOUBLE_EQ(fallback.highCm360, 200);
    EXPECT_DOUBLE_EQ(fallback.wideHighCm360, 200);
    EXPECT_DOUBLE_EQ(fallback.lowCm360, 170);
}

TEST(AnalyseTestTest, MonotonicPerformanceIsAtTheEdgeAndAtMostMedium) {
    struct Case {
        double power;
        double expected;
    };
    for (const Case& c : {Case{1.5, 40 * 1.67}, Case{-1.5, 40 * 0.6}}) {
        const AnalysisResult a = analyseTest(exactRounds([&](double cm) { return std::pow(cm / 40, c.power); }),
                                             {}, 0.5, 0.5, 3, 400);
        ASSERT_TRUE(a.valid);
        EXPECT_FALSE(a.fit.concave);
        EXPECT_TRUE(a.bestAtEdge);
        EXPECT_NEAR(a.recommendedCm360, c.expected, 1e-9);
        EXPECT_EQ(a.confidence, "Medium");  // a zero-width range, but at the edge
        EXPECT_FALSE(a.hasFlickPeak);
        EXPECT_FALSE(a.hasTrackPeak);
    }
}

// A kind that scored the same in every round (nothing at all, or always the same) has no top
// of its own, however the fit's pull bends its flat line; the other kind keeps its top.
TEST(AnalyseTestTest, FlatScoresHaveNoPeak) {
    struct Case {
        const char* name;
        double flat;     // the score of the flat kind in every round
        bool flatTrack;  // tracking is the flat kind, else flicking
    };
    for (const Case& c : {Case{"no tracking at all", 0.0, true}, Case{"the same tracking everywhere", 0.5, true},
                          Case{"the same flicks everywhere", 1.0, false}}) {
        SCOPED_TRACE(c.name);
        std::vector<RoundResult> rounds;
        for (double m : kStandardSpread) {
            const double cm = 40 * m, peaked = peakedScore(cm, 40);
            rounds.push_back(c.flatTrack ? synth::exactRound(cm, 6 * peaked, c.flat)
                                         : synth::exactRound(cm, 6 * c.flat, 0.7 * peaked));
        }
        const AnalysisResult a = analyseTest(rounds, {}, 0.5, 0.5, 3, 400);
        ASSERT_TRUE(a.valid);
        EXPECT_EQ(a.hasTrackPeak, !c.flatTrack);
        EXPECT_EQ(a.hasFlickPeak, c.flatTrack);
        EXPECT_EQ(c.flatTrack ? a.trackPeakCm360 : a.flickPeakCm360, 0);
        EXPECT_NEAR((c.flatTrack ? a.flickPeakCm360 : a.trackPeakCm360) / 40, 1, 0.04);
    }
}

// Eight rounds whose flicks peak at 40; tracking scored only in the listed rounds (the rest
// 0 %). Tracking has a top of its own only when it scored at three different speeds.
TEST(AnalyseTestTest, AKindPeaksOnlyWhereItScoredAtThreeSpeeds) {
    struct Case {
        const char* name;
        std::vector<size_t> tracked;  // indices into the spread: 0.6 0.77 1.0 1.3 1.67 0.65 0.8 1.0
        bool peak;
    };
    const Case cases[] = {
        {"one round at 4 %", {1}, false},
        {"two rounds", {1, 3}, false},
        {"three rounds at two speeds", {2, 3, 7}, false},
        {"three rounds at three speeds", {1, 2, 3}, true},
        {"every round", {0, 1, 2, 3, 4, 5, 6, 7}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<RoundResult> rounds;
        for (size_t i = 0; i < 8; ++i) {
            const double cm = 40 * kStandardSpread[i];
            const bool tracked = std::find(c.tracked.begin(), c.tracked.end(), i) != c.tracked.end();
            const double track = !tracked ? 0 : c.tracked.size() == 1 ? 0.04 : 0.7 * peakedScore(cm, 40);
            rounds.push_back(synth::exactRound(cm, 6 * peakedScore(cm, 40), track));
        }
        const AnalysisResult a = analyseTest(rounds, {}, 0.5, 0.5, 3, 100);
        ASSERT_TRUE(a.valid);
        EXPECT_TRUE(a.hasFlickPeak);
        EXPECT_EQ(a.hasTrackPeak, c.peak);
        if (c.peak) {
            EXPECT_NEAR(a.trackPeakCm360 / 40, 1, 0.1);
        } else {
            EXPECT_EQ(a.trackPeakCm360, 0);
        }
    }
}

TEST(AnalyseTestTest, FewRoundsHaveNoTrend) {
    const std::vector<RoundResult> five = exactRounds(
        [](double cm) { return peakedScore(cm, 40); }, 5);
    const AnalysisResult a = analyseTest(five, {}, 0.5, 0.5, 3, 50);
    ASSERT_TRUE(a.valid);
    EXPECT_EQ(a.trendPctPerRound, 0);
    EXPECT_EQ(a.fit.tScale, 1);

    // Ten rounds that improve as the test goes on show it.
    std::vector<RoundResult> improving = exactRounds([](double cm) { return peakedScore(cm, 40); });
    for (size_t k = 0; k < improving.size(); ++k) {
        for (TargetRecord& t : improving[k].targets) t.killTime -= 0.01 * static_cast<double>(k);
    }
    EXPECT_GT(analyseTest(improving, {}, 0.5, 0.5, 3, 50).trendPctPerRound, 0.5);
}

TEST(AnalyseTestTest, SameSeedSameResultsSameAnswer) {
    const std::vector<RoundResult> rounds = noisyRounds(noisyPlayer(44), 17);
    const AnalysisResult a = analyseTest(rounds, {}, 0.5, 0.5, 99, 200);
    const AnalysisResult b = analyseTest(rounds, {}, 0.5, 0.5, 99, 200);
    ASSERT_TRUE(a.valid);
    EXPECT_EQ(a.recommendedCm360, b.recommendedCm360);
    EXPECT_EQ(a.lowCm360, b.lowCm360);
    EXPECT_EQ(a.highCm360, b.highCm360);
    EXPECT_EQ(a.wideLowCm360, b.wideLowCm360);
    EXPECT_EQ(a.wideHighCm360, b.wideHighCm360);
    EXPECT_EQ(a.confidence, b.confidence);

    // The seed drives only the resampling: the top stays, the range moves.
    const AnalysisResult c = analyseTest(rounds, {}, 0.5, 0.5, 100, 200);
    EXPECT_EQ(a.fitPeakCm360, c.fitPeakCm360);
    EXPECT_NE(a.lowCm360, c.lowCm360);

    // Seed 0 stands for 12345.
    const AnalysisResult zero = analyseTest(rounds, {}, 0.5, 0.5, 0, 50);
    const AnalysisResult fixed = analyseTest(rounds, {}, 0.5, 0.5, 12345, 50);
    EXPECT_EQ(zero.lowCm360, fixed.lowCm360);
    EXPECT_EQ(zero.highCm360, fixed.highCm360);
}

TEST(AnalyseTestTest, RangesAreOrderedAroundTheRecommendation) {
    for (uint64_t seed = 1; seed <= 5; ++seed) {
        const AnalysisResult a = analyseTest(noisyRounds(noisyPlayer(38), seed), {}, 0.5, 0.5, seed, 200);
        ASSERT_TRUE(a.valid);
        EXPECT_LE(a.wideLowCm360, a.lowCm360);
        EXPECT_LE(a.lowCm360, a.recommendedCm360);
        EXPECT_LE(a.recommendedCm360, a.highCm360);
        EXPECT_LE(a.highCm360, a.wideHighCm360);
        EXPECT_LT(a.lowCm360, a.highCm360);
    }
}

TEST(AnalyseTestTest, ConfidenceFollowsTheWidthOfTheRange) {
    struct Case {
        double targetNoise;
        double segmentNoise;
        const char* confidence;
    };
    const Case cases[] = {{0.02, 0.01, "High"}, {1.2, 0.9, "Low"}};
    for (const Case& c : cases) {
        synth::Player p = noisyPlayer(40);
        p.curvature = 1.0;
        p.targetNoise = c.targetNoise;
        p.segmentNoise = c.segmentNoise;
        const AnalysisResult a = analyseTest(noisyRounds(p, 4), {}, 0.5, 0.5, 4, 200);
        ASSERT_TRUE(a.valid);
        EXPECT_EQ(a.confidence, c.confidence) << c.targetNoise;
    }
}

TEST(AnalyseTestTest, TooFewResamplesFallBackToAFixedRange) {
    for (int32_t resamples : {0, -3, 10}) {
        const AnalysisResult a = analyseTest(noisyRounds(noisyPlayer(44), 2), {}, 0.5, 0.5, 5, resamples);
        ASSERT_TRUE(a.valid);
        const double r = a.fitPeakCm360;
        EXPECT_EQ(a.recommendedCm360, r);
        EXPECT_DOUBLE_EQ(a.lowCm360, 0.85 * r);
        EXPECT_DOUBLE_EQ(a.highCm360, 1.15 * r);
        EXPECT_DOUBLE_EQ(a.wideLowCm360, 0.78 * r);
        EXPECT_DOUBLE_EQ(a.wideHighCm360, 1.25 * r);
        EXPECT_EQ(a.confidence, "Low");
    }
}

TEST(AnalyseTestTest, LandingBlendIsCappedEvenWhenItIsFarMorePrecise) {
    synth::Player p = noisyPlayer(46);
    p.landingCm360 = 34;
    p.landingNoise = 0.002;  // the landings know far more than the scores
    const AnalysisResult a = analyseTest(noisyRounds(p, 9), {}, 0.5, 0.5, 9, 200);
    ASSERT_TRUE(a.valid);
    ASSERT_TRUE(a.hasFlickLanding);
    EXPECT_NEAR(a.flickLandingCm360, 34, 0.5);
    EXPECT_DOUBLE_EQ(a.flickLandingBlend, 0.3);
    EXPECT_NEAR(std::log(a.recommendedCm360),
                0.3 * std::log(a.flickLandingCm360) + 0.7 * std::log(a.fitPeakCm360), 1e-12);

    // Noisier landings get less weight than the cap.
    p.landingNoise = 1.0;
    const AnalysisResult loose = analyseTest(noisyRounds(p, 9), {}, 0.5, 0.5, 9, 200);
    ASSERT_TRUE(loose.valid);
    EXPECT_LT(loose.flickLandingBlend, 0.3);
    EXPECT_GE(loose.flickLandingBlend, 0);
}
