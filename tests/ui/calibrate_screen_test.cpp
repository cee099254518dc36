#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/input.h"
#include "core/catalog/catalog.h"
#include "integration/calibration.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/ui_harness.h"
#include "ui/probe.h"

namespace {

int32_t reforger() { return gameIndexById("reforger"); }
int32_t customGame() { return gameIndexById("custom"); }

// The calibration screen on a headless UI with a data folder of its own. The Reforger row's
// yaw lives in the catalogue, so it is put back afterwards.
struct CalibrateScreen {
    App app;
    UiHarness ui{app, 1600, 1200};
    TempFolder folder;
    std::string dir = folder.path();

    CalibrateScreen() {
        app.dataDir = dir;
        app.screen = ScreenCalibrate;
        app.calGame = reforger();
        app.f8HotkeyOk = true;
    }
    ~CalibrateScreen() { resetCalibratedYaws(); }

    void show() {
        ui.frame();
        ui.frame();
    }
    // One try as the shell delivers it: F8, raw moves, F8.
    void measure(const std::vector<int64_t>& moves) {
        onCalibrateHotkey(app);
        for (int64_t dx : moves) onCalibrateCounts(app, dx);
        onCalibrateHotkey(app);
    }
    std::string settingsFile() const { return test_files::readText(dir + "/settings.ini"); }
};

TEST(CalibrateScreen, OnlyCalibratableGamesAreKept) {
    const struct {
        int32_t entered;
        int32_t expected;
    } cases[] = {
        {-1, reforger()},
        {gameIndexById("valorant"), reforger()},
        {gameIndexById("cm360"), reforger()},
        {1000, reforger()},
        {customGame(), customGame()},
        {reforger(), reforger()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entered);
        CalibrateScreen f;
        f.app.calGame = c.entered;
        f.show();
        EXPECT_EQ(f.app.calGame, c.expected);
        EXPECT_TRUE(f.ui.hasText(c.expected == reforger() ? "Arma Reforger" : "Any other game"));
        EXPECT_EQ(f.ui.hasText("YOUR REFORGER 'MOUSE AIM SENSITIVITY'"), c.expected == reforger());
        EXPECT_EQ(f.ui.hasText("Reforger: measure on foot"), c.expected == reforger());
    }
}

TEST(CalibrateScreen, TriesGiveTheYawAndSaveStoresIt) {
    struct Case {
        const char* id;
        int32_t returnScreen;
    };
    for (const Case& c : {Case{"custom", ScreenTools}, Case{"reforger", ScreenSetup}}) {
        SCOPED_TRACE(c.id);
        CalibrateScreen f;
        const int32_t game = gameIndexById(c.id);
        f.app.game = game;
        f.app.sens = 3;
        f.app.sensUnknown = true;
        enterCalibrate(f.app, game, c.returnScreen);
        f.app.calSens = 1.0;
        f.app.calTurns = 2;
        f.show();
        EXPECT_TRUE(f.ui.hasText("No measurements yet."));

        // The on-screen button brackets a try just as F8 does; two turns of 1600 counts.
        ASSERT_TRUE(f.ui.click("Start (F8)"));
        EXPECT_TRUE(f.app.calCounting);
        onCalibrateCounts(f.app, 900);
        onCalibrateCounts(f.app, 700);
        f.ui.frame();
        EXPECT_TRUE(f.ui.hasText("COUNTING...   1600 counts"));
        ASSERT_TRUE(f.ui.click("Stop (F8)"));
        EXPECT_FALSE(f.app.calCounting);
        f.measure({-1620});  // turned left: the size counts
        f.measure({1580});
        f.show();
        EXPECT_TRUE(f.ui.hasText("#1: 800 counts"));
        EXPECT_TRUE(f.ui.hasText("#2: 810 counts"));
        EXPECT_TRUE(f.ui.hasText("#3: 790 counts"));
        EXPECT_TRUE(f.ui.hasText("2.5 cm/360"));  // 800 counts at 800 DPI: one inch
        EXPECT_TRUE(f.ui.hasText("yaw 0.450000 deg per count at sens 1.0"));
        EXPECT_TRUE(f.ui.hasText("Tries agree within 1.2%"));

        // The sensitivity in the field when SAVE is pressed is the one the yaw uses.
        ASSERT_TRUE(f.ui.typeInto("##calsens", "0.5"));
        EXPECT_DOUBLE_EQ(f.app.calSens, 0.5);
        f.show();
        EXPECT_TRUE(f.ui.hasText("yaw 0.900000"));
        ASSERT_TRUE(f.ui.click("SAVE"));
        EXPECT_EQ(f.app.screen, c.returnScreen);
        EXPECT_TRUE(f.app.calTries.empty());
        EXPECT_FALSE(f.app.sensUnknown);
        EXPECT_DOUBLE_EQ(f.app.sens, 0.5);
        const std::string ini = f.settingsFile();
        if (game == customGame()) {
            EXPECT_NEAR(f.app.customYaw, 0.9, 1e-12);
            EXPECT_NE(ini.find("customYaw=0.9"), std::string::npos) << ini;
        } else {
            EXPECT_NEAR(gameCatalog()[static_cast<size_t>(game)].yaw, 0.9, 1e-12);
            EXPECT_NEAR(f.app.reforgerYaw, 0.9, 1e-12);
            EXPECT_TRUE(f.app.isMyGame(game));
            EXPECT_NE(ini.find("reforgerYaw=0.9"), std::string::npos) << ini;
        }
    }
}

TEST(CalibrateScreen, SpreadOfTheTries) {
    const struct {
        std::vector<int64_t> tries;
        const char* shown;  // null: neither line
    } cases[] = {
        {{200, 206}, "Your tries differ by 2.1%"},
        {{200, 202}, "Tries agree within 0.7%"},
        {{800, 840}, "Your tries differ by 3.4%"},
        {{800}, nullptr},
    };
    for (const auto& c : cases) {
        CalibrateScreen f;
        for (int64_t t : c.tries) f.measure({t});
        f.show();
        SCOPED_TRACE(c.tries.size());
        ASSERT_EQ(f.app.calTries.size(), c.tries.size());
        if (c.shown) {
            EXPECT_TRUE(f.ui.hasText(c.shown));
        } else {
            EXPECT_FALSE(f.ui.hasText("Your tries differ"));
            EXPECT_FALSE(f.ui.hasText("Tries agree"));
        }
        // The warning does not hold SAVE back.
        EXPECT_NE(probeFindItem("SAVE"), nullptr);
    }
}

TEST(CalibrateScreen, SensitivityBelowZeroBecomesAHundredth) {
    for (const char* typed : {"0", "-3", "1e999"}) {
        SCOPED_TRACE(typed);
        CalibrateScreen f;
        f.app.calGame = customGame();
        f.show();
        ASSERT_TRUE(f.ui.typeInto("##calsens", typed));
        f.ui.frame();
        EXPECT_DOUBLE_EQ(f.app.calSens, 0.01);
        EXPECT_TRUE(f.ui.hasText("No measurements yet."));
    }
}

TEST(CalibrateScreen, SwitchingTheGameDiscardsTheTries) {
    CalibrateScreen f;
    f.measure({800});
    f.measure({805});
    f.show();
    ASSERT_TRUE(f.ui.click("##calgame"));
    f.ui.frame();
    f.ui.frame();
    // The list holds only the two calibratable rows.
    EXPECT_EQ(probeFindItem("VALORANT"), nullptr);
    ASSERT_TRUE(f.ui.click("Any other game"));
    EXPECT_EQ(f.app.calGame, customGame());
    EXPECT_TRUE(f.app.calTries.empty());
    f.show();
    EXPECT_TRUE(f.ui.hasText("YOUR SENSITIVITY IN THAT GAME"));
}

TEST(CalibrateScreen, TurnsStatusClearAndBack) {
    CalibrateScreen f;
    f.app.calReturnScreen = ScreenConverter;
    f.show();
    EXPECT_TRUE(f.ui.hasText("exactly 1 full turn until"));
    EXPECT_TRUE(f.ui.hasText("Ready \xE2\x80\x94 press F8 in the game to start"));
    ASSERT_TRUE(f.ui.click("3##turns"));
    EXPECT_EQ(f.app.calTurns, 3);
    f.app.f8HotkeyOk = false;
    f.ui.frame();
    EXPECT_TRUE(f.ui.hasText("exactly 3 full turns until"));
    EXPECT_TRUE(f.ui.hasText("F8 is taken by another app"));

    // Three turns of 2400 counts make one try of 800.
    f.measure({2400});
    ASSERT_EQ(f.app.calTries.size(), 1u);
    EXPECT_DOUBLE_EQ(f.app.calTries[0], 800);
    f.show();
    ASSERT_TRUE(f.ui.click("Clear"));
    EXPECT_TRUE(f.app.calTries.empty());
    f.show();
    EXPECT_TRUE(f.ui.hasText("No measurements yet."));
    ASSERT_TRUE(f.ui.click("Back"));
    EXPECT_EQ(f.app.screen, ScreenConverter);
}

TEST(CalibrateScreen, EscapeGoesHomeAndSavesNothing) {
    CalibrateScreen f;
    f.app.calReturnScreen = ScreenResults;
    f.measure({800});
    f.show();
    onKey(f.app, plat::KeyEscape);
    EXPECT_EQ(f.app.screen, ScreenHome);
    EXPECT_FALSE(std::filesystem::exists(f.dir + "/settings.ini"));
    EXPECT_DOUBLE_EQ(gameCatalog()[static_cast<size_t>(reforger())].yaw, 0);
}

TEST(CalibrateScreen, ReforgerSettingsFileAndSavedYaw) {
    CalibrateScreen f;
    f.app.reforger.found = true;
    f.app.reforger.mouseSensitivity = 0.7;
    f.app.reforger.firstPersonFov = 74;
    f.app.calSens = 0.5;
    f.show();
    EXPECT_TRUE(f.ui.hasText("Reforger's settings say: sens 0.70, FOV 74"));
    EXPECT_FALSE(f.ui.hasText("Saved calibration"));
    ASSERT_TRUE(f.ui.click("Use that sens"));
    EXPECT_DOUBLE_EQ(f.app.calSens, 0.7);
    f.show();
    EXPECT_EQ(probeFindItem("Use that sens"), nullptr);
    EXPECT_EQ(probeFindItem("Re-read"), nullptr);

    setCalibratedYaw("reforger", 0.0123);
    f.app.reforger.found = false;
    f.show();
    EXPECT_TRUE(f.ui.hasText("Couldn't read Reforger's settings file"));
    EXPECT_TRUE(f.ui.hasText("Saved calibration: yaw 0.012300."));
}

}  // namespace
