// A start counts as an update's restart only when the hand-over came from the program that
// started it. A value that reached it some other way (an older build put "1" into its own
// environment, and so into every browser and terminal it started; a copied value; a forged
// one) makes it a plain start, which does not wait for a running copy to quit.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/base/process.h"
#include "platform/system/exe.h"
#include "tests/support/scoped_env.h"
#include "tests/updater/helpers.h"

namespace {

using namespace updater_test;

// The stand-in's mark once it has run with this hand-over (it says how it took it).
std::string markAfterStartWith(const TempFolder& dir, const std::string& value) {
    const std::string exe = dir.file("Tarvion");
    fs::remove(exe + ".ran");
    ScopedEnv handOver("TARVION_PROFILE_HANDOVER", value);
    if (!plat::launchExecutable(exe) || !test_files::waitForFile(exe + ".ran")) return "did not run";
    std::string mark;
    for (int i = 0; i < 100 && mark.empty(); ++i) {
        mark = test_files::read(exe + ".ran");
        if (mark.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return mark;
}

TEST(SuccessorHandOver, CountsOnlyWhenItComesFromTheProgramThatStartedIt) {
    TempFolder dir;
    // Away from this test program's folder: this program is no older build of it.
    fs::copy_file(UPDATER_DUMMY_EXE, dir.at("Tarvion"));
    const std::string self = std::to_string(plat::currentProcessId());
    const std::string plainStarts[] = {
        "1",  // an older build's restart value, but not from one
        "garbage",
        "fd:3:1",  // a process that is not the parent
        "fd:3:1:up",
        "fd:0:",  // no process
        "fd:0:" + self,  // the parent, but a descriptor that is no socket
        "fd:0:" + self + ":up",
        "fd:7:" + self + ":up",  // the parent, but nothing open there
        "event:Local\\Tarvion-started-1-1",  // the other system's values
        "handle:4:" + self,
    };
    for (const std::string& value : plainStarts) {
        SCOPED_TRACE(value);
        EXPECT_EQ(markAfterStartWith(dir, value), "ran\n");
    }
}

}  // namespace
