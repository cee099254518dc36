#include <gtest/gtest.h>

#include "integration/store_sources.h"
#include "platform/base/text.h"
#include "tests/integration/test_support.h"

namespace {


TEST(ExtractQuotedValue, EscapesEndsAndSeparators) {
    struct Case {
        std::string text;
        const char* key;
        std::string value;
        size_t end;  // npos: no closing quote
    };
    const size_t none = std::string::npos;
    const Case cases[] = {
        {"\"name\"\t\t\"Rust\"", "name", "Rust", 13},
        {"\"name\": \"Rust\"", "name", "Rust", 13},  // anything may stand between key and value
        {R"("path"  "D:\\Steam\\Library")", "path", R"(D:\Steam\Library)", 27},
        {R"("name" "Say \"hi\" now")", "name", R"(Say "hi" now)", 22},
        {R"("name" "a\qb")", "name", "aqb", 12},  // a backslash copies the next character alone
        {"\"name\" \"open to the end", "name", "open to the end", none},
        {"\"name\" \"ends in \\", "name", "ends in \\", none},  // a trailing backslash stays
        {"\"name\" \"\"", "name", "", 8},
        {"\"name\"", "name", "", none},  // no opening quote
        {"name \"Rust\"", "name", "", none},  // the key must be quoted
        {"\"names\" \"x\" \"name\" \"y\"", "name", "y", 21},
    };
    for (const Case& c : cases) {
        size_t end = none;
        EXPECT_EQ(extractQuotedValue(c.text, c.key, 0, &end), c.value) << c.text;
        EXPECT_EQ(end, c.end) << c.text;
    }
}

TEST(ExtractQuotedValue, SearchesFromOffsetAndToleratesOffsetsPastTheEnd) {
    const std::string text = R"("path" "A" "path" "B")";
    size_t end = 0;
    EXPECT_EQ(extractQuotedValue(text, "path", 0, &end), "A");
    EXPECT_EQ(extractQuotedValue(text, "path", end + 1, &end), "B");
    EXPECT_EQ(extractQuotedValue(text, "path", end + 1, nullptr), "");
    EXPECT_EQ(extractQuotedValue(text, "path", text.size() + 10, nullptr), "");
}

TEST(ReadEpicDisplayName, ItsOwnRule) {
    struct Case {
        std::string text;
        std::string value;
    };
    const Case cases[] = {
        {R"({"DisplayName": "Fortnite", "AppName": "x"})", "Fortnite"},
        {R"({"DisplayName" : "Splitgate"})", "Splitgate"},
        {R"({"DisplayName": "Rainbow Six\" Extraction"})", "Rainbow Six\\"},  // no escapes: ends at the quote
        {R"({"DisplayName": "C:\\Games"})", "C:\\\\Games"},  // backslashes as they stand
        {"{\"DisplayName\": \"Diabotical", "Diabotical"},  // to the end of the text
        {R"({"DisplayName" "NoColon"})", ""},
        {R"({"DisplayName": 12})", ""},
        {R"({"Name": "x"})", ""},
        {R"({DisplayName: "x"})", ""},
        // The colon search runs on past other keys.
        {R"({"DisplayName"  , "AppName": "Fortnite"})", "Fortnite"},
    };
    for (const Case& c : cases) EXPECT_EQ(readEpicDisplayName(c.text), c.value) << c.text;
}

TEST(LeadingAppId, NumbersThatFitAnIntOnly) {
    struct Case {
        const char* value;
        int32_t id;
    };
    const Case cases[] = {
        {"730", 730},      {"1874880", 1874880}, {"730abc", 730},  {"", 0},      {"abc", 0},
        {" \t730", 730},  {"+730", 730},        {"-5", -5},       {"- 5", 0},   {"2147483647", 2147483647},
        {"2147483648", 0},      // too large for an int: no number
        {"99999999999999999999", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(leadingAppId(c.value), c.id) << c.value;
}

TEST(SteamLibraries, SlashesCaseAndDuplicates) {
    const std::string vdf = R"("libraryfolders" {
        "0" { "path" "c:\\program files (x86)\\steam" }
        "1" { "path" "D:\\SteamLibrary" "label" "my \"fast\" drive" }
        "2" { "path" "e:/Games/Steam" }
        "3" { "path" "d:\\steamlibrary" }
    })";
    EXPECT_EQ(steamLibraries("C:/Program Files (x86)/Steam", vdf),
              (std::vector<std::string>{"C:\\Program Files (x86)\\Steam", "D:\\SteamLibrary", "e:\\Games\\Steam"}));
}

// A long list: every library listed a second time further down in another letter case and
// with forward slashes is still one library, in the order of its first listing.
TEST(SteamLibraries, LongListKeepsFirstSpellingsInOrder) {
    std::string vdf;
    std::vector<std::string> want{"S"};
    for (int i = 0; i < 2000; ++i) {
        vdf += "\"path\" \"D:\\\\Lib" + std::to_string(i) + "\"\n";
        want.push_back("D:\\Lib" + std::to_string(i));
    }
    for (int i = 1999; i >= 0; --i) vdf += "\"path\" \"d:/lib" + std::to_string(i) + "\"\n";
    vdf += "\"path\" \"s\"\n";
    EXPECT_EQ(steamLibraries("S", vdf), want);
}

