#pragma once
// The frame cap: a ceiling on the frame rate. During a playing round the player's cap, held
// with a high-resolution timer and a final busy-wait; elsewhere at most 240 frames per
// second on the timer alone.
#include <array>
#include <cstddef>
#include <cstdint>

struct App;

struct FrameCap {
    bool wait = false;      // false: no waiting at all (uncapped round, or vsync paces)
    double cap = 0;         // frames per second
    bool busyWait = false;  // spin the last stretch for an even frame time
};

FrameCap frameCapFor(const App& app);

// Caps up to this many frames per second sleep for most of the wait and spin only as long
// as the timer has lately been waking late (TimerLateness); above it a frame lasts 2 ms or
// less, a sleep's late wake-up would be a visible part of it, and the spin starts early.
constexpr double kShortSpinCapLimit = 500;
// Up to kShortSpinCapLimit: a sleep is taken only when it would last more than
// kShortestSleep; shorter ones save little and cost a wake-up of their own.
constexpr double kShortestSleep = 0.00025;
// Above kShortSpinCapLimit: a sleep only when more than kEarlySleepMinimum remains, ending
// kEarlySpin before the target.
constexpr double kEarlySleepMinimum = 0.0015;
constexpr double kEarlySpin = 0.0012;

// How late the frame timer's waits have been ending, over the last kSamples waits, and the
// spin that follows from it. The spin covers the 99th percentile of the lateness less
// kAccepted: in about one frame of a hundred the wait may overrun the target by up to that
// much, which keeps the spin (and the processor time it burns) short on a quiet machine;
// when the machine is busy and the timer wakes later, the spin grows with it, up to
// kMaxMargin: when every core is busy a longer spin outlasts the scheduler's time slice and
// is itself pre-empted, which makes the frame later, not earlier. Until kWarmUp waits are
// known it is kStartMargin.
class TimerLateness {
public:
    static constexpr size_t kSamples = 256;
    static constexpr size_t kWarmUp = 16;
    static constexpr double kAccepted = 0.00004;
    static constexpr double kStartMargin = 0.00025;
    static constexpr double kMinMargin = 0.00003;
    static constexpr double kMaxMargin = 0.0003;

    // One wait that was asked for `asked` seconds and lasted `took`.
    void add(double asked, double took);
    // Seconds of spin before the target.
    double spinMargin() const { return margin_; }
    size_t known() const { return count_; }

private:
    void update();
    std::array<float, kSamples> late_{};
    size_t count_ = 0, next_ = 0;
    double margin_ = kStartMargin;
};

// Seconds of the next timer wait when `remaining` seconds of the frame are left. Without a
// busy-wait the timer waits out the whole remainder (it never ends before the target, so the
// cap stays a ceiling); with one it stops short by the spin: `spinMargin` up to
// kShortSpinCapLimit, kEarlySpin above it.
double timerWaitSeconds(double remaining, const FrameCap& cap, double spinMargin);

// Waits until frameStart (counter ticks) + 1/cap, learning from each timer wait how late
// the timer wakes. Waits longer than one timer wait (a cap below 20) are held too.
void waitForFrameCap(const FrameCap& cap, int64_t frameStart, int64_t frequency, bool haveTimer,
                     TimerLateness& lateness);
// The same with the main thread's own record: the lateness is the machine's and the
// timer's, so the menus' waits teach the round's.
void waitForFrameCap(const FrameCap& cap, int64_t frameStart, int64_t frequency, bool haveTimer);
