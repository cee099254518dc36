#pragma once
#include <ctime>
#include <string>

namespace plat {

// strftime of the given time (now when t is 0) in local time; empty on failure.
std::string formatLocalTime(const char* format, std::time_t t = 0);

}  // namespace plat
