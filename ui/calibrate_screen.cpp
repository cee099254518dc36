// The "Calibrate a game" screen: the player turns full turns in the game between two
// presses of F8 (or the Start/Stop button) and the tries give the game's yaw.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/catalog/sound.h"
#include "core/profile/app.h"
#include "integration/calibration.h"
#include "integration/reforger.h"
#include "ui/kit.h"
#include "ui/probe.h"
#include "ui/screens.h"

namespace {

bool calibratable(int32_t index) {
    const auto& games = gameCatalog();
    if (index < 0 || static_cast<size_t>(index) >= games.size()) return false;
    const int32_t kind = games[static_cast<size_t>(index)].kind;
    return kind == GameKindCalibrated || kind == GameKindUserYaw;
}

const char* shownName(const GameInfo& game) { return game.kind == GameKindUserYaw ? "Any other game" : game.name; }

void drawGameCombo(App& app) {
    const auto& games = gameCatalog();
    const char* preview = shownName(games[static_cast<size_t>(app.calGame)]);
    const ImVec2 at = ImGui::GetCursorScreenPos();
    const float width = ImGui::GetContentRegionAvail().x;
    ImGui::SetNextItemWidth(width);
    const bool open = ImGui::BeginCombo("##calgame", preview);
    // This version of the library does not report combos to the probe.
    probeButton("##calgame", at, ImVec2(at.x + width, at.y + ImGui::GetFrameHeight()));
    if (open) {
        for (size_t i = 0; i < games.size(); ++i) {
            const int32_t index = static_cast<int32_t>(i);
            if (!calibratable(index)) continue;
            ImGui::PushID(index);
            const bool selected = index == app.calGame;
            if (ImGui::Selectable(shownName(games[i]), selected) && !selected) {
                app.calGame = index;
                app.calTries.clear();
                // A turn under way was measured in the other game.
                app.calCounting = false;
            }
            if (selected) ImGui::SetItemDefaultFocus();
            ImGui::PopID();
        }
        ImGui::EndCombo();
    }
    probeText(preview);
}

void drawSetupCard(App& app, bool reforgerMode, float width) {
    beginCard("calSetup", ImVec2(width, 430 * s), colCard);
    smallLabel("GAME");
    drawGameCombo(app);

    smallLabel(reforgerMode ? "YOUR REFORGER 'MOUSE AIM SENSITIVITY' (Settings > Controls)"
                            : "YOUR SENSITIVITY IN THAT GAME");
    ImGui::PushFont(fontSemibold());
    ImGui::SetNextItemWidth(200 * s);
    ImGui::InputDouble("##calsens", &app.calSens, 0.01, 0.1, reforgerMode ? "%.2f" : "%.4f");
    ImGui::PopFont();
    if (reforgerMode) {
        ImGui::PushTextWrapPos(0.0f);
        if (app.reforger.found) {
            dimText("Reforger's settings say: sens %.2f, FOV %.0f", app.reforger.mouseSensitivity,
                    app.reforger.firstPersonFov);
            if (std::fabs(app.calSens - app.reforger.mouseSensitivity) > 0.004) {
                if (smallButton("Use that sens")) app.calSens = app.reforger.mouseSensitivity;
                ImGui::SameLine();
                if (smallButton("Re-read")) app.reforger = locateReforgerSettings();
            }
        } else {
            dimText("%s", "Couldn't read Reforger's settings file \xE2\x80\x94 type your sens.");
        }
        ImGui::PopTextWrapPos();
    }
    // A yaw needs a positive, finite sensitivity (the field takes 1e999 as infinity).
    if (!(app.calSens > 0) || !std::isfinite(app.calSens)) app.calSens = 0.01;

    smallLabel("FULL TURNS PER MEASUREMENT");
    for (int32_t turns = 1; turns <= 3; ++turns) {
        if (turns > 1) ImGui::SameLine();
        if (styledRadioButton(formatString("%d##turns", static_cast<int>(turns)).c_str(), app.calTurns == turns))
            app.calTurns = turns;
    }
    dimText("%s", "More turns = more accurate.");

    smallLabel("MOUSE DPI");
    textLine(formatString("%.0f", app.dpi).c_str());
    ImGui::PushTextWrapPos(0.0f);
    dimText("%s", "Use the same DPI you play with (change it in the finder setup).");
    ImGui::PopTextWrapPos();
    endCard();
}

void drawStepsCard(App& app, bool reforgerMode, float width) {
    beginCard("calSteps", ImVec2(width, 430 * s), colCard);
    cardTitle("How to measure");
    ImGui::PushTextWrapPos(0.0f);
    bulletText("%s", "Leave Tarvion open on this screen and Alt-Tab into the game.");
    bulletText("%s", "Stand still and put your crosshair exactly on a sharp vertical edge (a pole, door frame or corner).");
    bulletText("%s", "Press F8 (you'll hear a beep).");
    bulletText("Turn right, slowly and steadily, exactly %d full turn%s until the edge is under your crosshair again. "
               "Small back-and-forth corrections are fine.",
               static_cast<int>(app.calTurns), app.calTurns >= 2 ? "s" : "");
    bulletText("%s", "Press F8 again (double beep). Do it 3 times, then come back and press Save.");
    if (reforgerMode)
        coloredText(colWarn, "%s",
                    "Reforger: measure on foot and NOT aiming down sights, at the field of view you play with. Reforger "
                    "scales mouse speed with FOV, so re-calibrate if you change FOV. Turn slowly: Reforger caps turn "
                    "speed, and fast spins under-count.");
    ImGui::PopTextWrapPos();

    ImGui::PushFont(fontSemibold());
    ImGui::PushTextWrapPos(0.0f);
    if (app.calCounting) {
        // The magnitude through unsigned arithmetic, so the most negative count has one too.
        const uint64_t magnitude =
            app.calCounts < 0 ? 0 - static_cast<uint64_t>(app.calCounts) : static_cast<uint64_t>(app.calCounts);
        coloredText(colAccent, "COUNTING...   %llu counts", static_cast<unsigned long long>(magnitude));
    } else if (app.f8HotkeyOk) {
        dimText("%s", "Ready \xE2\x80\x94 press F8 in the game to start");
    } else {
        dimText("%s", "F8 is taken by another app \xE2\x80\x94 use the button below (windowed game)");
    }
    ImGui::PopTextWrapPos();
    ImGui::PopFont();
    // One identity for both labels, so the keyboard focus stays on the button.
    if (plainButton(app.calCounting ? "Stop (F8)###calToggle" : "Start (F8)###calToggle", ImVec2(180 * s, 42 * s)))
        onCalibrateHotkey(app);
    endCard();
}

void drawResultCard(App& app, const GameInfo& game) {
    beginCard("calResult", ImVec2(contentWidth, 0), colCard);
    cardTitle("Result");
    const bool hasTries = !app.calTries.empty();
    if (!hasTries) {
        dimText("%s", "No measurements yet.");
    } else {
        for (size_t i = 0; i < app.calTries.size(); ++i) {
            if (i > 0) ImGui::SameLine(0, 24 * s);
            textLine(formatString("#%d: %.0f counts", static_cast<int>(i + 1), app.calTries[i]).c_str());
        }
        const CalibrationResult r = calibrationResult(app);
        ImGui::PushFont(fontTitle());
        coloredText(colAccent, "%.1f cm/360", r.cm360);
        ImGui::PopFont();
        ImGui::PushTextWrapPos(0.0f);
        textLine(formatString("at sens %.2f and %.0f DPI   \xC2\xB7   %.0f counts per turn   \xC2\xB7   yaw %.6f deg per "
                              "count at sens 1.0",
                              app.calSens, app.dpi, r.countsPerTurn, r.yaw)
                     .c_str());
        if (r.inconsistent)
            coloredText(colWarn,
                        "Your tries differ by %.1f%% \xE2\x80\x94 turn slower and line the edge up carefully, then "
                        "measure again.",
                        r.spreadPercent);
        else if (r.agreeing)
            coloredText(colGood, "Tries agree within %.1f%% \xE2\x80\x94 good measurement.", r.spreadPercent);
        ImGui::PopTextWrapPos();
        if (primaryButton("SAVE", ImVec2(180 * s, 46 * s)) && saveCalibration(app)) {
            endCard();
            return;
        }
        ImGui::SameLine();
        if (plainButton("Clear", ImVec2(120 * s, 46 * s))) app.calTries.clear();
        ImGui::SameLine();
    }
    if (plainButton("Back", ImVec2(120 * s, 46 * s))) app.screen = app.calReturnScreen;
    if (game.kind == GameKindCalibrated && game.yaw > 0) {
        ImGui::SameLine();
        dimText("   Saved calibration: yaw %.6f.", game.yaw);
    }
    endCard();
}

}  // namespace

void drawCalibrateScreen(App& app) {
    if (!calibratable(app.calGame)) app.calGame = gameIndexById("reforger");
    const GameInfo& game = gameCatalog()[static_cast<size_t>(app.calGame)];
    const bool reforgerMode = std::strcmp(game.id, "reforger") == 0;

    const float W = contentWidth;
    ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + W);
    sectionHeading("Calibrate a game",
                   "Measures exactly how far a game turns per mouse count \xE2\x80\x94 on your PC, at your settings. "
                   "Needed for Arma Reforger (its turn rate isn't published and changes with FOV). Works for any other "
                   "game too.");
    ImGui::PopTextWrapPos();
    drawSetupCard(app, reforgerMode, 0.4f * W);
    ImGui::SameLine(0, 18 * s);
    drawStepsCard(app, reforgerMode, 0.6f * W - 18 * s);
    verticalGap(6 * s);
    // The combo may have switched the game this frame.
    drawResultCard(app, gameCatalog()[static_cast<size_t>(app.calGame)]);
}
