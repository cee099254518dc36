#include "platform/system/ui_backend.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "imgui.h"
#include "imgui_impl_sdl2.h"
#include "platform/system/common/ui_backend_system.h"
#include "platform/system/linux/desktop_scale.h"
#include "platform/system/linux/ui_events.h"

namespace plat {

namespace {
bool platformUp = false;

// The root window's resource database as it is now (xrdb may have changed it since the
// connection was opened, so not XResourceManagerString); 0 when the window is not on X11.
double desktopXftDpi(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    Display* display = info.info.x11.display;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    double dpi = 0;
    if (XGetWindowProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, 0, 1 << 20, False, XA_STRING,
                           &type, &format, &count, &after, &data) == Success &&
        data) {
        if (format == 8) dpi = xftDpiFromResources(reinterpret_cast<const char*>(data));
        XFree(data);
    }
    return dpi;
}
}  // namespace

bool uiSystemBackendInit(void* window) {
    platformUp = ImGui_ImplSDL2_InitForOpenGL(static_cast<SDL_Window*>(window), SDL_GL_GetCurrentContext());
    return platformUp;
}

void uiSystemBackendNewFrame() {
    if (platformUp) ImGui_ImplSDL2_NewFrame();
}

void uiSystemBackendShutdown() {
    if (platformUp) ImGui_ImplSDL2_Shutdown();
    platformUp = false;
}

// The desktop's own setting first: the Xft.dpi that GTK and Qt scale by. Without it the
// display's DPI as SDL measures it, else no scaling.
float uiDpiScale(void* window) {
    if (!window) return 1.0f;
    SDL_Window* win = static_cast<SDL_Window*>(window);
    const double xft = desktopXftDpi(win);
    if (xft > 0) return static_cast<float>(xft / 96.0);
    const int display = SDL_GetWindowDisplayIndex(win);
    float dpi = 0;
    if (display >= 0 && SDL_GetDisplayDPI(display, &dpi, nullptr, nullptr) == 0 && dpi > 0) return dpi / 96.0f;
    return 1.0f;
}

namespace detail {
void uiBackendProcessEvent(const SDL_Event& event) {
    if (platformUp) ImGui_ImplSDL2_ProcessEvent(&event);
}
}  // namespace detail

}  // namespace plat
