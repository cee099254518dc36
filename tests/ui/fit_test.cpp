// Screens that fit: every text and widget inside its card and its window at the sizes a
// player uses, down to the smallest window; screens that open at their top; the wizard
// without a scrollbar of the whole screen; and the small misalignments.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/input.h"
#include "core/catalog/catalog.h"
#include "engine/kernel/round_config.h"
#include "engine/kernel/session.h"
#include "imgui_internal.h"
#include "integration/calibration.h"
#include "platform/system/input.h"
#include "tests/ui/fit_check.h"
#include "tests/ui/results_fixture.h"
#include "ui/kit.h"
#include "ui/probe.h"
#include "ui/screens.h"

using namespace results_test;

namespace {

constexpr float kMinW = static_cast<float>(kMinimumDisplayWidth);
constexpr float kMinH = static_cast<float>(kMinimumDisplayHeight);

// A headless UI with a data folder of its own; Arma Reforger starts uncalibrated.
struct Screen {
    TempFolder dir;
    App app;
    UiHarness ui;
    Screen(float w, float h) : ui(app, w, h) {
        app.dataDir = dir.path();
        resetCalibratedYaws();
    }
    ~Screen() { resetCalibratedYaws(); }
    // Cards that grow to their content take their size from the frame before.
    void show() {
        ui.frame();
        ui.frame();
        ui.frame();
    }
};

// The scrolling window of the screen on display (one per screen, under the root window).
ImGuiWindow* screenWindow() {
    for (ImGuiWindow* w : ImGui::GetCurrentContext()->Windows) {
        const std::string name = w->Name;
        if (w->Active && name.rfind("##root/##screen_", 0) == 0 && name.find('/', 16) == std::string::npos) return w;
    }
    return nullptr;
}

ImGuiWindow* activeWindowNamed(const std::string& part) {
    for (ImGuiWindow* w : ImGui::GetCurrentContext()->Windows)
        if (w->Active && std::string(w->Name).find(part) != std::string::npos) return w;
    return nullptr;
}

void scrollDown(UiHarness& ui, ImVec2 at) {
    ImGuiIO& io = ImGui::GetIO();
    io.AddMousePosEvent(at.x, at.y);
    io.AddMouseWheelEvent(0, -30);
    ui.frame();
    ui.frame();
    io.AddMousePosEvent(-10000, -10000);
    ui.frame();
}

void expectFits(const std::string& window = "") {
    for (const std::string& m : fit_check::misfits(window)) ADD_FAILURE() << m;
}

void useReforgerFile(App& app) {
    app.reforger.found = true;
    app.reforger.path = "REFORGER.conf";
    app.reforger.mouseSensitivity = 0.597;
    app.reforger.firstPersonFov = 74;
    app.reforgerFov = 90;  // calibrated at another FOV: one more warning line
}

// ---- The wizard's Mouse page ------------------------------------------------

struct GameCase {
    const char* name;
    const char* game;
    double yaw;  // Arma Reforger's calibrated yaw (0: not calibrated)
    bool reforgerFile;
};

const GameCase kGameCases[] = {
    {"a game with a known yaw", "valorant", 0, false},
    {"a game to calibrate", "reforger", 0, false},
    {"a calibrated game", "reforger", 0.0212, false},
    {"Arma Reforger with its settings file", "reforger", 0.0212, true},
    {"a game whose yaw the player types", "custom", 0, false},
    {"cm/360 only", "cm360", 0, false},
};

// Every text of both cards inside its card, the cm/360 and the line under it among them,
// for every kind of game, full screen, at the default window and at the smallest one.
TEST(MousePage, EachCardHoldsAllItsContent) {
    const float sizes[][2] = {{1920, 1080}, {1600, 900}, {kMinW, kMinH}};
    for (const auto& size : sizes) {
        for (const GameCase& c : kGameCases) {
            SCOPED_TRACE(testing::Message() << c.name << " at " << size[0] << "x" << size[1]);
            Screen f(size[0], size[1]);
            setCalibratedYaw("reforger", c.yaw);
            f.app.game = gameIndexById(c.game);
            if (c.reforgerFile) useReforgerFile(f.app);
            f.app.screen = ScreenSetup;
            f.app.setupStep = 1;
            f.show();
            expectFits("dpiCard");
            expectFits("sensCard");
            const ProbeText* big = probeFindText(formatString("%.1f cm/360", f.app.currentCm360()));
            ASSERT_NE(big, nullptr);
            EXPECT_NE(big->area.window.find("sensCard"), std::string::npos);
            bool turnLine = false;
            for (const ProbeText& t : probePlacedTexts())
                turnLine = turnLine || (t.text.rfind("A full turn takes", 0) == 0 &&
                                        t.area.window.find("sensCard") != std::string::npos);
            EXPECT_TRUE(turnLine);
            // Side by side, equally tall.
            const ImGuiWindow* dpiCard = activeWindowNamed("/dpiCard_");
            const ImGuiWindow* sensCard = activeWindowNamed("/sensCard_");
            ASSERT_TRUE(dpiCard && sensCard);
            EXPECT_FLOAT_EQ(dpiCard->Size.y, sensCard->Size.y);
            EXPECT_FLOAT_EQ(dpiCard->Pos.y, sensCard->Pos.y);
            EXPECT_GE(sensCard->Size.y, 262.0f);
            expectFits();
        }
    }
}

// A value shown is the value used: Reforger's 0.597 reads 0.597 on its button and in the
// field, not 0.60, and eDPI follows it (800 x 0.597 = 478).
TEST(MousePage, TheShownSensitivityIsTheOneUsed) {
    Screen f(1600, 900);
    setCalibratedYaw("reforger", 0.0212);
    f.app.game = gameIndexById("reforger");
    f.app.dpi = 800;
    f.app.sens = 0.5;
    useReforgerFile(f.app);
    f.app.screen = ScreenSetup;
    f.app.setupStep = 1;
    f.show();
    ASSERT_TRUE(f.ui.click("Use Reforger's 0.597"));
    EXPECT_DOUBLE_EQ(f.app.sens, 0.597);
    f.ui.frame();
    EXPECT_TRUE(f.ui.hasText("eDPI 478."));
    // The field's own text, as the player sees it: taken with Ctrl+A, Ctrl+C.
    const auto fieldText = [&f] {
        const ProbeItem* field = probeFindItem("##sens");
        EXPECT_NE(field, nullptr);
        if (!field) return std::string();
        ImGuiIO& io = ImGui::GetIO();
        io.AddMousePosEvent(field->min.x + 20, (field->min.y + field->max.y) / 2);
        f.ui.frame();
        io.AddMouseButtonEvent(0, true);
        f.ui.frame();
        io.AddMouseButtonEvent(0, false);
        f.ui.frame();
        for (ImGuiKey key : {ImGuiKey_A, ImGuiKey_C}) {
            io.AddKeyEvent(ImGuiMod_Ctrl, true);
            io.AddKeyEvent(key, true);
            f.ui.frame();
            io.AddKeyEvent(key, false);
            io.AddKeyEvent(ImGuiMod_Ctrl, false);
            f.ui.frame();
        }
        f.ui.pressKey(ImGuiKey_Escape);
        return std::string(ImGui::GetClipboardText());
    };
    EXPECT_EQ(fieldText(), "0.597");
    EXPECT_DOUBLE_EQ(f.app.sens, 0.597);
    // A value of the game's own two decimals keeps them.
    f.app.sens = 0.6;
    f.ui.frame();
    EXPECT_EQ(fieldText(), "0.60");
}

// ---- The smallest window ----------------------------------------------------

struct ScreenCase {
    std::string name;
    std::function<void(App&)> open;
};

void roundOnScreen(App& a, int32_t phase) {
    a.screen = ScreenRound;
    a.roundPhase = phase;
    a.sessionKind = SessionFinder;
    startSession(a.session, SessionConfig{});
    a.round.setupRound(makeRoundConfig(a.session), a.now);
    a.nextRoundAt = a.now + 3;
}

std::vector<ScreenCase> everyScreen() {
    std::vector<ScreenCase> cases = {
        {"home", [](App& a) { a.screen = ScreenHome; }},
        {"home with a result in its history",
         [](App& a) {
             HistoryEntry row;
             row.when = "2026-12-01 10:00";
             row.game = "VALORANT";
             row.dpi = 800;
             row.recommended_cm360 = 41.2;
             row.recommended_sens = 0.317;
             row.confidence = "Medium";
             a.history = {row, row};
         }},
        {"home with its cards",
         [](App& a) {
             a.showTutorialDone = true;
             a.detectedGames = {{"Counter-Strike 2", "Steam", gameIndexById("cs2")},
                                {"Apex Legends", "Steam", gameIndexById("apex")}};
             a.detectionDone.store(true);
         }},
        {"quick tour", [](App& a) { a.tourVisible = true; }},
        {"level-up toast",
         [](App& a) {
             a.newLevel = 8;
             a.unlockedText = "Hive skin";
             a.levelUpUntil = a.now + 100;
         }},
        {"results", [](App& a) { fillResult(a); a.screen = ScreenResults; }},
        {"share card", [](App& a) { fillResult(a); a.screen = ScreenResults; a.shareRequested = true; }},
        {"DPI measurement", [](App& a) { a.screen = ScreenDpi; a.dpiTries = {1587, 1602, 1594}; }},
        {"converter", [](App& a) { a.screen = ScreenConverter; }},
        {"history", [](App& a) { a.screen = ScreenHistory; }},
        {"settings", [](App& a) { a.screen = ScreenSettings; }},
        {"calibration", [](App& a) { enterCalibrate(a, gameIndexById("reforger"), ScreenHome); }},
        {"tools", [](App& a) { a.screen = ScreenTools; }},
        {"Scope Check result", [](App& a) { a.screen = ScreenScopeResult; }},
        {"round", [](App& a) { roundOnScreen(a, RoundPlaying); }},
        {"round summary", [](App& a) { roundOnScreen(a, RoundBetween); }},
        {"pause", [](App& a) { roundOnScreen(a, RoundPaused); }},
    };
    for (int32_t tab = 0; tab < 3; ++tab)
        cases.push_back({"armory tab " + std::to_string(tab), [tab](App& a) { a.screen = ScreenArmory; a.armoryTab = tab; }});
    for (int32_t page = 0; page < 4; ++page)
        cases.push_back({"wizard page " + std::to_string(page), [page](App& a) {
                             a.screen = ScreenSetup;
                             a.setupStep = page;
                             a.detectedGames = {{"Counter-Strike 2", "Steam", gameIndexById("cs2")},
                                                {"Some Shooter", "Epic Games", -1}};
                             a.detectionDone.store(true);
                             a.setMyGame(gameIndexById("apex"), true);
                         }});
    for (const GameCase& g : kGameCases)
        cases.push_back({std::string("Mouse page, ") + g.name, [g](App& a) {
                             setCalibratedYaw("reforger", g.yaw);
                             a.game = gameIndexById(g.game);
                             if (g.reforgerFile) useReforgerFile(a);
                             a.screen = ScreenSetup;
                             a.setupStep = 1;
                         }});
    return cases;
}

// Every screen at the smallest window, the default window and full screen.
TEST(SmallestWindow, EveryScreenFitsFromTheSmallestWindowUp) {
    const float sizes[][2] = {{kMinW, kMinH}, {1280, 720}, {1600, 900}, {1920, 1080}};
    for (const auto& size : sizes) {
        for (const ScreenCase& c : everyScreen()) {
            SCOPED_TRACE(testing::Message() << c.name << " at " << size[0] << "x" << size[1]);
            Screen f(size[0], size[1]);
            c.open(f.app);
            f.show();
            expectFits();
        }
    }
}

// The header's pieces side by side, none over another; the whole home screen in view.
TEST(SmallestWindow, HomeHeaderAndTilesInView) {
    Screen f(kMinW, kMinH);
    f.show();
    std::vector<std::pair<std::string, ImRect>> header;
    for (const char* text : {"TAR", "VION"}) {
        const ProbeText* t = probeFindText(text);
        ASSERT_NE(t, nullptr) << text;
        header.push_back({text, ImRect(t->min, t->max)});
    }
    for (const char* label : {"Settings", "Quit", "Armory"}) {
        const ProbeItem* item = probeFindItem(label);
        ASSERT_NE(item, nullptr) << label;
        header.push_back({label, ImRect(item->min, item->max)});
    }
    for (size_t i = 0; i < header.size(); ++i)
        for (size_t j = i + 1; j < header.size(); ++j)
            EXPECT_FALSE(header[i].second.Overlaps(header[j].second)) << header[i].first << " / " << header[j].first;
    const ProbeItem* first = probeFindItem("Sens Check");
    const ProbeItem* last = probeFindItem("Tools");
    ASSERT_TRUE(first && last);
    EXPECT_FLOAT_EQ(first->min.y, last->min.y);  // one row of six tiles
    ASSERT_NE(screenWindow(), nullptr);
    EXPECT_EQ(screenWindow()->ScrollMax.y, 0);
}

// The player's window grows to the smallest size the screens fit in, scaled with the UI,
// but never past what the work area holds; it is centred again where it grew.
TEST(SmallestWindow, ClientSizeAndRectangle) {
    struct Row {
        plat::Rect work;
        float scale;
        int32_t frame[4];  // left, top, right, bottom
        int32_t minW, minH;
    };
    const Row rows[] = {
        {{0, 0, 1920, 1040}, 1, {8, 31, 8, 8}, 1168, 720},
        {{0, 0, 1920, 1040}, 1.25f, {8, 31, 8, 8}, 1460, 900},
        {{0, 0, 1920, 1040}, 2, {8, 31, 8, 8}, 1904, 1001},  // as much as the work area holds
        {{0, 0, 1366, 728}, 1, {8, 31, 8, 8}, 1168, 689},
        {{0, 0, 1024, 600}, 1, {0, 0, 0, 0}, 1024, 600},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.work.w << "x" << r.work.h << " scale " << r.scale);
        int32_t w = 0, h = 0;
        minimumClientSize(r.work, r.scale, r.frame[0], r.frame[1], r.frame[2], r.frame[3], &w, &h);
        EXPECT_EQ(w, r.minW);
        EXPECT_EQ(h, r.minH);
    }
    // An 800 x 500 window asked for grows about the centre of the work area.
    const plat::Rect work{0, 0, 1920, 1040};
    const int32_t asked[2] = {800, 500};
    const plat::Rect small = windowedClientRect(work, asked, 8, 31, 8, 8);
    const plat::Rect grown = grownClientRect(small, work, 1168, 720, 8, 31, 8, 8);
    EXPECT_EQ(grown.w, 1168);
    EXPECT_EQ(grown.h, 720);
    EXPECT_EQ(grown.x, (1920 - 1184) / 2 + 8);
    EXPECT_EQ(grown.y, (1040 - 759) / 2 + 31);
    // Big enough already: left as it is.
    const int32_t big[2] = {1600, 900};
    const plat::Rect wide = windowedClientRect(work, big, 8, 31, 8, 8);
    const plat::Rect same = grownClientRect(wide, work, 1168, 720, 8, 31, 8, 8);
    EXPECT_EQ(same.x, wide.x);
    EXPECT_EQ(same.y, wide.y);
    EXPECT_EQ(same.w, 1600);
    EXPECT_EQ(same.h, 900);
}

