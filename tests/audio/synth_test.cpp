#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "audio/synth.h"

namespace {

struct BankEntry {
    int id;
    const char* name;
    size_t samples;
    std::set<size_t> pieceStarts;  // where each joined piece begins (its first sample is 0)
};

// Lengths follow from the recipes: trunc(duration x 48000) per piece, plus round_end's gap.
const BankEntry kBank[] = {
    {SoundHitClassic, "hit_classic", 3360, {0}},
    {SoundMiss, "miss", 3360, {0}},
    {SoundTick, "tick", 3840, {0}},
    {SoundGo, "go", 7680, {0}},
    {SoundRoundEnd, "round_end", 12000, {0, 5280}},
    {SoundFinish, "finish", 30240, {0, 5280, 10560, 15840}},
    {SoundClick, "click", 720, {0}},
    {SoundShotPistol, "shot_pistol", 7680, {0}},
    {SoundShotRifle, "shot_rifle", 10560, {0}},
    {SoundShotSniper, "shot_sniper", 36000, {0}},
    {SoundLevelUp, "level_up", 29760, {0, 4320, 8640, 12960}},
    {SoundScopeIn, "scope_in", 2400, {0}},
    {SoundHitPop, "hit_pop", 6720, {0}},
    {SoundHitDing, "hit_ding", 15360, {0}},
    {SoundHitClick, "hit_click", 3360, {0}},
};

class SoundBankTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { buildSoundBank(); }
    const std::array<Sound, SOUND_COUNT>& bank = soundBank();
};

TEST_F(SoundBankTest, NamesAndLengthsFollowTheRecipes) {
    size_t total = 0;
    for (const BankEntry& e : kBank) {
        SCOPED_TRACE(e.name);
        EXPECT_STREQ(soundName(e.id), e.name);
        EXPECT_EQ(bank[e.id].size(), e.samples);
        total += bank[e.id].size();
    }
    EXPECT_EQ(total, 173040u);
    EXPECT_STREQ(soundName(-1), "");
    EXPECT_STREQ(soundName(SOUND_COUNT), "");
}

// Exact zeros occur only where a piece starts (the attack ramp begins at 0) and in
// round_end's 10 ms gap; any other zero would mean a misplaced join or a lost piece.
TEST_F(SoundBankTest, SilenceOnlyAtPieceStartsAndInTheRoundEndGap) {
    for (const BankEntry& e : kBank) {
        SCOPED_TRACE(e.name);
        std::set<size_t> expected = e.pieceStarts;
        if (e.id == SoundRoundEnd)
            for (size_t i = 4800; i < 5280; ++i) expected.insert(i);
        std::set<size_t> zeros;
        for (size_t i = 0; i < bank[e.id].size(); ++i)
            if (bank[e.id][i] == 0.0f) zeros.insert(i);
        EXPECT_EQ(zeros, expected);
    }
}

TEST_F(SoundBankTest, RebuildingChangesNothing) {
    const float* before = bank[SoundFinish].data();
    Sound copy = bank[SoundFinish];
    buildSoundBank();
    EXPECT_EQ(bank[SoundFinish].data(), before);  // voices point into the bank
    EXPECT_EQ(bank[SoundFinish], copy);
}

TEST(SynthTest, FirstSamplesOfTheClickRecipe) {
    // Worked by hand from the tone formula: 2 ms attack from 0, phase advanced before the
    // first sample.
    Sound click = synthTone(2000, 1800, 0.015, 0.006, 0.18, 0);
    ASSERT_EQ(click.size(), 720u);
    const double rate = 48000.0, twoPi = 2.0 * 3.14159265358979323846;
    double phase = 0.0;
    for (size_t i = 0; i < 4; ++i) {
        double t = i / rate;
        phase += twoPi * (2000.0 - 200.0 * t / 0.015) / rate;
        double v = std::min(t / 0.002, 1.0) * 0.18 * std::exp(-t / 0.006) *
                   (std::sin(phase) + 0.35 * std::sin(2 * phase));
        EXPECT_FLOAT_EQ(click[i], static_cast<float>(v)) << i;
    }
}

