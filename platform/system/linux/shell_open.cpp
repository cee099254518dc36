#include "platform/system/shell_open.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace plat {

OpenResult openExternal(const std::string& target) {
    if (target.empty() || target[0] == '-') return OpenResult::Failed;
    char opener[] = "xdg-open";
    std::string arg = target;
    char* argv[] = {opener, arg.data(), nullptr};
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, opener, nullptr, nullptr, argv, environ);
    if (error == ENOENT) return OpenResult::NoOpener;
    if (error != 0) return OpenResult::Failed;
    // Reaped in the background, so the opener leaves no zombie and the UI does not wait.
    std::thread([pid] {
        int status = 0;
        waitpid(pid, &status, 0);
    }).detach();
    return OpenResult::Opened;
}

}  // namespace plat
