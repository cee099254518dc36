// How well whole tests recover a known best cm/360. The first table compares the old
// curvature pull weight (0.3) with the one in use: median and worst |ln(recommended / best)|
// over synthetic players (bests inside and near the edges of the tested range, steep and
// shallow curves, with and without noise on targets and segments). The second is the tail
// at the weight in use, per player kind and true best: error percentiles, how often the
// likely and the wider range hold the best, and the signed bias. Seeded: a re-run prints the
// same figures.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

#include "engine/kernel/analysis.h"
#include "tests/engine/kernel/synthetic_rounds.h"

namespace {

constexpr int kNoisySeeds = 20;
// The tail table: enough runs per true best for a 95th percentile.
constexpr int kTailNoisySeeds = 100;
constexpr int kTailNoiseFreeSeeds = 20;  // only the shuffles differ

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

void printTailRow(const char* kind, const char* best, const char* where, const synth::TailSummary& t,
                  bool noisy) {
    char likely[16] = "    -", wide[16] = "    -";  // a noise-free range has no width
    if (noisy) {
        std::snprintf(likely, sizeof likely, "%4.0f%%", 100 * t.likelyCover);
        std::snprintf(wide, sizeof wide, "%4.0f%%", 100 * t.wideCover);
    }
    std::printf("%-18s %4s  %-8s %5d  %6.1f%% %6.1f%% %6.1f%%   %s  %s  %+6.1f%%\n", kind, best, where, t.runs,
                100 * t.median, 100 * t.p90, 100 * t.p95, likely, wide, 100 * t.bias);
}

void BM_RecoveryTail(benchmark::State& state) {
    for (auto _ : state) {
        std::printf("\nThe tail, per player kind and true best (weight %.2f; stage 1 spans %.0f..%.1f; errors are\n"
                    "|ln(found / best)|; bias is the mean ln(found / best), above 0 when the found cm/360 is larger)\n",
                    kCurvaturePullWeight, 0.6 * synth::kStudyCentre, 1.67 * synth::kStudyCentre);
        std::printf("players            best  where     runs  median    p90    p95  likely   wide    bias\n");
        for (bool noisy : {false, true}) {
            for (std::size_t ki = 0; ki < synth::kStudyCurvatures.size(); ++ki) {
                const double k = synth::kStudyCurvatures[ki];
                char kind[32];
                std::snprintf(kind, sizeof kind, "%s %s", noisy ? "noisy" : "noise-free", k > 1 ? "steep" : "shallow");
                std::vector<synth::RunOutcome> all;
                for (std::size_t bi = 0; bi < synth::kTableBests.size(); ++bi) {
                    const synth::TableBest& b = synth::kTableBests[bi];
                    const uint64_t player = 100 + 10 * ki + bi;
                    const std::vector<synth::RunOutcome> runs =
                        synth::playerRuns(b.cm360, k, noisy, noisy ? kTailNoisySeeds : kTailNoiseFreeSeeds, player);
                    char best[16];
                    std::snprintf(best, sizeof best, "%.0f", b.cm360);
                    printTailRow(kind, best, b.where, synth::summarise(runs), noisy);
                    all.insert(all.end(), runs.begin(), runs.end());
                }
                printTailRow(kind, "all", "", synth::summarise(all), noisy);
            }
        }
        std::printf("\n");
    }
}
BENCHMARK(BM_RecoveryTail)->Iterations(1)->Unit(benchmark::kMillisecond);

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
