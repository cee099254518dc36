#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/kernel/analysis.h"
#include "engine/kernel/drill_round.h"
#include "engine/kernel/round_config.h"
#include "engine/kernel/session.h"
#include "engine/kernel/sim_aimer.h"

namespace {

constexpr double kDt = 0.001;

struct Step {
    int32_t dx = 0, dy = 0;
    bool click = false;
    bool operator==(const Step& o) const { return dx == o.dx && dy == o.dy && click == o.click; }
};

Step step(SimAimer& aimer, DrillRound& round, double& now) {
    Step s;
    stepSimAimer(aimer, round, now, kDt, s.dx, s.dy, s.click);
    round.applyMouse(s.dx, s.dy);
    if (s.click) round.fireShot(now);
    now += kDt;
    return s;
}

// The automation loop of the session flow: aimer, mouse, shot, 1 ms, update.
std::vector<Step> playRound(SimAimer& aimer, DrillRound& round, double& now) {
    std::vector<Step> steps;
    while (round.phase != DrillDone) {
        steps.push_back(step(aimer, round, now));
        round.updateRound(now);
    }
    return steps;
}

struct TestRun {
    AnalysisResult analysis;
    std::vector<RoundResult> played;
};

// A whole finder test played by the aimer, the way the starters and the session flow drive it.
TestRun playTest(const SimAimerParams& params, double startCm360, int32_t length, uint64_t seed) {
    SessionConfig cfg;
    cfg.startCm360 = startCm360;
    cfg.length = length;
    cfg.seed = seed;
    TestSession session;
    startSession(session, cfg);
    SimAimer aimer;
    setupSimAimer(aimer, params, cfg.dpi, 4242);
    DrillRound round;
    double now = 100;
    TestRun run;
    int32_t roundIndex = 0;
    while (session.nextRound < static_cast<int32_t>(session.rounds.size())) {
        round.setupRound(makeRoundConfig(session), now);
        resetSimAimer(aimer, roundIndex++);
        playRound(aimer, round, now);
        run.played.push_back(round.result);
        recordRound(session, round.result);
        now += 3.5;
    }
    run.analysis = runAnalysis(session, 400);
    return run;
}

SimAimerParams habitParams(double habit, double learnPerRound = 0) {
    SimAimerParams p;
    p.habitCm360 = habit;
    p.learnPerRound = learnPerRound;
    return p;
}

RoundConfig shortRound(uint64_t seed) {
    RoundConfig c;
    c.seed = seed;
    c.roundSeed = seed * 3 + 1;
    c.extraTargets = 1;
    c.flickTargets = 6;
    c.leadIn = 0.5;
    c.trackSeconds = 3;
    return c;
}

// A hand-built flick phase with one live target, for the flick behaviour alone.
DrillRound flickRound(double targetYaw, double targetPitch, double radius, double cm360 = 35) {
    DrillRound r;
    r.phase = DrillFlick;
    r.degPerCount = 914.4 / (cm360 * 800);
    r.spawnedCount = 1;
    r.targetYaw = targetYaw;
    r.targetPitch = targetPitch;
    r.targetRadius = radius;
    return r;
}

// Steps a hand-built flick phase (no round update) until `stop` holds or `limit` steps ran.
template <class Stop>
int runUntil(SimAimer& aimer, DrillRound& round, double& now, int limit, Stop stop) {
    for (int i = 1; i <= limit; ++i) {
        const Step s = step(aimer, round, now);
        if (stop(s)) return i;
    }
    return -1;
}

}  // namespace

TEST(SimAimerTest, SeedZeroIsTheGoldenSeed) {
    SimAimer zero, golden;
    setupSimAimer(zero, habitParams(35), 800, 0);
    setupSimAimer(golden, habitParams(35), 800, 0x9e3779b97f4a7c15ull);
    DrillRound a, b;
    a.setupRound(shortRound(5), 0);
    b.setupRound(shortRound(5), 0);
    double ta = 0, tb = 0;
    EXPECT_EQ(playRound(zero, a, ta), playRound(golden, b, tb));
}

