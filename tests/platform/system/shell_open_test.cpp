// The system opener: what is refused before anything starts, a missing opener told from a
// started one, and a started one's exit (stand-in xdg-open scripts on PATH).
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/system/shell_open.h"
#include "tests/support/stand_in_opener.h"

namespace fs = std::filesystem;

namespace {

// PATH holds a stand-in opener (or none).
class OpenerPath : public ::testing::Test {
protected:
    StandInOpener opener_;
};

TEST_F(OpenerPath, RefusedTargetsStartNothing) {
    opener_.recording();
    for (const char* target : {"", "-h", "--version"}) {
        SCOPED_TRACE(target);
        EXPECT_EQ(plat::openExternal(target), plat::OpenResult::Failed);
    }
    EXPECT_FALSE(plat::openFolder(""));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(fs::exists(opener_.record()));
}

TEST_F(OpenerPath, StartedOpenerGetsTheTargetAsOneArgument) {
    opener_.recording();
    EXPECT_EQ(plat::openExternal("https://pay.example/a b?c=$HOME"), plat::OpenResult::Opened);
    EXPECT_EQ(opener_.recorded(), "https://pay.example/a b?c=$HOME\n");
    fs::remove(opener_.record());
    EXPECT_TRUE(plat::openFolder("/tmp/some folder"));
    EXPECT_EQ(opener_.recorded(), "/tmp/some folder\n");
}

// The program ignores SIGXFSZ for itself; what it starts (a browser, a file manager) gets the
// system's handling back, and no hand-over of an update's restart.
TEST_F(OpenerPath, TheOpenerStartsWithTheSignalsAndEnvironmentOfItsOwn) {
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    opener_.script("{ grep '^SigIgn:' /proc/self/status; env | grep -c '^TARVION_PROFILE_HANDOVER=' ; } > '" +
                   opener_.record() + ".part'; mv '" + opener_.record() + ".part' '" + opener_.record() + "'");
    EXPECT_EQ(plat::openExternal("https://pay.example/"), plat::OpenResult::Opened);
    const std::string seen = opener_.recorded();
    std::signal(SIGXFSZ, previous);
    const size_t tab = seen.find_first_of("\t ");
    ASSERT_NE(tab, std::string::npos) << seen;
    const unsigned long long ignored = std::stoull(seen.substr(tab + 1), nullptr, 16);
    EXPECT_EQ(ignored & (1ull << (SIGXFSZ - 1)), 0u) << "SIGXFSZ is still ignored in the opener";
    EXPECT_NE(seen.find("\n0\n"), std::string::npos) << seen;
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
        opener_.script(c.script);
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
    watch = 99;
    EXPECT_EQ(plat::openExternal("/tmp", &watch), plat::OpenResult::NoOpener);
    EXPECT_EQ(watch, 0u);
}

TEST_F(OpenerPath, NoOpenerOnThePath) {
    EXPECT_EQ(plat::openExternal("https://pay.example/"), plat::OpenResult::NoOpener);
    EXPECT_FALSE(plat::openFolder("/tmp"));
}

}  // namespace
