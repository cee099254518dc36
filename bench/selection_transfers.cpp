// The X11 clipboard owner's book of INCR answers under a flood of paste requests: each
// request costs one lookup (and is refused once its client holds its share), so a client
// sending 400,000 requests over 50,000 properties cannot make the owner's work grow with
// the square of the requests.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>

#include "platform/system/linux/selection_rules.h"

namespace {

// One client: every request names another of its windows and properties.
void BM_FloodFromOneClient(benchmark::State& state) {
    const uint32_t requests = static_cast<uint32_t>(state.range(0));
    for (auto _ : state) {
        plat::SelectionTransfers transfers(0x001FFFFF);
        uint32_t granted = 0;
        for (uint32_t i = 0; i < requests; ++i) {
            const uint32_t window = 0x00400000 | (i % 25), property = 1000 + (i / 25) % 2000;
            if (plat::SelectionTransfer* t = transfers.start(window, property)) {
                t->lastStep = std::chrono::steady_clock::now();
                ++granted;
            }
            benchmark::DoNotOptimize(transfers.find(window, property));
        }
        benchmark::DoNotOptimize(granted);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * requests);
}
BENCHMARK(BM_FloodFromOneClient)->Arg(400000)->Unit(benchmark::kMillisecond);

// Many clients at once, each with its full share under way, stepped and checked for stalls
// as the owner's loop does.
void BM_ManyClientsStepping(benchmark::State& state) {
    const uint32_t clients = static_cast<uint32_t>(state.range(0));
    plat::SelectionTransfers transfers(0x001FFFFF);
    const auto now = std::chrono::steady_clock::now();
    for (uint32_t c = 0; c < clients; ++c)
        for (uint32_t p = 0; p < plat::kSelectionTransfersPerClient; ++p)
            if (plat::SelectionTransfer* t = transfers.start((c << 21) | 1, 100 + p)) t->lastStep = now;
    uint32_t k = 0;
    for (auto _ : state) {
        const uint32_t c = k % clients, p = (k / clients) % plat::kSelectionTransfersPerClient;
        if (plat::SelectionTransfer* t = transfers.find((c << 21) | 1, 100 + p)) t->offset += 1;
        benchmark::DoNotOptimize(transfers.oldestStep());
        ++k;
    }
}
BENCHMARK(BM_ManyClientsStepping)->Arg(256);

}  // namespace
