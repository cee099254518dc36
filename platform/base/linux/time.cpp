#include <time.h>

#include "platform/base/timefmt.h"

namespace plat {

bool localCalendarTime(std::time_t t, std::tm& out) { return localtime_r(&t, &out) != nullptr; }

}  // namespace plat
