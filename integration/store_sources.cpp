#include "integration/store_sources.h"

#include "core/catalog/catalog.h"
#include "platform/base/files.h"
#include "platform/base/paths.h"
#include "platform/base/text.h"

namespace {

bool contains(const std::string& text, const char* word) { return text.find(word) != std::string::npos; }

// A path on a drive the inputs map onto a host folder, moved there.
std::string onHost(const ScanInputs& inputs, const std::string& path) {
    if (path.size() >= 2 && path[1] == ':')
        for (const auto& [letter, folder] : inputs.drives)
            if (plat::asciiLower(letter) == plat::asciiLower(path[0])) return folder + path.substr(2);
    return path;
}

bool fileOrFolderExists(const ScanInputs& inputs, const std::string& path) {
    return plat::fileAttributes(onHost(inputs, path));
}

// ---- Registry through the inputs: the machine's or a snapshot ---------------------------

uint32_t snapshotView(plat::RegHive hive, uint32_t viewFlags) {
    if (hive == plat::RegCurrentUser) return 0;
    return (viewFlags & plat::kRegView32) ? plat::kRegView32 : plat::kRegView64;
}

bool samePath(const std::string& a, const std::string& b) { return lowered(a) == lowered(b); }

struct OpenedKey {
    plat::RegKey live;
    std::vector<const RegistrySnapshotKey*> snapshotKeys;  // the key itself, possibly listed in parts
    std::vector<std::string> snapshotChildren;
};

bool openKey(const ScanInputs& inputs, plat::RegHive hive, const std::string& path, uint32_t viewFlags,
             OpenedKey& key) {
    if (!inputs.registry) return plat::regOpenKey(hive, path, viewFlags, key.live);
    const uint32_t view = snapshotView(hive, viewFlags);
    const std::string prefix = lowered(path) + "\\";
    bool exists = false;
    for (const RegistrySnapshotKey& k : inputs.registry->keys) {
        if (k.hive != hive || snapshotView(k.hive, k.view) != view) continue;
        if (samePath(k.path, path)) {
            key.snapshotKeys.push_back(&k);
            exists = true;
            continue;
        }
        const std::string lowerKey = lowered(k.path);
        if (lowerKey.compare(0, prefix.size(), prefix) != 0) continue;
        exists = true;
        std::string child = k.path.substr(prefix.size());
        child = child.substr(0, child.find('\\'));
        bool listed = false;
        for (const std::string& c : key.snapshotChildren)
            if (samePath(c, child)) listed = true;
        if (!listed && !child.empty()) key.snapshotChildren.push_back(child);
    }
    return exists;
}

void closeKey(const ScanInputs& inputs, OpenedKey& key) {
    if (!inputs.registry) plat::regCloseKey(key.live);
}

bool enumSubKey(const ScanInputs& inputs, const OpenedKey& key, uint32_t index, std::string& name) {
    if (!inputs.registry) return plat::regEnumSubKey(key.live, index, name);
    if (index >= key.snapshotChildren.size()) return false;
    name = key.snapshotChildren[index];
    return plat::utf8ToUtf16(name).size() <= plat::kRegNameUnits;
}

bool queryValue(const ScanInputs& inputs, const OpenedKey& key, const std::string& valueName,
                plat::RegValue& value) {
    if (!inputs.registry) return plat::regQueryValue(key.live, valueName, value);
    for (const RegistrySnapshotKey* k : key.snapshotKeys)
        for (const auto& [name, v] : k->values)
            if (samePath(name, valueName)) {
                value = v;
                return true;
            }
    return false;
}

// ---- Steam's appids ---------------------------------------------------------------------

struct AppIdGame {
    int32_t appId;
    const char* id;
};

const AppIdGame kSteamCatalogApps[] = {
    {440, "tf2"},        {730, "cs2"},      {282440, "quake"},  {611500, "quake"},  {1172470, "apex"},
    {1237970, "titanfall2"}, {1874880, "reforger"}, {1938090, "cod"}, {1962663, "cod"}, {2000950, "cod"},
    {2519060, "cod"},    {2933620, "cod"},  {2357570, "ow2"},
};

// Tested after the catalogue table, so its first and last entries never decide.
const int32_t kOtherShooterAppIds[] = {
    1874880, 107410, 221100, 252490, 359550, 578080, 2767030, 2073850, 1422450, 594650, 1085660, 1240440, 1517290,
    271590, 3240220, 393380, 686810, 1144200, 2507950, 581320, 222880, 1238810, 1238840, 1238860, 230410, 2357570,
};

const char* const kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

const char* publisherLabel(const std::string& lowerKey, const std::string& lowerPublisher) {
    if (contains(lowerKey, "steam app")) return "Steam";
    if (contains(lowerPublisher, "blizzard")) return "Battle.net";
    if (contains(lowerPublisher, "electronic arts")) return "EA app";
    if (contains(lowerPublisher, "respawn")) return "EA app";
    if (contains(lowerPublisher, "riot")) return "Riot";
    if (contains(lowerPublisher, "epic")) return "Epic Games";
    if (contains(lowerPublisher, "ubisoft")) return "Ubisoft";
    if (contains(lowerPublisher, "activision")) return "Battle.net";
    return "Installed";
}

}  // namespace

