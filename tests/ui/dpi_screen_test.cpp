#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/input.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/ui_harness.h"
#include "ui/probe.h"

namespace {

// The DPI screen on a headless UI with a data folder of its own.
struct DpiScreen {
    App app;
    UiHarness ui{app, 1600, 1200};
    TempFolder folder;
    std::string dir = folder.path();

    explicit DpiScreen(int32_t returnScreen = ScreenTools) {
        app.dataDir = dir;
        app.screen = ScreenDpi;
        app.dpiReturnScreen = returnScreen;
        show();
    }

    void show() {
        ui.frame();
        ui.frame();
    }

    // Presses the pad, lets the shell's raw-mouse handler add the counts, releases.
    void slide(int32_t dx, int32_t dy) {
        const ProbeItem* pad = probeFindItem("##pad");
        ASSERT_NE(pad, nullptr);
        ImGuiIO& io = ImGui::GetIO();
        io.AddMousePosEvent((pad->min.x + pad->max.x) / 2, (pad->min.y + pad->max.y) / 2);
        ui.frame();
        io.AddMouseButtonEvent(0, true);
        ui.frame();
        ASSERT_TRUE(app.dpiMeasuring);
        onRawMouse(app, dx, dy, 0);
        ui.frame();
        io.AddMouseButtonEvent(0, false);
        ui.frame();
        EXPECT_FALSE(app.dpiMeasuring);
        io.AddMousePosEvent(-10000, -10000);
        ui.frame();
    }

