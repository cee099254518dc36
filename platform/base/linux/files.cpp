#include "platform/base/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/base/text.h"

namespace plat {

namespace {

std::string appendComponent(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + '/' + name;
}

bool entryExists(const std::string& path) {
    struct stat st{};
    return lstat(path.c_str(), &st) == 0;
}

// The entry of `folder` equal to `name` without regard to case; "" when there is none.
std::string findEntryIgnoringCase(const std::string& folder, const std::string& name) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return std::string();
    std::string best;
    while (dirent* e = readdir(dir)) {
        std::string entry = e->d_name;
        if (equalsIgnoringAsciiCase(entry, name) && (best.empty() || entry < best)) best = entry;
    }
    closedir(dir);
    return best;
}

// The host path of a path whose folder may be written Windows-style, with its last component
// exactly as written: a call that writes or removes a file must never land on another one
// whose name differs from it in case. "" when there is no host form.
std::string hostPathExactName(const std::string& path) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    if (p.empty() || p.back() == '/') return std::string();
    if (p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')))
        return std::string();
    const size_t slash = p.find_last_of('/');
    if (slash == std::string::npos) return p;
    const std::string folder = resolvePath(slash == 0 ? "/" : p.substr(0, slash));
    if (folder.empty()) return std::string();
    return appendComponent(folder, p.substr(slash + 1));
}

int openRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = open(path, flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Opens a regular file for reading, or fails. O_NONBLOCK keeps the open itself from waiting:
// a FIFO in place of a file (or a device) would otherwise block until someone writes to it.
// It changes nothing for the reads of a regular file.
int openRegularForReading(const std::string& path) {
    int fd = openRetrying(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat st{};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    return fd;
}

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Takes an append's bytes [start, end) off the file again, only while they still are its end:
// a row that another writer added after them stays, and so do they.
bool takeBack(int fd, off_t start, off_t end) {
    struct stat st{};
    return fstat(fd, &st) == 0 && st.st_size == end && ftruncate(fd, start) == 0;
}

// read() that retries interrupted calls; -1 on a failure.
ssize_t readSome(int fd, char* buffer, size_t size) {
    ssize_t n;
    do {
        n = read(fd, buffer, size);
    } while (n < 0 && errno == EINTR);
    return n;
}

}  // namespace

std::string resolvePath(const std::string& path) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    if (p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')))
        return std::string();
    // One slash between components and none at the end, as Windows reads such paths.
    std::string tidy;
    for (char c : p)
        if (c != '/' || tidy.empty() || tidy.back() != '/') tidy += c;
    if (tidy.size() > 1 && tidy.back() == '/') tidy.pop_back();
    p = tidy;
    if (p.empty() || entryExists(p)) return p;

    std::string out = p[0] == '/' ? "/" : "";
    bool lost = false;  // past a component that matched nothing: keep the rest as written
    size_t start = 0;
    while (start <= p.size()) {
        size_t slash = p.find('/', start);
        if (slash == std::string::npos) slash = p.size();
        std::string comp = p.substr(start, slash - start);
        start = slash + 1;
        if (comp.empty()) continue;
        std::string candidate = appendComponent(out, comp);
        if (lost || comp == "." || comp == ".." || entryExists(candidate)) {
            out = candidate;
            continue;
        }
        std::string match = findEntryIgnoringCase(out, comp);
        if (match.empty()) {
            lost = true;
            out = candidate;
        } else {
            out = appendComponent(out, match);
        }
    }
    return out;
}

std::vector<FileEntry> findFiles(const std::string& pattern) {
    std::vector<FileEntry> found;
    std::string p = pattern;
    std::replace(p.begin(), p.end(), '\\', '/');
    size_t slash = p.find_last_of('/');
    std::string folderPart = slash == std::string::npos ? "." : (slash == 0 ? "/" : p.substr(0, slash));
    std::string namePattern = slash == std::string::npos ? p : p.substr(slash + 1);
    if (p.size() >= 2 && p[1] == ':' && slash == std::string::npos) return found;  // "C:x*" has no host form
    std::string folder = resolvePath(folderPart);
    if (folder.empty() || namePattern.empty()) return found;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return found;
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == ".." || !matchesPattern(name, namePattern)) continue;
        FileEntry entry;
        entry.name = name;
        struct stat st{};
        if (stat(appendComponent(folder, name).c_str(), &st) == 0) entry.isFolder = S_ISDIR(st.st_mode);
        found.push_back(entry);
    }
    closedir(dir);
    sortFileEntries(found);
    return found;
}

