// The system opener: what is refused before anything starts, and a missing opener told
// from a started one (a stand-in xdg-open on PATH records its arguments).
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

TEST_F(OpenerPath, NoOpenerOnThePath) {
    setenv("PATH", (dir_ / "bin").c_str(), 1);  // empty folder
    EXPECT_EQ(plat::openExternal("https://pay.example/"), plat::OpenResult::NoOpener);
    EXPECT_FALSE(plat::openFolder("/tmp"));
}

}  // namespace
