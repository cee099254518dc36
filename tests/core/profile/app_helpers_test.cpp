#include <gtest/gtest.h>

#include <string>

#include "core/profile/app.h"
#include "tests/fakes/sound_recorder.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(ShotSound, ByGunAndOutcome) {
    struct Case {
        const char* gun;
        bool hit;
        SoundId sound;
        float gain;
    };
    const Case cases[] = {
        {"wasp", true, SoundShotPistol, 0.54f},     {"bulldog", false, SoundShotPistol, 0.9f},
        {"hornet", true, SoundShotRifle, 0.54f},    {"halberd", false, SoundShotRifle, 0.9f},
        {"breacher", true, SoundShotSniper, 0.48f}, {"breacher", false, SoundShotSniper, 0.8f},
        {"longbow", true, SoundShotSniper, 0.54f},  {"kingfisher", false, SoundShotSniper, 0.9f},
        {"no such gun", true, SoundShotPistol, 0.54f},  // falls back to the first gun
    };
    for (const Case& c : cases) {
        App app;
        app.gun = c.gun;
        playedSounds().clear();
        app.playShotSound(c.hit);
        ASSERT_EQ(playedSounds().size(), 1u) << c.gun;
        EXPECT_EQ(playedSounds()[0].id, c.sound) << c.gun;
        EXPECT_FLOAT_EQ(playedSounds()[0].gain, c.gain) << c.gun << " " << c.hit;
        EXPECT_EQ(app.recoil[0], 1);
        EXPECT_EQ(app.recoil[1], 1);
    }
}

class AdoptSens : public ::testing::Test {
protected:
    void SetUp() override {
        app.dataDir = folder.path();
        app.sensUnknown = true;
        app.dpi = 800;
    }
    TempFolder folder;
    App app;
};

TEST_F(AdoptSens, StoresWhatTheGameCanBeGiven) {
    app.game = 0;
    app.resultGame = gameIndexById("valorant");
    app.resultYaw = 0.07;
    app.setSensFromCm360(35);
    EXPECT_EQ(app.game, 1);
    EXPECT_EQ(app.sens, 0.467);
    EXPECT_FALSE(app.sensUnknown);
    EXPECT_NE(folder.read("settings.ini").find("\nsens=0.467\n"), std::string::npos);
}

TEST_F(AdoptSens, OtherGameTakesTheResultYaw) {
    app.resultGame = gameIndexById("custom");
    app.resultYaw = 0.05;
    app.customYaw = 0.022;
    app.setSensFromCm360(30);  // 914.4 / (0.05 x 30 x 800) = 0.762
    EXPECT_EQ(app.customYaw, 0.05);
    EXPECT_EQ(app.sens, 0.762);
}

TEST_F(AdoptSens, CmOnlyRowStoresTheCm) {
    app.resultGame = gameIndexById("cm360");
    app.sens = 0.4;
    app.setSensFromCm360(31.25);
    EXPECT_EQ(app.cmDirect, 31.25);
    EXPECT_EQ(app.sens, 0.4);
    EXPECT_FALSE(app.sensUnknown);
}

TEST_F(AdoptSens, NeverAdoptsZero) {
    // 0.0040 rounds to "0.00" with two digits: keep the unrounded value.
    app.resultGame = gameIndexById("cs2");
    app.resultYaw = 0.022;
    app.setSensFromCm360(12988);
    EXPECT_GT(app.sens, 0.0039);
    EXPECT_LT(app.sens, 0.0041);
    EXPECT_GT(app.currentCm360(), 0);

    // A result made without a yaw leaves the previous sensitivity.
    app.resultGame = gameIndexById("reforger");
    app.resultYaw = 0;
    app.sens = 0.9;
    app.setSensFromCm360(40);
    EXPECT_EQ(app.sens, 0.9);
}

}  // namespace
