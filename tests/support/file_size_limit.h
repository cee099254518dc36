#pragma once
// A write that fails part-way, whoever runs the test (root included): the process's file-size
// limit stands in for a full disk or a kill during the write. POSIX only.
#include <sys/resource.h>

#include <csignal>

namespace fsize_test {

// While it lives, writing past `bytes` of any file fails (EFBIG; the signal is ignored).
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes) {
        ok_ = getrlimit(RLIMIT_FSIZE, &old_) == 0;
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old_;
        small.rlim_cur = bytes;
        ok_ = ok_ && setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~ScopedFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;
    bool active() const { return ok_; }

private:
    struct rlimit old_{};
    void (*oldHandler_)(int) = SIG_DFL;
    bool ok_ = false;
};

}  // namespace fsize_test
