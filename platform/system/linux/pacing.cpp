#include "platform/system/pacing.h"

#include <errno.h>
#include <sys/prctl.h>
#include <time.h>

namespace plat {

namespace {

// A thread's sleeps may end up to its timer slack late (50 us by default): a frame of a
// 240 cap would then run 1 % long on average. The frame timer is a precise one, as on
// Windows, so the slack of the waiting thread goes down to 1 ns.
void tightenTimerSlack() {
    thread_local bool done = false;
    if (done) return;
    done = true;
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}

void sleepFor(double seconds) {
    if (!(seconds > 0)) return;
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(seconds);
    ts.tv_nsec = static_cast<long>((seconds - static_cast<double>(ts.tv_sec)) * 1e9);
    if (ts.tv_nsec > 999999999L) ts.tv_nsec = 999999999L;
    // An interrupted sleep goes on with what remains.
    while (clock_nanosleep(CLOCK_MONOTONIC, 0, &ts, &ts) == EINTR) {
    }
}

}  // namespace

bool frameTimerAvailable() { return true; }

void timerWait(double seconds) {
    tightenTimerSlack();
    sleepFor(seconds > 0.05 ? 0.05 : seconds);
}

void sleepMilliseconds(int32_t ms) { sleepFor(ms / 1000.0); }

void spinPause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

}  // namespace plat
