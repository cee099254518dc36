#pragma once
// The Armory catalogues (guns, skins, maps) and the progression rules: XP per round and
// the level curve that unlocks skins and maps.
#include <cstdint>
#include <string>
#include <vector>

struct GunInfo {
    const char* id;  // also the model's name in the model pack
    const char* name;
    const char* gunClass;
    const char* description;
    int32_t scoped;     // 1 = right-click zooms
    int32_t soundKind;  // 0 pistol, 1 rifle, 2 sniper shot sound
};

struct SkinInfo {
    const char* id;
    const char* name;
    const char* category;
    int32_t pattern;     // the gun shader's uPattern
    float colors[4][3];  // colours A..D; unused ones are 0
    int32_t unlockLevel;
};

enum SkyKind : int32_t { SkyIndoor = 0, SkyOpenAir = 1, SkyRetro = 2 };

struct MapInfo {
    const char* id;
    const char* name;
    const char* description;
    int32_t unlockLevel;
    float roomColors[6][3];  // wall, floor, ceiling, grid line, major grid line, trim
    int32_t sky;             // SkyKind
    float skyColors[3][3];   // sky top, sky bottom, sun
    float minorScale;
    float majorScale;
};

const std::vector<GunInfo>& gunCatalog();
const std::vector<SkinInfo>& skinCatalog();
const std::vector<MapInfo>& mapCatalog();

// Index of the row with exactly this id; 0 (the first row) when none has it.
int32_t gunIndexById(const std::string& id);
int32_t skinIndexById(const std::string& id);
int32_t mapIndexById(const std::string& id);

// The gun with this id zooms on right-click (an unknown id is the first row's gun).
bool gunIsScoped(const std::string& id);

inline constexpr int32_t kMaxLevel = 99;

// Total XP at which `level` starts (0 below level 2).
int64_t xpForLevel(int32_t level);
// Level 1..99 reached with this much XP.
int32_t levelForXp(int64_t xp);

// XP one finished round earns: 10 + 6 per kill + 60 x the tracking on-target ratio
// (rounded half away from zero), 10 more for a scoped round (zoom > 1).
int32_t roundXp(int32_t kills, double onTargetRatio, double zoom);
// Names of the skins (then the maps) that unlock above oldLevel up to newLevel, as
// "Desert skin, Urban skin, Desert Range map".
std::string unlockText(int32_t oldLevel, int32_t newLevel);
