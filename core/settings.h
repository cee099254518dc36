#pragma once
// Rules of single settings, and how saveSettings puts settings.ini in place.
#include <cstddef>
#include <cstdint>
#include <string>

#include "audio/sound.h"

// The sound a hit plays for the hitSound setting: 0 hit_pop, 1 hit_ding, 2 hit_click,
// 3 hit_classic; any other value hit_pop.
SoundId hitSoundOf(int32_t setting);

// How saveSettings puts settings.ini in place, and how an unreadable one is moved aside.
// The defaults are the platform's (a temporary made afresh and flushed, then a rename);
// tests swap them to act out a disk that fails to flush or a folder where the rename
// cannot happen.

struct SettingsFileOps {
    bool (*writeFile)(const std::string& path, const std::string& bytes);
    bool (*replaceFile)(const std::string& from, const std::string& to);
};

SettingsFileOps& settingsFileOps();

// settings.ini is read whole up to this size; a longer one counts as unreadable.
inline constexpr size_t kSettingsMaxBytes = size_t(64) << 20;

// True when the bytes can be read as settings.ini's text (no zero byte: not UTF-16 or UTF-32
// or binary).
bool isSettingsText(const std::string& bytes);

// Where saveSettings writes for the file at `path`: the end of its chain of links, or the
// path itself when it is no link.
std::string settingsSaveTarget(const std::string& path);
