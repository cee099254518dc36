#include "engine/kernel/analysis.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "core/catalog/catalog.h"
#include "engine/kernel/rng.h"

namespace {

constexpr int kMaxUnknowns = 4;
constexpr int kRobustPasses = 8;
constexpr double kTrendRidge = 2.0;  // keeps the drift term from soaking up the curve
constexpr double kPeakMargin = 0.1;  // how far past the tested range a top may lie (ln units)
constexpr int kMinPeaks = 20;        // fewer successful resamples give the fixed fallback range
constexpr double kMaxLandingBlend = 0.3;

using Matrix = std::array<std::array<double, kMaxUnknowns>, kMaxUnknowns>;
using Vector = std::array<double, kMaxUnknowns>;

// Gaussian elimination with partial pivoting; false on a (near) singular system.
bool solve(Matrix a, Vector b, int n, Vector& out) {
    for (int col = 0; col < n; ++col) {
        int pivot = col;
        for (int row = col + 1; row < n; ++row) {
            if (std::fabs(a[row][col]) > std::fabs(a[pivot][col])) pivot = row;
        }
        if (std::fabs(a[pivot][col]) < 1e-12) return false;
        std::swap(a[pivot], a[col]);
        std::swap(b[pivot], b[col]);
        for (int row = col + 1; row < n; ++row) {
            const double f = a[row][col] / a[col][col];
            for (int k = col; k < n; ++k) a[row][k] -= f * a[col][k];
            b[row] -= f * b[col];
        }
    }
    for (int row = n - 1; row >= 0; --row) {
        double s = b[row];
        for (int k = row + 1; k < n; ++k) s -= a[row][k] * out[k];
        out[row] = s / a[row][row];
    }
    return true;
}

double mean(const std::vector<double>& v) {
    double s = 0;
    for (double x : v) s += x;
    return v.empty() ? 0 : s / static_cast<double>(v.size());
}

double sampleVariance(const std::vector<double>& v) {
    if (v.size() < 2) return 0;
    const double m = mean(v);
    double s = 0;
    for (double x : v) s += (x - m) * (x - m);
    return s / static_cast<double>(v.size() - 1);
}

// Linear interpolation between ranks of sorted values.
double percentile(const std::vector<double>& sorted, double f) {
    const std::size_t n = sorted.size();
    if (n == 0) return 0;
    const double s = static_cast<double>(n - 1) * f;
    const std::size_t i = static_cast<std::size_t>(std::floor(s));
    if (i + 1 < n) {
        const double frac = s - static_cast<double>(i);
        return frac * sorted[i + 1] + (1 - frac) * sorted[i];
    }
    return sorted[n - 1];
}

// Whether the values the fit of one kind sees differ between the rounds (by more than
// rounding): its percentages, which are all 100 when that kind scored nothing anywhere.
bool scoresVary(const std::vector<RoundMetrics>& list, int32_t mode) {
    if (list.empty()) return false;
    auto score = [mode](const RoundMetrics& m) { return mode == FitFlick ? m.flickPct : m.trackPct; };
    double low = score(list.front()), high = low;
    for (const RoundMetrics& m : list) {
        low = std::min(low, score(m));
        high = std::max(high, score(m));
    }
    return high - low > 1e-9 * std::max(1.0, std::fabs(high));
}

// Whether the rounds give one kind's own curve something to fit: at least three rounds of
// it scored above zero, at three different cm/360. A quadratic needs three points to place
// a top; with fewer, the rounds that scored nothing and the pull toward a curvature would
// make one up (one round at 4 % tracking among zeros "peaked" far from that round).
bool scoredAtThreeSpeeds(const std::vector<RoundMetrics>& list, int32_t mode) {
    std::vector<double> speeds;
    for (const RoundMetrics& m : list)
        if ((mode == FitFlick ? m.flickScore : m.trackScore) > 0) speeds.push_back(m.cm360);
    std::sort(speeds.begin(), speeds.end());
    int distinct = 0;
    for (std::size_t i = 0; i < speeds.size(); ++i)
        if (i == 0 || speeds[i] - speeds[i - 1] > 1e-9 * speeds[i]) ++distinct;
    return distinct >= 3;
}

// A kind's own top: its fit is a proper maximum inside the tested range, and its rounds
// support one (above zero at three speeds, and not all the same).
bool kindHasPeak(const CurveFit& fit, const std::vector<RoundMetrics>& list, int32_t mode) {
    return fit.ok && fit.concave && !fit.atEdge && scoredAtThreeSpeeds(list, mode) && scoresVary(list, mode);
}

std::vector<RoundMetrics> metricsOf(const std::vector<RoundResult>& results, Rng* rng) {
    std::vector<RoundMetrics> list;
    list.reserve(results.size());
    for (std::size_t k = 0; k < results.size(); ++k) {
        list.push_back(roundMetrics(results[k], rng));
        list.back().roundNumber = static_cast<int32_t>(k);
    }
    return list;
}

}  // namespace

