#include <algorithm>
#include <gtest/gtest.h>

#include "core/catalog/catalog.h"
#include "integration/detection.h"

namespace {

int32_t idx(const char* id) { return gameIndexById(id); }

TEST(Lowered, MapsOnlyAsciiLetters) {
    EXPECT_EQ(lowered("Counter-Strike 2: GO!"), "counter-strike 2: go!");
    // UTF-8 bytes (here "É" and "®") pass through untouched.
    EXPECT_EQ(lowered("\xC3\x89T\xC3\xA9 Call\xC2\xAE"), "\xC3\x89t\xC3\xA9 call\xC2\xAE");
    EXPECT_EQ(lowered(std::string("A\0B", 3)), std::string("a\0b", 3));
}

TEST(IsOtherShooter, ListWholeNamesAndNear) {
    struct Case {
        const char* lowerName;
        bool expected;
    };
    const Case cases[] = {
        {"tom clancy's rainbow six siege", true},
        {"pubg: battlegrounds", true},
        {"escape from tarkov arena", true},
        {"squad 44", true},
        {"post scriptum: squad 44 edition", true},
        {"rust", true},
        {"squad", true},
        {"rust launcher", false},  // "rust" counts only as the whole name
        {"trust simulator", false},
        {"squadron 42", false},
        {"hunt: showdown 1896", true},
        {"titanfall", false},
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(isOtherShooter(c.lowerName), c.expected) << c.lowerName;
}

TEST(MatchCatalogGame, RulesInOrder) {
    struct Case {
        const char* lowerName;
        const char* id;  // nullptr: no catalogue game
    };
    const Case cases[] = {
        {"counter-strike 2", "cs2"},
        {"counter-strike: global offensive", "cs2"},
        {"valorant", "valorant"},
        {"apex legends", "apex"},
        {"overwatch", "ow2"},
        {"fortnite", "fortnite"},
        {"call of duty\xC2\xAE", "cod"},
        {"team fortress 2", "tf2"},
        {"titanfall\xC2\xAE 2 deluxe edition", "titanfall2"},
        {"titanfall", nullptr},
        {"titanfall 2", "titanfall2"},
        {"2 titanfall", "titanfall2"},  // the "2" may stand anywhere
        {"quake champions", "quake"},
        {"quake live", "quake"},
        {"quake ii", nullptr},
        {"arma reforger", "reforger"},
        {"arma reforger tools", "reforger"},
        // The first matching rule decides.
        {"call of duty vs overwatch", "ow2"},
        {"team fortress 2", "tf2"},
        {"team fortress classic", nullptr},
        {"Counter-Strike 2", nullptr},  // the caller lower-cases
    };
    for (const Case& c : cases) EXPECT_EQ(matchCatalogGame(c.lowerName), c.id ? idx(c.id) : -1) << c.lowerName;
}

TEST(AddDetected, CatalogueGameTakesItsDisplayNameAndFirstSourceWins) {
    std::vector<DetectedGame> list;
    addDetected(list, "Call of Duty\xC2\xAE", "Steam", idx("cod"));
    addDetected(list, "Call of Duty", "Battle.net", idx("cod"));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, "Call of Duty (MW / BO6 / Warzone)");
    EXPECT_EQ(list[0].source, "Steam");
    EXPECT_EQ(list[0].gameIndex, idx("cod"));
}

TEST(AddDetected, ExcludedWordsAndTheLauncherException) {
    struct Case {
        const char* name;
        int32_t gameIndex;
        bool kept;
    };
    const Case cases[] = {
        {"Counter-Strike 2 Dedicated Server", idx("cs2"), false},
        {"Arma 3 Tools", -1, false},
        {"Apex Legends SDK", idx("apex"), false},
        {"DOOM Soundtrack", -1, false},
        {"Rainbow Six Siege - Test Environment", -1, false},
        {"PUBG: Public Test", -1, false},
        {"Arma Reforger Authoring", idx("reforger"), false},
        {"Halo Benchmark", -1, false},
        {"Steamworks Redistributable", -1, false},
        {"Arma 3 Workshop", -1, false},
        {"Escape from Tarkov Launcher", -1, false},  // an other shooter's launcher is dropped
        {"Call of Duty Launcher", idx("cod"), true},  // a catalogue game's launcher is kept
        {"Call of Duty Launcher Server", idx("cod"), true},  // whatever else it holds
        {"Observer Mode", -1, true},  // "server" without its leading blank does not count
        {"Overwatch", idx("ow2"), true},
    };
    for (const Case& c : cases) {
        std::vector<DetectedGame> list;
        addDetected(list, c.name, "Installed", c.gameIndex);
        EXPECT_EQ(list.size(), c.kept ? 1u : 0u) << c.name;
    }
}

TEST(AddDetected, OtherShootersDeduplicateByLowerCasedName) {
    std::vector<DetectedGame> list;
    addDetected(list, "PUBG: BATTLEGROUNDS", "Epic Games", -1);
    addDetected(list, "pubg: battlegrounds", "Installed", -1);
    addDetected(list, "PUBG: BATTLEGROUNDS ", "Installed", -1);  // a different name
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "PUBG: BATTLEGROUNDS");
    EXPECT_EQ(list[0].source, "Epic Games");
    // A catalogue entry never blocks an other shooter of the same name.
    std::vector<DetectedGame> mixed;
    addDetected(mixed, "Arma Reforger", "Steam", idx("reforger"));
    addDetected(mixed, "Arma Reforger", "Installed", -1);
    EXPECT_EQ(mixed.size(), 2u);
}

TEST(DetectedBefore, CatalogueOrderThenCaseInsensitiveBytes) {
    std::vector<DetectedGame> list = {
        {"DayZ Experimental", "Steam", -1}, {"Escape from Tarkov", "Installed", -1},
        {"Fortnite", "Epic Games", idx("fortnite")}, {"dayz", "Steam", -1},
        {"Arma 3", "Steam", -1}, {"\xC3\x89lan", "Steam", -1},  // UTF-8 bytes sort after ASCII
        {"Counter-Strike 2", "Steam", idx("cs2")}, {"arma 2", "Steam", -1},
    };
    std::stable_sort(list.begin(), list.end(), detectedBefore);
    std::vector<std::string> names;
    for (const DetectedGame& g : list) names.push_back(g.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Counter-Strike 2", "Fortnite", "arma 2", "Arma 3", "dayz",
                                                "DayZ Experimental", "Escape from Tarkov", "\xC3\x89lan"}));
}

}  // namespace
