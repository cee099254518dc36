#include "platform/base/paths.h"

namespace plat {

std::string joinPath(const std::string& a, const std::string& b) {
    if (a.empty()) return b;
    char last = a.back();
    if (last == '/' || last == pathSeparator()) return a + b;
    return a + pathSeparator() + b;
}

}  // namespace plat
