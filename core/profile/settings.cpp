// settings.ini: one "key=value" line per setting, in a fixed key order.
#include "core/profile/settings.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <limits>
#include <locale>
#include <random>
#include <sstream>
#include <system_error>
#include <variant>

#include "core/catalog/catalog.h"
#include "core/profile/app.h"
#include "platform/base/atomic_file.h"
#include "platform/base/file_open.h"
#include "platform/base/files.h"
#include "platform/base/paths.h"
#include "platform/base/process.h"
#include "platform/base/text.h"

namespace {

// The game is stored by its catalogue id, not by its index.
struct GameId {};

using Field = std::variant<GameId, int32_t App::*, int64_t App::*, double App::*, float App::*, bool App::*,
                           Rgb App::*, std::string App::*, IdList App::*>;

struct Key {
    const char* name;
    Field field;
};

// A member is stored as itself, except the game, which the file names by its catalogue id.
template <class T>
Field fieldOf(T App::*member) {
    return member;
}
Field fieldOf(int32_t App::*member) { return member == &App::game ? Field{GameId{}} : Field{member}; }

// The keys in file order, from the settings table.
const Key kKeys[] = {
#define TARVION_SETTING_KEY(type, name, value, look, values) {#name, fieldOf(&App::name)},
    TARVION_SETTINGS_FIELDS(TARVION_SETTING_KEY)
#undef TARVION_SETTING_KEY
};

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

void writeValue(std::ostream& out, const App& app, const Field& field) {
    std::visit(Overloaded{
                   // An index outside the catalogue is saved as the row it is shown as.
                   [&](GameId) { out << app.currentGame().id; },
                   [&](bool App::*m) { out << (app.*m ? 1 : 0); },
                   [&](Rgb App::*m) { out << (app.*m)[0] << ' ' << (app.*m)[1] << ' ' << (app.*m)[2]; },
                   [&](auto m) { out << app.*m; },
               },
               field);
}

// Standard stream extraction: leading blanks skipped, the rest of the text ignored, a
// value that does not start with a number reads as 0, an empty one leaves the field alone.
void readValue(App& app, const Field& field, const std::string& value) {
    std::istringstream in(value);
    in.imbue(std::locale::classic());
    std::visit(Overloaded{
                   [&](GameId) { app.game = gameIndexById(value); },
                   [&](std::string App::*m) { app.*m = value; },
                   [&](IdList App::*m) { app.*m = value; },
                   [&](bool App::*m) {
                       int v = app.*m ? 1 : 0;
                       in >> v;
                       app.*m = v != 0;
                   },
                   [&](Rgb App::*m) { in >> (app.*m)[0] >> (app.*m)[1] >> (app.*m)[2]; },
                   [&](auto m) { in >> app.*m; },
               },
               field);
}

// Every setting's default, from the settings table.
struct SettingDefaults {
#define TARVION_DEFAULT_SETTING(type, name, value, look, values) type name = value;
    TARVION_SETTINGS_FIELDS(TARVION_DEFAULT_SETTING)
#undef TARVION_DEFAULT_SETTING
};
const SettingDefaults kDefaults;

// The DPIs the program takes.
constexpr double kLowestDpi = 50, kHighestDpi = 64000;

// More counts than any mouse sends in one round (8000 reports a second of 32767 counts each,
// for a whole minute, is 1.6e10).
constexpr double kMostCountsInARound = 1e12;

double smallestCatalogueYaw() {
    double smallest = 0;
    for (const GameInfo& row : gameCatalog())
        if (row.yaw > 0 && (smallest == 0 || row.yaw < smallest)) smallest = row.yaw;
    return smallest;
}

// A sensitivity whose eDPI at a DPI the program takes, or whose cm/360 in a game of the
// catalogue, is too large for a double: the screens would read "inf". (0 and below are the
// game's default cm/360.)
bool sensOverflows(double sens) {
    return sens > 0 && (!std::isfinite(kHighestDpi * sens) ||
                        !std::isfinite(cm360FromSens(smallestCatalogueYaw(), sens, kLowestDpi)));
}

// A yaw so small that the in-game value (and its eDPI) of a cm/360 the program plays, at a
// DPI it takes, is too large for a double. (0 and below mean no yaw.)
bool yawOverflows(double yaw) {
    return yaw > 0 && !std::isfinite(kHighestDpi * sensFromCm360(yaw, kMinCm360, kLowestDpi));
}

// A scope multiplier that, in scoped practice (a quarter of the hip-fire turn times the
// multiplier, at most 914.4 / (6 x 50) degrees a count), could turn the view within one round
// past the largest angle a double holds: the view would be lost to infinity. (0 and below
// turn at the hip-fire speed.)
bool scopeTurnOverflows(double multiplier) {
    return multiplier > 0 &&
           !std::isfinite(0.25 * multiplier * kCm360Factor / (kMinCm360 * kLowestDpi) * kMostCountsInARound);
}

// A crosshair thickness the drawing cannot take: the crosshair and Dear ImGui's lines turn
// the width, times the UI scale, into an int (1e8 leaves room for a scale of 20).
bool thicknessOverflows(float thickness) { return thickness >= 1e8f; }

// A colour the Settings screen's colour editor cannot take: it counts each component in
// 255ths in an int (a component of 2^23 or more, either sign, would overflow it).
bool colourOverflows(const Rgb& colour) {
    return std::any_of(colour.begin(), colour.end(), [](float c) { return std::fabs(c) >= 8388608.0f; });
}

bool defaultWrite(const std::string& path, const std::string& bytes) { return plat::writeFreshFile(path, bytes); }
bool defaultReplace(const std::string& from, const std::string& to) { return plat::replaceFile(from, to); }

constexpr size_t kTagDigits = 16;

// This process's part of its temporaries' names, drawn once.
const std::string& processTag() {
    static const std::string tag = [] {
        uint64_t bits = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        try {
            std::random_device device;
            bits ^= (uint64_t(device()) << 32) ^ device();
        } catch (const std::exception&) {
            // No random source: the clock alone still parts copies started at different times.
        }
        char text[kTagDigits + 1];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(bits));
        return std::string(text);
    }();
    return tag;
}

