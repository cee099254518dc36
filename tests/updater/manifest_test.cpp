#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "updater/steps.h"
#include "updater/updater.h"

namespace {

using updater::extractManifestValue;

struct ValueCase {
    const char* name;
    std::string text;
    const char* key;
    std::string expected;
};

class ManifestValue : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ManifestValue, FindsTheQuotedKeysValue) {
    const ValueCase& c = GetParam();
    EXPECT_EQ(extractManifestValue(c.text, c.key), c.expected) << c.name;
}

const std::string kWellFormed =
    "{\n  \"version\": \"2.2.0\",\n  \"url\": \"https://example.invalid/Tarvion.exe\",\n"
    "  \"sha256\": \"ABCDEF0123\",\n  \"notes\": \"Faster rounds\"\n}\n";

INSTANTIATE_TEST_SUITE_P(
    Table, ManifestValue,
    ::testing::Values(
        ValueCase{"version", kWellFormed, "version", "2.2.0"},
        ValueCase{"url", kWellFormed, "url", "https://example.invalid/Tarvion.exe"},
        ValueCase{"sha256 kept as written", kWellFormed, "sha256", "ABCDEF0123"},
        ValueCase{"notes", kWellFormed, "notes", "Faster rounds"},
        ValueCase{"missing key", kWellFormed, "channel", ""},
        ValueCase{"key without quotes is not the key", "{version: \"2.2.0\"}", "version", ""},
        ValueCase{"compact, any order", "{\"url\":\"u\",\"version\":\"3\"}", "version", "3"},
        ValueCase{"nested object: first occurrence wins",
                  "{\"mirror\": {\"url\": \"first\"}, \"url\": \"second\"}", "url", "first"},
        ValueCase{"escaped quote stays in the value", R"({"notes": "say \"hi\" now"})", "notes",
                  "say \"hi\" now"},
        ValueCase{"backslash-n is a line feed", R"({"notes": "one\ntwo"})", "notes", "one\ntwo"},
        ValueCase{"escaped backslash", R"({"notes": "a\\b"})", "notes", "a\\b"},
        ValueCase{"other escapes give the character", R"({"notes": "a\tb\/c"})", "notes", "atb/c"},
        ValueCase{"unicode escapes are not decoded", R"({"notes": "\u00e9"})", "notes", "u00e9"},
        ValueCase{"trailing backslash at the end of the text", "{\"notes\": \"abc\\", "notes", "abc\\"},
        ValueCase{"unterminated value runs to the end", "{\"notes\": \"abc", "notes", "abc"},
        ValueCase{"no colon after the key", "{\"notes\" \"abc\"}", "notes", ""},
        ValueCase{"no quote after the colon", "{\"notes\": 12}", "notes", ""},
        ValueCase{"number value takes the next string", "{\"version\": 3, \"url\": \"u\"}", "version", "url"},
        ValueCase{"empty value", "{\"url\": \"\"}", "url", ""},
        ValueCase{"empty text", "", "version", ""},
        ValueCase{"garbage", std::string("\x00\xff\x01\"ver\x00sion\"", 12), "version", ""},
        ValueCase{"garbage with a nul inside the value",
                  std::string("\"version\": \"2\x00" "9\"", 15), "version", std::string("2\x00" "9", 3)},
        ValueCase{"lone quote", "\"", "version", ""}),
    [](const ::testing::TestParamInfo<ValueCase>& info) { return "case" + std::to_string(info.index); });

TEST(ManifestValue, HugeManifestIsReadInOnePass) {
    // 8 MB of notes, and the version key after them.
    std::string notes(8u << 20, 'x');
    notes[1000] = '\\';
    notes[1001] = 'n';
    const std::string text = "{\"notes\": \"" + notes + "\", \"version\": \"9.0.0\"}";
    const auto start = std::chrono::steady_clock::now();
    const std::string value = extractManifestValue(text, "notes");
    EXPECT_EQ(value.size(), notes.size() - 1);
    EXPECT_EQ(value[1000], '\n');
    EXPECT_EQ(extractManifestValue(text, "version"), "9.0.0");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

struct VersionCase {
    const char* text;
    int major, minor, patch;
    bool valid = true;
};

class VersionParse : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionParse, ReadsLikeScanfDotPattern) {
    const VersionCase& c = GetParam();
    const updater::VersionTriple v = updater::parseVersion(c.text);
    EXPECT_EQ(v.major, c.major) << c.text;
    EXPECT_EQ(v.minor, c.minor) << c.text;
    EXPECT_EQ(v.patch, c.patch) << c.text;
    EXPECT_EQ(v.valid, c.valid) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Table, VersionParse,
                         ::testing::Values(VersionCase{"2.1.1", 2, 1, 1}, VersionCase{"2.2", 2, 2, 0},
                                           VersionCase{"3", 3, 0, 0}, VersionCase{"", 0, 0, 0},
                                           VersionCase{"v2.2.0", 0, 0, 0}, VersionCase{" 2. 3.4", 2, 3, 4},
                                           VersionCase{"2.1.1-beta", 2, 1, 1}, VersionCase{"2..5", 2, 0, 0},
                                           VersionCase{"2.x.5", 2, 0, 0}, VersionCase{"-1.2.3", -1, 2, 3},
                                           VersionCase{"+4.0.1", 4, 0, 1}, VersionCase{"10.20.30", 10, 20, 30},
                                           VersionCase{"2147483647.-2147483648.0", 2147483647, -2147483648, 0},
                                           // A component that does not fit an int is no version.
                                           VersionCase{"99999999999999999999.1.0", 0, 0, 0, false},
                                           VersionCase{"99999999999.0.0", 0, 0, 0, false},
                                           VersionCase{"2.2147483648.0", 0, 0, 0, false},
                                           VersionCase{"2.1.-2147483649", 0, 0, 0, false}));

