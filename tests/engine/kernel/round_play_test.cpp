// Whole rounds played by scripted input: a policy that reacts, shoots and tracks at fixed
// offsets, and plain click scripts. Outcomes follow from the script, so they are exact.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/kernel/drill_round.h"

namespace {

constexpr double kStep = 0.001;

// Turns the view onto a direction with fractional mouse counts.
void aimAt(DrillRound& r, double yaw, double pitch) {
    r.applyMouse((yaw - r.yaw) / r.degPerCount, -(pitch - r.pitch) / r.degPerCount);
}

struct Policy {
    int reactMs = 150;      // snaps onto the target this long after it spawned
    int fireMs = 250;       // and shoots then
    bool missFirst = false; // first snap lands 2.5 radii beyond the target
    bool track = true;      // keeps the crosshair on the orb
};

struct Played {
    RoundResult result;
    std::vector<RoundEvent> events;
    std::vector<int> eventMs;  // step of each event
    int steps = 0;
};

// Plays a round in 1 ms steps from t0 until it is done; input goes in before each update.
Played play(const RoundConfig& cfg, double t0, const Policy& p) {
    DrillRound r;
    r.setupRound(cfg, t0);
    Played out;
    for (int k = 0; k < 400000 && r.phase != DrillDone; ++k) {
        const double now = t0 + k * kStep;
        if (r.phase == DrillFlick && r.nextSpot < static_cast<int32_t>(r.spots.size())) {
            const long age = std::lround((r.roundTime(now) - r.current.spawnTime) * 1000);
            if (age == p.reactMs) {
                double ty = r.targetYaw, tp = r.targetPitch;
                if (p.missFirst) {
                    double dy = ty - r.spawnYaw, dp = tp - r.spawnPitch, len = std::hypot(dy, dp);
                    ty += dy / len * 2.5 * r.targetRadius;
                    tp += dp / len * 2.5 * r.targetRadius;
                }
                aimAt(r, ty, tp);
            }
            if (age == p.fireMs) r.fireShot(now);
            if (p.missFirst && age == p.fireMs + 1) aimAt(r, r.targetYaw, r.targetPitch);
            if (p.missFirst && age == p.fireMs + 2) r.fireShot(now);
        }
        if (p.track && (r.phase == DrillReveal || r.phase == DrillTracking)) {
            OrbState o = r.orbState(now);
            aimAt(r, o.x, o.y);
        }
        r.updateRound(now);
        for (const RoundEvent& e : r.events) {
            out.events.push_back(e);
            out.eventMs.push_back(k);
        }
        r.events.clear();
        out.steps = k;
    }
    out.result = r.result;
    return out;
}

RoundConfig roundOf(uint64_t seed, uint64_t roundSeed, int32_t style, int32_t extra, int32_t flick, double leadIn,
                    double track, double zoom = 1, double scope = 0) {
    RoundConfig c;
    c.seed = seed;
    c.roundSeed = roundSeed;
    c.style = style;
    c.extraTargets = extra;
    c.flickTargets = flick;
    c.leadIn = leadIn;
    c.trackSeconds = track;
    c.zoom = zoom;
    c.scopeRadius = scope;
    if (zoom > 1) {
        c.hFov = 34.895;
        c.vFov = 20.04;
    }
    return c;
}

struct PolicyCase {
    const char* what;
    RoundConfig cfg;
    Policy policy;
    int scored;           // scored targets played
    int fullSegments;     // 0.5 s segments
    double remnant;       // last segment, 0 when dropped
};

const PolicyCase kPolicyCases[] = {
    {"default Balanced", roundOf(1, 1, 1, 3, 16, 1.5, 12), {}, 16, 24, 0},
    {"Tactical, first shots miss", roundOf(77, 901, 0, 0, 5, 0.5, 2.3), {120, 200, true, true}, 5, 4, 0.3},
    {"scoped Mil-sim", roundOf(5, 31, 3, 2, 8, 1.0, 2.04, 4, 9.23), {200, 260, false, true}, 8, 4, 0},
    {"no scored count, odd style", roundOf(12, 4, 9, 1, 0, 0.7, 1.06), {90, 95, false, true}, 1, 2, 0.06},
};

TEST(RoundPlay, PolicyRoundsGiveExactOutcomes) {
    for (const PolicyCase& c : kPolicyCases) {
        SCOPED_TRACE(c.what);
        Played p = play(c.cfg, 0, c.policy);
        const RoundResult& res = p.result;
        const int extra = c.cfg.extraTargets;
        const int perTarget = c.policy.missFirst ? 2 : 1;
        const double killSeconds = (c.policy.fireMs + (c.policy.missFirst ? 2 : 0)) / 1000.0;

        ASSERT_EQ(static_cast<int>(res.targets.size()), extra + c.scored);
        EXPECT_EQ(res.kills, c.scored);
        EXPECT_EQ(res.shots, c.scored * perTarget);
        EXPECT_EQ(res.missedTargets, 0);
        EXPECT_NEAR(res.avgKillMs, killSeconds * 1000, 1e-6);
        EXPECT_NEAR(res.avgReactionMs, c.policy.reactMs, 1e-6);

        // The first target spawns when the intro ends; each next one when the last is hit.
        double spawn = c.cfg.introSeconds;
        for (size_t i = 0; i < res.targets.size(); ++i) {
            const TargetRecord& t = res.targets[i];
            EXPECT_EQ(t.scored, static_cast<int>(i) >= extra) << i;
            EXPECT_NEAR(t.spawnTime, spawn, 1e-9) << i;
            EXPECT_NEAR(t.killTime - t.spawnTime, killSeconds, 1e-9) << i;
            EXPECT_TRUE(t.killed);
            EXPECT_EQ(t.shots, perTarget);
            EXPECT_EQ(t.firstShot, c.policy.missFirst ? 1 : 0);
            EXPECT_EQ(t.overshot, c.policy.missFirst);
            spawn = t.killTime;
        }

        // Event order: flick begins, then spawn / (miss) / hit per target, reveal, finish.
        std::vector<int32_t> want{RoundEventFlickBegins};
        for (int i = 0; i < extra + c.scored; ++i) {
            want.push_back(RoundEventSpawned);
            if (c.policy.missFirst) want.push_back(RoundEventMiss);
            want.push_back(RoundEventHit);
        }
        want.push_back(RoundEventTrackingBegins);
        want.push_back(RoundEventFinished);
        std::vector<int32_t> got;
        for (const RoundEvent& e : p.events) got.push_back(e.type);
        EXPECT_EQ(got, want);

        // The reveal lasts 1 s, then leadIn + trackSeconds of tracking.
        const int revealAt = p.eventMs[p.eventMs.size() - 2];
        const int doneAt = p.eventMs.back();
        EXPECT_EQ(doneAt - revealAt, static_cast<int>(std::lround((1 + c.cfg.leadIn + c.cfg.trackSeconds) * 1000)));

        // Tracking on the orb the whole time: full segments, the remnant only when > 0.05 s.
        const size_t wantSegments = static_cast<size_t>(c.fullSegments) + (c.remnant > 0 ? 1 : 0);
        ASSERT_EQ(res.segments.size(), wantSegments);
        double total = 0;
        for (size_t i = 0; i < res.segments.size(); ++i) {
            const TrackSegment& s = res.segments[i];
            double want = i < static_cast<size_t>(c.fullSegments) ? 0.5 : c.remnant;
            EXPECT_NEAR(s.duration, want, 1e-9) << i;
            EXPECT_NEAR(s.onTarget, s.duration, 1e-9);
            EXPECT_NEAR(s.nearCredit, s.duration, 1e-6);
            EXPECT_LT(s.errorIntegral, 1e-5);
            total += s.duration;
        }
        EXPECT_NEAR(res.onTargetRatio, 1.0, 1e-9);
        EXPECT_LT(res.meanErrorDeg, 1e-4);
        EXPECT_NEAR(total, c.fullSegments * 0.5 + c.remnant, 1e-9);
    }
}

TEST(RoundPlay, SameInputsAtSameOffsetsReplayWhereverTheRoundStarts) {
    Policy idle;
    idle.track = false;
    idle.reactMs = idle.fireMs = 100000;  // never shoots: every target times out
    const Policy policies[] = {{}, {120, 200, true, true}, {97, 133, false, false}, idle};
    for (const PolicyCase& c : kPolicyCases) {
        for (const Policy& pol : policies) {
            SCOPED_TRACE(c.what);
            Played a = play(c.cfg, 0, pol);
            Played b = play(c.cfg, 12345.678, pol);
            EXPECT_TRUE(a.result == b.result);
            EXPECT_EQ(a.eventMs, b.eventMs);
            EXPECT_TRUE(a.events == b.events);
            EXPECT_EQ(a.steps, b.steps);
        }
    }
}

TEST(RoundPlay, UntouchedTargetsTimeOutStrictlyAfterTheTimeout) {
    // Plain scripts: no mouse movement; optionally one click 100 ms after each spawn.
    for (bool click : {false, true}) {
        SCOPED_TRACE(click ? "clicking" : "idle");
        RoundConfig cfg = roundOf(3, 3, 1, 1, 3, 0.5, 1.0);
        DrillRound r;
        const double t0 = 500.25;
        r.setupRound(cfg, t0);
        std::vector<int32_t> types;
        for (int k = 0; r.phase != DrillDone && k < 100000; ++k) {
            const double now = t0 + k * kStep;
            if (click && r.phase == DrillFlick &&
                std::lround((r.roundTime(now) - r.current.spawnTime) * 1000) == 100)
                r.fireShot(now);
            r.updateRound(now);
            for (const RoundEvent& e : r.events) types.push_back(e.type);
            r.events.clear();
        }
        const RoundResult& res = r.result;
        ASSERT_EQ(res.targets.size(), 4u);
        for (size_t i = 0; i < 4; ++i) {
            const TargetRecord& t = res.targets[i];
            EXPECT_NEAR(t.spawnTime, 2.4 + 3.501 * static_cast<double>(i), 1e-9) << i;
            EXPECT_NEAR(t.killTime - t.spawnTime, 3.501, 1e-9) << i;
            EXPECT_FALSE(t.killed);
            EXPECT_EQ(t.shots, click ? 1 : 0);
            EXPECT_EQ(t.firstShot, click ? 2 : -1);  // a shot from the spawn view falls short
        }
        EXPECT_EQ(res.kills, 0);
        EXPECT_EQ(res.missedTargets, 3);  // the extra target does not count
        EXPECT_EQ(res.shots, click ? 3 : 0);
        EXPECT_EQ(res.avgKillMs, 0);
        EXPECT_EQ(r.hits, 0);
        EXPECT_EQ(r.shots, click ? 4 : 0);

        std::vector<int32_t> want{RoundEventFlickBegins};
        for (int i = 0; i < 4; ++i) {
            want.push_back(RoundEventSpawned);
            if (click) want.push_back(RoundEventMiss);
            want.push_back(RoundEventGivenUp);
        }
        want.push_back(RoundEventTrackingBegins);
        want.push_back(RoundEventFinished);
        EXPECT_EQ(types, want);
    }
}

TEST(RoundPlay, PhasesFollowTheRoundClock) {
    RoundConfig cfg = roundOf(8, 2, 1, 0, 1, 0.5, 1.0);
    cfg.targetTimeout = 0.2;
    const double t0 = 12345.678;
    DrillRound r;
    r.setupRound(cfg, t0);
    struct Mark {
        int ms;
        int32_t phase;
        double phaseStartOffset;
    };
    // intro 2.4 s; target given up at 2.601; reveal 1 s; tracking 1.5 s.
    const Mark marks[] = {{0, DrillIntro, 0},          {2399, DrillIntro, 0},        {2400, DrillFlick, 2.4},
                          {2600, DrillFlick, 2.4},     {2601, DrillReveal, 2.601},   {3600, DrillReveal, 2.601},
                          {3601, DrillTracking, 3.601}, {5100, DrillTracking, 3.601}, {5101, DrillDone, 3.601}};
    int k = 0;
    for (const Mark& m : marks) {
        for (; k <= m.ms; ++k) r.updateRound(t0 + k * kStep);
        EXPECT_EQ(r.phase, m.phase) << m.ms;
        EXPECT_NEAR(r.phaseStart - t0, m.phaseStartOffset, 1e-6) << m.ms;
    }
}

TEST(RoundPlay, ResumingRestartsWithTheRoundsOwnConfiguration) {
    RoundConfig cfg = roundOf(44, 45, 2, 1, 4, 0.5, 1.0);
    cfg.cm360 = 21;
    DrillRound r;
    r.setupRound(cfg, 10);
    for (int k = 0; k < 3000; ++k) r.updateRound(10 + k * kStep);
    ASSERT_EQ(r.phase, DrillFlick);
    std::vector<FlickSpot> spots = r.spots;
    r.setupRound(r.result.config, 50);
    EXPECT_TRUE(r.config == cfg);
    EXPECT_TRUE(r.result.config == cfg);
    EXPECT_EQ(r.phase, DrillIntro);
    EXPECT_TRUE(r.result.targets.empty());
    EXPECT_TRUE(r.spots == spots);
    EXPECT_EQ(r.spawnedCount, 0);
}

}  // namespace
