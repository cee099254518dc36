#pragma once
// Synthesized sound effects: every sound the program plays is computed here once.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/catalog/sound.h"

constexpr int AUDIO_SAMPLE_RATE = 48000;
constexpr int SOUND_COUNT = SoundCount;

// Mono samples at AUDIO_SAMPLE_RATE, nominal range -1..1 (peaks may exceed it; output and
// export clamp).
using Sound = std::vector<float>;

// A tone sweeping f0 -> f1 Hz with a 2 ms attack and exponential decay, plus an optional
// noise click of share `noise`.
Sound synthTone(double f0, double f1, double duration, double decay, double gain, double noise);
// Low-passed noise crack over a falling body tone, with an optional rumble tail.
Sound synthGunshot(double duration, double decay, double lowpass, double bodyHz, double gain,
                   double tail);
// 0 pop, 1 ding, anything else click.
Sound synthHitVariant(int variant);
// Appends trunc(gapSeconds * rate) zeros, then the piece.
void appendSound(Sound& sound, const Sound& piece, double gapSeconds);

// The sound's file name without extension ("hit_classic", ...); "" for an id out of range.
const char* soundName(int id);

// All fifteen recipes, indexed by SoundId.
std::array<Sound, SOUND_COUNT> synthesizeBank();
// Fills the bank on the first call; later calls do nothing. Call before any output opens.
void buildSoundBank();
// The process-wide bank, indexed by SoundId. Its vectors never move once built, since
// playing voices point into them; they are empty until buildSoundBank has run.
const std::array<Sound, SOUND_COUNT>& soundBank();

// Float sample to 16 bits, shared by the mixer and the export: full scale is +-32000,
// truncated toward zero.
inline int16_t sampleToPcm16(float x) {
    if (x > 1.0f) return 32000;
    if (x < -1.0f) return -32000;
    if (x != x) return 0;  // a NaN gain must not become undefined behaviour
    return static_cast<int16_t>(static_cast<double>(x) * 32000.0);
}
