// The sensitivity converter: one game's sensitivity at one DPI as the physical cm/360 it
// means, and every other game's value for the same feel. It works on its own copy of the
// numbers and never touches the player's settings.
#include <string>
#include <vector>

#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/profile/app.h"
#include "integration/calibration.h"
#include "ui/kit.h"
#include "ui/probe.h"
#include "ui/screens.h"

namespace {

constexpr int32_t kMinDpi = 50;
constexpr int32_t kMaxDpi = 64000;
// What the converter assumes while an uncalibrated game has no yaw to convert with.
constexpr double kUncalibratedCm = 35;

int32_t clampDpi(int32_t dpi) { return dpi < kMinDpi ? kMinDpi : dpi > kMaxDpi ? kMaxDpi : dpi; }

int32_t dpiFromSettings(double dpi) {
    if (!(dpi >= kMinDpi)) return kMinDpi;
    if (dpi > kMaxDpi) return kMaxDpi;
    return static_cast<int32_t>(dpi);
}

void takeSettingsOnce(App& app) {
    if (app.convReady) return;
    app.convReady = true;
    app.convGame = app.game;
    app.convSens = app.sens;
    app.convYaw = app.customYaw;
    app.convCm = app.cmDirect;
    app.convDpi = dpiFromSettings(app.dpi);
    app.convToDpi = app.convDpi;
}

const char* recommendedVerdict(const PerfectDpiAdvice& advice) {
    for (const DpiOption& o : advice.options)
        if (o.recommended) return o.verdict;
    return "";
}

void dpiInput(const char* label, const char* id, int32_t& dpi) {
    smallLabel(label);
    ImGui::SetNextItemWidth(200 * s);
    int value = dpi;
    ImGui::InputInt(id, &value, 50, 400);
    dpi = clampDpi(value);
}

// The yaw the converter uses for a game: the typed one for "Any other game".
double sourceYaw(const App& app, const GameInfo& row) {
    if (row.kind == GameKindUserYaw) return app.convYaw > 0 ? app.convYaw : 0.022;
    return row.yaw;
}

void drawInputCard(App& app, const GameInfo& row, float width) {
    const std::vector<GameInfo>& games = gameCatalog();
    beginCard("convIn", ImVec2(width, 330 * s), colCard);
    cardTitle("From");
    const ImVec2 comboAt = ImGui::GetCursorScreenPos();
    const float comboWidth = ImGui::GetContentRegionAvail().x;
    ImGui::SetNextItemWidth(comboWidth);
    const bool open = ImGui::BeginCombo("##game", row.name);
    // This version of the library does not report combos to the probe.
    probeButton("##game", comboAt, ImVec2(comboAt.x + comboWidth, comboAt.y + ImGui::GetFrameHeight()));
    if (open) {
        for (size_t i = 0; i < games.size(); ++i) {
            const bool selected = static_cast<size_t>(app.convGame) == i;
            if (ImGui::Selectable(games[i].name, selected)) app.convGame = static_cast<int32_t>(i);
            if (selected) ImGui::SetItemDefaultFocus();
        }
        ImGui::EndCombo();
    }

    if (row.kind == GameKindUserYaw) {
        smallLabel("Yaw (degrees per count at sens 1.0)");
        ImGui::SetNextItemWidth(200 * s);
        ImGui::InputDouble("##cyaw", &app.convYaw, 0.001, 0.01, "%.5f");
        if (!(app.convYaw > 0)) app.convYaw = 0.022;
    }
    if (row.kind == GameKindCm360) {
        smallLabel("cm/360");
        ImGui::SetNextItemWidth(200 * s);
        ImGui::InputDouble("##ccm", &app.convCm, 0.5, 5, "%.1f");
        if (!(app.convCm >= 1)) app.convCm = 1;
        if (app.convCm > 500) app.convCm = 500;
    } else {
        smallLabel("Sensitivity");
        ImGui::SetNextItemWidth(200 * s);
        ImGui::InputDouble("##cs", &app.convSens, 0.01, 0.1, "%.4f");
        if (!(app.convSens > 0)) app.convSens = 0.001;
    }
    dpiInput("Your DPI", "##cdpi", app.convDpi);
    dpiInput("Convert to DPI", "##tdpi", app.convToDpi);
    endCard();
}

void drawOutputCard(const App& app, const GameInfo& row, double yaw, double cm, float width) {
    beginCard("convOut", ImVec2(width, 330 * s), colCard);
    smallLabel("THAT IS");
    ImGui::PushFont(fontHero());
    coloredText(colAccent, "%.1f cm/360", cm);
    ImGui::PopFont();
    textLine(formatString("%.2f inches/360  \xC2\xB7  %s", cm / kCmPerInch, speedWord(cm)).c_str());
    if (row.kind != GameKindCm360) textLine(formatString("eDPI %.0f", app.convDpi * app.convSens).c_str());
    const PerfectDpiAdvice advice = perfectDpi(row, yaw, cm, app.windowFov(), app.width);
    ImGui::PushTextWrapPos(0.0f);
    dimText("Perfect DPI for this feel on your screen: %d. %s", static_cast<int>(advice.recommendedDpi),
            recommendedVerdict(advice));
    ImGui::PopTextWrapPos();
    endCard();
}

void drawTableCard(const App& app, double cm, float width) {
    const std::vector<GameInfo>& games = gameCatalog();
    beginCard("convTable", ImVec2(width, 0), colCard);
    cardTitle(formatString("Every game at %d DPI", static_cast<int>(app.convToDpi)).c_str());
    if (ImGui::BeginTable("##ct", 4,
                          ImGuiTableFlags_RowBg | ImGuiTableFlags_SizingStretchProp | ImGuiTableFlags_PadOuterX)) {
        ImGui::TableSetupColumn("Game", ImGuiTableColumnFlags_WidthStretch, 2);
        ImGui::TableSetupColumn("Sensitivity", ImGuiTableColumnFlags_WidthStretch, 1);
        ImGui::TableSetupColumn("eDPI", ImGuiTableColumnFlags_WidthStretch, 1);
        ImGui::TableSetupColumn("", ImGuiTableColumnFlags_WidthFixed, 90 * s);
        ImGui::TableHeadersRow();
        for (size_t i = 0; i < games.size(); ++i) {
            const GameInfo& g = games[i];
            if (g.kind != GameKindYaw && g.kind != GameKindCalibrated) continue;
            const std::string sens = formatGameSens(g, g.yaw, cm, app.convToDpi);
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            textLine(g.name);
            ImGui::TableNextColumn();
            textLine(sens.c_str());
            ImGui::TableNextColumn();
            textLine(formatString("%.0f", app.convToDpi * sensFromCm360(g.yaw, cm, app.convToDpi)).c_str());
            ImGui::TableNextColumn();
            // "calibrate first" is no sensitivity to paste into a game.
            if (g.yaw <= 0) continue;
            ImGui::PushID(static_cast<int>(i));
            if (smallButton("Copy")) ImGui::SetClipboardText(sens.c_str());
            ImGui::PopID();
        }
        ImGui::EndTable();
    }
    endCard();
}

}  // namespace

