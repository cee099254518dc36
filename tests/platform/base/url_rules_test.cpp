// The download location rule and the address pieces the transports read: portable code,
// so the same table runs in the native suite and under Wine.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/base/url_rules.h"

namespace {

struct UrlCase {
    const char* url;
    bool allowed;
};

// Printed as its verdict only: the case names stay the same from one run of the suite to
// the next (gtest would print the struct's bytes, pointer included).
void PrintTo(const UrlCase& c, std::ostream* os) { *os << (c.allowed ? "allowed" : "refused"); }

class DownloadUrlRule : public ::testing::TestWithParam<UrlCase> {};

TEST_P(DownloadUrlRule, HttpsFileOrLoopbackHttpOnly) {
    EXPECT_EQ(plat::isAllowedDownloadUrl(GetParam().url), GetParam().allowed) << GetParam().url;
}

INSTANTIATE_TEST_SUITE_P(Table, DownloadUrlRule,
                         ::testing::Values(UrlCase{"https://example.invalid/latest.json", true},
                                           UrlCase{"HTTPS://example.invalid/latest.json", true},
                                           UrlCase{"file:///tmp/latest.json", true},
                                           UrlCase{"file:///C:/latest.json", true},
                                           UrlCase{"http://127.0.0.1:8000/x", true},
                                           UrlCase{"http://localhost/x", true},
                                           UrlCase{"http://LOCALHOST/x", true},
                                           UrlCase{"http://[::1]:81/x", true},
                                           UrlCase{"http://example.invalid/latest.json", false},
                                           UrlCase{"http://127.0.0.1.example.invalid/x", false},
                                           UrlCase{"http://127.0.0.1@example.invalid/x", false},
                                           UrlCase{"http://10.0.0.1/x", false},
                                           UrlCase{"https:///x", false},
                                           UrlCase{"ftp://example.invalid/x", false},
                                           UrlCase{"gopher://127.0.0.1/x", false},
                                           UrlCase{"not a url", false}, UrlCase{"", false},
                                           UrlCase{"http://user@127.0.0.1:8000/x", true},
                                           UrlCase{"http://127.0.0.1:80x/x", false},
                                           UrlCase{"http://[::1/x", false},
                                           UrlCase{"https://", false},
                                           UrlCase{"https:example.invalid/x", false},
                                           UrlCase{"https://example.invalid/a b", false},
                                           UrlCase{"file://localhost/tmp/x", true},
                                           UrlCase{"file://localhost/C:/x", true},
                                           UrlCase{"file://example.invalid/tmp/x", false},
                                           UrlCase{"file://C:/x", false},
                                           UrlCase{"file:C:\\x", false},
                                           UrlCase{"1http://127.0.0.1/x", false}));

TEST(UrlPieces, SchemeAuthorityAndHost) {
    EXPECT_EQ(plat::urlScheme("HTTPS://Example.invalid/x"), "https");
    EXPECT_EQ(plat::urlScheme("/relative/path"), "");
    EXPECT_EQ(plat::urlScheme("1http://x"), "");
    EXPECT_EQ(plat::urlScheme("https"), "");

    std::string authority;
    size_t rest = 0;
    ASSERT_TRUE(plat::urlAuthority("http://user@127.0.0.1:8000/a/b?c", authority, &rest));
    EXPECT_EQ(authority, "user@127.0.0.1:8000");
    EXPECT_EQ(rest, 26u);
    ASSERT_TRUE(plat::urlAuthority("file:///C:/x", authority, &rest));
    EXPECT_EQ(authority, "");
    EXPECT_FALSE(plat::urlAuthority("https:example.invalid/x", authority));

    std::string host;
    ASSERT_TRUE(plat::urlHost("user@LocalHost:81", host));
    EXPECT_EQ(host, "localhost");
    EXPECT_TRUE(plat::isLoopbackHost(host));
    ASSERT_TRUE(plat::urlHost("[::1]:8080", host));
    EXPECT_EQ(host, "[::1]");
    EXPECT_FALSE(plat::urlHost("[::1", host));
    EXPECT_FALSE(plat::urlHost("127.0.0.1:80x", host));
    EXPECT_FALSE(plat::urlHost("", host));
    EXPECT_FALSE(plat::isLoopbackHost("127.0.0.1.example.invalid"));
}

}  // namespace
