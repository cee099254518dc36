#include "core/catalog/armory.h"

#include <cmath>

namespace {

template <typename Row>
int32_t indexById(const std::vector<Row>& rows, const std::string& id) {
    for (size_t i = 0; i < rows.size(); ++i)
        if (id == rows[i].id) return static_cast<int32_t>(i);
    return 0;
}

}  // namespace

const std::vector<GunInfo>& gunCatalog() {
    static const std::vector<GunInfo> rows = {
        {"wasp", "Wasp-9", "Pistol", "Compact sidearm. Light, snappy, quick to the target.", 0, 0},
        {"bulldog", "Bulldog .44", "Revolver", "Six shots of old-school stopping power.", 0, 0},
        {"hornet", "Hornet SMG", "Submachine gun", "Small, fast and loud.", 0, 1},
        {"halberd", "Halberd AR", "Assault rifle", "The all-rounder.", 0, 1},
        {"breacher", "Breacher 12", "Shotgun", "Pump-action. Up close and personal.", 0, 2},
        {"longbow", "Longbow .338", "Sniper rifle",
         "Bolt-action sniper. Right-click to scope in Practice and the Scope Check.", 1, 2},
        {"kingfisher", "Kingfisher .50", "Sniper rifle", "Heavy anti-materiel sniper. Right-click to scope.", 1, 2},
    };
    return rows;
}

