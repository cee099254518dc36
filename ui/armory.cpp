// The Armory: a side panel over the live 3D preview where the player equips a gun, a skin
// and a map. Skins and maps unlock with the player's level; every choice is saved at once.
#include <algorithm>
#include <string>

#include "core/catalog/armory.h"
#include "core/catalog/format.h"
#include "core/catalog/sound.h"
#include "core/profile/app.h"
#include "ui/kit.h"
#include "ui/probe.h"
#include "ui/screens.h"

// One selectable item. The swatches are optional RGB colours; the second and third are
// drawn only with the first. A locked card never reports a press.
bool armoryCard(const char* id, const char* name, const char* subtitle, bool selected, bool locked,
                int32_t unlockLevel, ImVec2 size, const float* swatch0, const float* swatch1, const float* swatch2);

namespace {

enum ArmoryTab : int32_t { TabGuns = 0, TabSkins = 1, TabMaps = 2 };

// A skin without a pattern shows the gun's own finish.
constexpr float kPlainGun[3][3] = {{0.16f, 0.17f, 0.18f}, {0.30f, 0.22f, 0.17f}, {0.45f, 0.46f, 0.48f}};

ImU32 rgb(const float* c) { return packColour(ImVec4(c[0], c[1], c[2], 1.0f)); }

// Taken at the start of a list: after SameLine the available width is only what is left of the line.
ImVec2 cardSize(bool fullWidth) {
    const float avail = ImGui::GetContentRegionAvail().x;
    return ImVec2(fullWidth ? avail : (avail - 12 * s) / 2, 64 * s);
}

// Two cards to a line: every odd item continues the line of the one before it.
void placeCard(size_t index, bool fullWidth) {
    if (!fullWidth && index % 2 == 1) ImGui::SameLine(0, 12 * s);
}

void drawGuns(App& app) {
    const std::vector<GunInfo>& guns = gunCatalog();
    const ImVec2 size = cardSize(false);
    for (size_t i = 0; i < guns.size(); ++i) {
        placeCard(i, false);
        const GunInfo& g = guns[i];
        if (armoryCard(g.id, g.name, g.gunClass, app.gun == g.id, false, 0, size, nullptr, nullptr,
                       nullptr)) {
            app.gun = g.id;
            app.saveSettings();
        }
    }
    ImGui::Spacing();
    ImGui::PushTextWrapPos(0.0f);
    dimText("%s", guns[static_cast<size_t>(gunIndexById(app.gun))].description);
    dimText("%s", "Guns are just for looks in the Sensitivity Finder \xE2\x80\x94 every gun measures the same.");
    dimText("%s", "Gun models: Tarvion.");
    ImGui::PopTextWrapPos();
}

void drawSkins(App& app, int32_t level) {
    const std::vector<SkinInfo>& skins = skinCatalog();
    const ImVec2 size = cardSize(false);
    for (size_t i = 0; i < skins.size(); ++i) {
        placeCard(i, false);
        const SkinInfo& k = skins[i];
        const bool plain = k.pattern == 0;
        const float* c0 = plain ? kPlainGun[0] : k.colors[0];
        const float* c1 = plain ? kPlainGun[1] : k.colors[1];
        const float* c2 = plain ? kPlainGun[2] : k.colors[2];
        if (armoryCard(k.id, k.name, k.category, app.skin == k.id, level < k.unlockLevel, k.unlockLevel,
                       size, c0, c1, c2)) {
            app.skin = k.id;
            app.saveSettings();
        }
    }
}

void drawMaps(App& app, int32_t level) {
    const std::vector<MapInfo>& maps = mapCatalog();
    const ImVec2 size = cardSize(true);
    for (size_t i = 0; i < maps.size(); ++i) {
        const MapInfo& m = maps[i];
        const bool sky = m.sky != SkyIndoor;
        const float* c0 = sky ? m.skyColors[0] : m.roomColors[0];
        const float* c1 = sky ? m.skyColors[1] : m.roomColors[1];
        if (armoryCard(m.id, m.name, m.description, app.theme == m.id, level < m.unlockLevel, m.unlockLevel,
                       size, c0, c1, m.roomColors[4])) {
            app.theme = m.id;
            app.saveSettings();
        }
    }
}

void drawCaptions(const App& app, float pw, float W, float H) {
    ImDrawList* dl = ImGui::GetForegroundDrawList();
    const float cx = pw + (W - pw) / 2;
    const GunInfo& gun = gunCatalog()[static_cast<size_t>(gunIndexById(app.gun))];
    const SkinInfo& skin = skinCatalog()[static_cast<size_t>(skinIndexById(app.skin))];
    const MapInfo& map = mapCatalog()[static_cast<size_t>(mapIndexById(app.theme))];
    drawShadowText(dl, fontTitle(), ImVec2(cx, H - 120 * s), packColour(colText), gun.name);
    drawShadowText(dl, fontSemibold(), ImVec2(cx, H - 76 * s), packColour(colAccent),
                   formatString("%s skin   \xC2\xB7   %s", skin.name, map.name).c_str());
}

}  // namespace

