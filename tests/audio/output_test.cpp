#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "audio/output.h"
#include "core/catalog/sound.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace {

using namespace std::chrono_literals;

// Waits until the device has pulled every queued voice (false after the time limit).
bool drain(std::chrono::milliseconds limit = 3000ms) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (outputMixer().voiceCount() > 0) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

class OutputTest : public ::testing::Test {
protected:
    void TearDown() override {
        shutdownAudio();
        setMasterVolume(0.6f);
    }
};

TEST_F(OutputTest, WithoutADeviceEverythingIsSilentAndHarmless) {
    ScopedEnv driver("SDL_AUDIODRIVER", "no_such_driver");
    EXPECT_FALSE(initAudio());
    EXPECT_FALSE(audioOpen());
    EXPECT_EQ(soundBank()[SoundClick].size(), 720u);  // the bank is built anyway
    playSound(SoundClick, 1.0f);
    EXPECT_EQ(outputMixer().voiceCount(), 0u);
    setMasterVolume(0.25f);
    EXPECT_EQ(masterVolume(), 0.25f);
    shutdownAudio();
    shutdownAudio();
}

TEST_F(OutputTest, PlaySoundReachesTheDeviceOnlyWhileOpen) {
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    ASSERT_TRUE(initAudio());
    EXPECT_TRUE(audioOpen());
    playSound(static_cast<SoundId>(15), 1.0f);
    playSound(static_cast<SoundId>(-1), 1.0f);
    EXPECT_EQ(outputMixer().voiceCount(), 0u);
    playSound(SoundShotSniper, 0.5f);
    EXPECT_TRUE(drain());  // 0.75 s of sound, pulled in real time

    shutdownAudio();
    EXPECT_FALSE(audioOpen());
    playSound(SoundClick, 1.0f);
    EXPECT_EQ(outputMixer().voiceCount(), 0u);
    shutdownAudio();

    // Reopening works after a close.
    ASSERT_TRUE(initAudio());
    playSound(SoundClick, 1.0f);
    EXPECT_TRUE(drain());
}

// SDL's disk driver writes exactly what the callback produced into a file.
TEST_F(OutputTest, DiskDriverCapturesTheClickScaledByTheMasterVolume) {
    TempFolder dir;
    const std::string capture = (dir.at("capture.raw")).string();
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv file("SDL_DISKAUDIOFILE", capture);
    ASSERT_TRUE(initAudio());
    setMasterVolume(0.5f);
    playSound(SoundClick, 1.0f);
    ASSERT_TRUE(drain());
    std::this_thread::sleep_for(60ms);  // let the last mixed buffer reach the file
    shutdownAudio();

    std::vector<uint8_t> bytes = test_files::readBytes(capture);
    ASSERT_EQ(bytes.size() % 2, 0u);
    std::vector<int16_t> stream(bytes.size() / 2);
    for (size_t i = 0; i < stream.size(); ++i)
        stream[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);

    const Sound& click = soundBank()[SoundClick];
    std::vector<int16_t> expected(click.size());
    for (size_t i = 0; i < click.size(); ++i)
        expected[i] = static_cast<int16_t>(static_cast<double>(click[i]) * 0.5 * 32000.0);

    // A voice starts at a buffer boundary; everything around it is silence.
    size_t first = 0;
    while (first < stream.size() && stream[first] == 0) ++first;
    ASSERT_LT(first, stream.size()) << "nothing was played";
    size_t start = first - first % 256;
    ASSERT_LE(start + expected.size(), stream.size());
    for (size_t i = 0; i < stream.size(); ++i) {
        bool inClick = i >= start && i < start + expected.size();
        ASSERT_EQ(stream[i], inClick ? expected[i - start] : 0) << "sample " << i;
    }
}

}  // namespace
