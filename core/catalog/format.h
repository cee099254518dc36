#pragma once
// printf-style formatting straight into a std::string, sized to fit: no fixed buffer that a
// long value (a typed yaw of 1e-300, a long path) could overflow or cut short.
#include <cstdarg>
#include <string>

// MinGW's C++ runtime formats with its C99 printf, so the checks follow GNU rules there too
// (plain "printf" would check against the old Microsoft rules and reject %zu).
#if defined(__MINGW32__)
#define TARVION_PRINTF(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#else
#define TARVION_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#endif

std::string formatString(const char* format, ...) TARVION_PRINTF(1, 2);
std::string formatStringV(const char* format, va_list args) TARVION_PRINTF(1, 0);
