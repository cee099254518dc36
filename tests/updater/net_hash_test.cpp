#include <gtest/gtest.h>

#include "platform/system/exe.h"
#include "platform/system/hash.h"
#include "platform/system/net.h"
#include "tests/updater/helpers.h"

namespace {

using namespace updater_test;

TEST(Sha256File, KnownDigests) {
    TempDir dir;
    writeAll(dir.path() / "abc", "abc");
    writeAll(dir.path() / "empty", "");
    // Longer than one 64 KiB read, so the chunks must add up.
    writeAll(dir.path() / "million", std::string(1000000, 'a'));
    EXPECT_EQ(plat::sha256File(dir.str("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(plat::sha256File(dir.str("empty")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(plat::sha256File(dir.str("million")),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_EQ(plat::sha256File(dir.str("missing")), "");
    EXPECT_EQ(plat::sha256File(dir.path().string()), "");  // a folder is no file
}

TEST(DownloadToFile, RefusedLocationTouchesNothingAndLeavesNoFile) {
    TempDir dir;
    writeAll(dir.path() / "out", "stale");
    EXPECT_FALSE(plat::downloadToFile("http://example.invalid/x", dir.str("out"), 1000));
    EXPECT_FALSE(fs::exists(dir.path() / "out"));
}

TEST(DownloadToFile, FileLocations) {
    TempDir dir;
    writeAll(dir.path() / "src", "hello\r\nworld");
    ASSERT_TRUE(plat::downloadToFile(fileUrl(dir.path() / "src"), dir.str("out"), 1000));
    EXPECT_EQ(readAll(dir.path() / "out"), "hello\r\nworld");  // bytes as they are
    EXPECT_FALSE(plat::downloadToFile(fileUrl(dir.path() / "missing"), dir.str("out2"), 1000));
    EXPECT_FALSE(fs::exists(dir.path() / "out2"));
}

TEST(DownloadToFile, LoopbackServer) {
    LoopbackServer server;
    ASSERT_TRUE(server.ready());
    TempDir dir;
    const std::string body(300000, 'z');
    server.serve("big.bin", body);
    server.serve("small.txt", "ok");

    ASSERT_TRUE(plat::downloadToFile(server.url("/big.bin"), dir.str("a"), 1000000));
    EXPECT_EQ(readAll(dir.path() / "a"), body);

    // An answer that is not 2xx is a failure and leaves no file, also for an existing one.
    writeAll(dir.path() / "b", "stale");
    EXPECT_FALSE(plat::downloadToFile(server.url("/status/404"), dir.str("b"), 1000000));
    EXPECT_FALSE(fs::exists(dir.path() / "b"));
    EXPECT_FALSE(plat::downloadToFile(server.url("/status/500"), dir.str("b"), 1000000));

    // A body past the cap is cut off and deleted, never kept as partial.
    EXPECT_FALSE(plat::downloadToFile(server.url("/big.bin"), dir.str("c"), 1000));
    EXPECT_FALSE(fs::exists(dir.path() / "c"));

    // Redirects stay on https: onto plain http (even our own loopback) is refused.
    const std::string toHttp = server.url("/redirect?to=" + server.url("/small.txt"));
    EXPECT_FALSE(plat::downloadToFile(toHttp, dir.str("d"), 1000));
    EXPECT_FALSE(fs::exists(dir.path() / "d"));
    const std::string toFile = server.url("/redirect?to=" + fileUrl(dir.path() / "a"));
    EXPECT_FALSE(plat::downloadToFile(toFile, dir.str("e"), 1000000));
    EXPECT_FALSE(fs::exists(dir.path() / "e"));

    // A body cut short of its declared length is no download.
    EXPECT_FALSE(plat::downloadToFile(server.url("/short/100"), dir.str("g"), 1000));
    EXPECT_FALSE(fs::exists(dir.path() / "g"));

    // Nothing listening there.
    EXPECT_FALSE(plat::downloadToFile("http://127.0.0.1:1/x", dir.str("f"), 1000));
    EXPECT_FALSE(fs::exists(dir.path() / "f"));
}

TEST(Executable, RunningPathAndMagic) {
    const std::string self = plat::runningExecutablePath();
    ASSERT_FALSE(self.empty());
    EXPECT_NE(self.find("updater_tests"), std::string::npos);
    EXPECT_EQ(readAll(self).substr(0, plat::executableMagic().size()), plat::executableMagic());
}

TEST(Executable, MarkAndLaunch) {
    TempDir dir;
    const fs::path copy = dir.path() / "dummy";
    fs::copy_file(UPDATER_DUMMY_EXE, copy);
    fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(plat::markExecutable(copy.string()));
    EXPECT_NE(fs::status(copy).permissions() & fs::perms::owner_exec, fs::perms::none);
    EXPECT_FALSE(plat::markExecutable(dir.str("missing")));

    ASSERT_TRUE(plat::launchExecutable(copy.string()));
    const fs::path mark = copy.string() + ".ran";
    for (int i = 0; i < 200 && !fs::exists(mark); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    EXPECT_TRUE(fs::exists(mark));
    EXPECT_FALSE(plat::launchExecutable(dir.str("missing")));
}

}  // namespace
