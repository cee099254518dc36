#include "tests/platform/win32/window_probe.h"

#include <windows.h>

namespace win_probe {

Size minimumTrackSize(void* window) {
    MINMAXINFO info{};
    SendMessageW(static_cast<HWND>(window), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    return Size{info.ptMinTrackSize.x, info.ptMinTrackSize.y};
}

Size outerOf(int32_t w, int32_t h) {
    RECT r{0, 0, w, h};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    return Size{r.right - r.left, r.bottom - r.top};
}

plat::Rect windowRect(void* window) {
    RECT r{};
    GetWindowRect(static_cast<HWND>(window), &r);
    return plat::Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void sendDpiChanged(void* window, int32_t dpi, const plat::Rect& suggested) {
    RECT r{suggested.x, suggested.y, suggested.x + suggested.w, suggested.y + suggested.h};
    const WORD d = static_cast<WORD>(dpi);
    SendMessageW(static_cast<HWND>(window), WM_DPICHANGED, MAKEWPARAM(d, d), reinterpret_cast<LPARAM>(&r));
}

}  // namespace win_probe
