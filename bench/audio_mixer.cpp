// Sound costs: the one-time bank synthesis at start-up, and one mixed buffer with the
// queue full (the device thread must stay far below 5.33 ms per buffer).
#include <benchmark/benchmark.h>

#include <array>

#include "audio/mixer.h"
#include "audio/synth.h"

namespace {

void BM_SynthesizeBank(benchmark::State& state) {
    for (auto _ : state) {
        auto bank = synthesizeBank();
        benchmark::DoNotOptimize(bank[SoundShotSniper].data());
    }
}
BENCHMARK(BM_SynthesizeBank)->Unit(benchmark::kMillisecond);

void BM_MixFullQueue(benchmark::State& state) {
    buildSoundBank();
    const Sound& longest = soundBank()[SoundShotSniper];
    Mixer mixer;
    std::array<int16_t, MIX_BUFFER_SAMPLES> out;
    for (auto _ : state) {
        state.PauseTiming();
        mixer.clear();
        for (size_t i = 0; i <= MAX_QUEUED_VOICES; ++i) mixer.play(longest, 0.5f);
        state.ResumeTiming();
        mixer.mix(out.data());
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_MixFullQueue)->Unit(benchmark::kMicrosecond);

}  // namespace
