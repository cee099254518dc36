#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/input.h"
#include "audio/output.h"
#include "core/catalog/sound.h"
#include "tests/support/stand_in_opener.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/ui_harness.h"
#include "ui/probe.h"

namespace {

std::vector<std::pair<SoundId, float>> gPlayed;
void recordSound(SoundId id, float gain) { gPlayed.emplace_back(id, gain); }

// The settings screen on a headless UI, with a data folder of its own and the sounds it plays.
struct SettingsScreen {
    App app;
    UiHarness ui{app, 1600, 1200};  // tall enough to show the buttons under the cards
    TempFolder folder;
    std::string dir = folder.path();

    SettingsScreen() {
        app.dataDir = dir;
        app.screen = ScreenSettings;
        gPlayed.clear();
        setSoundSink(&recordSound);
        ui.frame();
        ui.frame();
    }
    ~SettingsScreen() { setSoundSink(nullptr); }

    std::string settingsFile() const { return test_files::readText(dir + "/settings.ini"); }
    bool saved() const { return std::filesystem::exists(dir + "/settings.ini"); }
};

TEST(SettingsScreen, ChangesApplyAtOnceAndBackSavesThem) {
    SettingsScreen f;
    EXPECT_TRUE(f.ui.hasText("Crosshair"));
    EXPECT_TRUE(f.ui.hasText("Display & sound"));
    ASSERT_TRUE(f.ui.click("Black outline"));
    EXPECT_FALSE(f.app.xhOutline);
    ASSERT_TRUE(f.ui.click("Slow"));
    EXPECT_EQ(f.app.trackSpeed, 0);
    ASSERT_TRUE(f.ui.click("Show FPS in game"));
    EXPECT_TRUE(f.app.showFps);
    EXPECT_FALSE(f.saved());  // nothing written until the player leaves

    ASSERT_TRUE(f.ui.click("Back"));
    EXPECT_EQ(f.app.screen, ScreenHome);
    const std::string ini = f.settingsFile();
    EXPECT_NE(ini.find("xhOutline=0"), std::string::npos) << ini;
    EXPECT_NE(ini.find("trackSpeed=0"), std::string::npos);
    EXPECT_NE(ini.find("showFps=1"), std::string::npos);
}

TEST(SettingsScreen, EscapeGoesHomeWithoutSaving) {
    SettingsScreen f;
    ASSERT_TRUE(f.ui.click("Fast"));
    onKey(f.app, plat::KeyEscape);
    EXPECT_EQ(f.app.screen, ScreenHome);
    EXPECT_EQ(f.app.trackSpeed, 2);  // kept in memory for the next save
    EXPECT_FALSE(f.saved());
}

TEST(SettingsScreen, FpsCapOutsideTheListReadsAs1000UntilPicked) {
    SettingsScreen f;
    f.app.fpsCap = 75;
    f.ui.frame();
    EXPECT_TRUE(probeShowsExactly("1000"));
    EXPECT_EQ(f.app.fpsCap, 75);
    f.app.fpsCap = 0;
    f.ui.frame();
    EXPECT_TRUE(probeShowsExactly("Unlimited"));

    f.app.fpsCap = 75;
    f.ui.frame();
    ASSERT_TRUE(f.ui.click("FPS cap"));
    f.ui.frame();
    f.ui.frame();
    EXPECT_EQ(f.app.fpsCap, 75);
    ASSERT_TRUE(f.ui.click("360"));
    EXPECT_EQ(f.app.fpsCap, 360);
}

TEST(SettingsScreen, ResetRestoresLookAndSoundOnly) {
    SettingsScreen f;
    App& a = f.app;
    a.xhStyle = 3;
    a.xhSize = 20;
    a.xhThick = 6;
    a.xhGap = 11;
    a.xhColor = Rgb{1, 0, 0};
    a.xhOutline = false;
    a.flickColor = Rgb{0, 0, 0};
    a.trackColor = Rgb{1, 1, 1};
    a.volume = 0.1f;
    a.fpsCap = 144;
    a.vsync = true;
    a.msaa = false;
    a.fullscreen = false;
    a.showFps = true;
    a.trackSpeed = 2;
    a.checkUpdates = false;
    // Not part of the reset.
    a.hitSound = 1;
    a.dpi = 1600;
    a.sens = 1.25;
    a.game = 4;
    a.xp = 1234;
    setMasterVolume(0.1f);
    f.ui.frame();

    ASSERT_TRUE(f.ui.click("Reset to defaults"));
    EXPECT_EQ(a.screen, ScreenSettings);
    EXPECT_EQ(a.xhStyle, 0);
    EXPECT_FLOAT_EQ(a.xhSize, 7);
    EXPECT_FLOAT_EQ(a.xhThick, 2);
    EXPECT_FLOAT_EQ(a.xhGap, 3);
    EXPECT_EQ(a.xhColor, (Rgb{0.0f, 1.0f, 0.55f}));
    EXPECT_TRUE(a.xhOutline);
    EXPECT_EQ(a.flickColor, (Rgb{0.1f, 0.85f, 0.92f}));
    EXPECT_EQ(a.trackColor, (Rgb{0.98f, 0.55f, 0.2f}));
    EXPECT_FLOAT_EQ(a.volume, 0.6f);
    EXPECT_EQ(a.fpsCap, 1000);
    EXPECT_FALSE(a.vsync);
    EXPECT_TRUE(a.msaa);
    EXPECT_TRUE(a.fullscreen);
    EXPECT_FALSE(a.showFps);
    EXPECT_EQ(a.trackSpeed, 1);
    EXPECT_TRUE(a.checkUpdates);
    EXPECT_FLOAT_EQ(masterVolume(), 0.6f);

    EXPECT_EQ(a.hitSound, 1);
    EXPECT_DOUBLE_EQ(a.dpi, 1600);
    EXPECT_DOUBLE_EQ(a.sens, 1.25);
    EXPECT_EQ(a.game, 4);
    EXPECT_EQ(a.xp, 1234);
    const std::string ini = f.settingsFile();
    EXPECT_NE(ini.find("hitSound=1"), std::string::npos) << ini;
    EXPECT_NE(ini.find("fpsCap=1000"), std::string::npos);
}

TEST(SettingsScreen, HitSoundChoicesAndPlayIt) {
    struct Case {
        const char* label;
        int32_t setting;
        SoundId sound;
    };
    const Case cases[] = {{"Ding", 1, SoundHitDing},
                          {"Click", 2, SoundHitClick},
                          {"Classic", 3, SoundHitClassic},
                          {"Pop", 0, SoundHitPop}};
    SettingsScreen f;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        gPlayed.clear();
        ASSERT_TRUE(f.ui.click(c.label));
        EXPECT_EQ(f.app.hitSound, c.setting);
        ASSERT_EQ(gPlayed.size(), 2u);
        EXPECT_EQ(gPlayed[0].first, SoundClick);
        EXPECT_EQ(gPlayed[1].first, c.sound);
        EXPECT_FLOAT_EQ(gPlayed[1].second, 0.9f);

        gPlayed.clear();
        ASSERT_TRUE(f.ui.click("Play it"));
        ASSERT_EQ(gPlayed.size(), 2u);
        EXPECT_EQ(gPlayed[0].first, SoundClick);
        EXPECT_EQ(gPlayed[1].first, c.sound);
    }
    // A hand-edited value outside the four plays the pop.
    f.app.hitSound = 9;
    f.ui.frame();
    gPlayed.clear();
    ASSERT_TRUE(f.ui.click("Play it"));
    ASSERT_EQ(gPlayed.size(), 2u);
    EXPECT_EQ(gPlayed[1].first, SoundHitPop);
    EXPECT_EQ(f.app.hitSound, 9);
}

