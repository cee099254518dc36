// The Scope Check result: the best scoped speed as a monitor-distance percentage, which any
// converter with that option turns into each game's own scope setting.
#include <algorithm>
#include <string>
#include <vector>

#include "core/catalog/format.h"
#include "core/profile/app.h"
#include "engine/flow/starters.h"
#include "ui/kit.h"
#include "ui/screens.h"

namespace {

// Every Scope Check round is played at this zoom.
constexpr double kScopeZoom = 4;
// The converters' monitor-distance inputs stop here.
constexpr double kMaxMatchPercent = 300;

// A round's scope speed as a multiple of the "same feel near the crosshair" speed.
double scopeMultiple(const App& app, const RoundMetrics& round) {
    return round.cm360 > 0 ? app.scopeHipCm360 * kScopeZoom / round.cm360 : 0;
}

const ImVec4& confidenceColour(const std::string& confidence) {
    if (confidence == "High") return colGood;
    if (confidence == "Medium") return colAccent;
    return colWarn;
}

void drawMainCard(const App& app, double p, float width) {
    beginCard("scopeMain", ImVec2(width, 270 * s), colHighlightCard);
    smallLabel("YOUR BEST SCOPE SETTING");
    ImGui::PushFont(fontHero());
    if (p < 0) coloredText(colAccent, "%s", "0%");
    else if (p > kMaxMatchPercent) coloredText(colAccent, "%s", "300%+");
    else coloredText(colAccent, "%.0f%%", p);
    ImGui::PopFont();
    textLine("monitor distance match (horizontal)");
    ImGui::Spacing();
    const std::string& confidence = app.scopeAnalysis.confidence;
    coloredText(confidenceColour(confidence), "%s confidence", confidence.c_str());
    ImGui::PushTextWrapPos(0.0f);
    dimText("You scoped best at %.2fx the 'same feel near the crosshair' speed (likely %.2f\xE2\x80\x93%.2fx).",
            app.scopeBestMultiplier, app.scopeLowMultiplier, app.scopeHighMultiplier);
    if (p < 0)
        dimText("%s", "That's even slower than 0% \xE2\x80\x94 use 0% (the slowest standard setting).");
    ImGui::PopTextWrapPos();
    endCard();
}

void drawHowCard(double p, float width) {
    beginCard("scopeHow", ImVec2(width, 270 * s), colCard);
    cardTitle("How to use it");
    ImGui::PushTextWrapPos(0.0f);
    bulletText("%s", "Every game does its scope math differently, so the universal way to copy a scope feel is "
                     "'monitor distance'.");
    bulletText("Open a sensitivity converter that has a Monitor Distance option, pick Horizontal and enter %.0f%%. "
               "It gives you the exact scoped / ADS setting for each game.",
               std::clamp(p, 0.0, kMaxMatchPercent));
    bulletText("%s", "0% = the crosshair area feels the same scoped as unscoped. Higher = faster scopes, for "
                     "flicking across the scope.");
    bulletText("%s", "Scoped tests are noisier than hip-fire \xE2\x80\x94 run it 2-3 times and use the average.");
    ImGui::PopTextWrapPos();
    endCard();
}

void drawRoundsCard(const App& app, double fov) {
    beginCard("scopeRounds", ImVec2(contentWidth, 0), colCard);
    cardTitle("What you played (blind)");
    // Slowest scope speed (largest scoped cm/360) first; the stored analysis keeps play order.
    std::vector<RoundMetrics> rounds = app.scopeAnalysis.rounds;
    std::stable_sort(rounds.begin(), rounds.end(),
                     [](const RoundMetrics& a, const RoundMetrics& b) { return a.cm360 > b.cm360; });
    if (ImGui::BeginTable("##sr", 5,
                          ImGuiTableFlags_RowBg | ImGuiTableFlags_SizingStretchProp | ImGuiTableFlags_PadOuterX)) {
        for (const char* h : {"Scope speed", "Monitor distance", "Performance", "Accuracy", "Kill time"})
            ImGui::TableSetupColumn(h);
        ImGui::TableHeadersRow();
        for (const RoundMetrics& r : rounds) {
            ImGui::TableNextRow();
            const double m = scopeMultiple(app, r);
            cellText(formatString("%.2fx", m));
            const double match = fovMatchPercent(m, fov);
            if (match < 0) cellText("below 0%");
            else if (match > kMaxMatchPercent) cellText("300%+");
            else cellText(formatString("%.0f%%", match));
            cellText(formatString("%.1f%%", r.performance));
            cellText(formatString("%.0f%%", 100 * r.accuracy));
            cellText(formatString("%.0f ms", r.avgKillMs));
        }
        ImGui::EndTable();
    }
    endCard();
}

}  // namespace

void drawScopeResultScreen(App& app) {
    if (!app.hasScopeResult) {
        sectionHeading("Scope Check", "No result yet.");
        if (plainButton("Back", ImVec2(160 * s, 44 * s))) app.screen = ScreenHome;
        return;
    }
    const std::string subtitle =
        formatString("%d scoped rounds at %.0fx zoom  \xC2\xB7  hip-fire %.1f cm/360",
                     static_cast<int>(app.scopeAnalysis.rounds.size()), kScopeZoom, app.scopeHipCm360);
    sectionHeading("Scope Check result", subtitle.c_str());

    const double fov = app.windowFov();
    const double p = fovMatchPercent(app.scopeBestMultiplier, fov);
    const float half = (contentWidth - 18 * s) / 2;
    drawMainCard(app, p, half);
    ImGui::SameLine(0, 18 * s);
    drawHowCard(p, half);

    verticalGap(6 * s);
    drawRoundsCard(app, fov);

    verticalGap(10 * s);
    if (primaryButton("RUN IT AGAIN", ImVec2(240 * s, 50 * s))) {
        startScopeCheck(app);
        return;
    }
    ImGui::SameLine();
    if (plainButton("Practice with the sniper", ImVec2(260 * s, 50 * s))) {
        // For this practice only: the next settings save keeps it, nothing saves it here.
        app.gun = "longbow";
        startPractice(app, app.scopeHipCm360, false);
        return;
    }
    ImGui::SameLine();
    if (plainButton("Main menu", ImVec2(160 * s, 50 * s))) app.screen = ScreenHome;
}
