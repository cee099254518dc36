#pragma once
// The frame cap: during a playing round the player's cap held with a high-resolution timer
// and a final busy-wait; elsewhere at most 240 frames per second without spinning.
#include <cstdint>

struct App;

struct FrameCap {
    bool wait = false;      // false: no waiting at all (uncapped round, or vsync paces)
    double cap = 0;         // frames per second
    bool busyWait = false;  // spin the last stretch for an even frame time
};

FrameCap frameCapFor(const App& app);

// Seconds of a timer wait for what remains of the frame: none when 1.5 ms or less remain,
// else the remainder less a margin for the wake-up (1.2 ms when a spin follows, 0.2 ms
// without).
double timerWaitSeconds(double remaining, bool busyWait);

// Waits until frameStart (counter ticks) + 1/cap. Waits longer than one timer wait (a cap
// below 20) are held too.
void waitForFrameCap(const FrameCap& cap, int64_t frameStart, int64_t frequency, bool haveTimer);
