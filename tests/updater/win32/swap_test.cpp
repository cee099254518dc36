// The update install on Windows: the running executable is moved aside to ".old" while it
// runs, the verified download takes its place and is started, and the next start clears
// the ".old". A stand-in program plays the running Tarvion.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/base/process.h"
#include "platform/system/exe.h"
#include "platform/system/hash.h"
#include "tests/platform/win32/support.h"
#include "updater/steps.h"
#include "updater/updater.h"

namespace {

using namespace win_test;

// Removes a file a program may still hold open (Windows refuses until it lets go).
bool removeOnceLetGo(const fs::path& path) {
    std::error_code error;
    for (int i = 0; i < 100 && (fs::remove(path, error), fs::exists(path)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return !fs::exists(path);
}

class RunningSwap : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.ready());
        exe = dir.at("Tarvi\xC3\xB3n") / "Tarvion.exe";
        fs::create_directories(exe.parent_path());
        fs::copy_file(UPDATER_DUMMY_EXE, exe);
        oldBuild = test_files::read(exe);
        // The new build: the stand-in with bytes after its image (which Windows ignores),
        // past the minimum size.
        payload = test_files::paddedTo(oldBuild + "the new build", 600000);
        server.serve("Tarvion-2.2.0.exe", payload);
        dir.write("payload", payload);
        digest = plat::sha256File(dir.file("payload"));
        ASSERT_EQ(digest.size(), 64u);
    }
    updater::UpdateInfo info() const {
        updater::UpdateInfo i;
        i.available = true;
        i.version = "2.2.0";
        i.url = server.url("/Tarvion-2.2.0.exe");
        i.sha256 = digest;
        return i;
    }
    // Starts the "running" executable and waits until it has marked that it runs.
    void startOld(int holdMs) {
        ASSERT_TRUE(plat::setEnv("TARVION_DUMMY_HOLD_MS", std::to_string(holdMs)));
        ASSERT_TRUE(plat::launchExecutable(utf8(exe)));
        plat::unsetEnv("TARVION_DUMMY_HOLD_MS");
        ASSERT_TRUE(waitForFile(u8path(utf8(exe) + ".ran")));
        ASSERT_TRUE(removeOnceLetGo(u8path(utf8(exe) + ".ran")));
    }

    LoopbackServer server;
    TempFolder dir;
    fs::path exe;
    std::string oldBuild, payload, digest;
};

