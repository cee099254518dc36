#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <thread>

#include "platform/base/atomic_file.h"
#include "platform/system/exe.h"
#include "platform/system/hash.h"
#include "tests/support/forked_child.h"
#include "tests/support/scoped_env.h"
#include "tests/updater/helpers.h"
#include "updater/steps.h"
#include "updater/updater.h"

namespace {

using namespace updater_test;

const char* const kNotVerified = "The download didn't pass verification, so nothing was changed.";
// The fixture's executable is called "Tarvion"; the message names the file it could not replace.
const char* const kNoPermission =
    "Couldn't replace Tarvion (no permission in this folder?). Move Tarvion to your Desktop or "
    "Documents and try again.";
const char* const kNotInstalled = "Couldn't install the update - your current version is unchanged.";
const char* const kDownloadFailed = "Download failed - check your internet connection and try again.";

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// A folder holding the "running" executable (a stand-in, never the test binary) and a new
// build on the loopback server: the dummy program padded past the minimum size.
class InstallFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.ready());
        exe = dir.file("Tarvion");
        oldBuild = plat::executableMagic() + std::string("the build that runs now");
        test_files::write(exe, oldBuild);
        payload = test_files::read(UPDATER_DUMMY_EXE);
        ASSERT_FALSE(payload.empty());
        payload = test_files::paddedTo(payload, 600000);
        server.serve("Tarvion-2.2.0", payload);
        test_files::write(dir.file("payload"), payload);
        digest = plat::sha256File(dir.file("payload"));
        ASSERT_EQ(digest.size(), 64u);
    }

    updater::UpdateInfo info(const std::string& sha, const std::string& path = "/Tarvion-2.2.0") const {
        updater::UpdateInfo i;
        i.available = true;
        i.version = "2.2.0";
        i.url = server.url(path);
        i.sha256 = sha;
        return i;
    }

    void expectUnchanged() const {
        EXPECT_EQ(test_files::read(exe), oldBuild);
        EXPECT_FALSE(fs::exists(exe + ".new"));
    }

    LoopbackServer server;
    TempFolder dir;
    std::string exe, oldBuild, payload, digest;
};

