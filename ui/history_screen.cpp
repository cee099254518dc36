// The History screen: the pooled best sensitivity of the current game, a per-day chart of
// flick speed and tracking at the current sensitivity, and every stored result.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/profile/app.h"
#include "core/profile/history.h"
#include "imgui_internal.h"
#include "imgui_kept_geometry.h"
#include "platform/system/shell_open.h"
#include "ui/day_chart.h"
#include "ui/kit.h"
#include "ui/screens.h"

namespace {

void drawCombinedCard(App& app, const GameInfo& game, float width) {
    beginCard("combined", ImVec2(width, 214 * s), colHighlightCard);
    smallLabel(formatString("%s  \xC2\xB7  COMBINED BEST", game.name).c_str());
    const HistoryEstimate& est = app.cachedHistoryEstimate(historyGameKey(game));
    if (est.count == 0) {
        dimText("%s", "No results for this game yet.");
    } else {
        ImGui::PushFont(fontTitle());
        if (game.kind == GameKindCm360)
            coloredText(colAccent, "%.1f cm", est.centre);
        else
            coloredText(colAccent, "%s", formatGameSens(game, app.gameYaw(), est.centre, app.dpi).c_str());
        ImGui::PopFont();
        textLine(formatString("%.1f cm/360 at %.0f DPI", est.centre, app.dpi).c_str());
        ImGui::PushTextWrapPos(0.0f);
        dimText("From %d test%s. Likely range %.1f\xE2\x80\x93%.1f cm/360.", static_cast<int>(est.count),
                est.count >= 2 ? "s" : "", est.low, est.high);
        if (est.count <= 2)
            dimText("%s", "Run it again on another day to make this more solid.");
        else
            dimText("%s", "Several tests agree \xE2\x80\x94 this is a solid number.");
        ImGui::PopTextWrapPos();
    }
    endCard();
}

std::string flickLabel(double v) { return formatString("%.2f", v); }
std::string trackingLabel(double v) { return formatString("%.0f%%", v); }

void drawProgressCard(App& app, const GameInfo& game, float width) {
    beginCard("progress", ImVec2(width, 214 * s), colCard);
    smallLabel("YOUR PROGRESS AT YOUR CURRENT SENS");
    const DaySeries& series = app.progressSeriesFor(game);
    if (series.days.size() >= 2) {
        const float a = ImGui::GetContentRegionAvail().x - 12 * s;
        const ImVec2 size(0.5f * a, 156 * s);
        drawDayChart("Flick speed (bits/s)", series.days, series.flick, &flickLabel, size);
        ImGui::SameLine(0, 12 * s);
        drawDayChart("Tracking on target (%)", series.days, series.tracking, &trackingLabel, size);
    } else {
        ImGui::PushTextWrapPos(0.0f);
        dimText("%s", "Play Practice or a Sens Check at your sens on a few different days and your flick speed and "
                      "tracking will be charted here.");
        ImGui::PopTextWrapPos();
    }
    endCard();
}

bool isCmOnlyRow(const HistoryEntry& e) { return e.game.find("cm/360") != std::string::npos; }

// One table row; the newest entry is the first row.
void drawHistoryRow(const HistoryEntry& e) {
    const bool cmOnly = isCmOnlyRow(e);
    ImGui::TableNextRow();
    ImGui::TableNextColumn();
    if (e.type == "check") coloredText(colGood, "%s  check", e.when.c_str());
    else textLine(e.when.c_str());
    cellText(e.game);
    cellText(formatString("%.0f", e.dpi));
    cellText(cmOnly ? formatString("%.1f cm", e.current_cm360)
                    : formatString("%.3f  (%.1f cm)", e.current_sens, e.current_cm360));
    ImGui::TableNextColumn();
    if (cmOnly) coloredText(colAccent, "%.1f cm", e.recommended_cm360);
    else coloredText(colAccent, "%.3f  (%.1f cm)", e.recommended_sens, e.recommended_cm360);
    cellText(formatString("%.1f\xE2\x80\x93%.1f  (%s)", e.range_low_cm, e.range_high_cm, e.confidence.c_str()));
    cellText(formatString("%d", static_cast<int>(e.recommended_dpi)));
}

void drawHistoryTable(const App& app, float width) {
    beginCard("histCard", ImVec2(width, 0), colCard);
    if (ImGui::BeginTable("##hist", 7,
                          ImGuiTableFlags_RowBg | ImGuiTableFlags_SizingStretchProp | ImGuiTableFlags_PadOuterX)) {
        for (const char* h : {"When", "Game", "DPI", "Started at", "Recommended", "Likely range (cm/360)",
                              "Perfect DPI"})
            ImGui::TableSetupColumn(h);
        ImGui::TableHeadersRow();
        // Only the rows in view are laid out; the clipper steps over the rest.
        ImGuiListClipper clipper;
        clipper.Begin(static_cast<int>(app.history.size()));
        while (clipper.Step()) {
            for (int row = clipper.DisplayStart; row < clipper.DisplayEnd; ++row)
                drawHistoryRow(app.history[app.history.size() - 1 - static_cast<size_t>(row)]);
        }
        ImGui::EndTable();
    }
    endCard();
}

// The folder in the file manager; when that cannot be done, the screen says so and where
// the folder is, so the player can go there by hand.
void tellDataFolderOutcome(App& app, plat::OpenResult outcome) {
    switch (outcome) {
        case plat::OpenResult::Pending: break;
        case plat::OpenResult::Opened: app.dataFolderNotice.clear(); break;
        case plat::OpenResult::NoOpener:
            app.dataFolderNotice = "Couldn't open the data folder: there is no program here that opens folders. "
                                   "It is at: " + app.dataDir;
            break;
        case plat::OpenResult::Failed:
            app.dataFolderNotice = "Couldn't open the data folder. It is at: " + app.dataDir;
            break;
    }
}

void openDataFolder(App& app) { tellDataFolderOutcome(app, plat::openExternal(app.dataDir, &app.dataFolderOpener)); }

// The opener may fail after it started (no program takes folders); its outcome is picked up
// on a later frame, so the press never waits for it.
void pollDataFolderOpener(App& app) { tellDataFolderOutcome(app, plat::takeOpenerOutcome(app.dataFolderOpener)); }

}  // namespace

