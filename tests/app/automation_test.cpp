// The unattended drivers: animation frames, banner, input check and gallery, driven pass by
// pass over the real sessions without a window; and the built program's input check end to
// end under its own X server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/automation.h"
#include "app/gallery.h"
#include "app/input.h"
#include "app/shell.h"
#include "core/catalog/armory.h"
#include "core/profile/app.h"
#include "engine/flow/mouse_capture.h"
#include "engine/flow/session_flow.h"
#include "integration/calibration.h"
#include "platform/system/input.h"
#include "tests/app/program_run.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

using test_files::readText;

// One main-loop pass without a window: clock, session, the capture write, then `driver`.
// Returns the capture written in this pass ("" for none).
template <class Driver>
std::string pass(App& app, double& wall, Driver&& driver, double dt = 1.0 / 60) {
    wall += dt;
    advanceAppClock(app, wall, dt);
    updateFrame(app, dt);
    std::string written = app.pendingCapture;
    app.pendingCapture.clear();
    driver();
    return written;
}

class AutomatedApp : public ::testing::Test {
protected:
    void SetUp() override {
        app_.automation = true;
        app_.applyAutomationReset();
        app_.detectionDone.store(true);
    }
    App app_;
    double wall_ = 0;
};

// ---- Animation frames --------------------------------------------------------

TEST_F(AutomatedApp, GifStartsItsRoundOnTheSecondFrameAndSkipsTheCountdown) {
    GifDriver d;
    gifStep(app_, d);
    EXPECT_EQ(app_.screen, ScreenHome);
    gifStep(app_, d);
    ASSERT_EQ(app_.screen, ScreenRound);
    EXPECT_EQ(app_.sessionKind, SessionPractice);
    EXPECT_DOUBLE_EQ(app_.practiceCm, 32.0);
    EXPECT_EQ(app_.theme, "desert");
    EXPECT_EQ(app_.gun, "halberd");
    EXPECT_EQ(app_.skin, "woodland");
    ASSERT_EQ(app_.round.phase, DrillIntro);
    EXPECT_TRUE(app_.pendingCapture.empty()) << "no frame of the countdown";

    std::vector<std::string> frames;
    for (int i = 0; i < 4000 && frames.size() < 3; ++i) {
        const std::string w = pass(app_, wall_, [&] { gifStep(app_, d); });
        if (!w.empty()) frames.push_back(w);
        if (!app_.pendingCapture.empty()) {
            EXPECT_NE(app_.round.phase, DrillIntro);
        }
    }
    EXPECT_EQ(frames, (std::vector<std::string>{"f000", "f001", "f002"}));
}

TEST_F(AutomatedApp, GifFramesAreSpacedInAppTimeAndNeverTakenBetweenRounds) {
    GifDriver d;
    app_.gifFps = 12;
    gifStep(app_, d);
    gifStep(app_, d);
    app_.round.phase = DrillFlick;
    app_.now = 10;
    gifStep(app_, d);
    ASSERT_EQ(app_.pendingCapture, "f000");
    app_.pendingCapture.clear();
    struct Case {
        double now;
        int32_t roundPhase;
        const char* expected;
    };
    const Case cases[] = {
        {10.05, RoundPlaying, ""},             // less than 1/12 s later
        {10.0833333, RoundPlaying, "f001"},     // 1/12 s within the tolerance
        {10.2, RoundBetween, ""},               // the round summary shows
        {10.3, RoundPaused, ""},
        {10.3, RoundPlaying, "f002"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.now);
        app_.now = c.now;
        app_.roundPhase = c.roundPhase;
        gifStep(app_, d);
        EXPECT_EQ(app_.pendingCapture, c.expected);
        app_.pendingCapture.clear();
    }
}

