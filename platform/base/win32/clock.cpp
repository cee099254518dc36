#include "platform/base/clock.h"

#include <windows.h>

namespace plat {

int64_t counterNow() {
    LARGE_INTEGER v;
    QueryPerformanceCounter(&v);
    return v.QuadPart;
}

int64_t counterFrequency() {
    LARGE_INTEGER v;
    QueryPerformanceFrequency(&v);
    return v.QuadPart;
}

double threadCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    auto ticks = [](const FILETIME& t) {
        return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | static_cast<uint64_t>(t.dwLowDateTime);
    };
    // FILETIME counts 100 ns units.
    return static_cast<double>(ticks(kernel) + ticks(user)) * 1e-7;
}

}  // namespace plat
