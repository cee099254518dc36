#pragma once
// Between the window procedure and the input side. The window procedure offers every
// message to handleInputMessage first; raw mouse reports, the F8 hotkey and the hidden
// cursor of a captured mouse are answered there, never by the UI library.
#include <windows.h>

#include "platform/system/input.h"

namespace plat::win32 {

// Queues an event for the next pumpEvents, in arrival order with everything else.
void postEvent(const Event& event);

// Answers WM_INPUT (after the default handling the system requires), WM_HOTKEY, and
// WM_SETCURSOR over the client area while the pointer is captured. True, with *result to
// return, when the message was handled; false for every other message.
bool handleInputMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

}  // namespace plat::win32
