#include "platform/system/pacing.h"

#include <windows.h>

#include <immintrin.h>

// Windows 10 1803 and later; MinGW's headers may lack the name.
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace plat {

namespace {

// The high-resolution timer, else a plain manual-reset one (older systems), else none.
HANDLE frameTimer() {
    static HANDLE timer = [] {
        HANDLE t = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
        if (!t) t = CreateWaitableTimerW(nullptr, TRUE, nullptr);
        return t;
    }();
    return timer;
}

}  // namespace

bool frameTimerAvailable() { return frameTimer() != nullptr; }

void timerWait(double seconds) {
    if (!(seconds > 0)) return;
    if (seconds > 0.05) seconds = 0.05;
    HANDLE timer = frameTimer();
    if (!timer) {
        Sleep(static_cast<DWORD>(seconds * 1000.0));
        return;
    }
    // Negative: relative, in 100 ns units.
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(seconds * 10000000.0);
    if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) WaitForSingleObject(timer, 50);
}

void sleepMilliseconds(int32_t ms) { Sleep(ms > 0 ? static_cast<DWORD>(ms) : 0); }

void spinPause() { _mm_pause(); }

}  // namespace plat
