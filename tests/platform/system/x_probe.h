#pragma once
// What the X server knows of the program's window, for tests that look past SDL. No Xlib
// here: its Screen and None clash with the program's names.
#include <cstdint>

#include "platform/system/window.h"

namespace xprobe {

// The frame the window manager has put around the window (_NET_FRAME_EXTENTS): left, top,
// right, bottom; false when it has set none.
bool frameOf(void* window, int32_t extents[4]);
// The minimum of the window's WM_NORMAL_HINTS; 0 x 0 when it sets none.
void minimumHint(void* window, int32_t* w, int32_t* h);
// The client area in root coordinates.
plat::Rect clientOnRoot(void* window);

}  // namespace xprobe

// The same for another process's window, by its X window id, on the server DISPLAY names.
namespace xprobe {

void minimumHintOf(unsigned long id, int32_t* w, int32_t* h);
// Width and height of the window; 0 x 0 when there is none.
void sizeOf(unsigned long id, int32_t* w, int32_t* h);
// The window that has the keyboard focus (0: none).
unsigned long focusedWindow();
// A window of the test's own that takes the focus, until closeDecoy.
unsigned long openFocusedDecoy();
void closeDecoy();

}  // namespace xprobe
