// Also built with ThreadSanitizer (see extra.cmake): the main thread queues voices and
// moves the volume while a device thread pulls buffers.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

#include "audio/mixer.h"

namespace {

TEST(MixerThreadsTest, EveryQueuedSampleIsMixedExactlyOnce) {
    // 1/32 of full scale is 1000 per sample per voice: sums of up to 17 voices stay exact
    // and below clipping, so the total of all output counts every sample mixed.
    const Sound sound(300, 1.0f / 32.0f);
    const int voicesToPlay = 400;
    Mixer mixer;
    mixer.setMasterVolume(1.0f);

    std::atomic<bool> producing{true};
    int64_t total = 0;
    std::thread device([&] {
        std::array<int16_t, MIX_BUFFER_SAMPLES> out;
        while (producing.load() || mixer.voiceCount() > 0) {
            mixer.mix(out.data());
            for (int16_t s : out) total += s;
        }
    });
    for (int i = 0; i < voicesToPlay; ++i) {
        // Stay below the limit so no voice is dropped; the count is what the test sums.
        while (mixer.voiceCount() >= MAX_QUEUED_VOICES) std::this_thread::yield();
        mixer.play(sound, 1.0f);
    }
    producing.store(false);
    device.join();
    EXPECT_EQ(total, int64_t{voicesToPlay} * 300 * 1000);
}

TEST(MixerThreadsTest, VolumeAndQueueChangesDuringMixing) {
    const Sound sound(700, 0.5f);
    Mixer mixer;
    std::atomic<bool> running{true};
    std::atomic<int16_t> peak{0};
    std::thread device([&] {
        std::array<int16_t, MIX_BUFFER_SAMPLES> out;
        while (running.load()) {
            mixer.mix(out.data());
            for (int16_t s : out)
                if (s > peak.load()) peak.store(s);
        }
    });
    for (int i = 0; i < 3000; ++i) {
        mixer.play(sound, 1.0f);
        mixer.setMasterVolume(static_cast<float>(i % 11) / 10.0f);
        EXPECT_LE(mixer.voiceCount(), MAX_QUEUED_VOICES + 1);
    }
    running.store(false);
    device.join();
    EXPECT_LE(peak.load(), 32000);
    EXPECT_LE(mixer.voiceCount(), MAX_QUEUED_VOICES + 1);
}

}  // namespace