std::vector<ImVec2> dayChartPoints(const std::vector<double>& values, ImVec2 p, ImVec2 size) {
    std::vector<ImVec2> points;
    std::vector<double> finite;
    for (double v : values)
        if (std::isfinite(v)) finite.push_back(v);
    if (finite.empty()) return points;
    const double lo = *std::min_element(finite.begin(), finite.end());
    const double hi = *std::max_element(finite.begin(), finite.end());
    const double m = std::max((hi - lo) * 0.25 + std::fabs(hi) * 0.02, 0.000001);
    const double span = hi - lo + 2 * m;
    const float left = p.x + 16 * s, right = p.x + size.x - 16 * s;
    const float bottom = p.y + size.y - 30 * s, top = p.y + 34 * s;
    const size_t n = finite.size();
    points.reserve(n);
    for (size_t k = 0; k < n; ++k) {
        const float x = n == 1 ? (left + right) * 0.5f
                               : left + (right - left) * static_cast<float>(k) / static_cast<float>(n - 1);
        const float y = bottom - static_cast<float>((finite[k] - (lo - m)) / span) * (bottom - top);
        points.emplace_back(x, y);
    }
    return points;
}

namespace {

bool chartsKept = true;

// The line and a dot per point: the bulk of a chart's vertices.
void drawChartShapes(ImDrawList& dl, const std::vector<ImVec2>& points, ImU32 colour) {
    if (points.size() > 1) dl.AddPolyline(points.data(), static_cast<int>(points.size()), colour, 0, 2.5f * s);
    for (const ImVec2& pt : points) dl.AddCircleFilled(pt, 4.5f * s, colour);
}

// One chart's line and dots as they were last built, with everything they were built from:
// the plotted values, where and how large, the colour, and how the window's draw list draws.
struct KeptChart {
    std::vector<double> values;
    ImVec2 p, size;
    float scale = 0;
    ImU32 colour = 0;
    ImDrawListFlags flags = 0;
    ImTextureID texture = nullptr;
    float tessellation = 0;
    ImVec2 whiteUv;
    const ImGuiContext* context = nullptr;
    std::vector<ImVec2> ends;  // the first and last points, for the labels
    size_t points = 0;
    KeptUiGeometry geometry;

    bool same(const std::vector<double>& v, ImVec2 at, ImVec2 sz, ImU32 c, const ImDrawList& dl) const {
        return context == ImGui::GetCurrentContext() && at.x == p.x && at.y == p.y && sz.x == size.x &&
               sz.y == size.y && scale == s && colour == c && flags == dl.Flags &&
               texture == dl._CmdHeader.TextureId && tessellation == ImGui::GetStyle().CircleTessellationMaxError &&
               whiteUv.x == dl._Data->TexUvWhitePixel.x && whiteUv.y == dl._Data->TexUvWhitePixel.y &&
               v.size() == values.size() &&
               (v.empty() || std::memcmp(v.data(), values.data(), v.size() * sizeof(double)) == 0);
    }
};

// Kept per chart title; the nodes stay where they are, as the renderer's copies need.
KeptChart& keptChart(const char* title) {
    static std::unordered_map<std::string, KeptChart> charts;
    return charts[title];
}

}  // namespace