// Reads `name` as a temporary of a save of `base` ("<base>.<id>.<tag>.tmp", as
// settingsTempPath forms it); false for any other name.
bool parseTempName(const std::string& name, const std::string& base, uint32_t& id, std::string& tag) {
    const std::string suffix = ".tmp";
    if (name.size() < base.size() + 1 + suffix.size() || name.compare(0, base.size(), base) != 0 ||
        name[base.size()] != '.' || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    const std::string middle = name.substr(base.size() + 1, name.size() - base.size() - 1 - suffix.size());
    const size_t dot = middle.find('.');
    if (dot == std::string::npos || dot == 0 || dot > 10 || middle[0] == '0') return false;
    uint64_t value = 0;
    for (size_t i = 0; i < dot; ++i) {
        if (middle[i] < '0' || middle[i] > '9') return false;
        value = value * 10 + static_cast<uint64_t>(middle[i] - '0');
    }
    tag = middle.substr(dot + 1);
    if (value > UINT32_MAX || tag.size() != kTagDigits ||
        tag.find_first_not_of("0123456789abcdef") != std::string::npos)
        return false;
    id = static_cast<uint32_t>(value);
    return true;
}

// Removes the temporaries beside `target` that saves of copies killed part-way left behind.
// One whose process still runs is another copy's save in progress and stays: removing it
// would make that save fail.
void removeLeftTemporaries(const std::string& target) {
    const std::filesystem::path p = plat::fsPath(target);
    const std::string folder = plat::utf8Path(p.parent_path());
    const std::string base = plat::utf8Path(p.filename());
    const uint32_t self = plat::currentProcessId();
    for (const plat::FileEntry& entry : plat::findFiles(plat::joinPath(folder, base + ".*.tmp"))) {
        uint32_t id = 0;
        std::string tag;
        if (entry.isFolder || !parseTempName(entry.name, base, id, tag)) continue;
        // This process's id with another tag: left by an earlier process that had the same id.
        const bool live = id == self ? tag == processTag() : plat::processRunning(id);
        if (!live) plat::deleteFile(plat::joinPath(folder, entry.name));
    }
}

}  // namespace

