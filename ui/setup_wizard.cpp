// The four-page setup wizard: game, mouse, aim style and length, then start.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string>

#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/catalog/sound.h"
#include "core/profile/app.h"
#include "engine/flow/starters.h"
#include "engine/kernel/round_config.h"
#include "imgui_internal.h"
#include "integration/calibration.h"
#include "ui/kit.h"
#include "ui/screens.h"

namespace {

void makeMainGame(App& app, int32_t index) {
    app.game = index;
    app.fov = 0;
    app.style = -1;
}

const char* lengthName(int32_t length) {
    return length == 0 ? "Quick" : length == 2 ? "Thorough" : "Standard";
}

void drawStepBar(App& app) {
    static const char* kLabels[4] = {"1  Game", "2  Mouse", "3  Style", "4  Start"};
    const float col = contentWidth / 4;
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    ImDrawList* dl = ImGui::GetWindowDrawList();
    ImFont* f = fontSemibold();
    for (int i = 0; i < 4; ++i) {
        const float x = origin.x + col * static_cast<float>(i);
        drawListText(dl, f, f->FontSize, ImVec2(x, origin.y), packColour(i == app.setupStep ? colText : colTextDim),
                     kLabels[i]);
        const ImU32 bar = i < app.setupStep    ? withAlpha(colAccent, 0.5f)
                          : i == app.setupStep ? packColour(colAccent)
                                               : IM_COL32(255, 255, 255, 20);
        dl->AddRectFilled(ImVec2(x, origin.y + 34 * s), ImVec2(x + col - 8 * s, origin.y + 38 * s), bar, 2 * s);
    }
    ImGui::Dummy(ImVec2(contentWidth, 50 * s));
}

// Three tiles to a row in what the page has room for: a page taller than the window has a
// scrollbar, and the last tile of a row must not run under it.
float tileWidth() { return (ImGui::GetContentRegionAvail().x - 2 * 14 * s) / 3; }

// ---- Page 0: games ---------------------------------------------------------

const char* tileSubtitle(const GameInfo& g) {
    switch (g.kind) {
        case GameKindYaw:
            return g.defaultStyle == 0 ? "Tactical aim" : g.defaultStyle == 2 ? "Tracking-heavy aim" : "Balanced aim";
        case GameKindCalibrated:
            return g.yaw > 0 ? "Calibrated on this PC" : "Needs a 1-minute in-game calibration";
        case GameKindUserYaw: return "Any other game (enter or measure its yaw)";
        default: return "Just give me cm/360";
    }
}

void drawDetected(App& app) {
    if (!app.detectionDone.load(std::memory_order_acquire)) {
        dimText("%s", "Scanning this PC for installed games...");
        return;
    }
    std::vector<const DetectedGame*> known, other;
    for (const DetectedGame& d : app.detectedGames) (d.gameIndex >= 0 ? known : other).push_back(&d);
    if (!known.empty()) {
        ImGui::PushTextWrapPos(0.0f);
        dimText("%s", "Found on this PC. Tick the games you want results for, and pick your MAIN game \xE2\x80\x94 the one "
                      "you'll type your current sens for.");
        ImGui::PopTextWrapPos();
        beginCard("detectedCard", ImVec2(ImGui::GetContentRegionAvail().x, 0), colCard);
        if (ImGui::BeginTable("##det", 3)) {
            ImGui::TableSetupColumn("Show", ImGuiTableColumnFlags_WidthFixed, 70 * s);
            ImGui::TableSetupColumn("Game", ImGuiTableColumnFlags_WidthStretch);
            ImGui::TableSetupColumn("", ImGuiTableColumnFlags_WidthFixed, 160 * s);
            for (const DetectedGame* d : known) {
                const int32_t index = d->gameIndex;
                ImGui::PushID(index);
                ImGui::TableNextRow();
                ImGui::TableNextColumn();
                bool use = app.isMyGame(index);
                if (styledCheckbox("##use", use)) {
                    app.setMyGame(index, use);
                    if (!use && index == app.game) {
                        std::vector<int32_t> mine = app.myGameIndices();
                        if (!mine.empty()) makeMainGame(app, mine.front());
                    }
                }
                ImGui::TableNextColumn();
                ImGui::PushFont(fontSemibold());
                textLine(gameCatalog()[static_cast<size_t>(index)].name);
                ImGui::PopFont();
                ImGui::SameLine();
                dimText("%s", d->source.c_str());
                ImGui::TableNextColumn();
                if (styledRadioButton("Main game", index == app.game)) {
                    makeMainGame(app, index);
                    app.setMyGame(index, true);
                }
                ImGui::PopID();
            }
            ImGui::EndTable();
        }
        endCard();
    } else {
        dimText("%s", "We didn't find any supported games automatically \xE2\x80\x94 pick yours below.");
    }
    if (!other.empty()) {
        std::string names;
        for (const DetectedGame* d : other) {
            if (!names.empty()) names += ",  ";
            names += d->name;
        }
        ImGui::PushTextWrapPos(0.0f);
        coloredText(colWarn, "Also found (no built-in converter yet): %s", names.c_str());
        dimText("%s", "You'll get your result as cm/360 for these \xE2\x80\x94 set the same cm/360 in their settings or "
                      "use 'Other game' with the game's yaw.");
        ImGui::PopTextWrapPos();
    }
}

void drawGamePage(App& app) {
    cardTitle("Your games");
    drawDetected(app);
    ImGui::Dummy(ImVec2(0, 10 * s));
    cardTitle("All supported games");
    ImGui::PushTextWrapPos(0.0f);
    dimText("%s", "Click one to make it your main game. Every result also lists the matching sens for all of these.");
    ImGui::PopTextWrapPos();
    const auto& games = gameCatalog();
    const float w = tileWidth();
    for (size_t i = 0; i < games.size(); ++i) {
        if (i % 3 != 0) ImGui::SameLine(0, 14 * s);
        const GameInfo& g = games[i];
        const int32_t index = static_cast<int32_t>(i);
        if (textTile(g.id, g.name, tileSubtitle(g), index == app.game, ImVec2(w, 84 * s)) && index != app.game) {
            makeMainGame(app, index);
            if (g.kind == GameKindYaw || g.kind == GameKindCalibrated) app.setMyGame(index, true);
        }
    }
}

// ---- Page 1: mouse ---------------------------------------------------------

void drawDpiCard(App& app, float w, float h) {
    beginCard("dpiCard", ImVec2(w, h), colCard);
    cardTitle("Mouse DPI (CPI)");
    dimText("%s", "The DPI set in your mouse software.");
    int dpi = static_cast<int>(std::lround(app.dpi));
    ImGui::SetNextItemWidth(180 * s);
    if (ImGui::InputInt("##dpi", &dpi, 50, 400)) app.dpi = std::clamp(dpi, 50, 64000);
    static const int kPresets[5] = {400, 800, 1200, 1600, 3200};
    for (int i = 0; i < 5; ++i) {
        if (i > 0) ImGui::SameLine();
        const bool on = std::lround(app.dpi) == kPresets[i];
        if (on) ImGui::PushStyleColor(ImGuiCol_Button, ImVec4(0.07f, 0.45f, 0.50f, 1));
        if (plainButton(formatString("%d", kPresets[i]).c_str(), ImVec2(78 * s, 34 * s))) app.dpi = kPresets[i];
        if (on) ImGui::PopStyleColor();
    }
    if (plainButton("Measure my real DPI with a ruler", ImVec2(-1, 40 * s))) {
        app.dpiReturnScreen = ScreenSetup;
        app.screen = ScreenDpi;
    }
    endCard();
}

// Digits after the point that show a sensitivity as it is used: the field's own (2 for a
// game of 2 decimals, 3 for 3 or more, else 1), or more, up to 6, when the value is finer
// (read from a game's settings file, or typed so): 0.597 is never shown as 0.60.
int32_t shownSensDigits(double value, int32_t gameDecimals) {
    int32_t digits = gameDecimals == 2 ? 2 : gameDecimals >= 3 ? 3 : 1;
    while (digits < 6) {
        const double scale = std::pow(10.0, digits);
        if (std::fabs(std::round(value * scale) / scale - value) <= 1e-9 * std::max(1.0, std::fabs(value))) break;
        digits += 1;
    }
    return digits;
}

void drawSensField(App& app, const GameInfo& g) {
    const int32_t d = g.decimals < 0 ? 3 : g.decimals;
    const double step = d >= 2 ? std::pow(10.0, -(d - 1)) : 0.1;
    const std::string format = formatString("%%.%df", static_cast<int>(shownSensDigits(app.sens, d)));
    ImGui::BeginDisabled(app.sensUnknown);
    ImGui::SetNextItemWidth(180 * s);
    ImGui::InputDouble("##sens", &app.sens, step, 10 * step, format.c_str());
    if (app.sens <= 0) app.sens = 0.01;
    if (g.suffix && g.suffix[0]) {
        ImGui::SameLine();
        textLine(g.suffix);
    }
    ImGui::EndDisabled();
    styledCheckbox("I don't know it \xE2\x80\x94 start from the recommended default", app.sensUnknown);
}

// Grows to its content, never below `minHeight`; returns the height it took.
float drawSensCard(App& app, float w, float minHeight) {
    const GameInfo& g = app.currentGame();
    const int32_t index = app.game;
    ImGui::SetNextWindowSizeConstraints(ImVec2(w, minHeight), ImVec2(w, FLT_MAX));
    beginCard("sensCard", ImVec2(w, 0), colCard);
    const float height = ImGui::GetWindowHeight();
    ImGui::PushTextWrapPos(0.0f);
    if (g.kind == GameKindCm360) {
        cardTitle("Current cm/360");
        dimText("%s", "How far you move the mouse for a full 360 turn.");
        ImGui::SetNextItemWidth(180 * s);
        ImGui::InputDouble("##cm", &app.cmDirect, 1, 5, "%.1f");
        app.cmDirect = clampCm360(app.cmDirect);
    } else {
        cardTitle(formatString("Current %s sensitivity", g.kind == GameKindUserYaw ? "in-game" : g.name).c_str());
        if (g.kind == GameKindCalibrated) {
            if (g.yaw > 0) coloredText(colGood, "Calibrated on this PC (yaw %.6f).", g.yaw);
            else coloredText(colWarn, "%s needs a one-time 1-minute calibration so the numbers are exact.", g.name);
            if (plainButton(g.yaw > 0 ? "Re-calibrate" : "Calibrate now", ImVec2(200 * s, 36 * s)))
                enterCalibrate(app, index, ScreenSetup);
            if (std::string(g.id) == "reforger" && app.reforger.found) {
                ImGui::SameLine();
                const double fileSens = app.reforger.mouseSensitivity;
                const std::string use = formatString("Use Reforger's %.*f",
                                                     static_cast<int>(shownSensDigits(fileSens, g.decimals)), fileSens);
                if (plainButton(use.c_str(), ImVec2(200 * s, 36 * s))) {
                    app.sens = fileSens;
                    app.sensUnknown = false;
                }
                if (app.reforgerFov > 0 && app.reforger.firstPersonFov > 0 &&
                    std::fabs(app.reforgerFov - app.reforger.firstPersonFov) > 0.5)
                    coloredText(colWarn, "FOV changed to %.0f since you calibrated (%.0f) \xE2\x80\x94 re-calibrate.",
                                app.reforger.firstPersonFov, app.reforgerFov);
            }
        } else if (g.kind == GameKindUserYaw) {
            dimText("%s", "Game yaw (degrees per count at sens 1.0)");
            if (plainButton("Measure it in-game instead", ImVec2(260 * s, 32 * s))) enterCalibrate(app, index, ScreenSetup);
            ImGui::SetNextItemWidth(180 * s);
            ImGui::InputDouble("##yaw", &app.customYaw, 0.001, 0.01, "%.5f");
            if (app.customYaw <= 0) app.customYaw = 0.022;
        }
        if (app.screen == ScreenSetup) drawSensField(app, g);
    }
    const double cm = app.currentCm360();
    ImGui::PushFont(fontTitle());
    coloredText(colAccent, "%.1f cm/360", cm);
    ImGui::PopFont();
    double edpi = 0;
    if (g.kind == GameKindYaw || g.kind == GameKindCalibrated) {
        // While the sensitivity is unknown, the shown cm/360 is the game's default: use the
        // sensitivity of that, not the hidden field.
        const double sens = app.sensUnknown ? sensFromCm360(app.gameYaw(), cm, app.dpi) : app.sens;
        edpi = app.dpi * sens;
    }
    dimText("A full turn takes %.1f cm of mouse movement (%s). eDPI %.0f.", cm, speedWord(cm), edpi);
    ImGui::PopTextWrapPos();
    endCard();
    return height;
}

void drawMousePage(App& app) {
    cardTitle("Your mouse and current sensitivity");
    ImGui::PushTextWrapPos(0.0f);
    dimText("%s", "Use the mouse, DPI and mousepad you actually play with. The test starts around your current sens and "
                  "searches both faster and slower.");
    ImGui::PopTextWrapPos();
    // Two halves of what the page has room for (a scrollbar takes its share).
    const float w = (ImGui::GetContentRegionAvail().x - 18 * s) / 2;
    // Both cards are as tall as the sensitivity card's content needs, and at least 262: a
    // game with more to set (a calibration, its yaw, Reforger's file) grows them rather than
    // cutting off the cm/360 under it. The DPI card follows a frame behind.
    ImGuiStorage* layout = ImGui::GetStateStorage();
    const ImGuiID heightKey = ImGui::GetID("mouseCardsHeight");
    const float height = std::max(262 * s, layout->GetFloat(heightKey, 0));
    drawDpiCard(app, w, height);
    ImGui::SameLine(0, 18 * s);
    layout->SetFloat(heightKey, drawSensCard(app, w, 262 * s));
}

// ---- Page 2: style, length, FOV --------------------------------------------

// The FOV slider, its value drawn at the end of the frame away from the grab: centred, as
// the library draws it, the value sat under the grab at mid-range and its "°" vanished on
// the accent.
bool fovSlider(float& fov) {
    constexpr float kLow = 70.0f, kHigh = 130.0f;
    const ImGuiID id = ImGui::GetID("##fov");
    // Typing a value (Ctrl+click) shows the library's own text field.
    const bool typing = ImGui::TempInputIsActive(id);
    ImGui::SetNextItemWidth(420 * s);
    if (!typing) ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(0, 0, 0, 0));
    // A typed value is held to the slider's range too: settings.ini keeps no other.
    const bool changed =
        ImGui::SliderFloat("##fov", &fov, kLow, kHigh, "%.1f\xC2\xB0", ImGuiSliderFlags_AlwaysClamp);
    if (!typing) ImGui::PopStyleColor();
    if (typing) return changed;
    const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
    const std::string value = formatString("%.1f", fov) + "\xC2\xB0";
    ImFont* font = ImGui::GetFont();
    const ImVec2 size = textSize(font, ImGui::GetFontSize(), value.c_str());
    const float pad = ImGui::GetStyle().FramePadding.x;
    const bool grabOnRight = (fov - kLow) / (kHigh - kLow) > 0.5f;
    const float x = grabOnRight ? min.x + pad : max.x - pad - size.x;
    drawListText(ImGui::GetWindowDrawList(), font, ImGui::GetFontSize(), ImVec2(x, (min.y + max.y - size.y) * 0.5f),
                 packColour(colText), value.c_str());
    return changed;
}