// ---- Scroll positions -------------------------------------------------------

// Scrolled down, left (by Escape or a button) and opened again: at the top, heading in view.
TEST(ScrollPosition, ScreensOpenAtTheirTop) {
    const struct {
        const char* name;
        int32_t screen;
        const char* heading;
    } cases[] = {
        {"settings", ScreenSettings, "Settings"},
        {"results", ScreenResults, "Your results"},
        {"converter", ScreenConverter, "Sensitivity converter"},
        {"home", ScreenHome, "TAR"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Screen f(1280, 600);
        fillResult(f.app);
        f.app.showTutorialDone = true;  // a home screen taller than the window
        f.app.screen = c.screen;
        f.show();
        scrollDown(f.ui, ImVec2(640, 300));
        ASSERT_NE(screenWindow(), nullptr);
        ASSERT_GT(screenWindow()->Scroll.y, 0);
        onKey(f.app, plat::KeyEscape);
        if (c.screen == ScreenHome) f.app.screen = ScreenTools;
        f.show();
        f.app.screen = c.screen;
        f.ui.frame();
        ASSERT_NE(screenWindow(), nullptr);
        EXPECT_EQ(screenWindow()->Scroll.y, 0);
        const ProbeText* heading = probeFindText(c.heading);
        ASSERT_NE(heading, nullptr);
        EXPECT_GE(heading->min.y, 0);
    }
}

// Each wizard page opens at its top: after NEXT, Back, and when the wizard opens again.
TEST(ScrollPosition, WizardPagesOpenAtTheirTop) {
    Screen f(1280, 600);
    f.app.detectionDone.store(true);
    f.app.screen = ScreenSetup;
    f.app.setupStep = 0;
    f.show();
    const auto bodyScroll = [] {
        const ImGuiWindow* body = activeWindowNamed("/setupBody_");
        return body ? body->Scroll.y : -1.0f;
    };
    scrollDown(f.ui, ImVec2(640, 400));
    ASSERT_GT(bodyScroll(), 0);
    ASSERT_TRUE(f.ui.click("NEXT"));
    f.ui.frame();
    EXPECT_EQ(f.app.setupStep, 1);
    EXPECT_EQ(bodyScroll(), 0);
    ASSERT_TRUE(f.ui.click("Back"));
    f.ui.frame();
    EXPECT_EQ(bodyScroll(), 0);
    scrollDown(f.ui, ImVec2(640, 400));
    ASSERT_GT(bodyScroll(), 0);
    onKey(f.app, plat::KeyEscape);  // page 0: back to the menu
    f.show();
    EXPECT_EQ(f.app.screen, ScreenHome);
    f.app.screen = ScreenSetup;
    f.show();
    EXPECT_EQ(bodyScroll(), 0);
}

// The Armory's list opens at its top, with the Armory and with each tab.
TEST(ScrollPosition, ArmoryListOpensAtItsTop) {
    Screen f(1280, 720);
    f.app.screen = ScreenArmory;
    f.app.armoryTab = 1;
    f.show();
    const auto listScroll = [] {
        const ImGuiWindow* list = activeWindowNamed("/##items_");
        return list ? list->Scroll.y : -1.0f;
    };
    scrollDown(f.ui, ImVec2(200, 450));
    ASSERT_GT(listScroll(), 0);
    ASSERT_TRUE(f.ui.click("Back"));
    f.show();
    f.app.screen = ScreenArmory;
    f.show();
    EXPECT_EQ(listScroll(), 0);
    scrollDown(f.ui, ImVec2(200, 450));
    ASSERT_GT(listScroll(), 0);
    ASSERT_TRUE(f.ui.click("Maps"));
    ASSERT_TRUE(f.ui.click("Skins"));
    EXPECT_EQ(listScroll(), 0);
}

// ---- The wizard's own height ------------------------------------------------

// The wizard fills the screen exactly: no scrollbar for the whole screen, on any page.
TEST(SetupWizard, NoScrollbarOfTheWholeScreen) {
    const float sizes[][2] = {{1920, 1080}, {1600, 900}, {1280, 720}, {kMinW, kMinH}, {1000, 600}};
    for (const auto& size : sizes) {
        for (int32_t page = 0; page < 4; ++page) {
            SCOPED_TRACE(testing::Message() << size[0] << "x" << size[1] << " page " << page);
            Screen f(size[0], size[1]);
            f.app.screen = ScreenSetup;
            f.app.setupStep = page;
            f.show();
            const ImGuiWindow* screen = screenWindow();
            ASSERT_NE(screen, nullptr);
            EXPECT_EQ(screen->ScrollMax.y, 0);
            EXPECT_FALSE(screen->ScrollbarY);
            // The footer is inside the window.
            const ProbeItem* back = probeFindItem(page == 0 ? "Back to menu" : "Back");
            ASSERT_NE(back, nullptr);
            EXPECT_LE(back->max.y, size[1]);
        }
    }
}

// ---- The small ones ---------------------------------------------------------

// A card's buttons stand on one line: "Later" as high as the primary button beside it.
TEST(ActionCard, ButtonsShareOneTop) {
    Screen f(1600, 900);
    f.app.showTutorialDone = true;
    f.app.detectedGames = {{"Counter-Strike 2", "Steam", gameIndexById("cs2")}};
    f.app.detectionDone.store(true);
    f.show();
    for (const std::vector<const char*>& row :
         {std::vector<const char*>{"START THE TEST", "Later"}, std::vector<const char*>{"USE THEM", "Choose", "Not now"}}) {
        const ProbeItem* first = probeFindItem(row[0]);
        ASSERT_NE(first, nullptr) << row[0];
        for (const char* label : row) {
            const ProbeItem* item = probeFindItem(label);
            ASSERT_NE(item, nullptr) << label;
            EXPECT_FLOAT_EQ(item->min.y, first->min.y) << label;
            EXPECT_FLOAT_EQ(item->max.y, first->max.y) << label;
        }
    }
}

// The FOV slider's value is never under its grab, wherever the grab is.
TEST(SetupWizard, FovValueClearOfTheGrab) {
    for (double fov : {70.0, 85.0, 99.0, 100.0, 103.0, 115.0, 130.0}) {
        SCOPED_TRACE(fov);
        Screen f(1600, 900);
        f.app.fov = fov;
        f.app.screen = ScreenSetup;
        f.app.setupStep = 2;
        f.show();
        const ProbeItem* slider = probeFindItem("##fov");
        ASSERT_NE(slider, nullptr);
        const std::string shown = formatString("%.1f", fov) + "\xC2\xB0";
        const ProbeText* value = probeFindText(shown);
        ASSERT_NE(value, nullptr) << shown;
        // The library's grab: GrabMinSize wide, travelling between 2-pixel pads.
        const ImGuiStyle& st = ImGui::GetStyle();
        const float grab = st.GrabMinSize, pad = 2;
        const float t = static_cast<float>((fov - 70) / 60);
        const float left = slider->min.x + pad + t * (slider->max.x - slider->min.x - 2 * pad - grab);
        EXPECT_TRUE(value->max.x <= left || value->min.x >= left + grab)
            << "value " << value->min.x << ".." << value->max.x << ", grab " << left << ".." << left + grab;
        EXPECT_GE(value->min.x, slider->min.x);
        EXPECT_LE(value->max.x, slider->max.x);
    }
}

}  // namespace
