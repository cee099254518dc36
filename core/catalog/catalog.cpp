#include "core/catalog/catalog.h"

#include <cmath>
#include <cstring>
#include <numbers>

#include "core/catalog/format.h"
#include "platform/base/text.h"

namespace {

std::vector<GameInfo>& catalogStorage() {
    static std::vector<GameInfo> rows = {
        {"cs2", "Counter-Strike 2", 0.022, 2, 0.01, 8, 106.26, 0, 40, "", GameKindYaw},
        {"valorant", "VALORANT", 0.07, 3, 0.01, 10, 103, 0, 40, "", GameKindYaw},
        {"apex", "Apex Legends", 0.022, 2, 0.1, 20, 110, 2, 32, "", GameKindYaw},
        {"ow2", "Overwatch 2", 0.0066, 2, 1, 100, 103, 2, 30, "", GameKindYaw},
        {"fortnite", "Fortnite", 0.005555, 1, 0.1, 100, 90, 1, 30, "%", GameKindYaw},
        {"cod", "Call of Duty (MW / BO6 / Warzone)", 0.0066, 2, 0.01, 100, 96, 1, 35, "", GameKindYaw},
        {"tf2", "Team Fortress 2", 0.022, 2, 0.01, 20, 106.26, 1, 30, "", GameKindYaw},
        {"titanfall2", "Titanfall 2", 0.022, 2, 0.1, 20, 110, 2, 30, "", GameKindYaw},
        {"quake", "Quake Champions / Quake Live", 0.022, 3, 0.01, 20, 115, 2, 28, "", GameKindYaw},
        {"reforger", "Arma Reforger", 0, 2, 0.1, 2, 103, 0, 45, "", GameKindCalibrated},
        {"custom", "Other game (enter its yaw)", 0.022, 3, 0.0001, 100000, 103, 1, 35, "", GameKindUserYaw},
        {"cm360", "No game - just give me cm/360", 0, 1, 1, 300, 103, 1, 35, " cm", GameKindCm360},
    };
    return rows;
}

int32_t shownDecimals(int32_t decimals) { return decimals < 0 ? 3 : decimals; }

}  // namespace

const std::vector<GameInfo>& gameCatalog() { return catalogStorage(); }

const GameInfo& gameRowOrDefault(int32_t index) {
    const std::vector<GameInfo>& rows = gameCatalog();
    if (index >= 0 && static_cast<size_t>(index) < rows.size()) return rows[static_cast<size_t>(index)];
    return rows[1];
}

int32_t gameIndexById(const std::string& id) {
    const std::vector<GameInfo>& rows = gameCatalog();
    for (size_t i = 0; i < rows.size(); ++i)
        if (id == rows[i].id) return static_cast<int32_t>(i);
    return 0;
}

void setCalibratedYaw(const std::string& id, double yaw) {
    for (GameInfo& row : catalogStorage())
        if (row.kind == GameKindCalibrated && id == row.id) row.yaw = yaw > 0 ? yaw : 0;
}

void resetCalibratedYaws() {
    for (GameInfo& row : catalogStorage())
        if (row.kind == GameKindCalibrated) row.yaw = 0;
}

double cm360FromSens(double yaw, double sens, double dpi) {
    if (yaw <= 0 || sens <= 0 || dpi <= 0) return 0;
    return kCm360Factor / (yaw * sens * dpi);
}

double sensFromCm360(double yaw, double cm360, double dpi) {
    if (yaw <= 0 || cm360 <= 0 || dpi <= 0) return 0;
    return kCm360Factor / (yaw * cm360 * dpi);
}

std::string formatSens(double value, int32_t decimals) {
    return formatString("%.*f", static_cast<int>(shownDecimals(decimals)), value);
}

std::string formatGameSens(const GameInfo& row, double yaw, double cm360, double dpi) {
    if (row.kind == GameKindCm360) return formatString("%.*f cm/360", 1, cm360);
    if (yaw <= 0) return "calibrate first";
    return formatSens(sensFromCm360(yaw, cm360, dpi), row.decimals) + row.suffix;
}

const char* speedWord(double cm360) {
    if (cm360 < 20) return "very fast";
    if (cm360 < 28) return "fast";
    if (cm360 < 42) return "medium";
    if (cm360 < 60) return "slow";
    return "very slow";
}

