#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/catalog/armory.h"
#include "core/profile/app.h"
#include "tests/fakes/sound_recorder.h"
#include "tests/support/temp_folder.h"

namespace {

class AwardXp : public ::testing::Test {
protected:
    void SetUp() override {
        app.dataDir = folder.path();
        app.now = 100;
        app.unlockedText = "left over";
        playedSounds().clear();
    }
    RoundResult round(int32_t kills, double onTarget, double zoom = 1) {
        RoundResult r;
        r.kills = kills;
        r.onTargetRatio = onTarget;
        r.config.zoom = zoom;
        return r;
    }
    bool savedXp(int64_t xp) { return folder.read("settings.ini").find("\nxp=" + std::to_string(xp) + "\n") != std::string::npos; }

    TempFolder folder;
    App app;
};

TEST_F(AwardXp, RoundWithoutLevelUp) {
    app.awardXp(round(16, 0.5));
    EXPECT_EQ(app.lastXpGain, 136);
    EXPECT_EQ(app.xp, 136);
    EXPECT_EQ(app.newLevel, 0);
    EXPECT_EQ(app.levelUpUntil, 0);
    EXPECT_EQ(app.unlockedText, "left over");
    EXPECT_TRUE(playedSounds().empty());
    EXPECT_TRUE(savedXp(136));

    app.awardXp(round(0, 0, 4));
    EXPECT_EQ(app.lastXpGain, 20);
    EXPECT_EQ(app.xp, 156);
}

TEST_F(AwardXp, LevelUpUnlocksAndPlaysTheFanfare) {
    app.xp = 250;
    app.awardXp(round(16, 0.375));  // 10 + 96 + 23
    EXPECT_EQ(app.xp, 379);
    EXPECT_EQ(app.newLevel, 2);
    EXPECT_DOUBLE_EQ(app.levelUpUntil, 104.5);
    EXPECT_EQ(app.unlockedText, "Desert skin, Urban skin, Desert Range map");
    ASSERT_EQ(playedSounds().size(), 1u);
    EXPECT_EQ(playedSounds()[0].id, SoundLevelUp);
    EXPECT_FLOAT_EQ(playedSounds()[0].gain, 0.9f);
    EXPECT_TRUE(savedXp(379));
}

TEST_F(AwardXp, JumpOverSeveralLevelsListsEverything) {
    app.awardXp(round(400, 0));  // 2410 XP: level 1 to 5
    EXPECT_EQ(app.newLevel, 5);
    EXPECT_EQ(app.unlockedText,
              "Desert skin, Urban skin, Arctic Digital skin, Mountain Blend skin, Digital Woodland skin, "
              "Tiger Stripe skin, Red Tiger skin, Jungle skin, Desert Range map, Arctic Base map, Synthwave map");
}

TEST_F(AwardXp, LevelUpThatUnlocksNothing) {
    app.xp = xpForLevel(20) - 5;
    app.awardXp(round(0, 0));
    EXPECT_EQ(app.newLevel, 20);
    EXPECT_EQ(app.unlockedText, "");
    EXPECT_DOUBLE_EQ(app.levelUpUntil, 104.5);
    EXPECT_EQ(playedSounds().size(), 1u);
}

TEST_F(AwardXp, CapAtLevel99) {
    app.xp = xpForLevel(kMaxLevel) + 1000;
    app.awardXp(round(10, 1));
    EXPECT_EQ(app.newLevel, 0);
    EXPECT_EQ(levelForXp(app.xp), kMaxLevel);
    EXPECT_TRUE(playedSounds().empty());
}

TEST_F(AwardXp, ATotalAtTheTopOfItsRangeStaysThereInsteadOfWrapping) {
    // What loading xp=99999999999999999999 gives: the stream holds it at the maximum.
    folder.write("settings.ini", "xp=99999999999999999999\n");
    app.loadSettings();
    ASSERT_EQ(app.xp, INT64_MAX);
    for (const int64_t start : {INT64_MAX, INT64_MAX - 5}) {
        SCOPED_TRACE(start);
        app.xp = start;
        app.awardXp(round(16, 0.5));
        EXPECT_EQ(app.xp, INT64_MAX);
        EXPECT_EQ(levelForXp(app.xp), kMaxLevel);
        EXPECT_TRUE(savedXp(INT64_MAX));
    }
    app.loadSettings();
    EXPECT_EQ(app.xp, INT64_MAX);
}

}  // namespace