    std::string settingsFile() const { return test_files::readText(dir + "/settings.ini"); }
};

TEST(DpiScreen, SlideBecomesATryAndUseStoresTheMean) {
    DpiScreen f(ScreenSetup);
    EXPECT_TRUE(f.ui.hasText("No measurements yet."));
    EXPECT_TRUE(f.ui.hasText("Hold left mouse button here"));
    EXPECT_EQ(f.app.dpiDistanceIndex, 1);  // 10 cm

    // 3150 counts over 10 cm is 800.1 DPI.
    f.slide(3150, 0);
    ASSERT_EQ(f.app.dpiTries.size(), 1u);
    EXPECT_NEAR(f.app.dpiTries[0], 800.1, 1e-9);
    // The second slide, diagonal: its length counts.
    f.slide(2880, 1560);
    ASSERT_EQ(f.app.dpiTries.size(), 2u);
    EXPECT_NEAR(f.app.dpiTries[1], 3275.3 / (10 / 2.54), 0.05);
    f.show();
    EXPECT_TRUE(f.ui.hasText("#1: 800"));
    EXPECT_TRUE(f.ui.hasText("#2: 832"));

    f.app.dpiTries = {800.1, 805.0};
    f.show();
    EXPECT_TRUE(f.ui.hasText("803 DPI"));
    EXPECT_TRUE(f.ui.hasText("Closest common setting: 800 (yours is +0.3% off)."));
    EXPECT_FALSE(f.ui.hasText("Tries differ by more than 3%"));
    ASSERT_TRUE(f.ui.click("USE 803 DPI"));
    EXPECT_DOUBLE_EQ(f.app.dpi, 803);
    EXPECT_EQ(f.app.screen, ScreenSetup);
    EXPECT_EQ(f.app.dpiTries.size(), 2u);  // kept for the next visit
    EXPECT_NE(f.settingsFile().find("dpi=803"), std::string::npos);
}

TEST(DpiScreen, ShortSlidesAreDropped) {
    const struct {
        int32_t dx, dy;
        bool kept;
    } cases[] = {{30, 0, false}, {31, 0, true}, {0, -30, false}, {18, 24, false}, {-22, 22, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
        DpiScreen f;
        f.slide(c.dx, c.dy);
        EXPECT_EQ(f.app.dpiTries.size(), c.kept ? 1u : 0u);
    }
}

TEST(DpiScreen, DistanceChoiceScalesTheTry) {
    const struct {
        const char* label;
        double inches;
    } cases[] = {{"5 cm", 5 / 2.54}, {"15 cm", 15 / 2.54}, {"4 inches", 4}, {"6 inches", 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        DpiScreen f;
        ASSERT_TRUE(f.ui.click(c.label));
        f.slide(4800, 0);
        ASSERT_EQ(f.app.dpiTries.size(), 1u);
        EXPECT_NEAR(f.app.dpiTries[0], 4800 / c.inches, 1e-9);
    }
}

TEST(DpiScreen, ClosestSettingAndSpreadWarning) {
    const struct {
        std::vector<double> tries;
        const char* line;
        bool warning;
    } cases[] = {
        {{900}, "Closest common setting: 800 (yours is +12.5% off).", false},  // a tie keeps the lower one
        {{700, 760}, "Spread between tries: +-42. Closest common setting: 800 (yours is -", true},
        {{800, 810}, "Spread between tries: +-7. Closest common setting: 800 (yours is +", false},
        {{100}, "Closest common setting: 400 (yours is -75.0% off).", false},
        {{9000}, "Closest common setting: 6400 (yours is +40.6% off).", false},
        {{1700, 1750}, "Closest common setting: 1600", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        DpiScreen f;
        f.app.dpiTries = c.tries;
        f.show();
        EXPECT_TRUE(f.ui.hasText(c.line));
        EXPECT_EQ(f.ui.hasText("Tries differ by more than 3% \xE2\x80\x94 go slowly"), c.warning);
    }
}

TEST(DpiScreen, UseKeepsTheDpiInTheRangeTheSettingsAccept) {
    const struct {
        double mean;
        double stored;
    } cases[] = {{802.5, 803}, {20, 50}, {90000, 64000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mean);
        DpiScreen f;
        f.app.dpiTries = {c.mean};
        f.show();
        const ProbeItem* use = nullptr;
        for (const ProbeItem& item : probeItems())
            if (item.label.rfind("USE ", 0) == 0) use = &item;
        ASSERT_NE(use, nullptr);
        ASSERT_TRUE(f.ui.click(use->fullLabel));
        EXPECT_DOUBLE_EQ(f.app.dpi, c.stored);
    }
}

TEST(DpiScreen, ClearBackAndEscape) {
    DpiScreen f;
    f.app.dpiTries = {800, 805};
    f.show();
    ASSERT_TRUE(f.ui.click("Clear"));
    EXPECT_TRUE(f.app.dpiTries.empty());
    f.show();
    EXPECT_TRUE(f.ui.hasText("No measurements yet."));

    // Back while the pad is held ends the measurement.
    f.app.dpiMeasuring = true;
    ASSERT_TRUE(f.ui.click("Back"));
    EXPECT_FALSE(f.app.dpiMeasuring);
    EXPECT_EQ(f.app.screen, ScreenTools);

    // The tries survive a visit elsewhere; Escape leaves like Back.
    f.app.dpiTries = {812};
    f.app.screen = ScreenDpi;
    f.show();
    f.app.screen = ScreenHome;
    f.show();
    f.app.screen = ScreenDpi;
    f.show();
    EXPECT_TRUE(f.ui.hasText("#1: 812"));
    f.app.dpiMeasuring = true;
    onKey(f.app, plat::KeyEscape);
    EXPECT_FALSE(f.app.dpiMeasuring);
    EXPECT_EQ(f.app.screen, ScreenTools);
}

TEST(DpiScreen, PadShowsTheCountsWhileHeld) {
    DpiScreen f;
    const ProbeItem* pad = probeFindItem("##pad");
    ASSERT_NE(pad, nullptr);
    ImGuiIO& io = ImGui::GetIO();
    io.AddMousePosEvent((pad->min.x + pad->max.x) / 2, (pad->min.y + pad->max.y) / 2);
    f.ui.frame();
    io.AddMouseButtonEvent(0, true);
    f.ui.frame();
    onRawMouse(f.app, 300, 400, 0);
    f.ui.frame();
    EXPECT_TRUE(f.ui.hasText("Measuring...   500 counts"));
    EXPECT_FALSE(f.ui.hasText("Hold left mouse button here"));
    // A new press starts from zero.
    io.AddMouseButtonEvent(0, false);
    f.ui.frame();
    io.AddMouseButtonEvent(0, true);
    f.ui.frame();
    EXPECT_EQ(f.app.dpiCountsX, 0);
    EXPECT_EQ(f.app.dpiCountsY, 0);
    io.AddMouseButtonEvent(0, false);
    f.ui.frame();
}

}  // namespace
