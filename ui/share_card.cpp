// The share card: the result drawn once over everything, centred on the display, and its
// rectangle handed to the image writer, which reads those pixels back after the UI is
// rendered.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/profile/app.h"
#include "ui/kit.h"
#include "ui/results.h"
#include "ui/screens.h"

ShareCardRect shareCardRect(float displayWidth, float displayHeight, float scale) {
    ShareCardRect r;
    // The 20 is a margin in pixels, not scaled; a tiny display leaves no card at all.
    r.w = std::max(0.0f, std::floor(std::min(displayWidth - 20, 1000 * scale)));
    r.h = std::max(0.0f, std::floor(std::min(displayHeight - 20, 540 * scale)));
    r.x = std::floor((displayWidth - r.w) / 2);
    r.y = std::floor((displayHeight - r.h) / 2);
    return r;
}

namespace {

void drawMiniCurve(ImDrawList* dl, const AnalysisResult& a, float x, float y, float cw, float ch) {
    const CurveFit& fit = a.fit;
    const float left = x + 0.62f * cw, right = x + cw - 48 * s;
    const float top = y + 0.42f * ch, bottom = y + ch - 90 * s;
    const double lo = fit.xMin - 0.1, hi = fit.xMax + 0.1, span = hi - lo;
    if (!(span > 0)) return;
    double xs[61], ys[61];
    double ymin = 1e9, ymax = -1e9;
    for (int j = 0; j <= 60; ++j) {
        xs[j] = lo + j * span / 60;
        const double d = xs[j] - fit.xMean;
        ys[j] = fit.c0 + fit.c1 * d + fit.c2 * d * d;
        ymin = std::min(ymin, ys[j]);
        ymax = std::max(ymax, ys[j]);
    }
    const double r = std::max(ymax - ymin, 1e-6);
    ImVec2 points[61];
    for (int j = 0; j <= 60; ++j)
        points[j] = ImVec2(left + static_cast<float>((hi - xs[j]) / span) * (right - left),
                           bottom - static_cast<float>((ys[j] - ymin) / r) * (bottom - top));
    dl->AddPolyline(points, 61, withAlpha(colAccent, 0.8f), 0, 3 * s);
    if (a.recommendedCm360 > 0) {
        const float mx = left + static_cast<float>((hi - std::log(a.recommendedCm360)) / span) * (right - left);
        dl->AddLine(ImVec2(mx, bottom), ImVec2(mx, top - 10 * s), packColour(colAccent), 2 * s);
    }
}

}  // namespace

void drawShareCard(App& app) {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const ShareCardRect card = shareCardRect(display.x, display.y, s);
    app.shareCaptureRect[0] = static_cast<int32_t>(card.x);
    app.shareCaptureRect[1] = static_cast<int32_t>(card.y);
    app.shareCaptureRect[2] = static_cast<int32_t>(card.w);
    app.shareCaptureRect[3] = static_cast<int32_t>(card.h);
    app.shareCapturePending = true;
    // No area: the writer finds nothing to read back and says so.
    if (card.w <= 0 || card.h <= 0) return;

    const GameInfo& row = resultGameRow(app);
    const AnalysisResult& a = app.analysis;
    const bool cmOnly = row.kind == GameKindCm360;
    const double rec = a.recommendedCm360;
    const double dpi = app.resultConfig.dpi;
    const float x = card.x, y = card.y, cw = card.w, ch = card.h;
    const float L = x + 48 * s;
    ImDrawList* dl = ImGui::GetForegroundDrawList();

    dl->AddRectFilledMultiColor(ImVec2(x, y), ImVec2(x + cw, y + ch), IM_COL32(10, 40, 48, 255),
                                IM_COL32(12, 18, 26, 255), IM_COL32(8, 10, 14, 255), IM_COL32(8, 28, 34, 255));
    dl->AddRect(ImVec2(x, y), ImVec2(x + cw, y + ch), withAlpha(colAccent, 0.6f), 0, 0, 2 * s);

    ImFont* title = fontTitle();
    const float titleSize = title->FontSize;
    drawListWordmark(dl, title, titleSize, ImVec2(L, y + 36 * s));

    ImFont* body = fontBody();
    const float bodySize = body->FontSize;
    const float y2 = y + 36 * s + titleSize + 26 * s;
    const std::string caption = formatString("MY %s SENSITIVITY", cmOnly ? "BEST" : row.name);
    drawListText(dl, body, bodySize, ImVec2(L, y2), packColour(colTextDim), caption.c_str());

    ImFont* hero = fontHero();
    const float heroSize = hero->FontSize * 1.35f;
    const float y3 = y2 + bodySize + 4 * s;
    const std::string value =
        cmOnly ? formatString("%.1f cm/360", rec) : formatGameSens(row, app.resultYaw, rec, dpi);
    drawListText(dl, hero, heroSize, ImVec2(L, y3), packColour(colAccent), value.c_str());

    ImFont* semibold = fontSemibold();
    const float semiSize = semibold->FontSize;
    const float y4 = y3 + heroSize + 12 * s;
    std::string figures = formatString("%.1f cm/360   \xC2\xB7   %.0f DPI", rec, dpi);
    // eDPI needs the game's own value, which an unknown yaw does not give.
    if (!cmOnly && app.resultYaw > 0)
        figures += formatString("   \xC2\xB7   eDPI %.0f", dpi * sensFromCm360(app.resultYaw, rec, dpi));
    drawListText(dl, semibold, semiSize, ImVec2(L, y4), packColour(colText), figures.c_str());

    const float y5 = y4 + semiSize + 14 * s;
    const PerfectDpiAdvice advice = perfectDpi(row, app.resultYaw, rec, app.resultConfig.hFov, app.width);
    const std::string detail =
        formatString("Perfect DPI %d   \xC2\xB7   %s confidence   \xC2\xB7   range %.1f\xE2\x80\x93%.1f cm/360",
                     static_cast<int>(advice.recommendedDpi), a.confidence.c_str(), a.lowCm360, a.highCm360);
    drawListText(dl, body, bodySize, ImVec2(L, y5), packColour(colTextDim), detail.c_str());

    if (!app.sensChecks.empty() && app.sensChecks.back().confirmed) {
        const char* badge = "CONFIRMED BY SENS CHECK";
        const ImVec2 t = textSize(semibold, semiSize, badge);
        const ImVec2 b0(x + cw - 48 * s - t.x - 28 * s, y + 40 * s);
        const ImVec2 b1(b0.x + t.x + 28 * s, b0.y + t.y + 14 * s);
        dl->AddRectFilled(b0, b1, withAlpha(colGood, 0.18f), 999.0f);
        drawListText(dl, semibold, semiSize, ImVec2(b0.x + 14 * s, b0.y + 7 * s), packColour(colGood), badge);
    }

    if (a.valid && a.fit.ok) drawMiniCurve(dl, a, x, y, cw, ch);

    const std::string footer = formatString("Found with Tarvion - %d blind flick + tracking rounds",
                                            static_cast<int>(a.rounds.size()));
    ImFont* smallFont = fontSmall();
    drawListText(dl, smallFont, smallFont->FontSize, ImVec2(L, y + ch - 40 * s), packColour(colTextDim), footer.c_str());
}
