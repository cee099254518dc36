#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "core/catalog/catalog.h"
#include "core/catalog/format.h"

namespace {

// The catalogue is process-wide: leave the calibrated row as the program starts.
class CatalogTest : public ::testing::Test {
protected:
    void TearDown() override { resetCalibratedYaws(); }
};

const GameInfo& row(const char* id) { return gameCatalog()[gameIndexById(id)]; }

TEST_F(CatalogTest, RowsInOrderWithTheirKinds) {
    const char* ids[] = {"cs2",  "valorant",   "apex",  "ow2",      "fortnite", "cod",
                         "tf2",  "titanfall2", "quake", "reforger", "custom",   "cm360"};
    const std::vector<GameInfo>& rows = gameCatalog();
    ASSERT_EQ(rows.size(), 12u);
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_STREQ(rows[i].id, ids[i]);
        EXPECT_EQ(gameIndexById(ids[i]), static_cast<int32_t>(i));
        EXPECT_EQ(rows[i].kind, i == 9 ? GameKindCalibrated : i == 10 ? GameKindUserYaw : i == 11 ? GameKindCm360 : GameKindYaw);
    }
    EXPECT_STREQ(rows[1].name, "VALORANT");
    EXPECT_STREQ(rows[4].suffix, "%");
    EXPECT_STREQ(rows[11].suffix, " cm");
    EXPECT_EQ(rows[9].yaw, 0);
}

TEST_F(CatalogTest, LookupIsExactAndFallsBackToTheFirstRow) {
    for (const char* id : {"unknown", "", "CS2", "valorant ", "cs", "cm360x"}) EXPECT_EQ(gameIndexById(id), 0) << id;
}

TEST_F(CatalogTest, CalibratedYawOnlyTouchesTheCalibratedRow) {
    setCalibratedYaw("reforger", 0.0125);
    EXPECT_DOUBLE_EQ(row("reforger").yaw, 0.0125);
    setCalibratedYaw("reforger", -3);
    EXPECT_EQ(row("reforger").yaw, 0);
    setCalibratedYaw("cs2", 1.0);
    setCalibratedYaw("custom", 1.0);
    EXPECT_DOUBLE_EQ(row("cs2").yaw, 0.022);
    EXPECT_DOUBLE_EQ(row("custom").yaw, 0.022);
    setCalibratedYaw("reforger", 0.0125);
    resetCalibratedYaws();
    EXPECT_EQ(row("reforger").yaw, 0);
}

TEST_F(CatalogTest, Conversions) {
    EXPECT_NEAR(cm360FromSens(0.022, 1, 800), 51.954545454545, 1e-9);
    EXPECT_NEAR(sensFromCm360(0.022, 51.954545454545, 800), 1.0, 1e-12);
    const double bad[][3] = {{0, 1, 800}, {0.022, 0, 800}, {0.022, 1, 0}, {-0.022, 1, 800}, {0.022, -1, 800}, {0.022, 1, -800}};
    for (const auto& b : bad) {
        EXPECT_EQ(cm360FromSens(b[0], b[1], b[2]), 0);
        EXPECT_EQ(sensFromCm360(b[0], b[1], b[2]), 0);
    }
}

TEST_F(CatalogTest, GameSensTextForEveryRow) {
    struct Case {
        const char* id;
        double cm, dpi;
        const char* text;
    };
    const Case cases[] = {
        {"cs2", 35, 800, "1.48"},          {"valorant", 35, 800, "0.467"}, {"apex", 35, 800, "1.48"},
        {"ow2", 35, 800, "4.95"},          {"fortnite", 35, 800, "5.9%"},  {"fortnite", 30, 800, "6.9%"},
        {"cod", 25, 1600, "3.46"},         {"tf2", 52, 400, "2.00"},       {"titanfall2", 25, 1600, "1.04"},
        {"quake", 52, 400, "1.998"},       {"custom", 35, 800, "1.484"},   {"reforger", 35, 800, "calibrate first"},
        {"cm360", 35, 800, "35.0 cm/360"}, {"cm360", 27.25, 0, "27.2 cm/360"},
    };
    for (const Case& c : cases) {
        const GameInfo& r = row(c.id);
        EXPECT_EQ(formatGameSens(r, r.yaw, c.cm, c.dpi), c.text) << c.id << " " << c.cm;
    }
    setCalibratedYaw("reforger", 0.0125);
    EXPECT_EQ(formatGameSens(row("reforger"), row("reforger").yaw, 35, 800), "2.61");
}

