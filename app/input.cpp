#include "app/input.h"

#include <algorithm>
#include <cmath>

#include "app/startup.h"
#include "core/catalog/armory.h"
#include "core/catalog/sound.h"
#include "core/profile/app.h"
#include "engine/flow/starters.h"
#include "imgui.h"
#include "integration/calibration.h"
#include "platform/system/ui_backend.h"
#include "ui/kit.h"
#include "ui/screens.h"

namespace {

void setUiMouseIgnored(bool ignored) {
    if (!ImGui::GetCurrentContext()) return;
    const ImGuiConfigFlags flags = ImGuiConfigFlags_NoMouse | ImGuiConfigFlags_NoMouseCursorChange;
    ImGuiIO& io = ImGui::GetIO();
    if (ignored)
        io.ConfigFlags |= flags;
    else
        io.ConfigFlags &= ~flags;
}

}  // namespace

void handleEvent(App& app, const plat::Event& event) {
    switch (event.kind) {
        case plat::EventKind::Quit:
        case plat::EventKind::Close:
            app.quitRequested = true;
            break;
        case plat::EventKind::Resized:
            if (event.width > 0 && event.height > 0) {
                app.width = event.width;
                app.height = event.height;
            }
            break;
        case plat::EventKind::FocusLost:
            if (app.automation) break;
            pauseRound(app);
            app.aiming = false;
            setMouseCaptured(app, false);
            break;
        case plat::EventKind::FocusGained:
            break;
        case plat::EventKind::Key:
            if (!event.repeat) onKey(app, event.key);
            break;
        case plat::EventKind::RawMouse: {
            int32_t dx = event.dx, dy = event.dy;
            if (event.absolute) {
                // Remote desktops and tablets report positions, not counts.
                app.absoluteMouseSeen = true;
                dx = dy = 0;
            }
            // Under automation the simulated player drives the round.
            if (!app.automation) onRawMouse(app, dx, dy, event.buttons);
            break;
        }
        case plat::EventKind::Hotkey:
            if (event.hotkeyId == plat::kHotkeyF8) onCalibrateHotkey(app);
            break;
        case plat::EventKind::ScaleChanged:
            onDesktopScaleChanged(app, event.scale);
            break;
    }
}

void onDesktopScaleChanged(App& app, float desktopScale) {
    const float scale = startupUiScale(app.uiScaleOverride, desktopScale);
    if (scale == app.uiScale) return;
    app.uiScale = scale;
    // Between frames (events are handled before the next one starts): the fonts and the
    // style are made again at the new scale, from the defaults, so nothing is scaled twice.
    if (ImGui::GetCurrentContext()) {
        ImGui::GetIO().Fonts->Clear();
        ImGui::GetStyle() = ImGuiStyle();
        loadFontsAndTheme(app);
        plat::uiBackendFontsChanged();
    }
    if (!app.hwnd) return;
    if (app.fullscreen && !app.automation) {
        applyWindowMode(app);
        return;
    }
    // The window already has the rectangle the system chose; only its smallest size follows.
    if (app.automation) return;
    int32_t frame[4] = {0, 0, 0, 0};
    plat::frameExtents(app.hwnd, &frame[0], &frame[1], &frame[2], &frame[3]);
    int32_t minW = 0, minH = 0;
    minimumClientSize(plat::workArea(app.hwnd), app.uiScale, frame[0], frame[1], frame[2], frame[3], &minW, &minH);
    plat::setMinimumClientSize(app.hwnd, minW, minH);
}