TEST(SteamLibraries, UnterminatedLastPathEndsTheLoop) {
    // Such a value runs to the end of the text and may be used; the scan must stop there.
    EXPECT_EQ(steamLibraries("S", "\"path\" \"D:\\\\Lib\" \"path\" \"E:\\\\Open"),
              (std::vector<std::string>{"S", "D:\\Lib", "E:\\Open"}));
    EXPECT_EQ(steamLibraries("S", "\"path\" \"\" \"path\" \"D:\\\\Lib\""), (std::vector<std::string>{"S"}));
    EXPECT_EQ(steamLibraries("S", ""), (std::vector<std::string>{"S"}));
}

TEST(ReadWholeFile, CapsAtFourMebibytes) {
    TempFolder dir;
    ScanInputs inputs;
    const std::string small = std::string("a\r\nb\0c", 6);
    dir.write("small.acf", small);
    EXPECT_EQ(readWholeFile(inputs, (dir.at("small.acf")).string()), small);

    std::string big(kMaxStoreFileBytes, 'x');
    big += "\"name\" \"Hidden\"";
    dir.write("big.acf", big);
    const std::string text = readWholeFile(inputs, (dir.at("big.acf")).string());
    EXPECT_EQ(text.size(), kMaxStoreFileBytes);
    EXPECT_EQ(extractQuotedValue(text, "name", 0), "");

    EXPECT_EQ(readWholeFile(inputs, (dir.at("missing.acf")).string()), "");
    EXPECT_EQ(readWholeFile(inputs, dir.path()), "");  // a folder reads as empty
}

TEST(ReadWholeFile, MapsDrivesAndWindowsPaths) {
    TempFolder dir;
    test_files::write(dir.at("Program Files") / "Epic" / "A.item", "epic");
    ScanInputs inputs;
    inputs.drives = {{'C', dir.path()}};
    EXPECT_EQ(readWholeFile(inputs, "c:\\PROGRAM FILES\\epic\\a.ITEM"), "epic");
    EXPECT_EQ(readWholeFile(inputs, "D:\\Program Files\\Epic\\A.item"), "");  // an unmapped drive
}

class ReadRegStringTest : public ::testing::Test {
protected:
    void SetUp() override { inputs.registry = &registry; }

    void put(const std::string& valueName, uint32_t type, const std::u16string& data,
             plat::RegHive hive = plat::RegLocalMachine, uint32_t view = plat::kRegView64) {
        plat::RegValue v;
        v.type = type;
        v.data = data;
        registry.keys.push_back({hive, view, "SOFTWARE\\Game", {{valueName, v}}});
    }

    bool read(const std::string& valueName, std::string& out, uint32_t view = 0,
              plat::RegHive hive = plat::RegLocalMachine) {
        return readRegString(inputs, hive, "software\\GAME", valueName, out, view);
    }

    RegistrySnapshot registry;
    ScanInputs inputs;
};

TEST_F(ReadRegStringTest, TypesTerminatorsAndLimits) {
    put("Plain", plat::kRegSz, u"Halo\0");
    put("Expand", plat::kRegExpandSz, u"%ProgramFiles%\\Game");
    put("Dword", 4, u"\x2a");
    put("Cut", plat::kRegSz, std::u16string(u"Front\0Back", 10));
    put("Empty", plat::kRegSz, std::u16string(u"\0", 1));
    put("Longest", plat::kRegSz, std::u16string(plat::kRegValueUnits, u'x'));
    put("TooLong", plat::kRegSz, std::u16string(plat::kRegValueUnits + 1, u'x'));
    put("Wide", plat::kRegSz, u"Ren\u00e9 \U0001F3AE");

    struct Case {
        const char* name;
        bool ok;
        std::string value;
    };
    const Case cases[] = {
        {"Plain", true, "Halo"},
        {"plain", true, "Halo"},  // value names ignore case
        {"Expand", true, "%ProgramFiles%\\Game"},  // not expanded
        {"Dword", false, ""},
        {"Cut", true, "Front"},
        {"Empty", false, ""},
        {"Longest", true, std::string(plat::kRegValueUnits, 'x')},
        {"TooLong", false, ""},
        {"Wide", true, "Ren\xC3\xA9 \xF0\x9F\x8E\xAE"},
        {"Missing", false, ""},
    };
    for (const Case& c : cases) {
        std::string out = "untouched";
        EXPECT_EQ(read(c.name, out), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(out, c.value) << c.name;
        } else if (std::string(c.name) != "Empty") {
            EXPECT_EQ(out, "untouched") << c.name;
        }
    }
}

TEST_F(ReadRegStringTest, ViewsAndHivesAreSeparate) {
    put("Only64", plat::kRegSz, u"sixty-four");
    put("Only32", plat::kRegSz, u"thirty-two", plat::RegLocalMachine, plat::kRegView32);
    put("User", plat::kRegSz, u"user", plat::RegCurrentUser, 0);
    std::string out;
    EXPECT_TRUE(read("Only64", out, 0));  // no view flag: the 64-bit view
    EXPECT_TRUE(read("Only64", out, plat::kRegView64));
    EXPECT_FALSE(read("Only64", out, plat::kRegView32));
    EXPECT_TRUE(read("Only32", out, plat::kRegView32));
    EXPECT_FALSE(read("Only32", out, plat::kRegView64));
    EXPECT_TRUE(read("User", out, plat::kRegView32, plat::RegCurrentUser));  // one view under HKCU
    EXPECT_FALSE(read("User", out, 0));
}

}  // namespace
