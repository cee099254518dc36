// The "Measure your real DPI" screen: slides of a known distance along a ruler, held in a
// pad, give the mouse's true counts per inch.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/catalog/catalog.h"
#include "core/catalog/format.h"
#include "core/profile/app.h"
#include "ui/kit.h"
#include "ui/screens.h"

namespace {

struct RulerDistance {
    const char* label;
    double inches;
};
constexpr RulerDistance kDistances[5] = {
    {"5 cm", 5 / kCmPerInch}, {"10 cm", 10 / kCmPerInch}, {"15 cm", 15 / kCmPerInch}, {"4 inches", 4}, {"6 inches", 6}};

constexpr int32_t kCommonDpi[8] = {400, 800, 1000, 1200, 1600, 2000, 3200, 6400};

// Shorter slides are a twitch of the hand, not a measurement.
constexpr double kMinSlideCounts = 30;

// The DPI range the rest of the program accepts; settings.ini drops anything outside it.
constexpr double kMinDpi = 50;
constexpr double kMaxDpi = 64000;

double slideCounts(const App& app) {
    return std::hypot(static_cast<double>(app.dpiCountsX), static_cast<double>(app.dpiCountsY));
}

void drawPad(App& app) {
    const ImVec2 size(contentWidth, 200 * s);
    ImGui::InvisibleButton("##pad", size);
    if (ImGui::IsItemActivated()) {
        app.dpiMeasuring = true;
        app.dpiCountsX = 0;
        app.dpiCountsY = 0;
    }
    if (ImGui::IsItemDeactivated() && app.dpiMeasuring) {
        app.dpiMeasuring = false;
        const double d = slideCounts(app);
        if (d > kMinSlideCounts) app.dpiTries.push_back(d / kDistances[app.dpiDistanceIndex].inches);
    }
    const bool held = ImGui::IsItemActive() && app.dpiMeasuring;
    const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
    ImDrawList* dl = ImGui::GetWindowDrawList();
    dl->AddRectFilled(min, max, packColour(held ? ImVec4(0.06f, 0.22f, 0.26f, 0.95f) : colCard), 12 * s);
    dl->AddRect(min, max, held ? packColour(colAccent) : packColour(ImVec4(1, 1, 1, 0.12f)), 12 * s, 0, 2 * s);
    const ImVec2 centre((min.x + max.x) * 0.5f, (min.y + max.y) * 0.5f);
    if (held)
        drawShadowText(dl, fontSemibold(), centre, packColour(colAccent),
                       formatString("Measuring...   %lld counts", static_cast<long long>(std::llround(slideCounts(app))))
                           .c_str());
    else
        drawShadowText(dl, fontSemibold(), centre, packColour(colTextDim), "Hold left mouse button here");
}

void leave(App& app) {
    app.dpiMeasuring = false;
    app.screen = app.dpiReturnScreen;
}

void drawTries(App& app) {
    const std::vector<double>& tries = app.dpiTries;
    if (tries.empty()) {
        dimText("%s", "No measurements yet.");
        return;
    }
    for (size_t i = 0; i < tries.size(); ++i) {
        if (i > 0) ImGui::SameLine(0, 24 * s);
        textLine(formatString("#%d: %.0f", static_cast<int>(i + 1), tries[i]).c_str());
    }
    const double n = static_cast<double>(tries.size());
    double sum = 0;
    for (double t : tries) sum += t;
    const double m = sum / n;
    double sd = 0;
    if (tries.size() > 1) {
        double squares = 0;
        for (double t : tries) squares += (t - m) * (t - m);
        sd = std::sqrt(squares / (n - 1));
    }
    ImGui::PushFont(fontTitle());
    coloredText(colAccent, "%.0f DPI", m);
    ImGui::PopFont();
    // A tie keeps the earlier, lower setting.
    int32_t closest = kCommonDpi[0];
    for (int32_t c : kCommonDpi)
        if (std::fabs(c - m) < std::fabs(closest - m)) closest = c;
    dimText("Spread between tries: +-%.0f. Closest common setting: %d (yours is %+.1f%% off).", sd,
            static_cast<int>(closest), (m / closest - 1) * 100);
    if (sd > 0.03 * m)
        coloredText(colWarn, "Tries differ by more than 3%% \xE2\x80\x94 go slowly and keep the mouse straight along the "
                             "ruler.");
    if (primaryButton(formatString("USE %.0f DPI###dpiuse", m).c_str(), ImVec2(240 * s, 48 * s))) {
        app.dpi = std::clamp(static_cast<double>(std::lround(m)), kMinDpi, kMaxDpi);
        app.saveSettings();
        app.screen = app.dpiReturnScreen;
        return;
    }
    ImGui::SameLine();
    if (plainButton("Clear", ImVec2(120 * s, 48 * s))) app.dpiTries.clear();
    ImGui::SameLine();
}

}  // namespace

void drawMeasureDpiScreen(App& app) {
    if (app.dpiDistanceIndex < 0 || app.dpiDistanceIndex > 4) app.dpiDistanceIndex = 1;
    ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + contentWidth);
    sectionHeading("Measure your real DPI",
                   "Mouse DPI is often 2-10% off what the software says. Measuring it makes every cm/360 number "
                   "physically exact. (Your recommended in-game sens is correct either way \xE2\x80\x94 it is measured "
                   "in the same counts your game sees.)");
    ImGui::PopTextWrapPos();

    cardTitle("1. Put a ruler on your mousepad and pick a distance");
    for (int32_t i = 0; i < 5; ++i) {
        if (i > 0) ImGui::SameLine();
        if (styledRadioButton(kDistances[i].label, app.dpiDistanceIndex == i)) app.dpiDistanceIndex = i;
    }
    verticalGap(8 * s);
    cardTitle("2. Hold LEFT click in the box, slide exactly that far in a straight line, release");
    drawPad(app);
    verticalGap(8 * s);
    cardTitle("3. Repeat 3 times");

    const int32_t screenBefore = app.screen;
    drawTries(app);
    if (app.screen != screenBefore) return;
    if (plainButton("Back", ImVec2(120 * s, 48 * s))) leave(app);
}
