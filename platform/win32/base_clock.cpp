#include "platform/clock.h"

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

}  // namespace plat
