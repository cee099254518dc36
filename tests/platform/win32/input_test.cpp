// Under Wine in Xvfb: moves and clicks injected through SendInput come back as WM_INPUT
// count for count (the prefix has pointer acceleration off), F8 through RegisterHotKey.
// Background input is checked with another program in front, as the game is while the
// calibration counts. The pointer is held still while counts arrive, as a round (or the
// game) holds it: Wine derives raw counts from pointer positions, and a pointer that
// travels to the screen's edge on a busy machine loses some.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/system/input.h"
#include "platform/system/window.h"

namespace {

struct Totals {
    int64_t dx = 0, dy = 0;
    int32_t reports = 0;
    std::vector<uint16_t> buttons;
    int32_t hotkeys = 0;
    std::vector<int32_t> keys;
};

// Notepad in front for the life of the object. (Wine also hands raw input to nobody while
// no window at all is in front.)
class OtherProgramInFront {
public:
    OtherProgramInFront() {
        std::system("start \"\" notepad.exe");
        for (int i = 0; i < 100 && !inFront(); ++i) {
            if (!window_) window_ = FindWindowW(L"Notepad", nullptr);
            if (window_) SetForegroundWindow(window_);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    ~OtherProgramInFront() {
        DWORD pid = 0;
        if (window_) GetWindowThreadProcessId(window_, &pid);
        if (HANDLE process = pid ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid) : nullptr) {
            TerminateProcess(process, 0);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    OtherProgramInFront(const OtherProgramInFront&) = delete;
    OtherProgramInFront& operator=(const OtherProgramInFront&) = delete;
    bool inFront() const { return window_ && GetForegroundWindow() == window_; }

private:
    HWND window_ = nullptr;
};

class RawInput : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = plat::createGlWindow("raw input test", 320, 200, nullptr);
        ASSERT_NE(window_, nullptr);
        ASSERT_TRUE(plat::startRawMouse(window_));
    }
    void TearDown() override {
        plat::setPointerCaptured(window_, false);
        plat::unregisterHotkeyF8();
        plat::setBackgroundRawMouse(false);
        plat::stopRawMouse();
        plat::destroyGlWindow(window_);
    }
    void holdPointer() {
        plat::centrePointer(window_);
        plat::setPointerCaptured(window_, true);
    }
    void otherProgramInFront() {
        other_ = std::make_unique<OtherProgramInFront>();
        ASSERT_TRUE(other_->inFront()) << "notepad did not come to the front";
        ASSERT_FALSE(plat::hasFocus(window_));
    }
    void pump(Totals& t) {
        events_.clear();
        plat::pumpEvents(window_, events_);
        for (const plat::Event& e : events_) {
            if (e.kind == plat::EventKind::RawMouse) {
                t.dx += e.dx;
                t.dy += e.dy;
                t.reports += 1;
                if (e.buttons) t.buttons.push_back(e.buttons);
            } else if (e.kind == plat::EventKind::Hotkey && e.hotkeyId == plat::kHotkeyF8) {
                t.hotkeys += 1;
            } else if (e.kind == plat::EventKind::Key && !e.repeat) {
                t.keys.push_back(e.key);
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
    Totals pumpFor(int milliseconds) {
        Totals t;
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < until) pump(t);
        return t;
    }
    std::unique_ptr<OtherProgramInFront> other_;
    void* window_ = nullptr;
    std::vector<plat::Event> events_;
};

TEST_F(RawInput, InjectedMovesArriveCountForCount) {
    ASSERT_NO_FATAL_FAILURE(otherProgramInFront());
    holdPointer();
    plat::setBackgroundRawMouse(true);
    pumpFor(50);
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
    ASSERT_NO_FATAL_FAILURE(otherProgramInFront());
    holdPointer();
    plat::setBackgroundRawMouse(true);
    pumpFor(50);
    ASSERT_TRUE(plat::injectButton(1, true));
    ASSERT_TRUE(plat::injectButton(1, false));
    ASSERT_TRUE(plat::injectButton(3, true));
    ASSERT_TRUE(plat::injectButton(3, false));
    EXPECT_FALSE(plat::injectButton(4, true));
    Totals t = pumpUntil([](const Totals& s) { return s.buttons.size() >= 4; });
    EXPECT_EQ(t.buttons, (std::vector<uint16_t>{plat::MouseLeftDown, plat::MouseLeftUp, plat::MouseRightDown,
                                                plat::MouseRightUp}));
}

TEST_F(RawInput, WithoutFocusOnlyBackgroundInputSeesCounts) {
    ASSERT_NO_FATAL_FAILURE(otherProgramInFront());
    holdPointer();
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

TEST_F(RawInput, F8HotkeyOncePerPressWhileRegistered) {
    ASSERT_NO_FATAL_FAILURE(otherProgramInFront());
    ASSERT_TRUE(plat::registerHotkeyF8());
    ASSERT_TRUE(plat::registerHotkeyF8());  // already ours
    pumpFor(50);
    ASSERT_TRUE(plat::injectKeyTap(plat::KeyF8));
    ASSERT_TRUE(plat::injectKeyTap(plat::KeyF8));
    EXPECT_EQ(pumpUntil([](const Totals& s) { return s.hotkeys >= 2; }).hotkeys, 2);

    plat::unregisterHotkeyF8();
    ASSERT_TRUE(plat::injectKeyTap(plat::KeyF8));
    EXPECT_EQ(pumpFor(300).hotkeys, 0);
}

TEST_F(RawInput, TheWindowInFrontSeesCountsAndKeys) {
    plat::showAndFocus(window_);
    pumpFor(300);
    if (!plat::hasFocus(window_)) GTEST_SKIP() << "the window did not come to the front";
    holdPointer();
    plat::setBackgroundRawMouse(false);
    ASSERT_TRUE(plat::injectRelativeMove(-25, 12));
    ASSERT_TRUE(plat::injectKeyTap(plat::KeyEscape));
    ASSERT_TRUE(plat::injectKeyTap(plat::KeyF12));
    ASSERT_TRUE(plat::injectKeyTap(plat::KeySpace));
    Totals t = pumpUntil([](const Totals& s) { return s.keys.size() >= 3 && s.reports >= 1; });
    EXPECT_EQ(t.dx, -25);
    EXPECT_EQ(t.dy, 12);
    EXPECT_EQ(t.keys, (std::vector<int32_t>{plat::KeyEscape, plat::KeyF12, plat::KeySpace}));
}

TEST_F(RawInput, CapturedPointerStillCountsAndIsGivenBack) {
    plat::showAndFocus(window_);
    pumpFor(300);
    plat::setBackgroundRawMouse(true);
    holdPointer();
    // Confined to two pixels, the pointer cannot move, but the counts still arrive.
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(plat::injectRelativeMove(30, -5));
    Totals t = pumpUntil([](const Totals& s) { return s.reports >= 20; });
    plat::setPointerCaptured(window_, false);
    EXPECT_EQ(t.dx, 600);
    EXPECT_EQ(t.dy, -100);
}

}  // namespace
