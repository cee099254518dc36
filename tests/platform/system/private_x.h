#pragma once
// An X server of the test's own (Xvfb), with openbox on it when asked: for tests that change
// what the whole server shows (root window resources, a window manager), which must never
// reach the other tests sharing the run's X server. While it lives, DISPLAY names it.
// No Xlib here: its Screen and None clash with the program's names.
#include <sys/types.h>

#include <string>

class PrivateXServer {
public:
    // False (and nothing running) when Xvfb, or openbox when asked for, is missing.
    bool start(bool windowManager);
    ~PrivateXServer() { stop(); }
    const std::string& display() const { return display_; }
    void stop();

private:
    bool waitForWindowManager();

    pid_t server_ = -1;
    pid_t wm_ = -1;
    std::string display_;
    std::string oldDisplay_;
    bool hadDisplay_ = false;
};

// The root window's RESOURCE_MANAGER text, as xrdb sets it; null deletes it.
bool setRootResources(const char* text);