TEST(SettingsScreen, VolumeSliderSetsTheMasterVolume) {
    SettingsScreen f;
    setMasterVolume(0.6f);
    const ProbeItem* item = probeFindItem("Volume");
    ASSERT_NE(item, nullptr);
    // Press near the left end of the slider and drag past it: the value stops at 0.
    ImGuiIO& io = ImGui::GetIO();
    const float y = (item->min.y + item->max.y) / 2;
    io.AddMousePosEvent(item->min.x + 30, y);
    f.ui.frame();
    io.AddMouseButtonEvent(0, true);
    f.ui.frame();
    EXPECT_LT(f.app.volume, 0.3f);
    EXPECT_FLOAT_EQ(masterVolume(), f.app.volume);
    io.AddMousePosEvent(item->min.x - 400, y);
    f.ui.frame();
    io.AddMouseButtonEvent(0, false);
    f.ui.frame();
    EXPECT_FLOAT_EQ(f.app.volume, 0.0f);
    EXPECT_FLOAT_EQ(masterVolume(), 0.0f);
}

TEST(SettingsScreen, TutorialAgainSavesAndShowsTheTourAtHome) {
    SettingsScreen f;
    f.app.tutorialDone = true;
    f.app.tourPage = 3;
    ASSERT_TRUE(f.ui.click("Show the tutorial again"));
    EXPECT_TRUE(f.app.tourVisible);
    EXPECT_EQ(f.app.tourPage, 0);
    EXPECT_EQ(f.app.screen, ScreenHome);
    EXPECT_TRUE(f.saved());
    f.ui.frame();
    EXPECT_TRUE(f.ui.hasText("QUICK TOUR   1 / 5"));
}

