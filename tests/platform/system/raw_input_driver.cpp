// Linux: injected input reaches every client of the X server, so the tests that inject take
// turns with the other test programs of the run; a window that was never shown has no focus;
// XInput2 reports raw counts wherever the pointer goes.
#include "tests/platform/system/raw_input_driver.h"

#include "platform/system/window.h"
#include "tests/support/xtest_lock.h"

namespace raw_input_driver {

const bool kSkipWithoutWindow = true;

struct Session::State {
    XTestLock lock;
};

Session::Session() : state_(std::make_unique<State>()) {}
Session::~Session() = default;

bool Session::putAnotherWindowInFront(void* ours) { return !plat::hasFocus(ours); }

void Session::holdPointer(void*) {}

}  // namespace raw_input_driver
