#pragma once
// The engine's one random generator (SplitMix64). Every random choice of a test draws from
// an Rng built from a stated seed, in a stated order, so equal seeds replay equal rounds.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

struct Rng {
    static constexpr uint64_t kGolden = 0x9E3779B97F4A7C15ull;

    uint64_t state = kGolden;

    Rng() = default;
    // A seed of 0 would start the sequence from a weak state; it maps to the golden constant.
    explicit Rng(uint64_t seed) : state(seed != 0 ? seed : kGolden) {}

    uint64_t next() {
        state += kGolden;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // A double in [0, 1) from the top 53 bits.
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

    // The one shuffle of the engine: one uniform() per step from the back, nothing else drawn.
    template <class T>
    void shuffle(std::vector<T>& list) {
        for (std::size_t n = list.size(); n >= 2; --n) {
            std::size_t j = static_cast<std::size_t>(static_cast<int64_t>(uniform() * static_cast<double>(n)) %
                                           static_cast<int64_t>(n));
            std::swap(list[n - 1], list[j]);
        }
    }
};