void drawStylePage(App& app) {
    cardTitle("How do you aim most of the time?");
    dimText("%s", "This decides how much flicking vs tracking counts toward your score.");
    const float w = tileWidth();
    struct Choice {
        const char* title;
        const char* subtitle;
    };
    static const Choice kStyles[3] = {
        {"Tactical", "Flicks and precise taps (VALORANT, CS2, R6). Flicks count 65%."},
        {"Balanced", "A mix of both (Fortnite, CoD). 50 / 50."},
        {"Tracking-heavy", "Mostly tracking (Apex, Overwatch, Quake). Tracking counts 65%."},
    };
    const int32_t selected = app.style >= 0 ? app.style : app.currentGame().defaultStyle;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) ImGui::SameLine(0, 14 * s);
        if (textTile(formatString("style%d", i).c_str(), kStyles[i].title, kStyles[i].subtitle, selected == i,
                     ImVec2(w, 84 * s)))
            app.style = i;
    }
    ImGui::Dummy(ImVec2(0, 14 * s));
    cardTitle("Test length");
    dimText("%s", "Longer tests measure more rounds, which tightens the result.");
    static const char* kLengthSub[3] = {"8 rounds. Good for a re-check.", "10 rounds. Recommended.",
                                        "14 rounds. Most accurate."};
    for (int i = 0; i < 3; ++i) {
        if (i > 0) ImGui::SameLine(0, 14 * s);
        const std::string title = formatString("%s  ~%.0f min", lengthName(i), estimateMinutes(i));
        if (textTile(formatString("length%d", i).c_str(), title.c_str(), kLengthSub[i], app.length == i,
                     ImVec2(w, 84 * s)))
            app.length = i;
    }
    ImGui::Dummy(ImVec2(0, 14 * s));
    cardTitle("Field of view");
    ImGui::PushTextWrapPos(0.0f);
    dimText("%s", "Horizontal FOV at 16:9. Match your game so targets look the same size. This changes visuals only "
                  "\xE2\x80\x94 the sens math uses true 360 distance.");
    ImGui::PopTextWrapPos();
    float fov = static_cast<float>(app.horizontalFov());
    if (fovSlider(fov)) app.fov = fov;
    ImGui::SameLine();
    if (plainButton(formatString("Game default (%.1f)", app.currentGame().defaultFov).c_str())) app.fov = 0;
}

