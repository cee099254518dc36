// The profile folder's claim: one process holds it; another finds it held, except the
// holder's own successor, which waits for it to let go. The successor's word to the copy
// that started it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <set>
#include <thread>

#include "platform/system/exe.h"
#include "platform/system/instance.h"
#include "tests/support/fifo_watchdog.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_window.h"

namespace fs = std::filesystem;

namespace {

// Run by this thread's next flock call, just before the lock is taken.
thread_local std::function<void()> beforeNextFlock;

}  // namespace

// The test program's flock stands in for the C library's, so that a test can act between a
// claim's look at the lock's name and its lock.
extern "C" int flock(int fd, int operation) noexcept {
    if (beforeNextFlock) std::exchange(beforeNextFlock, nullptr)();
    return static_cast<int>(::syscall(SYS_flock, fd, operation));
}

namespace {

constexpr char kHandOver[] = "TARVION_PROFILE_HANDOVER";
// The exit code of a child that found the hand-over still in its environment after the claim.
constexpr int kHandOverLeft = 99;

// The claim a fresh process (this test program again, running only the next test) makes on
// the folder, as its exit code; `successor` runs it with the hand-over an update's restart
// gets.
int claimInChild(const fs::path& folder, bool successor) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (successor) setenv(kHandOver, "1", 1);
        else unsetenv(kHandOver);
        setenv("TARVION_CLAIM_FOLDER", folder.c_str(), 1);
        execl("/proc/self/exe", "platform_tests", "--gtest_filter=ProfileFolderClaim.OfAFreshProcess",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The child's side of claimInChild.
TEST(ProfileFolderClaim, OfAFreshProcess) {
    const char* folder = std::getenv("TARVION_CLAIM_FOLDER");
    if (!folder) GTEST_SKIP() << "runs as the child of OneHolderAtATime";
    std::fflush(stdout);
    const int claim = static_cast<int>(plat::claimProfileFolder(folder));
    // Whatever this copy starts must not count as its successor.
    _exit(std::getenv(kHandOver) ? kHandOverLeft : claim);
}

TEST(ProfileFolderClaim, OneHolderAtATime) {
    const TempFolder temp;
    const fs::path folder = temp.dir();
    const int claimed = static_cast<int>(plat::FolderClaim::Claimed);
    const int held = static_cast<int>(plat::FolderClaim::HeldElsewhere);

    EXPECT_EQ(claimInChild(folder, false), claimed) << "nobody holds it yet";
    ASSERT_EQ(plat::claimProfileFolder(folder.string()), plat::FolderClaim::Claimed);
    EXPECT_EQ(claimInChild(folder, false), held);
    // Another folder is another profile.
    fs::create_directories(folder / "other");
    EXPECT_EQ(claimInChild(folder / "other", false), claimed);

    // The holder's successor (the update's restart) waits while the holder quits.
    std::thread quitting([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        plat::releaseProfileFolder();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(claimInChild(folder, true), claimed);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
    quitting.join();

    EXPECT_EQ(claimInChild(folder, false), claimed) << "released";
    EXPECT_EQ(plat::claimProfileFolder((folder / "missing").string()), plat::FolderClaim::Unavailable);
}

// The holder hands nothing on to the programs it starts (a browser, a file manager and what
// they start): a Tarvion started from one of them is a second start, not its successor.
TEST(ProfileFolderClaim, TheHolderLeavesNoHandOverToWhatItStarts) {
    const TempFolder temp;
    unsetenv(kHandOver);
    ASSERT_EQ(plat::claimProfileFolder(temp.dir().string()), plat::FolderClaim::Claimed);
    EXPECT_EQ(std::getenv(kHandOver), nullptr);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(claimInChild(temp.dir(), false), static_cast<int>(plat::FolderClaim::HeldElsewhere));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << "it waited as a successor";
    plat::releaseProfileFolder();
}

std::string lockText(const fs::path& folder) { return test_files::readText(folder / "tarvion.lock"); }

// The file a name leads to (0: none), telling a replaced lock file from the one that was there.
ino_t fileAt(const fs::path& path) {
    struct stat st{};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// The names in a folder: a replacement leaves none of its own behind.
std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

// A snapshot of the folder made with hard links while a copy runs (cp -al) gives the held lock
// file a second name. It is still the lock: a second start finds the folder held, leaves the
// holder's file at the name, and brings the holder's window to the front.
TEST(ProfileFolderClaim, ASecondNameOnTheHeldLockLetsNoSecondCopyRun) {
    const TempFolder temp;
    const TempFolder snapshot;
    const fs::path lock = temp.at("tarvion.lock");
    TestWindow window;
    const bool shown = window.open("holder", 320, 240);  // without a display, no raising to check
    ASSERT_EQ(plat::claimProfileFolder(temp.path()), plat::FolderClaim::Claimed);
    if (shown) plat::publishProfileWindow(window.get());
    const ino_t held = fileAt(lock);
    fs::create_hard_link(lock, snapshot.at("tarvion.lock"));

    if (shown) {
        EXPECT_TRUE(plat::raiseProfileHolder(temp.path())) << "the holder's window id was not read";
    }
    EXPECT_EQ(claimInChild(temp.dir(), false), static_cast<int>(plat::FolderClaim::HeldElsewhere));
    EXPECT_EQ(fileAt(lock), held) << "the held lock file was replaced";
    plat::releaseProfileFolder();
}

// What stands at the lock's name is never written through: a link to a player's file, a
// dangling link, or a second name of a player's file. The holder makes a plain lock file of
// its own there, and the player's file keeps what it holds.
TEST(ProfileFolderClaim, ALinkAtTheLockIsNeverWrittenThrough) {
    const struct {
        const char* name;
        void (*plant)(const fs::path& lock, const fs::path& notes);
    } cases[] = {
        {"a link to a file", [](const fs::path& lock, const fs::path& notes) { fs::create_symlink(notes, lock); }},
        {"a dangling link", [](const fs::path& lock, const fs::path& notes) {
             fs::create_symlink(notes.parent_path() / "made-by-nobody.txt", lock);
         }},
        {"a second name", [](const fs::path& lock, const fs::path& notes) { fs::create_hard_link(notes, lock); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TempFolder temp;
        const fs::path notes = temp.at("notes.txt");
        test_files::write(notes, "my own notes\n");
        c.plant(temp.at("tarvion.lock"), notes);
        ASSERT_EQ(plat::claimProfileFolder(temp.dir().string()), plat::FolderClaim::Claimed);
        EXPECT_EQ(claimInChild(temp.dir(), false), static_cast<int>(plat::FolderClaim::HeldElsewhere));
        plat::releaseProfileFolder();
        EXPECT_EQ(test_files::readText(notes), "my own notes\n");
        EXPECT_FALSE(fs::exists(temp.at("made-by-nobody.txt")));
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(temp.at("tarvion.lock"))));
        EXPECT_EQ(fs::hard_link_count(notes), 1u);
        EXPECT_EQ(namesIn(temp.dir()), (std::set<std::string>{"notes.txt", "tarvion.lock"}));
    }
}

// A FIFO at the lock's name holds no start up: not the holder's claim, not a second start
// looking for the holder's window (there is none), not a start after the holder has quit.
TEST(ProfileFolderClaim, AFifoAtTheLockHoldsNoStartUp) {
    const TempFolder temp;
    const fs::path lock = temp.at("tarvion.lock");
    ASSERT_TRUE(fifo_test::makeFifo(lock));
    bool raised = true;
    EXPECT_TRUE(fifo_test::finishesWithin(std::chrono::seconds(5), {lock},
                                          [&] { raised = plat::raiseProfileHolder(temp.dir().string()); }))
        << "looking for the holder's window waited on the FIFO";
    EXPECT_FALSE(raised);
    plat::FolderClaim claim = plat::FolderClaim::Unavailable;
    EXPECT_TRUE(fifo_test::finishesWithin(std::chrono::seconds(5), {lock},
                                          [&] { claim = plat::claimProfileFolder(temp.dir().string()); }));
    EXPECT_EQ(claim, plat::FolderClaim::Claimed);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(lock)));
    EXPECT_EQ(namesIn(temp.dir()), std::set<std::string>{"tarvion.lock"});
    EXPECT_EQ(claimInChild(temp.dir(), false), static_cast<int>(plat::FolderClaim::HeldElsewhere));
    EXPECT_EQ(lockText(temp.dir()), "");
    plat::releaseProfileFolder();
}

// Another start moves its own lock file, locked, onto the name while this one is between
// its look at the name and its lock (the open and the lock of a plain file; the choice to
// replace what stands there and the replacement). This start then finds the folder held:
// it neither runs beside the other nor writes into what it had found.
TEST(ProfileFolderClaim, ALockMovedOntoTheNameMidClaimIsFoundHeld) {
    const struct {
        const char* name;
        void (*plant)(const fs::path& lock, const fs::path& notes);
    } cases[] = {
        {"a lock file", [](const fs::path& lock, const fs::path&) { test_files::write(lock, ""); }},
        {"a second name", [](const fs::path& lock, const fs::path& notes) { fs::create_hard_link(notes, lock); }},
        {"a link", [](const fs::path& lock, const fs::path& notes) { fs::create_symlink(notes, lock); }},
        {"a FIFO", [](const fs::path& lock, const fs::path&) { ASSERT_TRUE(fifo_test::makeFifo(lock)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TempFolder temp;
        const fs::path lock = temp.at("tarvion.lock");
        const fs::path notes = temp.at("notes.txt");
        test_files::write(notes, "my own notes\n");
        c.plant(lock, notes);
        const int other = ::open(temp.at("other").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(other, 0);
        ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
        const ino_t others = fileAt(temp.at("other"));
        beforeNextFlock = [&] { fs::rename(temp.at("other"), lock); };

        const plat::FolderClaim claim = plat::claimProfileFolder(temp.path());
        if (claim == plat::FolderClaim::Claimed) plat::releaseProfileFolder();
        EXPECT_EQ(static_cast<int>(claim), static_cast<int>(plat::FolderClaim::HeldElsewhere));
        EXPECT_FALSE(beforeNextFlock) << "the claim took no lock";
        EXPECT_EQ(fileAt(lock), others) << "the other start's lock file was replaced";
        EXPECT_EQ(test_files::readText(notes), "my own notes\n");
        EXPECT_EQ(namesIn(temp.dir()), (std::set<std::string>{"notes.txt", "tarvion.lock"}));
        beforeNextFlock = nullptr;
        ::close(other);
    }
}

// The child's side of ASuccessorSaysItIsUpWhenItsStarterAsks: takes the hand-over, stops for
// the parent to look, and then says it is up.
TEST(SuccessorHandOver, OfAFreshProcess) {
    if (!std::getenv("TARVION_HANDOVER_CHILD")) GTEST_SKIP() << "runs as the child of ASuccessorSaysItIsUp...";
    const bool successor = plat::takeSuccessorHandOver();
    raise(SIGSTOP);
    plat::confirmSuccessorStarted();
    _exit(successor ? 0 : 1);
}

// The word on the starter's socket: the update's own restart hears it once the new copy is
// up, an older build's restart (which holds the profile while it waits) as soon as it runs.
TEST(SuccessorHandOver, ASuccessorSaysItIsUpWhenItsStarterAsks) {
    for (const bool olderStarter : {false, true}) {
        SCOPED_TRACE(olderStarter ? "an older build's restart" : "the update's restart");
        int pair[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
        const std::string value = "fd:3:" + std::to_string(getpid()) + (olderStarter ? "" : ":up");
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(pair[1], 3);
            setenv(kHandOver, value.c_str(), 1);
            setenv("TARVION_HANDOVER_CHILD", "1", 1);
            execl("/proc/self/exe", "platform_tests", "--gtest_filter=SuccessorHandOver.OfAFreshProcess",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pair[1]);
        const auto said = [&](int waitMs) {
            pollfd p{pair[0], POLLIN, 0};
            char byte = 0;
            return poll(&p, 1, waitMs) == 1 && read(pair[0], &byte, 1) == 1;
        };
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, WUNTRACED), pid);
        ASSERT_TRUE(WIFSTOPPED(status)) << "the child ended before it took the hand-over";
        EXPECT_EQ(said(olderStarter ? 5000 : 200), olderStarter) << "taken, not yet up";
        kill(pid, SIGCONT);
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "not taken as a successor";
        if (!olderStarter) {
            EXPECT_TRUE(said(5000)) << "up, and not said so";
        }
        close(pair[0]);
    }
}

}  // namespace
