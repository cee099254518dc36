#pragma once
// A window with an OpenGL context for one test, closed with the object (or by close()).
// Where the test runs without a display (no X server) or the system gives no such window,
// there is none and why() says so; OPEN_TEST_WINDOW skips the test then.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/system/window.h"

class TestWindow {
public:
    TestWindow() = default;
    ~TestWindow() { close(); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    bool open(const char* title, int32_t width, int32_t height) {
        close();
#ifndef _WIN32
        if (!std::getenv("DISPLAY")) {
            why_ = "no X server";
            return false;
        }
#endif
        plat::WindowFailure failure = plat::WindowFailure::None;
        handle_ = plat::createGlWindow(title, width, height, &failure);
        if (!handle_)
            why_ = failure == plat::WindowFailure::Context       ? "no OpenGL context could be made current"
                   : failure == plat::WindowFailure::PixelFormat ? "no window that can carry OpenGL"
                                                                 : "no window";
        return handle_ != nullptr;
    }
    void close() {
        if (handle_) plat::destroyGlWindow(handle_);
        handle_ = nullptr;
    }
    void* get() const { return handle_; }
    const std::string& why() const { return why_; }

private:
    void* handle_ = nullptr;
    std::string why_;
};

// In a fixture's SetUp or a test body: opens the window, or skips the test where there is
// none to be had.
#define OPEN_TEST_WINDOW(window, title, width, height)                                \
    do {                                                                              \
        if (!(window).open(title, width, height)) GTEST_SKIP() << (window).why();     \
    } while (0)
