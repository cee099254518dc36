// The window procedure turns window messages into plat::Event values for pumpEvents. The
// input side sees every message first (raw mouse, hotkey, the hidden cursor of a captured
// mouse); raw input and hotkeys never reach the UI library.
#include <windows.h>

#include "imgui.h"
#include "platform/system/input.h"
#include "platform/system/win32/input_messages.h"
#include "platform/system/win32/window_internal.h"

extern IMGUI_IMPL_API LRESULT ImGui_ImplWin32_WndProcHandler(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

namespace plat::win32 {

namespace {
Event eventOf(EventKind kind) {
    Event e;
    e.kind = kind;
    return e;
}
}  // namespace

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT answer = 0;
    if (handleInputMessage(window, message, wParam, lParam, &answer)) return answer;
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
                postEvent(e);
            }
            return 0;
        case WM_ACTIVATE:
            postEvent(eventOf(LOWORD(wParam) == WA_INACTIVE ? EventKind::FocusLost : EventKind::FocusGained));
            break;
        case WM_CLOSE:
            // The window stays until shutdown destroys it.
            postEvent(eventOf(EventKind::Close));
            return 0;
        case WM_KEYDOWN: {
            Event e = eventOf(EventKind::Key);
            e.key = static_cast<int32_t>(wParam);
            e.repeat = (lParam & (1L << 30)) != 0;
            postEvent(e);
            return 0;
        }
        case WM_GETMINMAXINFO:
            // The user cannot drag the frame smaller than the screens fit in.
            if (minimumOuterSize.cx > 0 && minimumOuterSize.cy > 0) {
                MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
                info->ptMinTrackSize.x = minimumOuterSize.cx;
                info->ptMinTrackSize.y = minimumOuterSize.cy;
                return 0;
            }
            break;
        case WM_DPICHANGED: {
            // Per-monitor aware: the window takes the rectangle the system suggests for the
            // new monitor's scale, and the program rebuilds its UI scale and fonts for it.
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            if (suggested)
                SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                             suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            Event e = eventOf(EventKind::ScaleChanged);
            e.scale = static_cast<float>(LOWORD(wParam)) / 96.0f;
            postEvent(e);
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

}  // namespace plat::win32
