// Start-up and shutdown in their fixed order; each step is one call.
#include <chrono>
#include <thread>

#include "app/command_line.h"
#include "app/input.h"
#include "app/profile_handover.h"
#include "app/shell.h"
#include "app/startup.h"
#include "audio/output.h"
#include "audio/wav_export.h"
#include "core/profile/app.h"
#include "engine/flow/mouse_capture.h"
#include "imgui.h"
#include "integration/reforger.h"
#include "platform/system/clipboard.h"
#include "platform/system/exe.h"
#include "platform/system/input.h"
#include "platform/system/instance.h"
#include "platform/system/message.h"
#include "platform/system/ui_backend.h"
#include "platform/system/window.h"
#include "render/renderer.h"
#include "ui/kit.h"
#include "updater/updater.h"

namespace {

const char* const kWindowTitle = "Tarvion - Sensitivity Finder";
const char* const kAlreadyRunning = "Tarvion is already running.";
constexpr int kRaiseAttempts = 50;
// How long quitting waits for a clipboard manager to take a result image still on the clipboard.
constexpr int32_t kClipboardHandOverMs = 3000;

// Ends a failed start-up: the message (a box only in interactive runs), the window gone,
// the scan thread joined, the update check stopped. The exit code is 1.
int startupFailure(App& app, const char* text) {
    plat::reportError(text, !isUnattended(app));
    if (ImGui::GetCurrentContext()) {
        plat::uiBackendShutdown();
        ImGui::DestroyContext();
    }
    plat::stopRawMouse();
    plat::destroyGlWindow(app.hwnd);
    app.hwnd = nullptr;
    joinDetectionThread(app);
    updater::stopAtExit();
    return 1;
}

const char* windowFailureText(plat::WindowFailure failure) {
    switch (failure) {
        case plat::WindowFailure::PixelFormat: return "Could not set an OpenGL pixel format.";
        case plat::WindowFailure::Context: return "Could not create an OpenGL context. Update your graphics driver.";
        default: return nullptr;
    }
}

// The holder may still be starting (a double click twice): its window comes within moments.
bool raiseRunningCopy(const std::string& folder) {
    for (int attempt = 0; attempt < kRaiseAttempts; ++attempt) {
        if (plat::raiseProfileHolder(folder)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

void loadProfile(App& app) {
    app.loadSettings();
    applyUnattendedResets(app);
    app.loadHistory();
    app.loadScores();
    app.reforger = locateReforgerSettings();
}

void createUiContext(App& app) {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
    io.IniFilename = nullptr;
    plat::uiBackendInit(app.hwnd);
    loadFontsAndTheme(app);
}

void startRawInput(App& app) {
    plat::startRawMouse(app.hwnd);
    // The input check must see its own injected moves whichever window has the focus.
    plat::setBackgroundRawMouse(!app.inputTestFile.empty());
}

void shutDown(App& app) {
    setMouseCaptured(app, false);
    setRawInputSink(app, false);
    plat::stopRawMouse();
    joinDetectionThread(app);
    // The updater's threads are detached and may still be downloading: no partial file
    // stays behind, and a swap under way is not cut off.
    updater::stopAtExit();
    // A profile lent to a new version that is up is that version's now: nothing is written.
    takeProfileBackAtExit(app);
    if (!app.profileLent) {
        app.saveSettings();
        plat::releaseProfileFolder();
    }
    plat::releaseClipboard(kClipboardHandOverMs);
    shutdownAudio();
    releaseMsaaTarget(app.renderer.msaa);
    if (ImGui::GetCurrentContext()) {
        plat::uiBackendShutdown();
        ImGui::DestroyContext();
    }
    plat::destroyGlWindow(app.hwnd);
    app.hwnd = nullptr;
}

}  // namespace

int runTarvion(const std::vector<std::string>& args) {
    // First of all: nothing this run starts inherits an update's hand-over. The copy that
    // started this one hears from it once it is up (below).
    plat::takeSuccessorHandOver();
    App app;
    setMouseCaptureSink(&setMouseCaptured);
    CommandLine line = parseCommandLine(app, args);
    // A refused value ends the run before any folder, file or window exists; stderr only,
    // as the command line is the place it came from.
    if (!line.error.empty()) {
        plat::reportError(line.error, false);
        return 1;
    }
    if (line.exportSounds) return runExportSounds(line.exportDir);
    if (line.manifestGiven) updater::setManifestUrl(line.manifestUrl);

    // An interactive run goes on without its folder (its files then fail silently); an
    // unattended one would leave nothing behind, so it ends here.
    chooseDataFolder(app);
    if (isUnattended(app)) {
        const std::string problem = unattendedOutputProblem(app);
        if (!problem.empty()) {
            plat::reportError(problem, false);
            return 1;
        }
    }
    // One player's copy per profile: a second start shows the first one instead. Unattended
    // runs have folders of their own and never wait for a player's copy.
    if (!isUnattended(app) && plat::claimProfileFolder(app.dataDir) == plat::FolderClaim::HeldElsewhere) {
        if (!raiseRunningCopy(app.dataDir)) plat::reportError(kAlreadyRunning, true);
        return 0;
    }
    // An update lends this copy's profile to the new version while that one starts.
    if (!isUnattended(app)) updater::handOverProfileOnInstall();
    loadProfile(app);
    if (!isUnattended(app)) {
        app.tourVisible = !app.tutorialDone;
        if (app.checkUpdates) updater::checkAsync();
    }
    startDetectionThread(app);

    plat::WindowFailure failure = plat::WindowFailure::None;
    app.hwnd = plat::createGlWindow(kWindowTitle, 1600, 900, &failure);
    if (!app.hwnd) {
        if (const char* text = windowFailureText(failure)) return startupFailure(app, text);
        // No window at all: no box either, there is nothing to show it on.
        plat::reportError("Could not create the window.", false);
        joinDetectionThread(app);
        updater::stopAtExit();
        return 1;
    }
    if (!loadGlFunctions()) return startupFailure(app, "Your graphics driver does not support OpenGL 3.3.");
    setSwapInterval(app.vsync ? 1 : 0);
    // The scale before the window mode: the smallest and the first windowed size follow it.
    app.uiScale = startupUiScale(app.uiScaleOverride, plat::uiDpiScale(app.hwnd));
    applyWindowMode(app);
    plat::showAndFocus(app.hwnd);
    plat::publishProfileWindow(app.hwnd);
    startRawInput(app);
    createUiContext(app);
    if (!initRenderer(app.renderer)) return startupFailure(app, "Shader compilation failed.");
    // Up: an update's restart lets the copy that started it quit. The previous version
    // stays until now, so a build that cannot get this far leaves the way back.
    plat::confirmSuccessorStarted();
    updater::deleteOldExe();
    initAudio();
    setMasterVolume(app.volume);

    runMainLoop(app);
    shutDown(app);
    return finalExitCode(app);
}
