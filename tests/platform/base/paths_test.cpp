#include <gtest/gtest.h>

#include <string>

#include "platform/base/paths.h"
#include "platform/base/text.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(DataFolder, FollowsTheEnvironment) {
    struct Case {
        const char* appdata;
        const char* xdg;
        const char* home;
        const char* expected;
    } cases[] = {
        {"/tmp/ad", "/tmp/xdg", "/home/p", "/tmp/ad/Tarvion"},
        {nullptr, "/tmp/xdg", "/home/p", "/tmp/xdg/Tarvion"},
        {nullptr, nullptr, "/home/p", "/home/p/.local/share/Tarvion"},
        {"", "", "/home/p/", "/home/p/.local/share/Tarvion"},
        {nullptr, nullptr, nullptr, "./Tarvion"},
    };
    for (const Case& c : cases) {
        ScopedEnv a("APPDATA", c.appdata), x("XDG_DATA_HOME", c.xdg), h("HOME", c.home);
        EXPECT_EQ(plat::defaultDataFolder(), c.expected) << (c.appdata ? c.appdata : "(unset)");
    }
}

TEST(DataFolder, MakeFoldersCreatesEveryLevel) {
    const TempFolder base;
    const std::string deep = base.path() + "/a/b/c";
    ASSERT_TRUE(plat::makeFolders(deep));
    EXPECT_TRUE(plat::folderExists(deep));
    EXPECT_TRUE(plat::makeFolder(deep));  // an existing folder is fine
    EXPECT_FALSE(plat::fileExists(deep));
    EXPECT_FALSE(plat::makeFolder(""));
}

TEST(Text, Utf16ToUtf8) {
    EXPECT_EQ(plat::utf16ToUtf8(u""), "");
    EXPECT_EQ(plat::utf16ToUtf8(u"Tarvion"), "Tarvion");
    EXPECT_EQ(plat::utf16ToUtf8(u"\u00e9\u2192\u2248"), "\xC3\xA9\xE2\x86\x92\xE2\x89\x88");
    EXPECT_EQ(plat::utf16ToUtf8(u"\U0001F3AF"), "\xF0\x9F\x8E\xAF");
    std::u16string lone = {0xD800, u'x'};
    EXPECT_EQ(plat::utf16ToUtf8(lone), "\xEF\xBF\xBDx");
    EXPECT_EQ(plat::utf8ToUtf16("\xE2\x86\x92\xF0\x9F\x8E\xAF"), u"\u2192\U0001F3AF");
    EXPECT_EQ(plat::utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
}

// Only A-Z change: the bytes either side of them in the table, NULs and UTF-8 stay, whatever
// the C library's locale would do with them.
TEST(Text, AsciiLowerCasing) {
    EXPECT_EQ(plat::asciiLowered("@AZ[`az{"), "@az[`az{");
    EXPECT_EQ(plat::asciiLowered("\xC3\x89T\xC3\xA9 \xC0\xDE"), "\xC3\x89t\xC3\xA9 \xC0\xDE");
    EXPECT_EQ(plat::asciiLowered(std::string("A\0B", 3)), std::string("a\0b", 3));
    EXPECT_EQ(plat::asciiLowered(""), "");

    struct Case {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"Software\\Valve\\Steam", "SOFTWARE\\valve\\steam", true},
        {"", "", true},
        {"Steam", "Stea", false},
        {"Stea", "Steam", false},
        {"@", "`", false},       // one apart from A and a, but no letters
        {"\xC3\x89", "\xC3\xA9", false},  // no case folding beyond ASCII
    };
    for (const Case& c : cases) EXPECT_EQ(plat::equalsIgnoringAsciiCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
}

}  // namespace