CurveFit fitCurve(const std::vector<double>& xs, const std::vector<double>& ys,
                  const std::vector<double>& roundNumbers, bool useTrend, double curvaturePull) {
    CurveFit fit;
    const std::size_t n = std::min({xs.size(), ys.size(), roundNumbers.size()});
    if (n < 3) return fit;
    const double count = static_cast<double>(n);

    double xSum = 0, tSum = 0;
    fit.xMin = fit.xMax = xs[0];
    for (std::size_t i = 0; i < n; ++i) {
        xSum += xs[i];
        tSum += roundNumbers[i];
        fit.xMin = std::min(fit.xMin, xs[i]);
        fit.xMax = std::max(fit.xMax, xs[i]);
    }
    fit.xMean = xSum / count;
    fit.tMean = tSum / count;
    double tSd = 0;
    {
        double ss = 0;
        for (std::size_t i = 0; i < n; ++i) ss += (roundNumbers[i] - fit.tMean) * (roundNumbers[i] - fit.tMean);
        tSd = std::sqrt(ss / (count - 1));
    }
    const bool trend = useTrend && n > 5 && tSd > 1e-9;
    fit.tScale = trend ? tSd : 1;
    const int unknowns = trend ? 4 : 3;

    std::vector<std::array<double, kMaxUnknowns>> rows(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double d = xs[i] - fit.xMean;
        rows[i] = {1.0, d, d * d, trend ? (roundNumbers[i] - fit.tMean) / fit.tScale : 0.0};
    }

    std::vector<double> w(n, 1.0), absResidual(n, 0.0);
    Vector c{};
    for (int pass = 0; pass < kRobustPasses; ++pass) {
        Matrix a{};
        Vector b{};
        for (std::size_t i = 0; i < n; ++i) {
            for (int r = 0; r < unknowns; ++r) {
                b[r] += w[i] * rows[i][r] * ys[i];
                for (int k = 0; k < unknowns; ++k) a[r][k] += w[i] * rows[i][r] * rows[i][k];
            }
        }
        for (int r = 0; r < unknowns; ++r) a[r][r] += 1e-6;
        if (trend) a[3][3] += kTrendRidge;
        a[2][2] += curvaturePull;
        b[2] += curvaturePull * kCurvaturePullTarget;
        if (!solve(a, b, unknowns, c)) return fit;

        for (std::size_t i = 0; i < n; ++i) {
            double fitted = 0;
            for (int k = 0; k < unknowns; ++k) fitted += c[k] * rows[i][k];
            absResidual[i] = std::fabs(ys[i] - fitted);
        }
        const double sigma = 1.4826 * medianOfVector(absResidual);
        if (sigma < 1e-9) break;
        for (std::size_t i = 0; i < n; ++i)
            w[i] = absResidual[i] <= 1.5 * sigma ? 1.0 : 1.5 * sigma / absResidual[i];
    }

    fit.ok = true;
    fit.c0 = c[0];
    fit.c1 = c[1];
    fit.c2 = c[2];
    fit.trendCoef = trend ? c[3] : 0;

    const double lo = fit.xMin - fit.xMean, hi = fit.xMax - fit.xMean;
    double top;
    if (fit.c2 < -1e-9) {
        fit.concave = true;
        top = -fit.c1 / (2 * fit.c2);
        if (top < lo - kPeakMargin) {
            top = lo - kPeakMargin;
            fit.atEdge = true;
        }
        if (top > hi + kPeakMargin) {
            top = hi + kPeakMargin;
            fit.atEdge = true;
        }
    } else {
        // No top inside: the better end of the range.
        fit.atEdge = true;
        top = (fit.c1 * hi + fit.c2 * hi * hi <= fit.c1 * lo + fit.c2 * lo * lo) ? lo : hi;
    }
    fit.peakLog = top + fit.xMean;
    return fit;
}

