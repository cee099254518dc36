// The tracking orb: its seeded path, sampling, the reveal and tracking state, and the
// draw list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/kernel/drill_round.h"
#include "engine/kernel/rng.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

RoundConfig trackingConfig(uint64_t seed, uint64_t roundSeed, int32_t style) {
    RoundConfig c;
    c.seed = seed;
    c.roundSeed = roundSeed;
    c.style = style;
    return c;
}

TEST(RoundOrb, PathLengthAndTheStillFirstSecond) {
    for (uint64_t seed : {1ull, 7ull, 123456789ull}) {
        RoundConfig cfg = trackingConfig(seed, seed + 1, 0);
        DrillRound r;
        r.setupRound(cfg, 0);
        const size_t n = static_cast<size_t>((cfg.leadIn + 1 + cfg.trackSeconds + 1) / 0.001) + 2;
        ASSERT_EQ(r.pathX.size(), n);
        ASSERT_EQ(r.pathY.size(), n);

        // Generator C: strafe direction first, then the two bob phases.
        Rng c(seed * 0xD1B54A32D192ED03ull + 99);
        c.uniform();
        double p1 = 2 * kPi * c.uniform(), p2 = 2 * kPi * c.uniform();
        const double bob = drillStyleText(0).bob;
        const float still = static_cast<float>(1 + bob * std::sin(p1) + 0.46 * bob * std::sin(p2));
        for (size_t i = 0; i < 1000; ++i) {
            ASSERT_EQ(r.pathX[i], 0.0f) << i;
            ASSERT_EQ(r.pathY[i], still) << i;
        }
        EXPECT_TRUE(std::any_of(r.pathX.begin() + 1000, r.pathX.end(), [](float x) { return x != 0; }));
    }
}

TEST(RoundOrb, RoundSeedPicksTheSideOnly) {
    // Generator D's one draw mirrors the path; find two round seeds on opposite sides.
    auto side = [](uint64_t rs) { return Rng(rs * 0xA0761D6478BD642Full + 7).uniform() < 0.5 ? -1 : 1; };
    uint64_t a = 1, b = 2;
    while (side(b) == side(a)) ++b;
    DrillRound ra, rb;
    ra.setupRound(trackingConfig(33, a, 2), 0);
    rb.setupRound(trackingConfig(33, b, 2), 0);
    ASSERT_EQ(ra.pathX.size(), rb.pathX.size());
    for (size_t i = 0; i < ra.pathX.size(); ++i) {
        ASSERT_EQ(ra.pathX[i], -rb.pathX[i]) << i;
        ASSERT_EQ(ra.pathY[i], rb.pathY[i]) << i;
    }
}

TEST(RoundOrb, OrbStaysInsideItsSidewaysRange) {
    struct Case {
        double hFov, scope, trackSpeed;
    };
    const Case cases[] = {{103, 0, 1.6}, {60, 0, 2.5}, {34.9, 9.2, 1.3}, {120, 0, 9}};
    for (const Case& c : cases) {
        for (int32_t style = 0; style < 4; ++style) {
            for (uint64_t seed = 1; seed <= 15; ++seed) {
                RoundConfig cfg = trackingConfig(seed, seed, style);
                cfg.hFov = c.hFov;
                cfg.scopeRadius = c.scope;
                cfg.trackSpeed = c.trackSpeed;
                cfg.trackSeconds = 20;
                DrillRound r;
                r.setupRound(cfg, 0);
                double range = std::min(0.62 * c.hFov / 2, 28.0);
                if (c.scope > 0) range = std::min(range, 0.55 * c.scope);
                // Turned back at 85 % of the range; a pause there lets the smoothed velocity
                // carry it on by at most speed x time constant.
                const DrillStyle& s = drillStyleText(style);
                const double speed = std::clamp(c.trackSpeed, 0.5, 2.5);
                const double drift = s.strafeSpeedMax * speed * s.smoothTau / std::sqrt(speed);
                float widest = 0;
                for (float x : r.pathX) widest = std::max(widest, std::fabs(x));
                EXPECT_LE(widest, 0.85 * range + drift + 1e-4) << "style " << style << " seed " << seed;
                EXPECT_GT(widest, 0.5 * range);
            }
        }
    }
}

