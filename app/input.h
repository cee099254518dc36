#pragma once
// The window procedure's logic over plain event records: raw mouse counts, keys, focus
// (pausing and resuming a round through the starters), mouse capture, background input
// with the F8 hotkey, and the window mode. Portable and testable without a window: with no
// window handle the platform calls do nothing.
#include <cstdint>
#include <string>

#include "platform/system/input.h"
#include "platform/system/window.h"

struct App;

// One event of the window system (the window procedure).
void handleEvent(App& app, const plat::Event& event);

// Raw mouse counts and the button transitions of one report, routed by screen.
void onRawMouse(App& app, int32_t dx, int32_t dy, uint16_t buttons);
// A key press (never a repeat), as a virtual-key code.
void onKey(App& app, int32_t key);

// The desktop's display scale for the window changed (it went to another monitor): the UI
// scale follows unless --scale fixed it, with fonts and style made anew, and so does the
// window's smallest size (a full-screen window covers its monitor again).
void onDesktopScaleChanged(App& app, float desktopScale);

// Hides and confines the pointer for a round (never under automation), or frees it.
void setMouseCaptured(App& app, bool on);
// Background raw input and the F8 hotkey, on exactly while the calibrate screen is shown.
void setRawInputSink(App& app, bool on);

// Borderless full screen, or a window of the asked client size centred in the work area;
// the player's window no smaller than minimumClientSize (unattended runs take the size they
// ask for: their captures have it).
void applyWindowMode(App& app);
// The client rectangle of the windowed mode: sizeOverride (1600 x 900 when not given),
// narrowed to 40 pixels under the work area's width in 16:9 when it would not fit, its
// height then cut to what the work area holds with the frame, centred with its frame in the
// work area.
plat::Rect windowedClientRect(const plat::Rect& work, const int32_t sizeOverride[2], int32_t frameLeft,
                              int32_t frameTop, int32_t frameRight, int32_t frameBottom);

// The smallest client size of the player's window: the display every screen fits in, at
// the UI scale, but no more than the work area holds with the window's frame.
void minimumClientSize(const plat::Rect& work, float uiScale, int32_t frameLeft, int32_t frameTop,
                       int32_t frameRight, int32_t frameBottom, int32_t* w, int32_t* h);
// `client` grown to at least w x h; an axis that grows is centred again with its frame in
// the work area.
plat::Rect grownClientRect(const plat::Rect& client, const plat::Rect& work, int32_t w, int32_t h, int32_t frameLeft,
                           int32_t frameTop, int32_t frameRight, int32_t frameBottom);

// Names a capture for the main loop to write after the next UI frame.
void requestCapture(App& app, const std::string& name);
