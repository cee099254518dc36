// Windows under Wine: Notepad is the other program in front (Wine hands raw input to nobody
// while no window at all is in front). The pointer is held still while counts arrive: Wine
// derives raw counts from pointer positions, and a pointer that travels to the screen's edge
// on a busy machine loses some, while one that moves even a pixel may gain one. The tests of the one Wine session take turns through ctest.
#include "tests/platform/system/raw_input_driver.h"

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/system/input.h"
#include "platform/system/window.h"

namespace raw_input_driver {

const bool kSkipWithoutWindow = false;

namespace {

// Notepad in front for the life of the object.
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

}  // namespace

struct Session::State {
    std::unique_ptr<OtherProgramInFront> other;
};

Session::Session() : state_(std::make_unique<State>()) {}
Session::~Session() = default;

bool Session::putAnotherWindowInFront(void* ours) {
    state_->other = std::make_unique<OtherProgramInFront>();
    return state_->other->inFront() && !plat::hasFocus(ours);
}

void Session::holdPointer(void* ours) {
    plat::centrePointer(ours);
    plat::setPointerCaptured(ours, true);
    // Pinned to the one pixel it stands on rather than the capture's two: a pointer that moves
    // at all is moved on the X server after it, and a late event from there, carrying the place
    // it had a move before, arrives as one more raw report (seen once as an extra 1,1).
    POINT at;
    if (GetCursorPos(&at)) {
        const RECT one = {at.x, at.y, at.x + 1, at.y + 1};
        ClipCursor(&one);
    }
}

}  // namespace raw_input_driver
