#include "engine/round_config.h"

#include <cstddef>

namespace {
const std::array<DrillStyle, 4> kStyles = {{
    {"Tactical", "Small heads, short ADAD strafes \u2014 like VALORANT / CS2.", 1.05, 0.72, 4, 34, 2.0, 6, 22, 0.2,
     0.8, 0.8, 0.2, 0.06, 0.8, 0.03},
    {"Balanced", "Mid-size targets and steady strafes \u2014 like CoD / Fortnite.", 1.3, 0.85, 5, 40, 2.2, 9, 30, 0.35,
     1.3, 0.7, 0.12, 0.11, 2.6, 0.08},
    {"Tracking", "Bigger bodies that strafe, jump and slide \u2014 like Apex / Overwatch.", 1.5, 1.0, 6, 44, 2.4, 12,
     34, 0.3, 1.1, 0.65, 0.08, 0.09, 3.2, 0.18},
    {"Mil-sim", "Small targets at range, slow movement, precise flicks \u2014 like Arma Reforger.", 0.95, 0.68, 3, 28,
     2.0, 4, 15, 0.8, 2.2, 0.5, 0.2, 0.2, 0.6, 0.0},
}};
}  // namespace

const std::array<DrillStyle, 4>& drillStyles() { return kStyles; }

const DrillStyle& drillStyleText(int32_t style) {
    return (style >= 0 && style < 4) ? kStyles[static_cast<std::size_t>(style)] : kStyles[StyleBalanced];
}

double trackSpeedFactor(int32_t setting) {
    if (setting <= 0) return 1.0;
    return setting == 1 ? 1.3 : 1.6;
}

RoundConfig makeRoundConfig(const TestSession&) { return RoundConfig{}; }

RoundConfig makePracticeConfig(double, double, int32_t, int32_t, bool, uint64_t) { return RoundConfig{}; }

void applyRoundView(RoundConfig&, double, double, int32_t, int32_t) {}

double estimateMinutes(int32_t) { return 0; }
