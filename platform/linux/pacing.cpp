#include "platform/pacing.h"

#include <time.h>

namespace plat {

namespace {
void sleepFor(double seconds) {
    if (!(seconds > 0)) return;
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(seconds);
    ts.tv_nsec = static_cast<long>((seconds - static_cast<double>(ts.tv_sec)) * 1e9);
    // An interrupted sleep goes on with what remains.
    while (clock_nanosleep(CLOCK_MONOTONIC, 0, &ts, &ts) != 0) {
    }
}
}  // namespace

bool frameTimerAvailable() { return true; }

void timerWait(double seconds) { sleepFor(seconds > 0.05 ? 0.05 : seconds); }

void sleepMilliseconds(int32_t ms) { sleepFor(ms / 1000.0); }

void spinPause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

}  // namespace plat
