#include "platform/base/atomic_file.h"

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

bool replaceFile(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) return false;
    // Make the rename itself durable (best effort: the move has happened either way).
    syncFolderOf(to);
    return true;
}

}  // namespace plat
