// How well whole tests recover a known best cm/360, for the old curvature pull weight (0.3)
// and the one in use. Prints a table of median and worst |ln(recommended / best)| over
// synthetic players (bests inside and near the edges of the tested range, steep and shallow
// curves, with and without noise on targets and segments).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

#include "engine/analysis.h"
#include "tests/engine/synthetic_rounds.h"

namespace {

constexpr int kNoisySeeds = 20;

double worst(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

void printRow(double weight, bool noisy, double curvature) {
    const synth::RecoveryStats s = synth::recoveryStudy(weight, noisy, noisy ? kNoisySeeds : 1, {curvature});
    char inRange[16] = "    -";  // a noise-free range has no width
    if (noisy) std::snprintf(inRange, sizeof inRange, "%5.0f%%", 100.0 * s.inRange / s.runs());
    std::printf("%6.2f  %-10s %-8s %5d   %6.1f%% %6.1f%%    %6.1f%% %6.1f%%    %s\n", weight,
                noisy ? "noisy" : "noise-free", curvature > 1 ? "steep" : "shallow", s.runs(),
                100 * synth::median(s.errors), 100 * worst(s.errors), 100 * synth::median(s.stageOneErrors),
                100 * worst(s.stageOneErrors), inRange);
}

void BM_RecoveryTable(benchmark::State& state) {
    for (auto _ : state) {
        std::printf("\nRecovery of a known best cm/360 (tests centred at %.0f; errors are |ln(found / best)|)\n",
                    synth::kStudyCentre);
        std::printf("weight  players    curve     runs   final: median  worst  stage 1: median  worst  in range\n");
        for (double weight : {0.3, kCurvaturePullWeight})
            for (bool noisy : {false, true})
                for (double k : synth::kStudyCurvatures) printRow(weight, noisy, k);
        std::printf("\n");
    }
}
BENCHMARK(BM_RecoveryTable)->Iterations(1)->Unit(benchmark::kMillisecond);

// The cost of one whole study at a weight, with its figures as counters.
void BM_RecoveryStudy(benchmark::State& state) {
    const double weight = static_cast<double>(state.range(0)) / 1000;
    synth::RecoveryStats s;
    for (auto _ : state) s = synth::recoveryStudy(weight, true, 4);
    state.counters["median_err_pct"] = 100 * synth::median(s.errors);
    state.counters["worst_err_pct"] = 100 * worst(s.errors);
    state.counters["in_range_pct"] = 100.0 * s.inRange / s.runs();
}
BENCHMARK(BM_RecoveryStudy)->Arg(300)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