TEST(SettingsScreen, AboutCardCredits) {
    SettingsScreen f;
    EXPECT_TRUE(f.ui.hasText("Version 2.1.1  \xC2\xB7  works offline  \xC2\xB7  raw mouse input"));
    EXPECT_TRUE(f.ui.hasText("Gun models: Tarvion  \xC2\xB7  UI: Dear ImGui (MIT)"));
    EXPECT_TRUE(f.ui.hasText("Orrin Vale"));
    f.app.fps = 143.6;
    f.ui.frame();
    EXPECT_TRUE(f.ui.hasText("Running at 144 FPS."));
}

bool anyItemStartsWith(const std::string& prefix) {
    for (const ProbeItem& item : probeItems())
        if (item.label.rfind(prefix, 0) == 0) return true;
    return false;
}

TEST(SettingsScreen, NoDonationButtonUnlessServiceAndPageAreSet) {
    struct Case {
        const char* service;
        const char* url;
    };
    const Case cases[] = {{"", ""}, {"Test Pay", ""}, {"", "https://pay.example/tarvion"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.service) + " | " + c.url);
        SettingsScreen f;
        f.app.donateService = c.service;
        f.app.donateUrl = c.url;
        f.ui.frame();
        f.ui.frame();
        EXPECT_TRUE(f.ui.hasText("Orrin Vale"));  // the card is there
        EXPECT_FALSE(anyItemStartsWith("Support on"));
        EXPECT_FALSE(f.ui.hasText("chip in"));
    }
}

TEST(SettingsScreen, DonationButtonOpensThePageWithTheSystemOpener) {
    SettingsScreen f;
    StandInOpener opener;
    opener.recording();
    f.app.donateService = "Test Pay";
    f.app.donateHandle = "@tarvion-test";
    f.app.donateUrl = "https://pay.example/tarvion?x=$1&y=2";
    f.ui.frame();
    f.ui.frame();  // the card takes its new height a frame later
    EXPECT_TRUE(f.ui.hasText("Tarvion is free. If it helped your aim, you can chip in:"));
    ASSERT_TRUE(f.ui.click("Support on Test Pay  (@tarvion-test)"));
    // The opener runs in the background; wait for its record, within a limit.
    EXPECT_EQ(opener.recorded(), "https://pay.example/tarvion?x=$1&y=2\n");  // one argument, as given
    EXPECT_TRUE(f.app.donateNotice.empty());

    // Without a handle the label is the service alone.
    f.app.donateHandle.clear();
    f.ui.frame();
    f.ui.frame();
    EXPECT_NE(probeFindItem("Support on Test Pay"), nullptr);
}

TEST(SettingsScreen, DonationButtonWithoutAnOpenerShowsTheAddress) {
    SettingsScreen f;
    StandInOpener none;
    f.app.donateService = "Test Pay";
    f.app.donateUrl = "https://pay.example/tarvion";
    f.ui.frame();
    f.ui.frame();
    ASSERT_TRUE(f.ui.click("Support on Test Pay"));
    f.ui.frame();
    f.ui.frame();
    EXPECT_TRUE(f.ui.hasText("Couldn't find a program that opens web pages. Open this address in your browser: "
                             "https://pay.example/tarvion"));
}

// xdg-open that finds no browser exits 3 after it started; the card says so on a later frame.
TEST(SettingsScreen, DonationButtonTellsAnOpenerThatFindsNoBrowser) {
    SettingsScreen f;
    StandInOpener opener;
    opener.script("exit 3");
    f.app.donateService = "Test Pay";
    f.app.donateUrl = "https://pay.example/tarvion";
    f.ui.frame();
    f.ui.frame();
    ASSERT_TRUE(f.ui.click("Support on Test Pay"));
    for (int k = 0; k < 400 && f.app.donateNotice.empty(); ++k) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        f.ui.frame();
    }
    f.ui.frame();
    EXPECT_TRUE(f.ui.hasText("Couldn't find a program that opens web pages. Open this address in your browser: "
                             "https://pay.example/tarvion"));
}

}  // namespace
