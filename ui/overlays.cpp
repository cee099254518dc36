// The between-rounds summary, the level-up toast and the XP bar.
#include <algorithm>
#include <cmath>

#include "core/catalog/armory.h"
#include "core/catalog/format.h"
#include "core/profile/app.h"
#include "engine/flow/starters.h"
#include "engine/kernel/session.h"
#include "ui/kit.h"
#include "ui/screens.h"

namespace {
constexpr ImGuiWindowFlags kOverlayFlags = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize |
                                           ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoScrollbar |
                                           ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_AlwaysAutoResize |
                                           ImGuiWindowFlags_NoSavedSettings;
}  // namespace

void drawXpBar(App& app, float w) {
    const int32_t level = levelForXp(app.xp);
    const int64_t base = xpForLevel(level);
    ImDrawList* dl = ImGui::GetWindowDrawList();
    const ImVec2 p = ImGui::GetCursorScreenPos();
    dl->AddRectFilled(p, ImVec2(p.x + w, p.y + 8 * s), IM_COL32(255, 255, 255, 30), 4 * s);
    if (level >= kMaxLevel) {
        // At the cap there is no next level to work toward.
        dl->AddRectFilled(p, ImVec2(p.x + w, p.y + 8 * s), packColour(colAccent), 4 * s);
        ImGui::Dummy(ImVec2(w, 8 * s));
        ImGui::PushFont(fontSmall());
        dimText("Max level");
        ImGui::PopFont();
        return;
    }
    const int64_t span = xpForLevel(level + 1) - base;
    const double fraction =
        std::clamp(static_cast<double>(app.xp - base) / static_cast<double>(span > 0 ? span : 1), 0.0, 1.0);
    if (fraction > 0)
        dl->AddRectFilled(p, ImVec2(p.x + static_cast<float>(fraction) * w, p.y + 8 * s), packColour(colAccent), 4 * s);
    ImGui::Dummy(ImVec2(w, 8 * s));
    ImGui::PushFont(fontSmall());
    dimText("%lld / %lld XP to level %d", static_cast<long long>(app.xp - base), static_cast<long long>(span),
            static_cast<int>(level + 1));
    ImGui::PopFont();
}

void drawRoundSummary(App& app) {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(display.x / 2, display.y / 2), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(620 * s, 0), ImGuiCond_Always);
    ImGui::PushStyleColor(ImGuiCol_WindowBg, ImVec4(0.06f, 0.07f, 0.095f, 0.96f));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowRounding, 16 * s);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(28 * s, 24 * s));
    ImGui::Begin("##summary", nullptr, kOverlayFlags);

    const bool practice = app.sessionKind == SessionPractice;
    const TestSession& ts = app.sessionKind == SessionScopeCheck ? app.scopeSession : app.session;
    const int done = scoredRoundsDone(ts), total = plannedRounds(ts);
    ImGui::PushFont(fontTitle());
    if (practice) {
        coloredText(colText, "Practice round %d", static_cast<int>(app.roundCounter));
    } else if (done < 1) {
        coloredText(colText, "%s", "Warm-up done");
    } else {
        const char* prefix = app.sessionKind == SessionSensCheck ? "Check - "
                             : app.sessionKind == SessionScopeCheck ? "Scope - "
                                                                    : "";
        coloredText(colText, "%sRound %d of %d done", prefix, done, total);
    }
    ImGui::PopFont();

    if (!practice && total > 0) {
        ImDrawList* dl = ImGui::GetWindowDrawList();
        const ImVec2 c = ImGui::GetCursorScreenPos();
        for (int i = 0; i < total; ++i)
            dl->AddCircleFilled(ImVec2(c.x + 15 * s * static_cast<float>(i) + 4.5f * s, c.y + 2 * s + 4.5f * s), 4.5f * s,
                                i < done ? packColour(colAccent) : IM_COL32(255, 255, 255, 40));
        ImGui::Dummy(ImVec2(15 * s * static_cast<float>(total), 15 * s));
    }

    ImGui::Spacing();
    const RoundResult& r = app.lastRound;
    if (ImGui::BeginTable("##st", 4, ImGuiTableFlags_SizingStretchSame)) {
        ImGui::TableNextRow();
        const int targets = r.kills + r.missedTargets;
        const std::string cells[4][2] = {
            {"HITS", formatString("%d / %d", static_cast<int>(r.kills), targets > 0 ? targets : 1)},
            {"ACCURACY", formatString("%d%%", r.shots > 0 ? static_cast<int>(std::lround(100.0 * r.kills / r.shots)) : 0)},
            {"AVG KILL", formatString("%.0f ms", r.avgKillMs)},
            {"ON TARGET", formatString("%d%%", static_cast<int>(std::lround(100.0 * r.onTargetRatio)))},
        };
        for (const auto& cell : cells) {
            ImGui::TableNextColumn();
            smallLabel(cell[0].c_str());
            ImGui::PushFont(fontSemibold());
            coloredText(colAccent, "%s", cell[1].c_str());
            ImGui::PopFont();
        }
        ImGui::EndTable();
    }

    ImGui::Spacing();
    if (!practice && app.stageChanged) {
        coloredText(colGood, "%s", "Stage 1 complete. Now narrowing in around the range where you aimed best.");
        ImGui::Spacing();
    }
    coloredText(colGood, "+%d XP", static_cast<int>(app.lastXpGain));
    ImGui::SameLine();
    dimText("  Level %d", static_cast<int>(levelForXp(app.xp)));
    drawXpBar(app, ImGui::GetContentRegionAvail().x);
    if (!practice) dimText("%s", "Sensitivity stays hidden until the end, so you can't be biased by the number.");
    ImGui::Spacing();
    const double f = app.automation ? app.automationSpeed : 1.0;
    const double left = std::ceil(std::max(app.nextRoundAt - app.now, 0.0) / (f > 0 ? f : 1.0));
    coloredText(colText, "Next round in %.0f ...", left);
    dimText("%s", "SPACE to start now   \xC2\xB7   ESC to pause");
    ImGui::End();
    ImGui::PopStyleVar(2);
    ImGui::PopStyleColor();
}

