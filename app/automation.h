#pragma once
// The unattended drivers that run inside the main loop once per pass, after the frame has
// been presented: animation frames (--gif), the banner picture (--banner), the gallery and
// the self-test, and beside any of them the input check (--inputtest). Each is a small
// state machine over App; captures are named in App.pendingCapture for the loop to write.
#include <cstdint>
#include <string>

struct App;

// The drivers of this pass, in the loop's order: banner, else animation, else gallery,
// else the self-test (under automation); then the input check when it was asked for.
void runAutomationDrivers(App& app);

// ---- Animation frames ------------------------------------------------------
struct GifDriver {
    int32_t framesSeen = 0;
    int32_t nextFrame = 0;     // index of the next frame name
    double lastCapture = -1;   // App.now of the last frame; -1 none yet
};
void gifStep(App& app, GifDriver& driver);
// "f000", "f001", ...
std::string gifFrameName(int32_t index);

// ---- Banner ----------------------------------------------------------------
struct BannerDriver {
    int32_t framesSeen = 0;
};
void bannerStep(App& app, BannerDriver& driver);

// ---- Input check -----------------------------------------------------------
// How the check reaches the system: synthetic input and the focus. The real ones go through
// the platform layer; tests put recorders in.
struct InputCheckIo {
    bool (*move)(int32_t dx, int32_t dy) = nullptr;
    bool (*keyTap)(int32_t key) = nullptr;
    bool (*foreground)(void* window) = nullptr;
};
InputCheckIo systemInputCheckIo();

struct InputCheck {
    int32_t frames = 0;
    int32_t state = 0;  // 6 is the last; the program ends there
    double yawBefore = 0, pitchBefore = 0;
    double yawAfter = 0, pitchAfter = 0;
};
void inputCheckStep(App& app, InputCheck& check, const InputCheckIo& io);

// The report's lines: the first four (written in one go) and the calibrator line (appended).
std::string inputCheckMoveReport(const App& app, const InputCheck& check, bool foreground);
std::string inputCheckCalibratorReport(const App& app);
