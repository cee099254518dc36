#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "audio/mixer.h"

namespace {

using Buffer = std::array<int16_t, MIX_BUFFER_SAMPLES>;

class MixerTest : public ::testing::Test {
protected:
    Buffer mix() {
        Buffer out;
        out.fill(12345);  // every sample must be written, silence included
        mixer.mix(out.data());
        return out;
    }
    static Sound constant(size_t length, float value) { return Sound(length, value); }

    Mixer mixer;
};

TEST_F(MixerTest, EmptyQueueWritesSilence) {
    Buffer out = mix();
    for (int16_t s : out) EXPECT_EQ(s, 0);
}

TEST_F(MixerTest, VoicesSumWithGainAndMasterVolume) {
    struct Case {
        const char* what;
        std::vector<std::pair<float, float>> voices;  // sample value, gain
        float volume;
        int16_t expected;
    };
    const Case cases[] = {
        {"default volume 0.6", {{0.5f, 1.0f}}, -1.0f, 9600},
        {"gain scales", {{0.25f, 2.0f}}, 1.0f, 16000},
        {"volume scales", {{0.5f, 1.0f}}, 0.25f, 4000},
        {"voices add", {{0.25f, 1.0f}, {0.125f, 1.0f}, {-0.0625f, 2.0f}}, 1.0f, 8000},
        {"gain is not clamped", {{0.125f, 4.0f}}, 0.5f, 8000},
        {"clips high", {{0.75f, 1.0f}, {0.75f, 1.0f}}, 1.0f, 32000},
        {"clips low", {{-0.75f, 1.0f}, {-0.5f, 1.0f}}, 1.0f, -32000},
        {"volume applies before clipping", {{0.75f, 1.0f}, {0.75f, 1.0f}}, 0.5f, 24000},
        {"negative gain inverts", {{0.5f, -1.0f}}, 1.0f, -16000},
        {"truncates toward zero", {{-0.00015f, 1.0f}}, 1.0f, -4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Mixer m;
        if (c.volume >= 0.0f) m.setMasterVolume(c.volume);
        std::vector<Sound> sounds;
        sounds.reserve(c.voices.size());
        for (auto [value, gain] : c.voices) {
            sounds.push_back(constant(MIX_BUFFER_SAMPLES, value));
            m.play(sounds.back(), gain);
        }
        Buffer out;
        m.mix(out.data());
        EXPECT_EQ(out[0], c.expected);
        EXPECT_EQ(out[MIX_BUFFER_SAMPLES - 1], c.expected);
    }
}

TEST_F(MixerTest, VoicesAdvanceAcrossBuffersAndEnd) {
    Sound ramp(300);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<float>(i + 1) / 1024.0f;
    mixer.setMasterVolume(1.0f);
    mixer.play(ramp, 1.0f);

    Buffer first = mix();
    EXPECT_EQ(first[0], 31);  // 1/1024 x 32000 = 31.25
    EXPECT_EQ(first[255], 8000);
    ASSERT_EQ(mixer.voiceCount(), 1u);
    EXPECT_EQ(mixer.voices()[0].position, 256u);

    Buffer second = mix();
    EXPECT_EQ(second[0], 8031);
    EXPECT_EQ(second[43], 9375);  // sample 299: 300/1024 x 32000
    for (int j = 44; j < MIX_BUFFER_SAMPLES; ++j) EXPECT_EQ(second[j], 0) << j;
    EXPECT_EQ(mixer.voiceCount(), 0u);
}

TEST_F(MixerTest, ShortVoiceIsMixedOnceAndRemovedInTheSameBuffer) {
    Sound blip = constant(10, 0.5f);
    Sound longer = constant(1000, 0.25f);
    mixer.setMasterVolume(1.0f);
    mixer.play(blip, 1.0f);
    mixer.play(longer, 1.0f);
    Buffer out = mix();
    EXPECT_EQ(out[9], 24000);
    EXPECT_EQ(out[10], 8000);
    ASSERT_EQ(mixer.voiceCount(), 1u);
    EXPECT_EQ(mixer.voices()[0].sound, &longer);
    EXPECT_EQ(mix()[0], 8000);
}

TEST_F(MixerTest, EmptySoundIsDroppedWithoutSound) {
    Sound empty;
    mixer.play(empty, 1.0f);
    Buffer out = mix();
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(mixer.voiceCount(), 0u);
}

TEST_F(MixerTest, ZeroVolumeIsSilentButVoicesStillFinish) {
    Sound s = constant(400, 0.9f);
    mixer.setMasterVolume(0.0f);
    mixer.play(s, 1.0f);
    for (int16_t v : mix()) EXPECT_EQ(v, 0);
    EXPECT_EQ(mixer.voices().at(0).position, 256u);
    mix();
    EXPECT_EQ(mixer.voiceCount(), 0u);
}

TEST_F(MixerTest, MoreThanSixteenVoicesDropTheOldest) {
    Sound s = constant(1000, 0.01f);
    for (int i = 0; i < 16; ++i) mixer.play(s, static_cast<float>(i));
    EXPECT_EQ(mixer.voiceCount(), 16u);
    mixer.play(s, 16.0f);
    EXPECT_EQ(mixer.voiceCount(), 17u);  // 16 queued is not yet "more than 16"
    mixer.play(s, 17.0f);
    mixer.play(s, 18.0f);
    std::vector<Voice> voices = mixer.voices();
    ASSERT_EQ(voices.size(), 17u);
    for (size_t i = 0; i < voices.size(); ++i) EXPECT_EQ(voices[i].gain, static_cast<float>(i + 2));
}

TEST_F(MixerTest, DroppingKeepsPositionsOfTheOthers) {
    Sound s = constant(1000, 0.01f);
    for (int i = 0; i < 17; ++i) mixer.play(s, 1.0f);
    mix();
    mixer.play(s, 1.0f);
    std::vector<Voice> voices = mixer.voices();
    ASSERT_EQ(voices.size(), 17u);
    EXPECT_EQ(voices[15].position, 256u);
    EXPECT_EQ(voices[16].position, 0u);
}

TEST_F(MixerTest, MasterVolumeIsClamped) {
    const std::pair<float, float> cases[] = {
        {1.7f, 1.0f}, {-0.2f, 0.0f}, {0.3f, 0.3f}, {0.0f, 0.0f}, {1.0f, 1.0f}, {NAN, 0.0f},
    };
    EXPECT_EQ(mixer.masterVolume(), 0.6f);
    for (auto [in, stored] : cases) {
        mixer.setMasterVolume(in);
        EXPECT_EQ(mixer.masterVolume(), stored) << in;
    }
}

}  // namespace
