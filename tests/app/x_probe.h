#pragma once
// What the X server knows of the program's window, for tests that look past SDL. No Xlib
// here: its Screen and None clash with the program's names.
#include <cstdint>

#include "platform/window.h"

namespace xprobe {

// The frame the window manager has put around the window (_NET_FRAME_EXTENTS): left, top,
// right, bottom; false when it has set none.
bool frameOf(void* window, int32_t extents[4]);
// The minimum of the window's WM_NORMAL_HINTS; 0 x 0 when it sets none.
void minimumHint(void* window, int32_t* w, int32_t* h);
// The client area in root coordinates.
plat::Rect clientOnRoot(void* window);

}  // namespace xprobe