TEST(SynthTest, ShortDurationsGiveEmptySounds) {
    EXPECT_TRUE(synthTone(440, 440, 0.5 / 48000.0, 0.01, 1, 0).empty());
    EXPECT_TRUE(synthTone(440, 440, 0.0, 0.01, 1, 0.5).empty());
    EXPECT_TRUE(synthGunshot(0.00001, 0.01, 0.5, 100, 1, 1).empty());
    EXPECT_EQ(synthTone(440, 440, 1.5 / 48000.0, 0.01, 1, 0).size(), 1u);
}

TEST(SynthTest, EqualArgumentsReplayEqualSamples) {
    // Fresh noise generator per call: a second call must not continue the first's sequence.
    EXPECT_EQ(synthTone(600, 900, 0.05, 0.02, 0.15, 0.4), synthTone(600, 900, 0.05, 0.02, 0.15, 0.4));
    EXPECT_EQ(synthGunshot(0.22, 0.03, 0.45, 110, 0.38, 0.3), synthGunshot(0.22, 0.03, 0.45, 110, 0.38, 0.3));
    EXPECT_EQ(synthHitVariant(0), synthHitVariant(0));
}

TEST(SynthTest, NoiseShareChangesTheTone) {
    Sound pure = synthTone(1000, 1000, 0.01, 0.01, 0.5, 0);
    Sound noisy = synthTone(1000, 1000, 0.01, 0.01, 0.5, 0.5);
    ASSERT_EQ(pure.size(), noisy.size());
    EXPECT_NE(pure, noisy);
    // Past the 4 ms noise click the tone is half as loud as without noise share.
    size_t i = 400;
    EXPECT_NEAR(noisy[i], 0.5f * pure[i], 0.5 * 0.5 * std::exp(-i / 48000.0 / 0.004) + 1e-6);
}

TEST(SynthTest, UnknownHitVariantsAreTheClick) {
    Sound click = synthHitVariant(2);
    EXPECT_EQ(click.size(), 3360u);
    EXPECT_EQ(synthHitVariant(7), click);
    EXPECT_EQ(synthHitVariant(-1), click);
    EXPECT_EQ(synthHitVariant(0).size(), 6720u);
    EXPECT_EQ(synthHitVariant(1).size(), 15360u);
}

TEST(SynthTest, GunshotPeaksAreKeptUnclamped) {
    Sound loud = synthGunshot(0.05, 0.06, 0.3, 70, 4.0, 1.0);
    float peak = 0.0f;
    for (float x : loud) peak = std::max(peak, std::fabs(x));
    EXPECT_GT(peak, 1.0f);
}

TEST(SynthTest, AppendSoundInsertsTheGapBeforeThePiece) {
    Sound s = {0.5f};
    appendSound(s, {0.25f, -0.25f}, 3.0 / 48000.0 + 1e-9);
    EXPECT_EQ(s, (Sound{0.5f, 0, 0, 0, 0.25f, -0.25f}));
    appendSound(s, {1.0f}, 0);
    EXPECT_EQ(s.size(), 7u);
    EXPECT_EQ(s.back(), 1.0f);
}

TEST(SynthTest, SampleConversionClampsAndTruncates) {
    struct Case {
        float in;
        int16_t out;
    };
    const Case cases[] = {
        {1.3f, 32000},  {-1.3f, -32000}, {1.0f, 32000},   {-1.0f, -32000}, {0.5f, 16000},
        {-0.5f, -16000}, {-0.00002f, 0}, {0.00002f, 0},    {0.0001f, 3},    {-0.0001f, -3},
        {INFINITY, 32000}, {-INFINITY, -32000}, {NAN, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(sampleToPcm16(c.in), c.out) << c.in;
}

}  // namespace
