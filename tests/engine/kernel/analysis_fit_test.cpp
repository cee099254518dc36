#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/kernel/analysis.h"

namespace {

struct Points {
    std::vector<double> xs, ys, ts;
};

// Stage-1 spread of a Standard test around 40 cm/360.
std::vector<double> standardXs(double centre = 40) {
    std::vector<double> xs;
    for (double m : {0.6, 0.77, 1.0, 1.3, 1.67}) xs.push_back(std::log(m * centre));
    return xs;
}

// y = top - k (x - ln peak)^2 + drift x round number.
Points parabola(const std::vector<double>& xs, double peakCm360, double k, double drift = 0) {
    Points p;
    p.xs = xs;
    for (size_t i = 0; i < xs.size(); ++i) {
        const double d = xs[i] - std::log(peakCm360);
        p.ys.push_back(100 - k * d * d + drift * static_cast<double>(i));
        p.ts.push_back(static_cast<double>(i));
    }
    return p;
}

double xMaxOf(const std::vector<double>& xs) { return *std::max_element(xs.begin(), xs.end()); }
double xMinOf(const std::vector<double>& xs) { return *std::min_element(xs.begin(), xs.end()); }

}  // namespace

TEST(FitCurveTest, ParabolaTopIsFound) {
    for (double peak : {28.0, 40.0, 47.0, 60.0}) {
        const Points p = parabola(standardXs(), peak, 40);
        // Without the pull only the tiny diagonal guard stands between the fit and the data.
        const CurveFit exact = fitCurve(p.xs, p.ys, p.ts, false, 0);
        ASSERT_TRUE(exact.ok);
        EXPECT_TRUE(exact.concave);
        EXPECT_FALSE(exact.atEdge);
        EXPECT_NEAR(exact.peakLog, std::log(peak), 1e-4) << peak;
        EXPECT_NEAR(exact.c2, -40, 0.01);
        EXPECT_NEAR(exact.xMean, std::log(40) + (std::log(0.6 * 0.77 * 1.3 * 1.67)) / 5, 1e-12);
        EXPECT_DOUBLE_EQ(exact.xMin, std::log(0.6 * 40));
        EXPECT_DOUBLE_EQ(exact.xMax, std::log(1.67 * 40));
    }
}

TEST(FitCurveTest, CurvaturePullIsWeakAgainstFivePoints) {
    // Five stage-1 points know little about the curvature in these units (percent per
    // ln^2); a strong pull toward -15 flattens a steep curve and pushes its top outward.
    for (double peak : {28.0, 34.0, 47.0, 60.0}) {
        const Points p = parabola(standardXs(), peak, 40);
        const double weak = std::log(std::exp(fitCurve(p.xs, p.ys, p.ts, false).peakLog) / peak);
        const double strong = std::log(std::exp(fitCurve(p.xs, p.ys, p.ts, false, 0.3).peakLog) / peak);
        EXPECT_LT(std::fabs(weak), 0.05) << peak;
        EXPECT_GT(std::fabs(strong), 3 * std::fabs(weak)) << peak;
        EXPECT_GT(weak * std::log(peak / 40), 0) << peak;  // outward, away from the centre
    }
}

TEST(FitCurveTest, MonotonicDataHasItsTopAtTheBetterEnd) {
    struct Case {
        double power;  // y = 100 (cm/40)^power, convex in ln cm/360
        bool high;
    };
    for (const Case& c : {Case{1.5, true}, Case{-1.5, false}}) {
        Points p;
        p.xs = standardXs();
        for (size_t i = 0; i < p.xs.size(); ++i) {
            p.ys.push_back(100 * std::exp(c.power * (p.xs[i] - std::log(40))));
            p.ts.push_back(static_cast<double>(i));
        }
        const CurveFit fit = fitCurve(p.xs, p.ys, p.ts, true);
        ASSERT_TRUE(fit.ok);
        EXPECT_FALSE(fit.concave) << c.power;
        EXPECT_TRUE(fit.atEdge) << c.power;
        EXPECT_DOUBLE_EQ(fit.peakLog, c.high ? xMaxOf(p.xs) : xMinOf(p.xs)) << c.power;
    }
}

TEST(FitCurveTest, VertexBeyondTheRangeIsClampedJustPastTheEnd) {
    const std::vector<double> xs = standardXs();
    const double lo = xMinOf(xs), hi = xMaxOf(xs);
    struct Case {
        double peakLog;
        double expected;
        bool atEdge;
    };
    const Case cases[] = {
        {hi + 0.5, hi + 0.1, true},
        {lo - 0.7, lo - 0.1, true},
        {hi + 0.05, hi + 0.05, false},  // within the margin it stands
    };
    for (const Case& c : cases) {
        const Points p = parabola(xs, std::exp(c.peakLog), 60);
        const CurveFit fit = fitCurve(p.xs, p.ys, p.ts, false, 0);
        ASSERT_TRUE(fit.ok);
        EXPECT_TRUE(fit.concave);
        EXPECT_EQ(fit.atEdge, c.atEdge) << c.peakLog;
        EXPECT_NEAR(fit.peakLog, c.expected, 1e-4) << c.peakLog;
    }
}

