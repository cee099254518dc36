// The results chart: every round's performance against its hidden cm/360 on a log axis
// that runs from slow (left) to fast (right), with the likely band, the fitted curve, the
// current and best markers, a legend and a tooltip for the dot under the mouse.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/profile/app.h"
#include "ui/kit.h"
#include "ui/results.h"

namespace {

constexpr ImU32 kStageOneColour = IM_COL32(150, 162, 180, 255);

double curveAt(const CurveFit& fit, double t) {
    const double d = t - fit.xMean;
    return fit.c0 + fit.c1 * d + fit.c2 * d * d;
}

ImU32 dimAt(float alpha) { return withAlpha(colTextDim, alpha); }

}  // namespace

float ChartFrame::x(double cm360) const {
    return left + static_cast<float>((hi - std::log(cm360)) / (hi - lo)) * (right - left);
}

float ChartFrame::y(double performance) const {
    return bottom - static_cast<float>((performance - ymin) / (ymax - ymin)) * (bottom - top);
}

ChartFrame chartFrame(const App& app, float originX, float originY, float width, float height) {
    const AnalysisResult& a = app.analysis;
    ChartFrame f;
    f.left = originX + 62 * s;
    f.right = originX + width - 18 * s;
    f.top = originY + 26 * s;
    f.bottom = originY + height - 46 * s;

    // X range over everything that has a place on the axis.
    double lo = 1e300, hi = -1e300;
    auto widen = [&](double c) {
        if (!(c > 0)) return;
        lo = std::min(lo, std::log(c));
        hi = std::max(hi, std::log(c));
    };
    for (const RoundMetrics& m : a.rounds) widen(m.cm360);
    widen(a.lowCm360);
    widen(a.highCm360);
    widen(app.resultCm);
    if (lo > hi) return f;
    f.ok = true;
    f.lo = lo - 0.08;
    f.hi = hi + 0.08;

    // Y range: the rounds and the fitted curve (without a fit there is no curve to show).
    f.curve = a.fit.ok;
    double pMin = 1e300, pMax = -1e300;
    for (const RoundMetrics& m : a.rounds) {
        pMin = std::min(pMin, m.performance);
        pMax = std::max(pMax, m.performance);
    }
    if (f.curve) {
        const double span = f.hi - f.lo;
        for (int k = 0; k <= 100; ++k) {
            const double v = curveAt(a.fit, f.lo + k * span / 100);
            pMin = std::min(pMin, v);
            pMax = std::max(pMax, v);
        }
    }
    if (pMin > pMax) pMin = pMax = 100;
    f.ymin = std::floor(pMin - 3);
    f.ymax = std::ceil(pMax + 3);
    const double spread = f.ymax - f.ymin;
    f.gridStep = spread > 30 ? 10 : 5;
    // A wild test (a spread of hundreds of points) would bury the plot under grid labels;
    // coarser steps keep them at most eight apart.
    for (double coarse : {20.0, 50.0, 100.0, 200.0, 500.0, 1000.0})
        if (spread / f.gridStep > 8) f.gridStep = coarse;
    return f;
}

int32_t nearestPoint(const std::vector<float>& xs, const std::vector<float>& ys, float mx, float my, float radius) {
    int32_t best = -1;
    float bestDist = radius;
    for (size_t k = 0; k < xs.size() && k < ys.size(); ++k) {
        const float d = std::hypot(mx - xs[k], my - ys[k]);
        if (d <= radius && (best < 0 || d < bestDist)) {
            best = static_cast<int32_t>(k);
            bestDist = d;
        }
    }
    return best;
}

