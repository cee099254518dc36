// The profile folder's lock file holds the holder's X window id once it has a window.
#include "platform/system/instance.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/base/paths.h"
#include "platform/system/linux/window_manager.h"

namespace plat {

namespace {

constexpr char kLockName[] = "tarvion.lock";
// Set by the holder for the programs it starts: a copy of Tarvion among them is its
// successor (the update's restart) and waits for it to quit.
constexpr char kHandOverVariable[] = "TARVION_PROFILE_HANDOVER";
constexpr auto kHandOverWait = std::chrono::seconds(10);

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

// The X window id the holder wrote into the lock file; 0 when none.
unsigned long publishedWindow(const std::string& folder) {
    FILE* file = std::fopen(joinPath(folder, kLockName).c_str(), "r");
    if (!file) return 0;
    unsigned long id = 0;
    if (std::fscanf(file, "window %lu", &id) != 1) id = 0;
    std::fclose(file);
    return id;
}

bool xFailed = false;
int noteXError(Display*, XErrorEvent*) {
    xFailed = true;
    return 0;
}

}  // namespace

FolderClaim claimProfileFolder(const std::string& folder) {
    if (lockFd >= 0) return FolderClaim::Claimed;
    const bool handOver = std::getenv(kHandOverVariable) != nullptr;
    unsetenv(kHandOverVariable);
    const std::string path = joinPath(folder, kLockName);
    // Not inherited: a program started from here must not keep the folder held.
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return FolderClaim::Unavailable;
    int error = 0;
    bool locked = tryLock(fd, &error);
    const auto deadline = std::chrono::steady_clock::now() + kHandOverWait;
    while (!locked && handOver && error == EWOULDBLOCK && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        locked = tryLock(fd, &error);
    }
    if (!locked) {
        close(fd);
        return error == EWOULDBLOCK ? FolderClaim::HeldElsewhere : FolderClaim::Unavailable;
    }
    clearLockFile(fd);
    lockFd = fd;
    setenv(kHandOverVariable, "1", 1);
    return FolderClaim::Claimed;
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