TEST(FitCurveTest, TrendTermNeedsSixPointsAndSpreadRounds) {
    // A whole test in play order: both stages shuffled.
    std::vector<double> xs;
    for (double m : {1.3, 0.6, 1.67, 1.0, 0.77, 1.0, 0.65, 1.55, 0.8, 1.25}) xs.push_back(std::log(m * 40));
    struct Case {
        size_t n;
        bool useTrend;
        bool sameRound;  // every point carries the same round number
        bool trend;
    };
    const Case cases[] = {
        {5, true, false, false}, {6, true, false, true}, {10, true, false, true},
        {10, false, false, false}, {10, true, true, false},
    };
    for (const Case& c : cases) {
        const std::vector<double> sub(xs.begin(), xs.begin() + static_cast<std::ptrdiff_t>(c.n));
        Points p = parabola(sub, 44, 40, 2.0);
        if (c.sameRound) p.ts.assign(c.n, 3.0);
        const CurveFit fit = fitCurve(p.xs, p.ys, p.ts, c.useTrend);
        ASSERT_TRUE(fit.ok);
        if (c.trend) {
            double sd = 0;
            const double mean = (static_cast<double>(c.n) - 1) / 2;
            for (double t : p.ts) sd += (t - mean) * (t - mean);
            sd = std::sqrt(sd / static_cast<double>(c.n - 1));
            EXPECT_NEAR(fit.tScale, sd, 1e-12) << c.n;
            EXPECT_NEAR(fit.tMean, mean, 1e-12);
            EXPECT_GT(fit.trendCoef / fit.tScale, 1.0) << c.n;  // 2 per round, shrunk a little
            EXPECT_LT(fit.trendCoef / fit.tScale, 2.2) << c.n;
        } else {
            EXPECT_EQ(fit.trendCoef, 0) << c.n;
            EXPECT_EQ(fit.tScale, 1) << c.n;
        }
    }
}

TEST(FitCurveTest, DriftAndOutliersDoNotMoveTheTop) {
    std::vector<double> xs = standardXs();
    for (double m : {0.8, 1.0, 1.25, 0.65, 1.55}) xs.push_back(std::log(m * 40));
    // Improving 1.5 points per round.
    const Points drifting = parabola(xs, 44, 40, 1.5);
    EXPECT_NEAR(std::exp(fitCurve(drifting.xs, drifting.ys, drifting.ts, true).peakLog) / 44, 1, 0.03);

    // One wild round inside the range: the robust weights keep it from deciding.
    Points wild = parabola(xs, 44, 40);
    wild.ys[3] += 40;  // at 40 * 1.3
    const CurveFit robust = fitCurve(wild.xs, wild.ys, wild.ts, true);
    EXPECT_NEAR(std::exp(robust.peakLog) / 44, 1, 0.03);
}

TEST(FitCurveTest, TooFewPointsFail) {
    const CurveFit none = fitCurve({}, {}, {}, true);
    EXPECT_FALSE(none.ok);
    EXPECT_EQ(none.tScale, 1);
    const CurveFit two = fitCurve({3.0, 3.5}, {90, 100}, {0, 1}, true);
    EXPECT_FALSE(two.ok);
    EXPECT_EQ(two.peakLog, 0);
    EXPECT_TRUE(fitCurve({3.0, 3.5, 3.2}, {90, 100, 97}, {0, 1, 2}, true).ok);
}

TEST(FitScoresTest, ModesPickTheirScore) {
    std::vector<RoundMetrics> list;
    for (double cm : {24.0, 31.0, 40.0, 52.0, 67.0}) {
        RoundMetrics m;
        m.cm360 = cm;
        const double d = std::log(cm / 30);
        const double e = std::log(cm / 55);
        m.flickPct = 100 - 50 * d * d;
        m.trackPct = 100 - 50 * e * e;
        m.performance = 0.5 * (m.flickPct + m.trackPct);
        m.roundNumber = static_cast<int32_t>(list.size());
        list.push_back(m);
    }
    EXPECT_NEAR(std::exp(fitScores(list, FitFlick).peakLog), 30, 1.0);
    EXPECT_NEAR(std::exp(fitScores(list, FitTrack).peakLog), 55, 55 * 0.05);
    EXPECT_NEAR(std::exp(fitScores(list, FitPerformance).peakLog), std::sqrt(30.0 * 55.0), 1.5);
}
