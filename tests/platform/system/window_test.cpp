// Under an X server: the window's smallest size is told to the window manager, which keeps
// the user from dragging the frame any smaller; the UI scale follows the desktop's.
#include <gtest/gtest.h>


// Before Xlib, whose macro None would rename WindowFailure::None.
#include "platform/system/linux/desktop_scale.h"
#include "platform/system/ui_backend.h"
#include "platform/system/window.h"
#include "tests/platform/system/private_x.h"
#include "tests/support/test_window.h"

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
    TestWindow testWindow;
    OPEN_TEST_WINDOW(testWindow, "minimum size test", 1600, 900);
    void* window = testWindow.get();
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
}

}  // namespace

// The desktop's Xft.dpi as the resource manager reads it, whatever else the database holds.
TEST(DesktopScale, XftDpiFromTheResourceText) {
    const struct {
        const char* text;
        double dpi;
    } cases[] = {
        {"Xft.dpi:\t192\n", 192},
        {"Xft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n", 144},
        {"Xft*dpi: 120\n", 120},
        {"*dpi: 110\n", 110},
        {"Xcursor.size: 24\n", 0},
        {"Xft.dpi: big\n", 0},
        {"Xft.dpi: -96\n", 0},
        {"", 0},
        {nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(none)");
        EXPECT_DOUBLE_EQ(plat::xftDpiFromResources(c.text), c.dpi);
    }
}

// On an X server of its own (the root window's resources are the whole server's): the UI
// scale follows Xft.dpi as xrdb sets it, and without one it is 1 (Xvfb tells SDL no DPI).
TEST(DesktopScaleOnScreen, TheScaleFollowsTheDesktopsXftDpi) {
    PrivateXServer server;
    if (!server.start(false)) GTEST_SKIP() << "no Xvfb";
    TestWindow testWindow;
    ASSERT_TRUE(testWindow.open("desktop scale test", 800, 600)) << testWindow.why();
    void* window = testWindow.get();
    const struct {
        const char* resources;
        float scale;
    } cases[] = {
        {"Xft.dpi:\t192\n", 2.0f},
        {"Xft.antialias:\t1\nXft.dpi:\t144\n", 1.5f},
        {"Xft.dpi:\t120\n", 1.25f},
        {"Xft.dpi:\t96\n", 1.0f},
        {nullptr, 1.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.resources ? c.resources : "(no resources)");
        ASSERT_TRUE(setRootResources(c.resources));
        EXPECT_FLOAT_EQ(plat::uiDpiScale(window), c.scale);
    }
}
