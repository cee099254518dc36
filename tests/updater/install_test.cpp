#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "platform/base/atomic_file.h"
#include "platform/system/exe.h"
#include "platform/system/hash.h"
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
        exe = dir.str("Tarvion");
        oldBuild = plat::executableMagic() + std::string("the build that runs now");
        writeAll(exe, oldBuild);
        payload = readAll(UPDATER_DUMMY_EXE);
        ASSERT_FALSE(payload.empty());
        payload.resize(600000, '\0');
        server.serve("Tarvion-2.2.0", payload);
        writeAll(dir.str("payload"), payload);
        digest = plat::sha256File(dir.str("payload"));
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
        EXPECT_EQ(readAll(exe), oldBuild);
        EXPECT_FALSE(fs::exists(exe + ".new"));
    }

    LoopbackServer server;
    TempDir dir;
    std::string exe, oldBuild, payload, digest;
};

TEST_F(InstallFixture, GoodHashSwapsAndStartsTheNewBuild) {
    const updater::InstallOutcome out = updater::installUpdate(info(digest), exe, true);
    EXPECT_EQ(out.state, updater::UpdateInstalled);
    EXPECT_EQ(out.message, "Updated to 2.2.0 - restarting...");
    EXPECT_EQ(readAll(exe), payload);
    EXPECT_EQ(readAll(exe + ".old"), oldBuild);
    EXPECT_FALSE(fs::exists(exe + ".new"));
    EXPECT_NE(fs::status(exe).permissions() & fs::perms::owner_exec, fs::perms::none);
    const fs::path mark = exe + ".ran";
    for (int i = 0; i < 200 && !fs::exists(mark); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    EXPECT_TRUE(fs::exists(mark)) << "the new build was not started";
}

TEST_F(InstallFixture, UpperCaseHashMatches) {
    EXPECT_EQ(updater::installUpdate(info(upper(digest)), exe, false).state, updater::UpdateInstalled);
    EXPECT_EQ(readAll(exe), payload);
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
        writeAll(dir.str("sized"), body);
        const updater::InstallOutcome out = updater::installUpdate(info(plat::sha256File(dir.str("sized")), "/sized"), exe, false);
        if (size == 500000) {
            EXPECT_EQ(out.state, updater::UpdateFailed);
            EXPECT_EQ(out.message, kNotVerified);
            expectUnchanged();
        } else {
            EXPECT_EQ(out.state, updater::UpdateInstalled) << out.message;
            EXPECT_EQ(readAll(exe), body);
        }
    }
}

TEST_F(InstallFixture, ForeignExecutableHeaderIsRefused) {
    // A Windows build on this platform (or any file not starting like our executables).
    std::string body = "MZ" + payload.substr(2);
    server.serve("foreign", body);
    writeAll(dir.str("foreign"), body);
    const updater::InstallOutcome out =
        updater::installUpdate(info(plat::sha256File(dir.str("foreign")), "/foreign"), exe, false);
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
    writeAll(exe + ".new", "half of an earlier download");
    writeAll(exe + ".old", "the build before last");
    ASSERT_EQ(updater::installUpdate(info(digest), exe, false).state, updater::UpdateInstalled);
    EXPECT_EQ(readAll(exe + ".old"), oldBuild);
    EXPECT_FALSE(fs::exists(exe + ".new"));

    // A stale .new is gone even when the next attempt fails.
    writeAll(exe + ".new", "stale");
    updater::installUpdate(info(std::string(64, 'b')), exe, false);
    EXPECT_FALSE(fs::exists(exe + ".new"));
}

TEST_F(InstallFixture, ExecutableThatCannotBeMovedAsideStaysInPlace) {
    // A folder where the old file goes: the move aside fails whatever our privileges.
    fs::create_directory(exe + ".old");
    writeAll(fs::path(exe + ".old") / "keep", "x");
    const updater::InstallOutcome out = updater::installUpdate(info(digest), exe, false);
    EXPECT_EQ(out.state, updater::UpdateFailed);
    EXPECT_EQ(out.message, kNoPermission);
    expectUnchanged();
    EXPECT_TRUE(fs::exists(fs::path(exe + ".old") / "keep"));
}

TEST_F(InstallFixture, ReadOnlyFolderEndsInFailureWithNothingChanged) {
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    if (fs::exists(dir.path())) {
        const bool stillWritable = std::ofstream(dir.path() / "probe").good();
        if (stillWritable) {
            fs::permissions(dir.path(), fs::perms::owner_all);
            GTEST_SKIP() << "running with privileges that ignore folder permissions";
        }
    }
    const updater::InstallOutcome out = updater::installUpdate(info(digest), exe, false);
    fs::permissions(dir.path(), fs::perms::owner_all);
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
    EXPECT_EQ(readAll(exe), oldBuild);
    EXPECT_FALSE(fs::exists(exe + ".old"));
    EXPECT_TRUE(server.requests().empty()) << "nothing should be downloaded that cannot be kept";
}

