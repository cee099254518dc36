// The Sens Check verdict: confirmed, settled or a tweak, the latest check's three
// sensitivities side by side, every check so far, and the ways to lock it in or check again.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/profile/app.h"
#include "engine/flow/starters.h"
#include "integration/reforger.h"
#include "ui/kit.h"
#include "ui/results.h"

namespace {

constexpr int32_t kCheckStage = 3;
constexpr size_t kLatestCheckRounds = 6;

void wrappedIn(const ImVec4& colour, const std::string& text) {
    ImGui::PushStyleColor(ImGuiCol_Text, colour);
    wrappedText(text.c_str());
    ImGui::PopStyleColor();
}

void drawCheckTable(const App& app) {
    const std::vector<CheckGroup> groups = latestCheckGroups(app.analysis.rounds);
    if (groups.size() != 3) return;
    const int32_t best = bestCheckGroup(groups);
    static const char* const kLabels[3] = {"A bit faster", "Your best sens", "A bit slower"};
    if (ImGui::BeginTable("##chk", 6, ImGuiTableFlags_RowBg | ImGuiTableFlags_SizingStretchProp)) {
        for (const char* h :
             {"Tested (blind)", "Sens", "Performance", "Flick accuracy", "Kill time", "Tracking on target"})
            ImGui::TableSetupColumn(h);
        tableHeadersRow();
        for (size_t k = 0; k < groups.size(); ++k) {
            const CheckGroup& g = groups[k];
            const bool isBest = static_cast<int32_t>(k) == best;
            const ImVec4& strong = isBest ? colAccent : colText;
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            coloredText(strong, "%s%s", kLabels[k], isBest ? "   (best this check)" : "");
            ImGui::TableNextColumn();
            coloredText(colText, "%s  (%.1f cm)", resultSensText(app, g.cm360).c_str(), g.cm360);
            ImGui::TableNextColumn();
            coloredText(strong, "%.1f%%", g.performance);
            ImGui::TableNextColumn();
            coloredText(colText, "%.0f%%", g.accuracy * 100);
            ImGui::TableNextColumn();
            coloredText(colText, "%.0f ms", g.avgKillMs);
            ImGui::TableNextColumn();
            coloredText(colText, "%.0f%%", g.trackOnTarget * 100);
        }
        ImGui::EndTable();
    }
    wrappedIn(colTextDim,
              "Each was played twice, in random order. Single checks are noisy, so the verdict pools these rounds with "
              "all your earlier ones.");
}

void adopt(App& app, double cm360) {
    app.setSensFromCm360(cm360);
    if (std::strcmp(resultGameRow(app).id, "reforger") == 0 && app.reforger.found)
        applyToReforger(app, app.resultGame, cm360);
}

}  // namespace

std::vector<CheckGroup> latestCheckGroups(const std::vector<RoundMetrics>& rounds) {
    std::vector<const RoundMetrics*> latest;
    for (auto it = rounds.rbegin(); it != rounds.rend() && latest.size() < kLatestCheckRounds; ++it)
        if (it->stage == kCheckStage) latest.push_back(&*it);

    std::vector<CheckGroup> groups;
    for (const RoundMetrics* m : latest) {
        // A round joins the newest group at its cm/360; the check plays each value twice in
        // shuffled order, so a match may be any earlier group, not just the last one.
        CheckGroup* home = nullptr;
        for (auto g = groups.rbegin(); g != groups.rend() && !home; ++g)
            if (m->cm360 > 0 && g->cm360 > 0 && std::fabs(std::log(g->cm360 / m->cm360)) < 0.01) home = &*g;
        if (!home) {
            groups.push_back({});
            home = &groups.back();
            home->cm360 = m->cm360;
        }
        home->performance += m->performance;
        home->accuracy += m->accuracy;
        home->trackOnTarget += m->trackOnTarget;
        home->avgKillMs += m->avgKillMs;
        home->count += 1;
    }
    std::stable_sort(groups.begin(), groups.end(),
                     [](const CheckGroup& a, const CheckGroup& b) { return a.cm360 < b.cm360; });
    for (CheckGroup& g : groups) {
        const double n = static_cast<double>(g.count);
        g.performance /= n;
        g.accuracy /= n;
        g.trackOnTarget /= n;
        g.avgKillMs /= n;
    }
    return groups;
}