SoundId hitSoundOf(int32_t setting) {
    switch (setting) {
        case 1: return SoundHitDing;
        case 2: return SoundHitClick;
        case 3: return SoundHitClassic;
        default: return SoundHitPop;
    }
}

SettingValues anyValue() {
    SettingValues v;
    v.any = true;
    return v;
}

SettingValues inRange(double lo, double hi, std::vector<double> others) {
    SettingValues v;
    v.lo = lo;
    v.hi = hi;
    v.others = std::move(others);
    return v;
}

SettingValues oneOf(std::vector<double> values) { return inRange(1, 0, std::move(values)); }

SettingValues anyPositive() {
    return inRange(std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max());
}

SettingValues zeroOrPositive() { return inRange(0, std::numeric_limits<double>::max()); }

SettingValues settingIds(SettingIdKind kind) {
    SettingValues v;
    v.ids = kind;
    return v;
}

bool settingAllows(const SettingValues& values, double value) {
    if (values.any) return true;
    if (values.ids == SettingIdKind::Game)
        return value >= 0 && value < static_cast<double>(gameCatalog().size()) && value == std::floor(value);
    if (value >= values.lo && value <= values.hi) return true;
    return std::find(values.others.begin(), values.others.end(), value) != values.others.end();
}

SettingsFileOps& settingsFileOps() {
    static SettingsFileOps ops{defaultWrite, defaultReplace};
    return ops;
}

bool isSettingsText(const std::string& bytes) {
    // UTF-16 or UTF-32 (every ASCII character comes with a zero byte) or some binary file:
    // reading it as lines would only lose every setting.
    return bytes.find('\0') == std::string::npos;
}

std::string settingsSaveTarget(const std::string& path) {
    std::error_code ec;
    std::filesystem::path p = plat::fsPath(path);
    // A link to a link is followed too, up to the depth the system itself would follow.
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(p, ec); ++hops) {
        const std::filesystem::path next = std::filesystem::read_symlink(p, ec);
        if (ec) break;
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return plat::utf8Path(p);
}

std::string settingsTempPath(const std::string& target) {
    return target + "." + std::to_string(plat::currentProcessId()) + "." + processTag() + ".tmp";
}

std::string App::settingsPath() const { return plat::joinPath(dataDir, "settings.ini"); }

// Moves an unreadable settings.ini aside, to the first free name of settings.ini.unreadable,
// settings.ini.unreadable.1, ...; false (the file untouched) when that cannot be done.
bool App::keepUnreadableSettings() {
    const std::string path = settingsPath();
    for (int n = 0; n < 1000; ++n) {
        const std::string name = n == 0 ? "settings.ini.unreadable" : "settings.ini.unreadable." + std::to_string(n);
        const std::string kept = plat::joinPath(dataDir, name);
        std::error_code ec;
        if (std::filesystem::exists(std::filesystem::symlink_status(plat::fsPath(kept), ec))) continue;
        if (!settingsFileOps().replaceFile(path, kept)) return false;
        settingsUnreadablePending = false;
        settingsNoticeTitle = "Your settings could not be read";
        settingsNotice = "settings.ini could not be read, so it was kept as " + name +
                         " and the default settings are in use.";
        return true;
    }
    return false;
}

