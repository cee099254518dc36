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

#include <atomic>
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

// Names the successor's hand-over: "fd:<fd>:<pid>:up", its end of a socket pair that it sends
// one byte on once it is up, and the process that started it. Older builds' restarts set
// "fd:<fd>:<pid>" (a byte as soon as it runs) or "1" (nothing to tell).
constexpr char kHandOverVariable[] = "TARVION_PROFILE_HANDOVER";
// The successor's end of the socket: the first descriptor after stdin, stdout and stderr.
constexpr int kHandOverFd = 3;

// The socket a successor still owes its word on; -1 when none.
int pendingWord = -1;

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

SuccessorStart launchSuccessor(const std::string& path, int waitMs, const std::atomic<bool>* stop) {
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
    const std::string value = "fd:" + std::to_string(kHandOverFd) + ":" + std::to_string(getpid()) + ":up";
    std::vector<std::string> owned{prefix + value};
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
        if (stop && stop->load()) break;
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
    if (outcome == SuccessorStart::Silent && stop && stop->load()) outcome = SuccessorStart::Stopped;
    if (outcome == SuccessorStart::Silent || outcome == SuccessorStart::Stopped) {
        // A program that has not said so may still come up later beside the version put back.
        kill(pid, SIGKILL);
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    return outcome;
}

namespace {

// The folder of a path, as it is written ("" when it has none).
std::string folderOf(const std::string& path) {
    const size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// Whether the parent process runs a program from this program's folder: an older build of
// ours, restarting as an update. Its file may have been moved aside or deleted by now.
bool parentRunsFromOurFolder() {
    std::string parent(4096, '\0');
    const std::string link = "/proc/" + std::to_string(getppid()) + "/exe";
    const ssize_t n = readlink(link.c_str(), parent.data(), parent.size());
    if (n <= 0 || static_cast<size_t>(n) >= parent.size()) return false;
    parent.resize(static_cast<size_t>(n));
    const std::string ours = folderOf(runningExecutablePath());
    return !ours.empty() && folderOf(parent) == ours;
}

// The socket named in the hand-over when it leads to the process that started this one; -1
// when it does not (a value copied into another program's environment, a stale one).
int starterSocket(int fd, long starter) {
    if (fd < 0 || starter <= 0 || starter != getppid()) return -1;
    struct stat st{};
    if (fstat(fd, &st) != 0 || !S_ISSOCK(st.st_mode)) return -1;
    // The pair was made by the starter: its other end is the starter's.
    ucred peer{};
    socklen_t size = sizeof peer;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.pid != getppid()) return -1;
    return fd;
}

void sendWord(int fd) {
    const char byte = '1';
    while (send(fd, &byte, 1, MSG_NOSIGNAL) < 0 && errno == EINTR) {
    }
    close(fd);
}

}  // namespace

bool takeSuccessorHandOver() {
    static const bool successor = [] {
        const char* found = std::getenv(kHandOverVariable);
        const std::string value = found ? found : "";
        unsetenv(kHandOverVariable);
        if (value == "1") return parentRunsFromOurFolder();
        int fd = -1;
        long starter = 0;
        char tail[8] = {};
        const int read = std::sscanf(value.c_str(), "fd:%d:%ld:%7s", &fd, &starter, tail);
        if (read < 2) return false;
        const bool whenUp = read == 3 && std::string(tail) == "up";
        if (read == 3 && !whenUp) return false;
        // Only the socket of the process that started this one: a value that reached us
        // some other way must not make us write into a descriptor that is something else.
        fd = starterSocket(fd, starter);
        if (fd < 0) return false;
        if (whenUp) {
            // Kept from what this program starts until the word is sent.
            fcntl(fd, F_SETFD, FD_CLOEXEC);
            pendingWord = fd;
        } else {
            // An older build counts the start as soon as the program runs.
            sendWord(fd);
        }
        return true;
    }();
    return successor;
}

int endedProgramFileWaitMs() { return 0; }

void confirmSuccessorStarted() {
    takeSuccessorHandOver();
    if (pendingWord < 0) return;
    sendWord(pendingWord);
    pendingWord = -1;
}

}  // namespace plat
