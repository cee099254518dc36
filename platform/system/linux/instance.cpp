// The profile folder's lock file holds the holder's X window id once it has a window.
#include "platform/system/instance.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/base/paths.h"
#include "platform/system/exe.h"
#include "platform/system/linux/window_manager.h"

namespace plat {

namespace {

constexpr char kLockName[] = "tarvion.lock";
// How long the holder's successor (the update's restart) waits for it to quit.
constexpr auto kHandOverWait = std::chrono::milliseconds(10000);

int lockFd = -1;

// Empties the lock file: a window id left there is no longer true. A lock file that could
// only be opened for reading still locks; it just cannot name the window.
void clearLockFile(int fd) {
    if (ftruncate(fd, 0) != 0) return;
}

bool tryLock(int fd, int* error) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    *error = errno;
    return false;
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

int openNoFollow(const std::string& path, int flags) {
    int fd;
    do {
        // Never through a link, and never waiting in the open (a FIFO would block it). Not
        // inherited: a program started from here must not keep the folder held.
        fd = open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// One start at a time replaces what stands at the lock's name: a short flock on the folder
// itself, given up on after a while (no start holds it for longer than a rename).
bool lockFolder(int dir) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (flock(dir, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// Whether `path` still leads to the open file `fd`.
bool leadsTo(const std::string& path, int fd) {
    struct stat atName{}, opened{};
    return lstat(path.c_str(), &atName) == 0 && fstat(fd, &opened) == 0 && sameFile(atName, opened);
}

// How a round of taking the lock ended: Again when what stands at the name changed under it.
enum class Round { Locked, Held, Again, Failed };

// Puts a fresh lock file of this process's own at the lock's name, locked before anyone can
// open it, in place of `held` (a plain file this process has locked, so no other start
// has it) or, when that is -1, of the link, FIFO or other entry that is no plain file. The
// new file is made under a name of its own and moved over the old entry, which replaces the
// entry itself and never what a link points at.
Round replaceLockFile(const std::string& folder, int held, int* out) {
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return Round::Failed;
    std::string name;
    int fresh = -1;
    for (int n = 0; n < 8 && fresh < 0; ++n) {
        name = "." + std::string(kLockName) + "." + std::to_string(getpid()) + "." + std::to_string(n);
        fresh = openat(dir, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fresh < 0 && errno != EEXIST) break;
    }
    Round round = Round::Failed;
    int error = 0;
    if (fresh >= 0 && tryLock(fresh, &error) && lockFolder(dir)) {
        // Another start may have put its own file there since: that one is never replaced.
        struct stat there{}, mine{};
        const bool found = fstatat(dir, kLockName, &there, AT_SYMLINK_NOFOLLOW) == 0;
        const bool still = held >= 0 ? found && fstat(held, &mine) == 0 && sameFile(there, mine)
                                     : found && !S_ISREG(there.st_mode) && !S_ISDIR(there.st_mode);
        if (!still) {
            round = Round::Again;
        } else if (renameat(dir, name.c_str(), dir, kLockName) == 0) {
            round = Round::Locked;
            *out = fresh;
            fresh = -1;
        }
    }
    if (fresh >= 0) {
        unlinkat(dir, name.c_str(), 0);
        close(fresh);
    }
    close(dir);  // and with it the folder's lock
    return round;
}

// Opens and locks the lock file. A plain file someone holds is the lock whatever its names
// (a snapshot of the folder made with hard links gives the running copy's file a second
// one). A file nobody holds is written only when it has no other name; else, like a link, a
// FIFO or anything else that is not a plain file, it is replaced. A folder at the name is
// opened as it is: it still locks, it just cannot name the window.
Round lockRound(const std::string& folder, const std::string& path, int* out) {
    int fd = openNoFollow(path, O_RDWR | O_CREAT);
    if (fd < 0 && errno == EISDIR) {
        fd = openNoFollow(path, O_RDONLY | O_DIRECTORY);
        if (fd < 0) return Round::Failed;
    } else if (fd < 0 && errno != ELOOP && errno != ENXIO) {
        // A folder that cannot be written: a lock that can only be read still locks.
        fd = openNoFollow(path, O_RDONLY);
        if (fd < 0) return Round::Failed;
    }
    struct stat st{};
    if (fd >= 0 && (fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)))) {
        close(fd);
        fd = -1;
    }
    if (fd >= 0) {
        int error = 0;
        if (!tryLock(fd, &error)) {
            close(fd);
            return error == EWOULDBLOCK ? Round::Held : Round::Failed;
        }
        // Its names are counted once it is held: only then may it be replaced.
        if (fstat(fd, &st) == 0 && (S_ISDIR(st.st_mode) || st.st_nlink == 1)) {
            *out = fd;
            return Round::Locked;
        }
    }
    const Round round = replaceLockFile(folder, fd, out);
    if (fd >= 0) close(fd);
    return round;
}

// The lock file, opened and locked, in *fd.
FolderClaim takeLockFile(const std::string& folder, int* fd) {
    const std::string path = joinPath(folder, kLockName);
    for (int attempt = 0; attempt < 8; ++attempt) {
        switch (lockRound(folder, path, fd)) {
            case Round::Locked:
                // Another start may have moved its own file onto the name between this one's
                // open and its lock: the file locked here is then nobody's lock.
                if (leadsTo(path, *fd)) return FolderClaim::Claimed;
                close(*fd);
                break;
            case Round::Held: return FolderClaim::HeldElsewhere;
            case Round::Failed: return FolderClaim::Unavailable;
            case Round::Again: break;
        }
    }
    return FolderClaim::Unavailable;
}

// The X window id the holder wrote into the lock file; 0 when none. Only ever read, so a
// second name on the holder's file does no harm here.
unsigned long publishedWindow(const std::string& folder) {
    const int fd = openNoFollow(joinPath(folder, kLockName), O_RDONLY);
    if (fd < 0) return 0;
    char text[64] = {};
    ssize_t n = 0;
    struct stat st{};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        do {
            n = pread(fd, text, sizeof text - 1, 0);
        } while (n < 0 && errno == EINTR);
    }
    close(fd);
    unsigned long id = 0;
    if (n <= 0 || std::sscanf(text, "window %lu", &id) != 1) id = 0;
    return id;
}

bool xFailed = false;
int noteXError(Display*, XErrorEvent*) {
    xFailed = true;
    return 0;
}


// Claims the folder, waiting up to `wait` for another holder to let go of it.
FolderClaim claimWaiting(const std::string& folder, std::chrono::milliseconds wait) {
    if (lockFd >= 0) return FolderClaim::Claimed;
    int fd = -1;
    FolderClaim claim = takeLockFile(folder, &fd);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (claim == FolderClaim::HeldElsewhere && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        claim = takeLockFile(folder, &fd);
    }
    if (claim != FolderClaim::Claimed) return claim;
    clearLockFile(fd);
    lockFd = fd;
    return FolderClaim::Claimed;
}

}  // namespace

FolderClaim claimProfileFolder(const std::string& folder) {
    const bool handOver = takeSuccessorHandOver();
    return claimWaiting(folder, handOver ? kHandOverWait : std::chrono::milliseconds(0));
}

FolderClaim takeBackProfileFolder(const std::string& folder, int waitMs) {
    return claimWaiting(folder, std::chrono::milliseconds(waitMs > 0 ? waitMs : 0));
}

void publishProfileWindow(void* window) {
    if (lockFd < 0 || !window) return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(static_cast<SDL_Window*>(window), &info) || info.subsystem != SDL_SYSWM_X11) return;
    const std::string text = "window " + std::to_string(static_cast<unsigned long>(info.info.x11.window)) + "\n";
    if (ftruncate(lockFd, 0) == 0 && pwrite(lockFd, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size()))
        fsync(lockFd);
}

bool raiseProfileHolder(const std::string& folder) {
    const unsigned long id = publishedWindow(folder);
    if (id == 0) return false;
    Display* d = XOpenDisplay(nullptr);
    if (!d) return false;
    // A window that is gone (its holder is quitting) must not end this process.
    xFailed = false;
    XSync(d, False);
    auto previous = XSetErrorHandler(noteXError);
    const ::Window target = static_cast<::Window>(id);
    XWindowAttributes attributes{};
    bool raised = XGetWindowAttributes(d, target, &attributes) != 0 && !xFailed;
    if (raised) {
        if (windowManagerRuns(d)) {
            // As a pager asks for it (source 2), which focus-stealing rules let through.
            XEvent e{};
            e.xclient.type = ClientMessage;
            e.xclient.window = target;
            e.xclient.message_type = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
            e.xclient.format = 32;
            e.xclient.data.l[0] = 2;
            e.xclient.data.l[1] = CurrentTime;
            XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
        } else {
            // Nobody else hands out the focus.
            XMapRaised(d, target);
            XSetInputFocus(d, target, RevertToParent, CurrentTime);
        }
        XSync(d, False);
        raised = !xFailed;
    }
    XSetErrorHandler(previous);
    XCloseDisplay(d);
    return raised;
}

void releaseProfileFolder() {
    if (lockFd < 0) return;
    clearLockFile(lockFd);
    flock(lockFd, LOCK_UN);
    close(lockFd);
    lockFd = -1;
}

}  // namespace plat
