#include "platform/shell_open.h"

#include <spawn.h>
#include <sys/wait.h>

#include <thread>

extern char** environ;

namespace plat {

bool openFolder(const std::string& path) {
    if (path.empty()) return false;
    char opener[] = "xdg-open";
    std::string target = path;
    char* argv[] = {opener, target.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, opener, nullptr, nullptr, argv, environ) != 0) return false;
    // Reaped in the background, so the opener leaves no zombie and the UI does not wait.
    std::thread([pid] {
        int status = 0;
        waitpid(pid, &status, 0);
    }).detach();
    return true;
}

}  // namespace plat