void RegistrySnapshot::setString(plat::RegHive hive, uint32_t view, const std::string& path,
                                 const std::string& valueName, const std::string& value) {
    plat::RegValue v;
    v.type = plat::kRegSz;
    v.data = plat::utf8ToUtf16(value) + u'\0';
    for (RegistrySnapshotKey& k : keys)
        if (k.hive == hive && snapshotView(hive, k.view) == snapshotView(hive, view) && samePath(k.path, path)) {
            k.values.emplace_back(valueName, v);
            return;
        }
    keys.push_back({hive, view, path, {{valueName, v}}});
}

ScanInputs machineScanInputs() {
    ScanInputs inputs;
    bool set = false;
    std::string programData = plat::getEnv("ProgramData", &set);
    if (set) inputs.programData = programData;
    return inputs;
}

std::string readWholeFile(const ScanInputs& inputs, const std::string& path) {
    std::string text;
    if (plat::readFileCapped(onHost(inputs, path), kMaxStoreFileBytes, text) == plat::ReadResult::Failed)
        return std::string();
    return text;
}

bool readRegString(const ScanInputs& inputs, plat::RegHive hive, const std::string& subKey,
                   const std::string& valueName, std::string& out, uint32_t viewFlags) {
    OpenedKey key;
    if (!openKey(inputs, hive, subKey, viewFlags, key)) return false;
    plat::RegValue value;
    bool ok = queryValue(inputs, key, valueName, value);
    closeKey(inputs, key);
    if (!ok || (value.type != plat::kRegSz && value.type != plat::kRegExpandSz)) return false;
    if (value.data.size() > plat::kRegValueUnits) return false;  // would not fit the buffer
    std::u16string units = value.data.substr(0, value.data.find(u'\0'));
    out = plat::utf16ToUtf8(units);
    return !out.empty();
}

std::vector<std::string> steamLibraryFolders(const ScanInputs& inputs) {
    std::string folder;
    if (!readRegString(inputs, plat::RegCurrentUser, "Software\\Valve\\Steam", "SteamPath", folder, 0) &&
        !readRegString(inputs, plat::RegLocalMachine, "SOFTWARE\\WOW6432Node\\Valve\\Steam", "InstallPath", folder,
                       0) &&
        !readRegString(inputs, plat::RegLocalMachine, "SOFTWARE\\Valve\\Steam", "InstallPath", folder, 0))
        return {};
    for (char& c : folder)
        if (c == '/') c = '\\';
    std::vector<std::string> libraries =
        steamLibraries(folder, readWholeFile(inputs, folder + "\\steamapps\\libraryfolders.vdf"));
    for (std::string& library : libraries) library = onHost(inputs, library);
    return libraries;
}

