// The results screen: the recommendation with its range and confidence, the chart, the
// perfect DPI, the findings, every game's value, every round, and the ways onward.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/catalog/sound.h"
#include "core/profile/app.h"
#include "engine/flow/starters.h"
#include "integration/calibration.h"
#include "integration/reforger.h"
#include "ui/kit.h"
#include "ui/probe.h"
#include "ui/results.h"
#include "ui/screens.h"

namespace {

int32_t shownDigits(const GameInfo& row) { return row.decimals < 0 ? 3 : row.decimals; }

// A game's own value with its digits, one more below 0.1 so small values keep a digit.
std::string optionSensText(const GameInfo& row, double sens, int32_t extra = 0) {
    return formatSens(sens, shownDigits(row) + (sens < 0.1 ? 1 : 0) + extra);
}

const ImVec4& toneColour(int32_t tone) {
    switch (tone) {
        case 1: return colGood;
        case 2: return colWarn;
        case 3: return colTextDim;
        default: return colAccent;
    }
}

void copyText(const std::string& text) { ImGui::SetClipboardText(text.c_str()); }

void wrappedColoured(const ImVec4& colour, const std::string& text) {
    ImGui::PushStyleColor(ImGuiCol_Text, colour);
    wrappedText(text.c_str());
    ImGui::PopStyleColor();
}

void drawNoResult(App& app) {
    sectionHeading("Results", "No result yet.");
    if (plainButton("Back", ImVec2(160 * s, 44 * s))) app.screen = ScreenHome;
}

void drawHeading(App& app) {
    const GameInfo& row = resultGameRow(app);
    ImGui::PushFont(fontTitle());
    coloredText(colText, "%s", app.isSensCheckResult ? "Sens Check result" : "Your results");
    ImGui::PopFont();
    const std::string facts = formatString("%s  \xC2\xB7  %.0f DPI  \xC2\xB7  %d measured rounds", row.name,
                                           app.resultConfig.dpi, static_cast<int>(app.analysis.rounds.size()));
    // Saved only when its row is in history.csv; else the one line that says it is not.
    if (app.resultSaved) {
        dimText("%s  \xC2\xB7  saved to your History", facts.c_str());
    } else {
        dimText("%s", facts.c_str());
        wrappedColoured(colWarn, resultNotSavedText(app));
    }
    if (!app.resultNotice.empty()) coloredText(colWarn, "%s", app.resultNotice.c_str());
    ImGui::Dummy(ImVec2(0, 8 * s));
}

void drawNextStep(App& app) {
    const int pressed =
        actionCard("nextStep", colInviteCard, colAccent, "Next: confirm it with a Sens Check",
                   "3 minutes of blind rounds at this sens, a bit faster and a bit slower. It confirms the result or "
                   "gives you a small tweak.",
                   {"SENS CHECK"});
    if (pressed == 0) startSensCheck(app);
}

void drawRecommendationCard(App& app, float width) {
    const GameInfo& row = resultGameRow(app);
    const AnalysisResult& a = app.analysis;
    const double rec = a.recommendedCm360;
    const double dpi = app.resultConfig.dpi;
    const bool cmOnly = row.kind == GameKindCm360;
    const std::string sensText = resultSensText(app, rec);

    beginCard("recCard", ImVec2(width, 400 * s), colHighlightCard);
    smallLabel("RECOMMENDED SENSITIVITY");
    ImGui::PushFont(fontHero());
    if (cmOnly)
        coloredText(colAccent, "%.1f", rec);
    else
        coloredText(colAccent, "%s", sensText.c_str());
    ImGui::PopFont();
    if (cmOnly)
        dimText("cm/360 at %.0f DPI", dpi);
    else
        dimText("%s  at %.0f DPI", row.name, dpi);

    if (ImGui::BeginTable("##recstats", 3, ImGuiTableFlags_SizingStretchSame)) {
        const std::string edpi =
            cmOnly ? std::string("-") : formatString("%.0f", sensFromCm360(app.resultYaw, rec, dpi) * dpi);
        const std::string versus = versusCurrentText(app.resultCm, rec);
        const std::string cm = formatString("%.1f", rec);
        const char* labels[3] = {"CM / 360", "eDPI", "VS CURRENT"};
        const std::string* values[3] = {&cm, &edpi, &versus};
        ImGui::TableNextRow();
        for (int c = 0; c < 3; ++c) {
            ImGui::TableSetColumnIndex(c);
            smallLabel(labels[c]);
            cardTitle(values[c]->c_str());
        }
        ImGui::EndTable();
    }

    const ImVec4& confColour = a.confidence == "High" ? colGood : a.confidence == "Medium" ? colAccent : colWarn;
    ImGui::PushFont(fontSemibold());
    coloredText(confColour, "%s confidence", a.confidence.c_str());
    ImGui::PopFont();
    wrappedDim(formatString(
        "You likely aim best between %s and %s (%.1f\xE2\x80\x93%.1f cm/360). Anywhere in that band is a good choice.",
        resultSensText(app, a.lowCm360).c_str(), resultSensText(app, a.highCm360).c_str(), a.lowCm360, a.highCm360)
                   .c_str());

    ImGui::SetCursorPosY(std::max(ImGui::GetCursorPosY(), 400 * s - 60 * s));
    if (primaryButton("COPY", ImVec2(120 * s, 44 * s))) {
        if (cmOnly)
            copyText(formatString("%.1f cm/360 at %.0f DPI", rec, dpi));
        else
            copyText(formatString("%s sens %s at %.0f DPI (%.1f cm/360)", row.name, sensText.c_str(), dpi, rec));
    }
    if (canSetResultSens(app)) {
        ImGui::SameLine();
        if (plainButton(cmOnly ? "Make this my cm/360" : "Make this my sens", ImVec2(-1, 44 * s)))
            app.setSensFromCm360(rec);
    }
    endCard();
}

void drawChartCard(App& app, float width) {
    beginCard("chartCard", ImVec2(width, 400 * s), colCard);
    cardTitle("Performance at each tested sensitivity");
    wrappedDim("Each dot is one blind round. The line is the fitted curve; the shaded band is where your best sens "
               "likely is.");
    const ImVec2 avail = ImGui::GetContentRegionAvail();
    drawResultsChart(app, avail.x, avail.y - 4 * s);
    endCard();
}

void drawDpiCard(App& app, float width) {
    const GameInfo& row = resultGameRow(app);
    const bool cmOnly = row.kind == GameKindCm360;
    const bool yawKnown = cmOnly || app.resultYaw > 0;
    const PerfectDpiAdvice advice =
        perfectDpi(row, app.resultYaw, app.analysis.recommendedCm360, app.resultConfig.hFov, app.width);

    beginCard("dpiAdv", ImVec2(width, 360 * s), colCard);
    smallLabel("YOUR PERFECT DPI");
    ImGui::PushFont(fontTitle());
    coloredText(colAccent, "%d DPI", static_cast<int>(advice.recommendedDpi));
    ImGui::PopFont();
    if (!cmOnly) {
        std::string sens = "calibrate first";
        for (const DpiOption& o : advice.options)
            if (o.recommended && yawKnown) sens = optionSensText(row, o.sens);
        dimText("with %s sens %s", row.name, sens.c_str());
    }
    ImGui::PushFont(fontSmall());
    wrappedDim(advice.message.c_str());
    ImGui::PopFont();

    const int columns = cmOnly ? 3 : 4;
    if (ImGui::BeginTable("##dpis", columns, ImGuiTableFlags_SizingStretchProp | ImGuiTableFlags_RowBg)) {
        ImGui::TableSetupColumn("DPI");
        if (!cmOnly) ImGui::TableSetupColumn("In-game sens");
        ImGui::TableSetupColumn("Pixels / count");
        ImGui::TableSetupColumn("Verdict");
        tableHeadersRow();
        for (const DpiOption& o : advice.options) {
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            if (o.recommended)
                coloredText(colAccent, "%d  *", static_cast<int>(o.dpi));
            else
                coloredText(colText, "%d", static_cast<int>(o.dpi));
            if (!cmOnly) {
                ImGui::TableNextColumn();
                if (!yawKnown)
                    dimText("%s", "calibrate first");
                else if (o.inRange)
                    coloredText(colText, "%s", optionSensText(row, o.sens).c_str());
                else
                    coloredText(colWarn, "%s (out of range)", optionSensText(row, o.sens, 1).c_str());
            }
            ImGui::TableNextColumn();
            coloredText(colText, "%.2f", o.pxPerCount);
            ImGui::TableNextColumn();
            const ImVec4& c = o.pxPerCount > 1 ? colWarn : o.pxPerCount > 0.5 ? colTextDim : colGood;
            coloredText(c, "%s", o.verdict);
        }
        ImGui::EndTable();
    }
    endCard();
}

void drawInsightsCard(App& app, float width) {
    beginCard("insights", ImVec2(width, 360 * s), colCard);
    cardTitle("What we found");
    for (const Insight& insight : resultInsights(app)) {
        coloredText(toneColour(insight.tone), "%s", "\xE2\x80\xA2");
        ImGui::SameLine();
        wrappedText(insight.text.c_str());
    }
    endCard();
}

// Rows of the games table: the result game, the player's other games, then the rest.
std::vector<int32_t> gameTableOrder(const App& app) {
    const std::vector<GameInfo>& catalog = gameCatalog();
    const int32_t count = static_cast<int32_t>(catalog.size());
    const int32_t main = std::clamp(app.resultGame, 0, count - 1);
    std::vector<int32_t> order{main};
    auto add = [&](int32_t index) {
        if (index < 0 || index >= count) return;
        if (std::find(order.begin(), order.end(), index) == order.end()) order.push_back(index);
    };
    for (int32_t index : app.myGameIndices()) add(index);
    for (int32_t index = 0; index < count; ++index) add(index);
    const bool mainTypesYaw = catalog[static_cast<size_t>(main)].kind == GameKindUserYaw;
    std::vector<int32_t> shown;
    for (int32_t index : order) {
        const GameInfo& row = catalog[static_cast<size_t>(index)];
        if (row.kind == GameKindCm360) continue;
        if (row.kind == GameKindUserYaw && !mainTypesYaw) continue;
        shown.push_back(index);
    }
    return shown;
}

void drawReforgerStatus(const App& app) {
    if (!app.reforgerStatus.empty())
        coloredText(app.reforgerStatusOk ? colGood : colWarn, "%s", app.reforgerStatus.c_str());
}

void drawGamesCard(App& app) {
    const std::vector<GameInfo>& catalog = gameCatalog();
    const double rec = app.analysis.recommendedCm360;
    const double dpi = app.resultConfig.dpi;
    const GameInfo& mainRow = resultGameRow(app);
    const PerfectDpiAdvice advice = perfectDpi(mainRow, app.resultYaw, rec, app.resultConfig.hFov, app.width);
    const bool perfectColumn = advice.recommendedDpi != static_cast<int32_t>(std::lround(dpi));

    beginCard("allGames", ImVec2(contentWidth, 0), colCard);
    ImGui::PushFont(fontSemibold());
    coloredText(colText, "The same feel in every game  (%.1f cm/360)", rec);
    ImGui::PopFont();
    dimText("%s", "Copy these into each game. Uses the same physical distance per 360 turn.");

    const int columns = perfectColumn ? 4 : 3;
    if (ImGui::BeginTable("##games", columns, ImGuiTableFlags_SizingStretchProp | ImGuiTableFlags_RowBg)) {
        const std::string sensHeader = formatString("Sens at %.0f DPI", dpi);
        const std::string perfectHeader =
            formatString("At %d DPI (your perfect DPI)", static_cast<int>(advice.recommendedDpi));
        ImGui::TableSetupColumn("Game", ImGuiTableColumnFlags_WidthStretch, 2.2f);
        ImGui::TableSetupColumn(sensHeader.c_str(), ImGuiTableColumnFlags_WidthStretch, 1.2f);
        if (perfectColumn) ImGui::TableSetupColumn(perfectHeader.c_str(), ImGuiTableColumnFlags_WidthStretch, 1.4f);
        ImGui::TableSetupColumn("", ImGuiTableColumnFlags_WidthFixed, 200 * s);
        tableHeadersRow();
        const int32_t main = std::clamp(app.resultGame, 0, static_cast<int32_t>(catalog.size()) - 1);
        for (int32_t index : gameTableOrder(app)) {
            const GameInfo& row = catalog[static_cast<size_t>(index)];
            const bool isMain = index == main;
            const bool mine = !isMain && app.isMyGame(index);
            const double yaw = row.kind == GameKindUserYaw ? app.resultYaw : row.yaw;
            std::string name = row.kind == GameKindUserYaw ? formatString("Your game (yaw %.5g)", yaw) : row.name;
            if (isMain) name += "   (main)";
            if (mine) name += "   (your game)";
            const std::string sens = formatGameSens(row, yaw, rec, dpi);
            ImGui::PushID(index);
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            coloredText(isMain || mine ? colAccent : colTextDim, "%s", name.c_str());
            ImGui::TableNextColumn();
            coloredText(colText, "%s", sens.c_str());
            if (perfectColumn) {
                ImGui::TableNextColumn();
                coloredText(colText, "%s", formatGameSens(row, yaw, rec, advice.recommendedDpi).c_str());
            }
            ImGui::TableNextColumn();
            if (row.kind == GameKindCalibrated && row.yaw <= 0) {
                if (smallButton("Calibrate")) enterCalibrate(app, index, ScreenResults);
            } else {
                if (smallButton("Copy")) copyText(sens);
                if (std::strcmp(row.id, "reforger") == 0 && app.reforger.found) {
                    ImGui::SameLine();
                    if (smallButton("Set in game")) applyToReforger(app, index, rec);
                }
            }
            ImGui::PopID();
        }
        ImGui::EndTable();
    }

    drawReforgerStatus(app);
    if (app.reforger.found && app.reforgerFov > 0 && app.reforger.firstPersonFov > 0 &&
        std::fabs(app.reforger.firstPersonFov - app.reforgerFov) > 0.5)
        wrappedColoured(colWarn, formatString("Your Reforger FOV is now %.0f but you calibrated at %.0f. Re-calibrate "
                                              "so the Reforger sens is exact.",
                                              app.reforger.firstPersonFov, app.reforgerFov));
    if (app.detectionDone.load()) {
        std::string others;
        for (const DetectedGame& g : app.detectedGames) {
            if (g.gameIndex >= 0) continue;
            if (!others.empty()) others += ",  ";
            others += g.name;
        }
        if (!others.empty()) {
            coloredText(colWarn, "Also on your PC: %s", others.c_str());
            wrappedDim(formatString("No built-in converter for these yet \xE2\x80\x94 set each one so a full 360 turn "
                                    "takes %.1f cm (%.2f in) at %.0f DPI.",
                                    rec, rec / kCmPerInch, dpi)
                           .c_str());
        }
    }
    endCard();
}

const char* stageName(int32_t stage) {
    if (stage == 2) return "refine";
    if (stage == 3) return "check";
    return "explore";
}

void drawRoundsCard(App& app) {
    const std::vector<RoundMetrics>& rounds = app.analysis.rounds;
    beginCard("rounds", ImVec2(contentWidth, 0), colCard);
    ImGui::PushFont(fontSemibold());
    ImGui::PushStyleColor(ImGuiCol_Header, ImVec4(1, 1, 1, 0));
    ImGui::PushStyleColor(ImGuiCol_HeaderHovered, ImVec4(1, 1, 1, 0.05f));
    ImGui::PushStyleColor(ImGuiCol_HeaderActive, ImVec4(1, 1, 1, 0.08f));
    const bool open = ImGui::CollapsingHeader("Every round, sensitivities revealed");
    ImGui::PopStyleColor(3);
    ImGui::PopFont();
    if (open) {
        double best = -1e300;
        for (const RoundMetrics& m : rounds) best = std::max(best, m.performance);
        if (ImGui::BeginTable("##rounds", 9, ImGuiTableFlags_SizingStretchProp | ImGuiTableFlags_RowBg)) {
            for (const char* h : {"Round", "Sens", "cm/360", "Stage", "Flick (bits/s)", "Accuracy", "Kill time",
                                  "Tracking", "Performance"})
                ImGui::TableSetupColumn(h);
            tableHeadersRow();
            for (size_t k = 0; k < rounds.size(); ++k) {
                const RoundMetrics& m = rounds[k];
                ImGui::TableNextRow();
                ImGui::TableNextColumn();
                coloredText(colText, "%d", static_cast<int>(k + 1));
                ImGui::TableNextColumn();
                coloredText(colText, "%s", resultSensText(app, m.cm360).c_str());
                ImGui::TableNextColumn();
                coloredText(colText, "%.1f", m.cm360);
                ImGui::TableNextColumn();
                coloredText(colText, "%s", stageName(m.stage));
                ImGui::TableNextColumn();
                coloredText(colText, "%.2f", m.throughput);
                ImGui::TableNextColumn();
                coloredText(colText, "%.0f%%", m.accuracy * 100);
                ImGui::TableNextColumn();
                coloredText(colText, "%.0f ms", m.avgKillMs);
                ImGui::TableNextColumn();
                coloredText(colText, "%.1f%%", m.trackOnTarget * 100);
                ImGui::TableNextColumn();
                if (m.performance >= best - 1e-9)
                    coloredText(colAccent, "%.1f%%  best", m.performance);
                else
                    coloredText(colText, "%.1f%%", m.performance);
            }
            ImGui::EndTable();
        }
        wrappedDim(
            "Flick score = Fitts throughput (target distance and size vs. movement time, reaction time removed) x "
            "sqrt(accuracy). Tracking = time on target (plus a little credit for near-misses). Rounds were played in "
            "random order.");
    }
    endCard();
}

void drawButtonRow(App& app) {
    const double rec = app.analysis.recommendedCm360;
    if (plainButton("Practice at this sens", ImVec2(220 * s, 48 * s))) {
        app.game = app.resultGame;
        startPractice(app, rec, false);
    }
    ImGui::SameLine(0, 10 * s);
    if (plainButton("Share image", ImVec2(170 * s, 48 * s))) {
        app.shareRequested = true;
        app.toast.clear();
    }
    ImGui::SameLine(0, 10 * s);
    if (plainButton("Run the full test again", ImVec2(240 * s, 48 * s))) startFullRetest(app);
    ImGui::SameLine(0, 10 * s);
    if (plainButton("Main menu", ImVec2(150 * s, 48 * s))) app.screen = ScreenHome;
}

}  // namespace

