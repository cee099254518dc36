// Saving the share image happens inside one frame, between rendering the UI and the swap:
// encoding the 1000 x 540 card (and its clipboard bitmap) must stay a small part of a frame.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "app/png.h"
#include "app/result_image.h"

namespace {

std::vector<uint8_t> card(int32_t w, int32_t h) {
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 131 + (i >> 9));
    return rgb;
}

void BM_EncodeShareImage(benchmark::State& state) {
    const int32_t w = static_cast<int32_t>(state.range(0)), h = static_cast<int32_t>(state.range(1));
    const std::vector<uint8_t> rgb = card(w, h);
    for (auto _ : state) {
        std::vector<uint8_t> png = encodePng(rgb.data(), w, h);
        benchmark::DoNotOptimize(png.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(rgb.size()));
}
BENCHMARK(BM_EncodeShareImage)->Args({1000, 540})->Args({1500, 810})->Unit(benchmark::kMillisecond);

void BM_ClipboardBitmap(benchmark::State& state) {
    const std::vector<uint8_t> rgb = card(1000, 540);
    for (auto _ : state) {
        std::vector<uint8_t> dib = dibFromRgb(rgb.data(), 1000, 540);
        benchmark::DoNotOptimize(dib.data());
    }
}
BENCHMARK(BM_ClipboardBitmap)->Unit(benchmark::kMillisecond);

}  // namespace
