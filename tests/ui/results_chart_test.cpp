// The results chart: its scales, the dot under the mouse, and what it draws and labels.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/catalog/format.h"
#include "tests/ui/results_fixture.h"
#include "ui/kit.h"
#include "ui/probe.h"
#include "ui/results.h"

using namespace results_test;

namespace {

constexpr float kX = 100, kY = 120, kW = 700, kH = 320;

// The chart alone in a window at a known place.
void drawChartAt(App& app) {
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(1000, 600));
    ImGui::Begin("chart host", nullptr, ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoSavedSettings);
    ImGui::SetCursorScreenPos(ImVec2(kX, kY));
    drawResultsChart(app, kW, kH);
    ImGui::End();
}

TEST(ResultsChart, XRangeCoversRoundsRangeAndStartButNotEmptyValues) {
    App app;
    fillResult(app);
    app.analysis.rounds.push_back(metricsAt(0, 1, 50));  // no cm/360: no place on the axis
    app.analysis.rounds.push_back(metricsAt(-3, 1, 50));
    ChartFrame f = chartFrame(app, kX, kY, kW, kH);
    ASSERT_TRUE(f.ok);
    EXPECT_NEAR(f.lo, std::log(25.0) - 0.08, 1e-12);
    EXPECT_NEAR(f.hi, std::log(63.0) - (-0.08), 1e-12);
    // Slower (more cm/360) on the left.
    EXPECT_LT(f.x(63), f.x(25));
    EXPECT_FLOAT_EQ(f.x(std::exp(f.hi)), f.left);
    EXPECT_FLOAT_EQ(f.x(std::exp(f.lo)), f.right);
    EXPECT_FLOAT_EQ(f.left, kX + 62);
    EXPECT_FLOAT_EQ(f.bottom, kY + kH - 46);

    // A start far outside the tested sensitivities widens the axis itself.
    app.resultCm = 120;
    f = chartFrame(app, kX, kY, kW, kH);
    EXPECT_NEAR(f.hi, std::log(120.0) + 0.08, 1e-12);

    App empty;
    empty.resultCm = 0;
    EXPECT_FALSE(chartFrame(empty, kX, kY, kW, kH).ok);
}

TEST(ResultsChart, YRangeAndGridStep) {
    struct Case {
        double low, high;  // round performances, no fitted curve
        double ymin, ymax, step;
    };
    const Case cases[] = {
        {73, 97, 70, 100, 5},      // a spread of exactly 30 keeps the fine grid
        {72.5, 97, 69, 100, 10},   // 31
        {99.2, 100.4, 96, 104, 5},
        {33, 107, 30, 110, 10},    // eight lines of 10
        {20, 110, 17, 113, 20},    // nine lines of 10 would be too many
        {-77, 447, -80, 450, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.low);
        App app;
        fillResult(app);
        app.analysis.fit.ok = false;
        for (RoundMetrics& m : app.analysis.rounds) m.performance = (c.low + c.high) / 2;
        app.analysis.rounds[0].performance = c.low;
        app.analysis.rounds[1].performance = c.high;
        const ChartFrame f = chartFrame(app, kX, kY, kW, kH);
        EXPECT_FALSE(f.curve);
        EXPECT_DOUBLE_EQ(f.ymin, c.ymin);
        EXPECT_DOUBLE_EQ(f.ymax, c.ymax);
        EXPECT_DOUBLE_EQ(f.gridStep, c.step);
        EXPECT_FLOAT_EQ(f.y(c.ymin), f.bottom);
        EXPECT_FLOAT_EQ(f.y(c.ymax), f.top);
    }
    // The fitted curve counts too: here its ends dip far below every round.
    App app;
    fillResult(app);
    const ChartFrame f = chartFrame(app, kX, kY, kW, kH);
    EXPECT_TRUE(f.curve);
    const double atEnd = 105 - 40 * std::pow(std::log(25.0 / 40) - 0.08, 2);
    EXPECT_LT(f.ymin, atEnd);
    EXPECT_DOUBLE_EQ(f.ymax, std::ceil(105 + 3));
}

TEST(ResultsChart, NearestDotWithinRadiusEarlierWinsTies) {
    const std::vector<float> xs = {10, 30, 20, 50}, ys = {0, 0, 0, 0};
    EXPECT_EQ(nearestPoint(xs, ys, 20, 0, 12), 2);
    EXPECT_EQ(nearestPoint(xs, ys, 25, 0, 12), 1);  // 5 from both 30 and 20: the earlier point
    EXPECT_EQ(nearestPoint(xs, ys, 40, 0, 12), 1);  // 10 from both 30 and 50
    EXPECT_EQ(nearestPoint(xs, ys, 70, 0, 12), -1);
    EXPECT_EQ(nearestPoint(xs, ys, 62, 0, 12), 3);
    EXPECT_EQ(nearestPoint({}, {}, 0, 0, 12), -1);
}

TEST(ResultsChart, LabelsLegendAndTooltip) {
    App app;
    UiHarness ui(app);
    fillResult(app);
    ui.frameOf([&] { drawChartAt(app); });
    for (const char* label : {"current", "best", "stage 1", "stage 2", "range", "check",
                              "performance vs your average", "sensitivity  (faster \xE2\x86\x92)", "100%"})
        EXPECT_TRUE(ui.hasText(label)) << label;
    // Ticks name the game's own values at even steps of the log axis.
    const ChartFrame f = chartFrame(app, kX, kY, kW, kH);
    for (int j = 0; j <= 5; ++j) {
        const std::string tick = resultSensText(app, std::exp(f.lo + j * (f.hi - f.lo) / 5));
        EXPECT_TRUE(ui.hasText(tick)) << tick;
    }
    EXPECT_FALSE(ui.hasText("Round 3"));

    // The mouse 5 px from the third round's dot.
    const RoundMetrics& third = app.analysis.rounds[2];
    ImGui::GetIO().AddMousePosEvent(f.x(third.cm360) + 3, f.y(third.performance) + 4);
    ui.frameOf([&] { drawChartAt(app); });
    ui.frameOf([&] { drawChartAt(app); });
    EXPECT_TRUE(ui.hasText("Round 3  \xC2\xB7  " + resultSensText(app, third.cm360) + "  (40.0 cm/360)"));
    EXPECT_TRUE(ui.hasText(formatString("Performance %.1f%% of your average", third.performance)));
    EXPECT_TRUE(ui.hasText("Flicks: 5.05 bits/s, 82% accuracy, 610 ms per kill"));
    EXPECT_TRUE(ui.hasText("Tracking: 55.0% on target"));
    EXPECT_TRUE(ui.hasText("Over-flicked 10%, under-flicked 12% of flicks"));

    // Far from every dot: no tooltip.
    ImGui::GetIO().AddMousePosEvent(f.left + 1, f.top + 1);
    ui.frameOf([&] { drawChartAt(app); });
    EXPECT_FALSE(ui.hasText("Round "));
}

TEST(ResultsChart, NothingToPlaceSaysSo) {
    App app;
    UiHarness ui(app);
    app.resultCm = 0;
    ui.frameOf([&] { drawChartAt(app); });
    EXPECT_TRUE(ui.hasText("No rounds to show."));
}

}  // namespace
