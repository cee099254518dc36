#include "tests/platform/system/private_x.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

bool PrivateXServer::start(bool windowManager) {
    if (std::system("command -v Xvfb >/dev/null 2>&1") != 0) return false;
    if (windowManager && std::system("command -v openbox >/dev/null 2>&1") != 0) return false;
    int fds[2];
    if (pipe(fds) != 0) return false;
    server_ = fork();
    if (server_ == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1080x24", "-nolisten", "tcp", "-noreset",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // Xvfb writes the display number it took, then a newline.
    std::string number;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (server_ < 0 || number.empty()) {
        stop();
        return false;
    }
    display_ = ":" + number;
    const char* old = std::getenv("DISPLAY");
    hadDisplay_ = old != nullptr;
    if (old) oldDisplay_ = old;
    setenv("DISPLAY", display_.c_str(), 1);
    if (windowManager) {
        wm_ = fork();
        if (wm_ == 0) {
            // Its complaints about a missing menu file are no test output.
            freopen("/dev/null", "w", stdout);
            freopen("/dev/null", "w", stderr);
            execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
            _exit(127);
        }
        if (!waitForWindowManager()) {
            stop();
            return false;
        }
    }
    return true;
}

void PrivateXServer::stop() {
    for (pid_t* pid : {&wm_, &server_}) {
        if (*pid > 0) {
            kill(*pid, SIGTERM);
            waitpid(*pid, nullptr, 0);
        }
        *pid = -1;
    }
    if (!display_.empty()) {
        if (hadDisplay_)
            setenv("DISPLAY", oldDisplay_.c_str(), 1);
        else
            unsetenv("DISPLAY");
    }
    display_.clear();
}

// The window manager is up once it has named itself on the root window.
bool PrivateXServer::waitForWindowManager() {
    Display* d = XOpenDisplay(display_.c_str());
    if (!d) return false;
    const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
    bool up = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!up && std::chrono::steady_clock::now() < deadline) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, XDefaultRootWindow(d), check, 0, 1, False, AnyPropertyType, &type, &format, &count,
                               &after, &data) == Success &&
            data) {
            up = count == 1;
            XFree(data);
        }
        if (!up) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    XCloseDisplay(d);
    return up;
}

bool setRootResources(const char* text) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return false;
    if (text)
        XChangeProperty(d, XDefaultRootWindow(d), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text), static_cast<int>(std::strlen(text)));
    else
        XDeleteProperty(d, XDefaultRootWindow(d), XA_RESOURCE_MANAGER);
    XSync(d, False);
    XCloseDisplay(d);
    return true;
}
