// Raw mouse counts through WM_INPUT, the F8 hotkey through RegisterHotKey, synthetic input
// through SendInput, and the captured pointer (confined by ClipCursor, hidden over the
// client area). Every message arrives on the main thread inside pumpEvents.
#include "platform/system/input.h"

#include <windows.h>

#include <cstddef>
#include <cstring>

#include "platform/system/win32/input_messages.h"

namespace plat {

namespace {

// RAWINPUTHEADER of a 64-bit process, and the largest report read (a mouse report is 48).
constexpr UINT kRawHeaderSize = sizeof(RAWINPUTHEADER);
constexpr UINT kRawReportMax = 256;
constexpr int kHotkeyId = kHotkeyF8;

struct InputState {
    HWND window = nullptr;  // raw input target and hotkey owner
    bool rawStarted = false;
    bool background = false;
    bool captured = false;
    HWND hotkeyWindow = nullptr;
    bool hotkeyRegistered = false;
    std::vector<Event> queue;
};

InputState& input() {
    static InputState state;
    return state;
}

bool registerMouse(HWND target, DWORD flags) {
    RAWINPUTDEVICE device{};
    device.usUsagePage = 1;  // generic desktop
    device.usUsage = 2;      // mouse
    device.dwFlags = flags;
    device.hwndTarget = target;
    return RegisterRawInputDevices(&device, 1, sizeof device) != FALSE;
}

// The client rectangle in screen coordinates; false for a window that has none.
bool clientOnScreen(HWND window, RECT& rect) {
    if (!window || !GetClientRect(window, &rect)) return false;
    POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    if (!ClientToScreen(window, &corners[0]) || !ClientToScreen(window, &corners[1])) return false;
    rect = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    return true;
}

// Counts reach the program only while its window is in front, unless background input is
// on (the calibration, the input check): then also while another program has the focus.
bool deliverRaw(HWND window, WPARAM wParam) {
    const InputState& s = input();
    if (s.background) return true;
    if (GET_RAWINPUT_CODE_WPARAM(wParam) == RIM_INPUTSINK) return false;
    return GetForegroundWindow() == window;
}

void readRawInput(HWND window, WPARAM wParam, LPARAM lParam) {
    HRAWINPUT handle = reinterpret_cast<HRAWINPUT>(lParam);
    UINT size = 0;
    if (GetRawInputData(handle, RID_INPUT, nullptr, &size, kRawHeaderSize) != 0) return;
    if (size < 1 || size > kRawReportMax) return;
    alignas(8) BYTE buffer[kRawReportMax];
    UINT got = size;
    if (GetRawInputData(handle, RID_INPUT, buffer, &got, kRawHeaderSize) != size) return;
    RAWINPUT raw{};
    std::memcpy(&raw, buffer, sizeof raw < size ? sizeof raw : size);
    if (raw.header.dwType != RIM_TYPEMOUSE || size < offsetof(RAWINPUT, data) + sizeof(RAWMOUSE)) return;
    if (!deliverRaw(window, wParam)) return;
    Event ev;
    ev.kind = EventKind::RawMouse;
    ev.buttons = raw.data.mouse.usButtonFlags;
    if (raw.data.mouse.usFlags & MOUSE_MOVE_ABSOLUTE) {
        // Remote desktops and tablets report positions, not counts.
        ev.absolute = true;
    } else {
        ev.dx = raw.data.mouse.lLastX;
        ev.dy = raw.data.mouse.lLastY;
        // A report that neither moves nor clicks carries nothing (Wine sends some when
        // windows come and go).
        if (ev.dx == 0 && ev.dy == 0 && ev.buttons == 0) return;
    }
    input().queue.push_back(ev);
}

INPUT mouseInput(DWORD flags, LONG dx = 0, LONG dy = 0) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = dx;
    in.mi.dy = dy;
    in.mi.dwFlags = flags;
    return in;
}

bool isExtendedKey(int32_t key) {
    return (key >= KeyLeft && key <= KeyDown) || key == KeyDelete;
}

}  // namespace

namespace win32 {

void postEvent(const Event& event) { input().queue.push_back(event); }

bool handleInputMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
        case WM_INPUT:
            readRawInput(window, wParam, lParam);
            // The system frees the report in the default handling.
            *result = DefWindowProcW(window, message, wParam, lParam);
            return true;
        case WM_HOTKEY:
            if (static_cast<int>(wParam) == kHotkeyId) {
                Event ev;
                ev.kind = EventKind::Hotkey;
                ev.hotkeyId = kHotkeyF8;
                postEvent(ev);
            }
            *result = 0;
            return true;
        case WM_SETCURSOR:
            if (input().captured && LOWORD(lParam) == HTCLIENT) {
                SetCursor(nullptr);
                *result = TRUE;
                return true;
            }
            return false;
        default:
            return false;
    }
}

}  // namespace win32

