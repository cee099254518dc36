#include "platform/system/exe.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/base/atomic_file.h"

extern char** environ;

namespace plat {

std::string runningExecutablePath() {
    std::vector<char> buffer(4096);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return std::string();
        if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<size_t>(n));
        if (buffer.size() >= 65536) return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

std::string executableMagic() { return std::string("\x7f" "ELF", 4); }

bool markExecutable(const std::string& path) {
    struct stat st{};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    mode_t mode = st.st_mode & 07777;
    if (mode & S_IRUSR) mode |= S_IXUSR;
    if (mode & S_IRGRP) mode |= S_IXGRP;
    if (mode & S_IROTH) mode |= S_IXOTH;
    return chmod(path.c_str(), mode) == 0;
}

bool moveExecutable(const std::string& from, const std::string& to) { return replaceFile(from, to); }

bool launchExecutable(const std::string& path) {
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return false;
    // Keep stdin/out/err; our sockets, locks and files stay ours.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    std::string arg0 = path;
    char* argv[] = {arg0.data(), nullptr};
    pid_t pid = 0;
    int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0;
}

}  // namespace plat
