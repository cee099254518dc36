#pragma once
// The system's side of the raw-input contract (raw_input_test.cpp, which runs on Linux under
// Xvfb and as a Windows program under Wine): what a test must hold while it injects input,
// how another program comes in front of ours, and how the pointer is held still. The input
// itself goes in through the platform layer on both systems.
#include <memory>

namespace raw_input_driver {

// Where the platform gives no window (no display), the contract's tests skip rather than
// fail; under Wine there is always one.
extern const bool kSkipWithoutWindow;

// Held for the whole of one test.
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Until the session ends, something other than `ours` has the focus, as the game has
    // while the calibration counts in the background. False when that could not be had.
    bool putAnotherWindowInFront(void* ours);
    // Holds the pointer still while counts arrive, as a round holds it, where the system
    // needs that to count every move.
    void holdPointer(void* ours);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace raw_input_driver
