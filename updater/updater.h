#pragma once
#include <string>

namespace updater {

// Result of the update check.
struct UpdateInfo {
    bool available = false;
    std::string version;
    std::string url;
    std::string sha256;
    std::string notes;
};

// Install state: 0 idle, 1 installing, 2 installed, 3 failed.
enum UpdateState : int { UpdateIdle = 0, UpdateInstalling = 1, UpdateInstalled = 2, UpdateFailed = 3 };

// The program's own version.
inline constexpr const char* kVersion = "2.1.1";

}  // namespace updater

namespace updater {

// The update check and install, as the home screen polls them. The check itself is not
// built yet: it never runs, so it never reports finished and no offer is shown.
bool updateCheckFinished();
UpdateInfo getUpdateInfo();
int updateState();
std::string updateMessage();
void installAsync();

}  // namespace updater
