#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "tests/ui/ui_harness.h"
#include "ui/probe.h"

namespace {

const GameInfo& gameRow(const char* id) { return gameCatalog()[static_cast<size_t>(gameIndexById(id))]; }

// The text of the table cell that follows the game's name.
std::string tableSens(const char* name) {
    const std::vector<std::string>& texts = probeTexts();
    for (size_t i = 0; i + 1 < texts.size(); ++i)
        if (texts[i] == name) return texts[i + 1];
    return "";
}

// The converter on a headless UI whose settings start as given; the Reforger row's yaw
// lives in the catalogue, so it starts and ends uncalibrated.
struct Converter {
    App app;
    UiHarness ui{app, 1600, 1200};

    Converter(const char* game, double sens, double dpi) {
        resetCalibratedYaws();
        app.dataDir = testing::TempDir() + "tarvion_converter_unused/";
        app.game = gameIndexById(game);
        app.sens = sens;
        app.dpi = dpi;
        app.screen = ScreenConverter;
        show();
    }
    ~Converter() { resetCalibratedYaws(); }

    void show() {
        ui.frame();
        ui.frame();
    }
};

TEST(ConverterScreen, SourceBecomesCm360AndEveryGamesValue) {
    const struct {
        const char* game;
        double sens;
        double dpi;
        int32_t toDpi;
        const char* headline;
        const char* inches;
    } cases[] = {
        // 914.4 / (0.022 x 0.4 x 800) = 129.9 cm/360.
        {"cs2", 0.4, 800, 800, "129.9 cm/360", "51.14 inches/360  \xC2\xB7  very slow"},
        // 914.4 / (0.07 x 0.32 x 800) = 51.03 cm/360, shown at 1600 DPI.
        {"valorant", 0.32, 800, 1600, "51.0 cm/360", "20.09 inches/360  \xC2\xB7  slow"},
        // 914.4 / (0.0066 x 5 x 1600) = 17.32 cm/360.
        {"ow2", 5, 1600, 400, "17.3 cm/360", "6.82 inches/360  \xC2\xB7  very fast"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.game);
        Converter f(c.game, c.sens, c.dpi);
        if (c.toDpi != static_cast<int32_t>(c.dpi)) {
            ASSERT_TRUE(f.ui.typeInto("##tdpi", std::to_string(c.toDpi)));
            f.show();
        }
        EXPECT_EQ(f.app.convToDpi, c.toDpi);
        EXPECT_TRUE(probeShowsExactly(c.headline));
        EXPECT_TRUE(probeShowsExactly(c.inches));
        EXPECT_TRUE(probeShowsExactly(formatString("eDPI %.0f", c.sens * c.dpi)));
        EXPECT_TRUE(f.ui.hasText(formatString("Every game at %d DPI", c.toDpi)));
        EXPECT_TRUE(f.ui.hasText("Perfect DPI for this feel on your screen: "));

        const double cm = cm360FromSens(gameRow(c.game).yaw, c.sens, c.dpi);
        for (const char* other : {"cs2", "valorant", "fortnite", "cod"}) {
            const GameInfo& row = gameRow(other);
            EXPECT_EQ(tableSens(row.name), formatGameSens(row, row.yaw, cm, c.toDpi)) << other;
        }
        // Kind 2 and 3 rows are left out; the uncalibrated row asks for calibration.
        EXPECT_EQ(tableSens(gameRow("reforger").name), "calibrate first");
        EXPECT_EQ(tableSens(gameRow("custom").name), "");
        EXPECT_EQ(tableSens(gameRow("cm360").name), "");
    }
}

TEST(ConverterScreen, SpeedWordBounds) {
    const struct {
        double cm;
        const char* word;
    } cases[] = {{19.99, "very fast"}, {20, "fast"},   {27.99, "fast"},  {28, "medium"},
                 {41.99, "medium"},    {42, "slow"},   {59.99, "slow"},  {60, "very slow"}};
    Converter f("cm360", 0.4, 800);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cm);
        f.app.convCm = c.cm;
        f.show();
        EXPECT_TRUE(probeShowsExactly(formatString("%.2f inches/360  \xC2\xB7  %s", c.cm / 2.54, c.word)));
        // The cm/360-only row has no eDPI.
        EXPECT_FALSE(f.ui.hasText("eDPI "));
    }
}

