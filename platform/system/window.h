#pragma once
// The program's one window with its OpenGL 3.3 core context.
#include <cstdint>

namespace plat {

// The start-up step that failed when no window could be made.
enum class WindowFailure : int32_t {
    None = 0,
    Window,       // no window at all (no display, no video driver)
    PixelFormat,  // a window, but none that can carry OpenGL
    Context,      // an OpenGL window, but no context could be made current on it
};

struct Rect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
};

// Creates the (still hidden, resizable) window with a client area of w x h and makes an
// OpenGL context current on it. A 3.3 core context is asked for; when the driver has no
// such context, whatever context it offers is made current instead, so that the version
// check of the GL loader can name the real problem. Returns the window handle, or null
// with *failure telling which step failed.
void* createGlWindow(const char* title, int32_t w, int32_t h, WindowFailure* failure);
// Deletes the context and destroys the window (null is ignored).
void destroyGlWindow(void* window);

// Address of an OpenGL function, null when unknown. Never trust a non-null answer alone:
// Mesa hands out stubs for every name, so a version check must back it up.
void* glProcAddress(const char* name);
// Swap interval 1 (vsync) or 0; false when the driver cannot set it.
bool glSetSwapInterval(int32_t interval);
void swapWindow(void* window);

// Size of the drawable in pixels; 0 x 0 for a null window.
void drawableSize(void* window, int32_t* w, int32_t* h);
bool isMinimized(void* window);
bool hasFocus(void* window);
void showAndFocus(void* window);

// The whole monitor the window is on, and its work area (without panels and docks).
Rect monitorRect(void* window);
Rect workArea(void* window);
// Size of the window frame around the client area: left, top, right, bottom (0 when unknown).
void frameExtents(void* window, int32_t* left, int32_t* top, int32_t* right, int32_t* bottom);
// A borderless window over the whole monitor (no display mode change).
void setBorderlessFullscreen(void* window);
// A framed window whose client area is `client` in screen coordinates.
void setWindowed(void* window, Rect client);
// The smallest client area the window can be shrunk to, by the user or by setWindowed; a
// smaller window grows to it. w or h of 0 or less: no limit.
void setMinimumClientSize(void* window, int32_t w, int32_t h);

}  // namespace plat
