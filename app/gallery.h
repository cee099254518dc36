#pragma once
// --gallery: photographs every gun in the Armory and in first-person view, every skin, and
// six fixed map, gun and skin combinations inside a round, then ends the program.
#include <cstdint>
#include <string>

struct App;

struct GalleryState {
    int32_t phase = 0;  // 0 Armory guns, 1/2 first-person set-up/capture, 3 skins, 4/5 combinations
    int32_t index = 0;  // item within the phase
    int32_t wait = 0;   // passes still to skip
};

// One pass of the process's own sequencer, and of a given one (tests drive their own).
void galleryStep(App& app);
void galleryStep(App& app, GalleryState& state);

// One fixed combination of the last phase.
struct GalleryCombo {
    const char* map;
    const char* gun;
    const char* skin;
};
inline constexpr GalleryCombo kGalleryCombos[] = {
    {"desert", "halberd", "desert"},  {"synthwave", "kingfisher", "neon"}, {"lab", "wasp", "factory"},
    {"midnight", "hornet", "tiger"},  {"arctic", "breacher", "arctic"},    {"jungle", "longbow", "woodland"},
};
inline constexpr int32_t kGalleryComboCount = 6;

// "prefix" + index (no leading zeros) + "_" + id.
std::string galleryCaptureName(const char* prefix, int32_t index, const std::string& id);
