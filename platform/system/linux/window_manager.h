#pragma once
// Whether a window manager runs on this X display: one that follows the desktop rules names
// its check window in _NET_SUPPORTING_WM_CHECK on the root window.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace plat {

inline bool windowManagerRuns(Display* d) {
    const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == 0) return false;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        found = count == 1;
        XFree(data);
    }
    return found;
}

}  // namespace plat
