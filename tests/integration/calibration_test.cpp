#include <gtest/gtest.h>

#include "core/catalog/catalog.h"
#include "core/profile/app.h"
#include "integration/calibration.h"
#include "tests/fakes/sound_recorder.h"
#include "tests/integration/test_support.h"
#include "tests/support/scoped_env.h"

namespace {


std::vector<SoundId> soundIds() {
    std::vector<SoundId> ids;
    for (const PlayedSound& s : playedSounds()) {
        EXPECT_FLOAT_EQ(s.gain, 1.0f);
        ids.push_back(s.id);
    }
    return ids;
}

// A calibration screen over a scratch home whose Documents hold one Reforger profile.
class Calibration : public ::testing::Test {
protected:
    void SetUp() override {
        test_files::write(home.at("Documents") / "My Games" / "ArmaReforger" / "profile" / ".save" /
                       "app1874880_user1" / "settings" / "ReforgerGameSettings.conf",
                   "SCR_AimSensitivitySettings {\r\n m_fMouseSensitivity 0.7\r\n}\r\n"
                   "SCR_FieldOfViewSettings {\r\n m_fFirstPersonFOV 74\r\n}\r\n");
        app.dataDir = (home.at("data")).string();
        std::filesystem::create_directories(app.dataDir);
        playedSounds().clear();
    }
    void TearDown() override { resetCalibratedYaws(); }

    // One F8-to-F8 measurement of raw moves.
    void measure(std::initializer_list<int64_t> moves) {
        onCalibrateHotkey(app);
        for (int64_t dx : moves) onCalibrateCounts(app, dx);
        onCalibrateHotkey(app);
    }