struct NewerCase {
    const char* remote;
    bool newer;
};

class VersionCompare : public ::testing::TestWithParam<NewerCase> {};

TEST_P(VersionCompare, AgainstTheRunningVersion) {
    EXPECT_EQ(updater::isNewerVersion(GetParam().remote, updater::kVersion), GetParam().newer) << GetParam().remote;
}

INSTANTIATE_TEST_SUITE_P(Table, VersionCompare,
                         ::testing::Values(NewerCase{"2.1.1", false}, NewerCase{"2.1.0", false},
                                           NewerCase{"2.0.9", false}, NewerCase{"1.99.99", false},
                                           NewerCase{"2.1.2", true}, NewerCase{"2.2", true}, NewerCase{"3", true},
                                           NewerCase{"2.1.10", true}, NewerCase{"2.10.0", true},
                                           NewerCase{"2.1", false}, NewerCase{"garbage", false},
                                           NewerCase{"", false}, NewerCase{"-3.0.0", false},
                                           NewerCase{"99999999999.0.0", false}, NewerCase{"2.1.99999999999", false},
                                           NewerCase{"2147483647.0.0", true}));

struct OfferCase {
    const char* name;
    std::string manifest;
    bool available;
};

class ManifestOffer : public ::testing::TestWithParam<OfferCase> {};

TEST_P(ManifestOffer, NeedsANewerVersionAndAUrl) {
    const updater::UpdateInfo info = updater::parseManifest(GetParam().manifest);
    EXPECT_EQ(info.available, GetParam().available) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ManifestOffer,
    ::testing::Values(OfferCase{"newer with url", R"({"version":"2.2.0","url":"https://h/x"})", true},
                      OfferCase{"same version", R"({"version":"2.1.1","url":"https://h/x"})", false},
                      OfferCase{"older version", R"({"version":"2.0.9","url":"https://h/x"})", false},
                      OfferCase{"empty url", R"({"version":"3.0.0","url":""})", false},
                      OfferCase{"missing url", R"({"version":"3.0.0"})", false},
                      OfferCase{"missing version", R"({"url":"https://h/x"})", false},
                      OfferCase{"not JSON at all", "404 Not Found", false},
                      OfferCase{"version past the int range", R"({"version":"99999999999.0.0","url":"https://h/x"})",
                                false}),
    [](const ::testing::TestParamInfo<OfferCase>& info) { return "case" + std::to_string(info.index); });

TEST(ManifestOffer, KeepsEveryStringFound) {
    const updater::UpdateInfo info = updater::parseManifest(
        R"({"version":"2.1.0","url":"https://h/x","sha256":"AB","notes":"line1\nline2"})");
    EXPECT_FALSE(info.available);
    EXPECT_EQ(info.version, "2.1.0");
    EXPECT_EQ(info.url, "https://h/x");
    EXPECT_EQ(info.sha256, "AB");
    EXPECT_EQ(info.notes, "line1\nline2");
}

TEST(CacheBuster, AppendsTheTimeUnlessAFileLocation) {
    EXPECT_EQ(updater::withCacheBuster("https://h/latest.json", 1700000000), "https://h/latest.json?t=1700000000");
    EXPECT_EQ(updater::withCacheBuster("https://h/latest.json?ch=beta", 5), "https://h/latest.json?ch=beta&t=5");
    EXPECT_EQ(updater::withCacheBuster("https://h/x", -12), "https://h/x?t=-12");
    EXPECT_EQ(updater::withCacheBuster("file:///tmp/latest.json", 5), "file:///tmp/latest.json");
    EXPECT_EQ(updater::withCacheBuster("file:", 5), "file:");
    // The file: test is case-sensitive.
    EXPECT_EQ(updater::withCacheBuster("FILE:///tmp/a", 5), "FILE:///tmp/a?t=5");
    EXPECT_EQ(updater::withCacheBuster("fil", 5), "fil?t=5");
}

}  // namespace
