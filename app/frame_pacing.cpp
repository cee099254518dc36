#include "app/frame_pacing.h"

#include "core/app.h"
#include "platform/clock.h"
#include "platform/pacing.h"

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

double timerWaitSeconds(double remaining, bool busyWait) {
    if (!(remaining > 0.0015)) return 0;
    return remaining - (busyWait ? 0.0012 : 0.0002);
}

void waitForFrameCap(const FrameCap& cap, int64_t frameStart, int64_t frequency, bool haveTimer) {
    if (!cap.wait || !(cap.cap > 0) || frequency <= 0) return;
    const double freq = static_cast<double>(frequency);
    const double target = static_cast<double>(frameStart) / freq + 1.0 / cap.cap;
    auto now = [freq] { return static_cast<double>(plat::counterNow()) / freq; };
    if (haveTimer) {
        // One timer wait lasts at most 50 ms; a slow cap needs several.
        for (double wait = timerWaitSeconds(target - now(), cap.busyWait); wait > 0;
             wait = timerWaitSeconds(target - now(), cap.busyWait)) {
            plat::timerWait(wait);
        }
    }
    if (cap.busyWait) {
        while (now() < target) plat::spinPause();
    }
}