TEST_F(InstallFixture, TheMessageNamesThisPlatformsExecutable) {
    // The Linux build is "tarvion"; the message must not send its player looking for an .exe.
    const std::string linuxExe = dir.str("tarvion");
    writeAll(linuxExe, oldBuild);
    fs::create_directory(linuxExe + ".old");
    writeAll(fs::path(linuxExe + ".old") / "keep", "x");
    const updater::InstallOutcome out = updater::installUpdate(info(digest), linuxExe, false);
    EXPECT_EQ(out.message,
              "Couldn't replace tarvion (no permission in this folder?). Move Tarvion to your Desktop or Documents "
              "and try again.");
    EXPECT_EQ(out.message.find(".exe"), std::string::npos);
}

// Moves that fail from a given call on (counted from 1), the others done for real.
struct FailingMoves {
    static inline int call = 0;
    static inline int failFrom = 0;
    static inline int failTo = 0;
    static bool replace(const std::string& from, const std::string& to) {
        ++call;
        if (call >= failFrom && call <= failTo) return false;
        return plat::replaceFile(from, to);
    }
};

class InstallMoves : public InstallFixture {
protected:
    void SetUp() override {
        InstallFixture::SetUp();
        saved = updater::installFileOps();
        updater::installFileOps().replaceFile = &FailingMoves::replace;
        FailingMoves::call = 0;
    }
    void TearDown() override { updater::installFileOps() = saved; }
    updater::InstallFileOps saved{};
};

TEST_F(InstallMoves, ANewFileThatCannotBePutInPlaceBringsTheOldOneBack) {
    FailingMoves::failFrom = 2;  // the executable goes aside; the new one does not follow
    FailingMoves::failTo = 2;
    const updater::InstallOutcome out = updater::installUpdate(info(digest), exe, false);
    EXPECT_EQ(out.state, updater::UpdateFailed);
    EXPECT_EQ(out.message, kNotInstalled);
    EXPECT_EQ(readAll(exe), oldBuild);
    EXPECT_EQ(FailingMoves::call, 3);
}

TEST_F(InstallMoves, AFailedWayBackIsSaidAndNamesBothFiles) {
    FailingMoves::failFrom = 2;  // neither the new file nor the old one reaches the executable's name
    FailingMoves::failTo = 3;
    const updater::InstallOutcome out = updater::installUpdate(info(digest), exe, false);
    EXPECT_EQ(out.state, updater::UpdateFailed);
    EXPECT_EQ(out.message, "Couldn't install the update, and putting the current version back failed too: it is "
                           "now \"" + exe + ".old\". Rename it back to \"" + exe + "\" to start Tarvion again.");
    EXPECT_EQ(out.message.find("unchanged"), std::string::npos);
    // What the message says is where things are.
    EXPECT_FALSE(fs::exists(exe));
    EXPECT_EQ(readAll(exe + ".old"), oldBuild);
}

TEST_F(InstallFixture, ANewVersionThatCannotBeStartedKeepsThisOneOpenAndSaysSo) {
    // Passes every check (size, header, hash) but is no program the system can run.
    std::string body = plat::executableMagic() + std::string("not really a program");
    body.resize(600000, '\x01');
    server.serve("unstartable", body);
    writeAll(dir.str("unstartable"), body);
    const updater::InstallOutcome out =
        updater::installUpdate(info(plat::sha256File(dir.str("unstartable")), "/unstartable"), exe, true);
    EXPECT_EQ(out.state, updater::UpdateFailed) << "Installed would end this program with nothing running";
    EXPECT_EQ(out.message,
              "Updated to 2.2.0, but the new version could not be started. Close Tarvion and start it again.");
    // The swap itself stands.
    EXPECT_EQ(readAll(exe), body);
    EXPECT_EQ(readAll(exe + ".old"), oldBuild);
}

TEST(DeleteOldExe, RemovesOnlyTheOldCompanion) {
    TempDir dir;
    const std::string exe = dir.str("Tarvion");
    writeAll(exe, "exe");
    writeAll(exe + ".new", "new");
    writeAll(exe + ".old", "old");
    updater::deleteOldExeAt(exe);
    EXPECT_FALSE(fs::exists(exe + ".old"));
    EXPECT_TRUE(fs::exists(exe));
    EXPECT_TRUE(fs::exists(exe + ".new"));
    updater::deleteOldExeAt(exe);  // nothing left to delete: no harm
    updater::deleteOldExeAt("");
    EXPECT_TRUE(fs::exists(exe));

    // The public call works on the executable it is pointed at.
    writeAll(exe + ".old", "old");
    updater::setExecutablePathForTesting(exe, false);
    updater::deleteOldExe();
    EXPECT_FALSE(fs::exists(exe + ".old"));
    EXPECT_TRUE(fs::exists(exe));
}

}  // namespace
