// The window procedure turns window messages into plat::Event values; the main loop takes
// them with pumpEvents. Messages the system sends while a call is in progress (WM_SIZE
// during SetWindowPos, WM_ACTIVATE during DestroyWindow) wait in the queue for the next pump.
#include <windows.h>

#include <vector>

#include "imgui.h"
#include "platform/input.h"
#include "platform/win32/window_internal.h"

extern IMGUI_IMPL_API LRESULT ImGui_ImplWin32_WndProcHandler(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

namespace plat {

namespace win32 {

namespace {
std::vector<Event> pending;

Event eventOf(EventKind kind) {
    Event e;
    e.kind = kind;
    return e;
}
}  // namespace

void queueEvent(const Event& event) { pending.push_back(event); }

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT answer = 0;
    if (inputWindowMessage(window, message, wParam, lParam, &answer)) return answer;
    // Raw input never reaches the UI library; an unclaimed report is the system's.
    if (message == WM_INPUT) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_HOTKEY) {
        Event e = eventOf(EventKind::Hotkey);
        e.hotkeyId = static_cast<int32_t>(wParam);
        queueEvent(e);
        return 0;
    }
    if (uiBackendActive() && ImGui_ImplWin32_WndProcHandler(window, message, wParam, lParam)) return 1;
    switch (message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) {
                Event e = eventOf(EventKind::Resized);
                e.width = LOWORD(lParam);
                e.height = HIWORD(lParam);
                queueEvent(e);
            }
            return 0;
        case WM_ACTIVATE:
            queueEvent(eventOf(LOWORD(wParam) == WA_INACTIVE ? EventKind::FocusLost : EventKind::FocusGained));
            break;
        case WM_CLOSE:
            // The window stays until shutdown destroys it.
            queueEvent(eventOf(EventKind::Close));
            return 0;
        case WM_KEYDOWN: {
            Event e = eventOf(EventKind::Key);
            e.key = static_cast<int32_t>(wParam);
            e.repeat = (lParam & (1L << 30)) != 0;
            queueEvent(e);
            return 0;
        }
        case WM_SYSCOMMAND:
            // Alt and F10 would open the window menu and stall the loop.
            if ((wParam & 0xFFF0) == SC_KEYMENU) return 0;
            break;
        default:
            break;
    }
    // The W procedure: an A one would show the title of this W window as its first letter.
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace win32

void pumpEvents(void*, std::vector<Event>& out) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) win32::queueEvent(win32::eventOf(EventKind::Quit));
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    out.insert(out.end(), win32::pending.begin(), win32::pending.end());
    win32::pending.clear();
}

}  // namespace plat
