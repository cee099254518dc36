// Window events come from SDL. Raw mouse counts do not: SDL's relative motion coalesces
// and loses counts, so a second X connection listens to XInput2 raw events on the root
// window. The same connection holds the F8 grab and injects synthetic input.
#include "platform/system/input.h"

#include <SDL.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cmath>
#include <cstring>
#include <map>

#include "platform/system/linux/ui_events.h"

namespace plat {

namespace {

struct KeyMapping {
    int32_t key;   // virtual-key code
    SDL_Keycode sdl;
    KeySym x;
};

const KeyMapping kSpecialKeys[] = {
    {KeyBackspace, SDLK_BACKSPACE, XK_BackSpace},
    {KeyTab, SDLK_TAB, XK_Tab},
    {KeyEnter, SDLK_RETURN, XK_Return},
    {KeyEnter, SDLK_KP_ENTER, XK_KP_Enter},
    {KeyEscape, SDLK_ESCAPE, XK_Escape},
    {KeySpace, SDLK_SPACE, XK_space},
    {KeyLeft, SDLK_LEFT, XK_Left},
    {KeyUp, SDLK_UP, XK_Up},
    {KeyRight, SDLK_RIGHT, XK_Right},
    {KeyDown, SDLK_DOWN, XK_Down},
    {KeyDelete, SDLK_DELETE, XK_Delete},
};

int32_t keyFromSdl(SDL_Keycode code) {
    if (code >= SDLK_a && code <= SDLK_z) return KeyA + (code - SDLK_a);
    if (code >= SDLK_0 && code <= SDLK_9) return Key0 + (code - SDLK_0);
    if (code >= SDLK_F1 && code <= SDLK_F12) return KeyF1 + (code - SDLK_F1);
    for (const KeyMapping& m : kSpecialKeys)
        if (m.sdl == code) return m.key;
    return 0;
}

KeySym keySymFromKey(int32_t key) {
    if (key >= KeyA && key < KeyA + 26) return XK_a + (key - KeyA);
    if (key >= Key0 && key < Key0 + 10) return XK_0 + (key - Key0);
    if (key >= KeyF1 && key < KeyF1 + 12) return XK_F1 + (key - KeyF1);
    for (const KeyMapping& m : kSpecialKeys)
        if (m.key == key) return m.x;
    return NoSymbol;
}

// ---- The X side ---------------------------------------------------------------------

struct XSide {
    Display* display = nullptr;
    int xiOpcode = -1;
    bool rawSelected = false;
    SDL_Window* window = nullptr;
    bool background = false;
    double carryX = 0;
    double carryY = 0;
    std::map<int, bool> absoluteSource;  // raw source device -> reports absolute positions
    bool f8Grabbed = false;
    ::KeyCode f8Code = 0;
    bool f8Down = false;
};

XSide xs;
bool xError = false;

int recordXError(Display*, XErrorEvent*) {
    xError = true;
    return 0;
}

// The window system is X only when SDL itself runs on X; elsewhere (offscreen, no
// display) everything here does nothing.
bool onX11() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "x11") == 0;
}

Display* xDisplay() {
    if (xs.display) return xs.display;
    if (SDL_WasInit(SDL_INIT_VIDEO) && !onX11()) return nullptr;
    xs.display = XOpenDisplay(nullptr);
    if (xs.display) {
        // Held keys then repeat as presses without releases, so a hold is told from taps.
        Bool supported = False;
        XkbSetDetectableAutoRepeat(xs.display, True, &supported);
    }
    return xs.display;
}

void closeDisplayWhenUnused() {
    if (xs.display && !xs.rawSelected && !xs.f8Grabbed) {
        XCloseDisplay(xs.display);
        xs.display = nullptr;
        xs.absoluteSource.clear();
    }
}

bool sourceIsAbsolute(int sourceId) {
    auto it = xs.absoluteSource.find(sourceId);
    if (it != xs.absoluteSource.end()) return it->second;
    bool absolute = false;
    int count = 0;
    XIDeviceInfo* info = XIQueryDevice(xs.display, sourceId, &count);
    for (int i = 0; info && i < count; ++i) {
        for (int c = 0; c < info[i].num_classes; ++c) {
            if (info[i].classes[c]->type != XIValuatorClass) continue;
            const auto* v = reinterpret_cast<const XIValuatorClassInfo*>(info[i].classes[c]);
            if ((v->number == 0 || v->number == 1) && v->mode == XIModeAbsolute) absolute = true;
        }
    }
    if (info) XIFreeDeviceInfo(info);
    xs.absoluteSource[sourceId] = absolute;
    return absolute;
}