void pumpEvents(void* window, std::vector<Event>& out) {
    (void)window;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            Event ev;
            ev.kind = EventKind::Quit;
            win32::postEvent(ev);
            continue;
        }
        if (!msg.hwnd && msg.message == WM_HOTKEY) {
            // A hotkey registered without a window arrives as a thread message.
            LRESULT ignored = 0;
            win32::handleInputMessage(nullptr, msg.message, msg.wParam, msg.lParam, &ignored);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    InputState& s = input();
    out.insert(out.end(), s.queue.begin(), s.queue.end());
    s.queue.clear();
}

bool startRawMouse(void* window) {
    InputState& s = input();
    HWND hwnd = static_cast<HWND>(window);
    if (!hwnd) return false;
    // The sink flag needs a target window; with it counts arrive also while another
    // program has the focus.
    if (!registerMouse(hwnd, s.background ? RIDEV_INPUTSINK : 0)) return false;
    s.window = hwnd;
    s.rawStarted = true;
    return true;
}

void stopRawMouse() {
    InputState& s = input();
    if (s.rawStarted) registerMouse(nullptr, RIDEV_REMOVE);
    s.rawStarted = false;
}

void setBackgroundRawMouse(bool on) {
    InputState& s = input();
    s.background = on;
    if (s.rawStarted) registerMouse(s.window, on ? RIDEV_INPUTSINK : 0);
}

void setPointerCaptured(void* window, bool on) {
    InputState& s = input();
    HWND hwnd = static_cast<HWND>(window);
    if (!hwnd) return;
    if (on) {
        RECT client;
        if (clientOnScreen(hwnd, client)) {
            const LONG cx = (client.left + client.right) / 2, cy = (client.top + client.bottom) / 2;
            const RECT clip = {cx - 1, cy - 1, cx + 1, cy + 1};
            ClipCursor(&clip);
        }
        s.captured = true;
        SetCursor(nullptr);
        return;
    }
    ClipCursor(nullptr);
    s.captured = false;
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

void centrePointer(void* window) {
    RECT client;
    if (!clientOnScreen(static_cast<HWND>(window), client)) return;
    SetCursorPos((client.left + client.right) / 2, (client.top + client.bottom) / 2);
}

bool registerHotkeyF8() {
    InputState& s = input();
    if (s.hotkeyRegistered) return true;
    // Held keys do not repeat; a second program asking for F8 makes this fail.
    if (!RegisterHotKey(s.window, kHotkeyId, MOD_NOREPEAT, VK_F8)) return false;
    s.hotkeyWindow = s.window;
    s.hotkeyRegistered = true;
    return true;
}

void unregisterHotkeyF8() {
    InputState& s = input();
    if (!s.hotkeyRegistered) return;
    UnregisterHotKey(s.hotkeyWindow, kHotkeyId);
    s.hotkeyRegistered = false;
    s.hotkeyWindow = nullptr;
}

bool injectRelativeMove(int32_t dx, int32_t dy) {
    INPUT in = mouseInput(MOUSEEVENTF_MOVE, dx, dy);
    return SendInput(1, &in, sizeof(INPUT)) == 1;
}

bool injectKeyTap(int32_t key) {
    if (key <= 0 || key > 0xFE) return false;
    INPUT in[2] = {};
    for (int i = 0; i < 2; ++i) {
        in[i].type = INPUT_KEYBOARD;
        in[i].ki.wVk = static_cast<WORD>(key);
        in[i].ki.wScan = static_cast<WORD>(MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC));
        in[i].ki.dwFlags = isExtendedKey(key) ? KEYEVENTF_EXTENDEDKEY : 0;
    }
    in[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    return SendInput(2, in, sizeof(INPUT)) == 2;
}

bool injectButton(int32_t button, bool down) {
    DWORD flags = 0;
    switch (button) {
        case 1: flags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP; break;
        case 2: flags = down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP; break;
        case 3: flags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP; break;
        default: return false;
    }
    INPUT in = mouseInput(flags);
    return SendInput(1, &in, sizeof(INPUT)) == 1;
}

}  // namespace plat