// ---- Page 3: start ---------------------------------------------------------

void drawStartPage(App& app) {
    const GameInfo& g = app.currentGame();
    const bool cmOnly = g.kind == GameKindCm360;
    const double cm = app.currentCm360();
    cardTitle("Ready");
    beginCard("readyCard", ImVec2(ImGui::GetContentRegionAvail().x, 0), colCard);
    if (ImGui::BeginTable("##ready", 3, ImGuiTableFlags_SizingStretchSame)) {
        ImGui::TableNextRow();
        ImGui::TableNextColumn();
        smallLabel("MAIN GAME");
        ImGui::PushFont(fontSemibold());
        textLine(cmOnly ? "Any game (cm/360)" : g.name);
        ImGui::PopFont();
        std::string others;
        for (int32_t index : app.myGameIndices()) {
            if (index == app.game) continue;
            if (!others.empty()) others += ", ";
            others += gameCatalog()[static_cast<size_t>(index)].name;
        }
        if (!others.empty()) {
            ImGui::PushTextWrapPos(0.0f);
            dimText("Also showing: %s", others.c_str());
            ImGui::PopTextWrapPos();
        }

        ImGui::TableNextColumn();
        smallLabel("STARTING POINT");
        ImGui::PushFont(fontSemibold());
        if (cmOnly)
            coloredText(colText, "%.1f cm/360", cm);
        else
            coloredText(colText, "%s at %.0f DPI", formatGameSens(g, app.gameYaw(), cm, app.dpi).c_str(), app.dpi);
        ImGui::PopFont();
        dimText("%.1f cm/360%s", cm, app.sensUnknown ? "  \xC2\xB7  recommended default" : "");

        ImGui::TableNextColumn();
        smallLabel("TEST");
        ImGui::PushFont(fontSemibold());
        coloredText(colText, "%s  \xC2\xB7  ~%.0f min", lengthName(app.length), estimateMinutes(app.length));
        ImGui::PopFont();
        const int32_t effective = app.style >= 0 ? app.style : g.defaultStyle;
        dimText("%s  \xC2\xB7  %s drill  \xC2\xB7  FOV %.0f\xC2\xB0", styleName(effective),
                drillStyleText(gameStyle(g, app.style)).name, app.horizontalFov());
        ImGui::EndTable();
    }
    endCard();
    cardTitle("How it works");
    ImGui::PushTextWrapPos(0.0f);
    for (const char* line : {
             "First a short warm-up at your current sensitivity.",
             "Then every round uses a HIDDEN sensitivity, in random order. Don't try to guess it \xE2\x80\x94 just play "
             "each round as well as you can.",
             "Each round: shoot the blue targets as fast as you can (the first few are a feel-out), then keep your "
             "crosshair on the strafing orange orb \xE2\x80\x94 it lights up while you're on it.",
             "After the first stage, the test narrows in around where you aimed best.",
             "At the end, run a Sens Check: a few more blind rounds that confirm your result or give you a small tweak.",
             "Sit how you normally play. ESC pauses (the round restarts). Alt-Tab also pauses.",
         })
        bulletText("%s", line);
    ImGui::PopTextWrapPos();
}

}  // namespace

