#include "platform/system/window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
// Xlib's macro would rename WindowFailure::None.
#undef None

#include <algorithm>
#include <cstring>

#include "platform/system/linux/window_manager.h"

namespace plat {

namespace {

// The program has one window; its context and its smallest client size live beside it.
SDL_GLContext glContext = nullptr;
int minimumW = 1, minimumH = 1;
// The frame last seen around the windowed window: in full screen or without borders there is
// none, but the next windowed placement will have it again.
int knownFrame[4] = {0, 0, 0, 0};  // left, top, right, bottom

SDL_Window* sdl(void* window) { return static_cast<SDL_Window*>(window); }

void askForGl33Core() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
}

bool headlessFallback() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0)) return false;
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    return !asked || std::strstr(asked, driver) == nullptr;
}

}  // namespace

void* createGlWindow(const char* title, int32_t w, int32_t h, WindowFailure* failure) {
    WindowFailure dummy = WindowFailure::None;
    if (!failure) failure = &dummy;
    *failure = WindowFailure::None;
    // A borderless full-screen window stays put when another window takes the focus.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        *failure = WindowFailure::Window;
        return nullptr;
    }
    // With no display SDL falls back to an invisible window; only take one when asked for
    // by name (SDL_VIDEODRIVER=offscreen), never as a silent stand-in for a real screen.
    if (headlessFallback()) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        *failure = WindowFailure::Window;
        return nullptr;
    }
    askForGl33Core();
    const Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE;
    SDL_Window* win = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, w, h,
                                       flags | SDL_WINDOW_OPENGL);
    if (!win) {
        // Tell "no window at all" from "no window that can carry OpenGL".
        SDL_Window* plain = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, w, h, flags);
        *failure = plain ? WindowFailure::PixelFormat : WindowFailure::Window;
        if (plain) SDL_DestroyWindow(plain);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    glContext = SDL_GL_CreateContext(win);
    if (!glContext) {
        // No 3.3 core context: take what the driver has, so the loader's version check
        // can say that OpenGL 3.3 is missing rather than that there is no OpenGL.
        SDL_GL_ResetAttributes();
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        glContext = SDL_GL_CreateContext(win);
    }
    if (!glContext || SDL_GL_MakeCurrent(win, glContext) != 0) {
        if (glContext) SDL_GL_DeleteContext(glContext);
        glContext = nullptr;
        SDL_DestroyWindow(win);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        *failure = WindowFailure::Context;
        return nullptr;
    }
    return win;
}

