#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "core/armory.h"
#include "core/catalog.h"
#include "engine/round_config.h"
#include "imgui_internal.h"
#include "engine/session.h"
#include "tests/ui/ui_harness.h"
#include "ui/kit.h"
#include "ui/probe.h"
#include "ui/screens.h"

namespace {

// Every code point of every text the frame showed has a glyph in the fonts.
void expectAllGlyphs(std::set<std::string>& seen) {
    for (const std::string& t : probeTexts()) seen.insert(t);
    for (const ProbeItem& item : probeItems()) seen.insert(item.label);
}

std::set<ImWchar> missingGlyphs(const std::set<std::string>& texts, ImFont* font) {
    std::set<ImWchar> missing;
    for (const std::string& t : texts) {
        const char* p = t.c_str();
        const char* end = p + t.size();
        while (p < end) {
            unsigned int c = 0;
            p += ImTextCharFromUtf8(&c, p, end);
            if (c >= 0x20 && !font->FindGlyphNoFallback(static_cast<ImWchar>(c))) missing.insert(static_cast<ImWchar>(c));
        }
    }
    return missing;
}

struct RoundFixture {
    App app;
    UiHarness ui{app};
    RoundFixture() {
        app.screen = ScreenRound;
        app.roundPhase = RoundPlaying;
        app.sessionKind = SessionFinder;
        SessionConfig cfg;
        startSession(app.session, cfg);
        app.round.setupRound(makeRoundConfig(app.session), app.now);
    }
    // Plays the round clock forward to the flick phase.
    void toFlick() {
        while (app.round.phase == DrillIntro) {
            app.now += 0.01;
            app.round.updateRound(app.now);
        }
        app.round.events.clear();
    }
};

TEST(RoundHud, IntroCountdownHeaderAndBadge) {
    RoundFixture f;
    f.ui.frame(0.0001);
    EXPECT_TRUE(f.ui.hasText("WARM-UP  \xC2\xB7  your current sensitivity"));
    EXPECT_TRUE(f.ui.hasText("SENS: current"));
    EXPECT_TRUE(f.ui.hasText("FLICK  \xE2\x80\x94  hit each target as fast as you can"));
    // The countdown never reads 0: 1 during the last second.
    f.app.now = f.app.round.phaseStart + f.app.round.config.introSeconds - 0.01;
    f.ui.frame(0);
    EXPECT_NE(std::find(probeTexts().begin(), probeTexts().end(), "1"), probeTexts().end());
}

TEST(RoundHud, TargetsCountEveryPlannedTarget) {
    RoundFixture f;
    f.toFlick();
    f.ui.frame(0);
    const int spots = static_cast<int>(f.app.round.spots.size());
    // The warm-up targets of the round are counted with the scored ones.
    ASSERT_EQ(spots, f.app.round.config.flickTargets + f.app.round.config.extraTargets);
    EXPECT_TRUE(f.ui.hasText("TARGETS 1 / " + std::to_string(spots) + "     ACC 100%"));
}

TEST(RoundHud, SummaryAndPauseHideTheRoundFigures) {
    RoundFixture f;
    f.toFlick();
    f.app.roundPhase = RoundBetween;
    f.ui.frame(0);
    EXPECT_FALSE(f.ui.hasText("TARGETS"));
    EXPECT_FALSE(f.ui.hasText("SENS:"));
}

// The practice badge gives the game's own value with the cm/360 beside it; a game that has
// no value of its own shows the cm/360 once.
TEST(RoundHud, PracticeBadgeNamesTheCm360Once) {
    struct Case {
        const char* game;
        const char* badge;
    };
    const Case cases[] = {{"cm360", "SENS: 42.2 cm/360"},
                          {"valorant", "SENS: 0.387  (42.2 cm/360)"},
                          {"reforger", "SENS: calibrate first  (42.2 cm/360)"}};
    for (const Case& c : cases) {
        RoundFixture f;
        f.app.game = gameIndexById(c.game);
        f.app.dpi = 800;
        f.app.sessionKind = SessionPractice;
        f.app.practiceCm = 42.2;
        f.ui.frame(0);
        EXPECT_TRUE(probeShowsExactly(c.badge)) << c.game;
    }
}

TEST(RoundSummary, CountsDownInWallClockSeconds) {
    RoundFixture f;
    f.app.roundPhase = RoundBetween;
    f.app.automation = true;
    f.app.automationSpeed = 8;
    f.app.nextRoundAt = f.app.now + 3.5;
    f.ui.frame(0);
    EXPECT_TRUE(f.ui.hasText("Next round in 1 ..."));
    EXPECT_TRUE(f.ui.hasText("Warm-up done"));
    f.app.automation = false;
    f.ui.frame(0);
    EXPECT_TRUE(f.ui.hasText("Next round in 4 ..."));
}

TEST(RoundSummary, FiguresOfTheLastRound) {
    RoundFixture f;
    f.app.roundPhase = RoundBetween;
    f.app.lastRound = RoundResult{};
    f.ui.frame(0);
    EXPECT_TRUE(f.ui.hasText("0 / 1"));  // no targets spawned
    EXPECT_TRUE(f.ui.hasText("0%"));
    f.app.lastRound.kills = 12;
    f.app.lastRound.missedTargets = 4;
    f.app.lastRound.shots = 15;
    f.app.lastRound.avgKillMs = 512.4;
    f.app.lastRound.onTargetRatio = 0.456;
    f.ui.frame(0);
    for (const char* text : {"12 / 16", "80%", "512 ms", "46%"}) EXPECT_TRUE(f.ui.hasText(text)) << text;
}

TEST(LevelUpToast, ShowsAfterALevelUpAndGoes) {
    App app;
    UiHarness ui(app);
    app.newLevel = 7;
    app.unlockedText = "";
    app.levelUpUntil = app.now + 4.5;
    ui.frame(0);
    EXPECT_TRUE(ui.hasText("LEVEL UP!  You're level 7"));
    EXPECT_TRUE(ui.hasText("Keep going \xE2\x80\x94 more unlocks ahead"));
    app.now += 4.6;
    ui.frame(0);
    EXPECT_FALSE(ui.hasText("LEVEL UP!"));
}

TEST(XpBar, CaptionAndMaxLevel) {
    App app;
    UiHarness ui(app);
    app.xp = xpForLevel(5);
    ui.frameOf([&] {
        ImGui::Begin("t");
        drawXpBar(app, 400);
        ImGui::End();
    });
    EXPECT_TRUE(ui.hasText("0 / "));
    EXPECT_TRUE(ui.hasText("XP to level 6"));
    app.xp = xpForLevel(kMaxLevel) + 1000;
    ui.frameOf([&] {
        ImGui::Begin("t");
        drawXpBar(app, 400);
        ImGui::End();
    });
    EXPECT_TRUE(ui.hasText("Max level"));
    EXPECT_FALSE(ui.hasText("XP to level 100"));
}

TEST(Glyphs, EveryHudAndOverlayTextRenders) {
    std::set<std::string> seen = {
        "TRACK  \xC2\xB7  stay on the target",
        "SCOPED FLICKS  \xE2\x80\x94  hit each target fast",
        "then TRACK  \xE2\x80\x94  keep your crosshair on the orange orb",
        "Keep your crosshair on the orange orb \xE2\x80\x94 it lights up while you're on it",
        "SPACE to start now   \xC2\xB7   ESC to pause",
        "Blind flick + tracking tests  \xC2\xB7  every game  \xC2\xB7  free for Windows",
        "Absolute-position mouse detected (remote desktop / tablet?). Raw counts are not available.",
    };
    RoundFixture f;
    for (int kind : {SessionFinder, SessionPractice, SessionSensCheck, SessionScopeCheck}) {
        f.app.sessionKind = kind;
        f.app.round.setupRound(makeRoundConfig(f.app.session), f.app.now);
        f.app.roundPhase = RoundPlaying;
        f.ui.frame(0);
        expectAllGlyphs(seen);
        f.toFlick();
        f.ui.frame(0);
        expectAllGlyphs(seen);
        f.app.roundPhase = RoundBetween;
        f.ui.frame(0);
        expectAllGlyphs(seen);
    }
    f.app.newLevel = 3;
    f.app.levelUpUntil = f.app.now + 2;
    f.ui.frame(0);
    expectAllGlyphs(seen);
    for (void* font : {f.app.fontBody, f.app.fontSmall, f.app.fontSemibold, f.app.fontTitle, f.app.fontHero}) {
        std::set<ImWchar> missing = missingGlyphs(seen, static_cast<ImFont*>(font));
        EXPECT_TRUE(missing.empty()) << "first missing U+" << std::hex << (missing.empty() ? 0 : *missing.begin());
    }
}

}  // namespace

