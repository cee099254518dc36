#include "platform/base/timefmt.h"

namespace plat {

std::string formatLocalTime(const char* format, std::time_t t) {
    if (t == 0) t = std::time(nullptr);
    std::tm tm{};
    if (!localCalendarTime(t, tm)) return {};
    char buf[256];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    size_t n = std::strftime(buf, sizeof buf, format, &tm);
#pragma GCC diagnostic pop
    return std::string(buf, n);
}

}  // namespace plat
