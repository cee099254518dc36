#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/catalog/armory.h"
#include "core/catalog/sound.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/ui_harness.h"
#include "ui/probe.h"

namespace {

std::vector<SoundId> gArmorySounds;
void recordArmorySound(SoundId id, float) { gArmorySounds.push_back(id); }

// The rectangle of the scrolling item list (the probe records child windows by their path).
const ProbeItem* itemList() {
    for (const ProbeItem& item : probeItems())
        if (item.fullLabel.find("##items") != std::string::npos) return &item;
    return nullptr;
}

// The Armory on a headless UI with a data folder of its own; no settings file at the start.
struct Armory {
    App app;
    UiHarness ui;
    TempFolder folder;
    std::string dir = folder.path();

    explicit Armory(float width = 1600, float height = 900) : ui(app, width, height) {
        app.dataDir = dir + "/";
        app.screen = ScreenArmory;
        gArmorySounds.clear();
        setSoundSink(&recordArmorySound);
        show();
    }
    ~Armory() { setSoundSink(nullptr); }

    void show() {
        ui.frame();
        ui.frame();
    }

    std::string settingsFile() const { return test_files::readText(dir + "/settings.ini"); }
    bool saved() const { return std::filesystem::exists(dir + "/settings.ini"); }
    void forgetSaved() { std::filesystem::remove(dir + "/settings.ini"); }
};

TEST(ArmoryScreen, GunsTabEquipsAndSavesAtOnce) {
    Armory f;
    EXPECT_TRUE(probeShowsExactly("Armory"));
    EXPECT_TRUE(probeShowsExactly("Level 1"));
    for (const GunInfo& g : gunCatalog()) EXPECT_NE(probeFindItem(g.name), nullptr) << g.id;
    EXPECT_TRUE(f.ui.hasText("Gun models: Tarvion"));
    EXPECT_TRUE(f.ui.hasText("every gun measures the same."));
    // Captions over the preview: the equipped gun, skin and map.
    EXPECT_TRUE(probeShowsExactly("Halberd AR"));
    EXPECT_TRUE(probeShowsExactly("Factory skin   \xC2\xB7   The Lab"));
    EXPECT_TRUE(probeShowsExactly("EQUIPPED"));

    ASSERT_TRUE(f.ui.click("Wasp-9"));
    EXPECT_EQ(f.app.gun, "wasp");
    EXPECT_NE(f.settingsFile().find("gun=wasp"), std::string::npos);
    EXPECT_EQ(gArmorySounds, std::vector<SoundId>{SoundClick});
    f.show();
    EXPECT_TRUE(probeShowsExactly("Wasp-9"));
    EXPECT_TRUE(f.ui.hasText("Compact sidearm."));

    // Pressing the equipped card saves the same id again.
    f.forgetSaved();
    ASSERT_TRUE(f.ui.click("Wasp-9"));
    EXPECT_EQ(f.app.gun, "wasp");
    EXPECT_NE(f.settingsFile().find("gun=wasp"), std::string::npos);
}

TEST(ArmoryScreen, LockedSkinsWaitForTheirLevel) {
    Armory f;
    ASSERT_TRUE(f.ui.click("Skins"));
    EXPECT_EQ(f.app.armoryTab, 1);
    f.show();
    EXPECT_TRUE(f.ui.hasText("Unlocks at level 6"));

    // Level 5: Carbon (level 6) cannot be equipped, silently.
    f.app.xp = xpForLevel(5);
    f.show();
    gArmorySounds.clear();
    ASSERT_TRUE(f.ui.click("Carbon"));
    EXPECT_EQ(f.app.skin, "factory");
    EXPECT_FALSE(f.saved());
    EXPECT_TRUE(gArmorySounds.empty());

    // Level 6: it can.
    f.app.xp = xpForLevel(6);
    f.show();
    ASSERT_TRUE(f.ui.click("Carbon"));
    EXPECT_EQ(f.app.skin, "carbon");
    EXPECT_NE(f.settingsFile().find("skin=carbon"), std::string::npos);
    f.show();
    EXPECT_TRUE(probeShowsExactly("Carbon skin   \xC2\xB7   The Lab"));
}

TEST(ArmoryScreen, AnEquippedItemAboveTheLevelShowsTheLock) {
    Armory f;
    f.app.skin = "gold";  // level 12, e.g. from a hand-edited settings.ini
    f.app.armoryTab = 1;
    f.show();
    EXPECT_TRUE(f.ui.hasText("Unlocks at level 12"));
    EXPECT_FALSE(probeShowsExactly("EQUIPPED"));
    EXPECT_TRUE(probeShowsExactly("Gold Rush skin   \xC2\xB7   The Lab"));
}

TEST(ArmoryScreen, MapsTabOneCardPerLine) {
    Armory f;
    ASSERT_TRUE(f.ui.click("Maps"));
    EXPECT_EQ(f.app.armoryTab, 2);
    f.show();
    const ProbeItem* lab = probeFindItem("The Lab");
    const ProbeItem* midnight = probeFindItem("Midnight");
    ASSERT_NE(lab, nullptr);
    ASSERT_NE(midnight, nullptr);
    EXPECT_GT(midnight->min.y, lab->min.y);
    EXPECT_FLOAT_EQ(midnight->min.x, lab->min.x);
    EXPECT_TRUE(f.ui.hasText("Dark navy room with neon lines."));

    ASSERT_TRUE(f.ui.click("Synthwave"));  // level 5
    EXPECT_EQ(f.app.theme, "lab");
    EXPECT_FALSE(f.saved());
    ASSERT_TRUE(f.ui.click("Midnight"));
    EXPECT_EQ(f.app.theme, "midnight");
    EXPECT_NE(f.settingsFile().find("theme=midnight"), std::string::npos);
    f.show();
    EXPECT_TRUE(probeShowsExactly("Factory skin   \xC2\xB7   Midnight"));
}

TEST(ArmoryScreen, UnknownIdsShowTheFirstRows) {
    Armory f;
    f.app.gun = "bazooka";
    f.app.skin = "plaid";
    f.app.theme = "moon";
    f.show();
    EXPECT_TRUE(probeShowsExactly(gunCatalog()[0].name));
    EXPECT_TRUE(probeShowsExactly(std::string(skinCatalog()[0].name) + " skin   \xC2\xB7   " + mapCatalog()[0].name));
    EXPECT_FALSE(probeShowsExactly("EQUIPPED"));
}

TEST(ArmoryScreen, SkinListScrollsAndBackStaysPut) {
    Armory f;
    const ProbeItem* back = probeFindItem("Back");
    ASSERT_NE(back, nullptr);
    EXPECT_FLOAT_EQ(back->min.y, 900 - 80);
    f.app.armoryTab = 1;
    f.show();
    back = probeFindItem("Back");
    ASSERT_NE(back, nullptr);
    EXPECT_FLOAT_EQ(back->min.y, 900 - 80);

    // 19 skins on 10 lines run past the bottom of the list, which ends above Back.
    const ProbeItem* list = itemList();
    ASSERT_NE(list, nullptr);
    EXPECT_LE(list->max.y, back->min.y);
    const std::vector<SkinInfo>& skins = skinCatalog();
    ASSERT_EQ(skins.size(), 19u);
    const ProbeItem* last = probeFindItem(skins.back().name);
    ASSERT_NE(last, nullptr);
    EXPECT_GT(last->max.y, list->max.y);
    const ProbeItem* first = probeFindItem(skins.front().name);
    ASSERT_NE(first, nullptr);
    EXPECT_NEAR(last->min.y - first->min.y, 9 * (64 + ImGui::GetStyle().ItemSpacing.y), 0.5);

    ASSERT_TRUE(f.ui.click("Back"));
    EXPECT_EQ(f.app.screen, ScreenHome);
}

TEST(ArmoryScreen, NarrowPanelKeepsThreeTabsAndTwoColumns) {
    for (float width : {1600.0f, 900.0f}) {
        SCOPED_TRACE(width);
        Armory f(width, 700);
        const float pw = std::min(0.46f * width, 600.0f);
        const float tab = (pw - 64 - 16) / 3;
        const ProbeItem* guns = probeFindItem("Guns");
        const ProbeItem* skins = probeFindItem("Skins");
        const ProbeItem* maps = probeFindItem("Maps");
        ASSERT_TRUE(guns && skins && maps);
        for (const ProbeItem* t : {guns, skins, maps}) EXPECT_NEAR(t->max.x - t->min.x, tab, 0.5);
        EXPECT_FLOAT_EQ(skins->min.y, guns->min.y);
        EXPECT_FLOAT_EQ(maps->min.y, guns->min.y);
        EXPECT_LE(maps->max.x, pw);

        // Wasp-9 and Bulldog .44 share the first line, equally wide.
        const ProbeItem* a = probeFindItem("Wasp-9");
        const ProbeItem* b = probeFindItem("Bulldog .44");
        ASSERT_TRUE(a && b);
        EXPECT_FLOAT_EQ(a->min.y, b->min.y);
        EXPECT_NEAR(a->max.x - a->min.x, b->max.x - b->min.x, 0.5);
        EXPECT_NEAR(b->min.x - a->max.x, 12, 0.5);
        EXPECT_LE(b->max.x, pw);
    }
}

}  // namespace
