#include <gtest/gtest.h>

#include <string>

#include "core/catalog/armory.h"

namespace {

TEST(Armory, CataloguesInOrder) {
    const char* guns[] = {"wasp", "bulldog", "hornet", "halberd", "breacher", "longbow", "kingfisher"};
    ASSERT_EQ(gunCatalog().size(), 7u);
    for (size_t i = 0; i < 7; ++i) EXPECT_STREQ(gunCatalog()[i].id, guns[i]);
    const char* skins[] = {"factory", "matte",  "woodland", "desert", "urban", "arctic", "mountain",
                           "digiwood", "tiger", "redtiger", "jungle", "carbon", "navy",  "neon",
                           "hive",     "sunset", "galaxy",  "chrome", "gold"};
    ASSERT_EQ(skinCatalog().size(), 19u);
    for (size_t i = 0; i < 19; ++i) EXPECT_STREQ(skinCatalog()[i].id, skins[i]);
    const char* maps[] = {"lab", "midnight", "desert", "arctic", "synthwave", "jungle"};
    ASSERT_EQ(mapCatalog().size(), 6u);
    for (size_t i = 0; i < 6; ++i) EXPECT_STREQ(mapCatalog()[i].id, maps[i]);

    // Spot checks of the columns the renderer and the shot sound read.
    EXPECT_EQ(gunCatalog()[5].scoped, 1);
    EXPECT_EQ(gunCatalog()[4].scoped, 0);
    EXPECT_EQ(gunCatalog()[4].soundKind, 2);
    EXPECT_EQ(gunCatalog()[2].soundKind, 1);
    EXPECT_EQ(skinCatalog()[14].pattern, 10);
    EXPECT_FLOAT_EQ(skinCatalog()[16].colors[2][2], 1.0f);
    EXPECT_FLOAT_EQ(skinCatalog()[2].colors[3][0], 0.58f);
    EXPECT_EQ(skinCatalog()[18].unlockLevel, 12);
    EXPECT_STREQ(mapCatalog()[0].description, "Clean grid room \xe2\x80\x94 the classic.");
    EXPECT_EQ(mapCatalog()[4].sky, SkyRetro);
    EXPECT_FLOAT_EQ(mapCatalog()[4].skyColors[1][0], 0.95f);
    EXPECT_FLOAT_EQ(mapCatalog()[1].majorScale, 4.0f);
    EXPECT_FLOAT_EQ(mapCatalog()[2].minorScale, 2.0f);
    EXPECT_FLOAT_EQ(mapCatalog()[5].roomColors[5][0], 0.85f);
}

TEST(Armory, LookupsAreExactWithFirstRowFallback) {
    EXPECT_EQ(gunIndexById("kingfisher"), 6);
    EXPECT_EQ(skinIndexById("gold"), 18);
    EXPECT_EQ(mapIndexById("jungle"), 5);
    for (const char* id : {"", "Gold", "gol", "gold ", "big gun"}) {
        EXPECT_EQ(gunIndexById(id), 0) << id;
        EXPECT_EQ(skinIndexById(id), 0) << id;
        EXPECT_EQ(mapIndexById(id), 0) << id;
    }
    // Same id in two catalogues: each looks in its own.
    EXPECT_EQ(skinIndexById("desert"), 3);
    EXPECT_EQ(mapIndexById("desert"), 2);
}

TEST(Armory, ScopedGunsAreTheSnipers) {
    for (const char* id : {"longbow", "kingfisher"}) EXPECT_TRUE(gunIsScoped(id)) << id;
    for (const char* id : {"wasp", "halberd", "breacher"}) EXPECT_FALSE(gunIsScoped(id)) << id;
    EXPECT_FALSE(gunIsScoped("no such gun"));  // the first row's gun, a pistol
}

TEST(Levels, CurveAndCap) {
    const int64_t starts[][2] = {{0, 0}, {1, 0}, {2, 300}, {3, 800}, {4, 1500}, {5, 2400}, {99, 980000}};
    for (const auto& s : starts) EXPECT_EQ(xpForLevel(static_cast<int32_t>(s[0])), s[1]) << s[0];
    EXPECT_EQ(xpForLevel(-4), 0);

    const int64_t levels[][2] = {{-50, 1}, {0, 1},      {299, 1},    {300, 2},           {799, 2},
                                 {800, 3}, {979999, 98}, {980000, 99}, {INT64_C(1) << 40, 99}};
    for (const auto& l : levels) EXPECT_EQ(levelForXp(l[0]), l[1]) << l[0];

    for (int32_t level = 2; level <= kMaxLevel; ++level) {
        EXPECT_EQ(levelForXp(xpForLevel(level)), level);
        EXPECT_EQ(levelForXp(xpForLevel(level) - 1), level - 1);
    }
}

TEST(Levels, RoundXp) {
    struct Case {
        int32_t kills;
        double ratio, zoom;
        int32_t xp;
    };
    const Case cases[] = {
        {0, 0, 1, 10},      {0, 0, 4, 20},     {16, 0.5, 1, 136},  {16, 1, 4, 176},
        {0, 0.375, 1, 33},  // 22.5 rounds away from zero (not to even)
        {0, 0.125, 1, 18},  // 7.5
        {3, 0.0083, 1, 28}, // 0.498 rounds down
    };
    for (const Case& c : cases) EXPECT_EQ(roundXp(c.kills, c.ratio, c.zoom), c.xp) << c.kills << " " << c.ratio;
}

TEST(Levels, UnlockText) {
    EXPECT_EQ(unlockText(1, 2), "Desert skin, Urban skin, Desert Range map");
    EXPECT_EQ(unlockText(2, 5),
              "Arctic Digital skin, Mountain Blend skin, Digital Woodland skin, Tiger Stripe skin, Red Tiger skin, "
              "Jungle skin, Arctic Base map, Synthwave map");
    EXPECT_EQ(unlockText(7, 8), "Hive skin");
    EXPECT_EQ(unlockText(6, 7), "Neon Pulse skin, Jungle Outpost map");
    EXPECT_EQ(unlockText(12, 40), "");
    EXPECT_EQ(unlockText(3, 3), "");
}

}  // namespace
