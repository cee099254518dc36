#include "platform/system/gl.h"

#include <windows.h>

#include "platform/system/win32/window_internal.h"

namespace plat {

bool glContextCurrent() { return wglGetCurrentContext() != nullptr; }

bool glHasSwapControl() { return win32::hasSwapIntervalControl(); }

}  // namespace plat