void tableHeadersRow() {
    ImGui::TableHeadersRow();
    for (int c = 0; c < ImGui::TableGetColumnCount(); ++c) probeText(ImGui::TableGetColumnName(c));
}

const GameInfo& resultGameRow(const App& app) {
    const std::vector<GameInfo>& catalog = gameCatalog();
    if (app.resultGame < 0 || app.resultGame >= static_cast<int32_t>(catalog.size())) return catalog[1];
    return catalog[static_cast<size_t>(app.resultGame)];
}

std::string resultSensText(const App& app, double cm360) {
    return formatGameSens(resultGameRow(app), app.resultYaw, cm360, app.resultConfig.dpi);
}

std::string resultNotSavedText(const App& app) {
    return "This result could not be saved: history.csv could not be written in " + app.dataDir +
           ", so it will not be in your History once Tarvion closes.";
}

bool canSetResultSens(const App& app) {
    const int32_t kind = resultGameRow(app).kind;
    if (kind == GameKindUserYaw || kind == GameKindCm360) return true;
    return app.resultYaw > 0;
}

std::string versusCurrentText(double startCm360, double recommendedCm360) {
    if (!(recommendedCm360 > 0)) return "same";
    const double pct = (startCm360 / recommendedCm360 - 1) * 100;
    if (std::fabs(pct) < 0.5) return "same";
    return formatString("%+.0f%% %s", pct, pct > 0 ? "faster" : "slower");
}

