// Under an X server: the window's smallest size is told to the window manager, which keeps
// the user from dragging the frame any smaller.
#include <gtest/gtest.h>

#include <cstdlib>

// Before Xlib, whose macro None would rename WindowFailure::None.
#include "platform/system/window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// The window's WM_NORMAL_HINTS minimum; 0 x 0 when it sets none.
void minimumHint(void* window, int* w, int* h) {
    *w = *h = 0;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(static_cast<SDL_Window*>(window), &info));
    ASSERT_EQ(info.subsystem, SDL_SYSWM_X11);
    XSizeHints hints{};
    long supplied = 0;
    ASSERT_NE(XGetWMNormalHints(info.info.x11.display, info.info.x11.window, &hints, &supplied), 0);
    if (hints.flags & PMinSize) {
        *w = hints.min_width;
        *h = hints.min_height;
    }
}

TEST(WindowOnScreen, TheSmallestSizeIsAHintToTheWindowManager) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server";
    void* window = plat::createGlWindow("minimum size test", 1600, 900, nullptr);
    if (!window) GTEST_SKIP() << "no window";
    plat::setMinimumClientSize(window, 1168, 720);
    int w = 0, h = 0;
    minimumHint(window, &w, &h);
    EXPECT_EQ(w, 1168);
    EXPECT_EQ(h, 720);
    // No limit: the window may shrink to a pixel again.
    plat::setMinimumClientSize(window, 0, 0);
    minimumHint(window, &w, &h);
    EXPECT_LE(w, 1);
    EXPECT_LE(h, 1);
    plat::destroyGlWindow(window);
}

}  // namespace