TEST_F(AutomatedApp, GifEndsOnlyOnceItsLastFrameHasBeenWritten) {
    for (int32_t frames : {1, 3}) {
        SCOPED_TRACE(frames);
        App app;
        app.automation = true;
        app.applyAutomationReset();
        app.gifFrames = frames;
        GifDriver d;
        double wall = 0;
        std::vector<std::string> written;
        int i = 0;
        for (; i < 8000 && !app.quitRequested; ++i) {
            const std::string w = pass(app, wall, [&] { gifStep(app, d); });
            if (!w.empty()) written.push_back(w);
            // The loop leaves as soon as quit is set: a capture still pending then is lost.
            if (app.quitRequested) {
                EXPECT_TRUE(app.pendingCapture.empty());
            }
        }
        ASSERT_TRUE(app.quitRequested);
        EXPECT_EQ(static_cast<int32_t>(written.size()), frames);
        EXPECT_EQ(written.back(), gifFrameName(frames - 1));
    }
}

TEST(GifFrameName, ThreeDigitsFromZero) {
    EXPECT_EQ(gifFrameName(0), "f000");
    EXPECT_EQ(gifFrameName(7), "f007");
    EXPECT_EQ(gifFrameName(83), "f083");
    EXPECT_EQ(gifFrameName(1234), "f1234");
}

// ---- Banner ------------------------------------------------------------------

TEST_F(AutomatedApp, BannerPosesTheArmoryCapturesOnFrame40AndQuitsOn44) {
    BannerDriver d;
    bannerStep(app_, d);
    EXPECT_TRUE(app_.bannerMode);
    EXPECT_EQ(app_.screen, ScreenArmory);
    EXPECT_EQ(app_.theme, "synthwave");
    EXPECT_EQ(app_.gun, "kingfisher");
    EXPECT_EQ(app_.skin, "neon");
    // Frames with a capture pending are not counted.
    app_.pendingCapture = "manual";
    for (int i = 0; i < 5; ++i) bannerStep(app_, d);
    app_.pendingCapture.clear();
    for (int frame = 2; frame < 40; ++frame) bannerStep(app_, d);
    EXPECT_TRUE(app_.pendingCapture.empty());
    bannerStep(app_, d);
    EXPECT_EQ(app_.pendingCapture, "banner");
    app_.pendingCapture.clear();
    for (int frame = 41; frame < 44; ++frame) bannerStep(app_, d);
    EXPECT_FALSE(app_.quitRequested);
    bannerStep(app_, d);
    EXPECT_TRUE(app_.quitRequested);
}

// ---- Input check -------------------------------------------------------------

// The synthetic input goes straight to the handlers, as the message drain would deliver it.
App* gTarget = nullptr;
std::vector<std::pair<int32_t, int32_t>> gMoves;
int32_t gTaps = 0;
bool gDeliver = true;

bool fakeMove(int32_t dx, int32_t dy) {
    gMoves.emplace_back(dx, dy);
    if (gDeliver) onRawMouse(*gTarget, dx, dy, 0);
    return true;
}
bool fakeTap(int32_t key) {
    EXPECT_EQ(key, plat::KeyF8);
    gTaps += 1;
    if (gDeliver) onCalibrateHotkey(*gTarget);
    return true;
}
bool fakeForeground(void*) { return true; }

class InputCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        app_.applyInputTestReset();
        app_.inputTestFile = (dir_ / "report.txt").string();
        setMouseCaptureSink(&setMouseCaptured);
        gTarget = &app_;
        gMoves.clear();
        gTaps = 0;
        gDeliver = true;
        io_.move = &fakeMove;
        io_.keyTap = &fakeTap;
        io_.foreground = &fakeForeground;
    }
    void TearDown() override {
        gTarget = nullptr;
    }
    // Passes until the check ends; returns their number.
    int runToEnd() {
        int passes = 0;
        while (!app_.quitRequested && passes < 1000) {
            ++passes;
            // The main loop shows the calibrate screen with the hotkey and background input.
            setRawInputSink(app_, app_.screen == ScreenCalibrate);
            inputCheckStep(app_, check_, io_);
        }
        return passes;
    }
    App app_;
    InputCheck check_;
    InputCheckIo io_;
    TempFolder temp_;
    fs::path dir_{temp_.dir()};
};

