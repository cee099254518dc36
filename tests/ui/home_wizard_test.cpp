#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/catalog/catalog.h"
#include "engine/kernel/session.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/ui_harness.h"
#include "ui/kit.h"
#include "ui/probe.h"
#include "ui/screens.h"
#include "imgui_internal.h"
#include "core/catalog/format.h"
#include "engine/kernel/round_config.h"
#include "updater/steps.h"

namespace {

void finishDetection(App& app, std::vector<DetectedGame> games) {
    app.detectedGames = std::move(games);
    app.detectionDone.store(true);
}

TEST(HomeScreen, HeroCardPillsAndTiles) {
    App app;
    UiHarness ui(app);
    ui.frame();
    EXPECT_TRUE(ui.hasText("Find the sens you aim best with"));
    EXPECT_TRUE(ui.hasText("10 blind rounds of flicks and tracking"));
    EXPECT_TRUE(ui.hasText("VALORANT"));
    EXPECT_TRUE(ui.hasText("800 DPI"));
    EXPECT_TRUE(ui.hasText("sens 0.400"));
    EXPECT_TRUE(ui.hasText("Your best sens shows up here after your first test."));
    for (const char* tile : {"Sens Check", "Scope Check", "Armory", "Practice", "History", "Tools"})
        EXPECT_NE(probeFindItem(tile), nullptr) << tile;
    app.sensUnknown = true;
    ui.frame();
    EXPECT_TRUE(ui.hasText("start ~"));
    EXPECT_FALSE(ui.hasText("sens 0.400"));
}

TEST(HomeScreen, TilesWrapOnANarrowWindow) {
    App app;
    UiHarness ui(app, 1000, 800);
    ui.frame();
    const ProbeItem* first = probeFindItem("Sens Check");
    const ProbeItem* fourth = probeFindItem("Practice");
    ASSERT_TRUE(first && fourth);
    EXPECT_GT(fourth->min.y, first->max.y);  // second row
}

TEST(HomeScreen, YourSensShowsCm360WhenTheRowHasNoInGameValue) {
    App app;
    UiHarness ui(app);
    HistoryEntry row;
    row.when = "2026-12-01 10:00";
    row.game = "Arma Reforger";
    row.dpi = 800;
    row.recommended_cm360 = 41.2;
    row.recommended_sens = 0;  // made before calibrating
    row.confidence = "Medium";
    app.history.push_back(row);
    ui.frame();
    EXPECT_TRUE(ui.hasText("YOUR SENS  \xC2\xB7  cm/360"));
    EXPECT_TRUE(ui.hasText("41.2"));
    EXPECT_TRUE(ui.hasText("Medium confidence  \xC2\xB7  2026-12-01"));
}

// The update card as the home screen shows it in each install state, the updater's polled
// state set by the test (and put back as at start-up after it).
struct UpdateCardTest : ::testing::Test {
    App app;
    UiHarness ui{app};
    ~UpdateCardTest() override { updater::setPolledStateForTesting(); }

