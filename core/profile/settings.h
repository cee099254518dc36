#pragma once
// Rules of single settings, and how saveSettings puts settings.ini in place.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/catalog/sound.h"

// The catalogue whose ids a setting names.
enum class SettingIdKind { None, Game, Gun, Skin, Map };

// The values the program's own controls offer for one setting (the last column of the
// settings table): any value, a closed range (for a colour: of each component) with some
// single values besides, the offered values alone, or the ids of one catalogue (for the
// game: its rows). A hand-edited settings.ini may hold others; loading takes them as read
// (see App::loadSettings).
struct SettingValues {
    bool any = false;
    double lo = 1, hi = 0;       // the closed range lo..hi; none when lo > hi
    std::vector<double> others;  // values offered besides the range
    SettingIdKind ids = SettingIdKind::None;
};

SettingValues anyValue();
SettingValues inRange(double lo, double hi, std::vector<double> others = {});
SettingValues oneOf(std::vector<double> values);
// Every number above 0 (a sensitivity, a yaw), or 0 and above (a yaw not measured yet, XP).
SettingValues anyPositive();
SettingValues zeroOrPositive();
SettingValues settingIds(SettingIdKind kind);

// Whether a number lies among the values (a NaN never does).
bool settingAllows(const SettingValues& values, double value);

// The sound a hit plays for the hitSound setting: 0 hit_pop, 1 hit_ding, 2 hit_click,
// 3 hit_classic; any other value hit_pop.
SoundId hitSoundOf(int32_t setting);

// How saveSettings puts settings.ini in place, and how an unreadable one is moved aside.
// The defaults are the platform's (a temporary made afresh and flushed, then a rename);
// tests swap them to act out a disk that fails to flush, a folder where the rename cannot
// happen, or a copy that is killed part-way.

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

// The temporary that a save of this process writes before moving it over `target`:
// target + "." + the process id + "." + 16 hex digits drawn once per process + ".tmp".
// Each copy of the program has its own, so where two copies run on one profile (a folder
// whose filesystem refuses the profile lock) neither ever moves the other's unfinished file
// into place. A successful save removes the temporaries beside the target that no running
// process can still be writing (their copy was killed part-way); the digits keep apart two
// copies whose ids coincide.
std::string settingsTempPath(const std::string& target);
