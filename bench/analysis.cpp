// The end-of-test analysis: 400 resamples of a Thorough (14-round) test must stay well under
// 100 ms of CPU, since it runs once on the main thread between the last round and the results.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "engine/kernel/analysis.h"
#include "engine/kernel/rng.h"
#include "engine/kernel/session.h"
#include "tests/engine/kernel/synthetic_rounds.h"

namespace {

// Fourteen rounds the size a Thorough test plays: 20 scored targets, 15 s of tracking.
std::vector<RoundResult> thoroughRounds() {
    synth::Player p;
    p.bestCm360 = 44;
    p.curvature = 0.8;
    p.targetNoise = 0.25;
    p.segmentNoise = 0.15;
    p.landingCm360 = 38;
    Rng rng(2024);
    std::vector<RoundResult> rounds;
    const TestPlan& plan = testPlan(TestThorough);
    for (double m : plan.stageOne) rounds.push_back(synth::playRound(p, 40 * m, rng, 20, 30));
    for (double m : plan.stageTwo) rounds.push_back(synth::playRound(p, 44 * m, rng, 20, 30));
    return rounds;
}

void BM_AnalyseThoroughTest(benchmark::State& state) {
    const std::vector<RoundResult> rounds = thoroughRounds();
    const std::vector<int32_t> stages(rounds.size(), 1);
    for (auto _ : state) {
        AnalysisResult a = analyseTest(rounds, stages, 0.5, 0.5, 77, static_cast<int32_t>(state.range(0)));
        benchmark::DoNotOptimize(a.recommendedCm360);
    }
}
BENCHMARK(BM_AnalyseThoroughTest)->Arg(400)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_FitCurveWholeTest(benchmark::State& state) {
    std::vector<double> xs, ys, ts;
    for (double m : {0.6, 0.77, 1.0, 1.3, 1.67, 0.65, 0.8, 1.0, 1.25, 1.55}) {
        xs.push_back(std::log(40 * m));
        ys.push_back(100 - 40 * std::pow(xs.back() - std::log(44), 2) + (ts.size() % 3));
        ts.push_back(static_cast<double>(ts.size()));
    }
    for (auto _ : state) {
        CurveFit f = fitCurve(xs, ys, ts, true);
        benchmark::DoNotOptimize(f.peakLog);
    }
}
BENCHMARK(BM_FitCurveWholeTest);

}  // namespace
