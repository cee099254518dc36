#include <gtest/gtest.h>

#include "platform/system/exe.h"
#include "platform/system/hash.h"
#include "platform/system/net.h"
#include "tests/support/download_cases.h"
#include "tests/support/scoped_env.h"
#include "tests/updater/helpers.h"

namespace {

using namespace updater_test;

TEST(Sha256File, KnownDigests) {
    TempFolder dir;
    dir.write("abc", "abc");
    dir.write("empty", "");
    // Longer than one 64 KiB read, so the chunks must add up.
    dir.write("million", std::string(1000000, 'a'));
    EXPECT_EQ(plat::sha256File(dir.file("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(plat::sha256File(dir.file("empty")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(plat::sha256File(dir.file("million")),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_EQ(plat::sha256File(dir.file("missing")), "");
    EXPECT_EQ(plat::sha256File(dir.path()), "");  // a folder is no file
}

TEST(DownloadToFile, RefusedLocationTouchesNothingAndLeavesNoFile) {
    TempFolder dir;
    dir.write("out", "stale");
    EXPECT_FALSE(plat::downloadToFile("http://example.invalid/x", dir.file("out"), 1000));
    EXPECT_FALSE(fs::exists(dir.at("out")));
}

TEST(DownloadToFile, FileLocations) {
    TempFolder dir;
    dir.write("src", "hello\r\nworld");
    ASSERT_TRUE(plat::downloadToFile(fileUrl(dir.at("src")), dir.file("out"), 1000));
    EXPECT_EQ(test_files::read(dir.at("out")), "hello\r\nworld");  // bytes as they are
    EXPECT_FALSE(plat::downloadToFile(fileUrl(dir.at("missing")), dir.file("out2"), 1000));
    EXPECT_FALSE(fs::exists(dir.at("out2")));
}

// Under load (sanitizer builds, many jobs) the server's Python may take seconds to start;
// the tests wait for it rather than fail.
TEST(LoopbackServerStart, ASlowStartIsWaitedFor) {
    ScopedEnv delay("LOOPBACK_SERVER_START_DELAY", "7");
    LoopbackServer server;
    ASSERT_TRUE(server.ready());
    TempFolder dir;
    server.serve("small.txt", "ok");
    ASSERT_TRUE(plat::downloadToFile(server.url("/small.txt"), dir.file("a"), 1000));
    EXPECT_EQ(test_files::read(dir.at("a")), "ok");
}

TEST(DownloadToFile, LoopbackServer) {
    LoopbackServer server;
    ASSERT_TRUE(server.ready());
    TempFolder dir;
    const std::string body(300000, 'z');
    server.serve("big.bin", body);
    server.serve("small.txt", "ok");

    ASSERT_TRUE(plat::downloadToFile(server.url("/big.bin"), dir.file("a"), 1000000));
    EXPECT_EQ(test_files::read(dir.at("a")), body);

    // An answer that is not 2xx is a failure and leaves no file, also for an existing one.
    dir.write("b", "stale");
    EXPECT_FALSE(plat::downloadToFile(server.url("/status/404"), dir.file("b"), 1000000));
    EXPECT_FALSE(fs::exists(dir.at("b")));
    EXPECT_FALSE(plat::downloadToFile(server.url("/status/500"), dir.file("b"), 1000000));

    // A body past the cap is cut off and deleted, never kept as partial.
    EXPECT_FALSE(plat::downloadToFile(server.url("/big.bin"), dir.file("c"), 1000));
    EXPECT_FALSE(fs::exists(dir.at("c")));

    // Redirects stay on https: onto plain http (even our own loopback) is refused.
    const std::string toHttp = server.url("/redirect?to=" + server.url("/small.txt"));
    EXPECT_FALSE(plat::downloadToFile(toHttp, dir.file("d"), 1000));
    EXPECT_FALSE(fs::exists(dir.at("d")));
    const std::string toFile = server.url("/redirect?to=" + fileUrl(dir.at("a")));
    EXPECT_FALSE(plat::downloadToFile(toFile, dir.file("e"), 1000000));
    EXPECT_FALSE(fs::exists(dir.at("e")));

    // A body cut short of its declared length is no download.
    EXPECT_FALSE(plat::downloadToFile(server.url("/short/100"), dir.file("g"), 1000));
    EXPECT_FALSE(fs::exists(dir.at("g")));

    // Nothing listening there.
    EXPECT_FALSE(plat::downloadToFile("http://127.0.0.1:1/x", dir.file("f"), 1000));
    EXPECT_FALSE(fs::exists(dir.at("f")));
}

TEST(DownloadToFile, AServerThatKeepsNoPaceIsGivenUp) {
    LoopbackServer server;
    ASSERT_TRUE(server.ready());
    TempFolder dir;
    download_cases::noPaceIsGivenUp(server, dir);
}

TEST(DownloadToFile, AStopEndsItAndLeavesNoFile) {
    LoopbackServer server;
    ASSERT_TRUE(server.ready());
    TempFolder dir;
    download_cases::aStopEndsIt(server, dir);
}

TEST(Executable, RunningPathAndMagic) {
    const std::string self = plat::runningExecutablePath();
    ASSERT_FALSE(self.empty());
    EXPECT_NE(self.find("updater_tests"), std::string::npos);
    EXPECT_EQ(test_files::read(self).substr(0, plat::executableMagic().size()), plat::executableMagic());
}

TEST(Executable, MarkAndLaunch) {
    TempFolder dir;
    const fs::path copy = dir.at("dummy");
    fs::copy_file(UPDATER_DUMMY_EXE, copy);
    fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(plat::markExecutable(copy.string()));
    EXPECT_NE(fs::status(copy).permissions() & fs::perms::owner_exec, fs::perms::none);
    EXPECT_FALSE(plat::markExecutable(dir.file("missing")));

    ASSERT_TRUE(plat::launchExecutable(copy.string()));
    const fs::path mark = copy.string() + ".ran";
    EXPECT_TRUE(test_files::waitForFile(mark));
    EXPECT_FALSE(plat::launchExecutable(dir.file("missing")));
}

}  // namespace
