#pragma once
// Between the pieces of the Win32 window: its procedure, the context's swap control and the
// UI backend. The input side's share of the procedure is in input_messages.h.
#include <windows.h>

namespace plat::win32 {

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Whether the current context's driver offers wglSwapIntervalEXT.
bool hasSwapIntervalControl();

// Whether the UI backends are up, so the UI library may see window messages.
bool uiBackendActive();

// The smallest outer size of the window (setMinimumClientSize); 0 x 0 for no limit.
extern SIZE minimumOuterSize;

}  // namespace plat::win32
