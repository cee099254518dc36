#include "app/automation.h"

#include "app/gallery.h"
#include "app/input.h"
#include "app/selftest.h"
#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/profile/app.h"
#include "engine/flow/starters.h"
#include "integration/calibration.h"
#include "platform/base/files.h"
#include "platform/system/input.h"
#include "platform/system/window.h"

namespace {

constexpr double kInputCheckCm360 = 40.0;
constexpr double kInputCheckDegPerCount = kCm360Factor / (40.0 * 800.0);  // 40 cm/360 at 800 DPI
constexpr double kCalibratorCountsPerTurn = 12400.0;

bool systemForeground(void* window) { return window != nullptr && plat::hasFocus(window); }

void injectMoves(const InputCheckIo& io, int32_t dx, int32_t dy, int32_t times) {
    if (!io.move) return;
    // One move per call, as a hand would send them; one that does not arrive shows in the report.
    for (int32_t i = 0; i < times; ++i) io.move(dx, dy);
}

void tapF8(const InputCheckIo& io) {
    if (io.keyTap) io.keyTap(plat::KeyF8);
}

void noteUnwritten(App& app, const std::string& path) {
    for (const std::string& known : app.unwrittenFiles)
        if (known == path) return;
    app.unwrittenFiles.push_back(path);
}

}  // namespace

// ---- Animation frames ------------------------------------------------------

std::string gifFrameName(int32_t index) { return formatString("f%03d", index); }

void gifStep(App& app, GifDriver& d) {
    // Nothing moves while a frame waits to be written: its name must not be overwritten.
    if (!app.pendingCapture.empty()) return;
    // The last frame has been written: only now may the program end, or the loop would
    // leave before writing it.
    if (d.nextFrame >= app.gifFrames && d.nextFrame > 0) {
        app.quitRequested = true;
        return;
    }
    d.framesSeen += 1;
    if (d.framesSeen == 2) {
        app.theme = "desert";
        app.gun = "halberd";
        app.skin = "woodland";
        startPractice(app, 32.0, false);
    }
    if (app.screen != ScreenRound || app.roundPhase != RoundPlaying || app.round.phase == DrillIntro) return;
    const double fps = app.gifFps > 0 ? app.gifFps : 1;
    if (d.lastCapture >= 0 && app.now - d.lastCapture < 1.0 / fps - 0.000001) return;
    requestCapture(app, gifFrameName(d.nextFrame));
    d.nextFrame += 1;
    d.lastCapture = app.now;
}

// ---- Banner ----------------------------------------------------------------

void bannerStep(App& app, BannerDriver& d) {
    if (!app.pendingCapture.empty()) return;
    d.framesSeen += 1;
    switch (d.framesSeen) {
    case 1:
        // The Armory camera and gun pose take fixed values in banner mode.
        app.bannerMode = true;
        app.screen = ScreenArmory;
        app.theme = "synthwave";
        app.gun = "kingfisher";
        app.skin = "neon";
        break;
    case 40: requestCapture(app, "banner"); break;
    case 44: app.quitRequested = true; break;
    default: break;
    }
}

// ---- Input check -----------------------------------------------------------

InputCheckIo systemInputCheckIo() {
    InputCheckIo io;
    io.move = &plat::injectRelativeMove;
    io.keyTap = &plat::injectKeyTap;
    io.foreground = &systemForeground;
    return io;
}

std::string inputCheckMoveReport(const App& app, const InputCheck& c, bool foreground) {
    const double perCount = app.round.degPerCount;
    std::string out = formatString("degPerCount=%.6f (40 cm/360 at 800 DPI -> expected %.6f)\n", perCount,
                                   kInputCheckDegPerCount);
    out += formatString("yaw   delta measured %.5f deg, expected %.5f deg (825 counts)\n", c.yawAfter - c.yawBefore,
                        825 * perCount);
    out += formatString("pitch delta measured %.5f deg, expected %.5f deg (200 counts down)\n",
                        c.pitchAfter - c.pitchBefore, -200 * perCount);
    out += formatString("foreground=%d captured=%d absolute=%d\n", foreground ? 1 : 0, app.mouseCaptured ? 1 : 0,
                        app.absoluteMouseSeen ? 1 : 0);
    return out;
}

