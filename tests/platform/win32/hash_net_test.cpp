// SHA-256 through BCrypt and downloads through WinHTTP, as the updater uses them.
#include <gtest/gtest.h>

#include "platform/system/hash.h"
#include "platform/system/net.h"
#include "tests/platform/win32/support.h"
#include "tests/support/download_cases.h"

namespace {

using namespace win_test;

TEST(Sha256File, KnownDigests) {
    TempFolder dir;
    dir.write("abc", "abc");
    dir.write("empty", "");
    // Longer than one 64 KiB read, so the chunks must add up; a name outside ASCII.
    dir.write("milli\xC3\xB3n", std::string(1000000, 'a'));
    EXPECT_EQ(plat::sha256File(dir.file("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(plat::sha256File(dir.file("empty")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(plat::sha256File(dir.file("milli\xC3\xB3n")),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_EQ(plat::sha256File(dir.file("missing")), "");
    EXPECT_EQ(plat::sha256File(dir.path()), "");  // a folder is no file
}

// "file:///C:/a/b" for a Windows path, with the characters a URL cannot hold escaped.
std::string fileUrl(const fs::path& path) {
    std::string url = "file:///";
    for (char c : utf8(path)) {
        if (c == '\\') url += '/';
        else if (c == ' ') url += "%20";
        else url += c;
    }
    return url;
}

TEST(DownloadToFile, FileLocations) {
    TempFolder dir;
    dir.write("the s\xC3\xB3urce", "hello\r\nworld");
    ASSERT_TRUE(plat::downloadToFile(fileUrl(dir.at("the s\xC3\xB3urce")), dir.file("out"), 1000));
    EXPECT_EQ(test_files::read(dir.at("out")), "hello\r\nworld");  // bytes as they are

    // The same file on this machine by name.
    std::string localhost = fileUrl(dir.at("the s\xC3\xB3urce"));
    localhost.insert(7, "localhost");
    ASSERT_TRUE(plat::downloadToFile(localhost, dir.file("out3"), 1000)) << localhost;

    // Missing, a folder, or longer than the cap: no file is left.
    EXPECT_FALSE(plat::downloadToFile(fileUrl(dir.at("missing")), dir.file("out4"), 1000));
    EXPECT_FALSE(fs::exists(dir.at("out4")));
    EXPECT_FALSE(plat::downloadToFile(fileUrl(dir.dir()), dir.file("out5"), 1000));
    EXPECT_FALSE(fs::exists(dir.at("out5")));
    EXPECT_FALSE(plat::downloadToFile(fileUrl(dir.at("the s\xC3\xB3urce")), dir.file("out6"), 5));
    EXPECT_FALSE(fs::exists(dir.at("out6")));
}

TEST(DownloadToFile, RefusedLocationTouchesNothingAndLeavesNoFile) {
    TempFolder dir;
    dir.write("out", "stale");
    EXPECT_FALSE(plat::downloadToFile("http://example.invalid/x", dir.file("out"), 1000));
    EXPECT_FALSE(fs::exists(dir.at("out")));
}

class Downloads : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.ready()) << "the loopback server did not start"; }
    LoopbackServer server;
    TempFolder dir;
};

TEST_F(Downloads, WholeBodyOfA2xxAnswer) {
    const std::string body(300000, 'z');
    server.serve("big.bin", body);
    ASSERT_TRUE(plat::downloadToFile(server.url("/big.bin"), dir.file("a"), 1000000));
    EXPECT_EQ(test_files::read(dir.at("a")), body);
    // The query goes to the server as it is; a fragment does not.
    server.serve("small.txt", "ok");
    ASSERT_TRUE(plat::downloadToFile(server.url("/small.txt?t=5#part"), dir.file("b"), 1000));
    EXPECT_EQ(test_files::read(dir.at("b")), "ok");
    EXPECT_EQ(server.requests().back(), "/small.txt?t=5");
}

TEST_F(Downloads, StatusErrorsAreFailuresAndLeaveNoFile) {
    for (const char* path : {"/status/404", "/status/500", "/status/302", "/missing"}) {
        dir.write("b", "stale");
        EXPECT_FALSE(plat::downloadToFile(server.url(path), dir.file("b"), 1000000)) << path;
        EXPECT_FALSE(fs::exists(dir.at("b"))) << path;
    }
}

TEST_F(Downloads, BodyPastTheCapIsDeleted) {
    server.serve("big.bin", std::string(300000, 'z'));
    EXPECT_FALSE(plat::downloadToFile(server.url("/big.bin"), dir.file("c"), 1000));
    EXPECT_FALSE(fs::exists(dir.at("c")));
    // Exactly the cap is still whole.
    server.serve("ten", "0123456789");
    EXPECT_TRUE(plat::downloadToFile(server.url("/ten"), dir.file("d"), 10));
    EXPECT_FALSE(plat::downloadToFile(server.url("/ten"), dir.file("e"), 9));
}

TEST_F(Downloads, CutTransferIsAFailure) {
    // The server promises more than it sends and closes the connection.
    EXPECT_FALSE(plat::downloadToFile(server.url("/short/100"), dir.file("f"), 1000));
    EXPECT_FALSE(fs::exists(dir.at("f")));
}

TEST_F(Downloads, RedirectsAreFollowedOnlyOntoHttps) {
    server.serve("small.txt", "ok");
    const std::string cases[] = {
        server.url("/redirect?to=" + server.url("/small.txt")),  // onto plain http, even our own
        server.url("/redirect?to=/small.txt"),                    // relative: the same plain http
        server.url("/redirect?to=" + fileUrl(dir.at("a"))),       // onto a local file
        server.url("/redirect?to=ftp://127.0.0.1/x"),
    };
    for (const std::string& url : cases) {
        EXPECT_FALSE(plat::downloadToFile(url, dir.file("g"), 1000)) << url;
        EXPECT_FALSE(fs::exists(dir.at("g"))) << url;
    }
    // WinHTTP itself followed none of them: only the redirects were asked for.
    for (const std::string& request : server.requests()) EXPECT_EQ(request.rfind("/redirect", 0), 0u) << request;
}

TEST_F(Downloads, AServerThatKeepsNoPaceIsGivenUp) { download_cases::noPaceIsGivenUp(server, dir); }

TEST_F(Downloads, AStopEndsItAndLeavesNoFile) { download_cases::aStopEndsIt(server, dir); }

TEST_F(Downloads, NothingListening) {
    EXPECT_FALSE(plat::downloadToFile("http://127.0.0.1:1/x", dir.file("h"), 1000));
    EXPECT_FALSE(fs::exists(dir.at("h")));
}

}  // namespace