TEST_F(CatalogTest, SensTextNeverOverflows) {
    EXPECT_EQ(formatSens(1.23456, -1), "1.235");
    EXPECT_EQ(formatSens(1.5, 0), "2");
    // A typed yaw of 1e-300 makes a 300-digit sensitivity; it must come back whole.
    std::string text = formatGameSens(row("custom"), 1e-300, 35, 800);
    ASSERT_GT(text.size(), 300u);
    EXPECT_EQ(text.substr(text.size() - 4), ".000");
    EXPECT_EQ(text.find_first_not_of("0123456789."), std::string::npos);
    EXPECT_EQ(formatString("%s|%d", std::string(3000, 'x').c_str(), 7).size(), 3002u);
}

TEST_F(CatalogTest, SpeedWordsAndTheClamp) {
    // Each bound is exclusive: 20 cm/360 is already "fast".
    const std::pair<double, const char*> words[] = {{19.9, "very fast"}, {20, "fast"},   {27.9, "fast"},
                                                    {28, "medium"},      {42, "slow"},   {59.9, "slow"},
                                                    {60, "very slow"},   {500, "very slow"}};
    for (const auto& [cm, word] : words) EXPECT_STREQ(speedWord(cm), word) << cm;
    const std::pair<double, double> clamps[] = {{3, 6}, {6, 6}, {35, 35}, {200, 200}, {500, 200}};
    for (const auto& [cm, held] : clamps) EXPECT_EQ(clampCm360(cm), held) << cm;
}

TEST_F(CatalogTest, Styles) {
    EXPECT_EQ(styleWeights(0).flick, 0.65);
    EXPECT_EQ(styleWeights(0).tracking, 0.35);
    EXPECT_EQ(styleWeights(2).flick, 0.35);
    for (int s : {-1, 1, 3, 99}) EXPECT_EQ(styleWeights(s).flick, 0.5) << s;
    EXPECT_EQ(gameStyle(row("reforger"), 0), 3);
    EXPECT_EQ(gameStyle(row("reforger"), -1), 3);
    EXPECT_EQ(gameStyle(row("apex"), -1), 2);
    EXPECT_EQ(gameStyle(row("apex"), 0), 0);
    EXPECT_EQ(gameStyle(row("cs2"), 3), 1);
    EXPECT_EQ(gameStyle(row("cs2"), 7), 1);
    EXPECT_STREQ(styleName(0), "Tactical (flick-heavy)");
    EXPECT_STREQ(styleName(2), "Tracking-heavy");
    EXPECT_STREQ(styleName(3), "Balanced");
}

TEST_F(CatalogTest, PerfectDpiPicksTheFinestSmoothStep) {
    PerfectDpiAdvice a = perfectDpi(row("valorant"), 0.07, 35, 103, 1920);
    ASSERT_EQ(a.options.size(), 4u);
    const int dpis[] = {400, 800, 1600, 3200};
    const char* verdicts[] = {"ok at hipfire", "smooth, even scoped", "smooth, even scoped", "smooth, even scoped"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(a.options[i].dpi, dpis[i]);
        EXPECT_STREQ(a.options[i].verdict, verdicts[i]);
        EXPECT_EQ(a.options[i].recommended, i == 1);
    }
    EXPECT_NEAR(a.options[0].pxPerCount, 0.8704868755, 1e-9);
    EXPECT_NEAR(a.options[1].sens, 0.4665306122, 1e-9);
    EXPECT_TRUE(a.options[3].inRange);
    EXPECT_EQ(a.recommendedDpi, 800);
    EXPECT_EQ(a.message,
              "At 800 DPI each mouse count turns you 0.0327 deg, which is 0.44 of a pixel at your resolution and FOV. "
              "No pixel skipping, even when zoomed in about 2x. That gives you smooth micro-adjusts without making "
              "your desktop cursor too fast.");
}

