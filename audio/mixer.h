#pragma once
// The play queue and its mixer, free of any device: the output callback (or a test) pulls
// 256-sample buffers from it while the main thread queues voices.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "audio/synth.h"

constexpr int MIX_BUFFER_SAMPLES = 256;
// More than this many voices queued: the oldest goes before a new one is appended.
constexpr size_t MAX_QUEUED_VOICES = 16;

struct Voice {
    const Sound* sound = nullptr;  // points into the bank, never owned
    uint32_t position = 0;         // next sample to mix
    float gain = 1.0f;             // as given, not clamped
};

class Mixer {
public:
    // Queues `sound`, which must outlive its voice (the bank does). Thread-safe.
    void play(const Sound& sound, float gain);
    // Sums every voice x gain x master volume into out, clipped to +-32000, and drops the
    // voices that have ended. Thread-safe.
    void mix(int16_t out[MIX_BUFFER_SAMPLES]);
    // Stores v clamped to 0..1.
    void setMasterVolume(float v);
    float masterVolume() const { return volume_.load(); }
    size_t voiceCount() const;
    std::vector<Voice> voices() const;
    void clear();

private:
    mutable std::mutex queueMutex_;
    std::vector<Voice> queue_;  // oldest first
    std::atomic<float> volume_{0.6f};
};