StyleWeights styleWeights(int32_t style) {
    if (style == 0) return {0.65, 0.35};
    if (style == 2) return {0.35, 0.65};
    return {0.5, 0.5};
}

int32_t gameStyle(const GameInfo& row, int32_t styleOverride) {
    if (std::strcmp(row.id, "reforger") == 0) return 3;
    int32_t style = styleOverride < 0 ? row.defaultStyle : styleOverride;
    if (style == 0 || style == 2) return style;
    return 1;
}

const char* styleName(int32_t style) {
    if (style == 0) return "Tactical (flick-heavy)";
    if (style == 2) return "Tracking-heavy";
    return "Balanced";
}

PerfectDpiAdvice perfectDpi(const GameInfo& row, double yaw, double cm360, double fovDegrees, int32_t screenWidth) {
    const double w = screenWidth < 320 ? 1920.0 : static_cast<double>(screenWidth);
    // The tangent term of 103 degrees stands in for a FOV outside 30..170 (or not a number).
    double f = 2.514344597837909;
    if (fovDegrees >= 30 && fovDegrees <= 170) f = 2 * std::tan(fovDegrees * std::numbers::pi / 360.0);
    const double pixelDeg = std::atan(f / w) * 180.0 / std::numbers::pi;
    const bool noYaw = row.kind == GameKindCm360 || yaw <= 0;

    PerfectDpiAdvice advice;
    for (int32_t d : {400, 800, 1600, 3200}) {
        DpiOption o;
        o.dpi = d;
        if (cm360 > 0) {
            o.degPerCount = kCm360Factor / (d * cm360);
            o.pxPerCount = o.degPerCount / pixelDeg;
        }
        if (noYaw) {
            o.sens = cm360;
            o.inRange = true;
        } else {
            o.sens = cm360 > 0 ? kCm360Factor / (d * yaw * cm360) : 0;
            o.inRange = 0.999 * row.sensMin <= o.sens && o.sens <= 1.001 * row.sensMax;
        }
        if (o.pxPerCount > 1)
            o.verdict = "skips pixels";
        else if (o.pxPerCount > 0.5)
            o.verdict = "ok at hipfire";
        else
            o.verdict = "smooth, even scoped";
        advice.options.push_back(o);
    }

    // options: [0] 400, [1] 800, [2] 1600, [3] 3200. 400 is never advised.
    int chosen = -1;
    for (int i = 1; i <= 3 && chosen < 0; ++i)
        if (advice.options[i].pxPerCount <= 0.5 && advice.options[i].inRange) chosen = i;
    for (int i = 3; i >= 1 && chosen < 0; --i)
        if (advice.options[i].inRange) chosen = i;
    if (chosen < 0) chosen = 1;

    DpiOption& best = advice.options[chosen];
    best.recommended = true;
    advice.recommendedDpi = best.dpi;
    if (best.pxPerCount <= 0.5)
        advice.message = formatString(
            "At %d DPI each mouse count turns you %.4f deg, which is %.2f of a pixel at your resolution and FOV. "
            "No pixel skipping, even when zoomed in about 2x. That gives you smooth micro-adjusts without making "
            "your desktop cursor too fast.",
            best.dpi, best.degPerCount, best.pxPerCount);
    else
        advice.message = formatString(
            "%d DPI is the finest step this game's sens range allows for your cm/360 (%.2f pixels per count at "
            "hipfire).",
            best.dpi, best.pxPerCount);
    return advice;
}

double fovMatchPercent(double multiplier, double fovDegrees) {
    const double t = std::tan(fovDegrees * std::numbers::pi / 360.0);
    const double r = 0.25 * multiplier;
    auto ratio = [t](double m) { return m < 1e-9 ? 0.25 : std::atan(0.25 * t * m) / std::atan(t * m); };
    if (0.995 * 0.25 > r) return -1;
    if (0.25 >= r) return 0;
    if (r >= ratio(20)) return 999;
    double lo = 0, hi = 20;
    for (int step = 0; step < 60; ++step) {
        double mid = (lo + hi) / 2;
        if (r > ratio(mid))
            lo = mid;
        else
            hi = mid;
    }
    return 50 * (lo + hi);
}

std::string wideCStrToUtf8(const char16_t* text) {
    if (!text || !*text) return std::string();
    return plat::utf16ToUtf8(std::u16string(text));
}
