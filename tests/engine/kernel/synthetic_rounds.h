#pragma once
// Hand-built round results with exactly chosen scores, and synthetic players whose scores
// peak at a known cm/360. Shared by the analysis tests, the recovery test and its benchmark.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/kernel/drill_round.h"
#include "engine/kernel/rng.h"
#include "engine/kernel/session.h"

namespace synth {

// Every scored target: 20 degrees away, radius 1, one shot that kills it.
inline constexpr double kTargetDistance = 20;
inline constexpr double kTargetRadius = 1;
inline const double kTargetId = std::log2(1 + kTargetDistance / (2 * kTargetRadius));

struct RoundSpec {
    double cm360 = 35;
    std::vector<double> moveSeconds;  // one scored target each: reaction to kill
    std::vector<double> onRatios;     // one 0.5 s tracking segment each
    std::vector<double> landingRatios;  // optional, one per target (0 = not measured)
};

inline RoundResult buildRound(const RoundSpec& shape) {
    RoundResult r;
    r.config.cm360 = shape.cm360;
    double t = 3;
    for (std::size_t i = 0; i < shape.moveSeconds.size(); ++i) {
        TargetRecord rec;
        rec.scored = true;
        rec.distance = kTargetDistance;
        rec.radius = kTargetRadius;
        rec.spawnTime = t;
        rec.reactionTime = t + 0.2;
        rec.killTime = rec.reactionTime + shape.moveSeconds[i];
        rec.killed = true;
        rec.shots = 1;
        rec.firstShot = 0;
        if (i < shape.landingRatios.size() && shape.landingRatios[i] > 0) {
            rec.landingRatio = shape.landingRatios[i];
            rec.isFar = true;
        }
        r.targets.push_back(rec);
        t = rec.killTime;
    }
    for (double on : shape.onRatios) {
        TrackSegment s;
        s.duration = 0.5;
        s.onTarget = 0.5 * on;
        s.nearCredit = 0.5 * on;  // so the tracking score equals the ratio
        s.errorIntegral = 0.5 * (1 - on);
        r.segments.push_back(s);
    }
    return r;
}

// A round whose flick score is `flickScore` bits/s and whose tracking score is `trackScore`,
// with `targets` identical targets and `segments` identical segments.
inline RoundResult exactRound(double cm360, double flickScore, double trackScore, int targets = 8,
                              int segments = 8) {
    RoundSpec shape;
    shape.cm360 = cm360;
    shape.moveSeconds.assign(static_cast<std::size_t>(targets), kTargetId / flickScore);
    shape.onRatios.assign(static_cast<std::size_t>(segments), trackScore);
    return buildRound(shape);
}

// A player whose flick and tracking scores fall off as exp(-k d^2), d = ln(cm360 / best).
struct Player {
    double bestCm360 = 40;
    double curvature = 0.5;   // k; performance in percent then curves by about -100 k
    double targetNoise = 0;   // lognormal sd of each target's movement time
    double segmentNoise = 0;  // lognormal sd of each segment's on-target ratio
    // First flicks land on target at this cm/360 (a hand used to it); 0 = no landings.
    double landingCm360 = 0;
    double landingNoise = 0.15;
};

inline double gaussian(Rng& rng) {
    const double u1 = rng.uniform();
    const double u2 = rng.uniform();
    return std::sqrt(-2 * std::log(std::max(u1, 1e-12))) * std::cos(2 * 3.14159265358979323846 * u2);
}

inline RoundResult playRound(const Player& p, double cm360, Rng& rng, int targets = 16, int segments = 24) {
    const double d = std::log(cm360 / p.bestCm360);
    const double factor = std::exp(-p.curvature * d * d);
    RoundSpec shape;
    shape.cm360 = cm360;
    for (int i = 0; i < targets; ++i) {
        shape.moveSeconds.push_back(0.6 / factor * std::exp(p.targetNoise * gaussian(rng)));
        if (p.landingCm360 > 0)
            shape.landingRatios.push_back(p.landingCm360 / cm360 * std::exp(p.landingNoise * gaussian(rng)));
    }
    for (int i = 0; i < segments; ++i)
        shape.onRatios.push_back(std::min(1.0, 0.6 * factor * std::exp(p.segmentNoise * gaussian(rng))));
    return buildRound(shape);
}

struct TestOutcome {
    AnalysisResult analysis;
    double stageTwoCentre = 0;  // what stage 1 alone picked
};

// A whole Standard test centred at `startCm360`: stage 1, stage 2 around pickStageOneBest,
// then the analysis.
inline TestOutcome runTest(const Player& p, double startCm360, uint64_t seed, double curvaturePull,
                           int resamples = 400) {
    SessionConfig cfg;
    cfg.startCm360 = startCm360;
    cfg.length = TestStandard;
    cfg.warmUp = false;
    cfg.seed = seed;
    TestSession session;
    startSession(session, cfg);
    Rng rng(seed * 7 + 3);
    while (session.nextRound < static_cast<int32_t>(session.rounds.size())) {
        const double cm = session.rounds[static_cast<std::size_t>(session.nextRound)].cm360;
        recordRound(session, playRound(p, cm, rng), curvaturePull);
    }
    return {runAnalysis(session, resamples, curvaturePull), session.stageTwoCentre};
}

inline double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// The recovery study: players with known bests inside and near the edges of a test centred
// at 40 cm/360 (stage 1 spans 24..66.8), steep and shallow, each through a whole test.
inline constexpr double kStudyCentre = 40;
inline const std::vector<double> kStudyBests = {26, 32, 40, 50, 62};
inline const std::vector<double> kStudyCurvatures = {1.5, 0.3};  // steep, shallow

struct RecoveryStats {
    std::vector<double> errors;          // |ln(recommended / best)|
    std::vector<double> stageOneErrors;  // |ln(stage-2 centre / best)|
    int inRange = 0;                     // likely range holds the best
    int runs() const { return static_cast<int>(errors.size()); }
};

inline Player studyPlayer(double best, double curvature, bool noisy) {
    Player p;
    p.bestCm360 = best;
    p.curvature = curvature;
    if (noisy) {
        p.targetNoise = 0.25;
        p.segmentNoise = 0.15;
    }
    return p;
}

// Every player and run draws its own noise and shuffles.
inline uint64_t studySeed(uint64_t player, int run) {
    return player * 1000003 + static_cast<uint64_t>(run) * 7919 + 1;
}

inline RecoveryStats recoveryStudy(double curvaturePull, bool noisy, int seedsPerPlayer,
                                   const std::vector<double>& curvatures = kStudyCurvatures) {
    RecoveryStats out;
    uint64_t player = 0;
    for (double k : curvatures) {
        for (double best : kStudyBests) {
            ++player;
            const Player p = studyPlayer(best, k, noisy);
            for (int s = 0; s < seedsPerPlayer; ++s) {
                const TestOutcome t = runTest(p, kStudyCentre, studySeed(player, s), curvaturePull);
                out.errors.push_back(std::fabs(std::log(t.analysis.recommendedCm360 / best)));
                out.stageOneErrors.push_back(std::fabs(std::log(t.stageTwoCentre / best)));
                if (t.analysis.lowCm360 <= best && best <= t.analysis.highCm360) out.inRange += 1;
            }
        }
    }
    return out;
}

// The tail table: true bests against stage 1's range (24..66.8 for a test centred at 40):
// well inside, near its ends and just outside it.
struct TableBest {
    double cm360;
    const char* where;
};
inline const std::vector<TableBest> kTableBests = {{21, "outside"}, {26, "near end"}, {32, "inside"},
                                                   {40, "inside"},  {50, "inside"},   {62, "near end"},
                                                   {76, "outside"}};

struct RunOutcome {
    double signedError = 0;  // ln(recommended / best)
    bool inLikely = false;   // the likely range holds the best
    bool inWide = false;     // the wider range does
};

// `seeds` whole tests of one player; `player` keeps different players' runs apart.
inline std::vector<RunOutcome> playerRuns(double best, double curvature, bool noisy, int seeds, uint64_t player) {
    std::vector<RunOutcome> out;
    const Player p = studyPlayer(best, curvature, noisy);
    for (int s = 0; s < seeds; ++s) {
        const AnalysisResult a = runTest(p, kStudyCentre, studySeed(player, s), kCurvaturePullWeight).analysis;
        out.push_back({std::log(a.recommendedCm360 / best), a.lowCm360 <= best && best <= a.highCm360,
                       a.wideLowCm360 <= best && best <= a.wideHighCm360});
    }
    return out;
}

// Linear interpolation between ranks, as the likely range takes its percentiles.
inline double quantile(std::vector<double> v, double f) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const double s = static_cast<double>(v.size() - 1) * f;
    const std::size_t i = static_cast<std::size_t>(s);
    if (i + 1 >= v.size()) return v.back();
    return (s - static_cast<double>(i)) * v[i + 1] + (1 - (s - static_cast<double>(i))) * v[i];
}

struct TailSummary {
    int runs = 0;
    double median = 0, p90 = 0, p95 = 0;  // of |ln(recommended / best)|
    double likelyCover = 0, wideCover = 0;  // shares of runs
    double bias = 0;  // mean ln(recommended / best)
};

inline TailSummary summarise(const std::vector<RunOutcome>& runs) {
    TailSummary t;
    t.runs = static_cast<int>(runs.size());
    if (runs.empty()) return t;
    std::vector<double> errors;
    for (const RunOutcome& r : runs) {
        errors.push_back(std::fabs(r.signedError));
        t.likelyCover += r.inLikely;
        t.wideCover += r.inWide;
        t.bias += r.signedError;
    }
    t.median = quantile(errors, 0.5);
    t.p90 = quantile(errors, 0.9);
    t.p95 = quantile(errors, 0.95);
    t.likelyCover /= t.runs;
    t.wideCover /= t.runs;
    t.bias /= t.runs;
    return t;
}

}  // namespace synth
