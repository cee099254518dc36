#include "platform/base/process.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <unistd.h>

namespace plat {

namespace {

// The kernel keeps at most this many characters of a command name.
constexpr size_t kCommNameMax = 15;

std::string firstLine(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::getline(in, line);
    return line;
}

std::string argv0FileName(const std::string& pid) {
    std::ifstream in("/proc/" + pid + "/cmdline", std::ios::binary);
    std::string arg;
    std::getline(in, arg, '\0');
    // Wine and Proton keep the Windows path of the executable here.
    size_t cut = arg.find_last_of("/\\");
    return cut == std::string::npos ? arg : arg.substr(cut + 1);
}

}  // namespace

void prepareProcess() { std::signal(SIGXFSZ, SIG_IGN); }

bool runningProcessNames(std::vector<std::string>& names) {
    names.clear();
    DIR* dir = opendir("/proc");
    if (!dir) return false;
    while (dirent* e = readdir(dir)) {
        std::string pid = e->d_name;
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::string name = firstLine("/proc/" + pid + "/comm");
        if (name.empty()) continue;  // gone meanwhile
        if (name.size() == kCommNameMax) {
            std::string full = argv0FileName(pid);
            if (full.size() > name.size() && full.compare(0, name.size(), name) == 0) name = full;
        }
        names.push_back(name);
    }
    closedir(dir);
    return true;
}

bool setEnv(const char* name, const std::string& value) { return setenv(name, value.c_str(), 1) == 0; }

bool unsetEnv(const char* name) { return unsetenv(name) == 0; }

uint32_t currentProcessId() { return static_cast<uint32_t>(getpid()); }

bool processRunning(uint32_t id) {
    // 0 and ids past pid_t would make kill signal a process group, or every process.
    if (id == 0 || id > static_cast<uint32_t>(INT_MAX)) return false;
    // Signal 0 only asks; EPERM: it is there but another user's.
    return kill(static_cast<pid_t>(id), 0) == 0 || errno != ESRCH;
}

}  // namespace plat