TEST(ConverterScreen, InputsAreHeldToUsableValues) {
    Converter f("cs2", 0.4, 800);
    const struct {
        const char* field;
        const char* typed;
        int32_t dpi;
        int32_t toDpi;
    } dpis[] = {{"##cdpi", "70000", 64000, 800}, {"##cdpi", "10", 50, 800}, {"##tdpi", "70000", 50, 64000},
                {"##tdpi", "10", 50, 50}};
    for (const auto& c : dpis) {
        SCOPED_TRACE(std::string(c.field) + " " + c.typed);
        ASSERT_TRUE(f.ui.typeInto(c.field, c.typed));
        f.show();
        EXPECT_EQ(f.app.convDpi, c.dpi);
        EXPECT_EQ(f.app.convToDpi, c.toDpi);
    }
    ASSERT_TRUE(f.ui.typeInto("##cs", "0"));
    EXPECT_DOUBLE_EQ(f.app.convSens, 0.001);

    // "Any other game" with its yaw emptied to 0 falls back to the usual 0.022.
    f.app.convGame = gameIndexById("custom");
    f.show();
    ASSERT_TRUE(f.ui.typeInto("##cyaw", "0"));
    EXPECT_DOUBLE_EQ(f.app.convYaw, 0.022);

    f.app.convGame = gameIndexById("cm360");
    f.show();
    ASSERT_TRUE(f.ui.typeInto("##ccm", "0"));
    EXPECT_DOUBLE_EQ(f.app.convCm, 1);
    ASSERT_TRUE(f.ui.typeInto("##ccm", "900"));
    EXPECT_DOUBLE_EQ(f.app.convCm, 500);

    // None of it reaches the player's settings.
    EXPECT_DOUBLE_EQ(f.app.dpi, 800);
    EXPECT_DOUBLE_EQ(f.app.sens, 0.4);
    EXPECT_EQ(f.app.game, gameIndexById("cs2"));
}

TEST(ConverterScreen, KeepsItsOwnNumbersAcrossVisits) {
    Converter f("cs2", 0.4, 800);
    ASSERT_TRUE(f.ui.click("##game"));
    f.ui.frame();
    ASSERT_TRUE(f.ui.click(gameRow("apex").name));
    EXPECT_EQ(f.app.convGame, gameIndexById("apex"));
    ASSERT_TRUE(f.ui.typeInto("##cs", "1.5"));
    EXPECT_DOUBLE_EQ(f.app.convSens, 1.5);

    ASSERT_TRUE(f.ui.click("Back"));
    EXPECT_EQ(f.app.screen, ScreenTools);
    f.app.game = gameIndexById("valorant");
    f.app.sens = 0.2;
    f.app.dpi = 1600;
    f.app.screen = ScreenConverter;
    f.show();
    EXPECT_EQ(f.app.convGame, gameIndexById("apex"));
    EXPECT_DOUBLE_EQ(f.app.convSens, 1.5);
    EXPECT_EQ(f.app.convDpi, 800);
    // 914.4 / (0.022 x 1.5 x 800) = 34.6 cm/360.
    EXPECT_TRUE(probeShowsExactly("34.6 cm/360"));
}

TEST(ConverterScreen, UncalibratedGameOffersCalibration) {
    Converter f("reforger", 1.0, 800);
    EXPECT_TRUE(f.ui.hasText("Arma Reforger isn't calibrated yet \xE2\x80\x94 measure it once so it can be converted."));
    // The rest of the screen carries on at 35 cm/360.
    EXPECT_TRUE(probeShowsExactly("35.0 cm/360"));
    const GameInfo& cs2 = gameRow("cs2");
    EXPECT_EQ(tableSens(cs2.name), formatGameSens(cs2, cs2.yaw, 35, 800));
    ASSERT_TRUE(f.ui.click("Calibrate now"));
    EXPECT_EQ(f.app.screen, ScreenCalibrate);
    EXPECT_EQ(f.app.calGame, gameIndexById("reforger"));
    EXPECT_EQ(f.app.calReturnScreen, ScreenConverter);

    // Once calibrated, the row converts like any other.
    setCalibratedYaw("reforger", 0.05);
    f.app.screen = ScreenConverter;
    f.show();
    EXPECT_FALSE(f.ui.hasText("isn't calibrated yet"));
    EXPECT_TRUE(probeShowsExactly(formatString("%.1f cm/360", 914.4 / (0.05 * 1.0 * 800))));
}

TEST(ConverterScreen, CopyPutsTheRowsValueOnTheClipboard) {
    Converter f("cs2", 0.4, 800);
    ImGui::SetClipboardText("");
    // The first "Copy" is the first table row, Counter-Strike 2.
    ASSERT_TRUE(f.ui.click("Copy"));
    const GameInfo& cs2 = gameRow("cs2");
    EXPECT_EQ(std::string(ImGui::GetClipboardText()), formatGameSens(cs2, cs2.yaw, cm360FromSens(0.022, 0.4, 800), 800));
    EXPECT_EQ(f.app.screen, ScreenConverter);
}

// "calibrate first" is no value to paste into a game: its row has no Copy until the game is
// calibrated.
TEST(ConverterScreen, NoCopyOnARowToCalibrateFirst) {
    Converter f("cs2", 0.4, 800);
    const auto copies = [] {
        int n = 0;
        for (const ProbeItem& item : probeItems()) n += item.label == "Copy";
        return n;
    };
    int rows = 0, calibrated = 0;
    for (const GameInfo& g : gameCatalog()) {
        rows += g.kind == GameKindYaw || g.kind == GameKindCalibrated;
        calibrated += g.kind == GameKindYaw || (g.kind == GameKindCalibrated && g.yaw > 0);
    }
    EXPECT_TRUE(probeShowsExactly("calibrate first"));
    EXPECT_EQ(copies(), calibrated);
    EXPECT_LT(calibrated, rows);
    setCalibratedYaw("reforger", 0.05);
    f.show();
    EXPECT_FALSE(probeShowsExactly("calibrate first"));
    EXPECT_EQ(copies(), rows);
}

}  // namespace