TEST(RoundOrb, SamplePathInterpolatesAndAddsOffsets) {
    DrillRound r;
    r.pathX = {0, 1, 3};
    r.pathY = {10, 12, 8};
    struct Case {
        double t, x, y;
    };
    const Case cases[] = {{-1, 0, 10}, {0, 0, 10}, {0.0005, 0.5, 11}, {0.00175, 2.5, 9}, {0.002, 3, 8}, {5, 3, 8}};
    for (const Case& c : cases) {
        PathPoint p = r.samplePath(c.t);
        EXPECT_NEAR(p.x, c.x, 1e-9) << c.t;
        EXPECT_NEAR(p.y, c.y, 1e-9) << c.t;
    }
    r.orbOffsetX = 100;
    r.orbOffsetY = -5;
    PathPoint p = r.samplePath(0.0005);
    EXPECT_NEAR(p.x, 100.5, 1e-9);
    EXPECT_NEAR(p.y, 6, 1e-9);

    DrillRound empty;
    empty.pathX.clear();
    empty.pathY.clear();
    PathPoint z = empty.samplePath(1);
    EXPECT_EQ(z.x, 0);
    EXPECT_EQ(z.y, 0);
}

// A round that has just entered the reveal, with the view turned away.
DrillRound revealingRound(double t0) {
    RoundConfig cfg = trackingConfig(5, 6, 1);
    cfg.introSeconds = 0;
    cfg.extraTargets = 0;
    cfg.flickTargets = 1;
    cfg.targetTimeout = 0.01;
    DrillRound r;
    r.setupRound(cfg, t0);
    r.updateRound(t0);
    r.yaw = 400;
    r.pitch = 40;
    for (int k = 1; r.phase == DrillFlick; ++k) r.updateRound(t0 + k * 0.001);
    return r;
}

TEST(RoundOrb, RevealPutsTheOrbOnTheCrosshairYaw) {
    DrillRound r = revealingRound(7);
    ASSERT_EQ(r.phase, DrillReveal);
    ASSERT_FALSE(r.events.empty());
    EXPECT_EQ(r.events.back().type, RoundEventTrackingBegins);
    EXPECT_TRUE(r.events.back().pos == Float3{});
    PathPoint start = r.samplePath(0);
    EXPECT_NEAR(start.x, 400, 1e-9);
    EXPECT_NEAR(start.y, 25, 1e-9);  // pitch clamped to -15..25

    const double at = r.phaseStart;
    OrbState s = r.orbState(at + 0.5);
    EXPECT_NEAR(s.x, 400, 1e-9);  // still during the reveal
    EXPECT_NEAR(s.vx, 0, 1e-9);
    EXPECT_NEAR(r.phaseTimeLeft(at + 0.5), r.config.leadIn + r.config.trackSeconds, 1e-12);
}

