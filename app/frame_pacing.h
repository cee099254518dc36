#pragma once
// The frame cap: a ceiling on the frame rate. During a playing round the player's cap, held
// with a high-resolution timer and a final busy-wait; elsewhere at most 240 frames per
// second on the timer alone.
#include <cstdint>

struct App;

struct FrameCap {
    bool wait = false;      // false: no waiting at all (uncapped round, or vsync paces)
    double cap = 0;         // frames per second
    bool busyWait = false;  // spin the last stretch for an even frame time
};

FrameCap frameCapFor(const App& app);

// Caps up to this many frames per second sleep for most of the wait and spin only a short
// tail; above it a frame lasts 2 ms or less, a sleep's late wake-up would be a visible part
// of it, and the spin starts early as before.
constexpr double kShortSpinCapLimit = 500;
// With the short tail: a sleep is taken only when more than kSleepMinimum remains, and it
// ends kSpinTail before the target.
constexpr double kSleepMinimum = 0.0005;
constexpr double kSpinTail = 0.00025;
// Above kShortSpinCapLimit: a sleep only when more than kEarlySleepMinimum remains, ending
// kEarlySpin before the target.
constexpr double kEarlySleepMinimum = 0.0015;
constexpr double kEarlySpin = 0.0012;

// Seconds of the next timer wait when `remaining` seconds of the frame are left. Without a
// busy-wait the timer waits out the whole remainder (it never ends before the target, so the
// cap stays a ceiling); with one it stops short by the spin's share (see above).
double timerWaitSeconds(double remaining, const FrameCap& cap);

// Waits until frameStart (counter ticks) + 1/cap. Waits longer than one timer wait (a cap
// below 20) are held too.
void waitForFrameCap(const FrameCap& cap, int64_t frameStart, int64_t frequency, bool haveTimer);
