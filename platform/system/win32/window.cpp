// The window of class "TarvionWindow" with a WGL OpenGL 3.3 core context, and its modes.
#include "platform/system/window.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "platform/base/win32/wide.h"
#include "platform/system/win32/window_internal.h"

namespace plat {

namespace {

constexpr wchar_t kClassName[] = L"TarvionWindow";
constexpr DWORD kWindowedStyle = WS_OVERLAPPEDWINDOW;

// WGL_ARB_create_context (wglext.h would drag in the 1.1 gl.h for its types).
constexpr int kWglContextMajorVersion = 0x2091;
constexpr int kWglContextMinorVersion = 0x2092;
constexpr int kWglContextProfileMask = 0x9126;
constexpr int kWglContextCoreProfileBit = 0x0001;
using CreateContextAttribs = HGLRC(WINAPI*)(HDC, HGLRC, const int*);
using SwapIntervalExt = BOOL(WINAPI*)(int);

// The program has one window; its device and rendering contexts live beside it.
HDC deviceContext = nullptr;
HGLRC glContext = nullptr;
SwapIntervalExt swapIntervalExt = nullptr;

HWND hwnd(void* window) { return static_cast<HWND>(window); }

// wglGetProcAddress answers some unknown names with small sentinel values.
bool usable(PROC p) {
    const auto v = reinterpret_cast<uintptr_t>(p);
    return !(v <= 3 || v == ~uintptr_t(0));
}

void registerWindowClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = win32::windowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    // A failure (the class is already there) shows up, if at all, in CreateWindowExW.
    RegisterClassExW(&wc);
}

bool setPixelFormat(HDC dc) {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 24;
    const int format = ChoosePixelFormat(dc, &pfd);
    return format != 0 && SetPixelFormat(dc, format, &pfd);
}

// A 3.3 core context when the driver has one; else the context the pixel format gives, so
// that the loader's version check can name the real problem. Null when there is none.
HGLRC createContext(HDC dc) {
    HGLRC legacy = wglCreateContext(dc);
    if (!legacy) return nullptr;
    if (!wglMakeCurrent(dc, legacy)) {
        wglDeleteContext(legacy);
        return nullptr;
    }
    PROC proc = wglGetProcAddress("wglCreateContextAttribsARB");
    if (!usable(proc)) return legacy;
    const auto createAttribs = reinterpret_cast<CreateContextAttribs>(reinterpret_cast<void*>(proc));
    const int attributes[] = {kWglContextMajorVersion, 3, kWglContextMinorVersion, 3,
                              kWglContextProfileMask, kWglContextCoreProfileBit, 0};
    HGLRC core = createAttribs(dc, nullptr, attributes);
    if (core && wglMakeCurrent(dc, core)) {
        wglDeleteContext(legacy);
        return core;
    }
    if (core) wglDeleteContext(core);
    return wglMakeCurrent(dc, legacy) ? legacy : (wglDeleteContext(legacy), nullptr);
}

void releaseWindow(HWND window) {
    if (deviceContext) ReleaseDC(window, deviceContext);
    deviceContext = nullptr;
    DestroyWindow(window);
}

RECT outerRect(const Rect& client) {
    RECT r{client.x, client.y, client.x + client.w, client.y + client.h};
    AdjustWindowRect(&r, kWindowedStyle, FALSE);
    return r;
}

MONITORINFO monitorInfo(void* window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(hwnd(window), MONITOR_DEFAULTTOPRIMARY);
    if (!monitor || !GetMonitorInfoW(monitor, &info)) info.cbSize = 0;
    return info;
}

Rect fromRect(const RECT& r) { return Rect{r.left, r.top, r.right - r.left, r.bottom - r.top}; }

}  // namespace

void* createGlWindow(const char* title, int32_t w, int32_t h, WindowFailure* failure) {
    WindowFailure ignored = WindowFailure::None;
    if (!failure) failure = &ignored;
    *failure = WindowFailure::None;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    registerWindowClass(instance);
    const RECT outer = outerRect(Rect{0, 0, w, h});
    HWND window = CreateWindowExW(0, kClassName, win32::toWide(title ? title : "").c_str(), kWindowedStyle,
                                  CW_USEDEFAULT, CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) {
        *failure = WindowFailure::Window;
        return nullptr;
    }
    deviceContext = GetDC(window);
    if (!deviceContext || !setPixelFormat(deviceContext)) {
        releaseWindow(window);
        *failure = WindowFailure::PixelFormat;
        return nullptr;
    }
    glContext = createContext(deviceContext);
    if (!glContext) {
        releaseWindow(window);
        *failure = WindowFailure::Context;
        return nullptr;
    }
    PROC swap = wglGetProcAddress("wglSwapIntervalEXT");
    swapIntervalExt = usable(swap) ? reinterpret_cast<SwapIntervalExt>(reinterpret_cast<void*>(swap)) : nullptr;
    return window;
}