void drawResultsChart(App& app, float width, float height) {
    const AnalysisResult& a = app.analysis;
    const std::vector<RoundMetrics>& rounds = a.rounds;
    const ImVec2 size(std::max(width, 1.0f), std::max(height, 1.0f));
    const ImVec2 P = ImGui::GetCursorScreenPos();
    ImGui::InvisibleButton("##chart", size);
    const bool hovered = ImGui::IsItemHovered();
    ImDrawList* dl = ImGui::GetWindowDrawList();
    ImFont* font = ImGui::GetFont();
    const float fontSize = ImGui::GetFontSize();

    dl->AddRectFilled(P, ImVec2(P.x + size.x, P.y + size.y), packColour(colChartBg), 10 * s);

    const ChartFrame f = chartFrame(app, P.x, P.y, size.x, size.y);
    const float left = f.left, right = f.right, top = f.top, bottom = f.bottom;
    if (!f.ok) {
        // Nothing to place: no rounds, no range and no starting point.
        drawListText(dl, font, fontSize, ImVec2(left, P.y + size.y * 0.5f - fontSize * 0.5f), dimAt(1.0f),
                     "No rounds to show.");
        return;
    }
    const double lo = f.lo, span = f.hi - f.lo;
    const double ymin = f.ymin, ymax = f.ymax;
    auto xOf = [&](double c) { return f.x(c); };
    auto yOf = [&](double p) { return f.y(p); };

    // Grid and its labels.
    const double step = f.gridStep;
    for (double v = std::ceil(ymin / step) * step; v <= ymax + 1e-9; v += step) {
        const float y = yOf(v);
        dl->AddLine(ImVec2(left, y), ImVec2(right, y), IM_COL32(255, 255, 255, 0x12), 1.0f);
        const std::string label = formatString("%.0f%%", v);
        drawListText(dl, font, fontSize, ImVec2(P.x + 10 * s, y - fontSize * 0.5f), dimAt(1.0f), label.c_str());
    }

    // Sensitivity ticks, labelled in the result game's own values.
    for (int j = 0; j <= 5; ++j) {
        const double c = std::exp(lo + j * span / 5);
        const float x = xOf(c);
        dl->AddLine(ImVec2(x, bottom), ImVec2(x, bottom + 5 * s), IM_COL32(255, 255, 255, 0x3c), 1.0f);
        const std::string label = resultSensText(app, c);
        const float w = textSize(font, fontSize, label.c_str()).x;
        drawListText(dl, font, fontSize, ImVec2(x - w * 0.5f, bottom + 8 * s), dimAt(1.0f), label.c_str());
    }

    // Axis titles.
    const char* xTitle = "sensitivity  (faster \xE2\x86\x92)";
    const float xTitleWidth = textSize(font, fontSize, xTitle).x;
    drawListText(dl, font, fontSize, ImVec2((left + right) * 0.5f - xTitleWidth * 0.5f, bottom + 26 * s), dimAt(0.8f),
                 xTitle);
    drawListText(dl, font, fontSize, ImVec2(left, P.y + 6 * s), dimAt(0.8f), "performance vs your average");

    // Likely band.
    const ImU32 band = withAlpha(colAccent, 0.18f);
    if (a.lowCm360 > 0 && a.highCm360 > 0) {
        const float x0 = xOf(a.lowCm360), x1 = xOf(a.highCm360);
        dl->AddRectFilled(ImVec2(std::min(x0, x1), top), ImVec2(std::max(x0, x1), bottom), band);
    }

    // Current sensitivity: a dashed line.
    if (app.resultCm > 0) {
        const float x = xOf(app.resultCm);
        const ImU32 dash = IM_COL32(200, 205, 215, 150);
        for (float y = top; y < bottom; y += 10 * s)
            dl->AddLine(ImVec2(x, y), ImVec2(x, std::min(y + 5 * s, bottom)), dash, 1.5f * s);
        drawListText(dl, font, fontSize, ImVec2(x + 4 * s, top + 2 * s), IM_COL32(200, 205, 215, 200), "current");
    }

    // Fitted curve.
    if (f.curve) {
        std::vector<ImVec2> points;
        for (int k = 0; k <= 100; ++k) {
            const double t = lo + k * span / 100;
            points.emplace_back(xOf(std::exp(t)), yOf(curveAt(a.fit, t)));
        }
        dl->AddPolyline(points.data(), static_cast<int>(points.size()), withAlpha(colAccent, 0.85f), 0, 2.5f * s);
    }

    // Best sensitivity.
    if (a.recommendedCm360 > 0) {
        const float x = xOf(a.recommendedCm360);
        dl->AddLine(ImVec2(x, bottom), ImVec2(x, top), packColour(colAccent), 2 * s);
        drawListText(dl, font, fontSize, ImVec2(x + 4 * s, bottom - fontSize - 4 * s), packColour(colAccent), "best");
    }

    // One dot per round; the nearest one to the mouse (within 12) is the hovered one.
    std::vector<float> dotX, dotY;
    std::vector<size_t> dotRound;
    for (size_t k = 0; k < rounds.size(); ++k) {
        const RoundMetrics& m = rounds[k];
        if (!(m.cm360 > 0)) continue;
        const ImVec2 c(xOf(m.cm360), yOf(m.performance));
        const ImU32 fill = m.stage == 3   ? packColour(colGood)
                           : m.stage == 2 ? packColour(colAccent)
                                          : kStageOneColour;
        dl->AddCircleFilled(c, 6 * s, fill, 20);
        dl->AddCircle(c, 6 * s, IM_COL32(0, 0, 0, 180), 20, 1.5f * s);
        dotX.push_back(c.x);
        dotY.push_back(c.y);
        dotRound.push_back(k);
    }
    int hoveredDot = -1;
    if (hovered) {
        const ImVec2 mouse = ImGui::GetIO().MousePos;
        const int32_t nearest = nearestPoint(dotX, dotY, mouse.x, mouse.y, 12 * s);
        if (nearest >= 0) hoveredDot = static_cast<int>(dotRound[static_cast<size_t>(nearest)]);
    }

    // Legend.
    const float X0 = right - 300 * s, y0 = P.y + 6 * s;
    dl->AddCircleFilled(ImVec2(X0, y0 + 8 * s), 5 * s, kStageOneColour, 16);
    drawListText(dl, font, fontSize, ImVec2(X0 + 10 * s, y0), dimAt(1.0f), "stage 1");
    dl->AddCircleFilled(ImVec2(X0 + 80 * s, y0 + 8 * s), 5 * s, packColour(colAccent), 16);
    drawListText(dl, font, fontSize, ImVec2(X0 + 90 * s, y0), dimAt(1.0f), "stage 2");
    dl->AddRectFilled(ImVec2(X0 + 160 * s, y0 + 3 * s), ImVec2(X0 + 172 * s, y0 + 13 * s), band);
    drawListText(dl, font, fontSize, ImVec2(X0 + 176 * s, y0), dimAt(1.0f), "range");
    dl->AddCircleFilled(ImVec2(X0 + 235 * s, y0 + 8 * s), 5 * s, packColour(colGood), 16);
    drawListText(dl, font, fontSize, ImVec2(X0 + 245 * s, y0), dimAt(1.0f), "check");

    if (hoveredDot >= 0) {
        const RoundMetrics& m = rounds[static_cast<size_t>(hoveredDot)];
        ImGui::BeginTooltip();
        coloredText(colText, "Round %d  \xC2\xB7  %s  (%.1f cm/360)", hoveredDot + 1,
                    resultSensText(app, m.cm360).c_str(), m.cm360);
        coloredText(colText, "Performance %.1f%% of your average", m.performance);
        coloredText(colText, "Flicks: %.2f bits/s, %.0f%% accuracy, %.0f ms per kill", m.throughput, m.accuracy * 100,
                    m.avgKillMs);
        coloredText(colText, "Tracking: %.1f%% on target", m.trackOnTarget * 100);
        coloredText(colText, "Over-flicked %.0f%%, under-flicked %.0f%% of flicks", m.overflickPct, m.underflickPct);
        ImGui::EndTooltip();
    }
}