bool fileAttributes(const std::string& path, FileAttributes* out) {
    std::string host = resolvePath(path);
    struct stat st{};
    if (host.empty() || stat(host.c_str(), &st) != 0) return false;
    if (out) {
        out->isFolder = S_ISDIR(st.st_mode);
        out->isFile = S_ISREG(st.st_mode);
        out->size = static_cast<uint64_t>(st.st_size);
        out->lastWriteTime = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    return true;
}

bool copyFileNoOverwrite(const std::string& from, const std::string& to) {
    std::string src = resolvePath(from), dst = hostPathExactName(to);
    if (src.empty() || dst.empty()) return false;
    int in = openRegularForReading(src);
    if (in < 0) return false;
    struct stat st{};
    if (fstat(in, &st) != 0) {
        close(in);
        return false;
    }
    // O_EXCL also refuses a link standing at the destination, dangling or not.
    int out = openRetrying(dst.c_str(), O_WRONLY | O_CREAT | O_EXCL, st.st_mode & 0777);
    if (out < 0) {
        close(in);
        return false;
    }
    bool ok = true;
    char buffer[65536];
    for (;;) {
        ssize_t n = readSome(in, buffer, sizeof buffer);
        if (n < 0) ok = false;
        if (n <= 0) break;
        if (!writeAll(out, buffer, static_cast<size_t>(n))) {
            ok = false;
            break;
        }
    }
    if (ok && fsync(out) != 0) ok = false;
    if (close(out) != 0) ok = false;
    close(in);
    if (!ok) unlink(dst.c_str());
    return ok;
}

bool deleteFile(const std::string& path) {
    const std::string host = hostPathExactName(path);
    struct stat st{};
    if (host.empty() || lstat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return unlink(host.c_str()) == 0;
}

bool writeWholeFile(const std::string& path, const std::string& bytes) {
    const std::string host = hostPathExactName(path);
    if (host.empty()) return false;
    int fd = openRetrying(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    bool ok = writeAll(fd, bytes.data(), bytes.size());
    if (ok && fsync(fd) != 0) ok = false;
    if (close(fd) != 0) ok = false;
    return ok;
}

bool writeFreshFile(const std::string& path, const std::string& bytes) {
    const std::string host = hostPathExactName(path);
    if (host.empty()) return false;
    // unlink takes a link or a FIFO itself: nothing it points at is touched or opened.
    struct stat st{};
    if (lstat(host.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return false;
        if (unlink(host.c_str()) != 0 && errno != ENOENT) return false;
    }
    // O_EXCL: a name taken again in between fails the open instead of being written through.
    int fd = openRetrying(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0) return false;
    bool ok = writeAll(fd, bytes.data(), bytes.size());
    if (ok && fsync(fd) != 0) ok = false;
    if (close(fd) != 0) ok = false;
    if (!ok) unlink(host.c_str());
    return ok;
}

bool appendToFile(const std::string& path, const std::string& bytes) {
    const std::string host = hostPathExactName(path);
    if (host.empty()) return false;
    // O_NONBLOCK: a FIFO without a reader fails the open at once instead of waiting for one.
    int fd = openRetrying(host.c_str(), O_WRONLY | O_APPEND | O_NONBLOCK);
    if (fd < 0 && errno == ENOENT)
        fd = openRetrying(host.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_NONBLOCK, 0644);
    if (fd < 0) return false;
    struct stat st{};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return false;
    }
    // Our appends take turns, so none adds a row between another's write and its taking back.
    // A filesystem without these locks (some FUSE folders) refuses it: the end check below
    // still keeps other rows.
    while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    // O_APPEND puts each write at the end as it is then; the offset after it tells where.
    off_t start = -1, end = -1;
    bool together = true;  // nothing of anyone else's came between our writes
    bool ok = true;
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = write(fd, data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        const off_t after = lseek(fd, 0, SEEK_CUR);
        if (after < 0) together = false;
        else if (start < 0) start = after - n;
        else if (after - n != end) together = false;
        end = after;
        data += n;
        left -= static_cast<size_t>(n);
    }
    // Some network filesystems report a write they could not store only at a close: a second
    // descriptor is closed first, so this one still holds the file (and the lock) to cut.
    if (ok) {
        const int probe = fcntl(fd, F_DUPFD_CLOEXEC, 0);
        ok = probe >= 0 && close(probe) == 0;
    }
    // A short write (a full disk) must not leave the start of the bytes behind: a reader
    // would take it for a whole line. A file this call made is left empty: removing it by its
    // name could take a row that another writer has added since.
    if (!ok && together && start >= 0) takeBack(fd, start, end);
    close(fd);  // what it could report, the probe's close has
    return ok;
}

std::string makeTempFile(const std::string& folder, const std::string& prefix) {
    std::string dir = folder;
    if (dir.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        dir = tmp && *tmp ? tmp : "/tmp";
    } else {
        dir = resolvePath(dir);
        if (dir.empty()) return std::string();
    }
    std::string name = appendComponent(dir, prefix + "XXXXXX");
    int fd = mkstemp(name.data());
    if (fd < 0) return std::string();
    if (close(fd) != 0) {
        unlink(name.c_str());
        return std::string();
    }
    return name;
}

ReadResult readFileCapped(const std::string& path, size_t maxBytes, std::string& text) {
    text.clear();
    std::string host = resolvePath(path);
    if (host.empty()) return ReadResult::Failed;
    int fd = openRegularForReading(host);
    if (fd < 0) return ReadResult::Failed;
    ReadResult result = ReadResult::Ok;
    char buffer[8192];
    for (;;) {
        size_t room = maxBytes - text.size();
        if (room == 0) {
            // Full: one more byte tells whether the file goes on.
            char probe;
            ssize_t n = readSome(fd, &probe, 1);
            if (n < 0) result = ReadResult::Failed;
            else if (n > 0) result = ReadResult::Truncated;
            break;
        }
        ssize_t n = readSome(fd, buffer, std::min(room, sizeof buffer));
        if (n < 0) {
            result = ReadResult::Failed;
            break;
        }
        if (n == 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    if (result == ReadResult::Failed) text.clear();
    return result;
}

}  // namespace plat
