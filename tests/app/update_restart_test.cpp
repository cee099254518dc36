// The update's restart with the program on both sides. The program itself as the new build
// counts as installed only once it is up: where it cannot open a window it is swapped back
// out, and where it can it is left running and clears the previous version. The running
// copy lends its profile to the new build while it starts, writes nothing meanwhile, and
// takes the profile back with what it owes when the new build did not come up.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/profile_handover.h"
#include "core/profile/app.h"
#include "platform/system/exe.h"
#include "platform/system/hash.h"
#include "platform/system/instance.h"
#include "tests/platform/system/child_process.h"
#include "tests/platform/system/private_x.h"
#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"
#include "updater/steps.h"
#include "updater/updater.h"

namespace fs = std::filesystem;

namespace {

const fs::path kBinary = fs::path(TARVION_BINARY_DIR) / "tarvion";

std::vector<std::string> entriesOf(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The processes that run from this file.
std::vector<int> runningFrom(const fs::path& file) {
    std::vector<int> pids;
    for (const fs::directory_entry& e : fs::directory_iterator("/proc")) {
        std::error_code error;
        if (fs::read_symlink(e.path() / "exe", error) == file) pids.push_back(std::atoi(e.path().filename().c_str()));
    }
    return pids;
}

// A folder with the "running" program (a stand-in file) and a new build offered as 9.0.0.
class UpdateRestart : public ::testing::Test {
protected:
    void offer(const std::string& build) {
        test_files::write(exe_, oldBuild_);
        dir_.write("build-9", build);
        info_.available = true;
        info_.version = "9.0.0";
        info_.url = "file://" + dir_.file("build-9");
        info_.sha256 = plat::sha256File(dir_.file("build-9"));
        ASSERT_EQ(info_.sha256.size(), 64u);
    }
    TempFolder dir_;
    const fs::path exe_ = dir_.at("tarvion");
    const std::string oldBuild_ = plat::executableMagic() + "the build that runs now";
    updater::UpdateInfo info_;
};

TEST_F(UpdateRestart, TheProgramItselfCountsAsInstalledOnlyOnceItIsUp) {
    if (!fs::exists(kBinary)) GTEST_SKIP() << "tarvion is not built";
    PrivateXServer server;
    if (!server.start(false)) GTEST_SKIP() << "no Xvfb";
    offer(test_files::read(kBinary));
    const TempFolder home;
    home.write("Tarvion/settings.ini", "fullscreen=0\ntutorialDone=1\ncheckUpdates=0\nvolume=0\n");
    ScopedEnv appdata("APPDATA", home.path());
    ScopedEnv sound("SDL_AUDIODRIVER", "dummy");
    {
        // Nowhere to open a window: "Could not create the window." after it has started.
        ScopedEnv noX("DISPLAY", nullptr), noWayland("WAYLAND_DISPLAY", nullptr), noDriver("SDL_VIDEODRIVER", nullptr);
        const std::vector<std::string> before = entriesOf(dir_.dir());
        const updater::InstallOutcome out = updater::installUpdate(info_, exe_.string(), true);
        EXPECT_EQ(out.state, updater::UpdateFailed) << "Installed would leave a build that cannot start";
        EXPECT_EQ(out.message, "Tarvion 9.0.0 would not start, so your current version was put back.");
        EXPECT_TRUE(test_files::read(exe_) == oldBuild_) << "the current version is not back";
        EXPECT_EQ(entriesOf(dir_.dir()), before);
    }
    // On the X server: it comes up, and only then clears the previous version.
    const updater::InstallOutcome out = updater::installUpdate(info_, exe_.string(), true);
    EXPECT_EQ(out.state, updater::UpdateInstalled) << out.message;
    for (int i = 0; i < 600 && fs::exists(exe_.string() + ".old"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(fs::exists(exe_.string() + ".old")) << "the new build did not come up";
    const std::vector<int> running = runningFrom(exe_);
    EXPECT_EQ(running.size(), 1u);
    for (int pid : running) EXPECT_EQ(child::terminate(pid, std::chrono::seconds(30)), 0);
}

// Whether another process could take the folder's lock now (flock(1) of util-linux).
bool lockIsFree(const std::string& folder) {
    return std::system(("flock -n -E 7 '" + folder + "/tarvion.lock' true").c_str()) == 0;
}

// The main loop's part, frame by frame, until the install has ended; `whileLent` runs once
// in the first frame that finds the profile lent.
void framesUntilTheInstallEnds(App& app, const std::function<void()>& whileLent) {
    bool seenLent = false;
    for (int frame = 0; frame < 3000; ++frame) {
        settleProfileHandOver(app);
        if (app.profileLent && !seenLent) {
            seenLent = true;
            whileLent();
        }
        const int state = updater::updateState();
        if (state == updater::UpdateInstalled || (state == updater::UpdateFailed && !app.profileLent)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(seenLent) << "the profile was never lent";
}

TEST_F(UpdateRestart, TheProfileIsLentWhileTheNewBuildStarts) {
    offer(test_files::paddedTo(test_files::read(UPDATER_DUMMY_EXE), 600000));
    App app;
    app.dataDir = dir_.file("profile");
    fs::create_directories(app.dataDir);
    const std::string settings = app.dataDir + "/settings.ini";
    const std::string scores = app.dataDir + "/scores.csv";
    ASSERT_EQ(plat::claimProfileFolder(app.dataDir), plat::FolderClaim::Claimed);
    updater::handOverProfileOnInstall();
    updater::setExecutablePathForTesting(exe_.string(), true);
    updater::setPolledStateForTesting(true, info_);

    // A build that takes the hand-over and fails before it is up.
    {
        ScopedEnv failsBeforeUp("TARVION_DUMMY_FAIL_UP", "1");
        app.dpi = 1234;
        updater::installAsync();
        framesUntilTheInstallEnds(app, [&] {
            // Saved and let go of; what this copy does now waits.
            EXPECT_NE(test_files::readText(settings).find("dpi=1234\n"), std::string::npos);
            EXPECT_TRUE(lockIsFree(app.dataDir));
            app.dpi = 1600;
            app.saveSettings();
            app.logScore(RoundResult{}, "practice");
            EXPECT_EQ(test_files::readText(settings).find("dpi=1600\n"), std::string::npos);
            EXPECT_FALSE(fs::exists(scores));
        });
    }
    EXPECT_EQ(updater::updateState(), updater::UpdateFailed);
    EXPECT_EQ(updater::updateMessage(), "Tarvion 9.0.0 would not start, so your current version was put back.");
    EXPECT_FALSE(app.profileLent);
    EXPECT_FALSE(lockIsFree(app.dataDir)) << "the profile was not taken back";
    EXPECT_NE(test_files::readText(settings).find("dpi=1600\n"), std::string::npos);
    EXPECT_EQ(test_files::lines(test_files::readText(scores)).size(), 2u) << "header and the owed row";

    // A build that comes up has the profile: this copy quits without writing it.
    updater::installAsync();
    framesUntilTheInstallEnds(app, [] {});
    EXPECT_EQ(updater::updateState(), updater::UpdateInstalled);
    app.dpi = 2000;
    app.saveSettings();
    takeProfileBackAtExit(app);
    EXPECT_TRUE(app.profileLent);
    EXPECT_TRUE(lockIsFree(app.dataDir));
    EXPECT_NE(test_files::readText(settings).find("dpi=1600\n"), std::string::npos);

    updater::handOverProfileOnInstall(false);
    updater::setExecutablePathForTesting("", true);
    updater::setPolledStateForTesting();
    plat::releaseProfileFolder();
}

}  // namespace
