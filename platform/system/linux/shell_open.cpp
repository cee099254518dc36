#include "platform/system/shell_open.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "platform/system/linux/spawn_defaults.h"

extern char** environ;

namespace plat {
namespace {

// xdg-open's exit status when no program on the system can open the target.
constexpr int kNoProgramStatus = 3;
// A desktop-less xdg-open runs the file manager in the foreground and exits only with it;
// one still running after this long has started a program.
constexpr auto kVerdictAfter = std::chrono::seconds(5);

struct Watch {
    std::chrono::steady_clock::time_point started;
    OpenResult outcome = OpenResult::Pending;
};

struct Watches {
    std::mutex mutex;
    std::map<uint64_t, Watch> byId;
    uint64_t next = 1;
};

// Never destroyed: a reaper thread may still report after main has returned.
Watches& watches() {
    static Watches* w = new Watches;
    return *w;
}

OpenResult outcomeOfStatus(int status) {
    if (WIFEXITED(status)) {
        if (WEXITSTATUS(status) == 0) return OpenResult::Opened;
        if (WEXITSTATUS(status) == kNoProgramStatus) return OpenResult::NoOpener;
    }
    return OpenResult::Failed;
}

}  // namespace

OpenResult openExternal(const std::string& target, uint64_t* watch) {
    if (watch) *watch = 0;
    if (target.empty() || target[0] == '-') return OpenResult::Failed;
    char opener[] = "xdg-open";
    std::string arg = target;
    char* argv[] = {opener, arg.data(), nullptr};
    pid_t pid = 0;
    const SpawnDefaults defaults;
    const int error = posix_spawnp(&pid, opener, nullptr, defaults.get(), argv, environ);
    if (error == ENOENT) return OpenResult::NoOpener;
    if (error != 0) return OpenResult::Failed;
    uint64_t id = 0;
    if (watch) {
        Watches& w = watches();
        std::lock_guard<std::mutex> lock(w.mutex);
        id = w.next++;
        w.byId[id].started = std::chrono::steady_clock::now();
        *watch = id;
    }
    // Reaped in the background, so the opener leaves no zombie and the UI does not wait.
    std::thread([pid, id] {
        int status = 0;
        const pid_t done = waitpid(pid, &status, 0);
        if (id == 0) return;
        Watches& w = watches();
        std::lock_guard<std::mutex> lock(w.mutex);
        const auto it = w.byId.find(id);
        if (it != w.byId.end()) it->second.outcome = done == pid ? outcomeOfStatus(status) : OpenResult::Failed;
    }).detach();
    return watch ? OpenResult::Pending : OpenResult::Opened;
}

OpenResult openerOutcome(uint64_t watch) {
    Watches& w = watches();
    std::lock_guard<std::mutex> lock(w.mutex);
    const auto it = w.byId.find(watch);
    if (it == w.byId.end()) return OpenResult::Opened;
    OpenResult outcome = it->second.outcome;
    if (outcome == OpenResult::Pending && std::chrono::steady_clock::now() - it->second.started >= kVerdictAfter)
        outcome = OpenResult::Opened;
    if (outcome != OpenResult::Pending) w.byId.erase(it);
    return outcome;
}

}  // namespace plat
