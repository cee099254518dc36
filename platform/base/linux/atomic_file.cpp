#include "platform/base/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace plat {

bool syncFile(const std::string& path) {
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = fsync(fd) == 0;
    if (close(fd) != 0) ok = false;
    return ok;
}

bool syncFolderOf(const std::string& path) {
    std::string folder = ".";
    size_t slash = path.find_last_of('/');
    if (slash != std::string::npos) folder = slash == 0 ? "/" : path.substr(0, slash);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = fsync(fd) == 0;
    if (close(fd) != 0) ok = false;
    return ok;
}

// The moves below are made durable by flushing the folder entry of their target as well
// (best effort: the move has happened either way).

bool replaceFile(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) return false;
    syncFolderOf(to);
    return true;
}

bool moveFileNoOverwrite(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
        // A filesystem that knows no such rename: a second name, which is refused just the
        // same when the target is taken, then the first one goes.
        if (errno != EINVAL && errno != ENOSYS) return false;
        if (link(from.c_str(), to.c_str()) != 0) return false;
        unlink(from.c_str());
    }
    syncFolderOf(to);
    return true;
}

}  // namespace plat