void App::loadSettings() {
    const std::string path = settingsPath();
    if (!plat::fileAttributes(path)) return;  // no file: the defaults, created at the next save
    std::string bytes;
    // The file layer reads only a regular file and never waits on the open.
    const plat::ReadResult read = plat::readFileCapped(path, kSettingsMaxBytes, bytes);
    if (read != plat::ReadResult::Ok || !isSettingsText(bytes)) {
        // There, but not readable as text (no permission, UTF-16, a folder...): the defaults
        // stay, and the file is kept under another name before anything is saved over it.
        settingsUnreadablePending = true;
        if (!keepUnreadableSettings()) {
            // Nothing will be saved over it either, so every change of this run is lost.
            settingsNoticeTitle = "Your settings could not be read";
            settingsNotice = "settings.ini could not be read and could not be set aside, so the default settings "
                             "are in use and changes will not be saved. The file: " +
                             path;
        }
        return;
    }
    // A byte-order mark would otherwise become part of the first key.
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    std::istringstream in(bytes);
    std::string line;
    while (std::getline(in, line)) {
        // A file edited on Windows reads the same as one with plain line ends.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        for (const Key& k : kKeys)
            if (key == k.name) {
                readValue(*this, k.field, value);
                break;
            }
    }
    // Three settings are put right here; every other value is taken as read and met where it
    // is used (an unknown gun shows the first one, a cm/360 outside 6..200 plays at its end).
    if (!(dpi >= kLowestDpi && dpi <= kHighestDpi)) dpi = kDefaults.dpi;
    if (game < 0 || static_cast<size_t>(game) >= gameCatalog().size()) game = kDefaults.game;
    if (static_cast<uint32_t>(length) > 2) length = kDefaults.length;
    // A cap of 1 to 29 frames a second would run rounds and menus at that rate (0 and below
    // mean no cap).
    if (fpsCap >= 1 && fpsCap < 30) fpsCap = kDefaults.fpsCap;
    // Values no use could take go back to their defaults too: they would show "inf", lose the
    // view or overflow the drawing ("1e999" reads as the largest number, "1e-320" as one far
    // below any real value).
    if (sensOverflows(sens)) sens = kDefaults.sens;
    if (yawOverflows(customYaw)) customYaw = kDefaults.customYaw;
    if (yawOverflows(reforgerYaw)) reforgerYaw = kDefaults.reforgerYaw;
    if (scopeTurnOverflows(scopeMult)) scopeMult = kDefaults.scopeMult;
    if (thicknessOverflows(xhThick)) xhThick = kDefaults.xhThick;
    if (colourOverflows(xhColor)) xhColor = kDefaults.xhColor;
    if (colourOverflows(flickColor)) flickColor = kDefaults.flickColor;
    if (colourOverflows(trackColor)) trackColor = kDefaults.trackColor;
    setReforgerYaw(reforgerYaw);
}

void App::saveSettings() {
    if (profileLent) {
        settingsSaveOwed = true;
        return;
    }
    // An unreadable file that could not be moved aside yet is never written over (the home
    // screen has said so).
    if (settingsUnreadablePending && !keepUnreadableSettings()) return;
    // Through a link, the link's target takes the new settings and the link stays a link.
    const std::string link = settingsPath();
    const std::string path = settingsSaveTarget(link);
    std::ostringstream out;
    out.imbue(std::locale::classic());
    for (const Key& k : kKeys) {
        out << k.name << '=';
        writeValue(out, *this, k.field);
        out << '\n';
    }
    // Only a complete, flushed copy replaces the old file: a crash or a full disk part-way
    // through keeps the previous settings. The temporary's name is this process's alone, so
    // a second copy saving at the same moment never takes it over.
    const std::string temp = settingsTempPath(path);
    const SettingsFileOps& ops = settingsFileOps();
    if (ops.writeFile(temp, plat::withTextLineEnds(out.str()))) {
        if (ops.replaceFile(temp, path)) {
            removeLeftTemporaries(path);
            return;
        }
        plat::deleteFile(temp);
    }
    // A folder that cannot be written, or a link into a missing one: said once, as every
    // later save of this run fails the same way.
    if (settingsSaveFailureTold) return;
    settingsSaveFailureTold = true;
    settingsNoticeTitle = "Your settings could not be saved";
    settingsNotice = path == link ? "settings.ini could not be written in " + dataDir +
                                        ", so changes to your settings will not be kept."
                                  : "settings.ini links to " + path +
                                        ", which could not be written, so changes to your settings will not be kept.";
}
