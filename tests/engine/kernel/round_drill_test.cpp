// The building blocks of a drill round: view, flick plan, target placement, shots, movement
// analysis, round statistics.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/kernel/drill_round.h"
#include "engine/kernel/rng.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// A round whose flick phase has just begun (intro 0), first target live.
DrillRound flickingRound(RoundConfig cfg = {}) {
    cfg.introSeconds = 0;
    DrillRound r;
    r.setupRound(cfg, 0);
    r.updateRound(0);
    r.events.clear();
    return r;
}

// ---- Geometry and view -----------------------------------------------------

TEST(RoundView, AimDirectionLooksAlongMinusZ) {
    struct Case {
        double yaw, pitch;
        float x, y, z;
    };
    const Case cases[] = {{0, 0, 0, 0, -10}, {90, 0, 10, 0, 0}, {-90, 0, -10, 0, 0},
                          {0, 90, 0, 10, 0}, {180, 0, 0, 0, 10}, {450, 0, 10, 0, 0}};
    for (const Case& c : cases) {
        Float3 p = aimDirection(c.yaw, c.pitch);
        EXPECT_NEAR(p.x, c.x, 1e-5) << c.yaw << "," << c.pitch;
        EXPECT_NEAR(p.y, c.y, 1e-5);
        EXPECT_NEAR(p.z, c.z, 1e-5);
    }
}

TEST(RoundView, AngleBetweenDirections) {
    struct Case {
        double y1, p1, y2, p2, want;
    };
    const Case cases[] = {{0, 0, 30, 0, 30},   {0, 0, 0, -45, 45},  {10, 0, 370, 0, 0},
                          {0, 0, 180, 0, 180}, {0, 60, 180, 60, 60}, {0, 0, 1e-7, 0, 1e-7}};
    for (const Case& c : cases) EXPECT_NEAR(angleBetween(c.y1, c.p1, c.y2, c.p2), c.want, 1e-9);
}

TEST(RoundView, WrapYawIntoHalfOpenRange) {
    const std::pair<double, double> cases[] = {{0, 0}, {180, -180}, {-180, -180}, {190, -170}, {725, 5}, {-725, -5}};
    for (auto [in, want] : cases) EXPECT_NEAR(wrapYaw(in), want, 1e-9) << in;
}

TEST(RoundView, MouseCountsTurnTheView) {
    struct Case {
        double cm360, dpi, dx, dy;
        double yaw, pitch;
    };
    // 914.4 / (cm360 x dpi) degrees per count; yaw right, pitch up for a negative dy.
    const Case cases[] = {
        {35, 800, 100, 0, 100 * 914.4 / 28000, 0},
        {35, 800, 0, -200, 0, 200 * 914.4 / 28000},
        {0.2, 0, 0.01, 0, 0.01 * 914.4 / 0.5, 0},  // floors: cm360 0.5, dpi 1
        {10, 400, 0, 100000, 0, -89},
        {10, 400, -3000, -100000, -3000 * 914.4 / 4000, 89},
    };
    for (const Case& c : cases) {
        RoundConfig cfg;
        cfg.cm360 = c.cm360;
        cfg.dpi = c.dpi;
        DrillRound r;
        r.setupRound(cfg, 0);
        r.applyMouse(c.dx, c.dy);
        EXPECT_NEAR(r.yaw, c.yaw, 1e-9);
        EXPECT_NEAR(r.pitch, c.pitch, 1e-9);
    }
}

TEST(RoundView, SensMultiplierScalesAndDoneIgnoresInput) {
    DrillRound r;
    r.setupRound(RoundConfig{}, 0);
    EXPECT_EQ(r.sensMultiplier, 1);
    r.sensMultiplier = 0.5;
    r.applyMouse(100, 0);
    EXPECT_NEAR(r.yaw, 50 * r.degPerCount, 1e-12);
    r.phase = DrillDone;
    r.applyMouse(100, 100);
    EXPECT_NEAR(r.yaw, 50 * r.degPerCount, 1e-12);
    EXPECT_EQ(r.pitch, 0);
}

// ---- Flick plan ------------------------------------------------------------