uint16_t buttonFlag(int button, bool down) {
    switch (button) {
        case 1: return down ? MouseLeftDown : MouseLeftUp;
        case 2: return down ? MouseMiddleDown : MouseMiddleUp;
        case 3: return down ? MouseRightDown : MouseRightUp;
        case 4:
        case 5: return down ? MouseWheel : 0;
        case 8: return down ? MouseButton4Down : MouseButton4Up;
        case 9: return down ? MouseButton5Down : MouseButton5Up;
        default: return 0;
    }
}

bool deliverRaw() {
    if (xs.background) return true;
    return xs.window && (SDL_GetWindowFlags(xs.window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void readRawEvent(const XIRawEvent& raw, std::vector<Event>& out) {
    Event ev;
    ev.kind = EventKind::RawMouse;
    if (raw.evtype == XI_RawMotion) {
        if (sourceIsAbsolute(raw.sourceid)) {
            ev.absolute = true;
        } else {
            const double* value = raw.raw_values;
            double mx = 0, my = 0;
            for (int i = 0; i < raw.valuators.mask_len * 8; ++i) {
                if (!XIMaskIsSet(raw.valuators.mask, i)) continue;
                if (i == 0) mx = *value;
                if (i == 1) my = *value;
                ++value;
            }
            // Fractions (high-resolution devices) carry over to the next report.
            xs.carryX += mx;
            xs.carryY += my;
            double wholeX = std::trunc(xs.carryX), wholeY = std::trunc(xs.carryY);
            xs.carryX -= wholeX;
            xs.carryY -= wholeY;
            ev.dx = static_cast<int32_t>(wholeX);
            ev.dy = static_cast<int32_t>(wholeY);
            if (ev.dx == 0 && ev.dy == 0) return;
        }
    } else {
        ev.buttons = buttonFlag(raw.detail, raw.evtype == XI_RawButtonPress);
        if (ev.buttons == 0) return;
    }
    if (deliverRaw()) out.push_back(ev);
}

void drainX(std::vector<Event>& out) {
    if (!xs.display) return;
    while (XPending(xs.display) > 0) {
        XEvent e;
        XNextEvent(xs.display, &e);
        if (e.type == KeyPress || e.type == KeyRelease) {
            if (!xs.f8Grabbed || e.xkey.keycode != xs.f8Code) continue;
            if (e.type == KeyRelease) {
                xs.f8Down = false;
            } else if (!xs.f8Down) {
                xs.f8Down = true;
                Event ev;
                ev.kind = EventKind::Hotkey;
                ev.hotkeyId = kHotkeyF8;
                out.push_back(ev);
            }
            continue;
        }
        if (e.xcookie.type != GenericEvent || e.xcookie.extension != xs.xiOpcode) continue;
        if (!XGetEventData(xs.display, &e.xcookie)) continue;
        const int type = e.xcookie.evtype;
        if (xs.rawSelected && (type == XI_RawMotion || type == XI_RawButtonPress || type == XI_RawButtonRelease))
            readRawEvent(*static_cast<const XIRawEvent*>(e.xcookie.data), out);
        XFreeEventData(xs.display, &e.xcookie);
    }
}

void selectRaw(bool on) {
    unsigned char mask[XIMaskLen(XI_LASTEVENT)] = {0};
    if (on) {
        XISetMask(mask, XI_RawMotion);
        XISetMask(mask, XI_RawButtonPress);
        XISetMask(mask, XI_RawButtonRelease);
    }
    // Master devices only: each physical report then arrives once, not once per level.
    XIEventMask em{XIAllMasterDevices, static_cast<int>(sizeof mask), mask};
    XISelectEvents(xs.display, DefaultRootWindow(xs.display), &em, 1);
    XFlush(xs.display);
}

// ---- The SDL side -------------------------------------------------------------------

void readSdlEvent(const SDL_Event& e, SDL_Window* window, std::vector<Event>& out) {
    Event ev;
    switch (e.type) {
        case SDL_QUIT:
            ev.kind = EventKind::Quit;
            out.push_back(ev);
            break;
        case SDL_WINDOWEVENT:
            if (window && e.window.windowID != SDL_GetWindowID(window)) break;
            switch (e.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    ev.kind = EventKind::Close;
                    out.push_back(ev);
                    break;
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    ev.kind = EventKind::Resized;
                    SDL_GL_GetDrawableSize(window, &ev.width, &ev.height);
                    if (ev.width > 0 && ev.height > 0) out.push_back(ev);
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    ev.kind = EventKind::FocusLost;
                    out.push_back(ev);
                    break;
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    ev.kind = EventKind::FocusGained;
                    out.push_back(ev);
                    break;
                default:
                    break;
            }
            break;
        case SDL_KEYDOWN:
            ev.kind = EventKind::Key;
            ev.key = keyFromSdl(e.key.keysym.sym);
            ev.repeat = e.key.repeat != 0;
            if (ev.key != 0) out.push_back(ev);
            break;
        default:
            break;
    }
}

}  // namespace

void pumpEvents(void* window, std::vector<Event>& out) {
    SDL_Window* win = static_cast<SDL_Window*>(window);
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            detail::uiBackendProcessEvent(e);
            readSdlEvent(e, win, out);
        }
    }
    drainX(out);
}

