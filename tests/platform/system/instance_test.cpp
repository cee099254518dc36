// The profile folder's claim: one process holds it; another finds it held, except the
// holder's own successor, which waits for it to let go.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/system/instance.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

// The claim a fresh process (this test program again, running only the next test) makes on
// the folder, as its exit code; `successor` runs it with the environment the holder hands
// to the programs it starts.
int claimInChild(const fs::path& folder, bool successor) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (!successor) unsetenv("TARVION_PROFILE_HANDOVER");
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
    _exit(static_cast<int>(plat::claimProfileFolder(folder)));
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
    unsetenv("TARVION_PROFILE_HANDOVER");
}

}  // namespace