    static updater::UpdateInfo offer(const std::string& notes) {
        updater::UpdateInfo info;
        info.available = true;
        info.version = "2.2.0";
        info.notes = notes;
        return info;
    }
    void show(int state, const std::string& notes = "", const std::string& message = "") {
        updater::setPolledStateForTesting(true, offer(notes), state, message);
        ui.frame();
        ui.frame();
    }
    bool cardShown() const { return ui.hasText("Tarvion 2.2.0 is available"); }
    static bool buttonsShown() { return probeFindItem("UPDATE NOW") && probeFindItem("Later"); }
};

TEST_F(UpdateCardTest, EachInstallStateHasItsLineAndButtons) {
    struct Case {
        const char* what;
        int state;
        std::string notes, message, line;
        bool buttons;
    };
    const Case cases[] = {
        {"idle with notes", updater::UpdateIdle, "Smoother scope zoom.", "", "Smoother scope zoom.", true},
        {"idle without notes", updater::UpdateIdle, "", "", "You have 2.1.1.", true},
        {"installing", updater::UpdateInstalling, "notes", "", "Downloading and checking the update...", false},
        {"installed", updater::UpdateInstalled, "notes", "Installed - restarting.", "Installed - restarting.", false},
        {"failed", updater::UpdateFailed, "notes", "Download failed - try again.", "Download failed - try again.",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        show(c.state, c.notes, c.message);
        EXPECT_TRUE(cardShown());
        EXPECT_TRUE(probeShowsExactly(c.line));
        EXPECT_EQ(buttonsShown(), c.buttons);
    }
    // Nothing offered, or the check still running: no card.
    updater::setPolledStateForTesting(true, updater::UpdateInfo{});
    ui.frame();
    EXPECT_FALSE(cardShown());
    updater::setPolledStateForTesting(false, offer("notes"));
    ui.frame();
    EXPECT_FALSE(cardShown());
}

TEST_F(UpdateCardTest, LaterHidesTheCardWhileIdleOnly) {
    show(updater::UpdateIdle, "Smoother scope zoom.");
    ASSERT_TRUE(ui.click("Later"));
    EXPECT_TRUE(app.updateLater);
    ui.frame();
    EXPECT_FALSE(cardShown());
    show(updater::UpdateIdle);
    EXPECT_FALSE(cardShown());
    // An install under way (or over) shows again.
    show(updater::UpdateInstalling);
    EXPECT_TRUE(cardShown());
    show(updater::UpdateFailed, "", "Download failed - try again.");
    EXPECT_TRUE(cardShown());
}

TEST(HomeScreen, GamesFoundCardWaitsForDetection) {
    App app;
    TempFolder data;
    app.dataDir = data.path();
    UiHarness ui(app);
    app.detectedGames = {{"Counter-Strike 2", "Steam", gameIndexById("cs2")}};  // not yet handed over
    ui.frame();
    EXPECT_FALSE(ui.hasText("Games found on your PC"));
    finishDetection(app, {{"Counter-Strike 2", "Steam", gameIndexById("cs2")},
                          {"Apex Legends", "Steam", gameIndexById("apex")}});
    ui.frame();
    ASSERT_TRUE(ui.hasText("Games found on your PC"));
    ASSERT_TRUE(ui.click("Not now"));
    ui.frame();
    EXPECT_TRUE(app.foundGamesNotNow);
    EXPECT_FALSE(ui.hasText("Games found on your PC"));
    EXPECT_NE(app.knownGames.find("cs2"), std::string::npos);
    EXPECT_NE(test_files::readText(app.dataDir + "/settings.ini").find("knownGames=cs2,apex"), std::string::npos);
}

TEST(HomeScreen, AKeptUnreadableSettingsFileIsToldOnceUntilSeen) {
    App app;
    TempFolder data;
    app.dataDir = data.path();
    data.write("settings.ini", std::string("\xFF\xFEg\0a\0", 6));
    app.loadSettings();
    UiHarness ui(app);
    ui.frame();
    ASSERT_TRUE(ui.hasText("Your settings could not be read"));
    EXPECT_TRUE(ui.hasText("settings.ini could not be read, so it was kept as settings.ini.unreadable and the "
                           "default settings are in use."));
    ASSERT_TRUE(ui.click("OK"));
    ui.frame();
    EXPECT_FALSE(ui.hasText("Your settings could not be read"));
    ui.frame();
    EXPECT_FALSE(ui.hasText("Your settings could not be read"));
}

TEST(HomeScreen, SettingsThatCannotBeSavedAreToldOnce) {
    App app;
    TempFolder data;
    app.dataDir = data.path();
    const std::string link = app.dataDir + "/settings.ini";
    // A link into a folder that is not there.
    std::filesystem::create_symlink(app.dataDir + "/gone/settings.ini", link);
    app.loadSettings();
    app.saveSettings();
    UiHarness ui(app);
    ui.frame();
    ASSERT_TRUE(ui.hasText("Your settings could not be saved"));
    EXPECT_TRUE(ui.hasText("settings.ini links to " + app.dataDir +
                           "/gone/settings.ini, which could not be written, so changes to your settings will not be "
                           "kept."));
    ASSERT_TRUE(ui.click("OK"));
    app.saveSettings();  // fails again, silently
    ui.frame();
    EXPECT_FALSE(ui.hasText("Your settings could not be saved"));
}

TEST(HomeScreen, UseThemKeepsAMainGameThatIsAlreadyMine) {
    App app;
    TempFolder data;
    app.dataDir = data.path();
    UiHarness ui(app);
    app.setMyGame(app.game, true);
    const int32_t before = app.game;
    finishDetection(app, {{"Counter-Strike 2", "Steam", gameIndexById("cs2")}});
    ui.frame();
    ASSERT_TRUE(ui.click("USE THEM"));
    EXPECT_EQ(app.game, before);
    EXPECT_TRUE(app.isMyGame(gameIndexById("cs2")));
}

TEST(QuickTour, PagesAndSkip) {
    App app;
    TempFolder data;
    app.dataDir = data.path();
    app.tourVisible = true;
    UiHarness ui(app);
    ui.frame();
    EXPECT_TRUE(ui.hasText("QUICK TOUR   1 / 5"));
    for (int page = 1; page < 5; ++page) ASSERT_TRUE(ui.click("NEXT")) << page;
    ui.frame();
    EXPECT_EQ(app.tourPage, 4);
    EXPECT_EQ(probeFindItem("NEXT"), nullptr);
    EXPECT_TRUE(ui.hasText("Before you start"));
    ASSERT_TRUE(ui.click("Skip \xE2\x80\x94 I'm ready"));
    EXPECT_FALSE(app.tourVisible);
    EXPECT_TRUE(app.tutorialDone);
    EXPECT_NE(test_files::readText(app.dataDir + "/settings.ini").find("tutorialDone=1"), std::string::npos);
}

TEST(QuickTour, BackIsDisabledOnTheFirstPage) {
    App app;
    app.tourVisible = true;
    UiHarness ui(app);
    ui.frame();
    ASSERT_TRUE(ui.click("Back"));
    EXPECT_EQ(app.tourPage, 0);
}

TEST(QuickTour, PracticeRoundStartsTheTutorial) {
    App app;
    TempFolder data;
    app.dataDir = data.path();
    app.tourVisible = true;
    app.tourPage = 4;
    UiHarness ui(app);
    ui.frame();
    ASSERT_TRUE(ui.click("TRY A PRACTICE ROUND"));
    EXPECT_EQ(app.screen, ScreenRound);
    EXPECT_EQ(app.sessionKind, SessionPractice);
    EXPECT_TRUE(app.tutorialPractice);
    EXPECT_NEAR(app.practiceCm, app.currentCm360(), 1e-9);
}

// The whole way in: home, the four wizard pages with every control used once, the start.
TEST(SetupWizard, WalkThroughStartsTheTestWithTheChoices) {
    App app;
    TempFolder data;
    app.dataDir = data.path();
    UiHarness ui(app);
    finishDetection(app, {{"Apex Legends", "Steam", gameIndexById("apex")},
                          {"Some Shooter", "Epic Games", -1}});
    app.foundGamesNotNow = true;
    ui.frame();
    ASSERT_TRUE(ui.click("FIND MY SENSITIVITY"));
    EXPECT_EQ(app.screen, ScreenSetup);
    EXPECT_EQ(app.setupStep, 0);

    // Page 0: the detected game is offered first; pick it as the main game.
    ui.frame();
    EXPECT_TRUE(ui.hasText("Found on this PC."));
    EXPECT_TRUE(ui.hasText("Also found (no built-in converter yet): Some Shooter"));
    ASSERT_TRUE(ui.click("Main game"));
    EXPECT_EQ(app.game, gameIndexById("apex"));
    EXPECT_TRUE(app.isMyGame(gameIndexById("apex")));
    ASSERT_TRUE(ui.click("Counter-Strike 2"));  // a tile: another main game
    EXPECT_EQ(app.game, gameIndexById("cs2"));
    ASSERT_TRUE(ui.click("NEXT"));
    EXPECT_EQ(app.setupStep, 1);

    // Page 1: DPI clamps, a preset, the sensitivity.
    ui.frame();
    ASSERT_TRUE(ui.typeInto("##dpi", "20"));
    EXPECT_EQ(app.dpi, 50);
    ASSERT_TRUE(ui.typeInto("##dpi", "100000"));
    EXPECT_EQ(app.dpi, 64000);
    ASSERT_TRUE(ui.click("1600"));
    EXPECT_EQ(app.dpi, 1600);
    ASSERT_TRUE(ui.typeInto("##sens", "1.25"));
    EXPECT_NEAR(app.sens, 1.25, 1e-9);
    EXPECT_TRUE(ui.hasText("eDPI 2000."));
    ASSERT_TRUE(ui.click("I don't know it \xE2\x80\x94 start from the recommended default"));
    EXPECT_TRUE(app.sensUnknown);
    // While unknown, eDPI follows the shown cm/360, not the hidden value.
    const double shownSens = sensFromCm360(app.gameYaw(), app.currentCm360(), app.dpi);
    EXPECT_TRUE(ui.hasText(formatString("eDPI %.0f.", app.dpi * shownSens)));
    ASSERT_TRUE(ui.click("I don't know it \xE2\x80\x94 start from the recommended default"));
    EXPECT_FALSE(app.sensUnknown);
    ASSERT_TRUE(ui.click("NEXT"));

    // Page 2: style, length, FOV.
    ui.frame();
    ASSERT_TRUE(ui.click("Tracking-heavy"));
    EXPECT_EQ(app.style, 2);
    ASSERT_TRUE(ui.click("Thorough  ~" + formatString("%.0f", estimateMinutes(2)) + " min"));
    EXPECT_EQ(app.length, 2);
    const ProbeItem* fov = probeFindItem("##fov");
    ASSERT_NE(fov, nullptr);
    ASSERT_TRUE(ui.click(formatString("Game default (%.1f)", app.currentGame().defaultFov)));
    EXPECT_EQ(app.fov, 0);
    ASSERT_TRUE(ui.click("##fov"));  // the middle of the slider: 100 degrees
    EXPECT_NEAR(app.fov, 100.0, 1.0);
    const double chosenFov = app.fov;
    ASSERT_TRUE(ui.click("NEXT"));

    // Page 3: the summary, then the start.
    ui.frame();
    EXPECT_TRUE(ui.hasText("Counter-Strike 2"));
    EXPECT_TRUE(ui.hasText("Also showing: Apex Legends"));
    EXPECT_TRUE(ui.hasText("at 1600 DPI"));
    ASSERT_TRUE(ui.click("START TEST"));
    EXPECT_EQ(app.screen, ScreenRound);
    EXPECT_EQ(app.sessionKind, SessionFinder);
    EXPECT_EQ(app.session.config.dpi, 1600);
    EXPECT_EQ(app.session.config.length, 2);
    EXPECT_NEAR(app.session.config.startCm360, app.currentCm360(), 1e-9);
    EXPECT_EQ(app.round.config.dpi, 1600);

    const std::string ini = test_files::readText(app.dataDir + "/settings.ini");
    for (std::string line : {std::string("game=cs2\n"), std::string("dpi=1600\n"), std::string("sens=1.25\n"),
                             std::string("style=2\n"), std::string("length=2\n"),
                             "fov=" + formatString("%g", chosenFov) + "\n", std::string("myGames=apex"),
                             std::string("sensUnknown=0\n")})
        EXPECT_NE(ini.find(line), std::string::npos) << line << " in\n" << ini;
}

TEST(SetupWizard, ScanningLineBeforeDetection) {
    App app;
    app.screen = ScreenSetup;
    UiHarness ui(app);
    app.detectedGames = {{"Apex Legends", "Steam", 3}};  // must not be read yet
    ui.frame();
    EXPECT_TRUE(ui.hasText("Scanning this PC for installed games..."));
    EXPECT_FALSE(ui.hasText("Found on this PC."));
}

TEST(SetupWizard, CmOnlyGameClampsItsCm360) {
    App app;
    app.screen = ScreenSetup;
    app.setupStep = 1;
    for (size_t i = 0; i < gameCatalog().size(); ++i)
        if (gameCatalog()[i].kind == GameKindCm360) app.game = static_cast<int32_t>(i);
    UiHarness ui(app);
    ui.frame();
    ASSERT_TRUE(ui.typeInto("##cm", "3"));
    EXPECT_EQ(app.cmDirect, 6);
    ASSERT_TRUE(ui.typeInto("##cm", "42"));
    EXPECT_TRUE(ui.hasText("(slow)"));
}

// Keyboard only, as a player without a mouse at hand would: Tab moves the focus and Space
// presses the focused button.
TEST(SetupWizard, KeyboardAloneReachesTheFirstRound) {
    App app;
    TempFolder data;
    app.dataDir = data.path();
    UiHarness ui(app);
    ui.frame();
    int tabs = 0;
    while (app.screen != ScreenRound && tabs < 300) {
        ui.pressKey(ImGuiKey_Tab);
        ++tabs;
        const ImGuiID focused = ImGui::GetCurrentContext()->NavId;
        for (const ProbeItem& item : probeItems()) {
            const bool forward = item.label == "FIND MY SENSITIVITY" || item.label == "NEXT" || item.label == "START TEST";
            if (forward && item.id == focused) {
                ui.pressKey(ImGuiKey_Space);
                break;
            }
        }
    }
    EXPECT_EQ(app.screen, ScreenRound) << "after " << tabs << " tabs";
    EXPECT_EQ(app.sessionKind, SessionFinder);
}

}  // namespace