bool startRawMouse(void* window) {
    xs.window = static_cast<SDL_Window*>(window);
    if (xs.rawSelected) return true;
    Display* d = xDisplay();
    if (!d) return false;
    int event = 0, error = 0;
    int major = 2, minor = 2;
    // XInput 2.1 and later deliver raw events while another client grabs the pointer,
    // which SDL does while the mouse is captured.
    if (!XQueryExtension(d, "XInputExtension", &xs.xiOpcode, &event, &error) ||
        XIQueryVersion(d, &major, &minor) != Success || (major == 2 && minor < 1)) {
        closeDisplayWhenUnused();
        return false;
    }
    selectRaw(true);
    xs.rawSelected = true;
    xs.carryX = xs.carryY = 0;
    return true;
}

void stopRawMouse() {
    if (xs.rawSelected && xs.display) selectRaw(false);
    xs.rawSelected = false;
    xs.window = nullptr;
    closeDisplayWhenUnused();
}

void setBackgroundRawMouse(bool on) { xs.background = on; }

void setPointerCaptured(void* window, bool on) {
    if (!window || !SDL_WasInit(SDL_INIT_VIDEO)) return;
    // Relative mode only hides and confines the pointer; the counts come from the listener.
    SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE);
    SDL_ShowCursor(on ? SDL_DISABLE : SDL_ENABLE);
}

void centrePointer(void* window) {
    if (!window || !SDL_WasInit(SDL_INIT_VIDEO)) return;
    int w = 0, h = 0;
    SDL_GetWindowSize(static_cast<SDL_Window*>(window), &w, &h);
    SDL_WarpMouseInWindow(static_cast<SDL_Window*>(window), w / 2, h / 2);
}

bool registerHotkeyF8() {
    if (xs.f8Grabbed) return true;
    Display* d = xDisplay();
    if (!d) return false;
    xs.f8Code = XKeysymToKeycode(d, XK_F8);
    if (xs.f8Code == 0) {
        closeDisplayWhenUnused();
        return false;
    }
    // Caps Lock and Num Lock must not hide the key, so grab it with each of them.
    const unsigned int lockMasks[] = {0, LockMask, Mod2Mask, LockMask | Mod2Mask};
    Window root = DefaultRootWindow(d);
    XSync(d, False);
    xError = false;
    XErrorHandler previous = XSetErrorHandler(recordXError);
    for (unsigned int m : lockMasks) XGrabKey(d, xs.f8Code, m, root, False, GrabModeAsync, GrabModeAsync);
    XSync(d, False);
    XSetErrorHandler(previous);
    if (xError) {
        for (unsigned int m : lockMasks) XUngrabKey(d, xs.f8Code, m, root);
        XSync(d, False);
        closeDisplayWhenUnused();
        return false;
    }
    xs.f8Grabbed = true;
    xs.f8Down = false;
    return true;
}

void unregisterHotkeyF8() {
    if (!xs.f8Grabbed || !xs.display) return;
    const unsigned int lockMasks[] = {0, LockMask, Mod2Mask, LockMask | Mod2Mask};
    for (unsigned int m : lockMasks) XUngrabKey(xs.display, xs.f8Code, m, DefaultRootWindow(xs.display));
    XFlush(xs.display);
    xs.f8Grabbed = false;
    xs.f8Down = false;
    closeDisplayWhenUnused();
}

namespace {
// Injection goes through the listener's own connection when it is open: after the
// round trip the events it caused are already queued for the next pump.
Display* injectionDisplay() {
    Display* d = xDisplay();
    if (!d) return nullptr;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(d, &event, &error, &major, &minor)) return nullptr;
    return d;
}
}  // namespace

bool injectRelativeMove(int32_t dx, int32_t dy) {
    Display* d = injectionDisplay();
    if (!d) return false;
    XTestFakeRelativeMotionEvent(d, dx, dy, CurrentTime);
    XSync(d, False);
    closeDisplayWhenUnused();
    return true;
}

bool injectKeyTap(int32_t key) {
    Display* d = injectionDisplay();
    if (!d) return false;
    KeySym sym = keySymFromKey(key);
    ::KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(d, sym);
    if (code == 0) {
        closeDisplayWhenUnused();
        return false;
    }
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, CurrentTime);
    XSync(d, False);
    closeDisplayWhenUnused();
    return true;
}

bool injectButton(int32_t button, bool down) {
    if (button < 1 || button > 3) return false;
    Display* d = injectionDisplay();
    if (!d) return false;
    XTestFakeButtonEvent(d, static_cast<unsigned int>(button), down ? True : False, CurrentTime);
    XSync(d, False);
    closeDisplayWhenUnused();
    return true;
}

}  // namespace plat
