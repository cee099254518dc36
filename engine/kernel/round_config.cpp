#include "engine/kernel/round_config.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "core/catalog/angles.h"
#include "engine/kernel/session.h"

namespace {
const std::array<DrillStyle, StyleCount> kStyles = {{
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

const std::array<DrillStyle, StyleCount>& drillStyles() { return kStyles; }

const DrillStyle& drillStyleText(int32_t style) {
    return (style >= 0 && style < StyleCount) ? kStyles[static_cast<std::size_t>(style)] : kStyles[StyleBalanced];
}

double trackSpeedFactor(int32_t setting) {
    if (setting <= 0) return 1.0;
    return setting == 1 ? 1.3 : 1.6;
}

RoundConfig makeRoundConfig(const TestSession& session) {
    const SessionConfig& c = session.config;
    const TestPlan& plan = testPlan(c.length);
    RoundConfig cfg;
    cfg.style = c.style;
    cfg.zoom = c.zoom;
    cfg.scopeRadius = 0;
    cfg.trackSpeed = c.trackSpeed;
    cfg.dpi = c.dpi;
    cfg.hFov = c.hFov;
    cfg.vFov = c.vFov;
    cfg.introSeconds = 2.4;
    cfg.targetTimeout = 3.5;

    const int32_t i = session.nextRound;
    const bool inList = i >= 0 && i < static_cast<int32_t>(session.rounds.size());
    const SessionRound round = inList ? session.rounds[static_cast<std::size_t>(i)] : SessionRound{};
    cfg.cm360 = round.cm360;

    // Unsigned arithmetic wraps, as the seed mixing wants.
    const uint64_t index = static_cast<uint64_t>(static_cast<int64_t>(i) + session.seedOffset);
    cfg.seed = c.seed;
    cfg.roundSeed = index * 7919u + c.seed * 1000003u + 1u;

    if (round.stage != StageWarmUp) {
        cfg.extraTargets = plan.extraTargets;
        cfg.flickTargets = plan.flickTargets;
        cfg.leadIn = plan.leadIn;
        cfg.trackSeconds = plan.trackSeconds;
    } else if (session.rebuilt) {
        cfg.extraTargets = 0;
        cfg.flickTargets = 8;
        cfg.leadIn = 0.5;
        cfg.trackSeconds = 6.0;
    } else {
        cfg.extraTargets = 0;
        cfg.flickTargets = 10;
        cfg.leadIn = 0.5;
        cfg.trackSeconds = 7.0;
        cfg.seed = c.seed + 777;  // the warm-up never repeats the layout of a scored round
    }
    return cfg;
}

RoundConfig makePracticeConfig(double cm360, double dpi, int32_t style, int32_t trackSpeedSetting, bool tutorial,
                               uint64_t seed) {
    RoundConfig cfg;
    cfg.cm360 = cm360;
    cfg.dpi = dpi;
    cfg.style = style;
    cfg.trackSpeed = trackSpeedFactor(trackSpeedSetting);
    if (tutorial) {
        cfg.extraTargets = 0;
        cfg.flickTargets = 6;
        cfg.leadIn = 0.5;
        cfg.trackSeconds = 8.0;
    } else {
        cfg.extraTargets = 2;
        cfg.flickTargets = 18;
        cfg.leadIn = 1.0;
        cfg.trackSeconds = 12.0;
    }
    cfg.seed = seed;
    cfg.roundSeed = seed * 7u + 3u;
    return cfg;
}

void applyRoundView(RoundConfig& config, double windowFov, double verticalFov, int32_t width, int32_t height) {
    const double zoom = config.zoom;
    if (zoom > 1) {
        config.hFov = 2 * std::atan(std::tan(windowFov * kDegToRad / 2) / zoom) / kDegToRad;
        config.vFov = 2 * std::atan(std::tan(verticalFov * kDegToRad / 2) / zoom) / kDegToRad;
        // The scope circle fills 92 % of the window's shorter side.
        const double h = height > 0 ? static_cast<double>(height) : 1.0;
        const double side = static_cast<double>(std::min(width, height));
        config.scopeRadius = std::atan(side * 0.46 / (h * 0.5) * std::tan(config.vFov * kDegToRad / 2)) / kDegToRad;
    } else {
        config.hFov = windowFov;
        config.vFov = verticalFov;
    }
}

double estimateMinutes(int32_t length) {
    const TestPlan& plan = testPlan(length);
    const double perRound =
        (plan.flickTargets + plan.extraTargets) * 0.85 + 2.4 + 1 + plan.leadIn + plan.trackSeconds + 3;
    const double rounds = static_cast<double>(plan.stageOne.size() + plan.stageTwo.size());
    return (perRound * rounds + 30) / 60;
}