std::vector<Insight> resultInsights(const App& app) {
    const AnalysisResult& a = app.analysis;
    const double rec = a.recommendedCm360;
    std::vector<Insight> out;
    if (app.resultCm >= a.lowCm360 && app.resultCm <= a.highCm360) {
        out.push_back({1, "Your current sensitivity is already inside your best range. Switching gains you little "
                          "\xE2\x80\x94 keep it if it feels right."});
    } else {
        const double pct = rec > 0 ? std::fabs(app.resultCm / rec - 1) * 100 : 0;
        out.push_back({0, formatString("You aimed best about %.0f%% %s than your current sens. Give the new one a few "
                                       "days \xE2\x80\x94 muscle memory needs time.",
                                       pct, app.resultCm > rec ? "faster" : "slower")});
    }
    if (a.hasFlickPeak && a.hasTrackPeak && a.trackPeakCm360 > 0) {
        const double r = a.flickPeakCm360 / a.trackPeakCm360;
        const char* agreement =
            r < 0.9   ? "Your flicks like it faster than your tracking does \xE2\x80\x94 the result balances both."
            : r > 1.1 ? "Your tracking likes it faster than your flicks \xE2\x80\x94 the result balances both."
                      : "Both agree closely, which makes this result more trustworthy.";
        out.push_back({0, formatString("Flicking peaked at %s, tracking at %s. %s",
                                       resultSensText(app, a.flickPeakCm360).c_str(),
                                       resultSensText(app, a.trackPeakCm360).c_str(), agreement)});
    }
    if (a.rounds.size() >= 4) {
        std::vector<RoundMetrics> sorted = a.rounds;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const RoundMetrics& x, const RoundMetrics& y) { return x.cm360 < y.cm360; });
        const size_t v = sorted.size() / 3;
        double fastOver = 0, fastUnder = 0, slowOver = 0, slowUnder = 0;
        for (size_t k = 0; k < v; ++k) {
            fastOver += sorted[k].overflickPct;
            fastUnder += sorted[k].underflickPct;
            slowOver += sorted[sorted.size() - 1 - k].overflickPct;
            slowUnder += sorted[sorted.size() - 1 - k].underflickPct;
        }
        const double n = static_cast<double>(v);
        out.push_back({0, formatString("At your fastest tested sens you over-flicked %.0f%% of targets (under %.0f%%); "
                                       "at the slowest you under-flicked %.0f%% (over %.0f%%).",
                                       fastOver / n, fastUnder / n, slowUnder / n, slowOver / n)});
    }
    if (a.hasFlickLanding)
        out.push_back({0, formatString("Flick-landing analysis (where your first flick movement stops) points to %s; it "
                                       "was blended in at %.0f%%.",
                                       resultSensText(app, a.flickLandingCm360).c_str(), 100 * a.flickLandingBlend)});
    if (a.trendPctPerRound > 0.8)
        out.push_back({2, formatString("You improved about %.1f%% per round during the test, so you were still warming "
                                       "up. This is corrected for, but a re-test after warming up will be tighter.",
                                       a.trendPctPerRound)});
    else if (a.trendPctPerRound < -0.8)
        out.push_back({2, formatString("Your performance dropped about %.1f%% per round (fatigue?). This is corrected "
                                       "for, but take a break before re-testing.",
                                       -a.trendPctPerRound)});
    out.push_back({3, "This is your hip-fire sens. For scopes / ADS, run a Scope Check from the home screen."});
    if (a.bestAtEdge)
        out.push_back({2, "Your best was at the edge of the tested range. Press 'Run the full test again' to search "
                          "further in that direction."});
    return out;
}

