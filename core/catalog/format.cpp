#include "core/catalog/format.h"

#include <cstdio>

std::string formatStringV(const char* format, va_list args) {
    char stackBuffer[256];
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(stackBuffer, sizeof stackBuffer, format, copy);
    va_end(copy);
    if (needed < 0) return std::string();
    if (static_cast<size_t>(needed) < sizeof stackBuffer) return std::string(stackBuffer, static_cast<size_t>(needed));
    std::string out(static_cast<size_t>(needed), '\0');
    std::vsnprintf(out.data(), out.size() + 1, format, args);
    return out;
}

std::string formatString(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string out = formatStringV(format, args);
    va_end(args);
    return out;
}
