#pragma once
#include <string>

namespace plat {

// Text of the last operating-system error (errno on Linux, GetLastError on Windows).
std::string lastErrorMessage();

// A line for a debugger or, lacking one, stderr (shader logs and the like).
void debugLog(const std::string& text);

}  // namespace plat