TEST_F(CatalogTest, PerfectDpiFallbacks) {
    // No yaw: every option is in range; nothing reaches half a pixel at 3 cm/360, so 3200.
    PerfectDpiAdvice a = perfectDpi(row("reforger"), 0, 3, 103, 1920);
    for (const DpiOption& o : a.options) {
        EXPECT_TRUE(o.inRange);
        EXPECT_EQ(o.sens, 3);
    }
    EXPECT_STREQ(a.options[3].verdict, "skips pixels");
    EXPECT_EQ(a.recommendedDpi, 3200);
    EXPECT_TRUE(a.options[3].recommended);
    EXPECT_EQ(a.message, "3200 DPI is the finest step this game's sens range allows for your cm/360 (1.27 pixels per count at hipfire).");

    // Out of the sens range everywhere: 800.
    a = perfectDpi(row("cs2"), 0.022, 20000, 103, 1920);
    for (const DpiOption& o : a.options) EXPECT_FALSE(o.inRange);
    EXPECT_EQ(a.recommendedDpi, 800);

    // 800 is too coarse at 20 cm/360; 1600 is the first smooth one.
    EXPECT_EQ(perfectDpi(row("valorant"), 0.07, 20, 103, 1920).recommendedDpi, 1600);
    // Nothing smooth at 5 cm/360: the finest in-range step.
    EXPECT_EQ(perfectDpi(row("cs2"), 0.022, 5, 103, 1920).recommendedDpi, 3200);
    // Only 400 keeps the sens above its minimum; it is never advised.
    a = perfectDpi(row("cs2"), 0.022, 6927, 103, 1920);
    EXPECT_TRUE(a.options[0].inRange);
    EXPECT_FALSE(a.options[1].inRange);
    EXPECT_EQ(a.recommendedDpi, 800);
    EXPECT_FALSE(a.options[0].recommended);

    // No cm/360 yet.
    a = perfectDpi(row("cs2"), 0.022, 0, 103, 1920);
    for (const DpiOption& o : a.options) {
        EXPECT_EQ(o.pxPerCount, 0);
        EXPECT_EQ(o.sens, 0);
        EXPECT_FALSE(o.inRange);
        EXPECT_STREQ(o.verdict, "smooth, even scoped");
    }
    EXPECT_EQ(a.recommendedDpi, 800);
}

TEST_F(CatalogTest, PerfectDpiScreenAndFovGuards) {
    const double ref = perfectDpi(row("cs2"), 0.022, 35, 103, 1920).options[1].pxPerCount;
    EXPECT_DOUBLE_EQ(perfectDpi(row("cs2"), 0.022, 35, 103, 100).options[1].pxPerCount, ref);
    for (double fov : {10.0, 29.9, 170.1, 400.0, std::nan("")})
        EXPECT_NEAR(perfectDpi(row("cs2"), 0.022, 35, fov, 1920).options[1].pxPerCount, ref, 1e-12) << fov;
    EXPECT_GT(perfectDpi(row("cs2"), 0.022, 35, 103, 3840).options[1].pxPerCount, 1.9 * ref);
    EXPECT_LT(perfectDpi(row("cs2"), 0.022, 35, 120, 1920).options[1].pxPerCount, ref);
}

TEST_F(CatalogTest, MonitorDistanceMatch) {
    EXPECT_EQ(fovMatchPercent(1.0, 103), 0);
    EXPECT_EQ(fovMatchPercent(0.996, 103), 0);
    EXPECT_EQ(fovMatchPercent(0.99, 103), -1);
    EXPECT_EQ(fovMatchPercent(0, 103), -1);
    EXPECT_EQ(fovMatchPercent(3.7, 103), 999);
    EXPECT_EQ(fovMatchPercent(10, 103), 999);
    EXPECT_NEAR(fovMatchPercent(1.5, 103), 126.595035, 1e-5);
    EXPECT_NEAR(fovMatchPercent(2.0, 103), 224.983252, 1e-5);
    EXPECT_NEAR(fovMatchPercent(3.0, 103), 592.539839, 1e-5);
}

TEST_F(CatalogTest, WideText) {
    EXPECT_EQ(wideCStrToUtf8(nullptr), "");
    EXPECT_EQ(wideCStrToUtf8(u""), "");
    EXPECT_EQ(wideCStrToUtf8(u"Caf\u00e9 \u2014 x"), "Caf\xc3\xa9 \xe2\x80\x94 x");
}

}  // namespace
