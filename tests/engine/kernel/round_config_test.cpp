#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "engine/kernel/rng.h"
#include "engine/kernel/round_config.h"
#include "engine/kernel/session.h"

namespace {

// ---- Rng -------------------------------------------------------------------

TEST(RoundRng, MatchesReferenceSplitMix64) {
    // Reference outputs from an independent SplitMix64.
    Rng zero(0);
    EXPECT_EQ(zero.state, 0x9E3779B97F4A7C15ull);
    EXPECT_EQ(zero.next(), 0x6E789E6AA1B965F4ull);  // mixes the state 0x3C6EF372FE94F82A
    EXPECT_EQ(zero.state, 0x3C6EF372FE94F82Aull);

    Rng r(1234567);
    EXPECT_EQ(r.next(), 0x599ED017FB08FC85ull);
    EXPECT_EQ(r.next(), 0x2C73F08458540FA5ull);
}

TEST(RoundRng, UniformIsTopBitsOfNext) {
    Rng a(99), b(99);
    for (int i = 0; i < 1000; ++i) {
        double u = a.uniform();
        uint64_t n = b.next();
        ASSERT_EQ(u, static_cast<double>(n >> 11) / 9007199254740992.0);
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
    }
}

TEST(RoundRng, ShuffleDrawsOncePerStepAndPermutes) {
    for (size_t len : {0u, 1u, 2u, 7u, 40u}) {
        std::vector<int> list(len);
        std::iota(list.begin(), list.end(), 0);
        Rng shuffler(5), counter(5);
        shuffler.shuffle(list);
        for (size_t i = 1; i < len; ++i) counter.next();
        EXPECT_EQ(shuffler.state, counter.state) << "length " << len;
        std::vector<int> sorted = list;
        std::sort(sorted.begin(), sorted.end());
        for (size_t i = 0; i < len; ++i) EXPECT_EQ(sorted[i], static_cast<int>(i));
    }
}

TEST(RoundRng, ShuffleOfTwoSwapsOnLowDraw) {
    // n = 2: j = (int)(2u) mod 2; j = 0 swaps the pair, j = 1 leaves it.
    for (uint64_t seed = 1; seed < 40; ++seed) {
        std::vector<int> list{10, 20};
        Rng probe(seed);
        bool low = probe.uniform() < 0.5;
        Rng r(seed);
        r.shuffle(list);
        EXPECT_EQ(list[0], low ? 20 : 10) << "seed " << seed;
    }
}

// ---- Drill styles ----------------------------------------------------------

TEST(RoundStyles, RowsInOrderAndOutOfRangeIsBalanced) {
    const char* names[] = {"Tactical", "Balanced", "Tracking", "Mil-sim"};
    for (int32_t i = 0; i < 4; ++i) EXPECT_STREQ(drillStyleText(i).name, names[i]);
    for (int32_t bad : {-1, 4, 7, 1000}) {
        EXPECT_STREQ(drillStyleText(bad).name, "Balanced");
        EXPECT_EQ(&drillStyleText(bad), &drillStyles()[1]);
    }
    const DrillStyle& b = drillStyleText(7);
    EXPECT_EQ(b.minDist, 5);
    EXPECT_EQ(b.maxDist, 40);
    EXPECT_EQ(b.orbRadius, 2.2);
    EXPECT_EQ(drillStyles()[3].jumpChance, 0.0);
    EXPECT_EQ(drillStyles()[0].flickRadiusSmall, 0.72);
}

TEST(RoundStyles, DescriptionsCarryAnEmDash) {
    for (const DrillStyle& s : drillStyles()) {
        EXPECT_NE(std::strstr(s.description, "\xE2\x80\x94"), nullptr) << s.name;
    }
    EXPECT_STREQ(drillStyles()[3].description,
                 "Small targets at range, slow movement, precise flicks \xE2\x80\x94 like Arma Reforger.");
}

// ---- makeRoundConfig -------------------------------------------------------

TestSession sessionWith(std::vector<SessionRound> rounds, int32_t next, uint64_t seed, bool rebuilt = false,
                        int32_t seedOffset = 0) {
    TestSession s;
    s.config.dpi = 1600;
    s.config.hFov = 90;
    s.config.vFov = 59;
    s.config.length = TestQuick;
    s.config.style = 2;
    s.config.zoom = 4;
    s.config.trackSpeed = 1.6;
    s.config.seed = seed;
    s.rounds = std::move(rounds);
    s.nextRound = next;
    s.rebuilt = rebuilt;
    s.seedOffset = seedOffset;
    return s;
}

TEST(RoundConfigBuild, CopiesSessionFieldsAndRoundSpeed) {
    TestSession s = sessionWith({{20, StageOne}, {41.5, StageTwo}}, 1, 9);
    RoundConfig c = makeRoundConfig(s);
    EXPECT_EQ(c.style, 2);
    EXPECT_EQ(c.zoom, 4);
    EXPECT_EQ(c.scopeRadius, 0);
    EXPECT_EQ(c.trackSpeed, 1.6);
    EXPECT_EQ(c.cm360, 41.5);
    EXPECT_EQ(c.dpi, 1600);
    EXPECT_EQ(c.hFov, 90);
    EXPECT_EQ(c.vFov, 59);
    EXPECT_EQ(c.introSeconds, 2.4);
    EXPECT_EQ(c.targetTimeout, 3.5);
    // Quick plan counts for a scored round.
    EXPECT_EQ(c.extraTargets, 2);
    EXPECT_EQ(c.flickTargets, 12);
    EXPECT_EQ(c.leadIn, 1.0);
    EXPECT_EQ(c.trackSeconds, 9.0);
}

TEST(RoundConfigBuild, SeedsAndStageCounts) {
    const uint64_t big = 0xF000000000000001ull;  // products wrap
    struct Case {
        const char* what;
        int32_t stage;
        bool rebuilt;
        int32_t index;
        int32_t seedOffset;
        uint64_t seed;
        uint64_t wantSeed;
        uint64_t wantRoundSeed;
        int32_t extra, flick;
        double leadIn, track;
    };
    const Case cases[] = {
        {"scored round 3", StageOne, false, 3, 0, 42, 42, 3 * 7919 + 42 * 1000003ull + 1, 2, 12, 1.0, 9.0},
        {"fresh warm-up", StageWarmUp, false, 0, 0, 42, 42 + 777, 1 + 42 * 1000003ull, 0, 10, 0.5, 7.0},
        {"rebuilt warm-up", StageWarmUp, true, 0, 110, 42, 42, 110 * 7919 + 42 * 1000003ull + 1, 0, 8, 0.5, 6.0},
        {"check round", StageCheck, true, 2, 110, 42, 42, 112 * 7919 + 42 * 1000003ull + 1, 2, 12, 1.0, 9.0},
        {"wrapping seed", StageTwo, false, 1, 0, big, big, 7919 + big * 1000003ull + 1, 2, 12, 1.0, 9.0},
    };
    for (const Case& k : cases) {
        std::vector<SessionRound> rounds(4, SessionRound{30, StageOne});
        rounds[static_cast<size_t>(k.index)].stage = k.stage;
        TestSession s = sessionWith(rounds, k.index, k.seed, k.rebuilt, k.seedOffset);
        RoundConfig c = makeRoundConfig(s);
        SCOPED_TRACE(k.what);
        EXPECT_EQ(c.seed, k.wantSeed);
        EXPECT_EQ(c.roundSeed, k.wantRoundSeed);
        EXPECT_EQ(c.extraTargets, k.extra);
        EXPECT_EQ(c.flickTargets, k.flick);
        EXPECT_EQ(c.leadIn, k.leadIn);
        EXPECT_EQ(c.trackSeconds, k.track);
    }
}

// ---- Practice --------------------------------------------------------------

TEST(RoundConfigBuild, PracticeRounds) {
    RoundConfig tut = makePracticeConfig(28, 1200, 3, 0, true, 1000);
    EXPECT_EQ(tut.cm360, 28);
    EXPECT_EQ(tut.dpi, 1200);
    EXPECT_EQ(tut.style, 3);
    EXPECT_EQ(tut.trackSpeed, 1.0);
    EXPECT_EQ(tut.extraTargets, 0);
    EXPECT_EQ(tut.flickTargets, 6);
    EXPECT_EQ(tut.leadIn, 0.5);
    EXPECT_EQ(tut.trackSeconds, 8.0);
    EXPECT_EQ(tut.seed, 1000u);
    EXPECT_EQ(tut.roundSeed, 7003u);

    RoundConfig practice = makePracticeConfig(35, 800, 1, 2, false, 5);
    EXPECT_EQ(practice.extraTargets, 2);
    EXPECT_EQ(practice.flickTargets, 18);
    EXPECT_EQ(practice.leadIn, 1.0);
    EXPECT_EQ(practice.trackSeconds, 12.0);
    EXPECT_EQ(practice.zoom, 1);
    EXPECT_EQ(practice.introSeconds, 2.4);
}

TEST(RoundConfigBuild, TrackSpeedSetting) {
    const std::pair<int32_t, double> cases[] = {{-3, 1.0}, {0, 1.0}, {1, 1.3}, {2, 1.6}, {9, 1.6}};
    for (auto [setting, want] : cases) EXPECT_EQ(trackSpeedFactor(setting), want) << setting;
}

// ---- Round-start view ------------------------------------------------------

TEST(RoundConfigBuild, ZoomedViewNarrowsFovAndSetsScope) {
    struct Case {
        double zoom;
        int32_t w, h;
        double hFov, vFov, scope;
    };
    const Case cases[] = {
        {1, 1600, 900, 103, 70.5, 0},
        {0.5, 1600, 900, 103, 70.5, 0},
        {4, 1600, 900, 34.89514446740443, 20.039512189409997, 9.232561715865618},
        {4, 800, 1000, 34.89514446740443, 20.039512189409997, 7.409072520826179},
    };
    for (const Case& k : cases) {
        RoundConfig c;
        c.zoom = k.zoom;
        applyRoundView(c, 103, 70.5, k.w, k.h);
        SCOPED_TRACE(k.zoom);
        EXPECT_NEAR(c.hFov, k.hFov, 1e-9);
        EXPECT_NEAR(c.vFov, k.vFov, 1e-9);
        EXPECT_NEAR(c.scopeRadius, k.scope, 1e-9);
    }
    RoundConfig flat;
    flat.zoom = 4;
    applyRoundView(flat, 103, 70.5, 1600, 0);  // no height: h counts as 1, no division by zero
    EXPECT_TRUE(std::isfinite(flat.scopeRadius));
}

TEST(RoundConfigBuild, EstimateMinutesPerLength) {
    EXPECT_NEAR(estimateMinutes(0), 4.2733, 1e-4);
    EXPECT_NEAR(estimateMinutes(1), 6.5083, 1e-4);
    EXPECT_NEAR(estimateMinutes(2), 10.405, 1e-4);
    EXPECT_EQ(estimateMinutes(5), estimateMinutes(1));
}

}  // namespace
