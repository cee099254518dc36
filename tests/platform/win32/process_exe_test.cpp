// The process snapshot, whether a process runs, this process's environment, the running
// executable and starting another one.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/base/paths.h"
#include "platform/base/process.h"
#include "platform/system/exe.h"
#include "platform/system/instance.h"
#include "tests/platform/win32/support.h"
#include "tests/support/scoped_env.h"

namespace {

using namespace win_test;

bool listed(const std::string& name) {
    std::vector<std::string> names;
    if (!plat::runningProcessNames(names)) return false;
    return std::find(names.begin(), names.end(), name) != names.end();
}

// This test program's own file name.
std::string selfName() {
    const std::string self = plat::runningExecutablePath();
    return self.substr(self.find_last_of('\\') + 1);
}

// The holder hands nothing on to the programs it starts (a browser and what it starts): a
// Tarvion started from one of them is a second start, not its successor.
TEST(ProfileFolderClaim, TheHolderLeavesNoHandOverToWhatItStarts) {
    const TempFolder folder;
    ScopedEnv none("TARVION_PROFILE_HANDOVER", nullptr);
    ASSERT_EQ(plat::claimProfileFolder(folder.path()), plat::FolderClaim::Claimed);
    bool set = true;
    plat::getEnv("TARVION_PROFILE_HANDOVER", &set);
    EXPECT_FALSE(set);
    plat::releaseProfileFolder();
}

// The stand-in's mark once it has run with this hand-over (it says how it took it).
std::string markAfterStartWith(const fs::path& exe, const std::string& value) {
    const fs::path mark = u8path(utf8(exe) + ".ran");
    std::error_code error;
    fs::remove(mark, error);
    ScopedEnv handOver("TARVION_PROFILE_HANDOVER", value);
    if (!plat::launchExecutable(utf8(exe)) || !waitForFile(mark)) return "did not run";
    std::string text;
    for (int i = 0; i < 100 && text.empty(); ++i) {
        text = test_files::read(mark);
        if (text.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return text;
}

// A start counts as an update's restart only when the hand-over came from the program that
// started it. "1" (an older build put it into its own environment, and so into every
// browser it started), a forged value, or another copy's live event name make it a plain
// start, and that copy's event stays unset. An older build's own event still counts.
TEST(SuccessorHandOver, CountsOnlyWhenItComesFromTheProgramThatStartedIt) {
    TempFolder dir;
    // Away from this test program's folder: this program is no older build of it.
    const fs::path exe = dir.at("Tarvion.exe");
    fs::copy_file(UPDATER_DUMMY_EXE, exe);
    const std::string self = std::to_string(GetCurrentProcessId());
    const std::string other = std::to_string(GetCurrentProcessId() + 4);
    const std::wstring otherEvent = L"Local\\Tarvion-started-" + std::wstring(other.begin(), other.end()) + L"-1";
    HANDLE othersWait = CreateEventW(nullptr, TRUE, FALSE, otherEvent.c_str());
    ASSERT_NE(othersWait, nullptr);
    const std::string plainStarts[] = {
        "1",
        "garbage",
        "handle:4:" + other,  // not the parent
        "handle:0:" + self,   // the parent, but no handle
        "event:" + std::string(otherEvent.begin(), otherEvent.end()),
        "fd:3:" + self + ":up",  // the other system's value
    };
    for (const std::string& value : plainStarts) {
        SCOPED_TRACE(value);
        EXPECT_EQ(markAfterStartWith(exe, value), "ran\n");
    }
    EXPECT_EQ(WaitForSingleObject(othersWait, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "another copy's wait was ended";
    CloseHandle(othersWait);

    const std::wstring ownEvent = L"Local\\Tarvion-started-" + std::wstring(self.begin(), self.end()) + L"-1";
    HANDLE ownWait = CreateEventW(nullptr, TRUE, FALSE, ownEvent.c_str());
    ASSERT_NE(ownWait, nullptr);
    EXPECT_EQ(markAfterStartWith(exe, "event:" + std::string(ownEvent.begin(), ownEvent.end())), "ran as successor\n");
    EXPECT_EQ(WaitForSingleObject(ownWait, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(ownWait);
}

TEST(RunningProcessNames, FileNamesOfTheSnapshot) {
    std::vector<std::string> names;
    ASSERT_TRUE(plat::runningProcessNames(names));
    ASSERT_NE(selfName().find("win32_tests.exe"), std::string::npos) << selfName();
    EXPECT_NE(std::find(names.begin(), names.end(), selfName()), names.end());
}

TEST(RunningProcessNames, AProgramStartedFromAFolderOutsideAscii) {
    TempFolder dir;
    const fs::path exe = dir.at("Tarvi\xC3\xB3n") / u8path("TarvionStandIn.exe");
    fs::create_directories(exe.parent_path());
    fs::copy_file(UPDATER_DUMMY_EXE, exe);
    ASSERT_TRUE(plat::setEnv("TARVION_DUMMY_HOLD_MS", "3000"));
    ASSERT_TRUE(plat::launchExecutable(utf8(exe)));
    plat::unsetEnv("TARVION_DUMMY_HOLD_MS");
    ASSERT_TRUE(waitForFile(u8path(utf8(exe) + ".ran")));
    EXPECT_TRUE(listed("TarvionStandIn.exe"));
    // Once it has ended it is gone from the list.
    bool gone = false;
    for (int i = 0; i < 100 && !gone; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        gone = !listed("TarvionStandIn.exe");
    }
    EXPECT_TRUE(gone);
}

TEST(ProcessRunning, ThisOneAnotherOneAndOneThatHasEnded) {
    EXPECT_TRUE(plat::processRunning(plat::currentProcessId()));
    TempFolder dir;
    const fs::path exe = dir.at("stand in.exe");
    fs::copy_file(UPDATER_DUMMY_EXE, exe);
    ASSERT_TRUE(plat::setEnv("TARVION_DUMMY_HOLD_MS", "60000"));
    std::wstring line = L"\"" + exe.wstring() + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const bool started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    plat::unsetEnv("TARVION_DUMMY_HOLD_MS");
    ASSERT_TRUE(started);
    EXPECT_TRUE(plat::processRunning(pi.dwProcessId));
    TerminateProcess(pi.hProcess, 3);
    WaitForSingleObject(pi.hProcess, INFINITE);
    // Ended, though the handle held here keeps its record.
    EXPECT_FALSE(plat::processRunning(pi.dwProcessId));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_FALSE(plat::processRunning(pi.dwProcessId));
}

TEST(SetEnv, SetsEmptiesAndRemoves) {
    ASSERT_TRUE(plat::setEnv("TARVION_TEST_VAR", "Tarvi\xC3\xB3n"));
    bool set = false;
    EXPECT_EQ(plat::getEnv("TARVION_TEST_VAR", &set), "Tarvi\xC3\xB3n");
    EXPECT_TRUE(set);
    ASSERT_TRUE(plat::setEnv("TARVION_TEST_VAR", ""));
    EXPECT_EQ(plat::getEnv("TARVION_TEST_VAR", &set), "");
    ASSERT_TRUE(plat::unsetEnv("TARVION_TEST_VAR"));
    plat::getEnv("TARVION_TEST_VAR", &set);
    EXPECT_FALSE(set);
    EXPECT_TRUE(plat::unsetEnv("TARVION_TEST_VAR"));  // already gone
}

TEST(Executable, RunningPathAndMagic) {
    const std::string self = plat::runningExecutablePath();
    ASSERT_GT(self.size(), 3u);
    EXPECT_EQ(self[1], ':');
    EXPECT_NE(self.find("win32_tests.exe"), std::string::npos) << self;
    EXPECT_EQ(self.find('/'), std::string::npos) << self;
    EXPECT_EQ(plat::executableMagic(), "MZ");
    EXPECT_EQ(test_files::read(u8path(self)).substr(0, 2), "MZ");
}

TEST(Executable, MarkAndLaunch) {
    TempFolder dir;
    const fs::path exe = dir.at("n\xC3\xBC folder") / u8path("stand in.exe");
    fs::create_directories(exe.parent_path());
    fs::copy_file(UPDATER_DUMMY_EXE, exe);
    EXPECT_TRUE(plat::markExecutable(utf8(exe)));
    EXPECT_FALSE(plat::markExecutable(dir.file("missing.exe")));
    EXPECT_FALSE(plat::markExecutable(dir.path()));

    ASSERT_TRUE(plat::launchExecutable(utf8(exe)));
    EXPECT_TRUE(waitForFile(u8path(utf8(exe) + ".ran")));
    EXPECT_FALSE(plat::launchExecutable(dir.file("missing.exe")));
    EXPECT_FALSE(plat::launchExecutable(""));
}

}  // namespace
