#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>
#include <string>

#include "core/catalog/armory.h"
#include "core/catalog/catalog.h"
#include "engine/kernel/round_config.h"
#include "imgui_internal.h"
#include "engine/kernel/session.h"
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

// The practice badge gives the game's own value, then the cm/360 in brackets: a cm/360-only
// game shows the cm/360 in both places, a game not yet calibrated says so before the brackets.
TEST(RoundHud, PracticeBadgeGivesTheSensThenTheCm360) {
    struct Case {
        const char* game;
        const char* badge;
    };
    const Case cases[] = {{"cm360", "SENS: 42.2 cm/360  (42.2 cm/360)"},
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

// ---- What the HUD draws, read from the draw lists' vertices ---------------

// The vertices the HUD put on the foreground and background lists in one frame.
struct HudFrame {
    std::vector<ImDrawVert> fg, bg;
};

HudFrame drawHud(RoundFixture& f) {
    HudFrame out;
    f.ui.frameOf([&] {
        drawRoundHud(f.app);
        const ImDrawList* fg = ImGui::GetForegroundDrawList();
        const ImDrawList* bg = ImGui::GetBackgroundDrawList();
        out.fg.assign(fg->VtxBuffer.begin(), fg->VtxBuffer.end());
        out.bg.assign(bg->VtxBuffer.begin(), bg->VtxBuffer.end());
    }, 0);
    return out;
}

ImU32 packed(float r, float g, float b, int alpha) {
    return IM_COL32(static_cast<int>(r * 255 + 0.5f), static_cast<int>(g * 255 + 0.5f), static_cast<int>(b * 255 + 0.5f),
                    alpha);
}
bool sameRgb(ImU32 a, ImU32 b) { return (a & ~IM_COL32_A_MASK) == (b & ~IM_COL32_A_MASK); }
ImU32 alphaOf(ImU32 c) { return (c >> IM_COL32_A_SHIFT) & 0xFF; }

std::vector<ImDrawVert> withColour(const std::vector<ImDrawVert>& list, ImU32 colour) {
    std::vector<ImDrawVert> out;
    for (const ImDrawVert& v : list)
        if (v.col == colour) out.push_back(v);
    return out;
}
// Vertices of this colour at any alpha above 0 (anti-aliased edges add see-through ones).
std::vector<ImDrawVert> visibleInRgb(const std::vector<ImDrawVert>& list, ImU32 colour) {
    std::vector<ImDrawVert> out;
    for (const ImDrawVert& v : list)
        if (sameRgb(v.col, colour) && alphaOf(v.col) > 0) out.push_back(v);
    return out;
}

constexpr float kW = 1600, kH = 900;  // the harness's display

TEST(HudDrawing, ScopeBlendsInAndTheCrosshairGoesAtHalf) {
    struct Case {
        float zoom;
        int scopeAlpha;  // of the red centre dot; 0: no scope at all
        bool crosshair;
    };
    const Case cases[] = {{0, 0, true},     {0.5f, 0, true},    {0.55f, 0, true}, {0.6f, 63, true},
                          {0.65f, 127, false}, {0.75f, 255, false}, {1, 255, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zoom);
        RoundFixture f;
        f.app.xhColor = {1, 0, 0.5f};
        f.app.zoom = c.zoom;
        const HudFrame hud = drawHud(f);
        const ImU32 dot = IM_COL32(255, 40, 40, 255);
        if (c.scopeAlpha == 0) {
            EXPECT_TRUE(visibleInRgb(hud.bg, dot).empty());
        } else {
            EXPECT_FALSE(withColour(hud.bg, IM_COL32(255, 40, 40, c.scopeAlpha)).empty());
            // The mask outside the scope circle, black at the same strength.
            EXPECT_FALSE(withColour(hud.bg, IM_COL32(0, 0, 0, c.scopeAlpha)).empty());
        }
        EXPECT_EQ(withColour(hud.fg, packed(1, 0, 0.5f, 255)).empty(), !c.crosshair);
    }
}

// The arrow toward a target out of view: 70 px in from the edge it points to (the pulse
// adds up to 6 px), or on the scope's rim at 0.84 R when scoped; none for a target in view.
TEST(HudDrawing, ArrowPointsTowardATargetOutOfViewOnly) {
    struct Case {
        const char* what;
        double yaw, pitch;  // of the target; the view looks at yaw 0, pitch 0
        float zoom;
        int side;   // -1 left of the centre, 1 right, 0 no arrow
        bool up;    // the arrow points up as well
    };
    const Case cases[] = {
        {"centred", 0, 0, 0, 0, false},          {"in view", 10, 5, 0, 0, false},
        {"off to the right", 80, 0, 0, 1, false}, {"behind, right", 170, 0, 0, 1, false},
        {"behind, left", -170, 0, 0, -1, false},  {"behind and up", 180, 30, 0, -1, true},
        {"behind, scoped", 170, 0, 1, 1, false},  {"in the scope", 0.5, 0, 1, 0, false},
    };
    const float R = 0.46f * std::min(kW, kH);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RoundFixture f;
        f.toFlick();
        f.app.flickColor = {1, 0, 1};
        f.app.zoom = c.zoom;
        f.app.round.yaw = 0;
        f.app.round.pitch = 0;
        f.app.round.targetYaw = c.yaw;
        f.app.round.targetPitch = c.pitch;
        ASSERT_LT(f.app.round.nextSpot, static_cast<int32_t>(f.app.round.spots.size()));
        const std::vector<ImDrawVert> arrow = withColour(drawHud(f).fg, IM_COL32(255, 0, 255, 255));
        if (c.side == 0) {
            EXPECT_TRUE(arrow.empty());
            continue;
        }
        ASSERT_EQ(arrow.size(), 3u);
        // The tip is the corner farthest from the centre.
        ImVec2 tip = arrow[0].pos;
        auto reach = [](ImVec2 p) { return std::hypot(p.x - kW / 2, p.y - kH / 2); };
        for (const ImDrawVert& v : arrow)
            if (reach(v.pos) > reach(tip)) tip = v.pos;
        EXPECT_EQ(tip.x > kW / 2, c.side > 0) << tip.x;
        if (c.up) {
            EXPECT_LT(tip.y, kH / 2 - 10);
        }
        if (c.zoom >= 0.75f) {
            EXPECT_GE(reach(tip), 0.84f * R - 0.5f);
            EXPECT_LE(reach(tip), 0.84f * R + 6.5f);
        } else {
            const float edge = c.side > 0 ? kW - tip.x : tip.x;
            EXPECT_GE(edge, 70 - 6.5f) << tip.x;
            EXPECT_LE(edge, 70 + 0.5f) << tip.x;
        }
    }
}

TEST(HudDrawing, HitMarkerFadesOverThirteenHundredths) {
    struct Case {
        double since;  // seconds since the hit
        int alpha;     // 0: no marker
    };
    const Case cases[] = {{-0.01, 0}, {0, 230}, {0.03, 176}, {0.1, 53}, {0.13, 0}, {0.5, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.since);
        RoundFixture f;
        f.toFlick();
        f.app.round.targetYaw = f.app.round.yaw;  // centred: no arrow
        f.app.round.targetPitch = f.app.round.pitch;
        f.app.hitMarkerTime = f.app.now - c.since;
        const HudFrame hud = drawHud(f);
        // The four strokes run from 7 to 15 px off the centre toward each corner.
        std::vector<ImDrawVert> marker;
        for (const ImDrawVert& v : visibleInRgb(hud.fg, IM_COL32(255, 255, 255, 255))) {
            const float dx = std::fabs(v.pos.x - kW / 2), dy = std::fabs(v.pos.y - kH / 2);
            if (dx > 4 && dx < 18 && dy > 4 && dy < 18) marker.push_back(v);
        }
        if (c.alpha == 0) {
            EXPECT_TRUE(marker.empty());
            continue;
        }
        ASSERT_FALSE(marker.empty());
        std::set<int> corners;
        for (const ImDrawVert& v : marker) {
            EXPECT_EQ(static_cast<int>(alphaOf(v.col)), c.alpha);
            corners.insert((v.pos.x > kW / 2 ? 1 : 0) + (v.pos.y > kH / 2 ? 2 : 0));
        }
        EXPECT_EQ(corners.size(), 4u);
    }
}

// The crosshair sits on whole pixels, and on pixel centres when its thickness is odd.
TEST(HudDrawing, CrosshairHalfPixelRule) {
    struct Case {
        float thickness;
        float side;  // of the centre square
        ImVec2 centre;
    };
    const Case cases[] = {{1.4f, 1.4f, {100.5f, 200.5f}},
                          {2.0f, 2.0f, {100, 200}},
                          {3.0f, 3.0f, {100.5f, 200.5f}},
                          {0.5f, 1.0f, {100.5f, 200.5f}}};  // never thinner than 1 px
    for (const Case& c : cases) {
        SCOPED_TRACE(c.thickness);
        App app;
        UiHarness ui(app);
        app.xhStyle = 2;  // the dot alone
        app.xhOutline = false;
        app.xhThick = c.thickness;
        app.xhColor = {1, 0, 0.5f};
        std::vector<ImDrawVert> square;
        ui.frameOf([&] {
            ImDrawList* dl = ImGui::GetForegroundDrawList();
            drawCrosshair(app, dl, ImVec2(100.7f, 200.2f));
            square = withColour(std::vector<ImDrawVert>(dl->VtxBuffer.begin(), dl->VtxBuffer.end()),
                                packed(1, 0, 0.5f, 255));
        }, 0);
        ASSERT_EQ(square.size(), 4u);
        float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f;
        for (const ImDrawVert& v : square) {
            x0 = std::min(x0, v.pos.x);
            x1 = std::max(x1, v.pos.x);
            y0 = std::min(y0, v.pos.y);
            y1 = std::max(y1, v.pos.y);
        }
        EXPECT_NEAR((x0 + x1) / 2, c.centre.x, 1e-3);
        EXPECT_NEAR((y0 + y1) / 2, c.centre.y, 1e-3);
        EXPECT_NEAR(x1 - x0, c.side, 1e-3);
        EXPECT_NEAR(y1 - y0, c.side, 1e-3);
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