void destroyGlWindow(void* window) {
    if (!window) return;
    SDL_GL_MakeCurrent(sdl(window), nullptr);
    if (glContext) SDL_GL_DeleteContext(glContext);
    glContext = nullptr;
    minimumW = minimumH = 1;
    std::fill(knownFrame, knownFrame + 4, 0);
    SDL_DestroyWindow(sdl(window));
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void* glProcAddress(const char* name) { return SDL_GL_GetProcAddress(name); }

bool glSetSwapInterval(int32_t interval) {
    if (!SDL_GL_GetCurrentContext()) return false;
    return SDL_GL_SetSwapInterval(interval) == 0;
}

void swapWindow(void* window) {
    if (window) SDL_GL_SwapWindow(sdl(window));
}

void drawableSize(void* window, int32_t* w, int32_t* h) {
    int ww = 0, hh = 0;
    if (window) SDL_GL_GetDrawableSize(sdl(window), &ww, &hh);
    if (w) *w = ww;
    if (h) *h = hh;
}

bool isMinimized(void* window) {
    return window && (SDL_GetWindowFlags(sdl(window)) & SDL_WINDOW_MINIMIZED) != 0;
}

bool hasFocus(void* window) {
    return window && (SDL_GetWindowFlags(sdl(window)) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void showAndFocus(void* window) {
    if (!window) return;
    SDL_ShowWindow(sdl(window));
    SDL_RaiseWindow(sdl(window));
    // Without a window manager nobody hands the focus over; ask for it directly.
    SDL_SetWindowInputFocus(sdl(window));
}

namespace {
int displayOf(void* window) {
    int index = window ? SDL_GetWindowDisplayIndex(sdl(window)) : 0;
    return index < 0 ? 0 : index;
}
Rect fromSdl(const SDL_Rect& r) { return Rect{r.x, r.y, r.w, r.h}; }
}  // namespace

Rect monitorRect(void* window) {
    SDL_Rect r{0, 0, 0, 0};
    if (SDL_GetDisplayBounds(displayOf(window), &r) != 0) return Rect{};
    return fromSdl(r);
}

Rect workArea(void* window) {
    SDL_Rect r{0, 0, 0, 0};
    if (SDL_GetDisplayUsableBounds(displayOf(window), &r) != 0) return monitorRect(window);
    return fromSdl(r);
}

namespace {

bool isFramed(SDL_Window* win) {
    return (SDL_GetWindowFlags(win) & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_BORDERLESS)) == 0;
}

// Reads the frame SDL has from the window manager; false when there is none (yet).
bool readFrame(SDL_Window* win) {
    int t = 0, l = 0, b = 0, r = 0;
    if (!isFramed(win) || SDL_GetWindowBordersSize(win, &t, &l, &b, &r) != 0) return false;
    if (t == 0 && l == 0 && b == 0 && r == 0) return false;
    knownFrame[0] = l;
    knownFrame[1] = t;
    knownFrame[2] = r;
    knownFrame[3] = b;
    return true;
}

}  // namespace

void frameExtents(void* window, int32_t* left, int32_t* top, int32_t* right, int32_t* bottom) {
    if (window) readFrame(sdl(window));
    if (left) *left = window ? knownFrame[0] : 0;
    if (top) *top = window ? knownFrame[1] : 0;
    if (right) *right = window ? knownFrame[2] : 0;
    if (bottom) *bottom = window ? knownFrame[3] : 0;
}

namespace {

struct X11Window {
    Display* display = nullptr;
    ::Window window = 0;
};

X11Window x11Of(SDL_Window* win) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(win, &info) || info.subsystem != SDL_SYSWM_X11) return {};
    return X11Window{info.info.x11.display, info.info.x11.window};
}

bool isShown(SDL_Window* win) { return (SDL_GetWindowFlags(win) & SDL_WINDOW_SHOWN) != 0; }

// The window manager's full-screen state (_NET_WM_STATE_FULLSCREEN) set on a window that is
// not mapped yet: the window manager maps it full screen from the start, and nothing waits
// for an answer (SDL's own full-screen switch waits up to 100 ms for a window manager to act,
// in vain on a bare X server). Without a window manager the geometry set by hand holds.
void setInitialFullscreenState(SDL_Window* win, bool on) {
    const X11Window x = x11Of(win);
    if (!x.display) return;
    const Atom state = XInternAtom(x.display, "_NET_WM_STATE", False);
    if (on) {
        Atom fullscreen = XInternAtom(x.display, "_NET_WM_STATE_FULLSCREEN", False);
        XChangeProperty(x.display, x.window, state, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&fullscreen), 1);
    } else {
        XDeleteProperty(x.display, x.window, state);
    }
    XFlush(x.display);
}

// Whether the window carries the full-screen state that setInitialFullscreenState gave it
// (a window manager keeps it in the same property).
bool hasFullscreenState(SDL_Window* win) {
    const X11Window x = x11Of(win);
    if (!x.display) return false;
    const Atom state = XInternAtom(x.display, "_NET_WM_STATE", False);
    const Atom fullscreen = XInternAtom(x.display, "_NET_WM_STATE_FULLSCREEN", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(x.display, x.window, state, 0, 64, False, XA_ATOM, &type, &format, &count, &after, &data) ==
            Success &&
        data) {
        if (format == 32) {
            const Atom* atoms = reinterpret_cast<const Atom*>(data);
            for (unsigned long i = 0; i < count; ++i) found = found || atoms[i] == fullscreen;
        }
        XFree(data);
    }
    return found;
}

