#pragma once
// A part of a test run by a forked copy of the test process, as a second copy of the
// program beside the test's own: the two pace each other through a pipe each way, and the
// child can be killed at a chosen point. POSIX only.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <functional>

namespace forked_test {

class Child {
public:
    // Forks; the child runs body(*this) and ends with its result (0: it passed; a failing
    // body says why on stderr). The child never returns from here.
    explicit Child(const std::function<int(Child&)>& body) {
        if (::pipe(toChild_) != 0 || ::pipe(toParent_) != 0) return;
        std::fflush(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            inChild_ = true;
            closeEnd(toChild_[1]);
            closeEnd(toParent_[0]);
            const int code = body(*this);
            std::fflush(nullptr);
            ::_exit(code);
        }
        closeEnd(toChild_[0]);
        closeEnd(toParent_[1]);
    }
    ~Child() {
        if (pid_ > 0 && !ended_) {
            ::kill(pid_, SIGKILL);
            wait();
        }
        closeOwnEnds();
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    // Either side: one byte to the other side, and waiting for one from it. hear is false
    // once the other side has gone without a word.
    bool tell() {
        const char c = '.';
        // A side that has gone fails the write instead of ending this process.
        void (*old)(int) = ::signal(SIGPIPE, SIG_IGN);
        const bool ok = ::write(inChild_ ? toParent_[1] : toChild_[1], &c, 1) == 1;
        ::signal(SIGPIPE, old);
        return ok;
    }
    bool hear() {
        char c = 0;
        for (;;) {
            const ssize_t n = ::read(inChild_ ? toChild_[0] : toParent_[0], &c, 1);
            if (n >= 0 || errno != EINTR) return n == 1;
        }
    }

    // The parent: whether the child has not ended yet.
    bool running() {
        if (pid_ <= 0 || ended_) return false;
        if (::waitpid(pid_, &status_, WNOHANG) == pid_) ended_ = true;
        return !ended_;
    }
    // The parent: waits for the end; the exit code, or 128 + the signal that ended it.
    int wait() {
        if (pid_ <= 0) return -1;
        while (!ended_) {
            if (::waitpid(pid_, &status_, 0) == pid_) ended_ = true;
            else if (errno != EINTR) return -1;
        }
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
    }

private:
    static void closeEnd(int& fd) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    void closeOwnEnds() {
        for (int* fd : {&toChild_[0], &toChild_[1], &toParent_[0], &toParent_[1]}) closeEnd(*fd);
    }

    pid_t pid_ = -1;
    bool inChild_ = false;
    bool ended_ = false;
    int status_ = 0;
    int toChild_[2] = {-1, -1};
    int toParent_[2] = {-1, -1};
};

// Ends this process at once, as a kill from outside does: nothing of it cleans up.
[[noreturn]] inline void killSelf() {
    ::kill(::getpid(), SIGKILL);
    ::_exit(137);
}

// The id of a process that has ended and been reaped, so that no process has it now (until
// the system hands it out again, which takes a round of every free id).
inline pid_t endedProcessId() {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    int status = 0;
    if (pid > 0) ::waitpid(pid, &status, 0);
    return pid;
}

}  // namespace forked_test
