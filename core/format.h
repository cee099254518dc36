#pragma once
// printf-style formatting straight into a std::string, sized to fit: no fixed buffer that a
// long value (a typed yaw of 1e-300, a long path) could overflow or cut short.
#include <cstdarg>
#include <string>

std::string formatString(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string formatStringV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));