TEST(RoundOrb, TrackingContinuesThePathAndCountsDown) {
    const double t0 = 3.25;
    DrillRound r = revealingRound(t0);
    const double revealAt = r.phaseStart;
    int k = static_cast<int>(std::lround((revealAt - t0) * 1000));
    while (r.phase == DrillReveal) r.updateRound(t0 + (++k) * 0.001);
    ASSERT_EQ(r.phase, DrillTracking);
    EXPECT_NEAR(r.phaseStart - revealAt, 1.0, 1e-9);

    const double at = r.phaseStart;
    for (double dt : {0.0, 0.4, 2.0, 7.5}) {
        OrbState s = r.orbState(at + dt);
        PathPoint want = r.samplePath(dt + 1);
        PathPoint ahead = r.samplePath(dt + 1.004);
        EXPECT_NEAR(s.x, want.x, 1e-9);
        EXPECT_NEAR(s.y, want.y, 1e-9);
        EXPECT_NEAR(s.vx, (ahead.x - want.x) / 0.004, 1e-6);
        EXPECT_NEAR(s.vy, (ahead.y - want.y) / 0.004, 1e-6);
        EXPECT_NEAR(r.phaseTimeLeft(at + dt), r.config.leadIn + r.config.trackSeconds - dt, 1e-6);
    }
    EXPECT_EQ(r.phaseTimeLeft(at + 100), 0);

    // The lead-in does not count; after it the totals grow with each step.
    for (int i = 0; i < 1400; ++i) r.updateRound(t0 + (++k) * 0.001);
    EXPECT_EQ(r.totalTracked, 0);
    for (int i = 0; i < 200; ++i) r.updateRound(t0 + (++k) * 0.001);
    EXPECT_NEAR(r.totalTracked, 0.1, 1e-9);
    EXPECT_TRUE(r.result.segments.empty());
}

TEST(RoundOrb, StalledFrameAddsAtMostATenthOfASecond) {
    const double t0 = 0;
    DrillRound r = revealingRound(t0);
    r.updateRound(r.phaseStart + 1.0);
    ASSERT_EQ(r.phase, DrillTracking);
    const double at = r.phaseStart;
    r.updateRound(at + 1.6);  // past the lead-in after a 1.6 s stall
    EXPECT_NEAR(r.totalTracked, 0.1, 1e-9);
    r.updateRound(at + 1.55);  // time going backwards adds nothing
    EXPECT_NEAR(r.totalTracked, 0.1, 1e-9);
}

TEST(RoundOrb, RenderListPerPhase) {
    std::vector<RenderSphere> list{{1, 2, 3, 4, 5, 6}};
    DrillRound r;
    RoundConfig cfg = trackingConfig(9, 9, 1);
    cfg.introSeconds = 0;
    r.setupRound(cfg, 0);
    r.buildRenderList(list);
    EXPECT_TRUE(list.empty());  // intro: nothing

    r.updateRound(0);
    ASSERT_EQ(r.phase, DrillFlick);
    r.buildRenderList(list);
    ASSERT_EQ(list.size(), 1u);
    Float3 p = aimDirection(r.targetYaw, r.targetPitch);
    EXPECT_EQ(list[0].x, p.x);
    EXPECT_EQ(list[0].y, p.y);
    EXPECT_EQ(list[0].z, p.z);
    EXPECT_FLOAT_EQ(list[0].radius, static_cast<float>(10 * std::sin(r.targetRadius * kPi / 180)));
    EXPECT_EQ(list[0].kind, 0);
    EXPECT_EQ(list[0].lit, 0);

    DrillRound t = revealingRound(0);
    t.updateRound(t.phaseStart + 0.3);
    t.buildRenderList(list);
    ASSERT_EQ(list.size(), 1u);
    PathPoint orb = t.samplePath(0.3);
    Float3 o = aimDirection(orb.x, orb.y);
    EXPECT_NEAR(list[0].x, o.x, 1e-5);
    EXPECT_NEAR(list[0].z, o.z, 1e-5);
    EXPECT_EQ(list[0].kind, 1);
    EXPECT_FLOAT_EQ(list[0].radius, static_cast<float>(10 * std::sin(t.orbRadius * kPi / 180)));
    EXPECT_FALSE(t.onOrb);  // the orb sits at the clamped pitch 25, the view at 40
    EXPECT_EQ(list[0].lit, 0.0f);

    t.pitch = 25;
    t.updateRound(t.phaseStart + 0.4);
    t.buildRenderList(list);
    EXPECT_TRUE(t.onOrb);
    EXPECT_EQ(list[0].lit, 1.0f);
}

}  // namespace