int32_t bestCheckGroup(const std::vector<CheckGroup>& groups) {
    int32_t best = -1;
    for (size_t k = 0; k < groups.size(); ++k)
        if (best < 0 || groups[k].performance > groups[static_cast<size_t>(best)].performance)
            best = static_cast<int32_t>(k);
    return best;
}

void drawSensCheckVerdict(App& app) {
    if (!app.isSensCheckResult || app.sensChecks.empty()) return;
    const int n = static_cast<int>(app.sensChecks.size());
    const SensCheckEntry& last = app.sensChecks.back();
    const bool confirmed = last.confirmed;
    const bool settled = !confirmed && n > 2;
    const double rec = app.analysis.recommendedCm360;
    const std::string recText = resultSensText(app, rec);
    const ImVec4 background =
        confirmed || settled ? ImVec4(0.06f, 0.19f, 0.12f, 0.95f) : ImVec4(0.21f, 0.15f, 0.05f, 0.95f);

    beginCard("checkCard", ImVec2(contentWidth, 0), background);
    ImGui::PushFont(fontSmall());
    dimText("SENS CHECK #%d", n);
    ImGui::PopFont();

    std::string title, body;
    const double change = std::fabs(last.changePct);
    const char* direction = last.changePct < 0 ? "faster" : "slower";
    if (confirmed) {
        title = formatString("CONFIRMED  \xC2\xB7  %s is your sens", recText.c_str());
        body = formatString(
            "Your new blind rounds put your best sens within %.1f%% of where it was (%.1f \xE2\x86\x92 %.1f cm/360). "
            "That's smaller than anyone can feel, so this is it. Lock it in and play.",
            change, last.beforeCm360, last.afterCm360);
    } else if (settled) {
        title = formatString("Lock in %s \xE2\x80\x94 you're inside your best range", recText.c_str());
        body = formatString(
            "After %d checks the result keeps moving a little inside %.1f\xE2\x80\x93%.1f cm/360. Those differences "
            "are noise \xE2\x80\x94 any sens in that band is equally good for you. Lock in %.1f cm/360 and stop "
            "testing.",
            n, app.analysis.lowCm360, app.analysis.highCm360, rec);
    } else {
        title = formatString("TWEAK  \xC2\xB7  try %s  (%s%s)", recText.c_str(), change < 8 ? "a bit " : "", direction);
        body = formatString(
            "With the new rounds added you aimed best about %.0f%% %s (%.1f \xE2\x86\x92 %.1f cm/360). Do ONE more "
            "check at the tweak to confirm it \xE2\x80\x94 if it holds, that's your sens.",
            change, direction, last.beforeCm360, last.afterCm360);
    }
    ImGui::PushFont(fontTitle());
    wrappedIn(confirmed || settled ? colGood : colWarn, title);
    ImGui::PopFont();
    wrappedIn(colTextDim, body);

    drawCheckTable(app);

    if (n > 1) {
        std::string line;
        for (int k = 0; k < n; ++k) {
            const SensCheckEntry& e = app.sensChecks[static_cast<size_t>(k)];
            line += formatString("%sCheck %d: %.1f \xE2\x86\x92 %.1f cm (%+.1f%%)", k == 0 ? "" : "     ", k + 1,
                                 e.beforeCm360, e.afterCm360, e.changePct);
        }
        wrappedIn(colTextDim, line);
    }

    const bool canSet = canSetResultSens(app);
    if (confirmed || settled) {
        if (canSet) {
            if (primaryButton("LOCK IT IN (make this my sens)", ImVec2(380 * s, 48 * s))) adopt(app, rec);
            ImGui::SameLine();
        }
        if (plainButton("Check again anyway", ImVec2(220 * s, 48 * s))) startSensCheck(app);
    } else {
        const std::string again = formatString("ONE MORE CHECK AT %s", recText.c_str());
        if (primaryButton(again.c_str(), ImVec2(420 * s, 48 * s))) startSensCheck(app);
        if (canSet) {
            ImGui::SameLine();
            if (plainButton("Use the tweak now", ImVec2(220 * s, 48 * s))) app.setSensFromCm360(rec);
        }
    }
    if (!app.reforgerStatus.empty())
        coloredText(app.reforgerStatusOk ? colGood : colWarn, "%s", app.reforgerStatus.c_str());
    endCard();
    ImGui::Dummy(ImVec2(0, 6 * s));
}