// Whether a window manager runs (it names itself on the root window): only then does a
// frame come around the window.
bool windowManagerRuns(SDL_Window* win) {
    const X11Window x = x11Of(win);
    return x.display && plat::windowManagerRuns(x.display);
}

// A window manager frames a window shown with borders a moment after the request; the
// placement that follows needs that frame, so it is waited for, briefly.
void awaitFrame(SDL_Window* win) {
    if (!windowManagerRuns(win)) return;
    const Uint32 start = SDL_GetTicks();
    while (!readFrame(win) && SDL_GetTicks() - start < 300) {
        SDL_PumpEvents();
        SDL_Delay(5);
    }
}

// Asks the window manager to take a mapped window out of the full-screen state.
void requestLeaveFullscreen(SDL_Window* win) {
    const X11Window x = x11Of(win);
    if (!x.display) return;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = x.window;
    e.xclient.message_type = XInternAtom(x.display, "_NET_WM_STATE", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = 0;  // _NET_WM_STATE_REMOVE
    e.xclient.data.l[1] = static_cast<long>(XInternAtom(x.display, "_NET_WM_STATE_FULLSCREEN", False));
    e.xclient.data.l[3] = 1;  // from an application
    XSendEvent(x.display, DefaultRootWindow(x.display), False, SubstructureNotifyMask | SubstructureRedirectMask, &e);
    // Without a window manager nobody takes the state off; the property goes by hand.
    XDeleteProperty(x.display, x.window, e.xclient.message_type);
    XFlush(x.display);
}

}  // namespace

void setBorderlessFullscreen(void* window) {
    if (!window) return;
    SDL_Window* win = sdl(window);
    // The geometry by hand holds where no window manager acts on the full-screen state
    // (a bare X server); where one does, the state takes over.
    Rect monitor = monitorRect(window);
    SDL_SetWindowBordered(win, SDL_FALSE);
    if (monitor.w > 0 && monitor.h > 0) {
        SDL_SetWindowPosition(win, monitor.x, monitor.y);
        SDL_SetWindowSize(win, monitor.w, monitor.h);
    }
    if (!isShown(win)) {
        // Start-up: the window first appears in its final mode.
        setInitialFullscreenState(win, true);
    } else {
        SDL_SetWindowFullscreen(win, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    SDL_ShowWindow(win);
}

void setWindowed(void* window, Rect client) {
    if (!window) return;
    SDL_Window* win = sdl(window);
    if (SDL_GetWindowFlags(win) & SDL_WINDOW_FULLSCREEN) {
        SDL_SetWindowFullscreen(win, 0);
    } else if (hasFullscreenState(win)) {
        if (isShown(win)) requestLeaveFullscreen(win);
        else setInitialFullscreenState(win, false);
    }
    SDL_SetWindowBordered(win, SDL_TRUE);
    int before[4] = {0, 0, 0, 0};
    SDL_GetWindowBordersSize(win, &before[0], &before[1], &before[2], &before[3]);
    SDL_SetWindowSize(win, client.w, client.h);
    SDL_SetWindowPosition(win, client.x, client.y);
    // SDL keeps a minimum set in full screen to itself; out of it the hint goes out now.
    SDL_SetWindowMinimumSize(win, minimumW, minimumH);
    SDL_ShowWindow(win);
    awaitFrame(win);
    // SDL places the client by the frame it knew; one that came only now moves it again.
    int after[4] = {0, 0, 0, 0};
    SDL_GetWindowBordersSize(win, &after[0], &after[1], &after[2], &after[3]);
    if (!std::equal(before, before + 4, after)) SDL_SetWindowPosition(win, client.x, client.y);
}

void setMinimumClientSize(void* window, int32_t w, int32_t h) {
    if (!window) return;
    // SDL takes no zero: 1 x 1 is no limit. The window manager gets the size as a hint.
    minimumW = w > 0 ? w : 1;
    minimumH = h > 0 ? h : 1;
    SDL_SetWindowMinimumSize(sdl(window), minimumW, minimumH);
}

}  // namespace plat
