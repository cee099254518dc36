#include "platform/base/registry.h"

#include <cstdlib>
#include <sys/stat.h>

#include "platform/base/text.h"

namespace plat {

namespace {

// The one key Linux answers: where Steam keeps its files.
const char* const kSteamKey = "Software\\Valve\\Steam";
int steamKeyMarker = 0;

bool isFolder(const std::string& path) {
    struct stat st{};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Steam's native Linux folder, the Flatpak one, or "".
std::string steamFolder() {
    const char* home = std::getenv("HOME");
    if (!home || !*home) return std::string();
    const std::string h = home;
    for (const char* rel : {"/.local/share/Steam", "/.steam/steam", "/.var/app/com.valvesoftware.Steam/.local/share/Steam"})
        if (isFolder(h + rel)) return h + rel;
    return std::string();
}

}  // namespace

bool regOpenKey(RegHive hive, const std::string& subKey, uint32_t viewFlags, RegKey& key) {
    (void)viewFlags;
    if (hive != RegCurrentUser || !equalsIgnoringAsciiCase(subKey, kSteamKey) || steamFolder().empty()) return false;
    key.handle = &steamKeyMarker;
    key.hive = hive;
    key.path = subKey;
    return true;
}

void regCloseKey(RegKey& key) { key = RegKey{}; }

bool regEnumSubKey(const RegKey& key, uint32_t index, std::string& name) {
    (void)key;
    (void)index;
    (void)name;
    return false;
}

bool regQueryValue(const RegKey& key, const std::string& valueName, RegValue& value) {
    if (key.handle != &steamKeyMarker || !equalsIgnoringAsciiCase(valueName, "SteamPath")) return false;
    std::string folder = steamFolder();
    if (folder.empty()) return false;
    std::u16string units = utf8ToUtf16(folder);
    if (units.size() > kRegValueUnits) return false;
    value.type = kRegSz;
    value.data = units + u'\0';
    return true;
}

}  // namespace plat