void drawSetupWizard(App& app) {
    sectionHeading("Sensitivity Finder setup", nullptr);
    drawStepBar(app);
    // Each page opens at its top, as every screen does.
    ImGuiStorage* state = ImGui::GetStateStorage();
    const ImGuiID pageKey = ImGui::GetID("bodyPage");
    if (app.screenOpened || state->GetInt(pageKey, -1) != app.setupStep) ImGui::SetNextWindowScroll(ImVec2(0, 0));
    state->SetInt(pageKey, app.setupStep);
    ImGui::BeginChild("setupBody", ImVec2(contentWidth, ImGui::GetContentRegionAvail().y - 84 * s), 0,
                      ImGuiWindowFlags_NoBackground | ImGuiWindowFlags_NavFlattened);
    switch (app.setupStep) {
        case 0: drawGamePage(app); break;
        case 1: drawMousePage(app); break;
        case 2: drawStylePage(app); break;
        default: drawStartPage(app); break;
    }
    ImGui::EndChild();
    if (app.screen != ScreenSetup) return;  // a page button left the wizard
    ImGui::Dummy(ImVec2(0, 6 * s));
    if (plainButton(app.setupStep == 0 ? "Back to menu" : "Back", ImVec2(160 * s, 48 * s))) {
        if (app.setupStep == 0) {
            app.screen = ScreenHome;
            app.setupStep = 0;
        } else {
            app.setupStep -= 1;
        }
    }
    ImGui::SameLine(contentWidth - 260 * s);
    // One widget identity for NEXT and START TEST, so a keyboard focus on it stays put.
    if (app.setupStep < 3) {
        if (primaryButton("NEXT###wizardForward", ImVec2(260 * s, 48 * s))) app.setupStep += 1;
    } else if (primaryButton("START TEST###wizardForward", ImVec2(260 * s, 48 * s))) {
        app.saveSettings();
        startFinder(app);
    }
}
