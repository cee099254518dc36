#include <vector>

#include "app/automation.h"
#include "app/frame_pacing.h"
#include "app/input.h"
#include "app/profile_handover.h"
#include "app/result_image.h"
#include "app/scene.h"
#include "app/shell.h"
#include "app/startup.h"
#include "core/profile/app.h"
#include "engine/flow/session_flow.h"
#include "imgui.h"
#include "platform/base/clock.h"
#include "platform/base/paths.h"
#include "platform/system/input.h"
#include "platform/system/pacing.h"
#include "platform/system/ui_backend.h"
#include "platform/system/window.h"
#include "render/renderer.h"
#include "ui/screens.h"
#include "updater/updater.h"

double counterSeconds(const App& app, int64_t counter) {
    if (app.qpcFrequency <= 0) return 0;
    return static_cast<double>(counter - app.qpcStart) / static_cast<double>(app.qpcFrequency);
}

double clampedFrameTime(double now, double previous) {
    double dt = now - previous;
    if (!(dt > 0)) return 0;
    return dt > 0.1 ? 0.1 : dt;
}

void advanceAppClock(App& app, double wallNow, double dt) {
    if (!app.automation) {
        app.now = wallNow;
    } else if (!(app.screen == ScreenRound && app.roundPhase == RoundPlaying)) {
        app.now += app.automationSpeed * dt;
    }
}

std::string capturePath(const App& app, const std::string& name) {
    const std::string& folder = app.shotsDir.empty() ? app.dataDir : app.shotsDir;
    return plat::joinPath(folder, name + ".bmp");
}

namespace {

struct LoopState {
    double prev = 0;
    int32_t frames = 0;
    double timeSum = 0;
    bool appliedVsync = false;
    bool appliedFullscreen = false;
    bool haveTimer = false;
    std::vector<plat::Event> events;
};

void drainEvents(App& app, LoopState& loop) {
    loop.events.clear();
    plat::pumpEvents(app.hwnd, loop.events);
    for (const plat::Event& e : loop.events) handleEvent(app, e);
}

void countFrame(App& app, LoopState& loop, double dt) {
    loop.frames += 1;
    loop.timeSum += dt;
    if (loop.timeSum >= 0.5) {
        app.fps = loop.frames / loop.timeSum;
        loop.frames = 0;
        loop.timeSum = 0;
    }
}

void applyDisplayChanges(App& app, LoopState& loop) {
    if (app.vsync != loop.appliedVsync) {
        setSwapInterval(app.vsync ? 1 : 0);
        loop.appliedVsync = app.vsync;
    }
    if (app.fullscreen != loop.appliedFullscreen) {
        applyWindowMode(app);
        loop.appliedFullscreen = app.fullscreen;
    }
}

void drawSceneFrame(App& app) {
    const SceneView view = buildSceneView(app);
    ensureMsaaTarget(app.renderer.msaa, app.width, app.height, app.msaa ? 4 : 0);
    drawScene(app.renderer, view);
}

void drawUiFrame(App& app) {
    if (!ImGui::GetCurrentContext()) return;
    plat::uiBackendNewFrame();
    ImGui::NewFrame();
    drawUi(app);
    ImGui::Render();
    plat::uiBackendRenderDrawData();
}

void writePendingCapture(App& app) {
    if (app.pendingCapture.empty()) return;
    // The back buffer, UI included: the capture shows what the frame shows.
    const std::string path = capturePath(app, app.pendingCapture);
    // An unattended run goes on and lists what is missing at its end (exit code 1).
    if (!saveFrameBmp(app.renderer, path.c_str(), app.width, app.height) && isUnattended(app))
        app.unwrittenFiles.push_back(path);
    app.pendingCapture.clear();
}

// The profile goes to a new version while it starts, and comes back if it does not; once the
// new version is up with it, this copy ends normally, writing nothing to it.
void followUpdate(App& app) {
    settleProfileHandOver(app);
    if (updater::updateState() == updater::UpdateInstalled) app.quitRequested = true;
}

}  // namespace

void runMainLoop(App& app) {
    LoopState loop;
    loop.prev = app.secondsSinceStart();
    loop.appliedVsync = app.vsync;
    loop.appliedFullscreen = app.fullscreen;
    loop.haveTimer = plat::frameTimerAvailable();

    while (!app.quitRequested) {
        const int64_t frameStart = plat::counterNow();
        drainEvents(app, loop);
        if (app.quitRequested) break;
        if (plat::isMinimized(app.hwnd)) {
            // An update started before the window was minimised still gets the profile.
            followUpdate(app);
            plat::sleepMilliseconds(10);
            loop.prev = app.secondsSinceStart();
            continue;
        }
        const double t = counterSeconds(app, plat::counterNow());
        const double dt = clampedFrameTime(t, loop.prev);
        countFrame(app, loop, dt);
        advanceAppClock(app, t, dt);
        updateFrame(app, dt);
        setRawInputSink(app, app.screen == ScreenCalibrate);
        applyDisplayChanges(app, loop);
        drawSceneFrame(app);
        drawUiFrame(app);
        writePendingCapture(app);
        if (app.shareCapturePending) saveShareImage(app);  // after the UI: the card is on screen
        plat::swapWindow(app.hwnd);
        followUpdate(app);
        runAutomationDrivers(app);
        waitForFrameCap(frameCapFor(app), frameStart, app.qpcFrequency, loop.haveTimer);
        loop.prev = t;
    }
}
