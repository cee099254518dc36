#pragma once
// Another writer of the file an append is writing, adding its own row at a chosen moment:
// as another of our appends would, after the append has opened the file and before it writes
// (it holds the flock our appends take turns with), or as a writer that takes no lock would,
// just when the append's write fails at the file-size limit. POSIX only.
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstddef>
#include <functional>
#include <string>
#include <thread>

namespace other_writer {

namespace detail {

inline const char* file = nullptr;
inline const char* row = nullptr;
inline size_t rowSize = 0;

// Only calls a signal handler may make. The row goes in whatever the limit leaves.
inline void addRow(int) {
    struct rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    struct rlimit room = limit;
    room.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_FSIZE, &room);
    const int fd = ::open(file, O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd >= 0) {
        if (::write(fd, row, rowSize) < 0) {
        }
        ::close(fd);
    }
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

}  // namespace detail

// While it lives, the write that crosses the file-size limit adds the row first: the SIGXFSZ
// it raises runs before the write returns its failure. Made after a ScopedFileSizeLimit (which
// ignores the signal), it hands the signal back to that on its end.
class RowAtTheFailedWrite {
public:
    RowAtTheFailedWrite(const std::string& file, const std::string& row) : file_(file), row_(row) {
        detail::file = file_.c_str();
        detail::row = row_.data();
        detail::rowSize = row_.size();
        old_ = std::signal(SIGXFSZ, detail::addRow);
    }
    ~RowAtTheFailedWrite() { std::signal(SIGXFSZ, old_); }
    RowAtTheFailedWrite(const RowAtTheFailedWrite&) = delete;
    RowAtTheFailedWrite& operator=(const RowAtTheFailedWrite&) = delete;

private:
    std::string file_, row_;
    void (*old_)(int) = SIG_DFL;
};

// Runs `append` on a thread of its own while holding the file's turn, and adds the row once
// the append has opened the file. False when the file could not be opened, held or watched
// (the append is not run then).
inline bool rowWhileTheAppendWaits(const std::string& file, const std::string& row,
                                   const std::function<void()>& append) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) return false;
    const int watch = ::inotify_init1(IN_CLOEXEC);
    if (::flock(fd, LOCK_EX) != 0 || watch < 0 || ::inotify_add_watch(watch, file.c_str(), IN_OPEN) < 0) {
        if (watch >= 0) ::close(watch);
        ::close(fd);
        return false;
    }
    std::thread appender(append);
    char event[sizeof(inotify_event) + NAME_MAX + 1];
    bool ok = ::read(watch, event, sizeof event) > 0;  // the append has the file open
    ok = ::write(fd, row.data(), row.size()) == static_cast<ssize_t>(row.size()) && ok;
    ::close(fd);  // the turn goes with it
    appender.join();
    ::close(watch);
    return ok;
}

}  // namespace other_writer