TEST(SimAimerTest, SameSeedReplaysTheSameCountsWhereverTheRoundStarts) {
    const SimAimerParams p = habitParams(28, 0.01);
    std::vector<std::vector<Step>> runs;
    for (double start : {0.0, 12345.678}) {
        SimAimer aimer;
        setupSimAimer(aimer, p, 1600, 77);
        DrillRound round;
        double now = start;
        std::vector<Step> all;
        for (int32_t i = 0; i < 2; ++i) {
            round.setupRound(shortRound(11 + static_cast<uint64_t>(i)), now);
            resetSimAimer(aimer, i);
            const std::vector<Step> steps = playRound(aimer, round, now);
            all.insert(all.end(), steps.begin(), steps.end());
        }
        runs.push_back(all);
    }
    EXPECT_EQ(runs[0], runs[1]);

    SimAimer other;
    setupSimAimer(other, p, 1600, 78);
    DrillRound round;
    double now = 0;
    round.setupRound(shortRound(11), now);
    resetSimAimer(other, 0);
    const std::vector<Step> steps = playRound(other, round, now);
    const size_t n = std::min(steps.size(), runs[0].size());
    EXPECT_FALSE(std::equal(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(n), runs[0].begin()));
}

TEST(SimAimerTest, SetupAndResetStartFromTheHabit) {
    SimAimer a;
    SimAimerParams p = habitParams(40, 0.05);
    setupSimAimer(a, p, 1600, 9);
    EXPECT_DOUBLE_EQ(a.countsPerCm, 1600 / 2.54);
    EXPECT_DOUBLE_EQ(a.degPerCmEstimate, 9.0);
    EXPECT_DOUBLE_EQ(a.roundFactor, 1);
    EXPECT_EQ(a.seenSpawnCount, -1);

    // What the hand learned in one round is forgotten at the next; the improvement stays.
    a.degPerCmEstimate = 20;
    a.handX = 3;
    a.emittedX = 400;
    a.orbHistory.push_back({});
    a.trackingStarted = true;
    const uint64_t state = a.rngState;
    resetSimAimer(a, 4);
    EXPECT_DOUBLE_EQ(a.degPerCmEstimate, 9.0);
    EXPECT_DOUBLE_EQ(a.roundFactor, 1.2);
    EXPECT_EQ(a.handX, 0);
    EXPECT_EQ(a.emittedX, 0);
    EXPECT_TRUE(a.orbHistory.empty());
    EXPECT_FALSE(a.trackingStarted);
    EXPECT_EQ(a.rngState, state);
}

TEST(SimAimerTest, ZeroLengthMovementTakesTimeAndCarriesAimError) {
    struct Case {
        bool first;
        int32_t roundIndex;  // with learnPerRound 1: roundFactor = 1 + index
        double duration;
    };
    const Case cases[] = {
        {true, 0, 0.07},
        {false, 0, 0.05},
        {false, 3, 0.04},  // 0.05 / 2 is below the floor
        {true, 8, 0.04},   // 0.07 / 3
    };
    for (const Case& c : cases) {
        SimAimer a;
        setupSimAimer(a, habitParams(35, 1), 800, 3);
        resetSimAimer(a, c.roundIndex);
        const DrillRound round = flickRound(0, 0, 1);
        planAimNoise(a, round, 0, 0, 0.5, c.first);
        EXPECT_EQ(a.state, SimMoving);
        EXPECT_NEAR(a.moveDuration, c.duration, 1e-12) << c.first << " " << c.roundIndex;
        EXPECT_NE(a.moveX, 0);
        EXPECT_NE(a.moveY, 0);
        EXPECT_LT(std::hypot(a.moveX, a.moveY), 0.2);  // a floor of 0.035 cm, not a flick
    }
}

TEST(SimAimerTest, LongMovesCostTheLongMovePenalty) {
    SimAimer a;
    setupSimAimer(a, habitParams(36), 800, 3);  // 10 degrees per cm
    const DrillRound round = flickRound(0, 0, 1);
    planAimNoise(a, round, 150, 0, 0, true);  // 15 cm
    const double shortMove = a.moveDuration;
    planAimNoise(a, round, 170, 0, 0, true);  // 17 cm
    const double longMove = a.moveDuration;
    const double fitts = 0.035 * (std::log2(1 + 17 / 0.2) - std::log2(1 + 15 / 0.2)) + 2.0 / 90;
    EXPECT_NEAR(longMove - shortMove, fitts + 0.35, 1e-12);
}