TEST_F(RunningSwap, MovesTheRunningExecutableAsideAndStartsTheNewOne) {
    startOld(2500);
    const updater::InstallOutcome out = updater::installUpdate(info(), utf8(exe), true);
    ASSERT_EQ(out.state, updater::UpdateInstalled) << out.message;
    EXPECT_EQ(out.message, "Updated to 2.2.0 - restarting...");
    EXPECT_EQ(test_files::read(exe), payload);
    EXPECT_EQ(test_files::read(u8path(utf8(exe) + ".old")), oldBuild);
    EXPECT_FALSE(fs::exists(u8path(utf8(exe) + ".new")));
    EXPECT_TRUE(waitForFile(u8path(utf8(exe) + ".ran"))) << "the new build was not started";
    // Started as the successor, with nothing of the hand-over left in its environment.
    std::string mark;
    for (int i = 0; i < 100 && mark.empty(); ++i) {
        mark = test_files::read(u8path(utf8(exe) + ".ran"));
        if (mark.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(mark, "ran as successor\n");

    // While the old program still runs its file cannot go; once it has ended, the next
    // start's clean-up removes it.
    updater::deleteOldExeAt(utf8(exe));
    const fs::path old = u8path(utf8(exe) + ".old");
    for (int i = 0; i < 100 && fs::exists(old); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        updater::deleteOldExeAt(utf8(exe));
    }
    EXPECT_FALSE(fs::exists(old));
}

TEST_F(RunningSwap, AFailedVerificationLeavesTheRunningProgramAlone) {
    startOld(1000);
    updater::UpdateInfo bad = info();
    bad.sha256 = std::string(64, '0');
    const updater::InstallOutcome out = updater::installUpdate(bad, utf8(exe), true);
    EXPECT_EQ(out.state, updater::UpdateFailed);
    EXPECT_EQ(out.message, "The download didn't pass verification, so nothing was changed.");
    EXPECT_EQ(test_files::read(exe), oldBuild);
    EXPECT_FALSE(fs::exists(u8path(utf8(exe) + ".old")));
    EXPECT_FALSE(fs::exists(u8path(utf8(exe) + ".new")));
}

TEST_F(RunningSwap, ADownloadThatIsNotAWindowsProgramIsRefused) {
    std::string notPe = payload;
    notPe[0] = '\x7f';
    notPe[1] = 'E';
    server.serve("elf", notPe);
    dir.write("elf", notPe);
    updater::UpdateInfo i = info();
    i.url = server.url("/elf");
    i.sha256 = plat::sha256File(dir.file("elf"));
    EXPECT_EQ(updater::installUpdate(i, utf8(exe), false).state, updater::UpdateFailed);
    EXPECT_EQ(test_files::read(exe), oldBuild);
}


std::vector<std::string> entriesOf(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(folder)) names.push_back(utf8(e.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(RunningSwap, ANewBuildThatWillNotStartIsSwappedBackOut) {
    // Passes the size, header and hash tests, but no system can run it.
    std::string broken = "MZ" + std::string("not really a program");
    broken.resize(600000, '\x01');
    server.serve("broken.exe", broken);
    dir.write("broken", broken);
    updater::UpdateInfo i = info();
    i.url = server.url("/broken.exe");
    i.sha256 = plat::sha256File(dir.file("broken"));
    startOld(8000);
    const std::vector<std::string> before = entriesOf(exe.parent_path());
    // The player's retry meets the same folder and ends the same way: nothing piles up,
    // and the running program's file is back under its own name.
    for (int attempt = 1; attempt <= 2; ++attempt) {
        const updater::InstallOutcome out = updater::installUpdate(i, utf8(exe), true);
        EXPECT_EQ(out.state, updater::UpdateFailed) << "attempt " << attempt;
        EXPECT_EQ(out.message, "Tarvion 2.2.0 would not start, so your current version was put back.");
        EXPECT_TRUE(test_files::read(exe) == oldBuild) << "attempt " << attempt << ": the current version is not back";
        EXPECT_EQ(entriesOf(exe.parent_path()), before) << "attempt " << attempt;
    }
}

// New builds that Windows starts but that end before they are up: one whose DLL is missing
// (c0000135, after a control run with the DLL beside it), one that exits, one that takes the
// hand-over and then exits (as a build whose window or renderer fails), and one that crashes
// (which the crash debugger may hold, and its file with it, after it has been ended).
TEST_F(RunningSwap, ANewBuildThatDiesAtOnceIsSwappedBackOut) {
    std::string needsLibrary = test_files::read(UPDATER_DUMMY_NEEDS_LIBRARY);
    ASSERT_FALSE(needsLibrary.empty());
    needsLibrary = test_files::paddedTo(needsLibrary, 600000);
    server.serve("needs-library.exe", needsLibrary);
    dir.write("needs-library", needsLibrary);
    updater::UpdateInfo withLibrary = info();
    withLibrary.url = server.url("/needs-library.exe");
    withLibrary.sha256 = plat::sha256File(dir.file("needs-library"));
    const fs::path library = exe.parent_path() / fs::path(UPDATER_DUMMY_LIBRARY).filename();
    fs::copy_file(UPDATER_DUMMY_LIBRARY, library);
    startOld(8000);
    ASSERT_EQ(updater::installUpdate(withLibrary, utf8(exe), true).state, updater::UpdateInstalled)
        << "the build itself runs";
    ASSERT_TRUE(waitForFile(u8path(utf8(exe) + ".ran")));
    // Back to the old build, for the cases below (the new one has ended by now or soon).
    const fs::path old = u8path(utf8(exe) + ".old");
    for (int i = 0; i < 100 && !plat::moveExecutable(utf8(old), utf8(exe)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // Its mark and its DLL go once it has let go of them.
    for (const fs::path& gone : {u8path(utf8(exe) + ".ran"), library}) ASSERT_TRUE(removeOnceLetGo(gone)) << utf8(gone);
    ASSERT_TRUE(test_files::read(exe) == oldBuild);

    const struct {
        const char* name;
        updater::UpdateInfo offer;
        const char* variable;
    } cases[] = {
        {"its DLL is missing", withLibrary, nullptr},
        {"it exits at once", info(), "TARVION_DUMMY_EXIT"},
        {"it fails before it is up", info(), "TARVION_DUMMY_FAIL_UP"},
        {"it crashes", info(), "TARVION_DUMMY_CRASH"},
    };
    const int savedWait = updater::successorStartWaitMs();
    updater::successorStartWaitMs() = 10000;
    startOld(8000);
    const std::vector<std::string> before = entriesOf(exe.parent_path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.variable) {
            ASSERT_TRUE(plat::setEnv(c.variable, "1"));
        }
        const updater::InstallOutcome out = updater::installUpdate(c.offer, utf8(exe), true);
        if (c.variable) plat::unsetEnv(c.variable);
        EXPECT_EQ(out.state, updater::UpdateFailed);
        EXPECT_EQ(out.message, "Tarvion 2.2.0 would not start, so your current version was put back.");
        EXPECT_TRUE(test_files::read(exe) == oldBuild) << "the current version is not back";
        EXPECT_EQ(entriesOf(exe.parent_path()), before);
    }
    updater::successorStartWaitMs() = savedWait;
}

// The player quits while the install waits for a new build that has said nothing: the exit
// ends that build and puts the current version back before it goes on (the move back over
// the new build's file works only once its image is gone).
TEST_F(RunningSwap, AQuitDuringTheWaitEndsTheNewBuildAndPutsTheCurrentOneBack) {
    startOld(8000);
    const std::vector<std::string> before = entriesOf(exe.parent_path());
    ASSERT_TRUE(plat::setEnv("TARVION_DUMMY_SILENT", "1"));
    updater::ExitControl control;
    updater::InstallOutcome out;
    std::thread install([&] { out = updater::installUpdate(info(), utf8(exe), true, &control); });
    bool swapped = false;
    for (int i = 0; i < 1200 && !swapped; ++i) {
        swapped = fs::exists(u8path(utf8(exe) + ".old")) && test_files::read(exe) == payload;
        if (!swapped) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(swapped);
    // Started right after the swap, and waited for from then on.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    plat::unsetEnv("TARVION_DUMMY_SILENT");
    updater::stopForExit(control, 2000);
    // As the exit goes on: the current version is back.
    EXPECT_TRUE(test_files::read(exe) == oldBuild) << "the build that never said it runs stays at the name";
    EXPECT_EQ(entriesOf(exe.parent_path()), before);
    install.join();
    EXPECT_EQ(out.state, updater::UpdateFailed);
}

// Starts the new build; once it has ended, its file stays held for a while, as the crash
// debugger holds a crashed build's image after it was ended.
struct HeldAfterItsEnd {
    static inline std::thread letGo;
    static bool launch(const std::string& path, const std::atomic<bool>* stop) {
        const bool up = plat::launchSuccessor(path, 10000, stop) == plat::SuccessorStart::Started;
        HANDLE h = CreateFileW(u8path(path).wstring().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                               nullptr);
        if (h != INVALID_HANDLE_VALUE) letGo = std::thread([h] {
            std::this_thread::sleep_for(std::chrono::seconds(3));
            CloseHandle(h);
        });
        return up;
    }
};

TEST_F(RunningSwap, TheWayBackWaitsWhileTheEndedBuildsFileIsHeld) {
    startOld(8000);
    const updater::InstallFileOps saved = updater::installFileOps();
    updater::installFileOps().launch = &HeldAfterItsEnd::launch;
    ASSERT_TRUE(plat::setEnv("TARVION_DUMMY_EXIT", "1"));
    const updater::InstallOutcome out = updater::installUpdate(info(), utf8(exe), true);
    plat::unsetEnv("TARVION_DUMMY_EXIT");
    updater::installFileOps() = saved;
    ASSERT_TRUE(HeldAfterItsEnd::letGo.joinable()) << "the new build's file could not be held";
    HeldAfterItsEnd::letGo.join();
    EXPECT_EQ(out.message, "Tarvion 2.2.0 would not start, so your current version was put back.");
    EXPECT_TRUE(test_files::read(exe) == oldBuild) << "the current version is not back";
    EXPECT_FALSE(fs::exists(u8path(utf8(exe) + ".old")));
}

TEST_F(RunningSwap, TheExitStopsADownloadAndDeletesWhatItWrote) {
    updater::ExitControl control;
    updater::InstallOutcome out;
    const fs::path partial = u8path(utf8(exe) + ".new");
    EXPECT_TRUE(endsWithin(std::chrono::seconds(20), server, [&] {
        updater::UpdateInfo i = info();
        i.url = server.url("/trickle/600000");
        std::thread install([&] { out = updater::installUpdate(i, utf8(exe), true, &control); });
        server.waitForRequest();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_TRUE(fs::exists(partial));
        updater::stopForExit(control, 2000);
        EXPECT_FALSE(fs::exists(partial));
        install.join();
    })) << "the download went on after the exit";
    EXPECT_EQ(out.state, updater::UpdateFailed);
    EXPECT_TRUE(test_files::read(exe) == oldBuild) << "the running program's file changed";
    EXPECT_FALSE(fs::exists(u8path(utf8(exe) + ".old")));
}

TEST(StartupPath, TheOldCompanionIsThatOfTheNameTheProgramStartedUnder) {
    // The probe moves its own file to "Tarvion.exe.moved", as an install moves it to
    // ".old", and then clears the old companion: that of "Tarvion.exe", never the other.
    TempFolder dir;
    const fs::path exe = dir.at("Tarvion.exe");
    fs::copy_file(UPDATER_PATH_PROBE, exe);
    dir.write("Tarvion.exe.old", "from the update before");
    dir.write("Tarvion.exe.moved.old", "not ours to delete");
    EXPECT_TRUE(runCommand("\"" + utf8(exe) + "\" >NUL"));
    EXPECT_FALSE(fs::exists(dir.at("Tarvion.exe.old")));
    EXPECT_TRUE(fs::exists(dir.at("Tarvion.exe.moved.old")));
}

}  // namespace