    TempFolder home;
    ScopedEnv homeVar{"HOME", home.path()};
    ScopedEnv config{"XDG_CONFIG_HOME", std::nullopt};
    App app;
    const int32_t reforger = gameIndexById("reforger");
    const int32_t custom = gameIndexById("custom");
};

TEST_F(Calibration, CountsPerTurnBetweenTwoPresses) {
    struct Case {
        const char* label;
        int32_t turns;
        std::vector<int64_t> moves;
        double accepted;  // 0: rejected
    };
    const std::vector<Case> cases = {
        {"one turn", 1, {300, 200, 300}, 800},
        {"two turns", 2, {800}, 400},
        {"three turns with corrections", 3, {1000, -40, 1540}, 2500.0 / 3},
        {"turning left", 1, {-500, -300}, 800},
        {"turns 0 counts as 1", 0, {800}, 800},
        {"negative turns count as 1", -2, {800}, 800},
        {"exactly 50 per turn", 2, {100}, 0},
        {"50.5 per turn", 2, {101}, 50.5},
        {"nothing", 1, {}, 0},
        {"back and forth to nothing", 1, {4000, -4000}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        enterCalibrate(app, reforger, ScreenTools);
        app.calTurns = c.turns;
        playedSounds().clear();
        onCalibrateHotkey(app);
        EXPECT_TRUE(app.calCounting);
        EXPECT_EQ(app.calCounts, 0);
        for (int64_t dx : c.moves) onCalibrateCounts(app, dx);
        onCalibrateHotkey(app);
        EXPECT_FALSE(app.calCounting);
        if (c.accepted > 0) {
            ASSERT_EQ(app.calTries.size(), 1u);
            EXPECT_DOUBLE_EQ(app.calTries[0], c.accepted);
            EXPECT_EQ(soundIds(), (std::vector<SoundId>{SoundGo, SoundRoundEnd}));
        } else {
            EXPECT_TRUE(app.calTries.empty());
            EXPECT_EQ(soundIds(), (std::vector<SoundId>{SoundGo, SoundMiss}));
        }
    }
}

TEST_F(Calibration, SeveralTriesAndReArming) {
    enterCalibrate(app, reforger, ScreenTools);
    measure({800});
    measure({30});  // a slip: dropped, the player just starts again
    // Counts between measurements belong to none of them.
    onCalibrateCounts(app, 5000);
    measure({810});
    measure({-790});
    EXPECT_EQ(app.calTries, (std::vector<double>{800, 810, 790}));
    EXPECT_EQ(soundIds(), (std::vector<SoundId>{SoundGo, SoundRoundEnd, SoundGo, SoundMiss, SoundGo, SoundRoundEnd,
                                                SoundGo, SoundRoundEnd}));

    // Entering again starts with no tries and no running count.
    onCalibrateHotkey(app);
    ASSERT_TRUE(app.calCounting);
    enterCalibrate(app, reforger, ScreenTools);
    EXPECT_TRUE(app.calTries.empty());
    EXPECT_FALSE(app.calCounting);
}

TEST_F(Calibration, NothingHappensAwayFromTheCalibrationScreen) {
    enterCalibrate(app, reforger, ScreenTools);
    onCalibrateHotkey(app);
    app.screen = ScreenHome;  // left while counting
    onCalibrateCounts(app, 1000);
    EXPECT_EQ(app.calCounts, 0);
    playedSounds().clear();
    onCalibrateHotkey(app);
    EXPECT_TRUE(app.calTries.empty());
    EXPECT_TRUE(playedSounds().empty());

    App idle;
    idle.screen = ScreenResults;
    onCalibrateHotkey(idle);
    EXPECT_FALSE(idle.calCounting);
    EXPECT_TRUE(playedSounds().empty());
}

TEST_F(Calibration, EnterTakesTheSensitivityToTurnWith) {
    const int32_t cs2 = gameIndexById("cs2");
    struct Case {
        const char* label;
        int32_t mainGame;
        bool sensUnknown;
        bool automation;
        int32_t calGame;
        double expected;
    };
    const Case cases[] = {
        {"main game: the stated sensitivity", custom, false, false, custom, 0.5},
        {"stated sensitivity unknown", custom, true, false, custom, 3.0},
        {"not the main game", cs2, false, false, custom, 3.0},
        {"Reforger: the file's value wins", reforger, false, false, reforger, 0.7},
        {"Reforger under automation: not the file's", reforger, false, true, reforger, 0.5},
        {"Reforger, not the main game", cs2, false, false, reforger, 0.7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        app.game = c.mainGame;
        app.sens = 0.5;
        app.sensUnknown = c.sensUnknown;
        app.automation = c.automation;
        app.calSens = 3.0;
        app.calTries = {1, 2};
        app.calCounting = true;
        enterCalibrate(app, c.calGame, ScreenResults);
        EXPECT_DOUBLE_EQ(app.calSens, c.expected);
        EXPECT_EQ(app.calGame, c.calGame);
        EXPECT_EQ(app.calReturnScreen, ScreenResults);
        EXPECT_EQ(app.screen, ScreenCalibrate);
        EXPECT_TRUE(app.calTries.empty());
        EXPECT_FALSE(app.calCounting);
    }
    EXPECT_TRUE(app.reforger.found);
    EXPECT_DOUBLE_EQ(app.reforger.firstPersonFov, 74);
}

TEST_F(Calibration, ResultFromTheTries) {
    app.dpi = 800;
    app.calSens = 1.0;
    app.calTries = {800, 810, 790};
    CalibrationResult r = calibrationResult(app);
    EXPECT_EQ(r.tries, 3);
    EXPECT_DOUBLE_EQ(r.countsPerTurn, 800);
    EXPECT_NEAR(r.spread, 10, 1e-9);
    EXPECT_NEAR(r.spreadPercent, 1.25, 1e-9);
    EXPECT_TRUE(r.agreeing);
    EXPECT_FALSE(r.inconsistent);
    EXPECT_DOUBLE_EQ(r.yaw, 0.45);
    EXPECT_DOUBLE_EQ(r.cm360, 800.0 / 800 * 2.54);

    app.calTries = {800, 840};
    r = calibrationResult(app);
    EXPECT_DOUBLE_EQ(r.countsPerTurn, 820);
    EXPECT_NEAR(r.spread, 28.284271, 1e-6);
    EXPECT_TRUE(r.inconsistent);
    EXPECT_FALSE(r.agreeing);

    app.calTries = {12400};
    app.calSens = 0.5;
    r = calibrationResult(app);
    EXPECT_EQ(r.spread, 0);
    EXPECT_FALSE(r.agreeing);
    EXPECT_FALSE(r.inconsistent);
    EXPECT_DOUBLE_EQ(r.yaw, 360.0 / (0.5 * 12400));

    app.calTries.clear();
    r = calibrationResult(app);
    EXPECT_EQ(r.tries, 0);
    EXPECT_EQ(r.yaw, 0);
}

TEST_F(Calibration, SavedReforgerYawSurvivesASettingsRoundTrip) {
    app.game = reforger;
    app.sens = 0.4;
    app.sensUnknown = true;
    app.myGames = "cs2";
    enterCalibrate(app, reforger, ScreenSetup);
    ASSERT_DOUBLE_EQ(app.calSens, 0.7);
    measure({1234});
    measure({1236});
    const double yaw = 360.0 / (0.7 * 1235);

    ASSERT_TRUE(saveCalibration(app));
    EXPECT_DOUBLE_EQ(gameCatalog()[reforger].yaw, yaw);
    EXPECT_DOUBLE_EQ(app.reforgerYaw, yaw);
    EXPECT_DOUBLE_EQ(app.reforgerFov, 74);
    EXPECT_DOUBLE_EQ(app.sens, 0.7);
    EXPECT_FALSE(app.sensUnknown);
    EXPECT_EQ(app.myGames, "cs2,reforger");
    EXPECT_TRUE(app.calTries.empty());
    EXPECT_EQ(app.screen, ScreenSetup);

    resetCalibratedYaws();
    App reloaded;
    reloaded.dataDir = app.dataDir;
    reloaded.loadSettings();
    EXPECT_NEAR(reloaded.reforgerYaw, yaw, yaw * 1e-5);
    EXPECT_NEAR(gameCatalog()[reforger].yaw, yaw, yaw * 1e-5);
    EXPECT_NEAR(reloaded.reforgerFov, 74, 1e-9);
    EXPECT_NEAR(reloaded.sens, 0.7, 1e-9);
    EXPECT_EQ(reloaded.game, reforger);
}

TEST_F(Calibration, SavedCustomYawGoesToTheTypedYawSetting) {
    app.game = gameIndexById("cs2");
    app.sens = 1.5;
    app.myGames = "custom,cs2";
    enterCalibrate(app, custom, ScreenConverter);
    app.calSens = 2.0;
    measure({9000});
    ASSERT_TRUE(saveCalibration(app));
    EXPECT_DOUBLE_EQ(app.customYaw, 360.0 / (2.0 * 9000));
    EXPECT_DOUBLE_EQ(app.sens, 1.5);  // not the main game
    EXPECT_EQ(gameCatalog()[reforger].yaw, 0);
    EXPECT_EQ(app.myGames, "cs2");  // a typed-yaw game is taken off the list
    EXPECT_EQ(app.screen, ScreenConverter);

    App reloaded;
    reloaded.dataDir = app.dataDir;
    reloaded.loadSettings();
    EXPECT_NEAR(reloaded.customYaw, 0.02, 1e-9);
}

TEST_F(Calibration, NothingToSaveWithoutATry) {
    enterCalibrate(app, reforger, ScreenTools);
    EXPECT_FALSE(saveCalibration(app));
    EXPECT_EQ(app.screen, ScreenCalibrate);
    EXPECT_EQ(gameCatalog()[reforger].yaw, 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(app.dataDir) / "settings.ini"));
}

}  // namespace