std::string inputCheckCalibratorReport(const App& app) {
    const double counts = app.calTries.empty() ? 0.0 : app.calTries.front();
    const double yaw = counts != 0 ? 360.0 / counts : 0.0;
    return formatString("calibrator: hotkey=%d trials=%d counts/360=%.1f (expected 12400) yaw=%.7f (expected %.7f)\n",
                        app.f8HotkeyOk ? 1 : 0, static_cast<int32_t>(app.calTries.size()), counts, yaw,
                        360.0 / kCalibratorCountsPerTurn);
}

void inputCheckStep(App& app, InputCheck& c, const InputCheckIo& io) {
    c.frames += 1;
    switch (c.state) {
    case 0:
        if (c.frames != 1) return;
        startPractice(app, kInputCheckCm360, false);
        c.state = 1;
        return;
    case 1:
        if (c.frames <= 39) return;
        c.yawBefore = app.round.yaw;
        c.pitchBefore = app.round.pitch;
        injectMoves(io, 100, 0, 10);
        injectMoves(io, -7, 0, 25);
        injectMoves(io, 0, 50, 4);  // 825 counts right, 200 down
        c.frames = 0;
        c.state = 2;
        return;
    case 2: {
        if (c.frames <= 39) return;
        c.yawAfter = app.round.yaw;
        c.pitchAfter = app.round.pitch;
        const bool foreground = io.foreground && io.foreground(app.hwnd);
        // An unwritable report loses its lines; the check still runs to its end, and the run
        // then ends with exit code 1.
        if (!plat::writeWholeFile(app.inputTestFile, inputCheckMoveReport(app, c, foreground)))
            noteUnwritten(app, app.inputTestFile);
        setMouseCaptured(app, false);
        app.screen = ScreenHome;
        app.calTurns = 2;
        enterCalibrate(app, gameIndexById("reforger"), ScreenHome);
        app.calSens = 1.0;
        c.frames = 0;
        c.state = 3;
        return;
    }
    case 3:
        if (c.frames <= 19) return;
        tapF8(io);  // the calibrator starts counting
        c.frames = 0;
        c.state = 4;
        return;
    case 4:
        if (c.frames <= 19) return;
        injectMoves(io, 250, 3, 100);
        injectMoves(io, -10, 0, 20);  // 24,800 counts: two turns of 12,400
        c.frames = 0;
        c.state = 5;
        return;
    case 5:
        if (c.frames <= 19) return;
        tapF8(io);  // stops the count and keeps the try
        c.frames = 0;
        c.state = 6;
        return;
    case 6: {
        if (c.frames <= 19) return;
        std::string text;
        // A missing first part (it could not be written) does not stop the last line.
        plat::readFileCapped(app.inputTestFile, 1 << 20, text);
        if (!plat::writeWholeFile(app.inputTestFile, text + inputCheckCalibratorReport(app)))
            noteUnwritten(app, app.inputTestFile);
        app.quitRequested = true;
        c.state = 7;
        return;
    }
    default: return;
    }
}

// ---- Dispatch --------------------------------------------------------------

void runAutomationDrivers(App& app) {
    static GifDriver gif;
    static BannerDriver banner;
    static InputCheck inputCheck;
    if (!app.bannerDir.empty()) {
        bannerStep(app, banner);
    } else if (!app.gifDir.empty()) {
        gifStep(app, gif);
    } else if (!app.galleryDir.empty()) {
        galleryStep(app);
    } else if (app.automation) {
        selfTestStep(app);
    }
    if (!app.inputTestFile.empty()) inputCheckStep(app, inputCheck, systemInputCheckIo());
}
