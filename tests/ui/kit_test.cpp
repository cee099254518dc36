#include <gtest/gtest.h>

#include <string>

#include "tests/ui/ui_harness.h"
#include "ui/kit.h"
#include "ui/probe.h"
#include "ui/screens.h"

namespace {

TEST(UiKit, FormattedTextIsCutAt1023Characters) {
    App app;
    UiHarness ui(app);
    std::string longText(3000, 'x');
    ui.frameOf([&] {
        ImGui::Begin("t");
        dimText("%s", longText.c_str());
        coloredText(colGood, "%s", longText.c_str());
        bulletText("%s", longText.c_str());
        ImGui::End();
    });
    ASSERT_EQ(probeTexts().size(), 3u);
    for (const std::string& t : probeTexts()) EXPECT_EQ(t.size(), 1023u);
}

TEST(UiKit, ActionCardReportsThePressedButton) {
    App app;
    UiHarness ui(app);
    int result = -2;
    auto body = [&] {
        ImGui::SetNextWindowSize(ImVec2(1200, 600));
        ImGui::Begin("t");
        contentWidth = 1000;
        int r = actionCard("##a", colCard, colText, "Title", "Sub", {"GO", "Later"});
        if (r != -1) result = r;
        ImGui::End();
    };
    ui.frameOf(body);
    EXPECT_EQ(result, -2);
    ASSERT_TRUE(ui.clickIn("Later", body));
    EXPECT_EQ(result, 1);
    ASSERT_TRUE(ui.clickIn("GO", body));
    EXPECT_EQ(result, 0);
}

TEST(UiKit, KitWidgetsPlayTheClick) {
    App app;
    UiHarness ui(app);
    bool box = false;
    int presses = 0;
    auto body = [&] {
        ImGui::SetNextWindowSize(ImVec2(800, 600));
        ImGui::Begin("t");
        if (styledCheckbox("Box", box)) ++presses;
        if (textTile("##tile1", "Tile", "", false, ImVec2(200, 80))) ++presses;
        if (primaryButton("Primary")) ++presses;
        ImGui::End();
    };
    ui.frameOf(body);
    for (const char* label : {"Box", "Tile", "Primary"}) ASSERT_TRUE(ui.clickIn(label, body)) << label;
    EXPECT_TRUE(box);
    EXPECT_EQ(presses, 3);
}

TEST(RootFrame, ShareRequestWithoutResultIsDropped) {
    App app;
    UiHarness ui(app);
    app.screen = ScreenRound;
    app.shareRequested = true;
    ui.frame();
    EXPECT_TRUE(app.shareRequested);  // not drawn nor cleared on the round screen
    app.screen = ScreenHome;
    ui.frame();
    EXPECT_FALSE(app.shareRequested);
}

TEST(RootFrame, UnknownScreenStillDraws) {
    App app;
    UiHarness ui(app);
    app.screen = 42;
    ui.frame();
    EXPECT_NEAR(contentWidth, 1240, 1e-3);
}

TEST(UiFonts, EveryFaceLoadsWithTheSymbolsItNeeds) {
    App app;
    UiHarness ui(app);
    for (void* handle : {app.fontBody, app.fontSmall, app.fontSemibold, app.fontTitle, app.fontHero}) {
        ImFont* font = static_cast<ImFont*>(handle);
        ASSERT_NE(font, nullptr);
        for (ImWchar c : {ImWchar(0x2192), ImWchar(0x2190), ImWchar(0x2248), ImWchar(0x2264), ImWchar(0x2265),
                          ImWchar(0x00B7), ImWchar(0x2014), ImWchar(0x2026), ImWchar('%')})
            EXPECT_NE(font->FindGlyphNoFallback(c), nullptr) << std::hex << c;
    }
}

}  // namespace
