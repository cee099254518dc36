#pragma once
// Between the pieces of the Win32 window: its procedure, the event queue the procedure fills
// and pumpEvents empties, the UI backend's message handler and the input side (raw mouse,
// pointer capture), which sees every message first.
#include <windows.h>

#include "platform/input.h"

namespace plat::win32 {

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Appends an event for the next pumpEvents.
void queueEvent(const Event& event);

// The input side's share of the window procedure: true when it answered the message
// (the procedure then returns *result), false to let the procedure go on.
bool inputWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

// Whether the current context's driver offers wglSwapIntervalEXT.
bool hasSwapIntervalControl();

// Whether the UI backends are up, so the UI library may see window messages.
bool uiBackendActive();

}  // namespace plat::win32
