#include "app/frame_pacing.h"

#include "core/profile/app.h"
#include "platform/base/clock.h"
#include "platform/system/pacing.h"

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

double timerWaitSeconds(double remaining, const FrameCap& cap) {
    if (!(remaining > 0)) return 0;
    if (!cap.busyWait) return remaining;
    if (cap.cap <= kShortSpinCapLimit) return remaining > kSleepMinimum ? remaining - kSpinTail : 0;
    return remaining > kEarlySleepMinimum ? remaining - kEarlySpin : 0;
}

void waitForFrameCap(const FrameCap& cap, int64_t frameStart, int64_t frequency, bool haveTimer) {
    if (!cap.wait || !(cap.cap > 0) || frequency <= 0) return;
    const double freq = static_cast<double>(frequency);
    const double target = static_cast<double>(frameStart) / freq + 1.0 / cap.cap;
    auto now = [freq] { return static_cast<double>(plat::counterNow()) / freq; };
    if (haveTimer) {
        // One timer wait lasts at most 50 ms, and one may end early: wait again for the rest.
        for (double wait = timerWaitSeconds(target - now(), cap); wait > 0;
             wait = timerWaitSeconds(target - now(), cap)) {
            plat::timerWait(wait);
        }
    }
    if (cap.busyWait) {
        while (now() < target) plat::spinPause();
    }
}