void scanSteam(std::vector<DetectedGame>& list, const ScanInputs& inputs) {
    for (const std::string& library : steamLibraryFolders(inputs)) {
        const std::string apps = library + "\\steamapps\\";
        for (const plat::FileEntry& entry : plat::findFiles(onHost(inputs, apps + "appmanifest_*.acf"))) {
            const std::string text = readWholeFile(inputs, apps + entry.name);
            const int32_t appId = leadingAppId(extractQuotedValue(text, "appid", 0));
            const std::string name = extractQuotedValue(text, "name", 0);
            if (name.empty()) continue;

            int32_t gameIndex = -2;  // -2: of no interest
            for (const AppIdGame& app : kSteamCatalogApps)
                if (app.appId == appId) {
                    gameIndex = gameIndexById(app.id);
                    break;
                }
            if (gameIndex == -2)
                for (int32_t other : kOtherShooterAppIds)
                    if (other == appId) {
                        gameIndex = -1;
                        break;
                    }
            if (gameIndex == -2 && isOtherShooter(lowered(name))) gameIndex = -1;
            if (gameIndex == -2) continue;
            addDetected(list, name, "Steam", gameIndex);
        }
    }
}

void scanEpic(std::vector<DetectedGame>& list, const ScanInputs& inputs) {
    const std::string folder = inputs.programData + "\\Epic\\EpicGamesLauncher\\Data\\Manifests";
    for (const plat::FileEntry& entry : plat::findFiles(onHost(inputs, folder + "\\*.item"))) {
        const std::string value = readEpicDisplayName(readWholeFile(inputs, folder + "\\" + entry.name));
        if (value.empty()) continue;
        const std::string lower = lowered(value);
        const int32_t gameIndex = matchCatalogGame(lower);
        if (gameIndex == -1 && !isOtherShooter(lower)) continue;
        addDetected(list, value, "Epic Games", gameIndex);
    }
}

void scanRiot(std::vector<DetectedGame>& list, const ScanInputs& inputs) {
    const std::string root = inputs.programData;
    const std::string installs = lowered(readWholeFile(inputs, root + "\\Riot Games\\RiotClientInstalls.json"));
    bool installed = contains(installs, "valorant");
    if (!installed) {
        for (const char* folder : {"C:\\Riot Games\\VALORANT", "D:\\Riot Games\\VALORANT", "E:\\Riot Games\\VALORANT"})
            if (fileOrFolderExists(inputs, folder)) installed = true;
    }
    if (!installed) installed = fileOrFolderExists(inputs, root + "\\Riot Games\\Metadata\\valorant.live");
    if (installed) addDetected(list, "VALORANT", "Riot", gameIndexById("valorant"));
}

void scanUninstallKeys(std::vector<DetectedGame>& list, const ScanInputs& inputs) {
    struct Pass {
        plat::RegHive hive;
        uint32_t view;
    };
    const Pass passes[] = {
        {plat::RegLocalMachine, plat::kRegView64},
        {plat::RegLocalMachine, plat::kRegView32},
        {plat::RegCurrentUser, 0},
    };
    for (const Pass& pass : passes) {
        OpenedKey key;
        if (!openKey(inputs, pass.hive, kUninstallKey, pass.view, key)) continue;
        std::string name;
        for (uint32_t index = 0; enumSubKey(inputs, key, index, name); ++index) {
            const std::string sub = std::string(kUninstallKey) + "\\" + name;
            std::string display, publisher;
            if (!readRegString(inputs, pass.hive, sub, "DisplayName", display, pass.view)) continue;
            readRegString(inputs, pass.hive, sub, "Publisher", publisher, pass.view);
            const std::string lowerName = lowered(display);
            const int32_t gameIndex = matchCatalogGame(lowerName);
            if (gameIndex == -1 && !isOtherShooter(lowerName)) continue;
            addDetected(list, display, publisherLabel(lowered(name), lowered(publisher)), gameIndex);
        }
        closeKey(inputs, key);
    }
}