TEST(RoundPlan, SingleTargetFollowsTheSeedExpressions) {
    // One scored and one extra target: every draw is checked against its own generator.
    for (uint64_t seed : {1ull, 2ull, 999ull, 0xFFFFFFFFFFFFull}) {
        RoundConfig cfg;
        cfg.seed = seed;
        cfg.roundSeed = seed * 3 + 1;
        cfg.flickTargets = 1;
        cfg.extraTargets = 1;
        DrillRound r;
        r.setupRound(cfg, 0);
        ASSERT_EQ(r.spots.size(), 2u);

        const double maxD = std::min(0.78 * 103 / 2, 40.0), minD = 5;  // Balanced, hip fire
        Rng a(seed * 0x9E3779B1ull + 17);
        double u1 = a.uniform(), u2 = a.uniform(), u3 = a.uniform();
        double h = u2 < 0.7 ? 60 * u3 - 30 : (37 * a.uniform() + 38) * (u3 < 0.5 ? -1 : 1);
        double angle = a.uniform() < 0.5 ? 180 - h : h;
        Rng b(cfg.roundSeed * 0x9E3779B97F4A7C15ull + 3);
        if (b.uniform() < 0.5) angle = 180 - angle;  // a list of one shuffles without a draw
        double e = 70 * b.uniform() - 35;
        double extraAngle = b.uniform() < 0.5 ? 180 - e : e;

        const FlickSpot& extra = r.spots[0];
        EXPECT_FALSE(extra.scored);
        EXPECT_EQ(extra.distance, 16);
        EXPECT_EQ(extra.radius, 1.3);
        EXPECT_NEAR(extra.angle, extraAngle, 1e-12);

        const FlickSpot& s = r.spots[1];
        EXPECT_TRUE(s.scored);
        EXPECT_NEAR(s.distance, minD * std::sqrt(maxD / minD) * (1 + 0.1 * u1 - 0.05), 1e-12);
        EXPECT_EQ(s.radius, 1.3);
        EXPECT_NEAR(s.angle, angle, 1e-12);
    }
}

TEST(RoundPlan, ShapeOfThePlan) {
    struct Case {
        int32_t style, extra, flick;
        double zoom, scope;
    };
    const Case cases[] = {{0, 3, 16, 1, 0}, {2, 0, 7, 1, 0}, {3, 8, 20, 4, 9.2}, {1, 2, 0, 1, 0}, {-4, 1, 5, 4, 3}};
    for (const Case& c : cases) {
        RoundConfig cfg;
        cfg.style = c.style;
        cfg.extraTargets = c.extra;
        cfg.flickTargets = c.flick;
        cfg.zoom = c.zoom;
        cfg.scopeRadius = c.scope;
        cfg.seed = 1234 + static_cast<uint64_t>(c.flick);
        DrillRound r;
        r.setupRound(cfg, 0);
        const DrillStyle& s = drillStyleText(c.style);
        const double k = c.zoom > 1 ? 1.3 / c.zoom : 1;
        const int n = std::max(1, c.flick);
        SCOPED_TRACE(c.style);
        EXPECT_EQ(r.targetScale, k);
        EXPECT_NEAR(r.orbRadius, s.orbRadius * k, 1e-12);
        ASSERT_EQ(static_cast<int>(r.spots.size()), c.extra + n);

        double maxD = std::min(0.78 * cfg.hFov / 2, s.maxDist);
        if (c.scope > 0) maxD = std::min(maxD, 0.8 * c.scope);
        maxD = std::max(maxD, 14 * k);
        double minD = s.minDist * (k < 1 ? 1.2 * k : 1);
        const double extraDist[] = {16, 26, 11, 21, 8, 30};
        int big = 0, smallCount = 0;
        for (int i = 0; i < c.extra + n; ++i) {
            const FlickSpot& p = r.spots[static_cast<size_t>(i)];
            if (i < c.extra) {
                EXPECT_FALSE(p.scored);
                EXPECT_NEAR(p.distance, std::min(maxD, extraDist[i % 6] * k), 1e-12);
                EXPECT_NEAR(p.radius, s.flickRadiusBig * k, 1e-12);
                continue;
            }
            EXPECT_TRUE(p.scored);
            EXPECT_GE(p.distance, minD * std::pow(maxD / minD, 0.5 / n) * 0.95 - 1e-9);
            EXPECT_LE(p.distance, maxD * std::pow(maxD / minD, -0.5 / n) * 1.05 + 1e-9);
            if (std::fabs(p.radius - s.flickRadiusBig * k) < 1e-12) ++big;
            if (std::fabs(p.radius - s.flickRadiusSmall * k) < 1e-12) ++smallCount;
        }
        EXPECT_EQ(big, (n + 1) / 2);
        EXPECT_EQ(smallCount, n / 2);
    }
}

