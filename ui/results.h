#pragma once
// The results screen's parts: the chart, the Sens Check verdict card and the share card,
// with the pure pieces of their layout and wording that tests check directly.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/kernel/metrics.h"

struct App;
struct GameInfo;

// ---- Shared wording --------------------------------------------------------
// The current table's header row, its column names also recorded by the UI probe.
void tableHeadersRow();
// The result game's row (the default game when the index is out of range).
const GameInfo& resultGameRow(const App& app);
// formatGameSens for the result game at App.resultYaw and the result DPI.
std::string resultSensText(const App& app, double cm360);
// The heading's line for a result whose row could not be added to history.csv.
std::string resultNotSavedText(const App& app);
// Whether a cm/360 can be turned into the result game's own value: games with a typed yaw
// or no in-game value always, the others only once the yaw the result uses is known.
bool canSetResultSens(const App& app);
// "same", or "+12% faster" / "-8% slower" for the recommendation against the start.
std::string versusCurrentText(double startCm360, double recommendedCm360);
// The findings of the insights card, in order, with the colour of each bullet.
struct Insight {
    int32_t tone = 0;  // 0 accent, 1 good, 2 warn, 3 dim
    std::string text;
};
std::vector<Insight> resultInsights(const App& app);

// ---- Results chart ---------------------------------------------------------
// The chart's plot area and scales for a chart at origin with this size: x is ln(cm/360)
// running backwards (slower on the left), y the performance in percent.
struct ChartFrame {
    bool ok = false;  // false when nothing has a place on the x axis
    float left = 0, right = 0, top = 0, bottom = 0;
    double lo = 0, hi = 0;         // ln(cm/360) at the right and left ends
    double ymin = 0, ymax = 0;     // performance at the bottom and top
    double gridStep = 5;
    bool curve = false;            // the fitted curve is drawn
    float x(double cm360) const;
    float y(double performance) const;
};
ChartFrame chartFrame(const App& app, float originX, float originY, float width, float height);
// Index of the point nearest to (mx, my) within radius, earlier points winning ties; -1 when none.
int32_t nearestPoint(const std::vector<float>& xs, const std::vector<float>& ys, float mx, float my, float radius);
void drawResultsChart(App& app, float width, float height);

// ---- Sens Check verdict ----------------------------------------------------
struct CheckGroup {
    double cm360 = 0;  // the key: the cm/360 of the group's first round
    double performance = 0;
    double accuracy = 0;
    double trackOnTarget = 0;
    double avgKillMs = 0;
    int32_t count = 0;
};
// The latest check rounds (stage 3, at most six, from the end) grouped by cm/360 within 1 %,
// sorted by cm/360 ascending, as means.
std::vector<CheckGroup> latestCheckGroups(const std::vector<RoundMetrics>& rounds);
// Index of the group with the highest mean performance (the first on a tie); -1 when empty.
int32_t bestCheckGroup(const std::vector<CheckGroup>& groups);
// The verdict card; drawn only after a Sens Check with at least one entry.
void drawSensCheckVerdict(App& app);

// ---- Share card ------------------------------------------------------------
struct ShareCardRect {
    float x = 0, y = 0, w = 0, h = 0;
};
// The card centred on a W x H display at UI scale s; no area on a display under 20 px.
ShareCardRect shareCardRect(float displayWidth, float displayHeight, float scale);
