#include "tests/platform/system/x_probe.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace xprobe {

namespace {

struct XWin {
    Display* display = nullptr;
    ::Window window = 0;
};

XWin x11Of(void* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(static_cast<SDL_Window*>(window), &info) ||
        info.subsystem != SDL_SYSWM_X11)
        return {};
    return XWin{info.info.x11.display, info.info.x11.window};
}

}  // namespace

bool frameOf(void* window, int32_t extents[4]) {
    const XWin x = x11Of(window);
    if (!x.display) return false;
    const Atom atom = XInternAtom(x.display, "_NET_FRAME_EXTENTS", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool ok = false;
    if (XGetWindowProperty(x.display, x.window, atom, 0, 4, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        ok = format == 32 && count == 4;
        // The property's order is left, right, top, bottom.
        const int order[4] = {0, 2, 1, 3};
        for (int i = 0; ok && i < 4; ++i)
            extents[order[i]] = static_cast<int32_t>(reinterpret_cast<long*>(data)[i]);
        XFree(data);
    }
    return ok;
}

void minimumHint(void* window, int32_t* w, int32_t* h) {
    *w = *h = 0;
    const XWin x = x11Of(window);
    if (!x.display) return;
    XSizeHints hints{};
    long supplied = 0;
    if (XGetWMNormalHints(x.display, x.window, &hints, &supplied) && (hints.flags & PMinSize)) {
        *w = hints.min_width;
        *h = hints.min_height;
    }
}

plat::Rect clientOnRoot(void* window) {
    const XWin x = x11Of(window);
    if (!x.display) return {};
    int rx = 0, ry = 0;
    ::Window child = 0;
    XTranslateCoordinates(x.display, x.window, XDefaultRootWindow(x.display), 0, 0, &rx, &ry, &child);
    XWindowAttributes a{};
    XGetWindowAttributes(x.display, x.window, &a);
    return plat::Rect{rx, ry, a.width, a.height};
}

}  // namespace xprobe

namespace xprobe {

namespace {
Display* decoyDisplay = nullptr;
::Window decoy = 0;
}  // namespace

void minimumHintOf(unsigned long id, int32_t* w, int32_t* h) {
    *w = *h = 0;
    Display* d = XOpenDisplay(nullptr);
    if (!d) return;
    XSizeHints hints{};
    long supplied = 0;
    if (XGetWMNormalHints(d, static_cast<::Window>(id), &hints, &supplied) && (hints.flags & PMinSize)) {
        *w = hints.min_width;
        *h = hints.min_height;
    }
    XCloseDisplay(d);
}

void sizeOf(unsigned long id, int32_t* w, int32_t* h) {
    *w = *h = 0;
    Display* d = XOpenDisplay(nullptr);
    if (!d) return;
    XWindowAttributes a{};
    if (XGetWindowAttributes(d, static_cast<::Window>(id), &a)) {
        *w = a.width;
        *h = a.height;
    }
    XCloseDisplay(d);
}

unsigned long focusedWindow() {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return 0;
    ::Window focus = 0;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    XCloseDisplay(d);
    return focus;
}

unsigned long openFocusedDecoy() {
    closeDecoy();
    decoyDisplay = XOpenDisplay(nullptr);
    if (!decoyDisplay) return 0;
    decoy = XCreateSimpleWindow(decoyDisplay, XDefaultRootWindow(decoyDisplay), 0, 0, 1920, 1080, 0, 0, 0);
    XSelectInput(decoyDisplay, decoy, StructureNotifyMask);
    XMapRaised(decoyDisplay, decoy);
    for (XEvent e{}; e.type != MapNotify;) XNextEvent(decoyDisplay, &e);
    XSetInputFocus(decoyDisplay, decoy, RevertToParent, CurrentTime);
    XSync(decoyDisplay, False);
    return decoy;
}

void closeDecoy() {
    if (!decoyDisplay) return;
    XDestroyWindow(decoyDisplay, decoy);
    XCloseDisplay(decoyDisplay);
    decoyDisplay = nullptr;
    decoy = 0;
}

}  // namespace xprobe