TEST_F(InputCheckTest, AWrittenReportLeavesNothingUnwritten) {
    runToEnd();
    EXPECT_TRUE(fs::exists(app_.inputTestFile));
    EXPECT_TRUE(app_.unwrittenFiles.empty());
}

TEST_F(InputCheckTest, ACorrectPathReportsTheExpectedTurnsAndOneCalibrationTry) {
    const int passes = runToEnd();
    EXPECT_EQ(passes, 40 + 40 + 20 + 20 + 20 + 20);
    int64_t sumX = 0, sumY = 0;
    for (const auto& [dx, dy] : gMoves) {
        sumX += dx;
        sumY += dy;
    }
    EXPECT_EQ(gMoves.size(), 10u + 25u + 4u + 100u + 20u);
    EXPECT_EQ(sumX, 825 + 24800);
    EXPECT_EQ(sumY, 200 + 300);
    EXPECT_EQ(gTaps, 2);
    // No window here, so no hotkey could be registered; everything else is as on a good machine.
    EXPECT_EQ(readText(app_.inputTestFile),
              "degPerCount=0.028575 (40 cm/360 at 800 DPI -> expected 0.028575)\n"
              "yaw   delta measured 23.57437 deg, expected 23.57437 deg (825 counts)\n"
              "pitch delta measured -5.71500 deg, expected -5.71500 deg (200 counts down)\n"
              "foreground=1 captured=1 absolute=0\n"
              "calibrator: hotkey=0 trials=1 counts/360=12400.0 (expected 12400) yaw=0.0290323 (expected 0.0290323)\n");
    EXPECT_EQ(app_.screen, ScreenCalibrate);
    EXPECT_EQ(app_.calTurns, 2);
    EXPECT_FALSE(app_.mouseCaptured);
}

TEST_F(InputCheckTest, ItsStatesComeAtTheirFrames) {
    struct Mark {
        int pass;
        int32_t state;
    };
    const Mark marks[] = {{1, 1}, {39, 1}, {40, 2}, {79, 2}, {80, 3}, {100, 4}, {120, 5}, {140, 6}};
    int done = 0;
    for (const Mark& m : marks) {
        while (done < m.pass) {
            setRawInputSink(app_, app_.screen == ScreenCalibrate);
            inputCheckStep(app_, check_, io_);
            ++done;
        }
        EXPECT_EQ(check_.state, m.state) << "after pass " << m.pass;
        if (m.pass == 1) {
            EXPECT_EQ(app_.screen, ScreenRound);
            EXPECT_DOUBLE_EQ(app_.practiceCm, 40.0);
            EXPECT_FALSE(app_.tutorialPractice);
            EXPECT_TRUE(gMoves.empty());
        }
        if (m.pass == 39) {
            EXPECT_TRUE(gMoves.empty());
        }
        if (m.pass == 40) {
            EXPECT_EQ(gMoves.size(), 39u);
        }
    }
    EXPECT_FALSE(app_.quitRequested);
}

TEST_F(InputCheckTest, InputThatNeverArrivesShowsAsZerosAndTheCheckStillEnds) {
    gDeliver = false;
    io_.foreground = nullptr;
    runToEnd();
    EXPECT_TRUE(app_.quitRequested);
    EXPECT_EQ(readText(app_.inputTestFile),
              "degPerCount=0.028575 (40 cm/360 at 800 DPI -> expected 0.028575)\n"
              "yaw   delta measured 0.00000 deg, expected 23.57437 deg (825 counts)\n"
              "pitch delta measured 0.00000 deg, expected -5.71500 deg (200 counts down)\n"
              "foreground=0 captured=1 absolute=0\n"
              "calibrator: hotkey=0 trials=0 counts/360=0.0 (expected 12400) yaw=0.0000000 (expected 0.0290323)\n");
}