void onRawMouse(App& app, int32_t dx, int32_t dy, uint16_t buttons) {
    if (onCalibrateCounts(app, dx)) return;
    if (app.screen == ScreenRound) {
        if (app.roundPhase != RoundPlaying || !app.mouseCaptured) return;
        const bool scopedPractice = app.sessionKind == SessionPractice && gunIsScoped(app.gun);
        if ((buttons & plat::MouseRightDown) && scopedPractice) {
            app.aiming = true;
            playSound(SoundScopeIn, 0.6f);
        }
        if (buttons & plat::MouseRightUp) app.aiming = false;
        // Scoped practice turns at a quarter of hip-fire speed times the scope multiplier,
        // once the zoom is at least half-way in.
        double multiplier = 1.0;
        if (scopedPractice && app.zoom >= 0.5f) {
            multiplier = 0.25 * app.scopeMult;
            if (!(multiplier > 0)) multiplier = 1.0;
        }
        app.round.sensMultiplier = multiplier;
        app.swayInput[0] += static_cast<double>(dx);
        app.swayInput[1] += static_cast<double>(dy);
        if (dx != 0 || dy != 0) app.round.applyMouse(static_cast<double>(dx), static_cast<double>(dy));
        // A shot is stamped when it arrives, not at the next frame.
        if (buttons & plat::MouseLeftDown) app.round.fireShot(app.secondsSinceStart());
        return;
    }
    if (app.screen == ScreenDpi && app.dpiMeasuring) {
        app.dpiCountsX += static_cast<int64_t>(dx);
        app.dpiCountsY += static_cast<int64_t>(dy);
    }
}

void onKey(App& app, int32_t key) {
    switch (key) {
        case plat::KeyEscape:
            if (app.screen == ScreenRound) {
                if (app.roundPhase == RoundPaused)
                    resumeRound(app);
                else
                    pauseRound(app);
            } else if (app.screen == ScreenSetup) {
                if (app.setupStep > 0) {
                    app.setupStep -= 1;
                } else {
                    app.screen = ScreenHome;
                    app.setupStep = 0;
                }
            } else if (app.screen == ScreenDpi) {
                app.dpiMeasuring = false;
                app.screen = app.dpiReturnScreen;
            } else {
                app.screen = ScreenHome;
            }
            break;
        case plat::KeySpace:
            // The next round starts at once instead of after the countdown.
            if (app.screen == ScreenRound && app.roundPhase == RoundBetween) startRound(app);
            break;
        case plat::KeyF12:
            requestCapture(app, "manual");
            break;
        default:
            break;
    }
}

void setMouseCaptured(App& app, bool on) {
    if (on && !app.automation) {
        plat::centrePointer(app.hwnd);
        plat::setPointerCaptured(app.hwnd, true);
        setUiMouseIgnored(true);
        app.mouseCaptured = true;
        return;
    }
    plat::setPointerCaptured(app.hwnd, false);
    setUiMouseIgnored(false);
    if (app.mouseCaptured) plat::centrePointer(app.hwnd);
    app.mouseCaptured = false;
}

void setRawInputSink(App& app, bool on) {
    if (on == app.rawInputSink) return;
    if (on) {
        // The counts must arrive while the game being calibrated has the focus.
        plat::setBackgroundRawMouse(true);
        // Without a window there is nothing to deliver the hotkey to.
        app.f8HotkeyOk = app.hwnd != nullptr && plat::registerHotkeyF8();
    } else {
        plat::setBackgroundRawMouse(!app.inputTestFile.empty());
        plat::unregisterHotkeyF8();
        app.f8HotkeyOk = false;
        app.calCounting = false;  // a count in progress is dropped
    }
    app.rawInputSink = on;
}

plat::Rect windowedClientRect(const plat::Rect& work, const int32_t sizeOverride[2], int32_t frameLeft,
                              int32_t frameTop, int32_t frameRight, int32_t frameBottom) {
    int32_t w = sizeOverride[0] > 0 ? sizeOverride[0] : 1600;
    int32_t h = sizeOverride[1] > 0 ? sizeOverride[1] : 900;
    if (w >= work.w - 39) {
        w = work.w - 40;
        h = (work.w - 40) * 9 / 16;
    }
    // A height the work area cannot hold with the frame is fitted to it: left alone, a tall
    // --size gave a window far off the screen (and past the X server's 16-bit sizes).
    const int32_t roomH = work.h - frameTop - frameBottom;
    if (roomH > 0 && h > roomH) h = roomH;
    const int32_t outerW = w + frameLeft + frameRight;
    const int32_t outerH = h + frameTop + frameBottom;
    plat::Rect client;
    client.x = work.x + (work.w - outerW) / 2 + frameLeft;
    client.y = work.y + (work.h - outerH) / 2 + frameTop;
    client.w = w;
    client.h = h;
    return client;
}