TEST(SimAimerTest, ReactionNeverFallsBelowItsFloor) {
    for (double mean : {-5.0, 0.0, 0.2}) {
        for (uint64_t seed = 1; seed <= 20; ++seed) {
            SimAimerParams p = habitParams(35);
            p.reactionMean = mean;
            SimAimer a;
            setupSimAimer(a, p, 800, seed);
            DrillRound round = flickRound(10, 0, 1);
            double now = 0;
            const int planned = runUntil(a, round, now, 1000, [&](const Step&) { return a.state == SimMoving; });
            ASSERT_GT(planned, 0);
            EXPECT_GE(planned, 120) << "mean " << mean << " seed " << seed;
            if (mean < 0) {
                EXPECT_LE(planned, 121);
            }
        }
    }
}

TEST(SimAimerTest, TargetUnderTheCrosshairStillGetsAMoveAndASettlingPause) {
    for (uint64_t seed = 1; seed <= 10; ++seed) {
        SimAimer a;
        setupSimAimer(a, habitParams(35), 800, seed);
        DrillRound round = flickRound(0, 0, 1.3);
        double now = 0;
        const int moving = runUntil(a, round, now, 1000, [&](const Step&) { return a.state == SimMoving; });
        ASSERT_GT(moving, 0);
        EXPECT_LT(std::hypot(a.moveX, a.moveY), 0.2);
        const double duration = a.moveDuration;
        const int settling = runUntil(a, round, now, 1000, [&](const Step&) { return a.state == SimSettling; });
        EXPECT_NEAR(settling * kDt, duration, 0.0015);
        const int shot = runUntil(a, round, now, 1000, [](const Step& s) { return s.click; });
        EXPECT_GE(shot, 45) << seed;
        EXPECT_LE(shot, 66) << seed;
    }
}

TEST(SimAimerTest, OnlyLongFlicksTeachTheHand) {
    struct Case {
        double targetYaw;   // degrees
        double adaptGain;
        bool learns;
    };
    const Case cases[] = {
        {1.0, 0.3, false},   // about 0.1 cm: too short to learn from
        {40.0, 0.3, true},
        {40.0, 0.0, false},  // adaptation off
    };
    for (const Case& c : cases) {
        SimAimerParams p = habitParams(36);  // 10 degrees per cm believed
        p.adaptGain = c.adaptGain;
        SimAimer a;
        setupSimAimer(a, p, 800, 21);
        DrillRound round = flickRound(c.targetYaw, 0, 1, 18);  // the view really turns 20 per cm
        double now = 0;
        runUntil(a, round, now, 2000, [&](const Step&) { return a.state == SimSettling; });
        if (c.learns) {
            // 0.3 of the way from 10 to about 20 degrees per cm.
            EXPECT_GT(a.degPerCmEstimate, 12.4) << c.targetYaw;
            EXPECT_LT(a.degPerCmEstimate, 13.6) << c.targetYaw;
        } else {
            EXPECT_DOUBLE_EQ(a.degPerCmEstimate, 10.0) << c.targetYaw;
        }
    }
}

TEST(SimAimerTest, TakesWholeCountsAndKeepsTheFractions) {
    struct Case {
        double handCounts;  // hand position in counts, x and y alike
        int32_t dx;
        int32_t dy;
    };
    // One sequence: each row moves the hand on from the previous one.
    const Case cases[] = {
        {0.4, 0, 0}, {0.8, 1, -1}, {1.2, 0, 0}, {2.5, 2, -2}, {-0.5, -4, 4}, {-0.4, 1, -1},
    };
    SimAimer a;
    setupSimAimer(a, habitParams(35), 800, 1);
    a.countsPerCm = 1;  // so the hand positions below are exact counts
    for (const Case& c : cases) {
        a.handX = a.handY = c.handCounts;
        int32_t dx = 9, dy = 9;
        takeMouseCounts(a, dx, dy);
        EXPECT_EQ(dx, c.dx) << c.handCounts;
        EXPECT_EQ(dy, c.dy) << c.handCounts;  // the round lowers the pitch for positive dy
    }
}

