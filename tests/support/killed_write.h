#pragma once
// A kill at a chosen write: the body runs in a child process under a file-size limit whose
// signal is left as it is, so the child dies (SIGXFSZ) at the write that crosses the limit,
// after writing up to it, as a process killed mid-write would (at once with a limit of 0).
// Nothing of the child's own clean-up runs. POSIX only.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstddef>
#include <functional>

namespace killed_write {

// True when the child was killed at a write; false when the body ran to its end (no write
// crossed the limit) or the child could not be started.
inline bool killedAtByte(size_t bytes, const std::function<void()>& body) {
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        const struct rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        struct rlimit size{};
        getrlimit(RLIMIT_FSIZE, &size);
        size.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &size);
        std::signal(SIGXFSZ, SIG_DFL);
        body();
        _exit(0);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) return false;
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ;
}

}  // namespace killed_write
