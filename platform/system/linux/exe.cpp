#include "platform/system/exe.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/base/atomic_file.h"
#include "platform/base/files.h"
#include "platform/system/linux/spawn_defaults.h"

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

namespace {

// Names the successor's hand-over: "fd:<fd>:<pid>", its end of a socket pair it sends one
// byte on once it runs, and the process that started it. An older build's restart set it
// to "1" (nothing to tell).
constexpr char kHandOverVariable[] = "TARVION_PROFILE_HANDOVER";
// The successor's end of the socket: the first descriptor after stdin, stdout and stderr.
constexpr int kHandOverFd = 3;

// Starts `path` with no arguments and `env`, keeping only stdin/out/err (and `keepFd` as
// kHandOverFd when it is not -1): our sockets, locks and files stay ours.
bool spawn(const std::string& path, char* const* env, int keepFd, pid_t* pid) {
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return false;
    bool ok = true;
    if (keepFd >= 0) ok = posix_spawn_file_actions_adddup2(&actions, keepFd, kHandOverFd) == 0;
    if (ok) ok = posix_spawn_file_actions_addclosefrom_np(&actions, keepFd >= 0 ? kHandOverFd + 1 : 3) == 0;
    std::string arg0 = path;
    char* argv[] = {arg0.data(), nullptr};
    pid_t child = 0;
    const SpawnDefaults defaults;
    if (ok) ok = posix_spawn(&child, path.c_str(), &actions, defaults.get(), argv, env) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (ok && pid) *pid = child;
    return ok;
}

int64_t msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

bool launchExecutable(const std::string& path) { return spawn(path, environ, -1, nullptr); }

bool keepExecutableAside(const std::string& exe, const std::string& aside) {
    if (link(exe.c_str(), aside.c_str()) != 0) {
        // A folder on a filesystem without links (FAT, some shares) gets a copy instead.
        if (errno != EPERM && errno != EXDEV && errno != ENOTSUP && errno != EMLINK) return false;
        if (!copyFileNoOverwrite(exe, aside)) return false;
    }
    // The new name made durable before the old name is replaced (where the folder can be
    // flushed at all).
    syncFolderOf(aside);
    return true;
}

SuccessorStart launchSuccessor(const std::string& path, int waitMs) {
    // A socket, not a pipe: a send to a launcher that has gone fails instead of raising
    // SIGPIPE in the new program.
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return SuccessorStart::NotStarted;
    // Never at kHandOverFd itself: dup2 onto the same number would keep close-on-exec set.
    const int writeEnd = fcntl(pair[1], F_DUPFD_CLOEXEC, kHandOverFd + 1);
    close(pair[1]);
    const int readEnd = pair[0];
    if (writeEnd < 0) {
        close(readEnd);
        return SuccessorStart::NotStarted;
    }
    // This process's environment with the hand-over, for the successor alone.
    const std::string prefix = std::string(kHandOverVariable) + "=";
    std::vector<std::string> owned{prefix + "fd:" + std::to_string(kHandOverFd) + ":" + std::to_string(getpid())};
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, prefix.c_str(), prefix.size()) != 0) owned.push_back(*e);
    std::vector<char*> env;
    for (std::string& v : owned) env.push_back(v.data());
    env.push_back(nullptr);

    pid_t pid = 0;
    const bool started = spawn(path, env.data(), writeEnd, &pid);
    close(writeEnd);
    if (!started) {
        close(readEnd);
        return SuccessorStart::NotStarted;
    }
    const auto start = std::chrono::steady_clock::now();
    SuccessorStart outcome = SuccessorStart::Silent;
    bool socketOpen = true;
    while (msSince(start) < waitMs) {
        if (socketOpen) {
            pollfd p{readEnd, POLLIN, 0};
            if (poll(&p, 1, 50) > 0) {
                char byte = 0;
                const ssize_t n = read(readEnd, &byte, 1);
                if (n == 1) {
                    outcome = SuccessorStart::Started;
                    break;
                }
                // Closed without a word: it ended, or it dropped its end; its exit tells.
                if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) socketOpen = false;
            }
        } else {
            usleep(20000);
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            outcome = SuccessorStart::Ended;
            break;
        }
    }
    close(readEnd);
    if (outcome == SuccessorStart::Silent) {
        // A program that says nothing may still come up later beside the version put back.
        kill(pid, SIGKILL);
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    return outcome;
}

bool takeSuccessorHandOver() {
    static const bool successor = [] {
        const char* value = std::getenv(kHandOverVariable);
        if (!value || !*value) {
            unsetenv(kHandOverVariable);
            return false;
        }
        int fd = -1;
        long launcher = 0;
        // Only the socket of the process that started this one: a value that reached us
        // some other way must not make us write into a descriptor that is something else.
        if (std::sscanf(value, "fd:%d:%ld", &fd, &launcher) == 2 && fd >= 0 && launcher == getppid()) {
            struct stat st{};
            if (fstat(fd, &st) == 0 && S_ISSOCK(st.st_mode)) {
                const char byte = '1';
                while (send(fd, &byte, 1, MSG_NOSIGNAL) < 0 && errno == EINTR) {
                }
                close(fd);
            }
        }
        unsetenv(kHandOverVariable);
        return true;
    }();
    return successor;
}

}  // namespace plat
