// Under an X server (the test command runs Xvfb): synthetic input injected through XTest
// comes back through our XInput2 listener count for count, and F8 through the key grab.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <vector>

#include "platform/base/clock.h"
#include "platform/system/input.h"
#include "platform/system/window.h"
#include "tests/support/xtest_lock.h"

namespace {

struct Totals {
    int64_t dx = 0, dy = 0;
    int32_t reports = 0;
    std::vector<uint16_t> buttons;
    int32_t hotkeys = 0;
    std::vector<int32_t> keys;
    bool focusGained = false;
};

class RawInput : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server";
        window_ = plat::createGlWindow("raw input test", 320, 200, nullptr);
        if (!window_) GTEST_SKIP() << "no window";
        ASSERT_TRUE(plat::startRawMouse(window_));
    }
    void TearDown() override {
        plat::unregisterHotkeyF8();
        plat::setBackgroundRawMouse(false);
        plat::stopRawMouse();
        plat::destroyGlWindow(window_);
    }
    void pump(Totals& t) {
        events_.clear();
        plat::pumpEvents(window_, events_);
        for (const plat::Event& e : events_) {
            switch (e.kind) {
                case plat::EventKind::RawMouse:
                    t.dx += e.dx;
                    t.dy += e.dy;
                    t.reports += 1;
                    if (e.buttons) t.buttons.push_back(e.buttons);
                    break;
                case plat::EventKind::Hotkey:
                    if (e.hotkeyId == plat::kHotkeyF8) t.hotkeys += 1;
                    break;
                case plat::EventKind::Key:
                    if (!e.repeat) t.keys.push_back(e.key);
                    break;
                case plat::EventKind::FocusGained:
                    t.focusGained = true;
                    break;
                default:
                    break;
            }
        }
    }
    // Pumps until `done` holds or a second has passed, then a little longer so that
    // anything extra would show.
    Totals pumpUntil(const std::function<bool(const Totals&)>& done) {
        Totals t;
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (!done(t) && std::chrono::steady_clock::now() < until) pump(t);
        auto settle = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
        while (std::chrono::steady_clock::now() < settle) pump(t);
        return t;
    }
    // Everything that arrives in a short while: for checks that nothing (more) comes.
    Totals pumpFor(int milliseconds) {
        Totals t;
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < until) pump(t);
        return t;
    }
    void focusWindow() {
        plat::showAndFocus(window_);
        pumpUntil([](const Totals& t) { return t.focusGained; });
    }
    void* window_ = nullptr;
    std::vector<plat::Event> events_;
    XTestLock lock_;
};

TEST_F(RawInput, InjectedMovesArriveCountForCount) {
    plat::setBackgroundRawMouse(true);
    pumpFor(50);  // nothing left over
    struct Move {
        int32_t dx, dy, times;
    };
    // The input check's pattern, then large and odd counts.
    const Move moves[] = {{100, 0, 10}, {-7, 0, 25}, {0, 50, 4}, {250, 3, 100}, {-10, 0, 20}, {-1, -1, 7}};
    int64_t wantX = 0, wantY = 0;
    int32_t wantReports = 0;
    for (const Move& m : moves) {
        for (int i = 0; i < m.times; ++i) ASSERT_TRUE(plat::injectRelativeMove(m.dx, m.dy));
        wantX += static_cast<int64_t>(m.dx) * m.times;
        wantY += static_cast<int64_t>(m.dy) * m.times;
        wantReports += m.times;
    }
    Totals t = pumpUntil([&](const Totals& s) { return s.reports >= wantReports; });
    EXPECT_EQ(t.dx, wantX);
    EXPECT_EQ(t.dy, wantY);
    EXPECT_EQ(t.reports, wantReports);
}

TEST_F(RawInput, ButtonsArriveAsRawInputBits) {
    plat::setBackgroundRawMouse(true);
    pumpFor(50);
    ASSERT_TRUE(plat::injectButton(1, true));
    ASSERT_TRUE(plat::injectButton(1, false));
    ASSERT_TRUE(plat::injectButton(3, true));
    ASSERT_TRUE(plat::injectButton(3, false));
    Totals t = pumpUntil([](const Totals& s) { return s.buttons.size() >= 4; });
    EXPECT_EQ(t.buttons, (std::vector<uint16_t>{plat::MouseLeftDown, plat::MouseLeftUp, plat::MouseRightDown,
                                                plat::MouseRightUp}));
}

TEST_F(RawInput, WithoutFocusOnlyBackgroundInputSeesCounts) {
    // The window is still hidden, so it cannot have the focus.
    ASSERT_FALSE(plat::hasFocus(window_));
    plat::setBackgroundRawMouse(false);
    ASSERT_TRUE(plat::injectRelativeMove(40, 0));
    Totals dropped = pumpFor(200);
    EXPECT_EQ(dropped.reports, 0);

    plat::setBackgroundRawMouse(true);
    ASSERT_TRUE(plat::injectRelativeMove(40, 0));
    Totals kept = pumpUntil([](const Totals& s) { return s.reports >= 1; });
    EXPECT_EQ(kept.dx, 40);
}

TEST_F(RawInput, TheFocusedWindowSeesCountsAndKeys) {
    focusWindow();
    if (!plat::hasFocus(window_)) GTEST_SKIP() << "the X server did not hand over the focus";
    plat::setBackgroundRawMouse(false);
    pumpFor(50);
    ASSERT_TRUE(plat::injectRelativeMove(-25, 12));
    ASSERT_TRUE(plat::injectKeyTap(plat::KeyEscape));
    ASSERT_TRUE(plat::injectKeyTap(plat::KeyF12));
    ASSERT_TRUE(plat::injectKeyTap(plat::KeySpace));
    Totals t = pumpUntil([](const Totals& s) { return s.keys.size() >= 3 && s.reports >= 1; });
    // Other test programs share the X server; one may have taken the focus meanwhile.
    if (!plat::hasFocus(window_) && t.keys.size() < 3) GTEST_SKIP() << "another window took the focus";
    EXPECT_EQ(t.dx, -25);
    EXPECT_EQ(t.dy, 12);
    EXPECT_EQ(t.keys, (std::vector<int32_t>{plat::KeyEscape, plat::KeyF12, plat::KeySpace}));
}

TEST_F(RawInput, F8ReachesTheHotkeyOncePerPressWhileRegistered) {
    ASSERT_TRUE(plat::registerHotkeyF8());
    EXPECT_TRUE(plat::registerHotkeyF8());  // a second call keeps the one grab
    ASSERT_TRUE(plat::injectKeyTap(plat::KeyF8));
    Totals one = pumpUntil([](const Totals& s) { return s.hotkeys >= 1; });
    EXPECT_EQ(one.hotkeys, 1);
    EXPECT_TRUE(one.keys.empty());  // the grab takes it away from the window

    ASSERT_TRUE(plat::injectKeyTap(plat::KeyF8));
    ASSERT_TRUE(plat::injectKeyTap(plat::KeyF8));
    Totals two = pumpUntil([](const Totals& s) { return s.hotkeys >= 2; });
    EXPECT_EQ(two.hotkeys, 2);

    plat::unregisterHotkeyF8();
    ASSERT_TRUE(plat::injectKeyTap(plat::KeyF8));
    Totals none = pumpFor(200);
    EXPECT_EQ(none.hotkeys, 0);
}

}  // namespace
