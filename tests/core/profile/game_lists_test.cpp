#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/catalog/catalog.h"
#include "core/profile/app.h"
#include "core/profile/game_lists.h"
#include "tests/support/temp_folder.h"

namespace {

using Items = std::vector<std::string>;
using Indices = std::vector<int32_t>;

TEST(GameLists, SplitAndJoin) {
    struct Case {
        const char* text;
        Items items;
    };
    const Case cases[] = {
        {"", {}},
        {",", {}},
        {",cs2,,valorant,", {"cs2", "valorant"}},
        {"cs2", {"cs2"}},
        {"cs2, apex\r", {"cs2", " apex\r"}},  // blanks and carriage returns stay
        {"a,,,b,c", {"a", "b", "c"}},
    };
    for (const Case& c : cases) EXPECT_EQ(splitList(c.text), c.items) << c.text;
    EXPECT_EQ(joinComma({}), "");
    EXPECT_EQ(joinComma({"cs2"}), "cs2");
    EXPECT_EQ(joinComma({"cs2", "valorant", "apex"}), "cs2,valorant,apex");
}

TEST(IdList, ReadersAnswerFromWhatWasParsedWhenTheTextWasSet) {
    struct Case {
        const char* text;
        Items items;
        Indices indices;
    };
    const Case cases[] = {
        {"", {}, {}},
        {"cs2,foo,cs2,,reforger", {"cs2", "foo", "cs2", "reforger"}, {0, 0, 9}},
        {"cs2 ,CS2", {"cs2 ", "CS2"}, {}},
        {",apex,", {"apex"}, {2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const IdList list = c.text;
        EXPECT_EQ(list.text(), c.text);
        EXPECT_EQ(list.items(), c.items);
        EXPECT_EQ(list.indices(), c.indices);
        for (int32_t row = -1; row <= static_cast<int32_t>(gameCatalog().size()); ++row) {
            const bool listed = std::find(c.indices.begin(), c.indices.end(), row) != c.indices.end();
            EXPECT_EQ(list.has(row), listed) << row;
        }
    }
}

TEST(IdList, EveryWayOfSettingTheListRenewsWhatTheReadersSee) {
    TempFolder folder;
    App app;
    app.dataDir = folder.path();
    app.myGames = "apex";
    EXPECT_TRUE(app.isMyGame(2));
    app.myGames = std::string("cs2");  // same length, other content
    EXPECT_FALSE(app.isMyGame(2));
    EXPECT_TRUE(app.isMyGame(0));
    app.setMyGame(1, true);
    EXPECT_EQ(app.myGameIndices(), (Indices{0, 1}));
    folder.write("settings.ini", "myGames=ow2\nknownGames=cs2\n");
    app.loadSettings();
    EXPECT_EQ(app.myGameIndices(), (Indices{gameIndexById("ow2")}));
    EXPECT_TRUE(app.knownGames.has(0));
    app.resetSettingsToDefaults();
    EXPECT_TRUE(app.myGameIndices().empty());
    EXPECT_FALSE(app.knownGames.has(0));
}

TEST(GameLists, MyGames) {
    App app;
    app.myGames = "cs2,foo,cs2,,reforger";
    EXPECT_EQ(app.myGameIndices(), (Indices{0, 0, 9}));
    EXPECT_TRUE(app.isMyGame(0));
    EXPECT_TRUE(app.isMyGame(9));
    EXPECT_FALSE(app.isMyGame(1));
    EXPECT_FALSE(app.isMyGame(-1));
    EXPECT_FALSE(app.isMyGame(12));
    app.myGames = "cs2 ,CS2";
    EXPECT_TRUE(app.myGameIndices().empty());
    EXPECT_FALSE(app.isMyGame(0));
}

TEST(GameLists, SetMyGame) {
    struct Case {
        const char* before;
        int32_t index;
        bool add;
        const char* after;
    };
    const Case cases[] = {
        {"", 0, true, "cs2"},
        {"cs2", 1, true, "cs2,valorant"},
        {"cs2,valorant", 0, true, "valorant,cs2"},  // already there: moves to the end
        {"cs2,valorant", 0, false, "valorant"},
        {"cs2,,valorant,cs2,", 0, false, "valorant"},  // every copy goes
        {",valorant,,", 0, false, "valorant"},         // absent: only empty items dropped
        {",valorant,,", -1, true, ",valorant,,"},      // outside the catalogue: nothing
        {",valorant,,", 12, false, ",valorant,,"},
        {"foo,cs2", 11, true, "foo,cs2,cm360"},
    };
    for (const Case& c : cases) {
        App app;
        app.myGames = c.before;
        app.setMyGame(c.index, c.add);
        EXPECT_EQ(app.myGames, c.after) << c.before << " " << c.index << " " << c.add;
    }
}

TEST(GameLists, MergeKnownGames) {
    App app;
    app.knownGames = ",cs2,,";
    app.mergeKnownGames({0});
    EXPECT_EQ(app.knownGames, "cs2");
    app.mergeKnownGames({2, 0, 2, 9});
    EXPECT_EQ(app.knownGames, "cs2,apex,reforger");
    app.mergeKnownGames({-1, 40});
    EXPECT_EQ(app.knownGames, "cs2,apex,reforger");
    app.mergeKnownGames({});
    EXPECT_EQ(app.knownGames, "cs2,apex,reforger");
}

TEST(GameLists, ShownGames) {
    App app;
    app.knownGames = "apex";
    app.detectedGames = {{"Counter-Strike 2", "Steam", 0},
                         {"Rust", "Steam", -1},
                         {"Apex Legends", "Steam", 2},
                         {"VALORANT", "Riot", 1},
                         {"Counter-Strike 2", "Installed", 0}};
    EXPECT_TRUE(app.shownGameIndices().empty());  // the scan has not handed over yet
    app.detectionDone.store(true);
    EXPECT_EQ(app.shownGameIndices(), (Indices{0, 1, 0}));
    app.mergeKnownGames(app.shownGameIndices());
    EXPECT_EQ(app.knownGames, "apex,cs2,valorant");
    EXPECT_TRUE(app.shownGameIndices().empty());
}

}  // namespace
