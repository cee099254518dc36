#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/command_line.h"
#include "app/startup.h"
#include "core/profile/app.h"
#include "platform/base/paths.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

// A fresh temporary folder as the working directory and APPDATA for one test.
class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldCwd_ = fs::current_path();
        fs::create_directories(root_ / "home");
        fs::current_path(root_);
    }
    void TearDown() override { fs::current_path(oldCwd_); }
    App& startWith(std::vector<std::string> args) {
        parseCommandLine(app_, args);
        return app_;
    }
    TempFolder temp_;
    fs::path root_{temp_.dir()};
    App app_;

private:
    fs::path oldCwd_;
    ScopedEnv appdata_{"APPDATA", temp_.file("home")};
};

TEST_F(StartupTest, DataFolderFollowsTheMode) {
    struct Case {
        std::vector<std::string> args;
        std::string shots, data;  // relative to the working folder
    };
    const Case cases[] = {
        {{"--selftest"}, ".", "./data"},
        {{"--selftest", "--shots", "out"}, "out", "out/data"},
        {{"--gallery", "g"}, "g", "g/data"},
        {{"--inputtest", "out.txt"}, "out.txt_data", "out.txt_data"},
        // --inputtest wins over automation for the data folder.
        {{"--inputtest", "r.txt", "--selftest", "--shots", "s"}, "r.txt_data", "r.txt_data"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.shots);
        App app;
        parseCommandLine(app, c.args);
        EXPECT_TRUE(chooseDataFolder(app));
        EXPECT_EQ(app.shotsDir, c.shots);
        EXPECT_EQ(app.dataDir, c.data);
        EXPECT_TRUE(fs::is_directory(root_ / c.data));
    }
}

TEST_F(StartupTest, InteractiveUsesTheUserDataFolder) {
    App& app = startWith({});
    EXPECT_TRUE(chooseDataFolder(app));
    EXPECT_EQ(app.dataDir, (root_ / "home" / "Tarvion").string());
    EXPECT_TRUE(app.shotsDir.empty());
    EXPECT_TRUE(fs::is_directory(app.dataDir));
}

TEST_F(StartupTest, MissingParentsOfTheDataFolderAreCreated) {
    setenv("APPDATA", (root_ / "new" / "deeper").c_str(), 1);
    App interactive;
    EXPECT_TRUE(chooseDataFolder(interactive));
    EXPECT_TRUE(fs::is_directory(root_ / "new" / "deeper" / "Tarvion"));

    App& app = startWith({"--selftest", "--shots", "a/b/c"});
    EXPECT_TRUE(chooseDataFolder(app));
    EXPECT_TRUE(fs::is_directory(root_ / "a" / "b" / "c" / "data"));
}

TEST_F(StartupTest, AFolderThatCannotBeMadeIsReported) {
    std::ofstream(root_ / "blocker") << "a file, not a folder";
    App& app = startWith({"--selftest", "--shots", "blocker"});
    EXPECT_FALSE(chooseDataFolder(app));
    EXPECT_EQ(app.dataDir, "blocker/data");
}

TEST_F(StartupTest, AnUnattendedRunNeedsOutputFoldersThatTakeFiles) {
    struct Case {
        std::vector<std::string> args;
        std::string problem;  // "" when the run may start
    };
    // /proc takes no new files, whoever asks: the rule holds when the tests run as root too.
    const Case cases[] = {
        {{"--selftest", "--shots", "out"}, ""},
        {{"--inputtest", "report.txt"}, ""},
        {{"--banner", "/proc/tarvion-out"}, "Could not make the output folder \"/proc/tarvion-out\"."},
        {{"--gallery", "/proc"}, "Could not write into the output folder \"/proc\"."},
        {{"--inputtest", "/proc/report.txt"}, "Could not write into the output folder \"/proc/\"."},
        {{"--selftest", "--shots", "blocker"}, "Could not make the output folder \"blocker\"."},
    };
    std::ofstream(root_ / "blocker") << "a file, not a folder";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        App app;
        parseCommandLine(app, c.args);
        chooseDataFolder(app);
        EXPECT_EQ(unattendedOutputProblem(app), c.problem);
    }
    EXPECT_TRUE(folderTakesFiles(root_.string()));
    EXPECT_FALSE(folderTakesFiles("/proc"));
    EXPECT_FALSE(folderTakesFiles((root_ / "missing").string()));
    // The probe leaves nothing behind.
    for (const auto& entry : fs::recursive_directory_iterator(root_))
        EXPECT_EQ(entry.path().filename().string().find(".tarvion-probe"), std::string::npos) << entry.path();
}

