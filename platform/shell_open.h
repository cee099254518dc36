#pragma once
// Showing a folder to the user in the system's file manager.
#include <string>

namespace plat {

// Opens the folder in the file manager (Explorer's "open" verb; xdg-open on Linux) without
// waiting for it. False when the folder is empty or the opener cannot be started.
bool openFolder(const std::string& path);

}  // namespace plat