TEST_F(InputCheckTest, AnUnwritableReportIsSkippedAndTheCheckStillEnds) {
    app_.inputTestFile = (dir_ / "no" / "such" / "report.txt").string();
    const int passes = runToEnd();
    EXPECT_TRUE(app_.quitRequested);
    EXPECT_EQ(passes, 160);
    EXPECT_FALSE(fs::exists(app_.inputTestFile));
    // The run is told, once, so it can end with exit code 1.
    EXPECT_EQ(app_.unwrittenFiles, std::vector<std::string>{app_.inputTestFile});
    // Ended for good: more passes add nothing.
    app_.quitRequested = false;
    for (int i = 0; i < 50; ++i) inputCheckStep(app_, check_, io_);
    EXPECT_FALSE(app_.quitRequested);
}

// ---- Gallery -----------------------------------------------------------------

struct Shot {
    std::string name;
    int32_t screen;
    int32_t armoryTab;
    std::string gun, skin, theme;
};

TEST_F(AutomatedApp, GalleryPhotographsEveryGunSkinAndCombinationThenQuits) {
    app_.galleryDir = app_.shotsDir = "gallery";
    GalleryState g;
    std::vector<Shot> shots;
    int passes = 0;
    for (; passes < 5000 && !app_.quitRequested; ++passes) {
        pass(app_, wall_, [&] {
            galleryStep(app_, g);
            if (!app_.pendingCapture.empty())
                shots.push_back({app_.pendingCapture, app_.screen, app_.armoryTab, app_.gun, app_.skin, app_.theme});
        });
        ASSERT_FALSE(app_.quitRequested && !app_.pendingCapture.empty());
    }
    ASSERT_TRUE(app_.quitRequested);
    const auto& guns = gunCatalog();
    const auto& skins = skinCatalog();
    ASSERT_EQ(shots.size(), guns.size() * 2 + skins.size() + 6);
    EXPECT_EQ(shots.size(), 39u);
    EXPECT_EQ(shots.front().name, std::string("g_0_") + guns[0].id);

    size_t i = 0;
    for (size_t k = 0; k < guns.size(); ++k, ++i) {
        SCOPED_TRACE(shots[i].name);
        EXPECT_EQ(shots[i].name, "g_" + std::to_string(k) + "_" + guns[k].id);
        EXPECT_EQ(shots[i].screen, ScreenArmory);
        EXPECT_EQ(shots[i].armoryTab, 0);
        EXPECT_EQ(shots[i].gun, guns[k].id);
        EXPECT_EQ(shots[i].skin, "factory");
    }
    for (size_t k = 0; k < guns.size(); ++k, ++i) {
        SCOPED_TRACE(shots[i].name);
        EXPECT_EQ(shots[i].name, "fp_" + std::to_string(k) + "_" + guns[k].id);
        EXPECT_EQ(shots[i].screen, ScreenRound) << "inside the practice round";
        EXPECT_EQ(shots[i].gun, guns[k].id);
    }
    for (size_t k = 0; k < skins.size(); ++k, ++i) {
        SCOPED_TRACE(shots[i].name);
        EXPECT_EQ(shots[i].name, "s_" + std::to_string(k) + "_" + skins[k].id);
        EXPECT_EQ(shots[i].screen, ScreenArmory);
        EXPECT_EQ(shots[i].armoryTab, 1);
        EXPECT_EQ(shots[i].skin, skins[k].id);
        EXPECT_EQ(shots[i].gun, k % 2 == 0 ? "halberd" : "longbow");
    }
    for (int32_t k = 0; k < kGalleryComboCount; ++k, ++i) {
        const GalleryCombo& c = kGalleryCombos[k];
        SCOPED_TRACE(shots[i].name);
        EXPECT_EQ(shots[i].name, "m_" + std::to_string(k) + "_" + c.map);
        EXPECT_EQ(shots[i].screen, ScreenRound);
        EXPECT_EQ(shots[i].theme, c.map);
        EXPECT_EQ(shots[i].gun, c.gun);
        EXPECT_EQ(shots[i].skin, c.skin);
    }
    EXPECT_FALSE(app_.mouseCaptured);
}