TEST_F(InstallFixture, GoodHashSwapsAndStartsTheNewBuild) {
    const updater::InstallOutcome out = updater::installUpdate(info(digest), exe, true);
    EXPECT_EQ(out.state, updater::UpdateInstalled);
    EXPECT_EQ(out.message, "Updated to 2.2.0 - restarting...");
    EXPECT_EQ(test_files::read(exe), payload);
    EXPECT_EQ(test_files::read(exe + ".old"), oldBuild);
    EXPECT_FALSE(fs::exists(exe + ".new"));
    EXPECT_NE(fs::status(exe).permissions() & fs::perms::owner_exec, fs::perms::none);
    // Started as the successor, with nothing of the hand-over left in its environment. It
    // marks that after it has said that it runs.
    ASSERT_TRUE(test_files::waitForFile(exe + ".ran"));
    std::string mark;
    for (int i = 0; i < 100 && mark.empty(); ++i) {
        mark = test_files::read(exe + ".ran");
        if (mark.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(mark, "ran as successor\n");
}

TEST_F(InstallFixture, UpperCaseHashMatches) {
    EXPECT_EQ(updater::installUpdate(info(upper(digest)), exe, false).state, updater::UpdateInstalled);
    EXPECT_EQ(test_files::read(exe), payload);
}

struct BadHashCase {
    const char* name;
    std::string (*make)(const std::string& good);
};

void PrintTo(const BadHashCase& c, std::ostream* os) { *os << c.name; }

class BadHash : public InstallFixture, public ::testing::WithParamInterface<BadHashCase> {};

TEST_P(BadHash, ReplacesNothing) {
    const updater::InstallOutcome out = updater::installUpdate(info(GetParam().make(digest)), exe, false);
    EXPECT_EQ(out.state, updater::UpdateFailed);
    EXPECT_EQ(out.message, kNotVerified);
    expectUnchanged();
    EXPECT_FALSE(fs::exists(exe + ".old"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadHash,
    ::testing::Values(
        BadHashCase{"other digest", [](const std::string&) { return std::string(64, 'a'); }},
        BadHashCase{"one digit off",
                    [](const std::string& g) { return g.substr(0, 63) + (g[63] == '0' ? "1" : "0"); }},
        BadHashCase{"trailing space", [](const std::string& g) { return g + " "; }},
        BadHashCase{"leading space", [](const std::string& g) { return " " + g; }},
        BadHashCase{"truncated", [](const std::string& g) { return g.substr(0, 32); }},
        // No published hash: nothing tells the file from a tampered one.
        BadHashCase{"empty", [](const std::string&) { return std::string(); }}),
    [](const ::testing::TestParamInfo<BadHashCase>& i) { return "case" + std::to_string(i.index); });

TEST_F(InstallFixture, SizeLimitIsStrictlyAboveFiveHundredThousand) {
    for (size_t size : {size_t(500000), size_t(500001)}) {
        std::string body = payload;
        body.resize(size, '\0');
        server.serve("sized", body);
        test_files::write(dir.file("sized"), body);
        const updater::InstallOutcome out = updater::installUpdate(info(plat::sha256File(dir.file("sized")), "/sized"), exe, false);
        if (size == 500000) {
            EXPECT_EQ(out.state, updater::UpdateFailed);
            EXPECT_EQ(out.message, kNotVerified);
            expectUnchanged();
        } else {
            EXPECT_EQ(out.state, updater::UpdateInstalled) << out.message;
            EXPECT_EQ(test_files::read(exe), body);
        }
    }
}

TEST_F(InstallFixture, ForeignExecutableHeaderIsRefused) {
    // A Windows build on this platform (or any file not starting like our executables).
    std::string body = "MZ" + payload.substr(2);
    server.serve("foreign", body);
    test_files::write(dir.file("foreign"), body);
    const updater::InstallOutcome out =
        updater::installUpdate(info(plat::sha256File(dir.file("foreign")), "/foreign"), exe, false);
    EXPECT_EQ(out.message, kNotVerified);
    expectUnchanged();
}

TEST_F(InstallFixture, FailedDownloadChangesNothing) {
    for (const char* path : {"/status/404", "/missing", "/redirect?to=http://127.0.0.1:1/x"}) {
        const updater::InstallOutcome out = updater::installUpdate(info(digest, path), exe, false);
        EXPECT_EQ(out.state, updater::UpdateFailed) << path;
        EXPECT_EQ(out.message, kDownloadFailed) << path;
        expectUnchanged();
    }
    updater::UpdateInfo plain = info(digest);
    plain.url = "http://example.invalid/Tarvion-2.2.0";  // refused before any connection
    EXPECT_EQ(updater::installUpdate(plain, exe, false).message, kDownloadFailed);
    expectUnchanged();
}

TEST_F(InstallFixture, SameOrOlderVersionIsNeverInstalled) {
    for (const char* version : {"2.1.1", "2.0.0", "", "junk", "99999999999.0.0"}) {
        updater::UpdateInfo i = info(digest);
        i.version = version;
        const updater::InstallOutcome out = updater::installUpdate(i, exe, false);
        EXPECT_EQ(out.state, updater::UpdateFailed) << version;
        expectUnchanged();
    }
    EXPECT_TRUE(server.requests().empty()) << "nothing should have been downloaded";
}

TEST_F(InstallFixture, StaleCompanionsAreClearedFirst) {
    test_files::write(exe + ".new", "half of an earlier download");
    test_files::write(exe + ".old", "the build before last");
    ASSERT_EQ(updater::installUpdate(info(digest), exe, false).state, updater::UpdateInstalled);
    EXPECT_EQ(test_files::read(exe + ".old"), oldBuild);
    EXPECT_FALSE(fs::exists(exe + ".new"));

    // A stale .new is gone even when the next attempt fails.
    test_files::write(exe + ".new", "stale");
    updater::installUpdate(info(std::string(64, 'b')), exe, false);
    EXPECT_FALSE(fs::exists(exe + ".new"));
}

// Linux tells "Tarvion.NEW" from "Tarvion.new": files whose names differ from the companions
// only in case are the player's own (an older build kept by hand), and no step touches them.
TEST_F(InstallFixture, NamesThatDifferFromTheCompanionsInCaseAreLeftAlone) {
    test_files::write(dir.file("Tarvion.NEW"), "the player's copy");
    test_files::write(dir.file("Tarvion.OLD"), "the player's older build");
    ASSERT_EQ(updater::installUpdate(info(digest), exe, false).state, updater::UpdateInstalled);
    EXPECT_EQ(test_files::read(exe), payload);
    EXPECT_EQ(test_files::read(exe + ".old"), oldBuild);
    EXPECT_EQ(test_files::read(dir.file("Tarvion.NEW")), "the player's copy");
    EXPECT_EQ(test_files::read(dir.file("Tarvion.OLD")), "the player's older build");
}

TEST_F(InstallFixture, ExecutableThatCannotBeMovedAsideStaysInPlace) {
    // A folder where the old file goes: the move aside fails whatever our privileges.
    fs::create_directory(exe + ".old");
    test_files::write(fs::path(exe + ".old") / "keep", "x");
    const updater::InstallOutcome out = updater::installUpdate(info(digest), exe, false);
    EXPECT_EQ(out.state, updater::UpdateFailed);
    EXPECT_EQ(out.message, kNoPermission);
    expectUnchanged();
    EXPECT_TRUE(fs::exists(fs::path(exe + ".old") / "keep"));
}

TEST_F(InstallFixture, ReadOnlyFolderEndsInFailureWithNothingChanged) {
    fs::permissions(dir.dir(), fs::perms::owner_read | fs::perms::owner_exec);
    if (fs::exists(dir.dir())) {
        const bool stillWritable = std::ofstream(dir.at("probe")).good();
        if (stillWritable) {
            fs::permissions(dir.dir(), fs::perms::owner_all);
            GTEST_SKIP() << "running with privileges that ignore folder permissions";
        }
    }
    const updater::InstallOutcome out = updater::installUpdate(info(digest), exe, false);
    fs::permissions(dir.dir(), fs::perms::owner_all);
    EXPECT_EQ(out.state, updater::UpdateFailed);
    EXPECT_EQ(out.message, kNoPermission);
    expectUnchanged();
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(InstallFixture, NewFileThatCannotBeWrittenIsAPermissionProblem) {
    // A folder in the new file's place cannot be deleted or written over.
    fs::create_directory(exe + ".new");
    const updater::InstallOutcome out = updater::installUpdate(info(digest), exe, false);
    EXPECT_EQ(out.state, updater::UpdateFailed);
    EXPECT_EQ(out.message, kNoPermission);
    EXPECT_EQ(test_files::read(exe), oldBuild);
    EXPECT_FALSE(fs::exists(exe + ".old"));
    EXPECT_TRUE(server.requests().empty()) << "nothing should be downloaded that cannot be kept";
}

TEST_F(InstallFixture, TheMessageNamesThisPlatformsExecutable) {
    // The Linux build is "tarvion"; the message must not send its player looking for an .exe.
    const std::string linuxExe = dir.file("tarvion");
    test_files::write(linuxExe, oldBuild);
    fs::create_directory(linuxExe + ".old");
    test_files::write(fs::path(linuxExe + ".old") / "keep", "x");
    const updater::InstallOutcome out = updater::installUpdate(info(digest), linuxExe, false);
    EXPECT_EQ(out.message,
              "Couldn't replace tarvion (no permission in this folder?). Move Tarvion to your Desktop or Documents "
              "and try again.");
    EXPECT_EQ(out.message.find(".exe"), std::string::npos);
}

// Moves that fail from a given call on (counted from 1, the move aside first), the others
// done for real.
struct FailingMoves {
    static inline int call = 0;
    static inline int failFrom = 0;
    static inline int failTo = 0;
    static bool failsNow() {
        ++call;
        return call >= failFrom && call <= failTo;
    }
    static bool keepAside(const std::string& exe, const std::string& aside) {
        return !failsNow() && plat::keepExecutableAside(exe, aside);
    }
    // As Windows keeps a running executable aside: moved, its name left empty.
    static bool moveAside(const std::string& exe, const std::string& aside) {
        return !failsNow() && plat::replaceFile(exe, aside);
    }
    static bool replace(const std::string& from, const std::string& to) {
        return !failsNow() && plat::replaceFile(from, to);
    }
};

class InstallMoves : public InstallFixture {
protected:
    void SetUp() override {
        InstallFixture::SetUp();
        saved = updater::installFileOps();
        updater::installFileOps().keepAside = &FailingMoves::keepAside;
        updater::installFileOps().replaceFile = &FailingMoves::replace;
        FailingMoves::call = 0;
    }
    void TearDown() override { updater::installFileOps() = saved; }
    static void installFileOpsMovingAside() { updater::installFileOps().keepAside = &FailingMoves::moveAside; }
    updater::InstallFileOps saved{};
};

TEST_F(InstallMoves, ANewFileThatCannotBePutInPlaceBringsTheOldOneBack) {
    FailingMoves::failFrom = 2;  // the executable is kept aside; the new one does not follow
    FailingMoves::failTo = 2;
    const updater::InstallOutcome out = updater::installUpdate(info(digest), exe, false);
    EXPECT_EQ(out.state, updater::UpdateFailed);
    EXPECT_EQ(out.message, kNotInstalled);
    EXPECT_EQ(test_files::read(exe), oldBuild);
    // It never left its name, so only its second name goes; the download stays for the
    // next try to delete.
    EXPECT_EQ(FailingMoves::call, 2);
    EXPECT_FALSE(fs::exists(exe + ".old"));
    EXPECT_EQ(test_files::read(exe + ".new"), payload);

    // Where the executable had to be moved aside (Windows), it is moved back.
    installFileOpsMovingAside();
    FailingMoves::call = 0;
    EXPECT_EQ(updater::installUpdate(info(digest), exe, false).message, kNotInstalled);
    EXPECT_EQ(test_files::read(exe), oldBuild);
    EXPECT_EQ(FailingMoves::call, 3);
}

TEST_F(InstallMoves, AFailedWayBackIsSaidAndNamesBothFiles) {
    installFileOpsMovingAside();
    FailingMoves::failFrom = 2;  // neither the new file nor the old one reaches the executable's name
    FailingMoves::failTo = 3;
    const updater::InstallOutcome out = updater::installUpdate(info(digest), exe, false);
    EXPECT_EQ(out.state, updater::UpdateFailed);
    EXPECT_EQ(out.message, "Couldn't install the update, and putting the current version back failed too: it is "
                           "now \"" + exe + ".old\". Rename it back to \"" + exe + "\" to start Tarvion again.");
    EXPECT_EQ(out.message.find("unchanged"), std::string::npos);
    // What the message says is where things are.
    EXPECT_FALSE(fs::exists(exe));
    EXPECT_EQ(test_files::read(exe + ".old"), oldBuild);
}

std::vector<std::string> entriesOf(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(InstallFixture, ANewVersionThatCannotBeStartedIsSwappedBackOut) {
    // Passes every check (size, header, hash) but is no program the system can run.
    std::string body = plat::executableMagic() + std::string("not really a program");
    body.resize(600000, '\x01');
    server.serve("unstartable", body);
    test_files::write(dir.file("unstartable"), body);
    const std::vector<std::string> before = entriesOf(dir.dir());
    // The player's retry meets the same folder and ends the same way: nothing piles up.
    for (int attempt = 1; attempt <= 2; ++attempt) {
        const updater::InstallOutcome out =
            updater::installUpdate(info(plat::sha256File(dir.file("unstartable")), "/unstartable"), exe, true);
        EXPECT_EQ(out.state, updater::UpdateFailed) << "Installed would end this program with nothing running";
        EXPECT_EQ(out.message, "Tarvion 2.2.0 would not start, so your current version was put back.");
        EXPECT_TRUE(test_files::read(exe) == oldBuild) << "attempt " << attempt << ": the current version is not back";
        EXPECT_EQ(entriesOf(dir.dir()), before) << "attempt " << attempt;
    }
}

// Builds the system starts but that end, crash or keep quiet before they are up (one takes
// the hand-over first, as a build whose window or renderer then fails): the card says so, and
// the folder is as it was before the install.
TEST_F(InstallFixture, ANewBuildThatDiesAtOnceIsSwappedBackOut) {
    const int savedWait = updater::successorStartWaitMs();
    updater::successorStartWaitMs() = 3000;
    const std::pair<const char*, const char*> cases[] = {
        {"TARVION_DUMMY_EXIT", "1"},
        {"TARVION_DUMMY_CRASH", "1"},
        {"TARVION_DUMMY_SILENT", "1"},
        {"TARVION_DUMMY_FAIL_UP", "1"},
    };
    const std::vector<std::string> before = entriesOf(dir.dir());
    for (const auto& [variable, value] : cases) {
        SCOPED_TRACE(variable);
        ScopedEnv dies(variable, value);
        const updater::InstallOutcome out = updater::installUpdate(info(digest), exe, true);
        EXPECT_EQ(out.state, updater::UpdateFailed) << "Installed would end this program with nothing running";
        EXPECT_EQ(out.message, "Tarvion 2.2.0 would not start, so your current version was put back.");
        EXPECT_TRUE(test_files::read(exe) == oldBuild) << "the current version is not back";
        EXPECT_EQ(entriesOf(dir.dir()), before);
    }
    updater::successorStartWaitMs() = savedWait;
}

// Whether a program runs from this file (its image, as /proc tells).
bool runsFrom(const std::string& path) {
    for (const fs::directory_entry& e : fs::directory_iterator("/proc")) {
        std::error_code error;
        if (fs::read_symlink(e.path() / "exe", error) == fs::path(path)) return true;
    }
    return false;
}

// The player quits while the install waits for a new build that has said nothing: the exit
// ends that build and puts the current version back before it goes on.
TEST_F(InstallFixture, AQuitDuringTheWaitEndsTheNewBuildAndPutsTheCurrentOneBack) {
    ScopedEnv silent("TARVION_DUMMY_SILENT", "1");
    const std::vector<std::string> before = entriesOf(dir.dir());
    updater::ExitControl control;
    updater::InstallOutcome out;
    std::thread install([&] { out = updater::installUpdate(info(digest), exe, true, &control); });
    bool waiting = false;
    for (int i = 0; i < 500 && !waiting; ++i) {
        waiting = runsFrom(exe);
        if (!waiting) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(waiting) << "the new build was not started";
    updater::stopForExit(control, 2000);
    // As the exit goes on: the current version is back and nothing of the new one runs.
    EXPECT_TRUE(test_files::read(exe) == oldBuild) << "the build that never said it runs stays at the name";
    EXPECT_FALSE(runsFrom(exe));
    EXPECT_EQ(entriesOf(dir.dir()), before);
    install.join();
    EXPECT_EQ(out.state, updater::UpdateFailed);
}

// The program lets go of its profile before anything is swapped or started (the new build
// takes it as it starts); an exit while it is asked for changes nothing.
TEST_F(InstallFixture, TheProfileIsLetGoOfBeforeTheNewBuildStarts) {
    updater::handOverProfileOnInstall();
    struct Seen {
        bool asked = false, oldAtName = false, aside = false, started = false;
    } seen;
    std::thread mainLoop([&] {
        for (int i = 0; i < 1000 && !updater::profileWanted(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        seen.asked = updater::profileWanted();
        seen.oldAtName = test_files::read(exe) == oldBuild;
        seen.aside = fs::exists(exe + ".old");
        seen.started = fs::exists(exe + ".ran");
        updater::profileLetGo();
    });
    EXPECT_EQ(updater::installUpdate(info(digest), exe, true).state, updater::UpdateInstalled);
    mainLoop.join();
    EXPECT_TRUE(seen.asked);
    EXPECT_TRUE(seen.oldAtName);
    EXPECT_FALSE(seen.aside);
    EXPECT_FALSE(seen.started);
    EXPECT_FALSE(updater::profileWanted());

    // Never let go of: the exit stops the install there.
    fs::remove(exe);
    test_files::write(exe, oldBuild);
    fs::remove(exe + ".old");
    updater::ExitControl control;
    updater::InstallOutcome out;
    std::thread install([&] { out = updater::installUpdate(info(digest), exe, true, &control); });
    for (int i = 0; i < 1000 && !updater::profileWanted(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(updater::profileWanted());
    updater::stopForExit(control, 2000);
    install.join();
    updater::handOverProfileOnInstall(false);
    EXPECT_EQ(out.state, updater::UpdateFailed);
    EXPECT_EQ(out.message, "The update was stopped.");
    expectUnchanged();
    EXPECT_FALSE(fs::exists(exe + ".old"));
    EXPECT_FALSE(updater::profileWanted());
}

// A build whose loader gives up: the stand-in linked against a library of its own, which
// runs while the library is beside it and not once it is gone.
TEST_F(InstallFixture, ABuildWhoseLibraryIsMissingIsSwappedBackOut) {
    std::string build = test_files::read(UPDATER_DUMMY_NEEDS_LIBRARY);
    ASSERT_FALSE(build.empty());
    build = test_files::paddedTo(build, 600000);
    server.serve("needs-library", build);
    dir.write("needs-library", build);
    const updater::UpdateInfo offer = info(plat::sha256File(dir.file("needs-library")), "/needs-library");
    const fs::path library = dir.at(fs::path(UPDATER_DUMMY_LIBRARY).filename());
    fs::copy_file(UPDATER_DUMMY_LIBRARY, library);
    EXPECT_EQ(updater::installUpdate(offer, exe, true).state, updater::UpdateInstalled) << "the build itself runs";
    EXPECT_TRUE(test_files::waitForFile(exe + ".ran"));

    // The build may still run: its file is removed, not written over.
    fs::remove(exe);
    test_files::write(exe, oldBuild);
    fs::remove(exe + ".old");
    fs::remove(exe + ".ran");
    fs::remove(library);
    const std::vector<std::string> before = entriesOf(dir.dir());
    const updater::InstallOutcome out = updater::installUpdate(offer, exe, true);
    EXPECT_EQ(out.state, updater::UpdateFailed);
    EXPECT_EQ(out.message, "Tarvion 2.2.0 would not start, so your current version was put back.");
    EXPECT_TRUE(test_files::read(exe) == oldBuild) << "the current version is not back";
    EXPECT_EQ(entriesOf(dir.dir()), before);
}

// The swap's steps, each with a kill just before it (and one after the last): wherever the
// program is killed, a whole program stands at its name, the current one or the new one.
struct KillingSteps {
    static inline int step = 0;
    static inline int killAt = 0;
    static void maybeDie() {
        if (++step == killAt) forked_test::killSelf();
    }
    static bool flush(const std::string& path) {
        maybeDie();
        return plat::syncFile(path);
    }
    static bool keepAside(const std::string& exe, const std::string& aside) {
        maybeDie();
        return plat::keepExecutableAside(exe, aside);
    }
    static bool replace(const std::string& from, const std::string& to) {
        maybeDie();
        const bool moved = plat::replaceFile(from, to);
        maybeDie();
        return moved;
    }
};

TEST_F(InstallFixture, AKillAtAnyStepOfTheSwapLeavesAWholeProgramAtItsName) {
    for (int killAt = 1; killAt <= 4; ++killAt) {
        SCOPED_TRACE(testing::Message() << "killed at step " << killAt);
        test_files::write(exe, oldBuild);
        fs::remove(exe + ".old");
        fs::remove(exe + ".new");
        forked_test::Child install([&](forked_test::Child&) {
            updater::installFileOps().flush = &KillingSteps::flush;
            updater::installFileOps().keepAside = &KillingSteps::keepAside;
            updater::installFileOps().replaceFile = &KillingSteps::replace;
            KillingSteps::killAt = killAt;
            updater::installUpdate(info(digest), exe, false);
            return 0;
        });
        ASSERT_TRUE(install.started());
        ASSERT_EQ(install.wait(), 128 + 9) << "the install was not killed";
        const std::string atName = test_files::read(exe);
        EXPECT_TRUE(atName == oldBuild || atName == payload) << "no whole program at the name";
        EXPECT_EQ(atName == payload, killAt == 4);
    }
}

TEST_F(InstallFixture, TheDownloadIsOnTheDiskBeforeItTakesTheName) {
    static std::vector<std::string> steps;
    steps.clear();
    const updater::InstallFileOps saved = updater::installFileOps();
    updater::installFileOps().flush = [](const std::string& path) {
        steps.push_back("flush " + path);
        return plat::syncFile(path);
    };
    updater::installFileOps().keepAside = [](const std::string& exe, const std::string& aside) {
        steps.push_back("aside");
        return plat::keepExecutableAside(exe, aside);
    };
    EXPECT_EQ(updater::installUpdate(info(digest), exe, false).state, updater::UpdateInstalled);
    updater::installFileOps() = saved;
    EXPECT_EQ(steps, (std::vector<std::string>{"flush " + exe + ".new", "aside"}));
}

TEST_F(InstallMoves, ABuildThatWillNotStartAndNoWayBackIsSaid) {
    updater::installFileOps().launch = [](const std::string&, const std::atomic<bool>*) { return false; };
    FailingMoves::failFrom = 3;  // the swap works; the way back does not
    FailingMoves::failTo = 3;
    const updater::InstallOutcome out = updater::installUpdate(info(digest), exe, true);
    EXPECT_EQ(out.state, updater::UpdateFailed);
    EXPECT_EQ(out.message, "Tarvion 2.2.0 would not start, and putting the current version back failed too: it is "
                           "now \"" + exe + ".old\". Rename it back to \"" + exe + "\" to start Tarvion again.");
    EXPECT_EQ(test_files::read(exe + ".old"), oldBuild);
}

// The updater's downloads under a short progress rule: 1 KiB every 2 s.
class InstallDeadline : public InstallFixture {
protected:
    void SetUp() override {
        InstallFixture::SetUp();
        saved = updater::downloadProgressRule();
        updater::downloadProgressRule() = plat::DownloadProgressRule{1024, 2};
    }
    void TearDown() override { updater::downloadProgressRule() = saved; }
    plat::DownloadProgressRule saved{};
};

TEST_F(InstallDeadline, ADownloadThatKeepsNoPaceEndsInTheFailureCard) {
    updater::InstallOutcome out;
    EXPECT_TRUE(endsWithin(std::chrono::seconds(20), server,
                           [&] { out = updater::installUpdate(info(digest, "/trickle/600000"), exe, false); }))
        << "the download was never given up";
    EXPECT_EQ(out.state, updater::UpdateFailed);
    EXPECT_EQ(out.message, kDownloadFailed);
    expectUnchanged();
}

TEST_F(InstallFixture, TheExitStopsADownloadAndDeletesWhatItWrote) {
    updater::ExitControl control;
    updater::InstallOutcome out;
    const fs::path partial = exe + ".new";
    EXPECT_TRUE(endsWithin(std::chrono::seconds(20), server, [&] {
        std::thread install([&] { out = updater::installUpdate(info(digest, "/trickle/600000"), exe, true, &control); });
        server.waitForRequest();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_TRUE(fs::exists(partial));
        updater::stopForExit(control, 2000);
        // Gone when the exit goes on, whether or not the download has noticed yet.
        EXPECT_FALSE(fs::exists(partial));
        install.join();
    })) << "the download went on after the exit";
    EXPECT_EQ(out.state, updater::UpdateFailed);
    expectUnchanged();
    EXPECT_FALSE(fs::exists(exe + ".old"));
    // Nothing starts once the exit has begun.
    EXPECT_EQ(updater::installUpdate(info(digest), exe, false, &control).state, updater::UpdateFailed);
    expectUnchanged();
}

// A swap that takes its time: the exit waits for it rather than cutting it off half-way.
struct SlowMoves {
    static inline std::atomic<bool> inSwap{false};
    static bool replace(const std::string& from, const std::string& to) {
        inSwap.store(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return plat::replaceFile(from, to);
    }
};

TEST_F(InstallMoves, TheExitLetsASwapUnderWayFinish) {
    updater::installFileOps().replaceFile = &SlowMoves::replace;
    updater::ExitControl control;
    std::thread install([&] { updater::installUpdate(info(digest), exe, false, &control); });
    for (int i = 0; i < 400 && !SlowMoves::inSwap.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(SlowMoves::inSwap.load());
    updater::stopForExit(control, 5000);
    // Both moves are done when the exit goes on.
    EXPECT_EQ(test_files::read(exe), payload);
    EXPECT_EQ(test_files::read(exe + ".old"), oldBuild);
    install.join();
}

TEST(DeleteOldExe, WorksOnTheNameTheProgramStartedUnder) {
    // The probe moves its own file to "Tarvion.moved", as an install moves it to ".old",
    // and then clears the old companion: that of "Tarvion", never that of the moved file.
    TempFolder dir;
    const fs::path exe = dir.at("Tarvion");
    fs::copy_file(UPDATER_PATH_PROBE, exe);
    dir.write("Tarvion.old", "from the update before");
    dir.write("Tarvion.moved.old", "not ours to delete");
    FILE* out = popen(("\"" + exe.string() + "\"").c_str(), "r");
    ASSERT_NE(out, nullptr);
    char line[4096] = {};
    const bool read = std::fgets(line, sizeof line, out) != nullptr;
    EXPECT_EQ(pclose(out), 0);
    ASSERT_TRUE(read);
    // What the system reports by then: the moved file.
    EXPECT_EQ(std::string(line), exe.string() + ".moved\n");
    EXPECT_FALSE(fs::exists(dir.at("Tarvion.old")));
    EXPECT_TRUE(fs::exists(dir.at("Tarvion.moved.old")));
}

TEST(DeleteOldExe, RemovesOnlyTheOldCompanion) {
    TempFolder dir;
    const std::string exe = dir.file("Tarvion");
    test_files::write(exe, "exe");
    test_files::write(exe + ".new", "new");
    test_files::write(exe + ".old", "old");
    updater::deleteOldExeAt(exe);
    EXPECT_FALSE(fs::exists(exe + ".old"));
    EXPECT_TRUE(fs::exists(exe));
    EXPECT_TRUE(fs::exists(exe + ".new"));
    updater::deleteOldExeAt(exe);  // nothing left to delete: no harm
    updater::deleteOldExeAt("");
    EXPECT_TRUE(fs::exists(exe));

    // The public call works on the executable it is pointed at.
    test_files::write(exe + ".old", "old");
    updater::setExecutablePathForTesting(exe, false);
    updater::deleteOldExe();
    EXPECT_FALSE(fs::exists(exe + ".old"));
    EXPECT_TRUE(fs::exists(exe));
}

// Every start clears "<exe>.old"; a "Tarvion.OLD" beside the program is another file on Linux
// (the player's own copy of an older build) and stays, with or without the real companion.
TEST(DeleteOldExe, AFileWhoseNameDiffersInCaseSurvives) {
    TempFolder dir;
    const std::string exe = dir.file("Tarvion");
    test_files::write(exe, "exe");
    test_files::write(dir.file("Tarvion.OLD"), "the player's older build");
    updater::deleteOldExeAt(exe);
    EXPECT_EQ(test_files::read(dir.file("Tarvion.OLD")), "the player's older build");
    test_files::write(exe + ".old", "old");
    updater::deleteOldExeAt(exe);
    EXPECT_FALSE(fs::exists(exe + ".old"));
    EXPECT_EQ(test_files::read(dir.file("Tarvion.OLD")), "the player's older build");
}

}  // namespace
