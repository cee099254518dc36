// The raw-input contract, the same on every system: moves and clicks injected through the
// system's input stream come back as raw mouse events count for count (XInput2 under Xvfb;
// WM_INPUT under Wine, whose prefix has pointer acceleration off), in the background only
// when background input is on, and F8 through the hotkey while it is registered. Built into
// the native platform suite and into the Windows one; raw_input_driver.h holds what differs.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/system/input.h"
#include "platform/system/window.h"
#include "tests/platform/system/raw_input_driver.h"
#include "tests/support/test_window.h"

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
        if (!window_.open("raw input test", 320, 200)) {
            if (raw_input_driver::kSkipWithoutWindow) GTEST_SKIP() << window_.why();
            FAIL() << window_.why();
        }
        ASSERT_TRUE(plat::startRawMouse(window_.get()));
    }
    void TearDown() override {
        plat::setPointerCaptured(window_.get(), false);
        plat::unregisterHotkeyF8();
        plat::setBackgroundRawMouse(false);
        plat::stopRawMouse();
        window_.close();
    }
    void* window() const { return window_.get(); }
    void anotherWindowInFront() {
        ASSERT_TRUE(system_.putAnotherWindowInFront(window())) << "another window did not come to the front";
    }
    void bringOursToFront() {
        plat::showAndFocus(window());
        pumpUntil([](const Totals& t) { return t.focusGained; });
    }
    void pump(Totals& t) {
        events_.clear();
        plat::pumpEvents(window(), events_);
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
    // Pumps until `done` holds or two seconds have passed, then a little longer so that
    // anything extra would show.
    Totals pumpUntil(const std::function<bool(const Totals&)>& done) {
        Totals t;
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!done(t) && std::chrono::steady_clock::now() < until) pump(t);
        auto settle = std::chrono::steady_clock::now() + std::chrono::milliseconds(150);
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

    raw_input_driver::Session system_;
    TestWindow window_;
    std::vector<plat::Event> events_;
};

TEST_F(RawInput, InjectedMovesArriveCountForCount) {
    ASSERT_NO_FATAL_FAILURE(anotherWindowInFront());
    system_.holdPointer(window());
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
    ASSERT_NO_FATAL_FAILURE(anotherWindowInFront());
    system_.holdPointer(window());
    plat::setBackgroundRawMouse(true);
    pumpFor(50);
    ASSERT_TRUE(plat::injectButton(1, true));
    ASSERT_TRUE(plat::injectButton(1, false));
    ASSERT_TRUE(plat::injectButton(3, true));
    ASSERT_TRUE(plat::injectButton(3, false));
    EXPECT_FALSE(plat::injectButton(4, true));  // left, middle and right only
    Totals t = pumpUntil([](const Totals& s) { return s.buttons.size() >= 4; });
    EXPECT_EQ(t.buttons, (std::vector<uint16_t>{plat::MouseLeftDown, plat::MouseLeftUp, plat::MouseRightDown,
                                                plat::MouseRightUp}));
}

TEST_F(RawInput, WithoutFocusOnlyBackgroundInputSeesCounts) {
    ASSERT_NO_FATAL_FAILURE(anotherWindowInFront());
    system_.holdPointer(window());
    plat::setBackgroundRawMouse(false);
    pumpFor(50);
    ASSERT_TRUE(plat::injectRelativeMove(40, 0));
    EXPECT_EQ(pumpFor(300).reports, 0);

    plat::setBackgroundRawMouse(true);
    ASSERT_TRUE(plat::injectRelativeMove(40, 0));
    Totals kept = pumpUntil([](const Totals& s) { return s.reports >= 1; });
    EXPECT_EQ(kept.dx, 40);
    EXPECT_EQ(kept.reports, 1);
}

TEST_F(RawInput, TheWindowInFrontSeesCountsAndKeys) {
    bringOursToFront();
    if (!plat::hasFocus(window())) GTEST_SKIP() << "the window did not come to the front";
    system_.holdPointer(window());
    plat::setBackgroundRawMouse(false);
    pumpFor(50);
    ASSERT_TRUE(plat::injectRelativeMove(-25, 12));
    ASSERT_TRUE(plat::injectKeyTap(plat::KeyEscape));
    ASSERT_TRUE(plat::injectKeyTap(plat::KeyF12));
    ASSERT_TRUE(plat::injectKeyTap(plat::KeySpace));
    Totals t = pumpUntil([](const Totals& s) { return s.keys.size() >= 3 && s.reports >= 1; });
    // Other test programs share the display; one may have taken the focus meanwhile.
    if (!plat::hasFocus(window()) && t.keys.size() < 3) GTEST_SKIP() << "another window took the focus";
    EXPECT_EQ(t.dx, -25);
    EXPECT_EQ(t.dy, 12);
    EXPECT_EQ(t.keys, (std::vector<int32_t>{plat::KeyEscape, plat::KeyF12, plat::KeySpace}));
}

TEST_F(RawInput, F8ReachesTheHotkeyOncePerPressWhileRegistered) {
    ASSERT_NO_FATAL_FAILURE(anotherWindowInFront());
    ASSERT_TRUE(plat::registerHotkeyF8());
    ASSERT_TRUE(plat::registerHotkeyF8());  // a second call keeps the one registration
    pumpFor(50);
    ASSERT_TRUE(plat::injectKeyTap(plat::KeyF8));
    Totals one = pumpUntil([](const Totals& s) { return s.hotkeys >= 1; });
    EXPECT_EQ(one.hotkeys, 1);
    EXPECT_TRUE(one.keys.empty());  // the hotkey takes it away from the window

    ASSERT_TRUE(plat::injectKeyTap(plat::KeyF8));
    ASSERT_TRUE(plat::injectKeyTap(plat::KeyF8));
    EXPECT_EQ(pumpUntil([](const Totals& s) { return s.hotkeys >= 2; }).hotkeys, 2);

    plat::unregisterHotkeyF8();
    ASSERT_TRUE(plat::injectKeyTap(plat::KeyF8));
    EXPECT_EQ(pumpFor(300).hotkeys, 0);
}

TEST_F(RawInput, CapturedPointerStillCountsAndIsGivenBack) {
    plat::showAndFocus(window());
    pumpFor(300);
    plat::setBackgroundRawMouse(true);
    plat::centrePointer(window());
    plat::setPointerCaptured(window(), true);
    // Confined, the pointer cannot move, but the counts still arrive.
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(plat::injectRelativeMove(30, -5));
    Totals t = pumpUntil([](const Totals& s) { return s.reports >= 20; });
    plat::setPointerCaptured(window(), false);
    EXPECT_EQ(t.dx, 600);
    EXPECT_EQ(t.dy, -100);
}

}  // namespace