void minimumClientSize(const plat::Rect& work, float uiScale, int32_t frameLeft, int32_t frameTop,
                       int32_t frameRight, int32_t frameBottom, int32_t* w, int32_t* h) {
    const float scale = uiScale > 0 ? uiScale : 1.0f;
    int32_t minW = static_cast<int32_t>(std::ceil(static_cast<float>(kMinimumDisplayWidth) * scale));
    int32_t minH = static_cast<int32_t>(std::ceil(static_cast<float>(kMinimumDisplayHeight) * scale));
    const int32_t roomW = work.w - frameLeft - frameRight, roomH = work.h - frameTop - frameBottom;
    if (roomW > 0) minW = std::min(minW, roomW);
    if (roomH > 0) minH = std::min(minH, roomH);
    *w = minW;
    *h = minH;
}

plat::Rect grownClientRect(const plat::Rect& client, const plat::Rect& work, int32_t w, int32_t h, int32_t frameLeft,
                           int32_t frameTop, int32_t frameRight, int32_t frameBottom) {
    plat::Rect r = client;
    if (r.w < w) {
        r.w = w;
        r.x = work.x + (work.w - (w + frameLeft + frameRight)) / 2 + frameLeft;
    }
    if (r.h < h) {
        r.h = h;
        r.y = work.y + (work.h - (h + frameTop + frameBottom)) / 2 + frameTop;
    }
    return r;
}

void applyWindowMode(App& app) {
    if (!app.hwnd) return;
    if (app.fullscreen && !app.automation) {
        plat::setBorderlessFullscreen(app.hwnd);
        plat::Rect monitor = plat::monitorRect(app.hwnd);
        if (monitor.w > 0 && monitor.h > 0) {
            app.width = monitor.w;
            app.height = monitor.h;
        }
        return;
    }
    const plat::Rect work = plat::workArea(app.hwnd);
    int32_t frame[4] = {0, 0, 0, 0};
    plat::frameExtents(app.hwnd, &frame[0], &frame[1], &frame[2], &frame[3]);
    // No limit while the window is placed (an older, larger one would clamp it); the new one
    // once it is out of full screen, where a minimum would not hold.
    plat::setMinimumClientSize(app.hwnd, 0, 0);
    if (std::all_of(frame, frame + 4, [](int32_t v) { return v == 0; })) {
        // A window manager frames the window only once it shows windowed (the first time, or
        // leaving full screen): it goes there at the plain size first, and is placed by the
        // frame it then has, so the whole frame lies inside the work area.
        plat::setWindowed(app.hwnd, windowedClientRect(work, app.sizeOverride, 0, 0, 0, 0));
        plat::frameExtents(app.hwnd, &frame[0], &frame[1], &frame[2], &frame[3]);
    }
    plat::Rect client = windowedClientRect(work, app.sizeOverride, frame[0], frame[1], frame[2], frame[3]);
    int32_t minW = 0, minH = 0;
    if (!app.automation) {
        minimumClientSize(work, app.uiScale, frame[0], frame[1], frame[2], frame[3], &minW, &minH);
        client = grownClientRect(client, work, minW, minH, frame[0], frame[1], frame[2], frame[3]);
    }
    plat::setWindowed(app.hwnd, client);
    plat::setMinimumClientSize(app.hwnd, minW, minH);
    if (client.w > 0 && client.h > 0) {
        app.width = client.w;
        app.height = client.h;
    }
}

void requestCapture(App& app, const std::string& name) { app.pendingCapture = name; }
