#pragma once
// The outcome of a test: per-round performance fitted against ln(cm/360) with a robust
// quadratic that also absorbs a drift over the rounds; its top is the recommendation, and a
// bootstrap over each round's targets and tracking segments gives the likely range and the
// confidence.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/kernel/drill_round.h"
#include "engine/kernel/metrics.h"

// Every fit is pulled weakly toward a curvature of -15 (performance in percent per
// (ln cm/360)^2) so that a few rounds still give a top. The data's own curvature
// information in these units is only about 0.06..0.2 for a whole test, so the weight must
// stay well below that or the pull, not the player, decides where the top lies.
inline constexpr double kCurvaturePullWeight = 0.01;
inline constexpr double kCurvaturePullTarget = -15.0;

struct CurveFit {
    bool ok = false;
    bool concave = false;  // the quadratic term is negative
    bool atEdge = false;   // the top was clamped to, or lies at, an end of the tested range
    double xMean = 0;
    double c0 = 0, c1 = 0, c2 = 0;  // of 1, (x - xMean), (x - xMean)^2; x = ln(cm/360)
    double trendCoef = 0;  // of the standardised round number
    double tMean = 0;
    double tScale = 1;  // sample sd of the round numbers; 1 without the trend term
    double peakLog = 0;
    double xMin = 0, xMax = 0;
};

struct AnalysisResult {
    bool valid = false;
    // The recommendation and both ranges lie within 6..200 cm/360, as every derived one does.
    double recommendedCm360 = 0;
    double lowCm360 = 0, highCm360 = 0;          // likely range (16th..84th percentile)
    double wideLowCm360 = 0, wideHighCm360 = 0;  // wide range (5th..95th)
    double fitPeakCm360 = 0;
    double flickLandingCm360 = 0;  // where first flicks land on target; 0 without an estimate
    bool hasFlickLanding = false;
    double flickLandingBlend = 0;  // 0..0.3
    double flickPeakCm360 = 0, trackPeakCm360 = 0;
    bool hasFlickPeak = false, hasTrackPeak = false;
    double trendPctPerRound = 0;  // percentage points per round
    std::string confidence;       // "High", "Medium", "Low"; empty when not valid
    bool bestAtEdge = false;
    double flickWeight = 0, trackWeight = 0;
    std::vector<RoundMetrics> rounds;  // recording order
    CurveFit fit;
};

enum FitMode : int32_t { FitPerformance = 0, FitFlick = 1, FitTrack = 2 };

// Robust quadratic in x with an optional drift term over the round numbers.
CurveFit fitCurve(const std::vector<double>& xs, const std::vector<double>& ys,
                  const std::vector<double>& roundNumbers, bool useTrend,
                  double curvaturePull = kCurvaturePullWeight);
// x = ln(cm360); y = performance, flickPct or trackPct by mode; with the drift term.
CurveFit fitScores(const std::vector<RoundMetrics>& list, int32_t mode,
                   double curvaturePull = kCurvaturePullWeight);
// The cm/360 stage 2 centres on.
double pickStageOneBest(const std::vector<RoundResult>& stageOneResults, double flickWeight,
                        double trackWeight, double curvaturePull = kCurvaturePullWeight);
// The whole analysis; `stages` may be shorter than `results` (missing stages count as 1).
AnalysisResult analyseTest(const std::vector<RoundResult>& results,
                           const std::vector<int32_t>& stages, double flickWeight,
                           double trackWeight, uint64_t seed, int32_t resamples,
                           double curvaturePull = kCurvaturePullWeight);
