// The system opener: what is refused before anything starts, a missing opener told from a
// started one, and a started one's exit (stand-in xdg-open scripts on PATH).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/system/shell_open.h"

namespace fs = std::filesystem;

namespace {

class OpenerPath : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tarvion-opener-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "bin");
        const char* old = std::getenv("PATH");
        oldPath_ = old ? old : "";
    }
    void TearDown() override {
        setenv("PATH", oldPath_.c_str(), 1);
        fs::remove_all(dir_);
    }
    void standInOpener() {
        std::ofstream(dir_ / "bin" / "xdg-open") << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << record().string()
                                                 << ".part' && mv '" << record().string() << ".part' '"
                                                 << record().string() << "'\n";
        fs::permissions(dir_ / "bin" / "xdg-open", fs::perms::owner_all);
        setenv("PATH", ((dir_ / "bin").string() + ":/usr/bin:/bin").c_str(), 1);
    }
    fs::path record() const { return dir_ / "opened.txt"; }
    std::string recorded() const {
        for (int k = 0; k < 500 && !fs::exists(record()); ++k) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(record());
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path dir_;
    std::string oldPath_;
};

TEST_F(OpenerPath, RefusedTargetsStartNothing) {
    standInOpener();
    for (const char* target : {"", "-h", "--version"}) {
        SCOPED_TRACE(target);
        EXPECT_EQ(plat::openExternal(target), plat::OpenResult::Failed);
    }
    EXPECT_FALSE(plat::openFolder(""));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(fs::exists(record()));
}

TEST_F(OpenerPath, StartedOpenerGetsTheTargetAsOneArgument) {
    standInOpener();
    EXPECT_EQ(plat::openExternal("https://pay.example/a b?c=$HOME"), plat::OpenResult::Opened);
    EXPECT_EQ(recorded(), "https://pay.example/a b?c=$HOME\n");
    fs::remove(record());
    EXPECT_TRUE(plat::openFolder("/tmp/some folder"));
    EXPECT_EQ(recorded(), "/tmp/some folder\n");
}

// The opener's exit is what tells whether the target was shown: xdg-open exits 3 when no
// program on the system takes the target. The call itself never waits for it.
TEST_F(OpenerPath, ExitOfAStartedOpenerIsItsOutcome) {
    const struct {
        const char* name;
        const char* script;
        plat::OpenResult outcome;
    } cases[] = {
        {"shown", "exit 0", plat::OpenResult::Opened},
        {"no program takes folders", "sleep 1; exit 3", plat::OpenResult::NoOpener},
        {"the program failed", "exit 4", plat::OpenResult::Failed},
        {"killed", "kill -9 $$", plat::OpenResult::Failed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(dir_ / "bin" / "xdg-open") << "#!/bin/sh\n" << c.script << "\n";
        fs::permissions(dir_ / "bin" / "xdg-open", fs::perms::owner_all);
        setenv("PATH", ((dir_ / "bin").string() + ":/usr/bin:/bin").c_str(), 1);
        uint64_t watch = 0;
        const auto before = std::chrono::steady_clock::now();
        ASSERT_EQ(plat::openExternal("/tmp/some folder", &watch), plat::OpenResult::Pending);
        EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(500));
        ASSERT_NE(watch, 0u);
        plat::OpenResult got = plat::OpenResult::Pending;
        for (int k = 0; k < 400 && got == plat::OpenResult::Pending; ++k) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            got = plat::openerOutcome(watch);
        }
        EXPECT_EQ(got, c.outcome);
        EXPECT_EQ(plat::openerOutcome(watch), plat::OpenResult::Opened);  // told once, then forgotten
    }
}

// Refusals and a missing opener are final at once: nothing to watch.
TEST_F(OpenerPath, FinalOutcomesNeedNoWatch) {
    uint64_t watch = 99;
    EXPECT_EQ(plat::openExternal("-h", &watch), plat::OpenResult::Failed);
    EXPECT_EQ(watch, 0u);
    setenv("PATH", (dir_ / "bin").c_str(), 1);  // empty folder
    watch = 99;
    EXPECT_EQ(plat::openExternal("/tmp", &watch), plat::OpenResult::NoOpener);
    EXPECT_EQ(watch, 0u);
}

TEST_F(OpenerPath, NoOpenerOnThePath) {
    setenv("PATH", (dir_ / "bin").c_str(), 1);  // empty folder
    EXPECT_EQ(plat::openExternal("https://pay.example/"), plat::OpenResult::NoOpener);
    EXPECT_FALSE(plat::openFolder("/tmp"));
}

}  // namespace
