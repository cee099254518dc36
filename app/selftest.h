#pragma once
// --selftest: a fixed script that walks the whole program as a user would, photographs
// every screen and leaves two small text reports (selftest.txt, scope_range.txt) beside the
// captures. One step per main-loop pass; the rounds are played by the simulated aimer.
#include <cstdint>
#include <functional>
#include <string>

struct App;

// Where the script stands. `deferred` is the action a capture step holds back until its
// capture has been written, so each picture shows the state before the change.
struct SelfTestScript {
    int32_t step = 0;  // index into the script; selfTestStepCount() once it has ended
    int32_t wait = 0;  // passes still to skip
    std::function<void(App&)> deferred;
    // The current step's wait for its state: App.now when it began (-1: not waiting) and the
    // passes since.
    double waitingSince = -1;
    int32_t waitingPasses = 0;
};

// A step that waits for a state gives up once it has waited longer than its limit in program
// time (App.now) and for more than this many passes; the run then ends with
// App.automationFailure naming the step. The passes keep a state that needs a few frames to
// appear from being given up at speeds where one pass jumps far ahead in program time.
inline constexpr int32_t kSelfTestMinWaitPasses = 600;

// One pass of the process's own script.
void selfTestStep(App& app);
// One pass of a given script (tests drive their own).
void selfTestStep(App& app, SelfTestScript& script);

// Steps in the script, and the captures it requests, in order.
int32_t selfTestStepCount();
int32_t selfTestCaptureCount();
// The capture a step requests, or null when it requests none.
const char* selfTestCaptureOf(int32_t step);
// What a step waits for, and for how long at most in program time; null and 0 for a step
// that waits for nothing.
const char* selfTestAwaitedStateOf(int32_t step);
double selfTestLimitOf(int32_t step);

// The two reports as text, and written into App.shotsDir (false when the file could not be
// written; the script goes on either way, and puts such a file in App.unwrittenFiles).
std::string selfTestReport(const App& app);
std::string scopeRangeReport(const App& app);
std::string selfTestReportPath(const App& app);
std::string scopeRangeReportPath(const App& app);
bool writeSelfTestReport(const App& app);
bool writeScopeRangeReport(const App& app);
