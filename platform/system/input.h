#pragma once
// Events of the window, raw mouse counts, the F8 hotkey and synthetic input.
#include <cstdint>
#include <vector>

namespace plat {

// Key codes are the Windows virtual-key values, so portable code matches key tables as written.
enum KeyCode : int32_t {
    KeyBackspace = 0x08,
    KeyTab = 0x09,
    KeyEnter = 0x0D,
    KeyEscape = 0x1B,
    KeySpace = 0x20,
    KeyLeft = 0x25,
    KeyUp = 0x26,
    KeyRight = 0x27,
    KeyDown = 0x28,
    KeyDelete = 0x2E,
    Key0 = 0x30,  // '0'..'9' follow
    KeyA = 0x41,  // 'A'..'Z' follow
    KeyF1 = 0x70,  // F1..F12 follow
    KeyF8 = 0x77,
    KeyF12 = 0x7B,
};

// Button transitions of one raw mouse report, as the Windows raw-input bits.
enum MouseButtonFlag : uint16_t {
    MouseLeftDown = 0x0001,
    MouseLeftUp = 0x0002,
    MouseRightDown = 0x0004,
    MouseRightUp = 0x0008,
    MouseMiddleDown = 0x0010,
    MouseMiddleUp = 0x0020,
    MouseButton4Down = 0x0040,
    MouseButton4Up = 0x0080,
    MouseButton5Down = 0x0100,
    MouseButton5Up = 0x0200,
    MouseWheel = 0x0400,
};

enum class EventKind : int32_t {
    Quit,        // the system asks the program to end
    Close,       // the window's close button
    Resized,     // width, height: the new drawable size
    FocusLost,
    FocusGained,
    Key,         // key (virtual-key code), repeat
    RawMouse,    // dx, dy, buttons, absolute
    Hotkey,      // hotkeyId
    ScaleChanged,  // scale: the desktop's new display scale for the window (another monitor)
};

struct Event {
    EventKind kind = EventKind::Quit;
    int32_t key = 0;
    bool repeat = false;
    int32_t dx = 0;
    int32_t dy = 0;
    uint16_t buttons = 0;
    bool absolute = false;
    int32_t width = 0;
    int32_t height = 0;
    int32_t hotkeyId = 0;
    float scale = 0;
};

// The hotkey id the F8 registration reports in Event::hotkeyId.
inline constexpr int32_t kHotkeyF8 = 1;

// Takes every pending event of the window system, in arrival order per source: window and
// key events first (they pass through the UI backend when it is up), then raw mouse
// reports and hotkey presses. Appends to `out`.
void pumpEvents(void* window, std::vector<Event>& out);

// Raw mouse input for this window: unaccelerated device counts, delivered only while the
// window has the focus unless background input is on. False when the platform offers none
// (no display server); the program then simply sees no counts.
bool startRawMouse(void* window);
void stopRawMouse();
void setBackgroundRawMouse(bool on);

// Hides the pointer and keeps it inside the window (on), or gives it back (off).
void setPointerCaptured(void* window, bool on);
// Puts the pointer at the centre of the window's client area.
void centrePointer(void* window);

// F8 as a global hotkey: it arrives as an Event::Hotkey even while another program has the
// focus, once per press (held keys do not repeat). False when it cannot be registered
// (another program holds it, or no display server).
bool registerHotkeyF8();
void unregisterHotkeyF8();

// Synthetic input through the system's input stream, waited for until the server has it.
bool injectRelativeMove(int32_t dx, int32_t dy);
bool injectKeyTap(int32_t key);
bool injectButton(int32_t button, bool down);  // 1 left, 2 middle, 3 right

}  // namespace plat
