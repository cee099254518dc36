#include "platform/system/linux/desktop_scale.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <cstdlib>

namespace plat {

double xftDpiFromResources(const char* resources) {
    if (!resources || !*resources) return 0;
    XrmInitialize();
    // Through the resource manager's own matching, so "Xft*dpi" or "*dpi" count as xrdb
    // users write them.
    XrmDatabase db = XrmGetStringDatabase(resources);
    if (!db) return 0;
    char* type = nullptr;
    XrmValue value{};
    double dpi = 0;
    if (XrmGetResource(db, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
        char* end = nullptr;
        dpi = std::strtod(value.addr, &end);
        if (end == value.addr || !(dpi > 0) || dpi > 10000) dpi = 0;
    }
    XrmDestroyDatabase(db);
    return dpi;
}

}  // namespace plat
