#pragma once
#include <ctime>
#include <string>

namespace plat {

// strftime of the given time (now when t is 0) in local time; empty on failure.
std::string formatLocalTime(const char* format, std::time_t t = 0);

// t as local calendar time; false when the system cannot convert it. The one call that
// differs between the systems.
bool localCalendarTime(std::time_t t, std::tm& out);

}  // namespace plat