void drawLevelUpToast(App& app) {
    if (!(app.now < app.levelUpUntil && app.newLevel > 0)) return;
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const float W = display.x;
    const float a = std::clamp(static_cast<float>((app.levelUpUntil - app.now) / 0.6), 0.0f, 1.0f);
    const std::string title = formatString("LEVEL UP!  You're level %d", static_cast<int>(app.newLevel));
    const std::string line = app.unlockedText.empty() ? std::string("Keep going \xE2\x80\x94 more unlocks ahead")
                                                      : "Unlocked: " + app.unlockedText;
    ImFont* body = fontBody();
    ImFont* titleFont = fontTitle();
    const float h = (std::max(textSize(body, body->FontSize, line.c_str()).x,
                              textSize(titleFont, titleFont->FontSize, title.c_str()).x) +
                     60 * s) /
                    2;
    ImDrawList* dl = ImGui::GetForegroundDrawList();
    dl->AddRectFilled(ImVec2(W / 2 - h, 80 * s), ImVec2(W / 2 + h, 180 * s),
                      IM_COL32(10, 40, 30, static_cast<int>(std::floor(235 * a))), 16 * s);
    dl->AddRect(ImVec2(W / 2 - h, 80 * s), ImVec2(W / 2 + h, 180 * s), withAlpha(colGood, a), 16 * s, 0, 2 * s);
    drawShadowText(dl, titleFont, ImVec2(W / 2, 114 * s), withAlpha(colGood, a), title.c_str());
    drawShadowText(dl, body, ImVec2(W / 2, 154 * s), withAlpha(colText, a), line.c_str());
}

void drawPauseOverlay(App& app) {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::GetBackgroundDrawList()->AddRectFilled(ImVec2(0, 0), display, IM_COL32(0, 0, 0, 90));
    ImGui::SetNextWindowPos(ImVec2(display.x / 2, display.y / 2), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(520 * s, 0), ImGuiCond_Always);
    ImGui::PushStyleColor(ImGuiCol_WindowBg, ImVec4(0.06f, 0.07f, 0.095f, 0.97f));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowRounding, 16 * s);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(28 * s, 24 * s));
    ImGui::Begin("##pause", nullptr, kOverlayFlags);
    ImGui::PushFont(fontTitle());
    coloredText(colText, "%s", "Paused");
    ImGui::PopFont();
    if (app.phaseBeforePause == RoundPlaying) {
        ImGui::PushTextWrapPos(0.0f);
        dimText("%s", "The round you were in will restart from the beginning so every round is measured fully.");
        ImGui::PopTextWrapPos();
    }
    ImGui::Spacing();
    ImGui::Spacing();
    const float w = ImGui::GetContentRegionAvail().x;
    if (primaryButton("RESUME", ImVec2(w, 52 * s))) resumeRound(app);
    ImGui::Spacing();
    const char* leave = app.sessionKind == SessionPractice ? "Back to menu" : "Quit test (this test's rounds are lost)";
    if (plainButton(leave, ImVec2(w, 42 * s))) leaveRound(app);
    ImGui::Spacing();
    dimText("%s", "ESC also resumes.");
    ImGui::End();
    ImGui::PopStyleVar(2);
    ImGui::PopStyleColor();
}