void drawConverterScreen(App& app) {
    takeSettingsOnce(app);
    const std::vector<GameInfo>& games = gameCatalog();
    if (app.convGame < 0 || static_cast<size_t>(app.convGame) >= games.size())
        app.convGame = gameIndexById(app.currentGame().id);

    sectionHeading("Sensitivity converter", "Keeps the same physical distance per 360 turn across games and DPIs.");
    const float W = contentWidth;

    // The warning of an uncalibrated game sits under the input card, so both stay in one
    // column beside the output card.
    ImGui::BeginGroup();
    drawInputCard(app, games[static_cast<size_t>(app.convGame)], 0.42f * W);
    // A game chosen in the combo counts from here on.
    const GameInfo& shown = games[static_cast<size_t>(app.convGame)];
    const double y = sourceYaw(app, shown);
    double cm = shown.kind == GameKindCm360 ? app.convCm : cm360FromSens(y, app.convSens, app.convDpi);
    if (shown.kind == GameKindCalibrated && !(shown.yaw > 0)) {
        ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + 0.42f * W);
        coloredText(colWarn, "%s isn't calibrated yet \xE2\x80\x94 measure it once so it can be converted.", shown.name);
        ImGui::PopTextWrapPos();
        if (plainButton("Calibrate now", ImVec2(200 * s, 40 * s))) {
            enterCalibrate(app, app.convGame, ScreenConverter);
        }
        cm = kUncalibratedCm;
    }
    ImGui::EndGroup();

    ImGui::SameLine(0, 18 * s);
    drawOutputCard(app, shown, y, cm, 0.58f * W - 18 * s);

    verticalGap(6 * s);
    drawTableCard(app, cm, W);

    verticalGap(8 * s);
    if (plainButton("Back", ImVec2(140 * s, 46 * s))) app.screen = ScreenTools;
}
