#pragma once
#include <string>

namespace plat {

// The separator the platform's own paths use ('/' on Linux, '\\' on Windows).
char pathSeparator();

// a + separator + b (no separator added when a is empty or already ends with one).
std::string joinPath(const std::string& a, const std::string& b);

// The value of an environment variable; found = false when it is not set.
std::string getEnv(const char* name, bool* found = nullptr);

// The interactive data folder: on Windows %APPDATA%\Tarvion (without the variable, the
// shell's roaming application-data folder, else .\Tarvion); on Linux $APPDATA/Tarvion when
// APPDATA is set (tests set it), else $XDG_DATA_HOME/Tarvion, else ~/.local/share/Tarvion,
// else ./Tarvion.
std::string defaultDataFolder();

// Creates one folder level; true when it exists afterwards.
bool makeFolder(const std::string& path);
// Creates every missing level; true when the folder exists afterwards.
bool makeFolders(const std::string& path);

bool fileExists(const std::string& path);
bool folderExists(const std::string& path);

}  // namespace plat
