#include "platform/base/timefmt.h"

namespace plat {

bool localCalendarTime(std::time_t t, std::tm& out) { return localtime_s(&out, &t) == 0; }

}  // namespace plat
