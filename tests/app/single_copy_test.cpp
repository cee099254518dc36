// The built program on an X server of the test's own (no window manager): a player's start
// sizes its window by the UI scale it runs at, and a second start with the same profile
// brings the first copy's window to the front and ends, while an unattended run with its
// own folder goes on beside it.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/platform/system/child_process.h"
#include "tests/platform/system/private_x.h"
#include "tests/platform/system/x_probe.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

const fs::path kBinary = fs::path(TARVION_BINARY_DIR) / "tarvion";

// Starts the program with APPDATA (and so the profile) under `root`; its output goes to `log`.
int startCopy(const fs::path& root, const std::vector<std::string>& args, const fs::path& log) {
    return child::start(kBinary.string(), args,
                        {{"APPDATA", (root / "appdata").string()},
                         {"HOME", (root / "home").string()},
                         {"SDL_AUDIODRIVER", "dummy"},
                         {"TARVION_PROFILE_HANDOVER", ""}},
                        log.string());
}

using test_files::readText;

// The player's profile: windowed, no tour, no update check, silent.
void plantProfile(const fs::path& root) {
    fs::create_directories(root / "appdata" / "Tarvion");
    fs::create_directories(root / "home");
    test_files::write(root / "appdata" / "Tarvion" / "settings.ini",
                      "fullscreen=0\ntutorialDone=1\ncheckUpdates=0\nvolume=0\n");
}

// The X window the running copy has named in its profile's lock file; 0 when it has named
// none within the time.
unsigned long publishedWindow(const fs::path& root, int pid) {
    const fs::path lock = root / "appdata" / "Tarvion" / "tarvion.lock";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        unsigned long id = 0;
        if (std::sscanf(readText(lock).c_str(), "window %lu", &id) == 1 && id != 0) return id;
        if (!child::running(pid)) return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}

class PlayersCopy : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(kBinary)) GTEST_SKIP() << "tarvion is not built";
        if (!server_.start(false)) GTEST_SKIP() << "no Xvfb";
        plantProfile(root_);
    }
    void TearDown() override {
        child::kill(holder_);
        xprobe::closeDecoy();
        server_.stop();
        if (HasFailure()) temp_.keep();
    }
    // Ends the holder as the desktop would at logout; its exit code.
    int stopHolder() {
        const int code = child::terminate(holder_, std::chrono::seconds(30));
        holder_ = -1;
        return code;
    }
    PrivateXServer server_;
    TempFolder temp_;
    fs::path root_{temp_.dir()};
    int holder_ = -1;
};

// The smallest size is the UI's at the scale the run has from the start (on this
// 1920 x 1080 screen without a frame), and the first windowed size is grown to it.
TEST_F(PlayersCopy, TheWindowIsSizedByTheScaleFromTheStart) {
    const struct {
        std::vector<std::string> args;
        int32_t minW, minH, w, h;
    } cases[] = {
        {{"--scale", "1"}, 1168, 720, 1600, 900},
        {{"--scale", "1.25"}, 1460, 900, 1600, 900},
        {{"--scale", "1.25", "--size", "1280x720"}, 1460, 900, 1460, 900},
        {{"--scale", "1.5"}, 1752, 1080, 1752, 1080},
        {{"--scale", "2"}, 1920, 1080, 1920, 1080},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.args[1] << (c.args.size() > 2 ? " " + c.args[3] : ""));
        holder_ = startCopy(root_, c.args, root_ / "holder.log");
        const unsigned long window = publishedWindow(root_, holder_);
        ASSERT_NE(window, 0u) << readText(root_ / "holder.log");
        int32_t minW = 0, minH = 0, w = 0, h = 0;
        xprobe::minimumHintOf(window, &minW, &minH);
        EXPECT_EQ(minW, c.minW);
        EXPECT_EQ(minH, c.minH);
        xprobe::sizeOf(window, &w, &h);
        EXPECT_EQ(w, c.w);
        EXPECT_EQ(h, c.h);
        EXPECT_EQ(stopHolder(), 0) << readText(root_ / "holder.log");
    }
}

TEST_F(PlayersCopy, ASecondStartShowsTheFirstCopyAndEnds) {
    holder_ = startCopy(root_, {"--scale", "1"}, root_ / "holder.log");
    const unsigned long window = publishedWindow(root_, holder_);
    ASSERT_NE(window, 0u) << readText(root_ / "holder.log");
    // Another window has the focus when the player starts Tarvion again.
    const unsigned long decoy = xprobe::openFocusedDecoy();
    ASSERT_NE(decoy, 0u);
    ASSERT_EQ(xprobe::focusedWindow(), decoy);

    const int second = startCopy(root_, {}, root_ / "second.log");
    EXPECT_EQ(child::waitForExit(second, std::chrono::seconds(20)), 0) << readText(root_ / "second.log");
    EXPECT_EQ(xprobe::focusedWindow(), window);
    EXPECT_TRUE(child::running(holder_)) << "the first copy runs on";

    // An unattended run has a folder of its own: the player's copy does not hold it up.
    const int banner = startCopy(root_, {"--banner", (root_ / "banner").string(), "--scale", "1"}, root_ / "banner.log");
    EXPECT_EQ(child::waitForExit(banner, std::chrono::seconds(120)), 0) << readText(root_ / "banner.log");
    EXPECT_TRUE(fs::exists(root_ / "banner" / "data" / "settings.ini"));

    EXPECT_EQ(stopHolder(), 0) << readText(root_ / "holder.log");
    // Gone, it holds nothing: the next start is a player's copy again.
    holder_ = startCopy(root_, {"--scale", "1"}, root_ / "third.log");
    EXPECT_NE(publishedWindow(root_, holder_), 0u) << readText(root_ / "third.log");
    EXPECT_EQ(stopHolder(), 0) << readText(root_ / "third.log");
}

}  // namespace
