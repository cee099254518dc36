#include "platform/folders.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace plat {

namespace {

bool userDir(const char* key, const char* fallback, std::string& path) {
    const char* home = std::getenv("HOME");
    if (!home || !*home) return false;
    const std::string h = home;
    const char* xdgConfig = std::getenv("XDG_CONFIG_HOME");
    std::string config = xdgConfig && *xdgConfig ? std::string(xdgConfig) : h + "/.config";
    std::ifstream in(config + "/user-dirs.dirs", std::ios::binary);
    std::string fromConfig;
    if (in) {
        std::stringstream text;
        text << in.rdbuf();
        fromConfig = userDirFromConfig(text.str(), key, h);
    }
    path = fromConfig.empty() ? h + "/" + fallback : fromConfig;
    return true;
}

}  // namespace

bool documentsFolder(std::string& path) { return userDir("XDG_DOCUMENTS_DIR", "Documents", path); }

bool picturesFolder(std::string& path) { return userDir("XDG_PICTURES_DIR", "Pictures", path); }

}  // namespace plat