bool armoryCard(const char* id, const char* name, const char* subtitle, bool selected, bool locked,
                int32_t unlockLevel, ImVec2 size, const float* swatch0, const float* swatch1, const float* swatch2) {
    ImGui::PushID(id);
    const ImVec2 p = ImGui::GetCursorScreenPos();
    const bool pressed = ImGui::InvisibleButton("##t", size);
    const bool hovered = ImGui::IsItemHovered();
    probeButton(name, ImGui::GetItemRectMin(), ImGui::GetItemRectMax());
    const ImVec2 m(p.x + size.x, p.y + size.y);
    ImDrawList* dl = ImGui::GetWindowDrawList();

    ImVec4 fill, border;
    float thickness = 1 * s;
    if (selected) {
        fill = colTileSelected;
        border = colAccent;
        thickness = 2 * s;
    } else if (!locked && hovered) {
        fill = colTileHover;
        border = ImVec4(1, 1, 1, 0.18f);
    } else {
        // A locked card stays dark under the mouse; only its border brightens.
        fill = colCard;
        border = hovered ? ImVec4(1, 1, 1, 0.18f) : ImVec4(1, 1, 1, 0.07f);
    }
    dl->AddRectFilled(p, m, packColour(fill), 10 * s);
    dl->AddRect(p, m, packColour(border), 10 * s, 0, thickness);

    const float midY = p.y + size.y / 2;
    float textX = p.x + 14 * s;
    if (swatch0) {
        drawRingDot(dl, ImVec2(p.x + 26 * s, midY), 13 * s, rgb(swatch0));
        if (swatch1) drawRingDot(dl, ImVec2(p.x + 40 * s, midY), 10 * s, rgb(swatch1));
        if (swatch2) drawRingDot(dl, ImVec2(p.x + 51 * s, midY), 7 * s, rgb(swatch2));
        textX = p.x + 68 * s;
    }

    ImFont* semibold = fontSemibold();
    const ImVec4& nameColour = locked ? colTextDim : selected ? colAccent : colText;
    drawListText(dl, semibold, semibold->FontSize, ImVec2(textX, p.y + 10 * s), packColour(nameColour), name);
    ImFont* smallFont = fontSmall();
    const ImVec2 second(textX, p.y + 14 * s + semibold->FontSize);
    // The lock wins over "EQUIPPED": an equipped item above the player's level says why it is dark.
    if (locked)
        drawListText(dl, smallFont, smallFont->FontSize, second, packColour(colWarn),
                     formatString("Unlocks at level %d", static_cast<int>(unlockLevel)).c_str());
    else if (selected)
        drawListText(dl, smallFont, smallFont->FontSize, second, packColour(colTextDim), "EQUIPPED");
    else
        drawListText(dl, smallFont, smallFont->FontSize, second, packColour(colTextDim), subtitle ? subtitle : "");

    if (locked) {
        dl->AddRectFilled(p, m, IM_COL32(0, 0, 0, 70), 10 * s);
        ImGui::PopID();
        return false;
    }
    ImGui::PopID();
    if (pressed) playSound(SoundClick, 1.0f);
    return pressed;
}

void drawArmory(App& app) {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const float W = display.x, H = display.y;
    const float pw = std::min(0.46f * W, 600 * s);
    const int32_t level = levelForXp(app.xp);
    if (app.armoryTab < TabGuns || app.armoryTab > TabMaps) app.armoryTab = TabGuns;

    ImGui::SetNextWindowPos(ImVec2(0, 0), ImGuiCond_Always);
    ImGui::SetNextWindowSize(ImVec2(pw, H), ImGuiCond_Always);
    ImGui::PushStyleColor(ImGuiCol_WindowBg, ImVec4(0.04f, 0.05f, 0.07f, 0.93f));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(32 * s, 28 * s));
    ImGui::Begin("##armory", nullptr,
                 ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings);

    ImGui::PushFont(fontTitle());
    coloredText(colText, "%s", "Armory");
    ImGui::PopFont();
    ImGui::PushFont(fontSemibold());
    coloredText(colAccent, "Level %d", static_cast<int>(level));
    ImGui::PopFont();
    drawXpBar(app, pw - 64 * s);
    ImGui::PushTextWrapPos(0.0f);
    dimText("%s", "Earn XP from every round you play. New skins and maps unlock as you level up.");
    ImGui::PopTextWrapPos();
    ImGui::Spacing();

    static const char* const kTabs[3] = {"Guns", "Skins", "Maps"};
    const ImVec2 tabSize((pw - 64 * s - 16 * s) / 3, 42 * s);
    const int32_t tabBefore = app.armoryTab;
    for (int32_t i = 0; i < 3; ++i) {
        if (i > 0) ImGui::SameLine(0, 8 * s);
        const bool pressed = i == app.armoryTab ? primaryButton(kTabs[i], tabSize) : plainButton(kTabs[i], tabSize);
        if (pressed) app.armoryTab = i;
    }
    // The list opens at its top, with the Armory and with each tab.
    if (app.screenOpened || app.armoryTab != tabBefore) ImGui::SetNextWindowScroll(ImVec2(0, 0));

    ImGui::Spacing();
    // A window too short for the list still gets a sliver rather than a child that fills it.
    const float listHeight = std::max(H - ImGui::GetCursorPosY() - 100 * s, 1.0f);
    ImGui::BeginChild("##items", ImVec2(0, listHeight), 0, ImGuiWindowFlags_NoBackground);
    switch (app.armoryTab) {
        case TabSkins: drawSkins(app, level); break;
        case TabMaps: drawMaps(app, level); break;
        default: drawGuns(app); break;
    }
    ImGui::EndChild();

    ImGui::SetCursorPosY(H - 80 * s);
    if (plainButton("Back", ImVec2(160 * s, 48 * s))) app.screen = ScreenHome;
    ImGui::End();
    ImGui::PopStyleVar();
    ImGui::PopStyleColor();

    drawCaptions(app, pw, W, H);
}
