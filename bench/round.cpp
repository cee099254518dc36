// Cost of the drill round under automation (1 ms steps) and of the round metrics the
// analysis computes hundreds of times per test. Both must stay far below a frame.
#include <benchmark/benchmark.h>

#include <cmath>

#include "engine/kernel/drill_round.h"
#include "engine/kernel/metrics.h"
#include "engine/kernel/rng.h"

namespace {

constexpr double kStep = 0.001;

RoundConfig standardRound(uint64_t seed) {
    RoundConfig c;  // Standard plan: 3 extra + 16 targets, 1.5 s lead-in, 12 s tracking
    c.seed = seed;
    c.roundSeed = seed * 7 + 3;
    return c;
}

void aimAt(DrillRound& r, double yaw, double pitch) {
    r.applyMouse((yaw - r.yaw) / r.degPerCount, -(pitch - r.pitch) / r.degPerCount);
}

// A plain aimer: eases onto each target and shoots after 250 ms; follows the orb.
void step(DrillRound& r, double now) {
    if (r.phase == DrillFlick && r.nextSpot < static_cast<int32_t>(r.spots.size())) {
        const double age = r.roundTime(now) - r.current.spawnTime;
        if (age > 0.12) aimAt(r, r.yaw + (r.targetYaw - r.yaw) * 0.08, r.pitch + (r.targetPitch - r.pitch) * 0.08);
        if (std::lround(age * 1000) == 250) r.fireShot(now);
    } else if (r.phase == DrillReveal || r.phase == DrillTracking) {
        OrbState o = r.orbState(now);
        aimAt(r, o.x, o.y);
    }
    r.updateRound(now);
    r.events.clear();
}

// A whole Standard round, set-up excluded: every 1 ms step from the intro to the end.
void BM_RoundFullSteps(benchmark::State& state) {
    uint64_t seed = 1;
    int64_t steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        DrillRound r;
        r.setupRound(standardRound(seed++), 100.0);
        state.ResumeTiming();
        int k = 0;
        for (; r.phase != DrillDone && k < 200000; ++k) step(r, 100.0 + k * kStep);
        steps += k;
        benchmark::DoNotOptimize(r.result.kills);
    }
    state.counters["sim_seconds"] = benchmark::Counter(static_cast<double>(steps) * kStep, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_RoundFullSteps)->Unit(benchmark::kMillisecond);

// One simulated second (1000 steps) of the flick phase and of the tracking phase, each
// time from the same snapshot at the start of that phase.
void BM_RoundSecond(benchmark::State& state) {
    const bool tracking = state.range(0) != 0;
    RoundConfig cfg = standardRound(11);
    cfg.flickTargets = tracking ? 1 : 40;
    DrillRound base;
    base.setupRound(cfg, 0);
    int start = 0;
    while (base.phase != (tracking ? DrillTracking : DrillFlick)) step(base, (start++) * kStep);
    DrillRound r;
    for (auto _ : state) {
        state.PauseTiming();
        r = base;
        state.ResumeTiming();
        for (int i = 0; i < 1000; ++i) step(r, (start + i) * kStep);
        benchmark::DoNotOptimize(r.totalTracked);
    }
    if (r.phase != (tracking ? DrillTracking : DrillFlick)) state.SkipWithError("left the phase under test");
    state.SetLabel(tracking ? "tracking" : "flick");
}
BENCHMARK(BM_RoundSecond)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Set-up: the flick plan and about 15,500 orb path samples.
void BM_RoundSetup(benchmark::State& state) {
    uint64_t seed = 1;
    DrillRound r;
    for (auto _ : state) {
        r.setupRound(standardRound(seed++), 0);
        benchmark::DoNotOptimize(r.pathX.data());
    }
}
BENCHMARK(BM_RoundSetup)->Unit(benchmark::kMicrosecond);

// roundMetrics of a played round, plain and on a bootstrap resample.
void BM_RoundMetrics(benchmark::State& state) {
    DrillRound r;
    r.setupRound(standardRound(5), 0);
    for (int k = 0; r.phase != DrillDone && k < 200000; ++k) step(r, k * kStep);
    const RoundResult result = r.result;
    Rng rng(12345);
    const bool resample = state.range(0) != 0;
    for (auto _ : state) {
        RoundMetrics m = roundMetrics(result, resample ? &rng : nullptr);
        benchmark::DoNotOptimize(m.flickScore);
    }
    state.SetLabel(resample ? "resample" : "plain");
}
BENCHMARK(BM_RoundMetrics)->Arg(0)->Arg(1);

}  // namespace
