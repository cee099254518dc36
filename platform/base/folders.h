#pragma once
// The user's well-known folders.
#include <string>

namespace plat {

// The Documents (personal) and Pictures folders; false when the system cannot say. On
// Linux from XDG_DOCUMENTS_DIR / XDG_PICTURES_DIR in $XDG_CONFIG_HOME/user-dirs.dirs
// (~/.config when unset), else ~/Documents and ~/Pictures. The folder need not exist.
bool documentsFolder(std::string& path);
bool picturesFolder(std::string& path);

// Whether Windows games run here under Proton, Steam's compatibility layer, and so keep
// their Documents inside a Wine prefix in their Steam library: true on Linux, false on
// Windows.
bool gamesRunUnderProton();

// The value of one XDG_*_DIR entry in the text of a user-dirs.dirs file, with "$HOME"
// expanded; "" when the key is missing or its value is not a quoted "$HOME/..." or
// absolute path.
std::string userDirFromConfig(const std::string& configText, const std::string& key,
                              const std::string& home);

}  // namespace plat