void drawResultsScreen(App& app) {
    if (!app.hasResult) {
        drawNoResult(app);
        return;
    }
    if (app.resultsScrollY >= 0) {
        ImGui::SetScrollY(app.resultsScrollY);
        app.resultsScrollY = -1;
    }
    drawHeading(app);
    if (app.isSensCheckResult) {
        if (!app.sensChecks.empty()) drawSensCheckVerdict(app);
    } else {
        drawNextStep(app);
    }

    const float leftWidth = 0.4f * contentWidth;
    const float rightWidth = std::max(1.0f, contentWidth - leftWidth - 18 * s);
    drawRecommendationCard(app, leftWidth);
    ImGui::SameLine(0, 18 * s);
    drawChartCard(app, rightWidth);

    ImGui::Dummy(ImVec2(0, 6 * s));
    drawDpiCard(app, leftWidth);
    ImGui::SameLine(0, 18 * s);
    drawInsightsCard(app, rightWidth);

    ImGui::Dummy(ImVec2(0, 6 * s));
    drawGamesCard(app);
    ImGui::Dummy(ImVec2(0, 6 * s));
    drawRoundsCard(app);

    ImGui::Dummy(ImVec2(0, 10 * s));
    drawButtonRow(app);
    if (!app.toast.empty()) coloredText(colGood, "%s", app.toast.c_str());
    ImGui::Dummy(ImVec2(0, 30 * s));
}
