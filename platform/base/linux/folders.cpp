#include "platform/base/folders.h"

#include <cstdlib>

#include "platform/base/files.h"

namespace plat {

namespace {

constexpr size_t kUserDirsMaxBytes = 1 << 20;

bool userDir(const char* key, const char* fallback, std::string& path) {
    const char* home = std::getenv("HOME");
    if (!home || !*home) return false;
    const std::string h = home;
    const char* xdgConfig = std::getenv("XDG_CONFIG_HOME");
    std::string config = xdgConfig && *xdgConfig ? std::string(xdgConfig) : h + "/.config";
    // Through the file layer, so a FIFO or a huge file in its place cannot stall us.
    std::string text, fromConfig;
    if (readFileCapped(config + "/user-dirs.dirs", kUserDirsMaxBytes, text) == ReadResult::Ok)
        fromConfig = userDirFromConfig(text, key, h);
    path = fromConfig.empty() ? h + "/" + fallback : fromConfig;
    return true;
}

}  // namespace

bool documentsFolder(std::string& path) { return userDir("XDG_DOCUMENTS_DIR", "Documents", path); }

bool picturesFolder(std::string& path) { return userDir("XDG_PICTURES_DIR", "Pictures", path); }

bool gamesRunUnderProton() { return true; }

}  // namespace plat