CurveFit fitScores(const std::vector<RoundMetrics>& list, int32_t mode, double curvaturePull) {
    std::vector<double> xs, ys, ts;
    xs.reserve(list.size());
    ys.reserve(list.size());
    ts.reserve(list.size());
    for (const RoundMetrics& m : list) {
        xs.push_back(std::log(m.cm360));
        ys.push_back(mode == FitFlick ? m.flickPct : mode == FitTrack ? m.trackPct : m.performance);
        ts.push_back(m.roundNumber);
    }
    return fitCurve(xs, ys, ts, true, curvaturePull);
}

double pickStageOneBest(const std::vector<RoundResult>& stageOneResults, double flickWeight,
                        double trackWeight, double curvaturePull) {
    if (stageOneResults.empty()) return 35;
    const double first = stageOneResults.front().config.cm360;
    if (stageOneResults.size() <= 2) return first;
    std::vector<RoundMetrics> list = metricsOf(stageOneResults, nullptr);
    normaliseScores(list, flickWeight, trackWeight);
    const CurveFit fit = fitScores(list, FitPerformance, curvaturePull);
    if (!fit.ok) return first;
    // A stage 1 with no top at all says the best lies at or past its better end, at least as
    // surely as a top found past that end does; stage 2 goes just as far out. Centred on the
    // end itself, stage 2 would sit mostly on the wrong side of such a best and pull the
    // final top well past it.
    if (!fit.concave) {
        const bool highEnd = fit.peakLog > 0.5 * (fit.xMin + fit.xMax);
        return std::exp(highEnd ? fit.xMax + kPeakMargin : fit.xMin - kPeakMargin);
    }
    return std::exp(fit.peakLog);
}