TEST(SimAimerTest, ClickJitterCountsLeaveInTheStepOfTheClick) {
    SimAimerParams p = habitParams(35);
    p.clickJitterCm = 0.5;  // large, so the jitter is many counts
    SimAimer a;
    setupSimAimer(a, p, 800, 5);
    DrillRound round = flickRound(0, 0, 1.3);
    double now = 0;
    int64_t sumX = 0, sumY = 0;
    Step clickStep;
    const int shot = runUntil(a, round, now, 2000, [&](const Step& s) {
        sumX += s.dx;
        sumY += s.dy;
        clickStep = s;
        return s.click;
    });
    ASSERT_GT(shot, 0);
    EXPECT_TRUE(clickStep.dx != 0 || clickStep.dy != 0);
    // Nothing is held back: the counts handed out are the hand position, rounded.
    EXPECT_EQ(sumX, std::llround((a.handX + a.tremorX) * a.countsPerCm));
    EXPECT_EQ(-sumY, std::llround((a.handY + a.tremorY) * a.countsPerCm));
}

TEST(SimAimerTest, IntroAndDoneIdleWithoutCounts) {
    for (int32_t phase : {static_cast<int32_t>(DrillIntro), static_cast<int32_t>(DrillDone)}) {
        SimAimer a;
        setupSimAimer(a, habitParams(35), 800, 5);
        a.state = SimSettling;
        a.trackingStarted = true;
        DrillRound round;
        round.phase = phase;
        int32_t dx = 1, dy = 1;
        bool click = true;
        stepSimAimer(a, round, 1.0, kDt, dx, dy, click);
        EXPECT_EQ(a.state, SimIdle);
        EXPECT_FALSE(a.trackingStarted);
        EXPECT_EQ(dx, 0);
        EXPECT_EQ(dy, 0);
        EXPECT_FALSE(click);
    }
}

TEST(SimAimerTest, TrackingHistoryKeepsThePerceivedSampleAndLittleBefore) {
    SimAimer a;
    setupSimAimer(a, habitParams(35), 800, 8);
    DrillRound round;
    double now = 0;
    round.setupRound(shortRound(3), now);
    resetSimAimer(a, 0);
    double trackingFrom = -1;
    size_t previousSize = 0;
    int cuts = 0;
    while (round.phase != DrillDone) {
        step(a, round, now);
        round.updateRound(now);
        if (!a.trackingStarted || a.orbHistory.empty()) continue;
        if (trackingFrom < 0) trackingFrom = a.orbHistory.front().time;
        // The perceived sample, by the aimer's rule.
        const double t = a.orbHistory.back().time;
        size_t seen = 0;
        for (size_t i = a.orbHistory.size(); i-- > 0;) {
            if (a.orbHistory[i].time <= t - a.params.visualDelay) {
                seen = i;
                break;
            }
        }
        if (t - trackingFrom < a.params.visualDelay - 1e-6) {
            EXPECT_EQ(a.orbHistory.front().time, trackingFrom);  // nothing cut while steering by it
        }
        EXPECT_LE(seen, 64u);
        if (a.orbHistory.size() < previousSize) {
            EXPECT_EQ(seen, 32u);
            ++cuts;
        }
        previousSize = a.orbHistory.size();
    }
    EXPECT_GT(cuts, 10);
}

TEST(SimAimerTest, SpecifiedAimerFinishesATestWithAValidResult) {
    const TestRun run = playTest(habitParams(35, 0.01), 35, TestStandard, 20261116);
    ASSERT_EQ(run.played.size(), 11u);  // warm-up and ten scored rounds
    for (const RoundResult& r : run.played) {
        EXPECT_GT(r.kills, r.config.flickTargets / 2);
        EXPECT_GT(r.onTargetRatio, 0.3);
    }
    EXPECT_TRUE(run.analysis.valid);
    EXPECT_FALSE(run.analysis.confidence.empty());
    EXPECT_GE(run.analysis.recommendedCm360, 6);
    EXPECT_LE(run.analysis.recommendedCm360, 200);
}

TEST(SimAimerTest, KnownOptimumIsFoundWithoutFlickAdaptation) {
    // Without adaptation the aimer flicks best at its habit, so a test must recommend it.
    for (double habit : {25.0, 30.0, 51.0, 60.0, 100.0}) {
        SimAimerParams p = habitParams(habit, 0.01);
        p.adaptGain = 0;
        const TestRun run = playTest(p, habit, TestStandard, 20261116);
        ASSERT_TRUE(run.analysis.valid) << habit;
        const double ratio = run.analysis.recommendedCm360 / habit;
        EXPECT_GE(ratio, 0.90) << "habit " << habit << " recommended " << run.analysis.recommendedCm360;
        EXPECT_LE(ratio, 1.15) << "habit " << habit << " recommended " << run.analysis.recommendedCm360;
    }
}