void destroyGlWindow(void* window) {
    if (!window) return;
    wglMakeCurrent(nullptr, nullptr);
    if (glContext) wglDeleteContext(glContext);
    glContext = nullptr;
    swapIntervalExt = nullptr;
    releaseWindow(hwnd(window));
}

void* glProcAddress(const char* name) {
    if (!name) return nullptr;
    PROC p = wglGetProcAddress(name);
    if (usable(p)) return reinterpret_cast<void*>(p);
    // OpenGL 1.1 names come from opengl32.dll itself, which is already loaded.
    HMODULE gl = GetModuleHandleW(L"opengl32.dll");
    return gl ? reinterpret_cast<void*>(GetProcAddress(gl, name)) : nullptr;
}

bool glSetSwapInterval(int32_t interval) {
    if (!wglGetCurrentContext() || !swapIntervalExt) return false;
    return swapIntervalExt(interval) != FALSE;
}

namespace win32 {
bool hasSwapIntervalControl() { return swapIntervalExt != nullptr && wglGetCurrentContext() != nullptr; }
SIZE minimumOuterSize{0, 0};
}  // namespace win32

void swapWindow(void* window) {
    if (window && deviceContext) SwapBuffers(deviceContext);
}

void drawableSize(void* window, int32_t* w, int32_t* h) {
    RECT r{};
    if (!window || !GetClientRect(hwnd(window), &r)) r = RECT{};
    if (w) *w = r.right - r.left;
    if (h) *h = r.bottom - r.top;
}

bool isMinimized(void* window) { return window && IsIconic(hwnd(window)); }

bool hasFocus(void* window) { return window && GetForegroundWindow() == hwnd(window); }

void showAndFocus(void* window) {
    if (!window) return;
    ShowWindow(hwnd(window), SW_SHOW);
    SetForegroundWindow(hwnd(window));
}

Rect monitorRect(void* window) {
    const MONITORINFO info = monitorInfo(window);
    return info.cbSize ? fromRect(info.rcMonitor) : Rect{};
}

Rect workArea(void* window) {
    const MONITORINFO info = monitorInfo(window);
    return info.cbSize ? fromRect(info.rcWork) : Rect{};
}

void frameExtents(void* window, int32_t* left, int32_t* top, int32_t* right, int32_t* bottom) {
    // The frame of the windowed mode, whatever mode the window is in now.
    RECT r{0, 0, 0, 0};
    if (!window || !AdjustWindowRect(&r, kWindowedStyle, FALSE)) r = RECT{};
    if (left) *left = -r.left;
    if (top) *top = -r.top;
    if (right) *right = r.right;
    if (bottom) *bottom = r.bottom;
}

void setBorderlessFullscreen(void* window) {
    if (!window) return;
    const Rect m = monitorRect(window);
    SetWindowLongPtrW(hwnd(window), GWL_STYLE, WS_POPUP | WS_VISIBLE);
    SetWindowPos(hwnd(window), HWND_TOP, m.x, m.y, m.w, m.h, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
}

void setMinimumClientSize(void* window, int32_t w, int32_t h) {
    if (!window) return;
    if (w <= 0 || h <= 0) {
        win32::minimumOuterSize = SIZE{0, 0};
        return;
    }
    const RECT outer = outerRect(Rect{0, 0, w, h});
    win32::minimumOuterSize = SIZE{outer.right - outer.left, outer.bottom - outer.top};
    // A window already smaller grows to it.
    RECT now{};
    if (!GetWindowRect(hwnd(window), &now)) return;
    const LONG width = now.right - now.left, height = now.bottom - now.top;
    if (width < win32::minimumOuterSize.cx || height < win32::minimumOuterSize.cy)
        SetWindowPos(hwnd(window), nullptr, 0, 0, std::max<LONG>(width, win32::minimumOuterSize.cx),
                     std::max<LONG>(height, win32::minimumOuterSize.cy), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void setWindowed(void* window, Rect client) {
    if (!window) return;
    const RECT outer = outerRect(client);
    SetWindowLongPtrW(hwnd(window), GWL_STYLE, kWindowedStyle | WS_VISIBLE);
    SetWindowPos(hwnd(window), HWND_TOP, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_SHOWWINDOW | SWP_FRAMECHANGED);
}

}  // namespace plat
