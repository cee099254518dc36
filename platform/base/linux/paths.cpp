#include "platform/base/paths.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace plat {

char pathSeparator() { return '/'; }

std::string getEnv(const char* name, bool* found) {
    const char* v = std::getenv(name);
    if (found) *found = v != nullptr;
    return v ? std::string(v) : std::string();
}

std::string defaultDataFolder() {
    bool set = false;
    std::string appdata = getEnv("APPDATA", &set);
    if (set && !appdata.empty()) return joinPath(appdata, "Tarvion");
    std::string xdg = getEnv("XDG_DATA_HOME", &set);
    if (set && !xdg.empty()) return joinPath(xdg, "Tarvion");
    std::string home = getEnv("HOME", &set);
    if (set && !home.empty()) return joinPath(joinPath(joinPath(home, ".local"), "share"), "Tarvion");
    return joinPath(".", "Tarvion");
}

bool folderExists(const std::string& path) {
    struct stat st{};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool fileExists(const std::string& path) {
    struct stat st{};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool makeFolder(const std::string& path) {
    if (path.empty()) return false;
    if (mkdir(path.c_str(), 0755) == 0) return true;
    return errno == EEXIST && folderExists(path);
}

bool makeFolders(const std::string& path) {
    if (path.empty()) return false;
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] == '/') makeFolder(path.substr(0, i));
    }
    return makeFolder(path);
}

}  // namespace plat
