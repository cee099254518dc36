#pragma once
#include <cstdint>

namespace plat {

// Monotonic high-resolution counter, in ticks of counterFrequency() per second.
int64_t counterNow();
int64_t counterFrequency();

// Processor time the calling thread has used so far, in seconds.
double threadCpuSeconds();

}  // namespace plat