namespace {

TEST(PauseOverlay, ResumeRestartsThePausedRound) {
    RoundFixture f;
    f.toFlick();
    f.app.phaseBeforePause = RoundPlaying;
    f.app.roundPhase = RoundPaused;
    f.ui.frame(0);
    f.ui.frame(0);  // an auto-sized window lays its buttons out from its second frame
    EXPECT_TRUE(f.ui.hasText("The round you were in will restart from the beginning"));
    EXPECT_TRUE(f.ui.hasText("Quit test (this test's rounds are lost)"));
    ASSERT_TRUE(f.ui.click("RESUME"));
    EXPECT_EQ(f.app.roundPhase, RoundPlaying);
    EXPECT_EQ(f.app.round.phase, DrillIntro);  // from the beginning
    EXPECT_EQ(f.app.lastCountdownTick, 99);
}

TEST(PauseOverlay, LeavingPracticeGoesBackToTheMenu) {
    RoundFixture f;
    f.app.sessionKind = SessionPractice;
    f.app.practiceReturnScreen = ScreenHome;
    f.app.phaseBeforePause = RoundBetween;
    f.app.roundPhase = RoundPaused;
    f.ui.frame(0);
    f.ui.frame(0);
    EXPECT_FALSE(f.ui.hasText("will restart from the beginning"));
    ASSERT_TRUE(f.ui.click("Back to menu"));
    EXPECT_EQ(f.app.screen, ScreenHome);
}

}  // namespace
