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

bool replaceFile(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) return false;
    // Make the rename itself durable: flush the folder entry as well (best effort).
    std::string folder = ".";
    size_t slash = to.find_last_of('/');
    if (slash != std::string::npos) folder = slash == 0 ? "/" : to.substr(0, slash);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
    return true;
}

}  // namespace plat
