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

// Whether an open lock file is one the program may write: a regular file with no other
// name (never a FIFO, a device, or a user's file linked in under the lock's name).
bool isOwnLockFile(int fd) {
    struct stat st{};
    return fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1;
}

int openNoFollow(const std::string& path, int flags) {
    int fd;
    do {
        // Never through a link, and never waiting in the open (a FIFO would block it).
        fd = open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Opens the lock file for writing, made afresh when what stands at its name is a link, a
// FIFO or anything else that is not a plain file; -1 when there is none to be had. A folder
// at the name is opened as it is: it still locks, it just cannot name the window.
int openLockFile(const std::string& path) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        int fd = openNoFollow(path, O_RDWR | O_CREAT);
        if (fd >= 0) {
            if (isOwnLockFile(fd)) return fd;
            close(fd);
        } else if (errno == EISDIR) {
            return openNoFollow(path, O_RDONLY | O_DIRECTORY);
        } else if (errno != ELOOP && errno != ENXIO) {
            // A folder that cannot be written: a lock that can only be read still locks.
            fd = openNoFollow(path, O_RDONLY);
            if (fd >= 0 && isOwnLockFile(fd)) return fd;
            if (fd >= 0) close(fd);
            return -1;
        }
        // unlink takes the link or the FIFO itself; nothing it points at is touched.
        struct stat st{};
        if (lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode) || unlink(path.c_str()) != 0) return -1;
    }
    return -1;
}

// The X window id the holder wrote into the lock file; 0 when none.
unsigned long publishedWindow(const std::string& folder) {
    const int fd = openNoFollow(joinPath(folder, kLockName), O_RDONLY);
    if (fd < 0) return 0;
    char text[64] = {};
    ssize_t n = 0;
    if (isOwnLockFile(fd)) {
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

}  // namespace

namespace {

// Claims the folder, waiting up to `wait` for another holder to let go of it.
FolderClaim claimWaiting(const std::string& folder, std::chrono::milliseconds wait) {
    if (lockFd >= 0) return FolderClaim::Claimed;
    // Not inherited: a program started from here must not keep the folder held.
    const int fd = openLockFile(joinPath(folder, kLockName));
    if (fd < 0) return FolderClaim::Unavailable;
    int error = 0;
    bool locked = tryLock(fd, &error);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!locked && error == EWOULDBLOCK && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        locked = tryLock(fd, &error);
    }
    if (!locked) {
        close(fd);
        return error == EWOULDBLOCK ? FolderClaim::HeldElsewhere : FolderClaim::Unavailable;
    }
    clearLockFile(fd);
    lockFd = fd;
    return FolderClaim::Claimed;
}

}  // namespace

FolderClaim claimProfileFolder(const std::string& folder) {
    if (lockFd >= 0) return FolderClaim::Claimed;
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
