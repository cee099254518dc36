#pragma once
// The four places installed games are read from (Steam's library files, Epic Games'
// manifests, Riot's records, the uninstall registry) and the small readers they share.
// Everything is read-only. What is read comes through ScanInputs, so a scan can run over
// fixture folders and an in-memory registry as well as over the machine itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "integration/detection.h"
#include "platform/base/registry.h"

// Registry keys held in memory, for a scan of another machine's registry.
struct RegistrySnapshotKey {
    plat::RegHive hive = plat::RegLocalMachine;
    uint32_t view = plat::kRegView64;  // kRegView64 or kRegView32; ignored under HKEY_CURRENT_USER
    std::string path;                  // e.g. "SOFTWARE\Valve\Steam"
    std::vector<std::pair<std::string, plat::RegValue>> values;
};

struct RegistrySnapshot {
    std::vector<RegistrySnapshotKey> keys;  // subkeys enumerate in this order

    // Adds (or extends) a key with one string value of type REG_SZ.
    void setString(plat::RegHive hive, uint32_t view, const std::string& path, const std::string& valueName,
                   const std::string& value);
};

struct ScanInputs {
    const RegistrySnapshot* registry = nullptr;  // null: the machine's own registry
    std::string programData = "C:\\ProgramData";
    // Host folders standing in for Windows drives ('C' -> "/mnt/c"); a path on a drive not
    // listed is passed to the platform layer as it is.
    std::vector<std::pair<char, std::string>> drives;
};

// The machine itself: its registry and its "ProgramData" variable ("C:\ProgramData" when unset).
ScanInputs machineScanInputs();

// detectInstalledGames over the given inputs.
std::vector<DetectedGame> detectInstalledGames(const ScanInputs& inputs);

// The Steam libraries the Steam scan reads (steamLibraries of the Steam folder the registry
// names and of its libraryfolders.vdf), each moved onto the inputs' drives; empty when Steam
// is not installed.
std::vector<std::string> steamLibraryFolders(const ScanInputs& inputs);

void scanSteam(std::vector<DetectedGame>& list, const ScanInputs& inputs);
void scanEpic(std::vector<DetectedGame>& list, const ScanInputs& inputs);
void scanRiot(std::vector<DetectedGame>& list, const ScanInputs& inputs);
void scanUninstallKeys(std::vector<DetectedGame>& list, const ScanInputs& inputs);

// At most the first 4 MiB of a file's bytes; "" when it does not open.
inline constexpr size_t kMaxStoreFileBytes = 4194304;
std::string readWholeFile(const ScanInputs& inputs, const std::string& path);

// A registry string (REG_SZ or REG_EXPAND_SZ, not expanded) cut at its first NUL; true
// when it is not empty. out is left alone on failure.
bool readRegString(const ScanInputs& inputs, plat::RegHive hive, const std::string& subKey,
                   const std::string& valueName, std::string& out, uint32_t viewFlags);

// The value after "key" in Steam's text formats: from the first quote after the quoted
// key, up to the next unescaped quote (a backslash copies the character after it). When
// the closing quote is found its offset goes to *endOut; "" when the key or the opening
// quote is missing.
std::string extractQuotedValue(const std::string& text, const std::string& key, size_t from,
                               size_t* endOut = nullptr);

// Epic's "DisplayName" value: after the quoted key, the first colon, the next quote, up to
// the next quote or the end of the text. No escapes.
std::string readEpicDisplayName(const std::string& text);

// The leading decimal integer of a manifest's appid; 0 when there is none or it does not fit.
int32_t leadingAppId(const std::string& value);

// Steam's library list: the Steam folder, then every "path" of libraryfolders.vdf that is
// not already listed (compared lower-cased), forward slashes turned into backslashes.
std::vector<std::string> steamLibraries(const std::string& steamFolder, const std::string& libraryFoldersText);
