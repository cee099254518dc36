#pragma once
// The Win32 window as a test sees it from outside, without windows.h (which only the
// platform layer and its tests include).
#include <cstdint>

#include "platform/system/window.h"

namespace win_probe {

struct Size {
    int32_t w = 0;
    int32_t h = 0;
};

// The smallest outer size the window answers WM_GETMINMAXINFO with.
Size minimumTrackSize(void* window);
// The outer size of a framed window with this client size.
Size outerOf(int32_t w, int32_t h);
// The window's outer rectangle on the screen.
plat::Rect windowRect(void* window);
// WM_DPICHANGED as the system sends it: the new DPI and the suggested outer rectangle.
void sendDpiChanged(void* window, int32_t dpi, const plat::Rect& suggested);

}  // namespace win_probe
