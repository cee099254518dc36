#pragma once
// Rules of single settings, and how saveSettings puts settings.ini in place.
#include <cstdint>
#include <string>

#include "audio/sound.h"

// The sound a hit plays for the hitSound setting: 0 hit_pop, 1 hit_ding, 2 hit_click,
// 3 hit_classic; any other value hit_pop.
SoundId hitSoundOf(int32_t setting);

// The defaults are the platform's; tests swap them to act out a disk that fails to flush
// or a folder where the rename cannot happen.

struct SettingsFileOps {
    bool (*syncFile)(const std::string& path);
    bool (*replaceFile)(const std::string& from, const std::string& to);
};

SettingsFileOps& settingsFileOps();