TEST_F(AutomatedApp, GalleryFirstPersonShotComesThreePassesAfterTheGunChange) {
    GalleryState g;
    g.phase = 1;
    g.index = 2;
    galleryStep(app_, g);
    ASSERT_EQ(app_.screen, ScreenRound);
    EXPECT_EQ(app_.gun, gunCatalog()[2].id);
    const int32_t roundsBefore = app_.simRoundCounter;
    for (int i = 0; i < 3; ++i) {
        galleryStep(app_, g);
        EXPECT_TRUE(app_.pendingCapture.empty());
    }
    galleryStep(app_, g);
    EXPECT_EQ(app_.pendingCapture, std::string("fp_2_") + gunCatalog()[2].id);
    app_.pendingCapture.clear();
    // The next gun changes under the running round; no new session starts.
    galleryStep(app_, g);
    EXPECT_EQ(app_.gun, gunCatalog()[3].id);
    EXPECT_EQ(app_.simRoundCounter, roundsBefore);
}

TEST_F(AutomatedApp, GalleryDoesNothingWhileACaptureIsPending) {
    GalleryState g;
    g.wait = 2;
    app_.pendingCapture = "manual";
    for (int i = 0; i < 10; ++i) galleryStep(app_, g);
    EXPECT_EQ(g.wait, 2);
    EXPECT_EQ(g.phase, 0);
    EXPECT_EQ(g.index, 0);
}

TEST(GalleryNames, IndexWithoutLeadingZeros) {
    EXPECT_EQ(galleryCaptureName("s_", 10, "neon"), "s_10_neon");
    EXPECT_EQ(galleryCaptureName("g_", 0, "halberd"), "g_0_halberd");
    ASSERT_GT(skinCatalog().size(), 10u);
}

// ---- The built program's input check, end to end --------------------------------

// The report of a correct input path: the injected counts exactly, F8 seen, one trial.
const char* const kExactInputReport =
    "degPerCount=0.028575 (40 cm/360 at 800 DPI -> expected 0.028575)\n"
    "yaw   delta measured 23.57437 deg, expected 23.57437 deg (825 counts)\n"
    "pitch delta measured -5.71500 deg, expected -5.71500 deg (200 counts down)\n"
    "foreground=1 captured=1 absolute=0\n"
    "calibrator: hotkey=1 trials=1 counts/360=12400.0 (expected 12400) yaw=0.0290323 (expected 0.0290323)\n";

// Under a private X server, so no other test's input or window meets the injected moves.
TEST(InputCheckRun, InjectedMovesAndF8ArriveExactlyThroughTheWholeInputPath) {
    if (const std::string why = program_run::whyNotNative(); !why.empty()) GTEST_SKIP() << why;
    const TempFolder temp;
    const fs::path dir = temp.dir();
    EXPECT_EQ(program_run::runNative(dir, "--inputtest report.txt --scale 1", 120), 0) << readText(dir / "run.log");
    EXPECT_EQ(readText(dir / "report.txt"), kExactInputReport);
    // The run's own data folder holds the profile; the user's is never touched.
    EXPECT_TRUE(fs::exists(dir / "report.txt_data" / "settings.ini"));
    EXPECT_FALSE(fs::exists(dir / "home"));
}

// The Windows build under Wine (raw input, SendInput, RegisterHotKey), run by the Windows
// test stage, which names the program in TARVION_WINE_EXE and has a prefix with pointer
// acceleration off (with Wine's default, injected moves arrive doubled).
TEST(InputCheckRun, TheWindowsBuildCountsExactlyUnderWine) {
    const char* exe = std::getenv("TARVION_WINE_EXE");
    if (!exe) GTEST_SKIP() << "runs in the Windows test stage";
    const TempFolder temp;
    const fs::path dir = temp.dir();
    EXPECT_EQ(program_run::runUnderWine(exe, dir, "--inputtest report.txt --scale 1", 180), 0)
        << readText(dir / "run.log");
    EXPECT_EQ(readText(dir / "report.txt"), kExactInputReport);
    EXPECT_TRUE(fs::exists(dir / "report.txt_data" / "settings.ini"));
}

}  // namespace