AnalysisResult analyseTest(const std::vector<RoundResult>& results,
                           const std::vector<int32_t>& stages, double flickWeight,
                           double trackWeight, uint64_t seed, int32_t resamples,
                           double curvaturePull) {
    AnalysisResult out;
    out.flickWeight = flickWeight;
    out.trackWeight = trackWeight;
    out.rounds = metricsOf(results, nullptr);
    for (std::size_t k = 0; k < out.rounds.size(); ++k) out.rounds[k].stage = k < stages.size() ? stages[k] : 1;
    if (out.rounds.size() < 3) return out;

    normaliseScores(out.rounds, flickWeight, trackWeight);
    out.fit = fitScores(out.rounds, FitPerformance, curvaturePull);
    if (!out.fit.ok) return out;

    out.valid = true;
    out.bestAtEdge = out.fit.atEdge;
    out.fitPeakCm360 = std::exp(out.fit.peakLog);
    if (out.fit.tScale > 0) out.trendPctPerRound = out.fit.trendCoef / out.fit.tScale;

    // A kind whose scores are the same in every round (all 0 %, say), or that scored at fewer
    // than three speeds, has no top: the fit's pull toward a curvature would make one up.
    const CurveFit flick = fitScores(out.rounds, FitFlick, curvaturePull);
    if (kindHasPeak(flick, out.rounds, FitFlick)) {
        out.hasFlickPeak = true;
        out.flickPeakCm360 = std::exp(flick.peakLog);
    }
    const CurveFit track = fitScores(out.rounds, FitTrack, curvaturePull);
    if (kindHasPeak(track, out.rounds, FitTrack)) {
        out.hasTrackPeak = true;
        out.trackPeakCm360 = std::exp(track.peakLog);
    }

    const WeightedStats landing = weightedStats(out.rounds, out.fit.xMin, out.fit.xMax);
    out.hasFlickLanding = landing.ok;
    out.flickLandingCm360 = landing.ok ? std::exp(landing.value) : 0;

    // Bootstrap: refit on resampled targets and segments of every round.
    std::vector<double> peaks, landings;
    std::vector<bool> landingOk;
    const std::size_t passes = resamples > 0 ? static_cast<std::size_t>(resamples) : 0;
    peaks.reserve(passes);
    landings.reserve(passes);
    landingOk.reserve(passes);
    Rng rng(seed != 0 ? seed : 12345);
    for (std::size_t pass = 0; pass < passes; ++pass) {
        std::vector<RoundMetrics> list = metricsOf(results, &rng);
        normaliseScores(list, flickWeight, trackWeight);
        const CurveFit f = fitScores(list, FitPerformance, curvaturePull);
        if (!f.ok) continue;
        peaks.push_back(f.peakLog);
        const WeightedStats s = weightedStats(list, f.xMin, f.xMax);
        landings.push_back(s.ok ? s.value : 0);
        landingOk.push_back(s.ok);
    }

    if (static_cast<int>(peaks.size()) < kMinPeaks) {
        const double r = clampCm360(out.fitPeakCm360);
        out.recommendedCm360 = r;
        out.lowCm360 = clampCm360(0.85 * r);
        out.highCm360 = clampCm360(1.15 * r);
        out.wideLowCm360 = clampCm360(0.78 * r);
        out.wideHighCm360 = clampCm360(1.25 * r);
        out.confidence = "Low";
        return out;
    }

    // Blend in the landing estimate by inverse variance, capped.
    double blend = 0;
    const double varP = sampleVariance(peaks);
    std::vector<double> flagged;
    for (std::size_t i = 0; i < landings.size(); ++i) {
        if (landingOk[i]) flagged.push_back(landings[i]);
    }
    if (out.hasFlickLanding && static_cast<double>(flagged.size()) >= 0.7 * static_cast<double>(peaks.size()) &&
        varP > 1e-12) {
        const double varL = flagged.size() == 1 ? 1e-9 : std::max(1e-9, sampleVariance(flagged));
        const double weight = (1 / varL) / (1 / varP + 1 / varL);
        blend = std::min(kMaxLandingBlend, weight);
    }
    out.flickLandingBlend = blend;
    double q = std::log(out.fitPeakCm360);
    if (blend > 0) q = blend * std::log(out.flickLandingCm360) + (1 - blend) * q;
    // The recommendation and its ranges are held to the cm/360 the program supports: a top
    // up to 0.1 (in ln units) past a range that already reaches 6 or 200 would lie outside.
    out.recommendedCm360 = clampCm360(std::exp(q));

    std::vector<double> v(peaks.size());
    for (std::size_t i = 0; i < peaks.size(); ++i)
        v[i] = (blend > 0 && landingOk[i]) ? (1 - blend) * peaks[i] + blend * landings[i] : peaks[i];
    const double median = medianOfVector(v);
    std::sort(v.begin(), v.end());
    const double p16 = percentile(v, 0.16), p84 = percentile(v, 0.84);
    out.lowCm360 = clampCm360(std::exp(q + p16 - median));
    out.highCm360 = clampCm360(std::exp(q + p84 - median));
    out.wideLowCm360 = clampCm360(std::exp(q + percentile(v, 0.05) - median));
    out.wideHighCm360 = clampCm360(std::exp(q + percentile(v, 0.95) - median));

    // ln(high / low), taken in log units so a width on the boundary is not lost to rounding.
    const double width = p84 - p16;
    if (width <= 0.14)
        out.confidence = out.bestAtEdge ? "Medium" : "High";
    else if (width <= 0.28)
        out.confidence = "Medium";
    else
        out.confidence = "Low";
    return out;
}
