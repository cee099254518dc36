#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/catalog/sound.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/ui_harness.h"
#include "ui/probe.h"

namespace {

std::vector<SoundId> gToolSounds;
void recordToolSound(SoundId id, float) { gToolSounds.push_back(id); }

// One of the two screens on a headless UI with an empty data folder of its own.
struct ToolsFixture {
    App app;
    UiHarness ui{app, 1600, 1200};
    TempFolder folder;
    std::string dir = folder.path();

    explicit ToolsFixture(int32_t screen) {
        app.dataDir = dir;
        app.screen = screen;
        gToolSounds.clear();
        setSoundSink(&recordToolSound);
        show();
    }
    ~ToolsFixture() { setSoundSink(nullptr); }

    void show() {
        ui.frame();
        ui.frame();
    }
};

RoundMetrics scopedRound(double cm360, double performance, double accuracy, double killMs) {
    RoundMetrics r;
    r.cm360 = cm360;
    r.performance = performance;
    r.accuracy = accuracy;
    r.avgKillMs = killMs;
    return r;
}

// A Scope Check result at 35 cm/360 hip fire with three rounds in play order.
void giveScopeResult(App& app, double best, const char* confidence) {
    app.hasScopeResult = true;
    app.scopeHipCm360 = 35;
    app.scopeBestMultiplier = best;
    app.scopeLowMultiplier = best * 0.9;
    app.scopeHighMultiplier = best * 1.1;
    app.scopeAnalysis.valid = true;
    app.scopeAnalysis.confidence = confidence;
    app.scopeAnalysis.rounds = {scopedRound(100, 104.25, 0.9, 612), scopedRound(160, 96.5, 0.75, 701.4),
                                scopedRound(130, 99.0, 0.8, 655)};
}

TEST(ToolsScreen, TilesLeadToTheirTools) {
    {
        ToolsFixture f(ScreenTools);
        EXPECT_TRUE(f.ui.hasText("Handy extras. None of these are needed for the Sensitivity Finder."));
        f.app.dpiReturnScreen = ScreenHome;
        ASSERT_TRUE(f.ui.click("Measure DPI"));
        EXPECT_EQ(f.app.screen, ScreenDpi);
        EXPECT_EQ(f.app.dpiReturnScreen, ScreenTools);
        EXPECT_EQ(gToolSounds, std::vector<SoundId>{SoundClick});
    }
    {
        ToolsFixture f(ScreenTools);
        ASSERT_TRUE(f.ui.click("Converter"));
        EXPECT_EQ(f.app.screen, ScreenConverter);
    }
    {
        // Whatever the main game, the calibration opens for Arma Reforger and comes back here.
        ToolsFixture f(ScreenTools);
        f.app.game = gameIndexById("cs2");
        ASSERT_TRUE(f.ui.click("Calibrate a game"));
        EXPECT_EQ(f.app.screen, ScreenCalibrate);
        EXPECT_EQ(f.app.calGame, gameIndexById("reforger"));
        EXPECT_EQ(f.app.calReturnScreen, ScreenTools);
    }
    {
        ToolsFixture f(ScreenTools);
        ASSERT_TRUE(f.ui.click("Back"));
        EXPECT_EQ(f.app.screen, ScreenHome);
        EXPECT_EQ(gToolSounds, std::vector<SoundId>{SoundClick});
    }
}

TEST(ScopeResultScreen, WithoutAResultOnlyGoesBack) {
    ToolsFixture f(ScreenScopeResult);
    EXPECT_TRUE(f.ui.hasText("No result yet."));
    EXPECT_FALSE(f.ui.hasText("YOUR BEST SCOPE SETTING"));
    ASSERT_TRUE(f.ui.click("Back"));
    EXPECT_EQ(f.app.screen, ScreenHome);
}

TEST(ScopeResultScreen, PercentageIsHeldToTheConvertersRange) {
    const double fov = [] {
        App probeApp;
        probeApp.width = 1600;
        probeApp.height = 1200;
        return probeApp.windowFov();
    }();
    const double inside = fovMatchPercent(1.6, fov);
    ASSERT_GT(inside, 0);
    ASSERT_LT(inside, 300);
    ASSERT_LT(fovMatchPercent(0.5, fov), 0);
    ASSERT_GT(fovMatchPercent(30, fov), 300);
    const struct {
        double best;
        std::string hero;
        std::string bullet;
        bool slowerNote;
    } cases[] = {
        {0.5, "0%", "pick Horizontal and enter 0%.", true},
        {30, "300%+", "pick Horizontal and enter 300%.", false},
        {1.6, formatString("%.0f%%", inside), formatString("pick Horizontal and enter %.0f%%.", inside), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.best);
        ToolsFixture f(ScreenScopeResult);
        giveScopeResult(f.app, c.best, "Medium");
        f.show();
        EXPECT_DOUBLE_EQ(f.app.windowFov(), fov);
        EXPECT_TRUE(probeShowsExactly(c.hero));
        EXPECT_TRUE(f.ui.hasText(c.bullet));
        EXPECT_EQ(f.ui.hasText("That's even slower than 0% \xE2\x80\x94 use 0% (the slowest standard setting)."),
                  c.slowerNote);
        EXPECT_TRUE(f.ui.hasText(formatString("You scoped best at %.2fx the 'same feel near the crosshair' speed "
                                              "(likely %.2f\xE2\x80\x93%.2fx).",
                                              c.best, c.best * 0.9, c.best * 1.1)));
    }
}

TEST(ScopeResultScreen, HeadlineAndRoundsSlowestFirst) {
    ToolsFixture f(ScreenScopeResult);
    giveScopeResult(f.app, 1.2, "Low");
    f.show();
    EXPECT_TRUE(f.ui.hasText("3 scoped rounds at 4x zoom  \xC2\xB7  hip-fire 35.0 cm/360"));
    EXPECT_TRUE(probeShowsExactly("Low confidence"));
    EXPECT_TRUE(f.ui.hasText("What you played (blind)"));

    // Scope speed 35 x 4 / scoped cm/360: 160 -> 0.88x, 130 -> 1.08x, 100 -> 1.40x.
    const int slow = probeTextIndex("0.88x"), mid = probeTextIndex("1.08x"), fast = probeTextIndex("1.40x");
    ASSERT_GE(slow, 0);
    ASSERT_GE(mid, 0);
    ASSERT_GE(fast, 0);
    EXPECT_LT(slow, mid);
    EXPECT_LT(mid, fast);
    // The row of the 160 cm/360 round, cell by cell.
    const std::vector<std::string>& texts = probeTexts();
    ASSERT_LT(static_cast<size_t>(slow + 4), texts.size());
    EXPECT_EQ(texts[static_cast<size_t>(slow + 1)], "below 0%");
    EXPECT_EQ(texts[static_cast<size_t>(slow + 2)], "96.5%");
    EXPECT_EQ(texts[static_cast<size_t>(slow + 3)], "75%");
    EXPECT_EQ(texts[static_cast<size_t>(slow + 4)], "701 ms");
    // The stored analysis keeps its play order.
    ASSERT_EQ(f.app.scopeAnalysis.rounds.size(), 3u);
    EXPECT_DOUBLE_EQ(f.app.scopeAnalysis.rounds[0].cm360, 100);
    EXPECT_DOUBLE_EQ(f.app.scopeAnalysis.rounds[1].cm360, 160);
    EXPECT_DOUBLE_EQ(f.app.scopeAnalysis.rounds[2].cm360, 130);
}

TEST(ScopeResultScreen, WaysOn) {
    {
        // The longbow is for this practice only: nothing is saved.
        ToolsFixture f(ScreenScopeResult);
        giveScopeResult(f.app, 1.2, "High");
        f.show();
        ASSERT_TRUE(f.ui.click("Practice with the sniper"));
        EXPECT_EQ(f.app.gun, "longbow");
        EXPECT_EQ(f.app.screen, ScreenRound);
        EXPECT_EQ(f.app.sessionKind, SessionPractice);
        EXPECT_DOUBLE_EQ(f.app.practiceCm, 35);
        EXPECT_FALSE(f.app.tutorialPractice);
        EXPECT_FALSE(std::filesystem::exists(f.dir + "/settings.ini"));
        EXPECT_EQ(gToolSounds.front(), SoundClick);
    }
    {
        ToolsFixture f(ScreenScopeResult);
        giveScopeResult(f.app, 1.2, "High");
        f.show();
        ASSERT_TRUE(f.ui.click("RUN IT AGAIN"));
        EXPECT_EQ(f.app.screen, ScreenRound);
        EXPECT_EQ(f.app.sessionKind, SessionScopeCheck);
    }
    {
        ToolsFixture f(ScreenScopeResult);
        giveScopeResult(f.app, 1.2, "High");
        f.show();
        ASSERT_TRUE(f.ui.click("Main menu"));
        EXPECT_EQ(f.app.screen, ScreenHome);
        EXPECT_EQ(f.app.gun, "halberd");
    }
}

}  // namespace