void setDayChartsKept(bool kept) { chartsKept = kept; }

void drawDayChart(const char* title, const std::vector<std::string>& days, const std::vector<double>& values,
                  std::string (*valueLabel)(double), ImVec2 size) {
    const ImVec2 p = ImGui::GetCursorScreenPos();
    ImGui::Dummy(size);
    ImDrawList* dl = ImGui::GetWindowDrawList();
    dl->AddRectFilled(p, ImVec2(p.x + size.x, p.y + size.y), packColour(colChartBg), 10 * s);
    ImFont* smallFont = fontSmall();
    drawListText(dl, smallFont, smallFont->FontSize, ImVec2(p.x + 12 * s, p.y + 8 * s), packColour(colTextDim), title);

    // A day without a value (or a value without a day) is not plotted.
    const std::vector<double> used(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(
                                                                         std::min(values.size(), days.size())));
    const ImU32 accent = packColour(colAccent);
    // The first and last plotted points; the line and dots are drawn on the way.
    ImVec2 first, last;
    size_t n = 0;
    if (chartsKept) {
        // Ten years of days are some hundred thousand vertices: built again only when the
        // chart changes (new values, moved, resized), drawn from the renderer's copy otherwise.
        KeptChart& kept = keptChart(title);
        if (!kept.same(used, p, size, accent, *dl)) {
            const std::vector<ImVec2> points = dayChartPoints(used, p, size);
            keepUiGeometry(kept.geometry, *dl, [&](ImDrawList& list) { drawChartShapes(list, points, accent); });
            kept.values = used;
            kept.p = p;
            kept.size = size;
            kept.scale = s;
            kept.colour = accent;
            kept.flags = dl->Flags;
            kept.texture = dl->_CmdHeader.TextureId;
            kept.tessellation = ImGui::GetStyle().CircleTessellationMaxError;
            kept.whiteUv = dl->_Data->TexUvWhitePixel;
            kept.context = ImGui::GetCurrentContext();
            kept.points = points.size();
            kept.ends.clear();
            if (!points.empty()) kept.ends = {points.front(), points.back()};
        }
        n = kept.points;
        if (n > 0) {
            drawKeptUiGeometry(*dl, kept.geometry);
            first = kept.ends[0];
            last = kept.ends[1];
        }
    } else {
        const std::vector<ImVec2> points = dayChartPoints(used, p, size);
        drawChartShapes(*dl, points, accent);
        n = points.size();
        if (n > 0) {
            first = points.front();
            last = points.back();
        }
    }
    if (n == 0) return;

    // The values of the first and last points: the first and last finite ones.
    size_t firstAt = 0, lastAt = used.size() - 1;
    while (!std::isfinite(used[firstAt])) ++firstAt;
    while (!std::isfinite(used[lastAt])) --lastAt;
    const float bottom = p.y + size.y - 30 * s;
    const ImVec2 ends[2] = {first, last};
    const size_t at[2] = {firstAt, lastAt};
    for (size_t e = 0; e < (n > 1 ? 2u : 1u); ++e) {
        const ImVec2 pt = ends[e];
        drawListText(dl, smallFont, smallFont->FontSize, ImVec2(pt.x - 10 * s, pt.y - 22 * s), packColour(colText),
                     valueLabel(used[at[e]]).c_str());
        const std::string& day = days[at[e]];
        // A "%Y-%m-%d" day shows as month-day.
        const std::string shortDay = day.size() >= 10 ? day.substr(5) : day;
        drawListText(dl, smallFont, smallFont->FontSize, ImVec2(pt.x - 16 * s, bottom + 8 * s), packColour(colTextDim),
                     shortDay.c_str());
    }
}

void drawHistoryScreen(App& app) {
    ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + contentWidth);
    sectionHeading("History",
                   "Every Sensitivity Finder and Sens Check result. If they agree with each other, you can trust them.");
    ImGui::PopTextWrapPos();
    const float W = contentWidth;
    const GameInfo& game = app.currentGame();
    drawCombinedCard(app, game, 0.36f * W);
    ImGui::SameLine(0, 18 * s);
    drawProgressCard(app, game, 0.64f * W - 18 * s);

    verticalGap(6 * s);
    if (app.history.empty()) dimText("%s", "No results yet.");
    else drawHistoryTable(app, W);

    verticalGap(8 * s);
    if (plainButton("Back", ImVec2(140 * s, 46 * s))) app.screen = ScreenHome;
    ImGui::SameLine();
    if (plainButton("Open data folder", ImVec2(200 * s, 46 * s))) openDataFolder(app);
    pollDataFolderOpener(app);
    if (!app.dataFolderNotice.empty()) {
        ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + W);
        coloredText(colWarn, "%s", app.dataFolderNotice.c_str());
        ImGui::PopTextWrapPos();
    }
}
