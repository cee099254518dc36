#pragma once
// The program's own entry behind the system's start-up. Where the system enters through
// something other than main (Windows: wWinMain with a UTF-16 command line), the platform
// layer takes the arguments and calls this with them as UTF-8, program name excluded.
#include <string>
#include <vector>

int programMain(const std::vector<std::string>& args);
