#include "app/frame_pacing.h"

#include <algorithm>

#include "core/profile/app.h"
#include "platform/base/clock.h"
#include "platform/system/pacing.h"

namespace {

// The platform's longest single wait.
constexpr double kLongestTimerWait = 0.05;

}  // namespace

FrameCap frameCapFor(const App& app) {
    FrameCap plan;
    if (app.vsync) return plan;  // the swap paces the loop
    if (app.screen == ScreenRound && app.roundPhase == RoundPlaying) {
        if (app.fpsCap <= 0) return plan;
        plan.cap = app.fpsCap;
        plan.busyWait = true;
    } else {
        plan.cap = (app.fpsCap >= 1 && app.fpsCap <= 240) ? app.fpsCap : 240;
        plan.busyWait = false;
    }
    plan.wait = true;
    return plan;
}

void TimerLateness::add(double asked, double took) {
    late_[next_] = static_cast<float>(took - asked);
    next_ = (next_ + 1) % kSamples;
    if (count_ < kSamples) ++count_;
    if (count_ >= kWarmUp) update();
}

// A microsecond or two a frame: a copy of the samples and a partial sort.
void TimerLateness::update() {
    std::array<float, kSamples> sorted;
    std::copy(late_.begin(), late_.begin() + static_cast<std::ptrdiff_t>(count_), sorted.begin());
    // The 99th percentile: the sample with 1 % of the others above it.
    const size_t k = (count_ * 99) / 100;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(k),
                     sorted.begin() + static_cast<std::ptrdiff_t>(count_));
    margin_ = std::clamp(static_cast<double>(sorted[k]) - kAccepted, kMinMargin, kMaxMargin);
}

double timerWaitSeconds(double remaining, const FrameCap& cap, double spinMargin) {
    if (!(remaining > 0)) return 0;
    if (!cap.busyWait) return remaining;
    if (cap.cap <= kShortSpinCapLimit) return remaining - spinMargin > kShortestSleep ? remaining - spinMargin : 0;
    return remaining > kEarlySleepMinimum ? remaining - kEarlySpin : 0;
}

void waitForFrameCap(const FrameCap& cap, int64_t frameStart, int64_t frequency, bool haveTimer,
                     TimerLateness& lateness) {
    if (!cap.wait || !(cap.cap > 0) || frequency <= 0) return;
    const double freq = static_cast<double>(frequency);
    const double target = static_cast<double>(frameStart) / freq + 1.0 / cap.cap;
    auto now = [freq] { return static_cast<double>(plat::counterNow()) / freq; };
    if (haveTimer) {
        // One timer wait lasts at most 50 ms, and one may end early: wait again for the rest.
        for (double start = now(), wait = timerWaitSeconds(target - start, cap, lateness.spinMargin()); wait > 0;
             wait = timerWaitSeconds(target - start, cap, lateness.spinMargin())) {
            plat::timerWait(wait);
            const double end = now();
            lateness.add(std::min(wait, kLongestTimerWait), end - start);
            start = end;
        }
    }
    if (cap.busyWait) {
        while (now() < target) plat::spinPause();
    }
}

void waitForFrameCap(const FrameCap& cap, int64_t frameStart, int64_t frequency, bool haveTimer) {
    static TimerLateness mainThread;
    waitForFrameCap(cap, frameStart, frequency, haveTimer, mainThread);
}