TEST(FinalExitCode, OneWhenAnUnattendedRunFailedOrLeftFilesUnwritten) {
    App clean;
    EXPECT_EQ(finalExitCode(clean), 0);
    App stalled;
    stalled.automationFailure = "The self-test gave up at step 3 of 57: something did not come.";
    EXPECT_EQ(finalExitCode(stalled), 1);
    App unwritten;
    unwritten.unwrittenFiles = {"out/01_home.bmp"};
    EXPECT_EQ(finalExitCode(unwritten), 1);
}

// The user's profile must not leak into unattended runs.
TEST_F(StartupTest, UnattendedRunsResetTheLoadedSettings) {
    struct Case {
        std::vector<std::string> args;
        const char* dataFolder;
        bool automationValues;
    };
    const Case cases[] = {
        {{"--selftest"}, "data", true},
        {{"--inputtest", "out.txt"}, "out.txt_data", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dataFolder);
        fs::create_directories(root_ / c.dataFolder);
        std::ofstream(root_ / c.dataFolder / "settings.ini")
            << "dpi=1600\nsens=2.5\nfullscreen=1\nvolume=0.9\nfpsCap=144\nxp=12\ntutorialDone=0\ntheme=night\n";
        App app;
        parseCommandLine(app, c.args);
        chooseDataFolder(app);
        app.loadSettings();
        ASSERT_DOUBLE_EQ(app.dpi, 1600);  // the file was read
        applyUnattendedResets(app);
        EXPECT_DOUBLE_EQ(app.dpi, 800);
        EXPECT_FALSE(app.fullscreen);
        EXPECT_FLOAT_EQ(app.volume, 0.0f);
        EXPECT_EQ(app.theme, "lab");
        if (c.automationValues) {
            EXPECT_DOUBLE_EQ(app.sens, 0.32);
            EXPECT_EQ(app.fpsCap, 240);
            EXPECT_EQ(app.xp, 5000);
            EXPECT_TRUE(app.tutorialDone);
        } else {
            EXPECT_DOUBLE_EQ(app.sens, 0.4);
            EXPECT_EQ(app.fpsCap, 1000);
            EXPECT_EQ(app.xp, 0);
        }
        EXPECT_TRUE(isUnattended(app));
    }
}

TEST_F(StartupTest, InteractiveRunsKeepTheProfile) {
    App& app = startWith({});
    chooseDataFolder(app);
    std::ofstream(fs::path(app.dataDir) / "settings.ini") << "dpi=1600\nfullscreen=0\n";
    app.loadSettings();
    applyUnattendedResets(app);
    EXPECT_DOUBLE_EQ(app.dpi, 1600);
    EXPECT_FALSE(app.fullscreen);
    EXPECT_FALSE(isUnattended(app));
}

TEST(ScanThread, HandsTheListOverAndRaisesTheFlag) {
    App app;
    startDetectionThread(app);
    joinDetectionThread(app);
    EXPECT_TRUE(app.detectionDone.load());
    EXPECT_FALSE(app.detectionThread.joinable());
}

// --scale wins; else the desktop's scale, never below 1.
TEST(UiScale, OverrideElseTheDesktopsAtLeastOne) {
    const struct {
        float scaleOverride, desktop, scale;
    } cases[] = {
        {0, 1, 1}, {0, 1.25f, 1.25f}, {0, 1.5f, 1.5f}, {0, 2, 2}, {0, 0.75f, 1}, {0, 0, 1},
        {1, 2, 1}, {1.5f, 1, 1.5f}, {0.5f, 2, 0.5f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "override " << c.scaleOverride << " desktop " << c.desktop);
        EXPECT_FLOAT_EQ(startupUiScale(c.scaleOverride, c.desktop), c.scale);
    }
}

}  // namespace
