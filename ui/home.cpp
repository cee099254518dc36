// The main menu: header, tagline, the modal cards, the finder hero card, YOUR SENS, tiles.
#include <algorithm>
#include <cmath>
#include <string>

#include "core/catalog/armory.h"
#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/catalog/sound.h"
#include "core/profile/app.h"
#include "engine/flow/starters.h"
#include "engine/kernel/round_config.h"
#include "ui/kit.h"
#include "ui/probe.h"
#include "ui/screens.h"
#include "updater/updater.h"

namespace {

void openWizard(App& app, int32_t step) {
    app.screen = ScreenSetup;
    app.setupStep = step;
}

void drawHeader(App& app) {
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    drawWordmark(fontHero());
    const ImVec2 after = ImGui::GetCursorScreenPos();

    // Level chip, at the right edge of the content.
    const float right = origin.x + contentWidth;
    const ImVec2 chipMin(right - 270 * s, origin.y + 10 * s), chipMax(right, origin.y + 10 * s + 62 * s);
    ImGui::SetCursorScreenPos(chipMin);
    const bool chip = ImGui::InvisibleButton("##levelchip", ImVec2(270 * s, 62 * s));
    probeButton("Armory", chipMin, chipMax);
    const bool hovered = ImGui::IsItemHovered();
    ImDrawList* dl = ImGui::GetWindowDrawList();
    dl->AddRectFilled(chipMin, chipMax, packColour(hovered ? colTileHover : colCard), 12 * s);
    dl->AddRect(chipMin, chipMax, hovered ? withAlpha(colAccent, 0.7f) : IM_COL32(255, 255, 255, 20), 12 * s, 0, s);
    const int32_t level = levelForXp(app.xp);
    const std::string levelText = formatString("Level %d", static_cast<int>(level));
    drawListText(dl, fontSemibold(), fontSemibold()->FontSize, ImVec2(chipMin.x + 16 * s, chipMin.y + 9 * s),
                 packColour(colAccent), levelText.c_str());
    const char* armory = "Armory \xE2\x80\xBA";
    const float aw = textSize(fontBody(), fontBody()->FontSize, armory).x;
    drawListText(dl, fontBody(), fontBody()->FontSize, ImVec2(chipMax.x - 16 * s - aw, chipMin.y + 11 * s),
                 packColour(hovered ? colText : colTextDim), armory);
    const int64_t base = xpForLevel(level);
    const int64_t span = std::max<int64_t>(1, xpForLevel(level + 1) - base);
    const float fraction = std::clamp(static_cast<float>(app.xp - base) / static_cast<float>(span), 0.0f, 1.0f);
    const ImVec2 barMin(chipMin.x + 16 * s, chipMin.y + 44 * s), barMax(chipMax.x - 16 * s, chipMin.y + 50 * s);
    dl->AddRectFilled(barMin, barMax, IM_COL32(255, 255, 255, 28), 3 * s);
    if (fraction > 0)
        dl->AddRectFilled(barMin, ImVec2(barMin.x + (barMax.x - barMin.x) * fraction, barMax.y), packColour(colAccent), 3 * s);
    if (chip) {
        playSound(SoundClick, 1.0f);
        app.screen = ScreenArmory;
    }

    ImGui::SetCursorScreenPos(ImVec2(right - 270 * s - 12 * s - 90 * s - 8 * s - 120 * s, origin.y + 10 * s + 11 * s));
    if (plainButton("Settings", ImVec2(120 * s, 40 * s))) app.screen = ScreenSettings;
    ImGui::SameLine(0, 8 * s);
    if (plainButton("Quit", ImVec2(90 * s, 40 * s))) app.quitRequested = true;

    ImGui::SetCursorScreenPos(ImVec2(origin.x, std::max(after.y, chipMax.y + 4 * s)));
    dimText("%s", "Find the sensitivity you actually aim best with \xE2\x80\x94 measured, not guessed.");
    ImGui::SameLine(0, 14 * s);
    dimText("%s", "\xC2\xB7");
    ImGui::SameLine(0, 14 * s);
    dimText("%s", "Created by");
    ImGui::SameLine(0, 5 * s);
    coloredText(colText, "%s", "Orrin Vale");
    ImGui::Dummy(ImVec2(0, 10 * s));
}

void drawUpdateCard(App& app) {
    if (!updater::updateCheckFinished()) return;
    const updater::UpdateInfo info = updater::getUpdateInfo();
    if (!info.available) return;
    const int state = updater::updateState();
    if (app.updateLater && state == updater::UpdateIdle) return;
    const std::string title = formatString("Tarvion %s is available", info.version.c_str());
    std::string subtitle;
    std::vector<const char*> buttons;
    switch (state) {
        case updater::UpdateInstalling: subtitle = "Downloading and checking the update..."; break;
        case updater::UpdateInstalled: subtitle = updater::updateMessage(); break;
        case updater::UpdateFailed:
            subtitle = updater::updateMessage();
            buttons = {"UPDATE NOW", "Later"};
            break;
        default:
            subtitle = info.notes.empty() ? formatString("You have %s.", updater::kVersion) : info.notes;
            buttons = {"UPDATE NOW", "Later"};
            break;
    }
    const int pressed = actionCard("update", ImVec4(0.06f, 0.18f, 0.22f, 0.95f),
                                   state == updater::UpdateInstalled ? colGood : colAccent, title.c_str(),
                                   subtitle.c_str(), buttons);
    if (pressed == 0) updater::installAsync();
    if (pressed == 1) app.updateLater = true;
}

void drawModalCards(App& app) {
    // Said once: the card goes when the player has read it.
    if (!app.settingsNotice.empty()) {
        const int pressed = actionCard("settingsKept", colCard, colWarn, app.settingsNoticeTitle.c_str(),
                                       app.settingsNotice.c_str(), {"OK"});
        if (pressed == 0) app.settingsNotice.clear();
    }
    drawUpdateCard(app);
    if (app.showTutorialDone) {
        const int pressed = actionCard("tutDone", colGoodCard, colGood,
                                       "Nice \xE2\x80\x94 that's all there is to it!",
                                       "The real test is the same thing with more rounds, each at a hidden sensitivity.",
                                       {"START THE TEST", "Later"});
        if (pressed == 0) {
            app.showTutorialDone = false;
            openWizard(app, 0);
        } else if (pressed == 1) {
            app.showTutorialDone = false;
        }
    }
    if (app.foundGamesNotNow) return;
    const std::vector<int32_t> found = app.shownGameIndices();
    if (found.empty()) return;
    std::string names;
    for (int32_t index : found) {
        if (!names.empty()) names += ",  ";
        names += gameCatalog()[static_cast<size_t>(index)].name;
    }
    names += ". Show their exact sens in your results?";
    const int pressed = actionCard("foundGames", colGoodCard, colGood, "Games found on your PC",
                                   names.c_str(), {"USE THEM", "Choose", "Not now"});
    if (pressed == 0) {
        for (int32_t index : found) app.setMyGame(index, true);
        if (!app.isMyGame(app.game)) {
            app.game = found.front();
            app.fov = 0;
            app.style = -1;
        }
        app.mergeKnownGames(found);
        app.saveSettings();
    } else if (pressed == 1) {
        app.mergeKnownGames(found);
        app.saveSettings();
        openWizard(app, 0);
    } else if (pressed == 2) {
        app.mergeKnownGames(found);
        app.saveSettings();
        app.foundGamesNotNow = true;
    }
}

int roundsOfLength(int32_t length) { return length == 0 ? 8 : length == 2 ? 14 : 10; }

void drawHeroCard(App& app, float width) {
    const GameInfo& game = app.currentGame();
    const ImVec2 top = ImGui::GetCursorScreenPos();
    beginCard("hero", ImVec2(width, 250 * s), colInviteCard);
    smallLabel("SENSITIVITY FINDER");
    ImGui::PushFont(fontTitle());
    coloredText(colText, "%s", "Find the sens you aim best with");
    ImGui::PopFont();
    ImGui::PushTextWrapPos(0.0f);
    dimText("%d blind rounds of flicks and tracking, each at a hidden sensitivity. About %.0f minutes.",
            roundsOfLength(app.length), estimateMinutes(app.length));
    ImGui::PopTextWrapPos();
    const bool cmOnly = game.kind == GameKindCm360;
    drawPillBadge(cmOnly ? "Any game" : game.name, colText);
    ImGui::SameLine(0, 8 * s);
    drawPillBadge(formatString("%.0f DPI", app.dpi).c_str(), colTextDim);
    ImGui::SameLine(0, 8 * s);
    std::string third = cmOnly            ? formatString("%.1f cm/360", app.currentCm360())
                        : app.sensUnknown ? formatString("start ~%.0f cm/360", app.currentCm360())
                                          : "sens " + formatSens(app.sens, game.decimals);
    drawPillBadge(third.c_str(), colTextDim);
    ImGui::SetCursorScreenPos(ImVec2(ImGui::GetCursorScreenPos().x, top.y + 250 * s - 16 * s - 52 * s));
    if (primaryButton("FIND MY SENSITIVITY", ImVec2(300 * s, 52 * s))) openWizard(app, 0);
    ImGui::SameLine(0, 12 * s);
    if (plainButton("Quick start", ImVec2(150 * s, 52 * s))) openWizard(app, 3);
    if (ImGui::IsItemHovered()) ImGui::SetTooltip("%s", "Skip setup and use the game, DPI and sens shown above.");
    endCard();
}

void drawLastCard(App& app, float width) {
    const ImVec2 top = ImGui::GetCursorScreenPos();
    beginCard("last", ImVec2(width, 250 * s), colCard);
    if (app.history.empty()) {
        smallLabel("YOUR SENS");
        const ImVec2 c(ImGui::GetCursorScreenPos().x + ImGui::GetContentRegionAvail().x / 2,
                       top.y + 16 * s + 58 * s);
        ImDrawList* dl = ImGui::GetWindowDrawList();
        dl->AddCircleFilled(c, 34 * s, withAlpha(colAccent, 0.1f), 48);
        drawIcon(IconTarget, c, 18 * s, withAlpha(colAccent, 0.8f), dl);
        ImGui::Dummy(ImVec2(0, 110 * s));
        const char* hint = "Your best sens shows up here after your first test.";
        const float tw = ImGui::CalcTextSize(hint).x;
        ImGui::SetCursorPosX(ImGui::GetCursorPosX() + std::max(0.0f, (ImGui::GetContentRegionAvail().x - tw) / 2));
        dimText("%s", hint);
    } else {
        const HistoryEntry& row = app.history.back();
        const GameInfo* game = nullptr;
        for (const GameInfo& g : gameCatalog())
            if (historyGameKey(g) == row.game) game = &g;
        // A value is shown as cm/360 whenever it is one: the game is unknown or has no
        // in-game value, or the row holds no in-game sensitivity (made before calibrating).
        const bool cmUnit = !game || game->kind == GameKindCm360 || row.recommended_sens <= 0;
        ImGui::PushFont(fontSmall());
        dimText("YOUR SENS  \xC2\xB7  %s", cmUnit ? "cm/360" : game->name);
        ImGui::PopFont();
        ImGui::PushFont(fontHero());
        const std::string big = cmUnit ? formatString("%.1f", row.recommended_cm360)
                                       : formatSens(row.recommended_sens, game->decimals);
        coloredText(colAccent, "%s", big.c_str());
        ImGui::PopFont();
        dimText("%.1f cm/360  \xC2\xB7  %.0f DPI", row.recommended_cm360, row.dpi);
        const HistoryEstimate& est = app.cachedHistoryEstimate(row.game);
        if (est.count < 2)
            dimText("%s confidence  \xC2\xB7  %s", row.confidence.c_str(), row.when.substr(0, 10).c_str());
        else
            coloredText(colGood, "Combined from %d tests: %.1f cm/360", static_cast<int>(est.count), est.centre);
        ImGui::SetCursorScreenPos(ImVec2(ImGui::GetCursorScreenPos().x, top.y + 250 * s - 16 * s - 44 * s));
        if (app.hasResult) {
            if (plainButton("View results", ImVec2(-1, 44 * s))) app.screen = ScreenResults;
        } else if (plainButton("Run a Sens Check", ImVec2(-1, 44 * s))) {
            startSensCheck(app);
        }
    }
    endCard();
}

void drawTiles(App& app) {
    ImGui::Dummy(ImVec2(0, 6 * s));
    struct Tile {
        const char* id;
        int icon;
        const char* title;
        const char* subtitle;
    };
    static const Tile kTiles[6] = {
        {"check", IconCheck, "Sens Check", "Re-test your best sens blind and get a tweak if needed."},
        {"scope", IconCrosshair, "Scope Check", "Sniper rounds that find your best scoped / ADS sens."},
        {"armory", IconPistol, "Armory", "Guns, skins and maps. Level up to unlock more."},
        {"prac", IconTarget, "Practice", "Free play at your sens. Snipers: right-click to scope."},
        {"hist", IconBarChart, "History", "All your results combined, plus your progress."},
        {"tools", IconSliders, "Tools", "Measure DPI, convert sens, calibrate a game."},
    };
    const bool oneRow = contentWidth >= 1100 * s;
    const int perRow = oneRow ? 6 : 3;
    const float w = (contentWidth - static_cast<float>(perRow - 1) * 16 * s) / static_cast<float>(perRow);
    // 128 high, or as tall as the longest subtitle needs at this width: wrapped to two or
    // three lines in narrow tiles, it would run past the tile's bottom edge.
    float h = 128 * s;
    for (const Tile& t : kTiles) h = std::max(h, iconTileHeight(t.subtitle, w));
    for (int i = 0; i < 6; ++i) {
        if (i % perRow != 0) ImGui::SameLine(0, 16 * s);
        else if (i > 0) ImGui::Dummy(ImVec2(0, 16 * s - ImGui::GetStyle().ItemSpacing.y * 2));
        if (!iconTile(kTiles[i].id, kTiles[i].icon, kTiles[i].title, kTiles[i].subtitle, ImVec2(w, h))) continue;
        switch (i) {
            case 0: startSensCheck(app); break;
            case 1: startScopeCheck(app); break;
            case 2: app.screen = ScreenArmory; break;
            case 3:
                startPractice(app, app.hasResult ? app.analysis.recommendedCm360 : app.currentCm360(), false);
                break;
            case 4: app.screen = ScreenHistory; break;
            case 5: app.screen = ScreenTools; break;
        }
    }
}

}  // namespace

void drawHomeScreen(App& app) {
    drawHeader(app);
    drawModalCards(app);
    const float heroWidth = std::floor(0.62f * contentWidth);
    drawHeroCard(app, heroWidth);
    ImGui::SameLine(0, 16 * s);
    drawLastCard(app, contentWidth - heroWidth - 16 * s);
    drawTiles(app);
}
