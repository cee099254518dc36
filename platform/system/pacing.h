#pragma once
// Waiting for the frame cap: a high-resolution timer for the bulk, a spin for the rest.
#include <cstdint>

namespace plat {

// Whether timerWait is backed by a high-resolution timer.
bool frameTimerAvailable();
// Blocks for `seconds` on the high-resolution timer (at most 50 ms); it may end a little
// late, by the system's wake-up latency.
void timerWait(double seconds);
void sleepMilliseconds(int32_t ms);
// The processor's hint for a busy-wait loop.
void spinPause();

}  // namespace plat