TEST(RoundPlan, RoundSeedReordersButKeepsTheLayout) {
    RoundConfig a;
    a.seed = 50;
    a.roundSeed = 1;
    RoundConfig b = a;
    b.roundSeed = 2;
    DrillRound ra, rb, rc;
    ra.setupRound(a, 0);
    rb.setupRound(b, 0);
    rc.setupRound(a, 99);
    EXPECT_TRUE(ra.spots == rc.spots);
    EXPECT_TRUE(ra.pathX == rc.pathX);

    auto scoredDistances = [](const DrillRound& r) {
        std::vector<double> d;
        for (const FlickSpot& s : r.spots)
            if (s.scored) d.push_back(s.distance);
        return d;
    };
    std::vector<double> da = scoredDistances(ra), db = scoredDistances(rb);
    EXPECT_NE(da, db);
    std::sort(da.begin(), da.end());
    std::sort(db.begin(), db.end());
    EXPECT_EQ(da, db);
}

// ---- Target placement ------------------------------------------------------

TEST(RoundSpawn, PlacementMirrorsIntoTheWindowAroundStraightAhead) {
    struct Case {
        const char* what;
        double yaw, pitch, distance, angle;
        double wantYaw, wantPitch;
    };
    const Case cases[] = {
        {"fits as planned", 0, 0, 20, 0, 20, 0},
        {"several turns: wrapped test, unwrapped place", 725, 0, 20, 0, 745, 0},
        {"mirrored sideways", 760, 0, 20, 0, 740, 0},
        {"mirrored vertically", 0, 15, 10, 90, 0, 5},
        {"vertical part capped at 0.4 vFov", 0, -10, 40, 90, std::sqrt(1600 - 28.2 * 28.2), 18.2},
        {"sideways part capped at 0.4 hFov", -30, 0, 60, 0, 11.2, 0},
        // pitch 70: no mirror fits; steps toward (0, 2) by the spot's distance
        {"fallback toward the room", 0, 70, 10, 0, 0, 60},
        {"fallback from the side", 170, 2, 30, 90, 140, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DrillRound r = flickingRound();
        r.spots = {{c.distance, 1.0, c.angle, true}};
        r.nextSpot = 0;
        r.yaw = c.yaw;
        r.pitch = c.pitch;
        r.events.clear();
        r.spawnNextTarget(1.5);
        EXPECT_NEAR(r.targetYaw, c.wantYaw, 1e-9);
        EXPECT_NEAR(r.targetPitch, c.wantPitch, 1e-9);
        EXPECT_EQ(r.spawnYaw, c.yaw);
        EXPECT_EQ(r.current.spawnTime, 1.5);
        EXPECT_NEAR(r.current.distance, std::hypot(wrapYaw(r.targetYaw - c.yaw), r.targetPitch - c.pitch), 1e-12);
        ASSERT_EQ(r.events.size(), 1u);
        EXPECT_EQ(r.events[0].type, RoundEventSpawned);
        Float3 want = aimDirection(r.targetYaw, r.targetPitch);
        EXPECT_TRUE(r.events[0].pos == want);
        ASSERT_EQ(r.trace.size(), 1u);
    }
}

TEST(RoundSpawn, ScopedTargetsNeverLeaveTheScope) {
    // Every scored spot of many seeds, spawned from views all over the room (many of them
    // where no mirrored candidate fits), stays within 80 % of the scope radius.
    Rng views(2024);
    int fallbacks = 0;
    for (uint64_t seed = 1; seed <= 300; ++seed) {
        RoundConfig cfg;
        cfg.seed = seed;
        cfg.roundSeed = seed * 11;
        cfg.style = static_cast<int32_t>(seed % 4);
        cfg.zoom = 4;
        cfg.hFov = 34.895;
        cfg.vFov = 20.04;
        cfg.scopeRadius = 9.2326;
        cfg.flickTargets = 20;
        DrillRound r = flickingRound(cfg);
        for (size_t i = 0; i < r.spots.size(); ++i) {
            r.nextSpot = static_cast<int32_t>(i);
            r.yaw = 400 * views.uniform() - 200;
            r.pitch = 170 * views.uniform() - 85;
            r.spawnNextTarget(0);
            if (std::fabs(wrapYaw(r.targetYaw)) > 50 || r.targetPitch > 22 || r.targetPitch < -18) ++fallbacks;
            if (!r.spots[i].scored) continue;
            ASSERT_LE(r.current.distance, 0.8 * cfg.scopeRadius + 1e-9) << "seed " << seed << " spot " << i;
        }
    }
    EXPECT_GT(fallbacks, 1000);
}

// ---- Shots -----------------------------------------------------------------

struct ShotCase {
    const char* what;
    double yaw, pitch;
    bool hit;
    int32_t firstShot;
};

TEST(RoundShot, HitsMissesAndTheFirstShot) {
    // Target 10 degrees right, radius 1, spawned from straight ahead.
    const ShotCase cases[] = {
        {"centre", 10, 0, true, 0},
        {"exactly on the rim", 9, 0, true, 0},
        {"rim above", 10, 1, true, 0},
        {"just short", 8.99, 0, false, 2},
        {"beyond", 11.5, 0, false, 1},
        {"wide but not past", 10, 3, false, 2},
    };
    for (const ShotCase& c : cases) {
        SCOPED_TRACE(c.what);
        DrillRound r = flickingRound();
        r.spots.resize(2);
        r.spots[1] = {10, 1, 0, true};
        r.nextSpot = 0;
        r.spots[0] = {10, 1, 0, true};
        r.yaw = r.pitch = 0;
        r.spawnNextTarget(0.1);
        r.events.clear();
        ASSERT_NEAR(r.targetYaw, 10, 1e-12);
        r.yaw = c.yaw;
        r.pitch = c.pitch;
        r.fireShot(0.3);
        EXPECT_EQ(r.shots, 1);
        EXPECT_EQ(r.hits, c.hit ? 1 : 0);
        ASSERT_GE(r.events.size(), 1u);
        EXPECT_EQ(r.events[0].type, c.hit ? RoundEventHit : RoundEventMiss);
        if (c.hit) {
            ASSERT_EQ(r.result.targets.size(), 1u);
            EXPECT_EQ(r.result.targets[0].firstShot, 0);
            EXPECT_TRUE(r.result.targets[0].killed);
            EXPECT_NEAR(r.result.targets[0].killTime, 0.3, 1e-12);
            EXPECT_EQ(r.nextSpot, 1);
        } else {
            EXPECT_EQ(r.current.firstShot, c.firstShot);
            EXPECT_EQ(r.nextSpot, 0);
        }
    }
}

TEST(RoundShot, LaterHitKeepsTheFirstShotAndOnlyFlickShotsCount) {
    DrillRound r = flickingRound();
    r.spots = {{10, 1, 0, true}};
    r.nextSpot = 0;
    r.spawnNextTarget(0);
    r.yaw = 12;
    r.fireShot(0.2);
    r.yaw = 10;
    r.fireShot(0.3);
    ASSERT_EQ(r.result.targets.size(), 1u);
    EXPECT_EQ(r.result.targets[0].firstShot, 1);
    EXPECT_EQ(r.result.targets[0].shots, 2);
    EXPECT_EQ(r.phase, DrillReveal);  // the last spot started the reveal
    r.fireShot(0.4);
    EXPECT_EQ(r.shots, 2);

    DrillRound intro;
    intro.setupRound(RoundConfig{}, 0);
    intro.fireShot(0.1);
    EXPECT_EQ(intro.shots, 0);
    EXPECT_TRUE(intro.events.empty());
}

// ---- Movement analysis -----------------------------------------------------

// A trace of 1 ms samples along the yaw axis: still, then a smooth move to `peakAt`, then
// (optionally) a second move to `endAt`, then still.
std::vector<AimSample> yawTrace(double still, double moveTime, double peakAt, double endAt) {
    std::vector<AimSample> t;
    double time = 0;
    auto smooth = [](double s) { return s * s * s * (10 - 15 * s + 6 * s * s); };
    for (int i = 0; time < still; ++i, time = i * 0.001) t.push_back({time, 0, 0});
    double t1 = time;
    for (; time < t1 + moveTime; time += 0.001) t.push_back({time, peakAt * smooth((time - t1) / moveTime), 0});
    double t2 = time;
    for (; time < t2 + 0.1; time += 0.001)
        t.push_back({time, peakAt + (endAt - peakAt) * smooth((time - t2) / 0.1), 0});
    for (double t3 = time; time < t3 + 0.1; time += 0.001) t.push_back({time, endAt, 0});
    return t;
}

TEST(RoundMovement, PrimaryMovementLandingAndFlicks) {
    struct Case {
        const char* what;
        double distance;
        double moveTime, peakAt, endAt;
        bool measured, over, under;
        double landing;  // approximate landing ratio
    };
    const Case cases[] = {
        {"clean", 20, 0.2, 19.6, 19.6, true, false, false, 0.98},
        {"overshoot then back", 20, 0.2, 21.8, 20, true, true, false, 1.09},
        {"short, then corrected", 20, 0.25, 15, 20, true, false, true, 0.75},
        {"too slow to count", 20, 3.0, 20, 20, false, false, false, 0},
        {"near target", 6, 0.15, 6, 6, true, false, false, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DrillRound r = flickingRound();
        r.spots = {{c.distance, 1, 0, true}};
        r.nextSpot = 0;
        r.yaw = r.pitch = 0;
        r.spawnNextTarget(0);
        r.trace = yawTrace(0.15, c.moveTime, c.peakAt, c.endAt);
        r.finishTarget(r.trace.back().time, true);
        ASSERT_EQ(r.result.targets.size(), 1u);
        const TargetRecord& t = r.result.targets[0];
        // Reaction: first sample with progress >= max(3 %, 0.3 degrees).
        double react = -1;
        for (const AimSample& s : yawTrace(0.15, c.moveTime, c.peakAt, c.endAt)) {
            if (s.yaw >= std::max(0.03 * c.distance, 0.3)) {
                react = s.time;
                break;
            }
        }
        EXPECT_NEAR(t.reactionTime, react, 1e-12);
        EXPECT_EQ(t.overshot, c.over);
        EXPECT_EQ(t.undershot, c.under);
        EXPECT_EQ(t.isFar, c.measured && c.distance >= 8);
        if (c.measured) {
            EXPECT_NEAR(t.landingRatio, c.landing, 0.03);
        } else {
            EXPECT_EQ(t.landingRatio, 0);
        }
    }
}

TEST(RoundMovement, ShortTracesAndZeroDistanceAreNotAnalysed) {
    DrillRound r = flickingRound();
    r.spots = {{20, 1, 0, true}, {20, 1, 0, true}};
    r.nextSpot = 0;
    r.spawnNextTarget(0);
    r.trace = {{0, 0, 0}, {0.1, 20, 0}};
    r.finishTarget(0.1, true);
    EXPECT_EQ(r.result.targets[0].reactionTime, -1);
    EXPECT_FALSE(r.result.targets[0].overshot);
    EXPECT_TRUE(r.trace.size() == 1);  // the next target's spawn sample
    EXPECT_EQ(r.nextSpot, 1);
}

// ---- Round statistics ------------------------------------------------------

TEST(RoundStats, ExtraTargetsStandInTheListButNotInTheCounts) {
    DrillRound r;
    r.setupRound(RoundConfig{}, 0);
    auto rec = [](bool scored, bool killed, int shots, double spawn, double react, double end) {
        TargetRecord t;
        t.scored = scored;
        t.killed = killed;
        t.shots = shots;
        t.spawnTime = spawn;
        t.reactionTime = react;
        t.killTime = end;
        return t;
    };
    r.result.targets = {rec(false, true, 1, 0, 0.05, 0.1), rec(true, true, 2, 1, 1.2, 1.4),
                        rec(true, false, 1, 2, -1, 5.5), rec(true, true, 1, 6, 6.3, 6.6)};
    r.result.segments = {{0.5, 0.25, 1.0, 0.3}, {0.3, 0.3, 0.2, 0.3}};
    r.computeRoundStats();
    const RoundResult& res = r.result;
    EXPECT_EQ(res.targets.size(), 4u);
    EXPECT_EQ(res.kills, 2);
    EXPECT_EQ(res.missedTargets, 1);
    EXPECT_EQ(res.shots, 4);
    EXPECT_NEAR(res.avgKillMs, (400 + 600) / 2.0, 1e-9);
    EXPECT_NEAR(res.avgReactionMs, (200 + 300) / 2.0, 1e-9);
    EXPECT_NEAR(res.onTargetRatio, 0.55 / 0.8, 1e-12);
    EXPECT_NEAR(res.meanErrorDeg, 1.2 / 0.8, 1e-12);
    EXPECT_NEAR(res.nearRatio, 0.6 / 0.8, 1e-12);

    r.result.targets.clear();
    r.result.segments.clear();
    r.computeRoundStats();
    EXPECT_EQ(r.result.avgKillMs, 0);
    EXPECT_EQ(r.result.avgReactionMs, 0);
    EXPECT_EQ(r.result.onTargetRatio, 0);
    EXPECT_EQ(r.result.meanErrorDeg, 0);
}

}  // namespace
