#include "audio/mixer.h"

#include <algorithm>

void Mixer::play(const Sound& sound, float gain) {
    std::lock_guard<std::mutex> lock(queueMutex_);
    if (queue_.size() > MAX_QUEUED_VOICES) queue_.erase(queue_.begin());
    queue_.push_back(Voice{&sound, 0, gain});
}

void Mixer::mix(int16_t out[MIX_BUFFER_SAMPLES]) {
    float acc[MIX_BUFFER_SAMPLES] = {};
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        for (Voice& v : queue_) {
            size_t left = v.sound->size() - v.position;
            size_t k = std::min<size_t>(MIX_BUFFER_SAMPLES, left);
            const float* src = v.sound->data() + v.position;
            for (size_t j = 0; j < k; ++j) acc[j] += src[j] * v.gain;
            v.position += static_cast<uint32_t>(k);
        }
        std::erase_if(queue_, [](const Voice& v) { return v.position >= v.sound->size(); });
    }
    // Conversion after the unlock: the main thread never waits on it.
    float volume = volume_.load();
    for (int j = 0; j < MIX_BUFFER_SAMPLES; ++j) out[j] = sampleToPcm16(acc[j] * volume);
}

void Mixer::setMasterVolume(float v) {
    // The negated test also sends NaN to 0.
    float clamped = !(v > 0.0f) ? 0.0f : v > 1.0f ? 1.0f : v;
    volume_.exchange(clamped);
}

size_t Mixer::voiceCount() const {
    std::lock_guard<std::mutex> lock(queueMutex_);
    return queue_.size();
}

std::vector<Voice> Mixer::voices() const {
    std::lock_guard<std::mutex> lock(queueMutex_);
    return queue_;
}

void Mixer::clear() {
    std::lock_guard<std::mutex> lock(queueMutex_);
    queue_.clear();
}
