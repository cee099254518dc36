#pragma once
// Read-only access to the Windows registry. Linux has no registry: every key fails to open,
// except that the Steam folder query (HKEY_CURRENT_USER "Software\Valve\Steam", value
// "SteamPath") is answered with Steam's native folder (~/.local/share/Steam, else
// ~/.steam/steam) when one exists, so a Linux player's Steam library is found.
#include <cstdint>
#include <string>

namespace plat {

enum RegHive : int32_t { RegCurrentUser = 1, RegLocalMachine = 2 };

// View flags as Windows defines them (0: the process's own view).
inline constexpr uint32_t kRegView64 = 0x100;
inline constexpr uint32_t kRegView32 = 0x200;

// Value types as Windows defines them.
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;

// Longest value and subkey name read, in UTF-16 units (terminator not counted).
inline constexpr size_t kRegValueUnits = 2047;
inline constexpr size_t kRegNameUnits = 511;

struct RegKey {
    void* handle = nullptr;
    int32_t hive = 0;
    std::string path;  // used by the Linux answers
};

struct RegValue {
    uint32_t type = 0;
    std::u16string data;  // the stored units as they are, terminators included
};

// Opens a key for reading (KEY_READ plus the view flags); true on success. Close it with
// regCloseKey.
bool regOpenKey(RegHive hive, const std::string& subKey, uint32_t viewFlags, RegKey& key);
void regCloseKey(RegKey& key);

// The name of the subkey at an index (from 0); false for the first index past the last
// one, or when the name does not fit kRegNameUnits.
bool regEnumSubKey(const RegKey& key, uint32_t index, std::string& name);

// Reads a value of any type; false when it is missing or longer than kRegValueUnits.
bool regQueryValue(const RegKey& key, const std::string& valueName, RegValue& value);

}  // namespace plat
