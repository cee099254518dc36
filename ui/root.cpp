#include <algorithm>
#include <cmath>

#include "core/profile/app.h"
#include "ui/kit.h"
#include "ui/screens.h"

namespace {

void drawRootFrame(App& app, float W, float H) {
    ImGui::GetBackgroundDrawList()->AddRectFilledMultiColor(ImVec2(0, 0), ImVec2(W, H), IM_COL32(5, 8, 12, 120),
                                                            IM_COL32(5, 8, 12, 120), IM_COL32(5, 8, 12, 200),
                                                            IM_COL32(5, 8, 12, 200));
    contentWidth = std::min(W - 64 * s, 1240 * s);

    ImGui::SetNextWindowPos(ImVec2(0, 0), ImGuiCond_Always, ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(W, H), ImGuiCond_Always);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
    ImGui::Begin("##root", nullptr,
                 ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoBackground |
                     ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBringToFrontOnFocus);
    ImGui::PopStyleVar();
    ImGui::SetCursorPos(ImVec2(0, 0));
    // Flattened so that keyboard navigation reaches the widgets of the screen and its cards;
    // one child per screen, so the focus of a screen left behind does not carry over.
    ImGui::PushID(app.screen);
    // A screen opens at its top, not where it was scrolled to when it was left.
    if (app.screenOpened) ImGui::SetNextWindowScroll(ImVec2(0, 0));
    ImGui::BeginChild("##screen", ImVec2(W, H), 0, ImGuiWindowFlags_NoBackground | ImGuiWindowFlags_NavFlattened);
    ImGui::SetCursorPos(ImVec2((W - contentWidth) * 0.5f, 28 * s));
    ImGui::BeginGroup();
    // A new screen takes the keyboard focus, so Tab starts on its first widget instead of
    // staying with a widget that is gone.
    if (app.screenOpened && ImGui::GetIO().NavVisible) ImGui::SetKeyboardFocusHere();
    switch (app.screen) {
        case ScreenHome: drawHomeScreen(app); break;
        case ScreenSetup:
            // As tall as the screen leaves between its top margin and the bottom margin with
            // the spacing before it: one pixel more, and the screen would scroll.
            ImGui::BeginChild("##setupWrap",
                              ImVec2(contentWidth, H - (28 + 24) * s - ImGui::GetStyle().ItemSpacing.y), 0,
                              ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse |
                                  ImGuiWindowFlags_NoBackground | ImGuiWindowFlags_NavFlattened);
            drawSetupWizard(app);
            ImGui::EndChild();
            break;
        case ScreenResults: drawResultsScreen(app); break;
        case ScreenDpi: drawMeasureDpiScreen(app); break;
        case ScreenConverter: drawConverterScreen(app); break;
        case ScreenHistory: drawHistoryScreen(app); break;
        case ScreenSettings: drawSettingsScreen(app); break;
        case ScreenCalibrate: drawCalibrateScreen(app); break;
        case ScreenTools: drawToolsScreen(app); break;
        case ScreenScopeResult: drawScopeResultScreen(app); break;
        default: break;
    }
    ImGui::EndGroup();
    ImGui::Dummy(ImVec2(0, 24 * s));
    ImGui::EndChild();
    ImGui::PopID();
    ImGui::End();
}

}  // namespace

void drawUi(App& app) {
    s = app.uiScale;
    useFonts(app);
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const float W = display.x, H = display.y;

    if (app.bannerMode) {
        drawBanner(app);
        return;
    }
    app.screenOpened = app.screen != app.lastScreen;
    app.lastScreen = app.screen;
    if (app.screen == ScreenRound) {
        drawRoundHud(app);
        if (app.roundPhase == RoundBetween) drawRoundSummary(app);
        else if (app.roundPhase == RoundPaused) drawPauseOverlay(app);
        drawLevelUpToast(app);
        return;
    }
    if (app.screen == ScreenArmory) {
        drawArmory(app);
        drawLevelUpToast(app);
        return;
    }
    drawRootFrame(app, W, H);
    // The value after the screen ran: leaving home this frame hides the tour at once.
    if (app.screen == ScreenHome && app.tourVisible) drawQuickTour(app);
    drawLevelUpToast(app);
    if (app.shareRequested && app.hasResult) drawShareCard(app);
    else app.shareRequested = false;
}

void drawBanner(App& app) {
    (void)app;
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const float W = display.x, H = display.y;
    ImDrawList* dl = ImGui::GetForegroundDrawList();
    dl->AddRectFilledMultiColor(ImVec2(0, 0), ImVec2(0.62f * W, H), IM_COL32(6, 4, 14, 215), IM_COL32(6, 4, 14, 0),
                                IM_COL32(6, 4, 14, 0), IM_COL32(6, 4, 14, 215));
    const float logo = 0.24f * H;
    const float x0 = 0.06f * W, y0 = 0.5f * H - 0.95f * logo;
    ImFont* hero = fontHero();
    for (int j = 0; j < 8; ++j) {
        const float theta = 0.785f * static_cast<float>(j);
        const float r = j % 2 == 0 ? 3.0f : 4.0f;
        dl->AddText(hero, logo, ImVec2(x0 + 2 + r * std::cos(theta), y0 + 3 + r * std::sin(theta)),
                    IM_COL32(0, 0, 0, 28), "TARVION");
    }
    drawListWordmark(dl, hero, logo, ImVec2(x0, y0));
    const float taglineTop = y0 + 1.08f * logo;
    drawListText(dl, fontSemibold(), 0.072f * H, ImVec2(x0, taglineTop), packColour(colText),
                 "Find the sens you actually aim best with.");
    drawListText(dl, fontBody(), 0.05f * H, ImVec2(x0, taglineTop + 0.1f * H),
                 withAlpha(colText, 0.75f),
                 "Blind flick + tracking tests  \xC2\xB7  every game  \xC2\xB7  free for Windows");
}
