#pragma once
// Waiting for the frame cap: a high-resolution timer for the bulk, a spin for the rest.
#include <cstdint>

namespace plat {

// Whether timerWait is backed by a high-resolution timer.
bool frameTimerAvailable();
// Blocks for about `seconds` on the high-resolution timer; waits at most 50 ms.
void timerWait(double seconds);
void sleepMilliseconds(int32_t ms);
// The processor's hint for a busy-wait loop.
void spinPause();

}  // namespace plat
