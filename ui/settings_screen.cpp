// The settings screen: crosshair, hit sound, display and sound, targets, orb speed, the
// update check, the About card and a reset of the look-and-sound settings.
#include <cstddef>
#include <string>

#include "audio/output.h"
#include "core/catalog/format.h"
#include "core/catalog/sound.h"
#include "core/profile/app.h"
#include "core/profile/settings.h"
#include "platform/system/shell_open.h"
#include "ui/kit.h"
#include "ui/probe.h"
#include "ui/screens.h"
#include "updater/updater.h"

namespace {

// A slider that also clamps a value typed in with Ctrl+click.
bool slider(const char* label, float* value, float lo, float hi, const char* format) {
    ImGui::SetNextItemWidth(220 * s);
    return ImGui::SliderFloat(label, value, lo, hi, format, ImGuiSliderFlags_AlwaysClamp);
}

bool colourEdit(const char* label, Rgb& colour) {
    return ImGui::ColorEdit3(label, colour.data(), ImGuiColorEditFlags_NoInputs);
}

// This version of the library does not report combos to the probe; the frame is what
// takes the click.
void probeCombo(const char* label, ImVec2 at, float width) {
    probeButton(label, at, ImVec2(at.x + width, at.y + ImGui::GetFrameHeight()));
}

// The hitSound choices in setting order.
constexpr const char* kHitSoundLabels[4] = {"Pop", "Ding", "Click", "Classic"};

struct FpsChoice {
    const char* label;
    int32_t value;
};
constexpr FpsChoice kFpsCaps[6] = {{"144", 144}, {"240", 240}, {"360", 360}, {"500", 500}, {"1000", 1000}, {"Unlimited", 0}};

void drawCrosshairCard(App& app, float width) {
    beginCard("xh", ImVec2(width, 0), colCard);
    cardTitle("Crosshair");
    static const char* kStyles[4] = {"Cross + dot", "Cross", "Dot", "Circle"};
    const ImVec2 comboAt = ImGui::GetCursorScreenPos();
    ImGui::SetNextItemWidth(220 * s);
    ImGui::Combo("Style", &app.xhStyle, kStyles, 4);
    probeCombo("Style", comboAt, 220 * s);
    slider("Length", &app.xhSize, 1, 30, "%.0f px");
    slider("Thickness", &app.xhThick, 1, 8, "%.0f px");
    slider("Gap", &app.xhGap, 0, 20, "%.0f px");
    colourEdit("Color", app.xhColor);
    styledCheckbox("Black outline", app.xhOutline);
    const ImVec2 size(160 * s, 90 * s);
    const ImVec2 min = ImGui::GetCursorScreenPos();
    const ImVec2 max(min.x + size.x, min.y + size.y);
    ImDrawList* dl = ImGui::GetWindowDrawList();
    dl->AddRectFilled(min, max, IM_COL32(52, 56, 66, 255), 8 * s);
    drawCrosshair(app, dl, ImVec2((min.x + max.x) * 0.5f, (min.y + max.y) * 0.5f));
    ImGui::Dummy(size);
    endCard();
}

void drawHitSoundCard(App& app, float width) {
    beginCard("sound", ImVec2(width, 0), colCard);
    cardTitle("Hit sound");
    for (int32_t i = 0; i < 4; ++i) {
        if (i > 0) ImGui::SameLine(0, 16 * s);
        if (styledRadioButton(kHitSoundLabels[i], app.hitSound == i)) {
            app.hitSound = i;
            playSound(hitSoundOf(i), 0.9f);
        }
    }
    const float top = ImGui::GetCursorPosY();
    if (plainButton("Play it", ImVec2(120 * s, 36 * s))) playSound(hitSoundOf(app.hitSound), 0.9f);
    ImGui::SameLine(0, 12 * s);
    ImGui::SetCursorPosY(top + 8 * s);
    dimText("%s", "Plays every time you hit a target.");
    endCard();
}

// The button shows only when the build named a payment service and its page.
bool donationConfigured(const App& app) { return !app.donateService.empty() && !app.donateUrl.empty(); }

std::string donateLabel(const App& app) {
    std::string label = "Support on " + app.donateService;
    if (!app.donateHandle.empty()) label += "  (" + app.donateHandle + ")";
    return label;
}

void tellDonationOutcome(App& app, plat::OpenResult outcome) {
    switch (outcome) {
        case plat::OpenResult::Pending: break;
        case plat::OpenResult::Opened: app.donateNotice.clear(); break;
        case plat::OpenResult::NoOpener:
            app.donateNotice = "Couldn't find a program that opens web pages. Open this address in your browser: " +
                               app.donateUrl;
            break;
        case plat::OpenResult::Failed:
            app.donateNotice = "Couldn't open your browser. Open this address in it: " + app.donateUrl;
            break;
    }
}

void openDonationPage(App& app) { tellDonationOutcome(app, plat::openExternal(app.donateUrl, &app.donateOpener)); }

// A browser opener that fails after it started is told on a later frame.
void pollDonationOpener(App& app) { tellDonationOutcome(app, plat::takeOpenerOutcome(app.donateOpener)); }

void drawAboutCard(App& app, float width) {
    beginCard("about", ImVec2(width, 0), colInviteCard);
    smallLabel("ABOUT");
    drawWordmark(fontTitle());
    ImGui::PushFont(fontSemibold());
    dimText("%s", "Created by");
    ImGui::SameLine(0, 6 * s);
    coloredText(colText, "%s", "Orrin Vale");
    ImGui::PopFont();
    ImGui::PushTextWrapPos(0.0f);
    dimText("Version %s  \xC2\xB7  works offline  \xC2\xB7  raw mouse input", updater::kVersion);
    dimText("%s", "Gun models: Tarvion  \xC2\xB7  UI: Dear ImGui (MIT)");
    if (donationConfigured(app)) dimText("%s", "Tarvion is free. If it helped your aim, you can chip in:");
    ImGui::PopTextWrapPos();
    if (donationConfigured(app)) {
        const std::string label = donateLabel(app) + "##donate";
        if (plainButton(label.c_str(), ImVec2(0, 36 * s))) openDonationPage(app);
        pollDonationOpener(app);
        if (!app.donateNotice.empty()) wrappedDim(app.donateNotice.c_str());
    }
    endCard();
}

void drawFpsCapCombo(App& app) {
    const FpsChoice* shown = &kFpsCaps[4];  // an unknown cap reads as 1000
    for (const FpsChoice& c : kFpsCaps)
        if (c.value == app.fpsCap) shown = &c;
    const ImVec2 comboAt = ImGui::GetCursorScreenPos();
    ImGui::SetNextItemWidth(220 * s);
    const bool open = ImGui::BeginCombo("FPS cap", shown->label);
    probeCombo("FPS cap", comboAt, 220 * s);
    if (open) {
        for (const FpsChoice& c : kFpsCaps) {
            const bool selected = &c == shown;
            if (ImGui::Selectable(c.label, selected)) app.fpsCap = c.value;
            if (selected) ImGui::SetItemDefaultFocus();
        }
        ImGui::EndCombo();
    }
    probeText(shown->label);
}

void drawDisplayCard(App& app, float width) {
    beginCard("disp", ImVec2(width, 0), colCard);
    cardTitle("Display & sound");
    styledCheckbox("Fullscreen (borderless)", app.fullscreen);
    styledCheckbox("VSync (adds input lag \xE2\x80\x94 keep it off)", app.vsync);
    styledCheckbox("Anti-aliasing (4x MSAA)", app.msaa);
    styledCheckbox("Show FPS in game", app.showFps);
    drawFpsCapCombo(app);
    if (slider("Volume", &app.volume, 0, 1, "%.2f")) setMasterVolume(app.volume);

    cardTitle("Targets");
    colourEdit("Flick targets", app.flickColor);
    colourEdit("Tracking target", app.trackColor);
    smallLabel("TRACKING ORB SPEED");
    static const char* kSpeeds[3] = {"Slow", "Normal", "Fast"};
    for (int32_t i = 0; i < 3; ++i) {
        if (i > 0) ImGui::SameLine(0, 16 * s);
        if (styledRadioButton(kSpeeds[i], app.trackSpeed == i)) app.trackSpeed = i;
    }
    wrappedDim("Normal suits most players. Keep the same speed between tests so your results compare.");
    wrappedDim(formatString("Running at %.0f FPS. Mouse input is read raw (no Windows acceleration).", app.fps).c_str());

    cardTitle("App");
    styledCheckbox("Check for updates when Tarvion starts", app.checkUpdates);
    if (plainButton("Show the tutorial again", ImVec2(260 * s, 38 * s))) {
        app.tourVisible = true;
        app.tourPage = 0;
        app.saveSettings();
        app.screen = ScreenHome;
    }
    endCard();
}

// The look-and-sound settings only; the hit sound, the game, the mouse and the progress stay.
void resetToDefaults(App& app) {
    app.resetLookAndSound();
    setMasterVolume(app.volume);
    app.saveSettings();
}

}  // namespace

void drawSettingsScreen(App& app) {
    sectionHeading("Settings", nullptr);
    const float column = (contentWidth - 18 * s) / 2;

    ImGui::BeginGroup();
    drawCrosshairCard(app, column);
    verticalGap(4 * s);
    drawHitSoundCard(app, column);
    verticalGap(4 * s);
    drawAboutCard(app, column);
    ImGui::EndGroup();

    ImGui::SameLine(0, 18 * s);
    ImGui::BeginGroup();
    const int32_t screenBefore = app.screen;
    drawDisplayCard(app, column);
    ImGui::EndGroup();
    if (app.screen != screenBefore) return;

    verticalGap(8 * s);
    if (plainButton("Back", ImVec2(140 * s, 46 * s))) {
        app.saveSettings();
        app.screen = ScreenHome;
        return;
    }
    ImGui::SameLine();
    if (plainButton("Reset to defaults", ImVec2(200 * s, 46 * s))) resetToDefaults(app);
}
