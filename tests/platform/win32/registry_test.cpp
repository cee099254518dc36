// Registry reads against keys planted in the Wine prefix through "reg import".
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/base/registry.h"
#include "platform/base/text.h"
#include "tests/platform/win32/support.h"

namespace {

using namespace win_test;

const char* const kTestKey = "Software\\TarvionTest";

// "hex(2):" data of a REG_EXPAND_SZ: the UTF-16 units with their terminator, byte by byte.
std::string expandData(const std::string& text) {
    static const char hex[] = "0123456789abcdef";
    std::string out = "hex(2):";
    std::u16string units = plat::utf8ToUtf16(text);
    units += u'\0';
    for (size_t i = 0; i < units.size(); ++i)
        for (int b = 0; b < 2; ++b) {
            const unsigned v = (units[i] >> (8 * b)) & 0xFF;
            if (i + b > 0) out += ',';
            out += hex[v >> 4];
            out += hex[v & 15];
        }
    return out;
}

std::string stringOf(const plat::RegValue& value) {
    return plat::utf16ToUtf8(value.data.substr(0, value.data.find(u'\0')));
}

class Registry : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        TempFolder dir;
        std::string text = "[HKEY_CURRENT_USER\\Software\\TarvionTest]\r\n";
        text += "\"Text\"=\"Tarvi\xC3\xB3n \xE2\x80\x94 ok\"\r\n";
        text += "\"Expand\"=" + expandData("%ProgramData%\\Epic") + "\r\n";
        text += "\"Number\"=dword:00000007\r\n";
        text += "\"Longest\"=\"" + std::string(plat::kRegValueUnits - 1, 'x') + "\"\r\n";
        text += "\"TooLong\"=\"" + std::string(plat::kRegValueUnits, 'x') + "\"\r\n";
        for (const char* sub : {"beta", "Alpha", "gamma \xC3\xA9"})
            text += "\r\n[HKEY_CURRENT_USER\\Software\\TarvionTest\\" + std::string(sub) + "]\r\n";
        text += "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\TarvionTest]\r\n\"View\"=\"64\"\r\n";
        text += "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\TarvionTest]\r\n\"View\"=\"32\"\r\n";
        planted_ = importRegistry(dir, text);
    }
    static void TearDownTestSuite() {
        runCommand("reg delete \"HKCU\\Software\\TarvionTest\" /f >NUL 2>&1");
        runCommand("reg delete \"HKLM\\SOFTWARE\\TarvionTest\" /f >NUL 2>&1");
        runCommand("reg delete \"HKLM\\SOFTWARE\\Wow6432Node\\TarvionTest\" /f >NUL 2>&1");
    }
    void SetUp() override { ASSERT_TRUE(planted_) << "reg import failed"; }

    static bool planted_;
};

bool Registry::planted_ = false;

TEST_F(Registry, StringsAsStoredWithTheirTypes) {
    plat::RegKey key;
    ASSERT_TRUE(plat::regOpenKey(plat::RegCurrentUser, kTestKey, 0, key));
    plat::RegValue value;
    ASSERT_TRUE(plat::regQueryValue(key, "Text", value));
    EXPECT_EQ(value.type, plat::kRegSz);
    EXPECT_EQ(stringOf(value), "Tarvi\xC3\xB3n \xE2\x80\x94 ok");
    EXPECT_EQ(value.data.back(), u'\0');  // the terminator as stored

    // Expandable strings are not expanded.
    ASSERT_TRUE(plat::regQueryValue(key, "expand", value));  // names without regard to case
    EXPECT_EQ(value.type, plat::kRegExpandSz);
    EXPECT_EQ(stringOf(value), "%ProgramData%\\Epic");

    ASSERT_TRUE(plat::regQueryValue(key, "Number", value));
    EXPECT_EQ(value.type, 4u);  // REG_DWORD
    EXPECT_EQ(value.data.size(), 2u);
    EXPECT_EQ(value.data[0], 7);

    EXPECT_FALSE(plat::regQueryValue(key, "Missing", value));
    plat::regCloseKey(key);
    EXPECT_EQ(key.handle, nullptr);
}

TEST_F(Registry, LongestValueFitsOneMoreDoesNot) {
    plat::RegKey key;
    ASSERT_TRUE(plat::regOpenKey(plat::RegCurrentUser, kTestKey, 0, key));
    plat::RegValue value;
    ASSERT_TRUE(plat::regQueryValue(key, "Longest", value));
    EXPECT_EQ(value.data.size(), plat::kRegValueUnits);
    EXPECT_EQ(stringOf(value), std::string(plat::kRegValueUnits - 1, 'x'));
    EXPECT_FALSE(plat::regQueryValue(key, "TooLong", value));
    plat::regCloseKey(key);
}

TEST_F(Registry, SubKeysByIndexUntilThePastTheLast) {
    plat::RegKey key;
    ASSERT_TRUE(plat::regOpenKey(plat::RegCurrentUser, "SOFTWARE\\tarviontest", 0, key));
    std::vector<std::string> names;
    std::string name;
    for (uint32_t i = 0; plat::regEnumSubKey(key, i, name); ++i) names.push_back(name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta", "gamma \xC3\xA9"}));
    EXPECT_FALSE(plat::regEnumSubKey(key, 3, name));
    plat::regCloseKey(key);
}

TEST_F(Registry, BothViewsOfTheMachineHive) {
    plat::RegKey key;
    plat::RegValue value;
    ASSERT_TRUE(plat::regOpenKey(plat::RegLocalMachine, "SOFTWARE\\TarvionTest", plat::kRegView64, key));
    ASSERT_TRUE(plat::regQueryValue(key, "View", value));
    EXPECT_EQ(stringOf(value), "64");
    plat::regCloseKey(key);
    // The 32-bit view of SOFTWARE is its Wow6432Node.
    ASSERT_TRUE(plat::regOpenKey(plat::RegLocalMachine, "SOFTWARE\\TarvionTest", plat::kRegView32, key));
    ASSERT_TRUE(plat::regQueryValue(key, "View", value));
    EXPECT_EQ(stringOf(value), "32");
    plat::regCloseKey(key);
}

TEST_F(Registry, MissingKeysDoNotOpen) {
    plat::RegKey key;
    EXPECT_FALSE(plat::regOpenKey(plat::RegCurrentUser, "Software\\TarvionTest\\Nope", 0, key));
    EXPECT_FALSE(plat::regOpenKey(static_cast<plat::RegHive>(9), kTestKey, 0, key));
    EXPECT_EQ(key.handle, nullptr);
    std::string name;
    plat::RegValue value;
    EXPECT_FALSE(plat::regEnumSubKey(key, 0, name));
    EXPECT_FALSE(plat::regQueryValue(key, "Text", value));
}

}  // namespace
