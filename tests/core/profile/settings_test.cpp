#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <locale>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/catalog/armory.h"
#include "core/profile/app.h"
#include "core/profile/settings.h"
#include "platform/base/atomic_file.h"
#include "platform/base/files.h"
#include "platform/base/process.h"
#include "tests/support/temp_folder.h"
#ifndef _WIN32
#include <csignal>
#include <cstdio>
#include <fstream>

#include "tests/support/fifo_watchdog.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/forked_child.h"
#include "tests/support/unprivileged.h"
#endif

namespace {

// Every settings field of `a` equals that of `b`, reported by name.
void expectSameSettings(const App& a, const App& b, const std::string& context) {
#define TARVION_EXPECT_SAME(type, name, value, look, values) EXPECT_EQ(a.name, b.name) << context << ": " #name;
    TARVION_SETTINGS_FIELDS(TARVION_EXPECT_SAME)
#undef TARVION_EXPECT_SAME
}

#ifndef _WIN32
// The names in a folder, in order.
std::vector<std::string> namesIn(const TempFolder& f) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(f.dir()))
        names.push_back(test_files::utf8(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

const std::vector<std::string> kSettingsAlone = {"settings.ini"};

// This process's temporary for the settings.ini in `f`.
std::string tempOf(const TempFolder& f) { return settingsTempPath(f.file("settings.ini")); }

// settings.ini as a save writes it for the default settings with this much XP.
std::string savedText(int64_t xp) {
    TempFolder f;
    App a;
    a.dataDir = f.path();
    a.xp = xp;
    a.saveSettings();
    return f.read("settings.ini");
}
#endif

// ---- One row of the settings table, as the tests walk it -------------------

// What the tests need of one setting, made from its row of the table alone: a value the
// program's controls offer that is not the default, and one they do not offer (when there
// is such a value the file can hold), each as the file holds it.
struct FieldCase {
    std::string key;
    bool look = false;
    std::string sampleText;
    std::string outsideText;  // empty: every value the file can hold is offered
    std::function<void(App&)> setSample;
    std::function<bool(const App&)> holdsSample;
    std::function<bool(const App&)> holdsOutside;  // the outside value as the file gave it
    std::function<bool(const App&)> holdsDefault;
};

std::string numberText(double v) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << v;
    return out.str();
}

// A number among the values, other than `avoid`, that reads back exactly from its text and
// that a field of type T holds as it is.
template <class T>
bool offeredNumber(const SettingValues& values, double avoid, double& out) {
    std::vector<double> candidates = values.others;
    for (double c : {values.lo, values.hi, 1.0, 2.0, 0.5, 100.0}) candidates.push_back(c);
    for (double c : candidates) {
        if (!settingAllows(values, c) || c == avoid || std::fabs(c) >= 1e15) continue;
        if (c != 0 && std::fabs(c) < 1e-6) continue;
        if (static_cast<double>(static_cast<T>(c)) != c || std::stod(numberText(c)) != c) continue;
        out = c;
        return true;
    }
    return false;
}

// A number outside the values, or false when the values take every number.
bool outsideNumber(const SettingValues& values, double& out) {
    if (values.any) return false;
    if (values.lo <= values.hi)
        out = values.hi < 1e15 ? values.hi + 1 : values.lo - 1;
    else
        out = *std::max_element(values.others.begin(), values.others.end()) + 1;
    return !settingAllows(values, out);
}

template <class Rows>
std::string lastIdOtherThan(const Rows& rows, const std::string& avoid) {
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        if (avoid != it->id) return it->id;
    return "";
}

template <class T>
FieldCase fieldCase(const char* key, T App::*member, T def, bool look, const SettingValues& values) {
    FieldCase c;
    c.key = key;
    c.look = look;
    T sample = def;
    T outsideValue = def;
    if constexpr (std::is_same_v<T, bool>) {
        sample = !def;
        c.sampleText = sample ? "1" : "0";
    } else if constexpr (std::is_arithmetic_v<T>) {
        if (values.ids == SettingIdKind::Game) {
            // The file names the game by its id; an id it does not know is row 0 by rule.
            sample = def == 0 ? 1 : 0;
            c.sampleText = gameCatalog()[static_cast<size_t>(sample)].id;
        } else {
            double v = 0;
            if (!offeredNumber<T>(values, static_cast<double>(def), v)) ADD_FAILURE() << key << ": nothing to offer";
            sample = static_cast<T>(v);
            c.sampleText = numberText(v);
            double outside = 0;
            if (outsideNumber(values, outside)) {
                c.outsideText = numberText(outside);
                outsideValue = static_cast<T>(outside);
            }
        }
    } else if constexpr (std::is_same_v<T, Rgb>) {
        double v = 0;
        if (!offeredNumber<float>(values, def[0], v)) ADD_FAILURE() << key << ": nothing to offer";
        sample = {static_cast<float>(v), static_cast<float>(v), static_cast<float>(v)};
        c.sampleText = numberText(v) + " " + numberText(v) + " " + numberText(v);
        double outside = 0;
        if (outsideNumber(values, outside)) {
            c.outsideText = numberText(v) + " " + numberText(outside) + " " + numberText(v);
            outsideValue = {static_cast<float>(v), static_cast<float>(outside), static_cast<float>(v)};
        }
    } else if constexpr (std::is_same_v<T, std::string>) {
        switch (values.ids) {
            case SettingIdKind::Gun: sample = lastIdOtherThan(gunCatalog(), def); break;
            case SettingIdKind::Skin: sample = lastIdOtherThan(skinCatalog(), def); break;
            case SettingIdKind::Map: sample = lastIdOtherThan(mapCatalog(), def); break;
            default: sample = def + "x"; break;
        }
        c.sampleText = sample;
        if (values.ids != SettingIdKind::None) {
            c.outsideText = "no such id";
            outsideValue = c.outsideText;
        }
    } else {
        sample = T("cs2,apex");
        c.sampleText = "cs2,apex";
    }
    EXPECT_FALSE(sample == def) << key;
    c.setSample = [member, sample](App& a) { a.*member = sample; };
    c.holdsSample = [member, sample](const App& a) { return a.*member == sample; };
    c.holdsOutside = [member, outsideValue](const App& a) { return a.*member == outsideValue; };
    c.holdsDefault = [member, def](const App& a) { return a.*member == def; };
    return c;
}

std::vector<FieldCase> settingsTable() {
    std::vector<FieldCase> cases;
#define TARVION_FIELD_CASE(type, name, value, look, values) \
    cases.push_back(fieldCase<type>(#name, &App::name, type(value), look, values));
    TARVION_SETTINGS_FIELDS(TARVION_FIELD_CASE)
#undef TARVION_FIELD_CASE
    return cases;
}

// settings.ini with every key at its sample value, one of them (`changed`) at `text`.
std::string sampleFile(const std::vector<FieldCase>& table, const std::string& changed = "",
                       const std::string& text = "") {
    std::string file;
    for (const FieldCase& c : table) file += c.key + "=" + (c.key == changed ? text : c.sampleText) + "\n";
    return file;
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { app.dataDir = folder.path(); }
    void TearDown() override {
        settingsFileOps() = saved;
        resetCalibratedYaws();
    }
    std::string path() const { return folder.file("settings.ini"); }
    // `loaded`, a fresh App, reads a settings.ini of this text from the test's folder.
    void loadFile(App& loaded, const std::string& text) {
        folder.write("settings.ini", text);
        loaded.dataDir = folder.path();
        loaded.loadSettings();
    }
    // ...and then holds the defaults with only `expect`'s changes.
    void expectLoadsAs(App& loaded, const std::string& text, const std::function<void(App&)>& expect,
                       const std::string& context) {
        loadFile(loaded, text);
        App expected;
        expect(expected);
        expectSameSettings(loaded, expected, context);
    }

    TempFolder folder;
    App app;
    SettingsFileOps saved = settingsFileOps();
};

TEST_F(SettingsTest, FreshProfileWritesTheGoldenFile) {
    const std::string golden = TempFolder::readFile(TARVION_SOURCE_DIR "/tests/core/profile/golden/settings_fresh.ini");
    ASSERT_FALSE(golden.empty());
    app.saveSettings();
    EXPECT_EQ(folder.read("settings.ini"), golden);
    EXPECT_FALSE(std::filesystem::exists(settingsTempPath(path())));

    App reloaded;
    reloaded.dataDir = folder.path();
    reloaded.loadSettings();
    expectSameSettings(reloaded, app, "reloaded");
    reloaded.saveSettings();
    EXPECT_EQ(folder.read("settings.ini"), golden);
}

TEST_F(SettingsTest, EveryKeyRoundTrips) {
    app.game = gameIndexById("fortnite");
    app.dpi = 1234.5;
    app.sens = 6.85;
    app.sensUnknown = true;
    app.customYaw = 0.0123;
    app.cmDirect = 27.5;
    app.style = 2;
    app.length = 2;
    app.fov = 92.5;
    app.myGames = "cs2,apex,unknown id";
    app.knownGames = "fortnite";
    app.reforgerYaw = 0.0117;
    app.reforgerFov = 74;
    app.xhStyle = 3;
    app.xhSize = 11.5f;
    app.xhThick = 4;
    app.xhGap = 0;
    app.xhColor = {1, 0.25f, 0.3f};
    app.xhOutline = false;
    app.flickColor = {0.5f, 0.125f, 1};
    app.trackColor = {0, 0, 0};
    app.volume = 0.35f;
    app.fpsCap = 0;
    app.vsync = true;
    app.msaa = false;
    app.fullscreen = false;
    app.showFps = true;
    app.tutorialDone = true;
    app.checkUpdates = false;
    app.gun = "longbow";
    app.skin = "gold";
    app.theme = "synthwave";
    app.xp = INT64_C(5000000000);  // beyond 32 bits
    app.trackSpeed = 2;
    app.hitSound = 3;
    app.scopeMult = 0.85;
    app.scopeMeasured = true;
    app.saveSettings();

    App reloaded;
    reloaded.dataDir = folder.path();
    reloaded.loadSettings();
    expectSameSettings(reloaded, app, "round trip");
    EXPECT_DOUBLE_EQ(gameCatalog()[gameIndexById("reforger")].yaw, 0.0117);
}

// Every setting of the table loads a value the program offers as written and saves it back
// the same, whatever the setting.
TEST_F(SettingsTest, EveryFieldLoadsAndSavesWhatTheProgramOffers) {
    const std::vector<FieldCase> table = settingsTable();
    ASSERT_EQ(table.size(), kSettingsCount);
    folder.write("settings.ini", sampleFile(table));
    app.loadSettings();
    for (const FieldCase& c : table) EXPECT_TRUE(c.holdsSample(app)) << c.key << "=" << c.sampleText;
    app.saveSettings();
    const std::string saved = "\n" + folder.read("settings.ini");
    for (const FieldCase& c : table)
        EXPECT_NE(saved.find("\n" + c.key + "=" + c.sampleText + "\n"), std::string::npos) << c.key;
    App reloaded;
    reloaded.dataDir = folder.path();
    reloaded.loadSettings();
    expectSameSettings(reloaded, app, "reloaded");
}

// A value the program's controls do not offer for one setting (fpsCap=1001, a volume of 2,
// a gun that is none) loads as the file gives it, beside every other value of the file. The
// loader puts back only a dpi or a length it cannot use; a Reforger yaw of 0 or below is no
// calibration, held as 0.
TEST_F(SettingsTest, AValueTheControlsDoNotOfferIsTakenAsRead) {
    const std::vector<std::string> repaired = {"dpi", "length", "reforgerYaw"};
    const std::vector<FieldCase> table = settingsTable();
    int checked = 0;
    for (const FieldCase& outside : table) {
        if (outside.outsideText.empty()) continue;
        ++checked;
        App loaded;
        loadFile(loaded, sampleFile(table, outside.key, outside.outsideText));
        const bool repair = std::find(repaired.begin(), repaired.end(), outside.key) != repaired.end();
        for (const FieldCase& c : table) {
            const std::string file = ", file " + outside.key + "=" + outside.outsideText;
            if (c.key != outside.key)
                EXPECT_TRUE(c.holdsSample(loaded)) << c.key << " beside " << outside.key << file;
            else if (repair)
                EXPECT_TRUE(c.holdsDefault(loaded)) << c.key << file;
            else
                EXPECT_TRUE(c.holdsOutside(loaded)) << c.key << file;
        }
    }
    EXPECT_GE(checked, 20);
}

// The lines of a hand-edited file that the controls would never write: each is kept as
// read, and where it is used it means what the program makes of it.
TEST_F(SettingsTest, OddValuesAreKeptAndMetWhereTheyAreUsed) {
    struct Case {
        const char* text;
        std::function<void(App&)> expect;  // the fields, from the defaults
        std::function<void(const App&)> use;
    };
    const Case cases[] = {
        {"fpsCap=75\n", [](App& a) { a.fpsCap = 75; }, [](const App&) {}},
        {"gun=big gun\n", [](App& a) { a.gun = "big gun"; },
         [](const App& a) { EXPECT_EQ(gunIndexById(a.gun), 0); }},
        {"skin=plaid\ntheme=moon\n",
         [](App& a) {
             a.skin = "plaid";
             a.theme = "moon";
         },
         [](const App& a) {
             EXPECT_EQ(skinIndexById(a.skin), 0);
             EXPECT_EQ(mapIndexById(a.theme), 0);
         }},
        {"style=3\n", [](App& a) { a.style = 3; },
         [](const App& a) {
             EXPECT_EQ(gameStyle(a.currentGame(), a.style), 1);
             EXPECT_STREQ(styleName(gameStyle(a.currentGame(), a.style)), "Balanced");
         }},
        {"game=cm360\ncmDirect=3\n",
         [](App& a) {
             a.game = gameIndexById("cm360");
             a.cmDirect = 3;
         },
         [](const App& a) { EXPECT_EQ(a.currentCm360(), 6); }},
        {"game=cs2\nsens=0\n",
         [](App& a) {
             a.game = gameIndexById("cs2");
             a.sens = 0;
         },
         [](const App& a) { EXPECT_EQ(a.currentCm360(), 40); }},
        {"fov=60\n", [](App& a) { a.fov = 60; }, [](const App& a) { EXPECT_EQ(a.horizontalFov(), 60); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        App loaded;
        expectLoadsAs(loaded, c.text, c.expect, c.text);
        c.use(loaded);
        // Saved back as read.
        loaded.saveSettings();
        const std::string saved = "\n" + folder.read("settings.ini");
        std::istringstream lines(c.text);
        for (std::string line; std::getline(lines, line);)
            EXPECT_NE(saved.find("\n" + line + "\n"), std::string::npos) << line;
    }
}

// Values no use could take go back to their defaults: "1e999" reads as the largest number
// and "1e-320" as far below any real value, and the screens would show "inf" (a cm/360, an
// in-game value, an eDPI), the scoped view would turn past the largest angle, or the drawing
// would overflow an int. Values short of that are kept, and their uses stay finite.
TEST_F(SettingsTest, ValuesNoUseCouldTakeGoBackToTheirDefaults) {
    const double most = std::numeric_limits<double>::max();
    auto noInf = [](const std::string& text) { EXPECT_EQ(text.find("inf"), std::string::npos) << text; };
    struct Case {
        const char* text;
        std::function<void(App&)> expect;  // the fields, from the defaults
        std::function<void(const App&)> use;
    };
    const Case cases[] = {
        {"sens=1e999\n", [](App&) {}, nullptr},
        {"sens=1e-320\n", [](App&) {}, nullptr},
        {"customYaw=1e-320\n", [](App&) {}, nullptr},
        {"reforgerYaw=1e-320\n", [](App&) {}, nullptr},
        {"scopeMult=1e999\n", [](App&) {}, nullptr},
        {"game=fortnite\ndpi=50\nsens=1e-300\n",
         [](App& a) {
             a.game = gameIndexById("fortnite");
             a.dpi = 50;
             a.sens = 1e-300;
         },
         [](const App& a) { EXPECT_TRUE(std::isfinite(cm360FromSens(a.gameYaw(), a.sens, a.dpi))); }},
        {"dpi=64000\nsens=1e300\n",
         [](App& a) {
             a.dpi = 64000;
             a.sens = 1e300;
         },
         [](const App& a) { EXPECT_TRUE(std::isfinite(a.dpi * a.sens)); }},
        {"game=custom\ndpi=50\ncustomYaw=1e-300\n",
         [](App& a) {
             a.game = gameIndexById("custom");
             a.dpi = 50;
             a.customYaw = 1e-300;
         },
         [&](const App& a) {
             noInf(formatGameSens(a.currentGame(), a.gameYaw(), 6, a.dpi));
             EXPECT_TRUE(std::isfinite(a.dpi * sensFromCm360(a.gameYaw(), 6, a.dpi)));
         }},
        {"customYaw=1e999\n", [&](App& a) { a.customYaw = most; }, nullptr},
        {"reforgerYaw=1e-300\n", [](App& a) { a.reforgerYaw = 1e-300; },
         [&](const App&) { noInf(formatGameSens(gameCatalog()[gameIndexById("reforger")], 1e-300, 6, 50)); }},
        {"scopeMult=1e290\n", [](App& a) { a.scopeMult = 1e290; }, nullptr},
        {"scopeMult=-1e999\n", [&](App& a) { a.scopeMult = -most; }, nullptr},
        // The crosshair's width goes through an int when it is drawn, and so does each colour
        // component (in 255ths) in the Settings screen's colour editor.
        {"xhThick=1e999\n", [](App&) {}, nullptr},
        {"xhThick=1e7\nxhSize=1e999\nxhGap=-1e999\n",
         [](App& a) {
             a.xhThick = 1e7f;
             a.xhSize = std::numeric_limits<float>::max();
             a.xhGap = -std::numeric_limits<float>::max();
         },
         nullptr},
        {"xhColor=0.5 1e999 1\nflickColor=-1e999 0 0\ntrackColor=0 0 1e7\n", [](App&) {}, nullptr},
        {"xhColor=8e6 -8e6 0.5\n", [](App& a) { a.xhColor = {8e6f, -8e6f, 0.5f}; }, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        App loaded;
        expectLoadsAs(loaded, c.text, c.expect, c.text);
        if (c.use) c.use(loaded);
        resetCalibratedYaws();
    }
}

// Both resets walk the table: every setting back to its default, or only the look-and-sound
// ones.
TEST_F(SettingsTest, ResetsRestoreTheTablesDefaults) {
    const std::vector<FieldCase> table = settingsTable();
    for (const FieldCase& c : table) c.setSample(app);
    app.resetSettingsToDefaults();
    for (const FieldCase& c : table) EXPECT_TRUE(c.holdsDefault(app)) << c.key;
    for (const FieldCase& c : table) c.setSample(app);
    app.resetLookAndSound();
    for (const FieldCase& c : table) EXPECT_TRUE(c.look ? c.holdsDefault(app) : c.holdsSample(app)) << c.key;
}

TEST_F(SettingsTest, GameOutsideTheCatalogueSavesTheDefaultGame) {
    app.game = 40;
    app.saveSettings();
    EXPECT_EQ(folder.read("settings.ini").rfind("game=valorant\n", 0), 0u);
}

TEST_F(SettingsTest, NumbersKeepSixSignificantDigits) {
    app.sens = 0.123456789;
    app.dpi = 1234567;  // out of range on load, but written as the stream writes it
    app.saveSettings();
    const std::string text = folder.read("settings.ini");
    EXPECT_NE(text.find("\nsens=0.123457\n"), std::string::npos);
    EXPECT_NE(text.find("\ndpi=1.23457e+06\n"), std::string::npos);
    App reloaded;
    reloaded.dataDir = folder.path();
    reloaded.loadSettings();
    EXPECT_DOUBLE_EQ(reloaded.sens, 0.123457);
}

// Each file loads into the defaults with only the listed changes.
TEST_F(SettingsTest, MalformedFilesLoadKeyByKey) {
    struct Case {
        const char* name;
        const char* text;
        std::function<void(App&)> expect;
    };
    const Case cases[] = {
        {"empty file", "", [](App&) {}},
        {"dpi too low", "dpi=10\n", [](App&) {}},
        {"dpi too high", "dpi=64001\n", [](App&) {}},
        {"dpi at the bounds", "dpi=64000\n", [](App& a) { a.dpi = 64000; }},
        {"dpi lower bound", "dpi=50\n", [](App& a) { a.dpi = 50; }},
        {"dpi letters read as 0", "dpi=abc\n", [](App&) {}},
        {"dpi overflow", "dpi=1e999\n", [](App&) {}},
        {"empty value keeps the earlier line", "dpi=1200\ndpi=\n", [](App& a) { a.dpi = 1200; }},
        {"blanks then junk after the number", "sens=  0.5xyz\n", [](App& a) { a.sens = 0.5; }},
        {"unknown game is row 0", "game=nosuch\n", [](App& a) { a.game = 0; }},
        {"game is matched whole", "game=valorant \n", [](App& a) { a.game = 0; }},
        {"length -1", "length=-1\n", [](App&) {}},
        {"length 7", "length=7\n", [](App&) {}},
        {"length 2", "length=2\n", [](App& a) { a.length = 2; }},
        {"values the controls do not offer are taken as read", "style=9\nvolume=-3\nfpsCap=-7\nxhColor=0.5 7 1\nxp=-5\n",
         [](App& a) {
             a.style = 9;
             a.volume = -3;
             a.fpsCap = -7;
             a.xhColor = {0.5f, 7.0f, 1.0f};
             a.xp = -5;
         }},
        {"a frame cap of 1 to 29 is the default", "fpsCap=1\n", [](App&) {}},
        {"a frame cap of 29 is the default", "fpsCap=29\n", [](App&) {}},
        {"a frame cap of 30 stays", "fpsCap=30\n", [](App& a) { a.fpsCap = 30; }},
        {"a frame cap of 0 is no cap", "fpsCap=0\n", [](App& a) { a.fpsCap = 0; }},
        {"keys are exact", "Dpi=1600\ndpi =1600\n dpi=1600\nDPI=1600\n", [](App&) {}},
        {"no = and empty key", "dpi 1600\n=5\nfov=90\n", [](App& a) { a.fov = 90; }},
        {"value may hold =", "myGames=cs2=apex\n", [](App& a) { a.myGames = "cs2=apex"; }},
        {"gun text taken whole", "gun=longbow scoped\nskin=gold\n",
         [](App& a) {
             a.gun = "longbow scoped";
             a.skin = "gold";
         }},
        {"booleans", "vsync=7\nmsaa=no\nfullscreen=\nxhOutline=0\n",
         [](App& a) {
             a.vsync = true;
             a.msaa = false;
             a.xhOutline = false;
         }},
        {"short colour keeps the rest", "xhColor=0.5 0.25\n", [](App& a) { a.xhColor = {0.5f, 0.25f, 0.55f}; }},
        {"bad colour item", "flickColor=0.5 x 1\n", [](App& a) { a.flickColor = {0.5f, 0.0f, 0.92f}; }},
        {"64-bit xp", "xp=5000000000\n", [](App& a) { a.xp = INT64_C(5000000000); }},
        {"CRLF line ends", "game=apex\r\ndpi=1600\r\nmyGames=cs2,apex\r\ngun=longbow\r\n",
         [](App& a) {
             a.game = 2;
             a.dpi = 1600;
             a.myGames = "cs2,apex";
             a.gun = "longbow";
         }},
        {"cut in the middle of a line", "dpi=1600\nsens=0.5\nfpsC", [](App& a) {
             a.dpi = 1600;
             a.sens = 0.5;
         }},
        {"cut inside a value", "dpi=1600\ngame=valo", [](App& a) {
             a.dpi = 1600;
             a.game = 0;
         }},
        {"cut after the point", "volume=0.", [](App& a) { a.volume = 0; }},
    };
    for (const Case& c : cases) {
        App loaded;
        expectLoadsAs(loaded, c.text, c.expect, c.name);
    }
}

TEST_F(SettingsTest, MissingFileLeavesEverythingAlone) {
    app.dpi = 10;  // not repaired: the validation only runs after a read
    app.length = 9;
    app.reforgerYaw = 0.02;
    app.loadSettings();
    EXPECT_EQ(app.dpi, 10);
    EXPECT_EQ(app.length, 9);
    EXPECT_EQ(gameCatalog()[gameIndexById("reforger")].yaw, 0);
}

TEST_F(SettingsTest, StoredReforgerYawReachesTheCatalogue) {
    folder.write("settings.ini", "reforgerYaw=0.0125\n");
    app.loadSettings();
    EXPECT_DOUBLE_EQ(gameCatalog()[gameIndexById("reforger")].yaw, 0.0125);
    folder.write("settings.ini", "reforgerYaw=-1\n");
    app.loadSettings();
    EXPECT_EQ(gameCatalog()[gameIndexById("reforger")].yaw, 0);
}

// A settings.ini left in an output folder by an earlier run must not bring its Reforger
// calibration into an unattended run: every reset takes the catalogue's row with the field.
TEST_F(SettingsTest, EveryResetDropsTheLoadedReforgerYaw) {
    const std::pair<const char*, void (App::*)()> resets[] = {
        {"automation", &App::applyAutomationReset},
        {"input test", &App::applyInputTestReset},
        {"defaults", &App::resetSettingsToDefaults},
    };
    for (const auto& [name, reset] : resets) {
        folder.write("settings.ini", "reforgerYaw=0.0125\ngame=reforger\n");
        app.loadSettings();
        ASSERT_DOUBLE_EQ(gameCatalog()[gameIndexById("reforger")].yaw, 0.0125) << name;
        (app.*reset)();
        const GameInfo& reforger = gameCatalog()[gameIndexById("reforger")];
        EXPECT_EQ(reforger.yaw, 0) << name;
        EXPECT_EQ(app.reforgerYaw, 0) << name;
        EXPECT_EQ(formatGameSens(reforger, reforger.yaw, 35, 800), "calibrate first") << name;
    }
    app.applyAutomationReset();
    EXPECT_EQ(app.game, gameIndexById("valorant"));
}

// ---- A file that is there but cannot be read ------------------------------

TEST_F(SettingsTest, AByteOrderMarkIsSkipped) {
    folder.write("settings.ini", "\xEF\xBB\xBFgame=apex\ndpi=1600\n");
    app.loadSettings();
    EXPECT_EQ(app.game, gameIndexById("apex"));  // the first key is not lost
    EXPECT_EQ(app.dpi, 1600);
    EXPECT_EQ(app.settingsNotice, "");
    EXPECT_TRUE(std::filesystem::exists(path()));
}

// The same text as UTF-16 (little-endian with its mark), as Notepad can save it.
std::string utf16(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

TEST_F(SettingsTest, AFileThatCannotBeReadAsTextIsKeptAndTheDefaultsAreUsed) {
    struct Case {
        const char* what;
        std::function<void(const TempFolder&)> make;
    };
    const Case cases[] = {
        {"UTF-16", [](const TempFolder& f) { f.write("settings.ini", utf16("game=apex\ndpi=1600\n")); }},
        {"zero bytes inside", [](const TempFolder& f) { f.write("settings.ini", std::string("dpi=1600\0\n", 10)); }},
        // Cannot be opened as a file at all, whoever runs the test.
        {"a folder", [](const TempFolder& f) { std::filesystem::create_directories(f.file("settings.ini")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder f;
        App a;
        a.dataDir = f.path();
        c.make(f);
        const bool isFolder = std::filesystem::is_directory(f.file("settings.ini"));
        const std::string bytes = isFolder ? "" : f.read("settings.ini");
        a.loadSettings();
        expectSameSettings(a, App{}, c.what);
        EXPECT_EQ(a.settingsNotice,
                  "settings.ini could not be read, so it was kept as settings.ini.unreadable and the default "
                  "settings are in use.");
        // Kept as it was, under the new name; the save writes a fresh file of its own.
        ASSERT_TRUE(std::filesystem::exists(f.file("settings.ini.unreadable")));
        if (!isFolder) {
            EXPECT_EQ(f.read("settings.ini.unreadable"), bytes);
        }
        a.saveSettings();
        EXPECT_NE(f.read("settings.ini").find("\ndpi=800\n"), std::string::npos);
        if (!isFolder) {
            EXPECT_EQ(f.read("settings.ini.unreadable"), bytes);
        }
    }
}

TEST_F(SettingsTest, AKeptFileNeverReplacesAnEarlierOne) {
    folder.write("settings.ini.unreadable", "first");
    folder.write("settings.ini.unreadable.1", "second");
    folder.write("settings.ini", utf16("dpi=1600\n"));
    app.loadSettings();
    EXPECT_EQ(folder.read("settings.ini.unreadable"), "first");
    EXPECT_EQ(folder.read("settings.ini.unreadable.1"), "second");
    EXPECT_EQ(folder.read("settings.ini.unreadable.2"), utf16("dpi=1600\n"));
    EXPECT_NE(app.settingsNotice.find("kept as settings.ini.unreadable.2 "), std::string::npos) << app.settingsNotice;
}

// What the home screen says when settings.ini can be neither read nor set aside.
std::string notSetAsideNotice(const std::string& file) {
    return "settings.ini could not be read and could not be set aside, so the default settings are in use and "
           "changes will not be saved. The file: " +
           file;
}

TEST_F(SettingsTest, AnUnreadableFileThatCannotBeMovedAsideIsNeverSavedOver) {
    const std::string bytes = utf16("dpi=1600\n");
    folder.write("settings.ini", bytes);
    settingsFileOps().replaceFile = [](const std::string&, const std::string&) { return false; };
    app.loadSettings();
    // Said at once: nothing this run changes can be kept.
    EXPECT_EQ(app.settingsNoticeTitle, "Your settings could not be read");
    EXPECT_EQ(app.settingsNotice, notSetAsideNotice(path()));
    app.settingsNotice.clear();  // the player has read it
    app.xp = 500;
    app.saveSettings();  // as after a round
    EXPECT_EQ(folder.read("settings.ini"), bytes);
    EXPECT_FALSE(std::filesystem::exists(settingsTempPath(path())));
    EXPECT_EQ(app.settingsNotice, "") << "told once";
    // Once it can be moved, it is, before the save.
    settingsFileOps() = saved;
    app.saveSettings();
    EXPECT_EQ(folder.read("settings.ini.unreadable"), bytes);
    EXPECT_NE(folder.read("settings.ini").find("\nxp=500\n"), std::string::npos);
    EXPECT_NE(app.settingsNotice.find("kept as settings.ini.unreadable "), std::string::npos) << app.settingsNotice;
}

TEST_F(SettingsTest, AFailedSaveIsToldOnceARun) {
    settingsFileOps().replaceFile = [](const std::string&, const std::string&) { return false; };
    app.saveSettings();
    EXPECT_EQ(app.settingsNoticeTitle, "Your settings could not be saved");
    EXPECT_EQ(app.settingsNotice, "settings.ini could not be written in " + folder.path() +
                                      ", so changes to your settings will not be kept.");
    app.settingsNotice.clear();
    app.saveSettings();
    EXPECT_EQ(app.settingsNotice, "");
    EXPECT_FALSE(std::filesystem::exists(path()));
}

#ifndef _WIN32
TEST_F(SettingsTest, AFileWithoutReadPermissionIsKept) {
    folder.write("settings.ini", "dpi=1600\n");
    std::filesystem::permissions(path(), std::filesystem::perms::none);
    if (std::ifstream(path()).good()) {
        std::filesystem::permissions(path(), std::filesystem::perms::owner_all);
        GTEST_SKIP() << "running with privileges that ignore file permissions";
    }
    app.loadSettings();
    EXPECT_EQ(app.dpi, 800);
    EXPECT_TRUE(std::filesystem::exists(folder.file("settings.ini.unreadable")));
    std::filesystem::permissions(folder.file("settings.ini.unreadable"), std::filesystem::perms::owner_all);
    EXPECT_EQ(folder.read("settings.ini.unreadable"), "dpi=1600\n");
}

// An unreadable settings.ini in a folder that really cannot be written (as a user without
// privileges): it cannot be set aside, so the defaults are used, the file is never written
// over, and the home screen says so once.
TEST_F(SettingsTest, AnUnreadableFileInAReadOnlyFolderIsToldAndKept) {
    const std::string bytes = utf16("dpi=1600\n");
    folder.write("settings.ini", bytes);
    const int result = unprivileged_test::runAsUnprivileged(folder.path(), [&] {
        App a;
        a.dataDir = folder.path();
        a.loadSettings();
        a.saveSettings();
        const bool ok = a.dpi == 800 && a.settingsNotice == notSetAsideNotice(path()) &&
                        folder.read("settings.ini") == bytes && !std::filesystem::exists(folder.file("settings.ini.unreadable"));
        if (!ok) std::fprintf(stderr, "dpi %g, notice \"%s\"\n", a.dpi, a.settingsNotice.c_str());
        return ok ? 0 : 1;
    });
    if (result == unprivileged_test::kCannotTell) GTEST_SKIP() << "no user without privileges to act as";
    EXPECT_EQ(result, 0);
}

// A save that cannot land: through a link into a missing folder, a link into a read-only
// folder, or in a read-only data folder. Each is said once, naming where it went wrong.
TEST_F(SettingsTest, SettingsThatCannotBeSavedAreToldOnce) {
    namespace fs = std::filesystem;
    const std::string unsaved = ", so changes to your settings will not be kept.";
    struct Case {
        const char* what;
        std::function<void(const TempFolder&)> make;
        std::string target;    // under the folder
        std::string readOnly;  // a folder to make read-only ("" none)
        std::string notice;    // after the folder's path ("" the read-only data folder's notice)
    };
    const Case cases[] = {
        {"a dangling link into a missing folder",
         [](const TempFolder& f) { fs::create_symlink("missing/settings.ini", f.file("settings.ini")); },
         "missing/settings.ini", "", ""},
        // Where a folder is expected, a file: no one, root included, can create anything in it.
        {"a link into a file where a folder should be",
         [](const TempFolder& f) {
             f.write("plain", "x");
             fs::create_symlink("plain/settings.ini", f.file("settings.ini"));
         },
         "plain/settings.ini", "", ""},
        {"a link into a read-only folder",
         [](const TempFolder& f) {
             fs::create_directory(f.file("locked"));
             f.write("locked/settings.ini", "dpi=1600\n");
             fs::create_symlink("locked/settings.ini", f.file("settings.ini"));
         },
         "locked/settings.ini", "locked", ""},
        {"a read-only data folder", [](const TempFolder& f) { f.write("settings.ini", "dpi=1600\n"); }, "", ".",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder f;
        c.make(f);
        const std::string before = f.read(c.target.empty() ? "settings.ini" : c.target);
        const std::string expected = c.target.empty()
                                         ? "settings.ini could not be written in " + f.path() + unsaved
                                         : "settings.ini links to " + f.file(c.target) + ", which could not be written" + unsaved;
        auto body = [&] {
            App a;
            a.dataDir = f.path();
            a.loadSettings();
            a.xp = 500;
            a.saveSettings();
            const bool told = a.settingsNoticeTitle == "Your settings could not be saved" && a.settingsNotice == expected;
            a.settingsNotice.clear();
            a.saveSettings();  // the next save fails the same way, silently
            const bool once = a.settingsNotice.empty();
            const bool kept = f.read(c.target.empty() ? "settings.ini" : c.target) == before;
            if (!told || !once || !kept) std::fprintf(stderr, "told %d once %d kept %d: \"%s\"\n", told, once, kept, expected.c_str());
            return told && once && kept ? 0 : 1;
        };
        if (c.readOnly.empty()) {
            EXPECT_EQ(body(), 0);
            continue;
        }
        const int result = unprivileged_test::runAsUnprivileged(f.file(c.readOnly), body);
        if (result == unprivileged_test::kCannotTell) {
            // The cases without a read-only folder still show it.
            std::fprintf(stderr, "%s: skipped, no user without privileges to act as\n", c.what);
            continue;
        }
        EXPECT_EQ(result, 0);
    }
}

// Whatever stands at the temporary name is removed, never opened or followed: a FIFO there
// does not hang the save, and a link there does not send the settings into the file it
// points at (nor does the link then take settings.ini's place).
TEST_F(SettingsTest, WhatStandsAtTheTemporaryNameIsNeverFollowedOrOpened) {
    namespace fs = std::filesystem;
    struct Case {
        const char* what;
        std::function<void(const TempFolder&)> make;
    };
    const Case cases[] = {
        {"a FIFO", [](const TempFolder& f) { ASSERT_TRUE(fifo_test::makeFifo(tempOf(f))); }},
        {"a link to another file", [](const TempFolder& f) { fs::create_symlink(f.file("victim"), tempOf(f)); }},
        {"a dangling link", [](const TempFolder& f) { fs::create_symlink(f.file("nowhere"), tempOf(f)); }},
        {"a file left by a crash", [](const TempFolder& f) { test_files::write(test_files::u8path(tempOf(f)), "dpi=1"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder f;
        f.write("settings.ini", "dpi=1600\n");
        f.write("victim", "not settings");
        c.make(f);
        App a;
        a.dataDir = f.path();
        a.loadSettings();
        a.xp = 900;
        ASSERT_TRUE(fifo_test::finishesWithin(std::chrono::seconds(5), {tempOf(f)},
                                              [&] { a.saveSettings(); }))
            << "the save blocked on the FIFO";
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(f.file("settings.ini"))));
        const std::string saved = f.read("settings.ini");
        EXPECT_NE(saved.find("\ndpi=1600\n"), std::string::npos) << saved;
        EXPECT_NE(saved.find("\nxp=900\n"), std::string::npos) << saved;
        EXPECT_EQ(f.read("victim"), "not settings");
        EXPECT_FALSE(fs::exists(fs::symlink_status(f.file("nowhere"))));
        EXPECT_FALSE(fs::exists(fs::symlink_status(tempOf(f))));
        EXPECT_EQ(a.settingsNotice, "");
    }
}

TEST_F(SettingsTest, AFifoInPlaceOfTheFileIsKeptAsideWithoutBlocking) {
    ASSERT_TRUE(fifo_test::makeFifo(path()));
    ASSERT_TRUE(fifo_test::finishesWithin(std::chrono::seconds(5), {path(), folder.file("settings.ini.unreadable")},
                                          [&] {
                                              app.loadSettings();
                                              app.saveSettings();
                                          }))
        << "settings.ini blocked on the FIFO";
    EXPECT_EQ(app.dpi, 800);
    EXPECT_TRUE(std::filesystem::is_regular_file(path()));
}

// ---- A settings.ini that is a link -------------------------------------------

TEST_F(SettingsTest, ASaveThroughALinkWritesTheLinksTargetAndKeepsTheLink) {
    namespace fs = std::filesystem;
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> links;  // link, target as written in it
        std::string target;                                       // the file that gets the settings
    };
    const Case cases[] = {
        {"relative", {{"settings.ini", "profile/real.ini"}}, "profile/real.ini"},
        {"absolute", {{"settings.ini", "@/profile/real.ini"}}, "profile/real.ini"},
        {"a link to a link", {{"settings.ini", "middle.ini"}, {"middle.ini", "profile/real.ini"}}, "profile/real.ini"},
        {"to a file not there yet", {{"settings.ini", "profile/new.ini"}}, "profile/new.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder f;
        fs::create_directories(f.file("profile"));
        f.write("profile/real.ini", "dpi=1600\n");
        for (const auto& [link, target] : c.links) {
            const std::string to = target[0] == '@' ? f.path() + target.substr(1) : target;
            fs::create_symlink(to, f.file(link));
        }
        App a;
        a.dataDir = f.path();
        a.loadSettings();
        a.xp = 777;
        a.saveSettings();
        EXPECT_TRUE(fs::is_symlink(f.file("settings.ini")));
        const std::string written = f.read(c.target);
        EXPECT_NE(written.find("\nxp=777\n"), std::string::npos) << written;
        if (c.target == "profile/real.ini") {
            EXPECT_NE(written.find("\ndpi=1600\n"), std::string::npos);
        }
        EXPECT_FALSE(fs::exists(settingsTempPath(f.file(c.target))));
        EXPECT_FALSE(fs::exists(settingsTempPath(f.file("settings.ini"))));
    }
}
#endif

// A user locale with a decimal comma and digit grouping, as a German desktop has.
struct CommaNumbers : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST_F(SettingsTest, NumbersIgnoreTheUsersLocale) {
    std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaNumbers));
    app.sens = 0.4;
    app.xp = 1234567;
    app.xhColor = {0.5f, 0.25f, 1};
    app.saveSettings();
    App reloaded;
    reloaded.dataDir = folder.path();
    reloaded.loadSettings();
    std::locale::global(previous);
    const std::string text = folder.read("settings.ini");
    EXPECT_NE(text.find("\nsens=0.4\n"), std::string::npos);
    EXPECT_NE(text.find("\nxp=1234567\n"), std::string::npos);
    EXPECT_NE(text.find("\nxhColor=0.5 0.25 1\n"), std::string::npos);
    EXPECT_DOUBLE_EQ(reloaded.sens, 0.4);
    EXPECT_EQ(reloaded.xp, 1234567);
    EXPECT_EQ(reloaded.xhColor, app.xhColor);
}

// ---- Atomic save -----------------------------------------------------------

class SettingsSaveFailure : public SettingsTest {
protected:
    const std::string before = "game=cs2\ndpi=400\n";
    void SetUp() override {
        SettingsTest::SetUp();
        folder.write("settings.ini", before);
        app.dpi = 3200;
    }
    void expectUntouched(const char* what) {
        EXPECT_EQ(folder.read("settings.ini"), before) << what;
        EXPECT_FALSE(std::filesystem::exists(settingsTempPath(path()))) << what;
        EXPECT_EQ(app.dpi, 3200) << what;
    }
};

TEST_F(SettingsSaveFailure, RenameThatCannotHappen) {
    settingsFileOps().replaceFile = [](const std::string&, const std::string&) { return false; };
    app.saveSettings();
    expectUntouched("rename");
}

TEST_F(SettingsSaveFailure, FlushThatFails) {
    // The platform's write removes its temporary when the flush fails.
    settingsFileOps().writeFile = [](const std::string&, const std::string&) { return false; };
    app.saveSettings();
    expectUntouched("sync");
}

TEST_F(SettingsSaveFailure, TemporaryFileCannotBeCreated) {
    std::filesystem::create_directory(settingsTempPath(path()));
    app.saveSettings();
    EXPECT_EQ(folder.read("settings.ini"), before);
    EXPECT_TRUE(std::filesystem::is_directory(settingsTempPath(path())));
}

#ifndef _WIN32
TEST_F(SettingsSaveFailure, DiskFullWhileWriting) {
    {
        // Writing past 100 bytes fails, as on a full disk.
        fsize_test::ScopedFileSizeLimit limit(100);
        ASSERT_TRUE(limit.active());
        app.saveSettings();
    }
    expectUntouched("disk full");
}
#endif

TEST_F(SettingsSaveFailure, SuccessReplacesTheFile) {
    app.saveSettings();
    EXPECT_NE(folder.read("settings.ini").find("\ndpi=3200\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(settingsTempPath(path())));
}

// ---- Two copies on one profile ---------------------------------------------
// Where the data folder's filesystem refuses the profile lock, two copies of the program
// run on one profile and save into one folder, each through a temporary of its own.

// What a save removes beside settings.ini: only temporaries of its own form whose process
// has ended, or that an earlier process with this one's id left. Everything else stays: a
// running copy's save in progress, an older version's settings.ini.tmp, files that only
// look alike, other files' temporaries, folders.
TEST_F(SettingsTest, ASaveRemovesOnlyTheTemporariesOfCopiesThatHaveEnded) {
    const std::string self = std::to_string(plat::currentProcessId());
    const std::string tag = "0123456789abcdef";
    struct Case {
        std::string name;
        bool removed;
        bool folder = false;
    };
    std::vector<Case> cases = {
        {"settings.ini." + self + "." + tag + ".tmp", true},
        {"settings.ini.tmp", false},
        {"settings.ini." + self + ".tmp", false},
        {"settings.ini." + self + ".A123456789ABCDEF.tmp", false},
        {"settings.ini." + self + ".0123456789abcde.tmp", false},
        {"settings.ini." + self + "." + tag + "0.tmp", false},
        {"settings.ini.0" + self + ".1123456789abcdef.tmp", false},
        {"settings.ini.x" + self + ".2123456789abcdef.tmp", false},
        {"settings.ini.99999999999.3123456789abcdef.tmp", false},
        {"settings.ini." + self + ".4123456789abcdef.tmp.old", false},
        {"settings.ini." + self + ".5123456789abcdef.bak", false},
        {"Settings.ini." + self + ".6123456789abcdef.tmp", false},
        {"scores.csv." + self + "." + tag + ".tmp", false},
        {"settings.ini." + self + ".7123456789abcdef.tmp", false, true},
    };
#ifndef _WIN32
    const std::string ended = std::to_string(forked_test::endedProcessId());
    forked_test::Child running([](forked_test::Child& me) { return me.hear() ? 0 : 1; });
    ASSERT_TRUE(running.started());
    cases.push_back({"settings.ini." + ended + "." + tag + ".tmp", true});
    cases.push_back({"settings.ini." + std::to_string(running.pid()) + "." + tag + ".tmp", false});
    // The first process of the system, which another user owns when the tests run without privileges.
    cases.push_back({"settings.ini.1." + tag + ".tmp", false});
#endif
    for (const Case& c : cases) {
        if (c.folder) std::filesystem::create_directory(folder.at(c.name));
        else folder.write(c.name, "dpi=1");
    }
    app.saveSettings();
    for (const Case& c : cases) EXPECT_EQ(std::filesystem::exists(folder.at(c.name)), !c.removed) << c.name;
    EXPECT_NE(folder.read("settings.ini").find("\ndpi=800\n"), std::string::npos);
#ifndef _WIN32
    running.tell();
    EXPECT_EQ(running.wait(), 0);
#endif
}

#ifndef _WIN32
// A forked copy of the test plays the other copy. The file operations' hooks reach it here.
forked_test::Child* otherCopy = nullptr;
bool otherCopyIsKilled = false;

// This copy's save: with its temporary whole and flushed, it lets the other copy start a
// save and waits until that one has begun writing; then it moves its file into place.
bool writeThenLetTheOtherCopyStart(const std::string& path, const std::string& bytes) {
    if (!plat::writeFreshFile(path, bytes)) return false;
    return otherCopy->tell() && otherCopy->hear();
}

// The other copy's save: half its file written, it says so; then it is killed, or it waits
// until it is let on and writes the rest.
bool writeHalfThenStop(const std::string& path, const std::string& bytes) {
    const size_t half = bytes.size() / 2;
    if (!plat::writeFreshFile(path, bytes.substr(0, half))) return false;
    otherCopy->tell();
    if (otherCopyIsKilled) forked_test::killSelf();
    if (!otherCopy->hear()) return false;
    std::ofstream rest(test_files::u8path(path), std::ios::binary | std::ios::app);
    rest << bytes.substr(half);
    return static_cast<bool>(rest.flush());
}

constexpr int kKilled = 128 + SIGKILL;

class SettingsTwoCopies : public SettingsTest {};

// The other copy is half-way through writing its temporary when this one moves its own
// into place: settings.ini is this copy's whole file, and the other's unfinished file is
// left to it. Killed there, the next save removes it; going on, its file lands whole.
TEST_F(SettingsTwoCopies, ASaveNeverMovesTheOtherCopysUnfinishedFileIntoPlace) {
    const std::string before = savedText(1), theirs = savedText(2), mine = savedText(3), next = savedText(4);
    for (const bool killed : {true, false}) {
        SCOPED_TRACE(killed ? "the other copy is killed" : "the other copy goes on");
        TempFolder f;
        f.write("settings.ini", before);
        otherCopyIsKilled = killed;
        forked_test::Child other([&](forked_test::Child& me) {
            otherCopy = &me;
            if (!me.hear()) return 2;
            App b;
            b.dataDir = f.path();
            b.xp = 2;
            settingsFileOps().writeFile = writeHalfThenStop;
            b.saveSettings();
            if (b.settingsNotice.empty()) return 0;
            std::fprintf(stderr, "the other copy: %s\n", b.settingsNotice.c_str());
            return 1;
        });
        ASSERT_TRUE(other.started());
        otherCopy = &other;
        settingsFileOps().writeFile = writeThenLetTheOtherCopyStart;
        App a;
        a.dataDir = f.path();
        a.xp = 3;
        a.saveSettings();
        settingsFileOps() = saved;
        EXPECT_EQ(a.settingsNotice, "");
        EXPECT_EQ(f.read("settings.ini"), mine);
        if (killed) {
            EXPECT_EQ(other.wait(), kKilled);
            App c;
            c.dataDir = f.path();
            c.xp = 4;
            c.saveSettings();
            EXPECT_EQ(f.read("settings.ini"), next);
        } else {
            EXPECT_EQ(namesIn(f).size(), 2u) << "the other copy's file is still there";
            other.tell();
            EXPECT_EQ(other.wait(), 0);
            EXPECT_EQ(f.read("settings.ini"), theirs);
        }
        EXPECT_EQ(namesIn(f), kSettingsAlone);
    }
}

// Two copies saving over and over while a reader watches: every read of settings.ini is one
// whole file, and every save of both copies lands.
TEST_F(SettingsTwoCopies, SavingSideBySideNeverShowsAnEmptyOrCutFile) {
    constexpr int kSaves = 400;
    const std::string texts[] = {savedText(1), savedText(2), savedText(3)};
    folder.write("settings.ini", texts[0]);
    auto saver = [&](int64_t xp) {
        return [&, xp](forked_test::Child&) {
            App a;
            a.dataDir = folder.path();
            a.xp = xp;
            int failed = 0;
            for (int i = 0; i < kSaves; ++i) {
                a.saveSettings();
                if (!a.settingsSaveFailureTold) continue;
                ++failed;
                a.settingsSaveFailureTold = false;  // to count every failed save
            }
            if (failed == 0) return 0;
            std::fprintf(stderr, "%d of %d saves of the copy with %lld XP failed\n", failed, kSaves,
                         static_cast<long long>(xp));
            return 1;
        };
    };
    forked_test::Child one(saver(2)), two(saver(3));
    ASSERT_TRUE(one.started() && two.started());
    int reads = 0, wrong = 0;
    std::string seen;
    for (;;) {
        const bool oneRuns = one.running(), twoRuns = two.running();
        if (!oneRuns && !twoRuns) break;
        const std::string text = folder.read("settings.ini");
        ++reads;
        if (std::find(std::begin(texts), std::end(texts), text) != std::end(texts)) continue;
        ++wrong;
        seen = text;
    }
    EXPECT_EQ(one.wait(), 0);
    EXPECT_EQ(two.wait(), 0);
    EXPECT_EQ(wrong, 0) << "of " << reads << " reads; one of them held \"" << seen << "\"";
    EXPECT_EQ(namesIn(folder), kSettingsAlone);
}

// Where a kill falls inside a save, through the file operations.
enum class KillPoint { HalfWritten, WrittenAndFlushed, JustMoved };
KillPoint killPoint = KillPoint::HalfWritten;

bool writeThenDie(const std::string& path, const std::string& bytes) {
    const bool half = killPoint == KillPoint::HalfWritten;
    if (!plat::writeFreshFile(path, half ? bytes.substr(0, bytes.size() / 2) : bytes)) return false;
    if (killPoint != KillPoint::JustMoved) forked_test::killSelf();
    return true;
}

bool moveThenDie(const std::string& from, const std::string& to) {
    if (plat::replaceFile(from, to)) forked_test::killSelf();
    return false;
}

// A copy killed anywhere inside a save leaves settings.ini whole (the old file, or the new
// one once moved), and the next save, by a copy started afresh, leaves nothing beside it.
TEST_F(SettingsSaveFailure, AKillInsideASaveLeavesAWholeFileAndTheNextSaveNothingElse) {
    const std::string saved5 = savedText(5), saved6 = savedText(6);
    const std::pair<KillPoint, const char*> points[] = {
        {KillPoint::HalfWritten, "half the temporary written"},
        {KillPoint::WrittenAndFlushed, "the temporary whole and flushed"},
        {KillPoint::JustMoved, "right after the move"},
    };
    for (const auto& [point, what] : points) {
        SCOPED_TRACE(what);
        folder.write("settings.ini", before);
        killPoint = point;
        forked_test::Child killed([&](forked_test::Child&) {
            App a;
            a.dataDir = folder.path();
            a.xp = 5;
            settingsFileOps().writeFile = writeThenDie;
            settingsFileOps().replaceFile = moveThenDie;
            a.saveSettings();
            std::fprintf(stderr, "the save went on past its kill\n");
            return 1;
        });
        ASSERT_TRUE(killed.started());
        EXPECT_EQ(killed.wait(), kKilled);
        EXPECT_EQ(folder.read("settings.ini"), point == KillPoint::JustMoved ? saved5 : before);
        App next;
        next.dataDir = folder.path();
        next.xp = 6;
        next.saveSettings();
        EXPECT_EQ(next.settingsNotice, "");
        EXPECT_EQ(folder.read("settings.ini"), saved6);
        EXPECT_EQ(namesIn(folder), kSettingsAlone);
    }
}
#endif

TEST(HitSoundSetting, EachChoiceAndEverythingElsePops) {
    const std::pair<int32_t, SoundId> cases[] = {{0, SoundHitPop},     {1, SoundHitDing}, {2, SoundHitClick},
                                                 {3, SoundHitClassic}, {4, SoundHitPop},  {-1, SoundHitPop},
                                                 {7, SoundHitPop}};
    for (const auto& [setting, sound] : cases) EXPECT_EQ(hitSoundOf(setting), sound) << setting;
}

}  // namespace