const std::vector<SkinInfo>& skinCatalog() {
    static const std::vector<SkinInfo> rows = {
        {"factory", "Factory", "Original", 0, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, 1},
        {"matte", "Matte Black", "Finish", 1, {{0.1f, 0.105f, 0.11f}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, 1},
        {"woodland", "Woodland", "Camo", 2,
         {{0.33f, 0.38f, 0.22f}, {0.27f, 0.2f, 0.12f}, {0.08f, 0.08f, 0.07f}, {0.58f, 0.55f, 0.38f}}, 1},
        {"desert", "Desert", "Camo", 2,
         {{0.76f, 0.66f, 0.47f}, {0.62f, 0.5f, 0.33f}, {0.45f, 0.34f, 0.22f}, {0.86f, 0.79f, 0.62f}}, 2},
        {"urban", "Urban", "Camo", 2,
         {{0.55f, 0.56f, 0.58f}, {0.33f, 0.34f, 0.36f}, {0.12f, 0.12f, 0.13f}, {0.78f, 0.78f, 0.79f}}, 2},
        {"arctic", "Arctic Digital", "Digital camo", 3,
         {{0.88f, 0.9f, 0.92f}, {0.66f, 0.7f, 0.74f}, {0.42f, 0.46f, 0.52f}, {0.25f, 0.27f, 0.3f}}, 3},
        {"mountain", "Mountain Blend", "Camo", 5,
         {{0.55f, 0.5f, 0.36f}, {0.4f, 0.4f, 0.26f}, {0.33f, 0.24f, 0.15f}, {0.78f, 0.72f, 0.56f}}, 3},
        {"digiwood", "Digital Woodland", "Digital camo", 3,
         {{0.36f, 0.4f, 0.26f}, {0.24f, 0.3f, 0.17f}, {0.28f, 0.21f, 0.13f}, {0.07f, 0.08f, 0.06f}}, 4},
        {"tiger", "Tiger Stripe", "Camo", 4, {{0.36f, 0.4f, 0.23f}, {0.06f, 0.06f, 0.05f}, {0.3f, 0.22f, 0.12f}, {0, 0, 0}},
         4},
        {"redtiger", "Red Tiger", "Camo", 4, {{0.9f, 0.42f, 0.1f}, {0.05f, 0.04f, 0.04f}, {0.7f, 0.18f, 0.08f}, {0, 0, 0}},
         5},
        {"jungle", "Jungle", "Camo", 2,
         {{0.2f, 0.42f, 0.18f}, {0.1f, 0.25f, 0.1f}, {0.42f, 0.55f, 0.2f}, {0.05f, 0.1f, 0.05f}}, 5},
        {"carbon", "Carbon", "Finish", 6, {{0.09f, 0.09f, 0.1f}, {0.2f, 0.21f, 0.23f}, {0.85f, 0.15f, 0.15f}, {0, 0, 0}}, 6},
        {"navy", "Navy Digital", "Digital camo", 3,
         {{0.2f, 0.27f, 0.42f}, {0.12f, 0.17f, 0.3f}, {0.36f, 0.45f, 0.6f}, {0.06f, 0.08f, 0.14f}}, 6},
        {"neon", "Neon Pulse", "Finish", 7, {{0.04f, 0.05f, 0.07f}, {0.1f, 0.95f, 0.95f}, {0.95f, 0.2f, 0.85f}, {0, 0, 0}},
         7},
        {"hive", "Hive", "Finish", 10, {{0.95f, 0.68f, 0.12f}, {0.3f, 0.18f, 0.05f}, {0, 0, 0}, {0, 0, 0}}, 8},
        {"sunset", "Sunset", "Finish", 11, {{0.98f, 0.4f, 0.45f}, {0.98f, 0.7f, 0.25f}, {0, 0, 0}, {0, 0, 0}}, 9},
        {"galaxy", "Galaxy", "Finish", 9, {{0.1f, 0.05f, 0.25f}, {0.4f, 0.2f, 0.85f}, {0.95f, 0.95f, 1}, {0, 0, 0}}, 10},
        {"chrome", "Chrome", "Metal", 8, {{0.82f, 0.84f, 0.87f}, {0.62f, 0.64f, 0.68f}, {0, 0, 0}, {0, 0, 0}}, 11},
        {"gold", "Gold Rush", "Metal", 8, {{0.95f, 0.76f, 0.33f}, {0.75f, 0.52f, 0.16f}, {0, 0, 0}, {0, 0, 0}}, 12},
    };
    return rows;
}

const std::vector<MapInfo>& mapCatalog() {
    static const std::vector<MapInfo> rows = {
        {"lab", "The Lab", "Clean grid room \u2014 the classic.", 1,
         {{0.37f, 0.385f, 0.425f}, {0.21f, 0.225f, 0.26f}, {0.3f, 0.315f, 0.35f}, {0.47f, 0.5f, 0.56f},
          {0.25f, 0.66f, 0.74f}, {0.04f, 0.5f, 0.58f}},
         SkyIndoor, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, 1, 5},
        {"midnight", "Midnight", "Dark navy room with neon lines.", 1,
         {{0.1f, 0.12f, 0.22f}, {0.06f, 0.07f, 0.13f}, {0.07f, 0.08f, 0.15f}, {0.2f, 0.24f, 0.42f},
          {0.85f, 0.25f, 0.8f}, {0.25f, 0.85f, 0.95f}},
         SkyIndoor, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, 1, 4},
        {"desert", "Desert Range", "Open-air range under a big sky.", 2,
         {{0, 0, 0}, {0.8f, 0.64f, 0.44f}, {0, 0, 0}, {0.55f, 0.44f, 0.3f}, {0.48f, 0.36f, 0.22f}, {0, 0, 0}},
         SkyOpenAir, {{0.24f, 0.48f, 0.82f}, {0.8f, 0.82f, 0.84f}, {1, 0.93f, 0.78f}}, 2, 10},
        {"arctic", "Arctic Base", "Bright white bunker. Easy on the eyes.", 3,
         {{0.78f, 0.82f, 0.86f}, {0.66f, 0.71f, 0.76f}, {0.72f, 0.76f, 0.8f}, {0.62f, 0.68f, 0.74f},
          {0.3f, 0.55f, 0.8f}, {0.35f, 0.65f, 0.95f}},
         SkyIndoor, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, 1, 5},
        {"synthwave", "Synthwave", "Retro sunset and a glowing grid.", 5,
         {{0, 0, 0}, {0.06f, 0.02f, 0.1f}, {0, 0, 0}, {0.85f, 0.15f, 0.75f}, {0.25f, 0.85f, 0.95f}, {0, 0, 0}},
         SkyRetro, {{0.1f, 0.03f, 0.22f}, {0.95f, 0.35f, 0.45f}, {1, 0.8f, 0.3f}}, 2, 10},
        {"jungle", "Jungle Outpost", "Green camp walls and a mossy floor.", 7,
         {{0.24f, 0.32f, 0.22f}, {0.17f, 0.21f, 0.14f}, {0.2f, 0.26f, 0.18f}, {0.32f, 0.42f, 0.28f},
          {0.7f, 0.78f, 0.35f}, {0.85f, 0.75f, 0.3f}},
         SkyIndoor, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, 1, 5},
    };
    return rows;
}

int32_t gunIndexById(const std::string& id) { return indexById(gunCatalog(), id); }

bool gunIsScoped(const std::string& id) { return gunCatalog()[static_cast<size_t>(gunIndexById(id))].scoped != 0; }
int32_t skinIndexById(const std::string& id) { return indexById(skinCatalog(), id); }
int32_t mapIndexById(const std::string& id) { return indexById(mapCatalog(), id); }

int64_t xpForLevel(int32_t level) {
    if (level < 2) return 0;
    const int64_t l = level;
    return 300 * (l - 1) + 100 * (l - 1) * (l - 2);
}

int32_t levelForXp(int64_t xp) {
    for (int32_t level = 1; level < kMaxLevel; ++level)
        if (xpForLevel(level + 1) > xp) return level;
    return kMaxLevel;
}

int32_t roundXp(int32_t kills, double onTargetRatio, double zoom) {
    // lround: half away from zero, whatever the rounding mode.
    int32_t gain = 10 + 6 * kills + static_cast<int32_t>(std::lround(60.0 * onTargetRatio));
    if (zoom > 1) gain += 10;
    return gain;
}

std::string unlockText(int32_t oldLevel, int32_t newLevel) {
    std::string text;
    auto add = [&text](const char* name, const char* what) {
        if (!text.empty()) text += ", ";
        text += name;
        text += what;
    };
    for (const SkinInfo& skin : skinCatalog())
        if (skin.unlockLevel > oldLevel && skin.unlockLevel <= newLevel) add(skin.name, " skin");
    for (const MapInfo& map : mapCatalog())
        if (map.unlockLevel > oldLevel && map.unlockLevel <= newLevel) add(map.name, " map");
    return text;
}
