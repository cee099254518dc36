#include <gtest/gtest.h>

#include <cmath>

#include "core/profile/app.h"

namespace {

TEST(AppRecord, DefaultsLaterCodeReliesOn) {
    App app;
    EXPECT_GT(app.qpcFrequency, 0);
    EXPECT_EQ(app.width, 1600);
    EXPECT_EQ(app.height, 900);
    EXPECT_EQ(app.screen, ScreenHome);
    EXPECT_EQ(app.setupStep, 0);
    EXPECT_EQ(app.hitMarkerTime, -10);
    EXPECT_EQ(app.lastCountdownTick, 99);
    EXPECT_EQ(app.resultsScrollY, -1);
    EXPECT_EQ(app.resultGame, 1);
    EXPECT_DOUBLE_EQ(app.resultYaw, 0.022);
    EXPECT_EQ(app.resultMode, "finder");
    EXPECT_EQ(app.calGame, -1);
    EXPECT_EQ(app.calTurns, 1);
    EXPECT_EQ(app.dpiDistanceIndex, 1);
    EXPECT_DOUBLE_EQ(app.automationSpeed, 8.0);
    EXPECT_EQ(app.gifFps, 12);
    EXPECT_EQ(app.gifFrames, 84);
    EXPECT_FALSE(app.detectionDone.load());
    EXPECT_FALSE(app.tourVisible);
}

// The settings table: key order, type and default of every field settings.ini holds.
TEST(AppRecord, SettingsDefaults) {
    App app;
    EXPECT_EQ(app.game, 1);
    EXPECT_EQ(app.dpi, 800);
    EXPECT_DOUBLE_EQ(app.sens, 0.4);
    EXPECT_FALSE(app.sensUnknown);
    EXPECT_DOUBLE_EQ(app.customYaw, 0.022);
    EXPECT_EQ(app.cmDirect, 35);
    EXPECT_EQ(app.style, -1);
    EXPECT_EQ(app.length, 1);
    EXPECT_EQ(app.fov, 0);
    EXPECT_EQ(app.myGames, "");
    EXPECT_EQ(app.knownGames, "");
    EXPECT_EQ(app.reforgerYaw, 0);
    EXPECT_EQ(app.reforgerFov, 0);
    EXPECT_EQ(app.xhStyle, 0);
    EXPECT_EQ(app.xhSize, 7.0f);
    EXPECT_EQ(app.xhThick, 2.0f);
    EXPECT_EQ(app.xhGap, 3.0f);
    EXPECT_EQ(app.xhColor, (Rgb{0.0f, 1.0f, 0.55f}));
    EXPECT_TRUE(app.xhOutline);
    EXPECT_EQ(app.flickColor, (Rgb{0.1f, 0.85f, 0.92f}));
    EXPECT_EQ(app.trackColor, (Rgb{0.98f, 0.55f, 0.2f}));
    EXPECT_EQ(app.volume, 0.6f);
    EXPECT_EQ(app.fpsCap, 1000);
    EXPECT_FALSE(app.vsync);
    EXPECT_TRUE(app.msaa);
    EXPECT_TRUE(app.fullscreen);
    EXPECT_FALSE(app.showFps);
    EXPECT_FALSE(app.tutorialDone);
    EXPECT_TRUE(app.checkUpdates);
    EXPECT_EQ(app.gun, "halberd");
    EXPECT_EQ(app.skin, "factory");
    EXPECT_EQ(app.theme, "lab");
    EXPECT_EQ(app.xp, 0);
    EXPECT_EQ(app.scopeMult, 1.0);
    EXPECT_EQ(app.trackSpeed, 1);
    EXPECT_EQ(app.hitSound, 0);
    EXPECT_FALSE(app.scopeMeasured);
}

// A profile whose every setting differs from its default.
void scribbleSettings(App& app) {
    app.game = 4;
    app.dpi = 1600;
    app.sens = 2.5;
    app.sensUnknown = true;
    app.customYaw = 0.05;
    app.cmDirect = 12;
    app.style = 2;
    app.length = 2;
    app.fov = 103;
    app.myGames = "cs2,apex";
    app.knownGames = "cs2";
    app.reforgerYaw = 0.01;
    app.reforgerFov = 74;
    app.xhStyle = 3;
    app.xhSize = 11;
    app.xhThick = 4;
    app.xhGap = 0;
    app.xhColor = {1, 0, 0};
    app.xhOutline = false;
    app.flickColor = {1, 1, 1};
    app.trackColor = {0, 0, 0};
    app.volume = 1;
    app.fpsCap = 144;
    app.vsync = true;
    app.msaa = false;
    app.fullscreen = true;
    app.showFps = true;
    app.tutorialDone = false;
    app.checkUpdates = false;
    app.gun = "other";
    app.skin = "gold";
    app.theme = "night";
    app.xp = 123456;
    app.scopeMult = 0.8;
    app.trackSpeed = 2;
    app.hitSound = 3;
    app.scopeMeasured = true;
}

TEST(AppRecord, AutomationResetIgnoresTheUsersProfile) {
    App app;
    scribbleSettings(app);
    app.applyAutomationReset();
    App fresh;
    EXPECT_EQ(app.game, 1);
    EXPECT_EQ(app.dpi, 800);
    EXPECT_DOUBLE_EQ(app.sens, 0.32);
    EXPECT_EQ(app.length, 1);
    EXPECT_FALSE(app.fullscreen);
    EXPECT_EQ(app.volume, 0.0f);
    EXPECT_EQ(app.fpsCap, 240);
    EXPECT_EQ(app.xp, 5000);
    EXPECT_TRUE(app.tutorialDone);
    // Everything else is back to its default.
    EXPECT_EQ(app.customYaw, fresh.customYaw);
    EXPECT_EQ(app.myGames, fresh.myGames);
    EXPECT_EQ(app.reforgerYaw, fresh.reforgerYaw);
    EXPECT_EQ(app.xhColor, fresh.xhColor);
    EXPECT_EQ(app.gun, fresh.gun);
    EXPECT_EQ(app.theme, fresh.theme);
    EXPECT_EQ(app.scopeMult, fresh.scopeMult);
    EXPECT_EQ(app.scopeMeasured, fresh.scopeMeasured);
    EXPECT_EQ(app.checkUpdates, fresh.checkUpdates);
    EXPECT_EQ(app.vsync, fresh.vsync);
}

TEST(AppRecord, InputTestReset) {
    App app;
    scribbleSettings(app);
    app.applyInputTestReset();
    App fresh;
    EXPECT_FALSE(app.fullscreen);
    EXPECT_EQ(app.volume, 0.0f);
    EXPECT_EQ(app.dpi, 800);
    EXPECT_EQ(app.game, fresh.game);
    EXPECT_EQ(app.sens, fresh.sens);
    EXPECT_EQ(app.xp, fresh.xp);
    EXPECT_EQ(app.tutorialDone, fresh.tutorialDone);
    EXPECT_EQ(app.fpsCap, fresh.fpsCap);
    EXPECT_EQ(app.gun, fresh.gun);
}

}  // namespace
