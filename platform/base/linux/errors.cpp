#include "platform/base/errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace plat {

std::string lastErrorMessage() { return std::strerror(errno); }

void debugLog(const std::string& text) {
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

}  // namespace plat
