#pragma once
// A folder that really cannot be written, whoever runs the test. Mode bits stop an ordinary
// user but not root, so as root the code under test runs in a child process that has become
// the "nobody" user first. POSIX only.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

namespace unprivileged_test {

// What runAsUnprivileged gives back when no user without privileges could be had, or when
// the folder turned out writable anyway: the test should be skipped.
constexpr int kCannotTell = 77;

inline bool canCreateIn(const std::string& folder) {
    const std::string probe = folder + "/.probe";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

// Makes `readOnly` read-only (mode 0555) and runs `body` as a user that cannot write into
// it: in this process when it has no privileges, else in a child that has given up root
// (the folders above must let everyone through). The result is the body's (0 passes; a
// failing body says why on stderr), or kCannotTell. The mode is put back afterwards.
inline int runAsUnprivileged(const std::string& readOnly, const std::function<int()>& body) {
    namespace fs = std::filesystem;
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                  fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    int result = kCannotTell;
    if (::geteuid() != 0) {
        if (!canCreateIn(readOnly)) result = body();
    } else {
        std::fflush(nullptr);
        const pid_t child = ::fork();
        if (child == 0) {
            const uid_t nobody = 65534;
            if (::setgid(nobody) != 0 || ::setuid(nobody) != 0 || canCreateIn(readOnly)) ::_exit(kCannotTell);
            const int code = body();
            std::fflush(nullptr);
            ::_exit(code);
        }
        int status = 0;
        if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) result = WEXITSTATUS(status);
        else if (child > 0) result = 1;  // the body crashed
    }
    fs::permissions(readOnly, fs::perms::owner_all, fs::perm_options::add);
    return result;
}

}  // namespace unprivileged_test
